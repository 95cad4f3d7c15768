#include "WindowTests.h"

#include "app/HelpDialog.h"
#include "app/QtTranslations.h"
#include "excel/QuoteExport.h"
#include "sheet/CostSheetModel.h"

#include <QDesktopServices>
#include <QHelpEvent>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTextBlock>
#include <QToolTip>
#include <QWheelEvent>

namespace {
// Help text as the planner reads it.
const QString HelpText = QStringLiteral("导出到Excel:将计算的结果保存到Excel中，以后要使用\n"
                                        "            的时候可以使用“从Excel导入”导入，也\n"
                                        "            可以将报价发送给同行。\n"
                                        "要求：本机必须安装有“Microsoft Excel”\n\n"
                                        "从Excel导入：将导出的数据恢复到本程序中\n"
                                        "要求：1.格式不能改变，每列都是原来的内容。\n"
                                        "      2.“表达式”列不能修改，“单价: 123.00 × \n"
                                        "        45间 × 6天”其中“123.00”前必须有一个半\n"
                                        "        角空格，“×”的前后各有一个空格。");

// The help text's indents line up with the text above them.
void checkIndents(QPlainTextEdit *text)
{
    using Indent = std::tuple<int, int, int, int>; // line, column, and the line and column above
    auto x = [text](int line, int column) {
        QTextCursor cursor(text->document()->findBlockByNumber(line));
        cursor.setPosition(cursor.position() + column);
        return text->cursorRect(cursor).x();
    };
    for (const auto &[line, column, aboveLine, aboveColumn] :
         {Indent{1, 12, 0, 9}, Indent{2, 12, 0, 9}, Indent{7, 6, 6, 3}, Indent{8, 8, 7, 8}, Indent{9, 8, 7, 8}})
        QVERIFY(qAbs(x(line, column) - x(aboveLine, aboveColumn)) <= 1);
}

// While a dialog is open, a click on the main window (sent through its window, where modal
// blocking happens) opens no editor.
void checkMainWindowIsBlocked(Window &w)
{
    const QPoint cell = w.list->viewport()->mapTo(&w.window, w.cell(2, 2).center());
    QTest::mouseClick(w.window.windowHandle(), Qt::LeftButton, {}, cell);
    QCOMPARE(w.sheet().CurRow(), 0);
    QVERIFY(!w.category->isVisible());
}
} // namespace

class CalculatorWindowTest : public QObject
{
    Q_OBJECT
private slots:
    void startsAsDesigned()
    {
        Window w;
        QCOMPARE(w.window.objectName(), QStringLiteral("计算器"));
        QCOMPARE(w.window.windowTitle(),
                 QStringLiteral("Orvane旅游软件系列——Brenmoor     https://www.orvane.example/"));
        // 9795 × 6700 twips, frame included.
        QCOMPARE(w.window.frameGeometry().size(), QSize(653, 447));
        QVERIFY(w.window.size() != w.window.frameGeometry().size());
        QCOMPARE(w.list->model()->rowCount(), 20);
        QCOMPARE(w.list->header()->sectionSize(0), 19); // 280 twips, whatever the font
        QCOMPARE(w.list->header()->sectionSize(1), 80); // 1200 twips
        QVERIFY(!w.category->isVisible() && !w.content->isVisible() && !w.expression->isVisible());

        // The bottom bar: texts, left, top and width as designed (heights follow the font).
        using Control = std::tuple<const char *, const char16_t *, int, int, int>; // name, text, left, top, width
        for (const auto &[name, text, left, top, width] :
             {Control{"Label1", u"合计", 180, 300, 0}, Control{"Text1", u"", 660, 240, 1515},
              Control{"Label2", u"元 /", 2340, 300, 0}, Control{"Text3", u"", 2880, 240, 855},
              Control{"Label3", u"人                ＝", 3900, 300, 1800},
              Control{"Command2", u"刷新人数(&S)", 4140, 240, 1275}, Control{"Text4", u"", 5760, 240, 1455},
              Control{"Label4", u"元", 7320, 300, 0}, Control{"Command1", u"其它功能(&Q)", 7620, 240, 1275}}) {
            QWidget *widget = w.bar<QWidget>(name);
            QVERIFY2(widget, name);
            QCOMPARE(widget->property("text").toString(), QString::fromUtf16(text));
            QCOMPARE(widget->pos(), QPoint(qRound(left / 15.0), qRound(top / 15.0)));
            if (width)
                QCOMPARE(widget->width(), qRound(width / 15.0));
        }
    }

    // 人 and ＝ are drawn at the two ends of Label3 in whatever font, with Command2 between them.
    void headCountLabelLeavesTheRefreshButtonClear()
    {
        Window w;
        auto *label = w.bar<QLabel>("Label3");
        const QRect button = w.bar<QPushButton>("Command2")->geometry();
        const QImage image = label->grab().toImage();
        const QRgb background = image.pixel(image.width() / 2, image.height() - 1);
        int inkLeftOfButton = 0, inkRightOfButton = 0;
        for (int x = 0; x < image.width(); ++x)
            for (int y = 0; y < image.height(); ++y)
                if (image.pixel(x, y) != background) {
                    const int inFrame = label->x() + x * label->width() / image.width();
                    QVERIFY2(inFrame < button.left() || inFrame > button.right(), "text under the refresh button");
                    ++(inFrame < button.left() ? inkLeftOfButton : inkRightOfButton);
                }
        QVERIFY(inkLeftOfButton > 0 && inkRightOfButton > 0);
    }

    void followsEveryResize()
    {
        Window w;
        auto check = [&](int width, int height) {
            QCOMPARE(w.list->width(), width - 8); // 120 twips
            QCOMPARE(w.list->header()->sectionSize(ContentColumn), qRound(((width * 15 - 120) - 2800) / 2.0 / 15));
            QCOMPARE(w.list->header()->sectionSize(ExpressionColumn), w.list->header()->sectionSize(ContentColumn));
            QCOMPARE(w.list->height(), height - 4 - 4 - 45);
            QCOMPARE(w.frame->y(), w.list->y() + w.list->height());
            QCOMPARE(w.frame->x(), qRound((width * 15 - 9135) / 2.0 / 15));
        };
        check(w.window.width(), w.window.height());
        w.window.resize(900, 600);
        check(900, 600);

        // The window keeps the whole bottom bar and a few rows: it is no smaller than that.
        w.window.resize(300, 200);
        QVERIFY(w.window.width() > 300);
        QVERIFY(w.window.rect().contains(w.frame->geometry()));
        QVERIFY(w.list->height() > 3 * w.cell(1, 1).height());

        // Too narrow for the flexible columns and too low for the list (a platform that ignores
        // the minimum): those steps are skipped, the others still run, and no message is shown.
        w.window.resize(900, 600);
        w.window.setMinimumSize(0, 0);
        const int contentBefore = w.list->header()->sectionSize(ContentColumn);
        const int heightBefore = w.list->height();
        w.window.resize(150, 40);
        QCOMPARE(w.list->width(), 142);
        QCOMPARE(w.list->header()->sectionSize(ContentColumn), contentBefore);
        QCOMPARE(w.list->height(), heightBefore);
        QCOMPARE(w.frame->x(), qRound((150 * 15 - 9135) / 2.0 / 15));
        QCOMPARE(w.frame->y(), w.list->y() + heightBefore);
        w.window.resize(5, 5); // no width for the list either: it keeps the one it had
        QCOMPARE(w.list->width(), 142);
        QVERIFY(Dialogs::takeShownMessages().isEmpty());
    }

    void pricesALineWithMouseAndKeyboard()
    {
        Window w;
        w.edit(2, 2, QStringLiteral("保险"));
        QCOMPARE(w.sheet().CurRow(), 2);
        QCOMPARE(w.category->x(), w.cellLeft(2) + 2); // + 30 twips
        QCOMPARE(w.category->y(), w.list->viewport()->mapTo(&w.window, w.cell(2, 2).topLeft()).y());
        QCOMPARE(w.category->width(), w.list->header()->sectionSize(1) + 2);
        QTest::keyClick(w.category, Qt::Key_Return);
        QCOMPARE(w.category->count(), 9); // a category not in the list is stored, not added
        QCOMPARE(w.content->x(), w.cellLeft(3) + 2);
        QTRY_COMPARE(QApplication::focusWidget(), w.content);

        typeText(w.content, QStringLiteral("旅游意外险"));
        QTest::keyClick(w.content, Qt::Key_Left);
        QTRY_COMPARE(QApplication::focusWidget(), w.expression->unitPriceField());
        typeText(w.expression->unitPriceField(), QStringLiteral("20"));

        QTest::mouseClick(w.expression->timesButton(0), Qt::LeftButton);
        QTRY_COMPARE(QApplication::focusWidget(), w.expression->countField(1));
        QVERIFY(w.expression->isVisible()); // the focus stayed inside the editor
        typeText(w.expression->countField(1), QStringLiteral("45"));
        QTest::keyClick(w.expression->countField(1), Qt::Key_Return);
        QTRY_COMPARE(QApplication::focusWidget(), w.expression->unitField(1));
        typeText(w.expression->unitField(1), QStringLiteral("间"));

        QCOMPARE(w.sheet().row(2), (CostLine{"2", "保险", "旅游意外险", "单价: 20.00 × 45间", "900", true}));
        QCOMPARE(w.list->model()->index(1, AmountColumn).data().toString(), QStringLiteral("900"));
        QCOMPARE(w.box("Text1")->text(), QStringLiteral("900"));
        QTest::mouseClick(w.box("Text3"), Qt::LeftButton);
        QTRY_VERIFY(!w.expression->isVisible()); // leaving the editor hides it

        // Editing the cell again reads the expression back into the editor.
        w.click(2, 4);
        QTRY_VERIFY(w.expression->isVisible());
        QCOMPARE(w.expression->countField(1)->text() + w.expression->unitField(1)->currentText(),
                 QStringLiteral("45间"));
    }

    // Rows and editors are one height, and the editors stand on their row.
    void editorsStandOnTheirRowAtItsHeight()
    {
        Window w;
        const int row = w.cell(1, 2).height();
        QVERIFY(row >= w.category->minimumSizeHint().height());
        for (int column : {2, 3, 4}) {
            w.click(1, column);
            QTRY_VERIFY(w.editor(column)->isVisible());
            QCOMPARE(w.editor(column)->height(), row);
            QCOMPARE(w.editor(column)->y(), w.list->viewport()->mapTo(&w.window, w.cell(1, 2).topLeft()).y());
        }
        // The expression editor's fields are not squeezed below what their font needs.
        w.expression->timesButton(0)->click();
        const QList<QWidget *> fields = {w.expression->unitPriceField(), w.expression->countField(1),
                                         w.expression->unitField(1)};
        for (QWidget *field : fields)
            QVERIFY(field->height() >= field->minimumSizeHint().height());
    }

    void keysMoveOn()
    {
        const int shift = Qt::ShiftModifier, keypad = Qt::KeypadModifier;
        // In the content editor (3) Left moves on and Right moves the caret.
        using Key = std::tuple<int, int, int, bool>; // column, key, modifiers, whether the edit moves on
        for (const auto &[column, key, modifiers, movesOn] :
             {Key{2, Qt::Key_Right, 0, true}, Key{2, Qt::Key_Return, 0, true}, Key{2, Qt::Key_Enter, keypad, true},
              Key{2, Qt::Key_Right, shift, true}, Key{2, Qt::Key_Left, 0, false}, Key{2, Qt::Key_Escape, 0, false},
              Key{3, Qt::Key_Left, 0, true}, Key{3, Qt::Key_Return, 0, true}, Key{3, Qt::Key_Enter, keypad, true},
              Key{3, Qt::Key_Return, shift, true}, Key{3, Qt::Key_Right, 0, false}}) {
            Window w;
            w.sheet().setContent(3, QStringLiteral("旧"));
            w.edit(3, column, QStringLiteral("新"));
            QTest::keyClick(w.editor(column), Qt::Key(key), Qt::KeyboardModifiers(modifiers));
            const CostLine &line = w.sheet().row(3);
            const QString before = column == 2 ? QString() : QStringLiteral("旧");
            QCOMPARE(column == 2 ? line.Category : line.Content, movesOn ? QStringLiteral("新") : before);
            QCOMPARE(w.editor(column)->isVisible(), !movesOn);
            QCOMPARE(w.editor(column + 1)->isVisible(), movesOn);
            if (movesOn) {
                QCOMPARE(w.editor(column + 1)->y(), w.list->viewport()->mapTo(&w.window, w.cell(3, 1).topLeft()).y());
                QTRY_VERIFY(w.editor(column + 1)->hasFocus());
            }
        }
    }

    void dropDownFollowsTheTextAndEnterMovesOn()
    {
        Window w;
        w.sheet().setCategory(4, QStringLiteral("房"));
        w.sheet().setCategory(5, QStringLiteral("大交通"));
        w.click(5, 2); // leaves the list at 大交通
        QTRY_COMPARE(QApplication::focusWidget(), w.category);
        QCOMPARE(w.category->lineEdit()->selectedText(), QStringLiteral("交通")); // from the second character
        w.click(4, 2);
        QCOMPARE(w.category->lineEdit()->selectedText(), QString());
        QCOMPARE(w.category->lineEdit()->cursorPosition(), 1);
        QTest::keyClick(w.category, Qt::Key_Down);
        QCOMPARE(w.category->currentText(), QStringLiteral("餐"));

        // Picked from the open list with the keyboard, one Enter commits and opens the content editor.
        w.category->showPopup();
        QAbstractItemView *list = w.category->view();
        QTRY_VERIFY(list->isVisible());
        QTest::keyClick(list, Qt::Key_Down);
        QTest::keyClick(list, Qt::Key_Enter, Qt::KeypadModifier);
        QCOMPARE(w.sheet().row(4).Category, QStringLiteral("车"));
        QVERIFY(!list->isVisible() && !w.category->isVisible());
        QTRY_COMPARE(QApplication::focusWidget(), w.content);
    }

    void commitsWhenTheFocusLeaves()
    {
        // Where the focus goes: another row's cell, the head-count box (row 0), nowhere as the list
        // scrolls under the editor (row -1).
        using Leave = std::tuple<int, int, int>; // the edited column, where the focus goes
        for (const auto &[column, otherRow, otherColumn] :
             {Leave{2, 0, 0}, Leave{3, 0, 0}, Leave{2, 6, 3}, Leave{3, 6, 2}, Leave{3, 1, 4}, Leave{2, -1, 0},
              Leave{3, -1, 0}, Leave{4, -1, 0}}) {
            Window w;
            w.sheet().setCategory(6, QStringLiteral("导游"));
            w.sheet().setContent(6, QStringLiteral("全陪"));
            w.edit(2, column, QStringLiteral("8"));
            if (otherRow > 0) {
                w.click(otherRow, otherColumn);
            } else if (otherRow == 0) {
                QTest::mouseClick(w.box("Text3"), Qt::LeftButton);
            } else {
                const QPoint at = w.cell(5, 3).center();
                QWheelEvent wheel(at, w.list->viewport()->mapToGlobal(at), {}, QPoint(0, -120), Qt::NoButton,
                                  Qt::NoModifier, Qt::NoScrollPhase, false);
                QApplication::sendEvent(w.list->viewport(), &wheel);
                QVERIFY(w.list->verticalScrollBar()->value() > 0);
                QVERIFY(!w.editor(column)->isVisible());
            }
            // The edit ends in the row it began in, before the click names another row.
            QTRY_VERIFY(!w.editor(column)->isVisible());
            const CostLine &line = w.sheet().row(2);
            QCOMPARE(QStringList({line.Category, line.Content, line.AmountText}).at(column - 2), QStringLiteral("8"));
            QCOMPARE(w.sheet().row(6).Category, QStringLiteral("导游"));
            QCOMPARE(w.sheet().row(6).Content, QStringLiteral("全陪"));
            if (otherRow > 0) {
                QCOMPARE(w.sheet().CurRow(), otherRow);
                QTRY_VERIFY(w.editor(otherColumn)->isVisible());
                if (otherColumn == 3) // the content editor selects all
                    QCOMPARE(w.content->selectedText(), QStringLiteral("全陪"));
            }
        }
    }

    void clicksWithoutEditorTicksAndTypedBoxes()
    {
        Window w;
        w.window.resize(653, 900); // every row in sight
        const QRect amount = w.cell(7, 5), last = w.cell(20, 2), number = w.cell(6, 1);
        // On an amount, beside a tick box, right of the columns, below the rows.
        using Click = std::pair<QPoint, int>;
        for (const auto &[at, curRow] : {Click{w.cell(4, 5).center(), 4}, Click{number.bottomRight(), 6},
                                         Click{QPoint(amount.right() + 5, amount.center().y()), 7},
                                         Click{QPoint(last.center().x(), last.bottom() + 10), 21}}) {
            QTest::mouseClick(w.list->viewport(), Qt::LeftButton, {}, at);
            QCOMPARE(w.sheet().CurRow(), curRow);
            QVERIFY(!w.category->isVisible() && !w.content->isVisible() && !w.expression->isVisible());
        }
        QCOMPARE(w.sheet().rowCount(), 20);
        for (int row = 1; row <= 20; ++row)
            QCOMPARE(w.sheet().row(row), (CostLine{QString::number(row), {}, {}, {}, {}, false}));

        // Ticks and typed boxes recompute the totals.
        w.sheet().setAmountText(1, QStringLiteral("100"));
        w.sheet().setAmountText(2, QStringLiteral("33.5"));
        w.box("Text3")->setText(QStringLiteral("2"));
        for (int row : {1, 2}) {
            w.tick(row);
            QTRY_VERIFY(w.sheet().row(row).Included);
        }
        QCOMPARE(w.box("Text4")->text(), QStringLiteral("66.75")); // (100 + 33.5) / 2
        QVERIFY(!w.category->isVisible() && !w.content->isVisible());
        // A typed total is divided by a typed head count as it stands.
        QTest::mouseClick(w.box("Text1"), Qt::LeftButton);
        w.box("Text1")->clear();
        typeText(w.box("Text1"), QStringLiteral("10.00004"));
        QTest::mouseClick(w.box("Text3"), Qt::LeftButton);
        w.box("Text3")->clear();
        typeText(w.box("Text3"), QStringLiteral("0.1"));
        QCOMPARE(w.box("Text4")->text(), QStringLiteral("100.0004"));

        // A text cut at the column's edge shows whole in its tooltip.
        const QString longText = QStringLiteral("北京饭店 标准间 含双早 延迟退房至十八点 另加床一张 接送机两次");
        w.sheet().setContent(2, longText);
        w.sheet().setContent(3, QStringLiteral("短"));
        for (int row : {2, 3}) {
            const QPoint at = w.cell(row, 3).center();
            QHelpEvent help(QEvent::ToolTip, at, w.list->viewport()->mapToGlobal(at));
            QApplication::sendEvent(w.list->viewport(), &help);
            QTRY_COMPARE(QToolTip::isVisible() ? QToolTip::text() : QString(), row == 2 ? longText : QString());
        }
    }

    void expressionEditorStaysInsideTheWindow()
    {
        Window w;
        w.click(1, 4);
        QTRY_VERIFY(w.expression->isVisible());
        // Reading the empty cell narrowed the editor, and its Resize put it on column 4's edge.
        const int column4 = w.cellLeft(4);
        QCOMPARE(w.expression->x(), column4);
        const int column5 = w.cellLeft(5);
        for (int added = 1;; ++added) {
            QVERIFY(added < 10);
            w.expression->timesButton(w.expression->model().LastSlot())->click();
            if (w.expression->x() != column4)
                break;
            QVERIFY(w.expression->x() + w.expression->width() <= w.window.width());
        }
        // Right edge on the amount column's left edge (within the rounding of twips to pixels).
        QVERIFY(qAbs(w.expression->x() + w.expression->width() - column5) <= 1);
        w.expression->timesButton(0)->click(); // one factor less: it fits again
        QCOMPARE(w.expression->x(), column4);

        // Opened on a line too wide for the window, it stands left of the amount column at once.
        w.sheet().setExpression(3, QStringLiteral("单价: 50.00 × 25人 × 10餐 × 2桌"));
        w.click(3, 4);
        QTRY_VERIFY(w.expression->isVisible());
        QVERIFY(qAbs(w.expression->x() + w.expression->width() - column5) <= 1);
        // With more factors than the way to the amount column holds, the unit price stays in sight.
        for (int added = 0; added < 6; ++added)
            w.expression->timesButton(w.expression->model().LastSlot())->click();
        QCOMPARE(w.expression->x(), 0);

        // A text longer than the editor showed to its right, the old one while the editor changed.
        w.window.resize(1200, 600);
        w.sheet().setExpression(2, QStringLiteral("单价: 5.00 × 2很长很长很长很长很长很长很长很长很长的单位"));
        w.click(2, 4);
        QTRY_VERIFY(w.expression->isVisible());
        const QRect cell = w.cell(2, 4);
        const int right = w.list->viewport()->mapFrom(&w.window, w.expression->geometry().topRight()).x();
        QVERIFY(right + 20 < cell.right());
        const QImage image = w.list->viewport()->grab().toImage();
        for (int x = right + 2; x < cell.right() - 2; ++x)
            for (int y = cell.top() + 2; y < cell.bottom() - 2; ++y)
                QCOMPARE(image.pixel(x, y), image.pixel(right + 2, cell.top() + 2));
    }

    void unitTypedIntoTheCountBoxIsKeptAndRefreshNeedsAHeadCount()
    {
        Window w;
        w.edit(1, 4, QStringLiteral("60"));
        QTest::mouseClick(w.expression->timesButton(0), Qt::LeftButton);
        QTRY_VERIFY(w.expression->countField(1)->hasFocus());
        typeText(w.expression->countField(1), QStringLiteral("30人"));
        QTest::mouseClick(w.box("Text3"), Qt::LeftButton);
        QTRY_VERIFY(!w.expression->isVisible());
        QCOMPARE(w.sheet().row(1).Expression, QStringLiteral("单价: 60.00 × 30人"));
        const QList<CostLine> rows = w.sheet().rows();
        QTest::mouseClick(w.bar<QPushButton>("Command2"), Qt::LeftButton); // no head count yet: refused
        const auto shown = Dialogs::takeShownMessages();
        QCOMPARE(shown.size(), 1);
        QVERIFY(shown.first().text.contains(QStringLiteral("大于 0 的人数")));
        QCOMPARE(w.sheet().rows(), rows);
        typeText(w.box("Text3"), QStringLiteral("25"));
        QTest::mouseClick(w.bar<QPushButton>("Command2"), Qt::LeftButton);
        QCOMPARE(w.sheet().row(1).AmountText, QStringLiteral("1500"));
    }

    void keyboardCommandsCloseAnOpenEditorFirst()
    {
        // Alt+Q, 删除选中行 with row 1's expression open: the next keystroke went into the row
        // that moved up.
        Window w;
        w.sheet().setRow(2, {"2", "餐", "午餐", "单价: 30.00 × 3人", "90", true});
        w.edit(1, 4, QStringLiteral("5"));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Q, Qt::AltModifier);
        QMenu *menu = w.window.popupMenu();
        QTRY_VERIFY(menu->isVisible());
        QTest::keyClick(menu, Qt::Key_Down);
        QTest::keyClick(menu, Qt::Key_Return);
        QTRY_COMPARE(w.sheet().row(1).Content, QStringLiteral("午餐"));
        QVERIFY(!w.expression->isVisible());
        typeText(QApplication::focusWidget(), QStringLiteral("7"));
        QCOMPARE(w.sheet().row(1).Expression, QStringLiteral("单价: 30.00 × 3人"));

        // Alt+S with the editor open: it closed, so no keystroke puts the old count back.
        w.box("Text3")->setText(QStringLiteral("4"));
        w.click(1, 4);
        QTRY_VERIFY(w.expression->countField(1) && w.expression->isVisible());
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_S, Qt::AltModifier);
        QTRY_VERIFY(!w.expression->isVisible());
        typeText(QApplication::focusWidget(), QStringLiteral("7"));
        QCOMPARE(w.sheet().row(1).Expression, QStringLiteral("单价: 30.00 × 4人"));

        // A paste into a description is one line.
        QGuiApplication::clipboard()->setText(QStringLiteral("房\t如家\r\n餐\t午餐\r\n"));
        QTest::keyClick(w.edit(1, 3, QStringLiteral("x")), Qt::Key_V, Qt::ControlModifier);
        QTest::keyClick(w.content, Qt::Key_Return);
        QTRY_VERIFY(!w.content->isVisible());
        QCOMPARE(w.sheet().row(1).Content, QStringLiteral("x房 如家 餐 午餐"));
        QVERIFY(w.sheet().row(2).Content.isEmpty());
        QTest::keyClick(w.edit(3, 2, QStringLiteral("y")), Qt::Key_V, Qt::ControlModifier);
        QCOMPARE(w.category->currentText(), QStringLiteral("y房 如家 餐 午餐"));
    }

    void menuItemsAsDesigned()
    {
        Window w;
        // Each item by name and caption; an empty caption is a separator.
        QStringList shown;
        for (const QAction *action : w.window.popupMenu()->actions()) {
            QCOMPARE(action->isSeparator(), action->text().isEmpty());
            QVERIFY(action->isEnabled() && action->isVisible() && !action->isCheckable());
            shown << (action->objectName() + QLatin1Char(' ') + action->text()).trimmed();
        }
        QCOMPARE(shown.join(u'|'),
                 QStringLiteral("MnuLv_1Del 删除选中行|MnuLv_1Add 追加一行|MnuLv_1|MnuLv_2OutExcel 导出到Excel|"
                                "MnuLv_2InExcel 从Excel导入|MnuLv_2Quote 报价单(&B)…|"
                                "MnuLv_2Recent 最近的报价(&R)…|MnuLv_2|"
                                "MnuLv_SiteWeb 登录Orvane网站|MnuLv_SiteBbs 登录Orvane论坛|"
                                "MnuLv_Sitedown Orvane软件下载|MnuLv_3|MnuLv_4help 帮助|MnuLv_4about 关于"));
    }

    // The row commands.
    void rowCommandsThroughTheMenu()
    {
        Window w;
        w.sheet().setRow(3, {"3", {}, {}, {}, "50", true});
        w.sheet().setRow(4, {"4", {}, {}, {}, "7", true});
        w.click(3, 5); // selects row 3 in the list
        w.choose("MnuLv_1Del");
        QCOMPARE(w.sheet().rowCount(), 19);
        QCOMPARE(w.sheet().row(3).Number, QStringLiteral("4"));
        QCOMPARE(w.box("Text1")->text(), QStringLiteral("7"));
        w.choose("MnuLv_1Add");
        QCOMPARE(w.sheet().rowCount(), 20);
        QCOMPARE(w.sheet().row(20).Number, QStringLiteral("20"));
        w.list->selectionModel()->clear(); // nothing selected: nothing deleted
        w.choose("MnuLv_1Del");
        QCOMPARE(w.sheet().rowCount(), 20);
    }

    // The vendor pages and the About window's link go to the browser, without a message.
    void vendorPagesGoToTheBrowser()
    {
        Window w;
        UrlRecorder recorder;
        QDesktopServices::setUrlHandler(QStringLiteral("https"), &recorder, "open");
        for (const char *item : {"MnuLv_SiteWeb", "MnuLv_SiteBbs", "MnuLv_Sitedown"})
            w.choose(item);
        answerNextModal([](QWidget *modal) {
            QTest::mouseClick(modal->findChild<QLabel *>(QStringLiteral("Label5")), Qt::LeftButton);
        });
        w.choose("MnuLv_4about");
        QDesktopServices::unsetUrlHandler(QStringLiteral("https"));
        const QUrl home(QStringLiteral("https://www.orvane.example/"));
        QCOMPARE(recorder.opened, (QList<QUrl>{home, QUrl(QStringLiteral("https://bbs.orvane.example/")),
                                               QUrl(QStringLiteral("https://www.orvane.example/download")), home}));
        QVERIFY(Dialogs::takeShownMessages().isEmpty());
    }

    // A right press opens the menu at the pointer, over the rows and below them.
    void menuOpensAtThePointerAndOverCommand1()
    {
        Window w;
        QMenu *menu = w.window.popupMenu();
        const QPoint overRows = w.cell(3, 3).center();
        const QPoint belowRows(150, w.list->viewport()->height() - 3);
        w.list->verticalScrollBar()->setValue(w.list->verticalScrollBar()->maximum());
        for (const QPoint &at : {overRows, belowRows}) {
            QTest::mousePress(w.list->viewport(), Qt::RightButton, {}, at);
            QTRY_VERIFY(menu->isVisible());
            QCOMPARE(menu->pos(), w.list->viewport()->mapToGlobal(at));
            menu->hide();
            QTest::mouseRelease(w.list->viewport(), Qt::RightButton, {}, at);
        }
        for (Qt::MouseButton button : {Qt::LeftButton, Qt::MiddleButton}) {
            QTest::mouseClick(w.list->viewport(), button, {}, belowRows);
            QVERIFY(!menu->isVisible());
        }
        // From Command1 the menu opens over the button's top-left corner.
        QPushButton *command1 = w.bar<QPushButton>("Command1");
        QTest::mouseClick(command1, Qt::LeftButton);
        QTRY_VERIFY(menu->isVisible());
        QCOMPARE(menu->pos(), w.window.mapToGlobal(w.frame->pos() + command1->pos()));
        menu->hide();
    }

    void importShowsTheFirstRow()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("long.xlsx"));
        CostSheet other;
        QList<RowTexts> rows;
        for (int k = 1; k <= 300; ++k)
            rows.append({QStringLiteral("车"), QString::number(k), {}, QStringLiteral("10")});
        other.writeRowsKeepingTotals(1, rows);
        QVERIFY(WriteQuoteWorkbook(other, path, nullptr));
        Window w;
        for (int k = 0; k < 600; ++k)
            w.sheet().AddRow();
        w.list->verticalScrollBar()->setValue(w.list->verticalScrollBar()->maximum());
        Dialogs::setNextFileName(path);
        w.menu("MnuLv_2InExcel");
        QCOMPARE(w.sheet().rowCount(), 300);
        QCOMPARE(w.list->indexAt(QPoint(5, 5)).row(), 0);
    }

    void qtTextsAreChinese()
    {
        QVERIFY(LoadQtChineseTranslations(*qApp));
        QMessageBox message;
        message.setStandardButtons(QMessageBox::Ok);
        QCOMPARE(message.button(QMessageBox::Ok)->text(), QStringLiteral("确定"));
        // The dialog's font may resolve to one whose spaces are half a Chinese character; these do not.
        QPlainTextEdit box;
        QFont proportional;
        proportional.setFamilies({QStringLiteral("Noto Sans CJK SC"), QStringLiteral("WenQuanYi Zen Hei")});
        box.setFont(proportional);
        box.setLineWrapMode(QPlainTextEdit::NoWrap);
        box.setPlainText(HelpText);
        HelpDialog::alignToHalfWidthGrid(box);
        box.resize(640, 400);
        checkIndents(&box);
    }

    void aboutIsModalAndAsDesigned()
    {
        Window w;
        QString seen;
        answerNextModal([&](QWidget *modal) {
            seen = modal->objectName();
            QCOMPARE(modal->windowTitle(), QStringLiteral("关于"));
            QCOMPARE(modal->minimumSize(), modal->maximumSize());
            QVERIFY(!(modal->windowFlags() & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint)));
            const auto label = [modal](const char *name) {
                return modal->findChild<QLabel *>(QString::fromLatin1(name));
            };
            using Label = std::tuple<const char *, const char16_t *, qreal, bool>; // name, text, points, bold
            for (const auto &[name, text, points, bold] :
                 {Label{"Label4", u"Orvane旅游软件系列", 14.25, false}, Label{"Label1", u"Quilvar", 26.25, true},
                  Label{"Label2", u"免费绿色版V2.0", 15, true},
                  Label{"Label5", u"https://www.orvane.example/", 10.5, true}}) {
                QCOMPARE(label(name)->text(), QString::fromUtf16(text));
                QCOMPARE(label(name)->font().pointSizeF(), points);
                QCOMPARE(label(name)->font().bold(), bold);
            }
            QCOMPARE(label("Label7")->text(), QStringLiteral("技术支持："));
            QVERIFY(label("Label5")->font().underline());
            QVERIFY(!label("Image1")->pixmap().isNull());
            checkMainWindowIsBlocked(w);
        });
        w.choose("MnuLv_4about");
        QCOMPARE(seen, QStringLiteral("FrmAbout"));
    }

    // Help, twice: whatever was typed into its box is gone at the next opening.
    void helpIsModalAndForgetsWhatWasTyped()
    {
        Window w;
        QString seen;
        QCOMPARE(HelpDialog::HelpText(),
                 QString(HelpText).replace(u'\n', QStringLiteral("\r\n")) + QStringLiteral("\r\n"));
        for (int opening = 0; opening < 2; ++opening) {
            seen.clear();
            answerNextModal([&](QWidget *modal) {
                seen = modal->objectName();
                QCOMPARE(modal->windowTitle(), QStringLiteral("帮助"));
                auto *text = modal->findChild<QPlainTextEdit *>(QStringLiteral("Text1"));
                QCOMPARE(text->toPlainText(), HelpText + QLatin1Char('\n'));
                QCOMPARE(text->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
                checkIndents(text);
                QTextCursor end(text->document());
                end.movePosition(QTextCursor::End);
                end.movePosition(QTextCursor::PreviousBlock);
                QVERIFY(text->cursorRect(end).bottom() < text->viewport()->height()); // no line cut off
                text->setPlainText(QStringLiteral("涂改"));
                QCOMPARE(modal->findChild<QPushButton *>(QStringLiteral("Command1"))->text(), QStringLiteral("关闭"));
                checkMainWindowIsBlocked(w);
            });
            w.choose("MnuLv_4help");
            QCOMPARE(seen, QStringLiteral("FrmHelp"));
        }
    }
};

int runCalculatorWindowTests(int argc, char *argv[])
{
    CalculatorWindowTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "CalculatorWindowTest.moc"
