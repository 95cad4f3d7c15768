#pragma once

#include "costline/CostLineEditorModel.h"

#include <QFont>
#include <QWidget>

#include <map>

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

// The cost-line editor: "单价", the unit-price field, and per factor a count field, an editable
// unit field and a "×" button. The fields and their places are the model's; this widget creates,
// destroys and moves the controls as the model says and grows to the right with them.
class ControlJsj : public QWidget
{
    Q_OBJECT
public:
    explicit ControlJsj(QWidget *parent = nullptr);

    CostLineEditorModel &model() { return m_model; }
    const CostLineEditorModel &model() const { return m_model; }

    const QString &StrBds() const { return m_model.StrBds(); }
    void setStrBds(const QString &text) { m_model.setStrBds(text); }
    Amount CurHjje() const { return m_model.CurHjje(); }
    void setCurHjje(Amount amount) { m_model.setCurHjje(amount); }
    void ReadStrBds();

    // The controls, for the host and for tests; null for a free slot.
    QLineEdit *unitPriceField() const { return m_price; }
    QLineEdit *countField(int slot) const;
    QComboBox *unitField(int slot) const;
    QPushButton *timesButton(int slot) const;

    // True when the widget is this control or one of its fields.
    bool holds(const QWidget *widget) const;

    // The height of the fields and of the control: 300 twips, or what the font needs.
    int fieldHeight() const { return m_fieldHeight; }

signals:
    // After every rebuild of StrBds and CurHjje.
    void ChangeText();
    // After every change of the control's width.
    void Resize();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void changeEvent(QEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    struct SlotWidgets
    {
        QLineEdit *count = nullptr;
        QComboBox *unit = nullptr;
        QPushButton *button = nullptr;
    };

    static int fieldHeightFor(const QFont &font);
    void placeFixedControls();
    QPushButton *makeButton(int slot);
    void watchEnter(QWidget *field);
    void addSlot(int slot);
    void removeSlot(int slot);
    void placeSlot(int slot);
    void followWidth();
    void pressButton(int slot);
    void relinkTabOrder();

    CostLineEditorModel m_model;
    QFont m_buttonFont;
    QLabel *m_label = nullptr;
    QLineEdit *m_price = nullptr;
    QPushButton *m_button0 = nullptr;
    std::map<int, SlotWidgets> m_slots;
    int m_fieldHeight = 0;
    bool m_followingWidth = false;
    QSize m_announcedSize;
};
