#include "costline/ControlJsj.h"

#include "common/Dialogs.h"
#include "costline/Twips.h"

#include <QApplication>
#include <QComboBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace {
QRect twipsRect(int left, int top, int width, int height)
{
    return QRect(TwipsToPixels(left), TwipsToPixels(top), TwipsToPixels(width), TwipsToPixels(height));
}
} // namespace

ControlJsj::ControlJsj(QWidget *parent) : QWidget(parent)
{
    using M = CostLineEditorModel;
    // Laid over a cell: the cell's text must not show between the fields.
    setAutoFillBackground(true);
    m_buttonFont.setFamilies({QStringLiteral("宋体"), QStringLiteral("SimSun"), QStringLiteral("WenQuanYi Zen Hei")});
    m_buttonFont.setPointSize(12);
    m_buttonFont.setBold(true);

    // The label is given the fields' height and centred, so that its text is never cut.
    m_label = new QLabel(QStringLiteral("单价"), this);
    m_label->setObjectName(QStringLiteral("Label1"));
    m_label->setGeometry(twipsRect(M::LabelLeft, 0, M::LabelWidth, M::FieldHeight));
    m_label->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);

    m_price = new QLineEdit(this);
    m_price->setObjectName(QStringLiteral("Text1"));
    m_price->setGeometry(twipsRect(M::PriceLeft, 0, M::PriceWidth, M::FieldHeight));
    connect(m_price, &QLineEdit::textEdited, this, [this](const QString &text) { m_model.setUnitPriceText(text); });
    watchEnter(m_price);

    // The editor takes the focus in its unit-price field.
    setFocusProxy(m_price);

    m_button0 = makeButton(0);
    m_button0->setGeometry(twipsRect(M::Button0Left, 0, M::ButtonWidth, M::FieldHeight));

    connect(&m_model, &CostLineEditorModel::ChangeText, this, &ControlJsj::ChangeText);
    connect(&m_model, &CostLineEditorModel::Resize, this, &ControlJsj::followWidth);
    connect(&m_model, &CostLineEditorModel::factorAdded, this, &ControlJsj::addSlot);
    connect(&m_model, &CostLineEditorModel::factorRemoved, this, &ControlJsj::removeSlot);
    connect(&m_model, &CostLineEditorModel::factorMoved, this, &ControlJsj::placeSlot);
    connect(&m_model, &CostLineEditorModel::unitPriceTextSet, this, [this](const QString &text) {
        if (m_price->text() != text)
            m_price->setText(text);
    });
    connect(&m_model, &CostLineEditorModel::countTextSet, this, [this](int slot, const QString &text) {
        if (QLineEdit *field = countField(slot); field && field->text() != text)
            field->setText(text);
    });
    connect(&m_model, &CostLineEditorModel::unitWordSet, this, [this](int slot, const QString &text) {
        if (QComboBox *field = unitField(slot); field && field->currentText() != text)
            field->setEditText(text);
    });

    resize(TwipsToPixels(m_model.width()), TwipsToPixels(M::FieldHeight));
    relinkTabOrder();
}

void ControlJsj::ReadStrBds()
{
    m_model.ReadStrBds();
}

QLineEdit *ControlJsj::countField(int slot) const
{
    const auto it = m_slots.find(slot);
    return it == m_slots.end() ? nullptr : it->second.count;
}

QComboBox *ControlJsj::unitField(int slot) const
{
    const auto it = m_slots.find(slot);
    return it == m_slots.end() ? nullptr : it->second.unit;
}

QPushButton *ControlJsj::timesButton(int slot) const
{
    if (slot == 0)
        return m_button0;
    const auto it = m_slots.find(slot);
    return it == m_slots.end() ? nullptr : it->second.button;
}

bool ControlJsj::holds(const QWidget *widget) const
{
    return widget && (widget == this || isAncestorOf(widget));
}

QPushButton *ControlJsj::makeButton(int slot)
{
    auto *button = new QPushButton(QStringLiteral("×"), this);
    button->setObjectName(QStringLiteral("Command1_%1").arg(slot));
    button->setFont(m_buttonFont);
    // Enter on a focused button presses it, as on the platform the editor was designed for.
    button->setAutoDefault(true);
    connect(button, &QPushButton::clicked, this, [this, slot] { pressButton(slot); });
    return button;
}

void ControlJsj::watchEnter(QWidget *field)
{
    field->installEventFilter(this);
}

void ControlJsj::addSlot(int slot)
{
    SlotWidgets widgets;
    widgets.count = new QLineEdit(this);
    widgets.count->setObjectName(QStringLiteral("Text2_%1").arg(slot));
    connect(widgets.count, &QLineEdit::textEdited, this,
            [this, slot](const QString &text) { m_model.setCountText(slot, text); });
    watchEnter(widgets.count);

    widgets.unit = new QComboBox(this);
    widgets.unit->setObjectName(QStringLiteral("Combo1_%1").arg(slot));
    widgets.unit->setEditable(true);
    widgets.unit->setInsertPolicy(QComboBox::NoInsert);
    connect(widgets.unit->lineEdit(), &QLineEdit::textEdited, this,
            [this, slot](const QString &text) { m_model.setUnitWord(slot, text); });
    watchEnter(widgets.unit); // keys reach the combo box, not its line edit

    widgets.button = makeButton(slot);
    m_slots[slot] = widgets;
    placeSlot(slot);
    widgets.unit->show();
    widgets.count->show();
    widgets.button->show();
    relinkTabOrder();
}

void ControlJsj::removeSlot(int slot)
{
    const auto it = m_slots.find(slot);
    if (it == m_slots.end())
        return;
    const SlotWidgets widgets = it->second;
    m_slots.erase(it);
    delete widgets.unit;
    delete widgets.count;
    delete widgets.button;
    relinkTabOrder();
}

void ControlJsj::placeSlot(int slot)
{
    const auto it = m_slots.find(slot);
    if (it == m_slots.end())
        return;
    using M = CostLineEditorModel;
    const SlotGeometry g = m_model.geometry(slot);
    it->second.count->setGeometry(twipsRect(g.countLeft, g.top, M::CountWidth, M::FieldHeight));
    it->second.unit->setGeometry(twipsRect(g.unitLeft, g.top, M::UnitWidth, M::FieldHeight));
    it->second.button->setGeometry(twipsRect(g.buttonLeft, g.top, M::ButtonWidth, M::FieldHeight));
}

void ControlJsj::followWidth()
{
    const int width = TwipsToPixels(m_model.width());
    if (width != this->width())
        resize(width, height());
    emit Resize();
}

void ControlJsj::pressButton(int slot)
{
    const auto result = m_model.pressButton(slot);
    if (result == CostLineEditorModel::ButtonResult::Appended) {
        if (QLineEdit *field = countField(m_model.LastSlot()))
            field->setFocus(Qt::OtherFocusReason);
    } else if (result == CostLineEditorModel::ButtonResult::NoFactorToRemove) {
        Dialogs::message(this, QStringLiteral("下标错误！"), QStringLiteral("系统错误"), Dialogs::Icon::Warning);
    }
}

void ControlJsj::relinkTabOrder()
{
    QList<QWidget *> chain{m_price, m_button0};
    for (const auto &[slot, widgets] : m_slots) {
        chain << widgets.count << widgets.unit << widgets.button;
    }
    for (qsizetype i = 1; i < chain.size(); ++i)
        QWidget::setTabOrder(chain[i - 1], chain[i]);
}

bool ControlJsj::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent *>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            // Enter moves on as Tab would; the Enter key itself still reaches the field.
            if (auto *target = qobject_cast<QWidget *>(watched))
                QCoreApplication::postEvent(target, new QKeyEvent(QEvent::KeyPress, Qt::Key_Tab, Qt::NoModifier));
        }
    }
    return QWidget::eventFilter(watched, event);
}
