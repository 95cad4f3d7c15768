#pragma once

#include "common/Amount.h"
#include "costline/Expression.h"

#include <QObject>
#include <QString>

#include <optional>
#include <vector>

// Where the controls of one slot stand, in twips from the editor's top-left corner.
struct SlotGeometry
{
    int countLeft = 0;
    int unitLeft = 0;
    int buttonLeft = 0;
    int top = 0;
};

// The cost-line editor without its widgets: a unit-price text and factor slots joined by "×"
// buttons. Slot 0 is the unit price (its button is the one right of the price); slots 1 upward
// hold factors. Every change of a field rebuilds the expression (StrBds) and the amount (CurHjje)
// and raises ChangeText; the editor grows to the right with its factors and raises Resize.
class CostLineEditorModel : public QObject
{
    Q_OBJECT
public:
    // Design figures in twips.
    static constexpr int LabelLeft = 60, LabelTop = 60, LabelWidth = 360, LabelHeight = 180;
    static constexpr int PriceLeft = 480, PriceWidth = 915, FieldHeight = 300;
    static constexpr int Button0Left = 1380, ButtonWidth = 300;
    static constexpr int CountWidth = 555, UnitWidth = 675, Gap = 30, RightMargin = 60;

    explicit CostLineEditorModel(QObject *parent = nullptr);

    const QString &unitPriceText() const { return m_unitPrice; }
    void setUnitPriceText(const QString &text);

    int LastSlot() const { return m_lastSlot; }
    bool holdsFactor(int slot) const;
    // The slots that hold a factor, left to right.
    std::vector<int> usedSlots() const;
    QString countText(int slot) const;
    QString unitWord(int slot) const;
    void setCountText(int slot, const QString &text);
    void setUnitWord(int slot, const QString &text);

    enum class ButtonResult
    {
        Appended,
        Removed,
        NoFactorToRemove
    };
    // The "×" button of slot k: the rightmost appends an empty factor, every other one removes the
    // factor to its right. A rebuild (and ChangeText) follows in every case.
    ButtonResult pressButton(int slot);

    // The lowest slot above k that holds a factor, or 0.
    int NextFactorSlot(int k) const;
    // The highest slot from LastSlot down that holds a factor; 0 when none.
    int LastSlotInUse() const;

    // Rebuilds the fields from StrBds, raising ChangeText at every field that really changes.
    void ReadStrBds();

    // Host properties: writing them stores the value and does nothing else.
    const QString &StrBds() const { return m_strBds; }
    void setStrBds(const QString &text) { m_strBds = text; }
    Amount CurHjje() const { return m_curHjje; }
    void setCurHjje(Amount amount) { m_curHjje = amount; }

    // Layout, in twips.
    int width() const { return m_width; }
    SlotGeometry geometry(int slot) const;
    // Right edge of the slot's "×" button (slot 0: the one after the unit price).
    int buttonRight(int slot) const;

signals:
    void ChangeText();
    void Resize();
    // The widget creates, destroys and moves the slot's three controls when told.
    void factorAdded(int slot);
    void factorRemoved(int slot);
    void factorMoved(int slot);
    // A field's text was set by the model itself (ReadStrBds), so the widget shows it.
    void unitPriceTextSet(const QString &text);
    void countTextSet(int slot, const QString &text);
    void unitWordSet(int slot, const QString &text);

private:
    struct Slot
    {
        Factor factor;
        SlotGeometry geometry;
    };
    // A point the build passed through: after the first `factors` used slots.
    struct Checkpoint
    {
        qsizetype textLength;
        Amount amount;
    };

    void Rebuild();
    void setFactorText(int slot, QString Factor::*field, const QString &text,
                       void (CostLineEditorModel::*announce)(int, const QString &));
    void AddFactor(int slot, int previous);
    void RemoveFactor(int slot, int previous);
    void layoutSlot(int slot, int x);
    void setWidth(int width);
    void invalidateFrom(int slot);
    Slot *slotAt(int slot);
    const Slot *slotAt(int slot) const;

    QString m_unitPrice;
    std::vector<std::optional<Slot>> m_slots; // index = slot number; index 0 unused
    int m_lastSlot = 0;
    int m_width = Button0Left + ButtonWidth + RightMargin;
    QString m_strBds = QStringLiteral("0");
    Amount m_curHjje;

    // Incremental build: the builder's states after each used slot, valid for the first
    // m_validCheckpoints used slots (the price counts as valid when m_priceValid).
    std::optional<ExpressionBuilder> m_builder;
    std::vector<int> m_order; // used slots in ascending order, mirrors m_slots
    std::vector<Checkpoint> m_checkpoints;
    size_t m_validCheckpoints = 0;
};
