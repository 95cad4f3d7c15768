#include "costline/CostLineEditorModel.h"

#include "common/Spaces.h"

#include <algorithm>

CostLineEditorModel::CostLineEditorModel(QObject *parent) : QObject(parent), m_slots(1) {}

void CostLineEditorModel::setUnitPriceText(const QString &text)
{
    if (text == m_unitPrice)
        return;
    m_unitPrice = text;
    emit unitPriceTextSet(text);
    m_validCheckpoints = 0;
    Rebuild();
}

bool CostLineEditorModel::holdsFactor(int slot) const
{
    return slotAt(slot) != nullptr;
}

std::vector<int> CostLineEditorModel::usedSlots() const
{
    return m_order;
}

QString CostLineEditorModel::countText(int slot) const
{
    const Slot *s = slotAt(slot);
    return s ? s->factor.count : QString();
}

QString CostLineEditorModel::unitWord(int slot) const
{
    const Slot *s = slotAt(slot);
    return s ? s->factor.unit : QString();
}

void CostLineEditorModel::setCountText(int slot, const QString &text)
{
    setFactorText(slot, &Factor::count, text, &CostLineEditorModel::countTextSet);
}

void CostLineEditorModel::setUnitWord(int slot, const QString &text)
{
    setFactorText(slot, &Factor::unit, text, &CostLineEditorModel::unitWordSet);
}

void CostLineEditorModel::setFactorText(int slot, QString Factor::*field, const QString &text,
                                        void (CostLineEditorModel::*announce)(int, const QString &))
{
    Slot *s = slotAt(slot);
    if (!s || s->factor.*field == text)
        return;
    s->factor.*field = text;
    emit(this->*announce)(slot, text);
    invalidateFrom(slot);
    Rebuild();
}

CostLineEditorModel::ButtonResult CostLineEditorModel::pressButton(int slot)
{
    ButtonResult result = ButtonResult::NoFactorToRemove;
    if (slot == m_lastSlot) {
        m_lastSlot = slot + 1;
        AddFactor(slot + 1, slot);
        result = ButtonResult::Appended;
    } else if (const int next = NextFactorSlot(slot); next != 0) {
        RemoveFactor(next, slot);
        result = ButtonResult::Removed;
    }
    Rebuild();
    return result;
}

int CostLineEditorModel::NextFactorSlot(int k) const
{
    const auto it = std::upper_bound(m_order.begin(), m_order.end(), k);
    return it == m_order.end() ? 0 : *it;
}

int CostLineEditorModel::LastSlotInUse() const
{
    return m_order.empty() ? 0 : m_order.back();
}

void CostLineEditorModel::ReadStrBds()
{
    for (int slot = m_lastSlot; slot >= 1; --slot)
        if (holdsFactor(slot))
            RemoveFactor(slot, 0);

    if (IsBlank(m_strBds)) {
        setUnitPriceText(QString());
        setWidth(PriceLeft + PriceWidth + ButtonWidth);
        return;
    }

    const QList<StrBdsSegment> segments = ParseStrBds(m_strBds);
    for (const StrBdsSegment &segment : segments) {
        if (segment.kind == StrBdsSegment::Price) {
            setUnitPriceText(segment.priceText);
            continue;
        }
        ++m_lastSlot;
        AddFactor(m_lastSlot, m_lastSlot - 1);
        setCountText(m_lastSlot, segment.factor.count);
        setUnitWord(m_lastSlot, segment.factor.unit);
    }
}

SlotGeometry CostLineEditorModel::geometry(int slot) const
{
    if (slot == 0)
        return {PriceLeft, 0, Button0Left, 0};
    const Slot *s = slotAt(slot);
    return s ? s->geometry : SlotGeometry();
}

int CostLineEditorModel::buttonRight(int slot) const
{
    return geometry(slot).buttonLeft + ButtonWidth;
}

void CostLineEditorModel::Rebuild()
{
    if (m_validCheckpoints == 0 || !m_builder) {
        m_builder.emplace(m_unitPrice);
        m_checkpoints.assign(1, {m_builder->text().size(), m_builder->amount()});
    } else {
        m_checkpoints.resize(m_validCheckpoints);
        m_builder->restore(m_checkpoints.back().textLength, m_checkpoints.back().amount);
    }
    for (size_t i = m_checkpoints.size() - 1; i < m_order.size(); ++i) {
        m_builder->append(slotAt(m_order[i])->factor);
        m_checkpoints.push_back({m_builder->text().size(), m_builder->amount()});
    }
    m_validCheckpoints = m_checkpoints.size();
    m_strBds = m_builder->text();
    m_curHjje = m_builder->amount();
    emit ChangeText();
}

void CostLineEditorModel::AddFactor(int slot, int previous)
{
    if (int(m_slots.size()) <= slot)
        m_slots.resize(size_t(slot) + 1);
    Slot created;
    created.geometry.top = geometry(previous).top;
    m_slots[size_t(slot)] = created;
    layoutSlot(slot, buttonRight(previous));
    m_order.insert(std::upper_bound(m_order.begin(), m_order.end(), slot), slot);
    invalidateFrom(slot);
    emit factorAdded(slot);
    setWidth(buttonRight(slot) + RightMargin);
}

void CostLineEditorModel::RemoveFactor(int slot, int previous)
{
    invalidateFrom(slot);
    m_slots[size_t(slot)].reset();
    m_order.erase(std::lower_bound(m_order.begin(), m_order.end(), slot));
    emit factorRemoved(slot);

    if (slot == m_lastSlot) {
        m_lastSlot = LastSlotInUse();
        m_slots.resize(size_t(m_lastSlot) + 1);
    } else {
        int x = buttonRight(previous);
        for (auto it = std::upper_bound(m_order.begin(), m_order.end(), slot); it != m_order.end(); ++it) {
            layoutSlot(*it, x);
            emit factorMoved(*it);
            x = buttonRight(*it);
        }
    }
    setWidth(buttonRight(m_lastSlot) + RightMargin);
}

void CostLineEditorModel::layoutSlot(int slot, int x)
{
    SlotGeometry &g = slotAt(slot)->geometry;
    g.countLeft = x + Gap;
    g.unitLeft = g.countLeft + CountWidth + Gap;
    g.buttonLeft = g.unitLeft + UnitWidth + Gap;
}

void CostLineEditorModel::setWidth(int width)
{
    if (width == m_width)
        return;
    m_width = width;
    emit Resize();
}

void CostLineEditorModel::invalidateFrom(int slot)
{
    // Checkpoint i holds the state after the first i factors; a change to the factor at index
    // `position` leaves the checkpoints up to and including index `position` valid.
    const size_t position = size_t(std::lower_bound(m_order.begin(), m_order.end(), slot) - m_order.begin());
    m_validCheckpoints = std::min(m_validCheckpoints, position + 1);
}

CostLineEditorModel::Slot *CostLineEditorModel::slotAt(int slot)
{
    if (slot < 1 || slot >= int(m_slots.size()) || !m_slots[size_t(slot)])
        return nullptr;
    return &*m_slots[size_t(slot)];
}

const CostLineEditorModel::Slot *CostLineEditorModel::slotAt(int slot) const
{
    return const_cast<CostLineEditorModel *>(this)->slotAt(slot);
}
