#include "costline/ControlJsj.h"

#include "common/Dialogs.h"
#include "common/NumberBoxMark.h"
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
    // Laid over a cell: the cell's text must not show between the fields.
    setAutoFillBackground(true);
    m_buttonFont.setFamilies({QStringLiteral("宋体"), QStringLiteral("SimSun"), QStringLiteral("Noto Sans CJK SC"),
                              QStringLiteral("WenQuanYi Zen Hei")});
    m_buttonFont.setPointSize(12);
    m_buttonFont.setBold(true);

    m_label = new QLabel(QStringLiteral("单价"), this);
    m_label->setObjectName(QStringLiteral("Label1"));
    m_label->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);

    m_price = new QLineEdit(this);
    m_price->setObjectName(QStringLiteral("Text1"));
    connect(m_price, &QLineEdit::textEdited, this, [this](const QString &text) { m_model.setUnitPriceText(text); });
    watchEnter(m_price);
    MarkMisreadNumbers(m_price);

    // The editor takes the focus in its unit-price field.
    setFocusProxy(m_price);

    m_button0 = makeButton(0);

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

    placeFixedControls();
    resize(TwipsToPixels(m_model.width()), m_fieldHeight);
    relinkTabOrder();
}

int ControlJsj::fieldHeightFor(const QFont &font)
{
    // The designed 300 twips, or more where the font needs it: a field squeezed below its
    // minimum height cuts its text.
    QLineEdit line;
    line.setFont(font);
    QComboBox combo;
    combo.setFont(font);
    combo.setEditable(true);
    return qMax(TwipsToPixels(CostLineEditorModel::FieldHeight),
                qMax(line.minimumSizeHint().height(), combo.minimumSizeHint().height()));
}

void ControlJsj::placeFixedControls()
{
    using M = CostLineEditorModel;
    m_fieldHeight = fieldHeightFor(font());
    // "单价" as designed; a font taller than the designed box grows it about the same middle.
    const QRect designed = twipsRect(M::LabelLeft, M::LabelTop, M::LabelWidth, M::LabelHeight);
    const int labelHeight = qMax(designed.height(), m_label->sizeHint().height());
    m_label->setGeometry(designed.left(), designed.center().y() + 1 - labelHeight / 2, designed.width(), labelHeight);
    m_price->setGeometry(TwipsToPixels(M::PriceLeft), 0, TwipsToPixels(M::PriceWidth), m_fieldHeight);
    m_button0->setGeometry(TwipsToPixels(M::Button0Left), 0, TwipsToPixels(M::ButtonWidth), m_fieldHeight);
    for (const auto &entry : m_slots)
        placeSlot(entry.first);
}

void ControlJsj::changeEvent(QEvent *event)
{
    QWidget::changeEvent(event);
    if (event->type() == QEvent::FontChange && m_button0) {
        placeFixedControls();
        resize(width(), m_fieldHeight);
    }
}

void ControlJsj::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    // The host resized the control: it hears of it as of the control's own changes of width. A
    // hidden control gets its resize event only when shown; a size already announced is not
    // announced again, or the host would move the editor back from where that size put it.
    if (!m_followingWidth && size() != m_announcedSize) {
        m_announcedSize = size();
        emit Resize();
    }
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
    MarkMisreadNumbers(widgets.count);

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
    const int top = TwipsToPixels(g.top);
    it->second.count->setGeometry(TwipsToPixels(g.countLeft), top, TwipsToPixels(M::CountWidth), m_fieldHeight);
    it->second.unit->setGeometry(TwipsToPixels(g.unitLeft), top, TwipsToPixels(M::UnitWidth), m_fieldHeight);
    it->second.button->setGeometry(TwipsToPixels(g.buttonLeft), top, TwipsToPixels(M::ButtonWidth), m_fieldHeight);
}

void ControlJsj::followWidth()
{
    // Raised here, at once, even while the control is hidden (when Qt holds the resize event back
    // until it is shown) and when the new width rounds to the same pixels.
    m_followingWidth = true;
    resize(TwipsToPixels(m_model.width()), height());
    m_followingWidth = false;
    m_announcedSize = size();
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
