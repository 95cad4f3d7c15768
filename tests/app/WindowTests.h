#pragma once

#include "app/CalculatorWindow.h"
#include "app/SheetEditCommands.h"
#include "common/Dialogs.h"
#include "costline/ControlJsj.h"

#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QObject>
#include <QPushButton>
#include <QSignalSpy>
#include <QStyle>
#include <QStyleOptionViewItem>
#include <QTest>
#include <QTreeView>
#include <QUrl>

#include <functional>
#include <memory>

// Types the text key by key, Chinese characters too (QTest::keyClicks takes Latin-1 only).
inline void typeText(QWidget *widget, const QString &text)
{
    for (const QChar c : text) {
        const Qt::Key key = c.isDigit() ? Qt::Key(Qt::Key_0 + c.digitValue()) : Qt::Key_unknown;
        QTest::sendKeyEvent(QTest::Press, widget, key, QString(c), Qt::NoModifier);
        QTest::sendKeyEvent(QTest::Release, widget, key, QString(c), Qt::NoModifier);
    }
}

// Runs `check` on the modal dialog that the next action opens, then closes it.
void answerNextModal(std::function<void(QWidget *)> check);

// Records what the program hands to the browser instead of opening it.
class UrlRecorder : public QObject
{
    Q_OBJECT
public:
    QList<QUrl> opened;
public slots:
    void open(const QUrl &url) { opened.append(url); }
};

// The calculator window shown and active, with its controls found by object name as a person
// would see them. Rows and columns count from 1, as the sheet does.
struct Window
{
    std::unique_ptr<CalculatorWindow> owned;
    CalculatorWindow &window;
    QTreeView *list = window.findChild<QTreeView *>(QStringLiteral("Lv1"));
    QComboBox *category = window.findChild<QComboBox *>(QStringLiteral("Combo1"), Qt::FindDirectChildrenOnly);
    QLineEdit *content = window.findChild<QLineEdit *>(QStringLiteral("Text2"), Qt::FindDirectChildrenOnly);
    ControlJsj *expression = window.findChild<ControlJsj *>(QStringLiteral("ControlJsj1"));
    QGroupBox *frame = window.findChild<QGroupBox *>(QStringLiteral("Frame1"));

    explicit Window(CalculatorWindow *prepared = new CalculatorWindow) : owned(prepared), window(*prepared)
    {
        window.move(0, 0);
        window.show();
        window.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&window));
    }
    template <typename T> T *bar(const char *name) const { return frame->findChild<T *>(QString::fromLatin1(name)); }
    QLineEdit *box(const char *name) const { return bar<QLineEdit>(name); }
    CostSheet &sheet() { return window.sheet(); }
    SheetHistory &history() { return window.editCommands().history(); }
    QRect cell(int row, int column) const { return list->visualRect(list->model()->index(row - 1, column - 1)); }
    void click(int row, int col) { QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, cell(row, col).center()); }
    // Clicks a row's tick box.
    void tick(int row)
    {
        QStyleOptionViewItem option;
        option.rect = cell(row, 1);
        option.features = QStyleOptionViewItem::HasCheckIndicator;
        const QRect box = list->style()->subElementRect(QStyle::SE_ItemViewItemCheckIndicator, &option, list);
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, box.center());
    }
    // A cell's left edge in the window.
    int cellLeft(int column) const
    {
        return list->viewport()->mapTo(&window, QPoint(list->header()->sectionViewportPosition(column - 1), 0)).x();
    }
    // The editor of a column (2 category, 3 content, 4 expression).
    QWidget *editor(int column) const { return QList<QWidget *>{category, content, expression}.at(column - 2); }
    // Opens a cell's editor with a click and types into it.
    QWidget *edit(int row, int column, const QString &text)
    {
        click(row, column);
        QWidget *field = column == 4 ? expression->unitPriceField() : editor(column);
        [&] { QTRY_COMPARE(QApplication::focusWidget(), field); }();
        typeText(field, text);
        return field;
    }
    // Makes a row current with the focus in the list, where the edit keys act.
    void select(int row)
    {
        list->setFocus();
        list->setCurrentIndex(list->model()->index(row - 1, 0));
        [&] { QTRY_COMPARE(QApplication::focusWidget(), list); }();
    }
    void key(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::ControlModifier)
    {
        QTest::keyClick(list, key, modifiers);
    }
    // Triggers a menu item without showing the menu.
    void menu(const char *name) { window.popupMenu()->findChild<QAction *>(QString::fromLatin1(name))->trigger(); }
    // Picks an item of the popup menu as a person does: open it with Command1, click the item.
    void choose(const char *item)
    {
        QTest::mouseClick(bar<QPushButton>("Command1"), Qt::LeftButton);
        QMenu *shown = window.popupMenu();
        [&] { QTRY_VERIFY(shown->isVisible()); }();
        QAction *action = shown->findChild<QAction *>(QString::fromLatin1(item));
        QTest::mouseClick(shown, Qt::LeftButton, {}, shown->actionGeometry(action).center());
    }
};

// Each test class of the window test program; defined beside its tests.
int runControlJsjTests(int argc, char *argv[]);
int runCalculatorWindowTests(int argc, char *argv[]);
int runSheetEditCommandsTests(int argc, char *argv[]);
int runMemoryWindowTests(int argc, char *argv[]);
