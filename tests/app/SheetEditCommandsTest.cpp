#include "WindowTests.h"

#include "common/Dialogs.h"
#include "excel/QuoteExport.h"

#include <QClipboard>
#include <QMimeData>
#include <QSignalSpy>
#include <QTemporaryDir>

namespace {

struct State
{
    QList<CostLine> rows;
    QString text1, text3, text4;
    bool operator==(const State &) const = default;
};

QByteArray describe(const State &s)
{
    return QStringLiteral("%1 rows; boxes [%2|%3|%4]").arg(s.rows.size()).arg(s.text1, s.text3, s.text4).toUtf8();
}

State stateOf(Window &w)
{
    return {w.sheet().rows(), w.box("Text1")->text(), w.box("Text3")->text(), w.box("Text4")->text()};
}

// A sheet with priced rows, a head count and a per-head box typed over, as the starting point.
void prepare(Window &w)
{
    CostSheet &s = w.sheet();
    s.setRow(1, {QStringLiteral("1"), QStringLiteral("房"), QStringLiteral("如家"),
                 QStringLiteral("单价: 200 × 2间 × 3人"), QStringLiteral("1000"), true});
    s.setRow(2, {QStringLiteral("2"), QStringLiteral("餐"), QStringLiteral("午餐"), QStringLiteral("单价: 30 × 3人"),
                 QStringLiteral("90"), false});
    w.box("Text3")->setText(QStringLiteral("3"));
    s.RefreshTotals();
    w.box("Text4")->setText(QStringLiteral("手写"));
    s.setText4(QStringLiteral("手写"));
    w.history().clear();
}

// Types the keys one at a time, each in an event-loop pass of its own that closes its step, as a
// planner's typing arrives.
void typeClosingSteps(Window &w, QWidget *field, const QStringList &keys)
{
    QSignalSpy steps(&w.history(), &SheetHistory::stepsChanged);
    for (const QString &key : keys) {
        const int before = int(steps.count());
        typeText(field, key);
        QTRY_COMPARE(steps.count(), before + 1);
    }
}

// Types two keys into a box of the bottom bar, letting each change close its step, then leaves it.
void typeKeyByKey(Window &w, const char *box)
{
    w.box(box)->setFocus();
    QTRY_COMPARE(QApplication::focusWidget(), w.box(box));
    w.box(box)->selectAll();
    typeClosingSteps(w, w.box(box), {QStringLiteral("2"), QStringLiteral("5")});
    w.select(1);
}

} // namespace

class SheetEditCommandsTest : public QObject
{
    Q_OBJECT
private slots:
    void cleanup() { Dialogs::takeShownMessages(); }

    void pastesWhatSpreadsheetsPutOnTheClipboard_data()
    {
        QTest::addColumn<QString>("format");
        QTest::addColumn<QString>("data");
        QTest::newRow("Excel: CR LF, a quoted cell with a line break")
            << "text/plain"
            << QStringLiteral("车\t\"大巴\r\n45座\"\t单价: 800 × 2天\t1600\r\n导游\t\"\"\"金牌\"\"\"\t\t300\r\n");
        QTest::newRow("LibreOffice: LF")
            << "text/plain"
            << QStringLiteral("车\t\"大巴\n45座\"\t单价: 800 × 2天\t1600\n导游\t\"\"\"金牌\"\"\"\t\t300\n");
        QTest::newRow("only the HTML table")
            << "text/html"
            << QStringLiteral("<html><body><table><tr><td>车</td><td>大巴<br>45座</td><td>单价: 800 &times; 2天</td>"
                              "<td>1600</td></tr><tr><td>导游</td><td>&quot;金牌&quot;</td><td></td><td>300</td></tr>"
                              "</table></body></html>");
    }
    void pastesWhatSpreadsheetsPutOnTheClipboard()
    {
        QFETCH(QString, format);
        QFETCH(QString, data);
        Window w;
        prepare(w);
        auto *mime = new QMimeData;
        mime->setData(format, data.toUtf8());
        QGuiApplication::clipboard()->setMimeData(mime);
        QTRY_VERIFY(QGuiApplication::clipboard()->mimeData()->hasFormat(format));

        w.select(20);
        w.key(Qt::Key_V);
        QCOMPARE(w.sheet().rowCount(), 21);
        const QString lineBreak = format == QLatin1String("text/plain") && data.contains(u'\r') ? QStringLiteral("\r\n")
                                                                                                : QStringLiteral("\n");
        QCOMPARE(w.sheet().row(20), (CostLine{QStringLiteral("20"), QStringLiteral("车"),
                                              QStringLiteral("大巴") + lineBreak + QStringLiteral("45座"),
                                              QStringLiteral("单价: 800 × 2天"), QStringLiteral("1600"), true}));
        QCOMPARE(w.sheet().row(21), (CostLine{QStringLiteral("21"), QStringLiteral("导游"), QStringLiteral("\"金牌\""),
                                              QString(), QStringLiteral("300"), true}));
        QCOMPARE(w.box("Text1")->text(), QStringLiteral("2900"));
        QCOMPARE(w.box("Text4")->text(), QStringLiteral("966.6667"));
        QVERIFY(Dialogs::takeShownMessages().isEmpty());
    }

    void refusedPasteTellsWhyAndChangesNothing()
    {
        Window w;
        prepare(w);
        const State before = stateOf(w);
        for (const QString &html : {QString(), QStringLiteral("<p>房 400</p>")}) { // nothing; HTML without a table
            auto *mime = new QMimeData;
            if (!html.isEmpty())
                mime->setHtml(html);
            QGuiApplication::clipboard()->setMimeData(mime);
            w.select(1);
            w.key(Qt::Key_V);
            const QList<Dialogs::ShownMessage> shown = Dialogs::takeShownMessages();
            QCOMPARE(shown.size(), 1);
            QCOMPARE(shown.first().title, QStringLiteral("操作提示"));
            QVERIFY(stateOf(w) == before);
        }
        QVERIFY(!w.history().canUndo());
    }

    void copiedRowPastesBackUnchanged()
    {
        Window w;
        const CostLine odd{QStringLiteral("3"),
                           QStringLiteral(" 房 "),
                           QStringLiteral("两行\n\t\"引号\""),
                           QStringLiteral("\"单价: 1 × 2人"),
                           QStringLiteral("2"),
                           true};
        w.sheet().setRow(3, odd);
        w.select(3);
        w.key(Qt::Key_C);
        QTRY_VERIFY(QGuiApplication::clipboard()->text().endsWith(u'\n'));
        QVERIFY(!QGuiApplication::clipboard()->text().startsWith(u'3'));
        w.select(7);
        w.key(Qt::Key_V);
        CostLine pasted = odd;
        pasted.Number = QStringLiteral("7");
        QCOMPARE(w.sheet().row(7), pasted);
        QCOMPARE(w.sheet().rowCount(), 20);
    }

    void undoesAndRedoesEveryChange()
    {
        const struct
        {
            const char *what;
            std::function<void(Window &)> change;
        } cases[] = {
            {"add row", [](Window &w) { w.menu("MnuLv_1Add"); }},
            {"delete row",
             [](Window &w) {
                 w.select(1);
                 w.menu("MnuLv_1Del");
             }},
            {"category",
             [](Window &w) {
                 w.click(2, 2);
                 typeText(QApplication::focusWidget(), QStringLiteral("X"));
                 w.select(5);
             }},
            {"content",
             [](Window &w) {
                 w.click(1, 3);
                 typeText(QApplication::focusWidget(), QStringLiteral("汉庭"));
                 w.select(5);
             }},
            {"expression, one editing",
             [](Window &w) {
                 w.click(2, 4); // opening ticks the row and recomputes it
                 QTRY_VERIFY(w.expression->isVisible());
                 QTRY_COMPARE(w.history().undoCount(), 1);
                 // Each key closes a step of its own, which the editing takes into its one step.
                 typeClosingSteps(w, w.expression->unitPriceField(), {QStringLiteral("4")});
                 typeText(w.expression->unitPriceField(), QStringLiteral("5"));
                 w.select(5); // leaves the editor before the last key's step has closed
                 QTRY_VERIFY(!w.expression->isVisible());
             }},
            {"tick",
             [](Window &w) {
                 w.tick(2);
                 QTRY_VERIFY(w.sheet().row(2).Included);
             }},
            {"head count, typed key by key", [](Window &w) { typeKeyByKey(w, "Text3"); }},
            {"total box, typed key by key", [](Window &w) { typeKeyByKey(w, "Text1"); }},
            {"head-count refresh",
             [](Window &w) {
                 QTest::mouseClick(w.window.findChild<QPushButton *>(QStringLiteral("Command2")), Qt::LeftButton);
                 QTRY_COMPARE(w.sheet().row(1).AmountText, QStringLiteral("1200"));
             }},
            {"import",
             [](Window &w) {
                 QTemporaryDir dir;
                 CostSheet other;
                 other.setRow(1, {QStringLiteral("1"), QStringLiteral("车"), {}, {}, QStringLiteral("77"), true});
                 const QString path = dir.filePath(QStringLiteral("q.xlsx"));
                 QVERIFY(WriteQuoteWorkbook(other, path, nullptr));
                 Dialogs::setNextFileName(path);
                 w.menu("MnuLv_2InExcel");
                 QCOMPARE(w.sheet().row(1).Category, QStringLiteral("车"));
             }},
            {"paste",
             [](Window &w) {
                 QGuiApplication::clipboard()->setText(QStringLiteral("a\tb\tc\t1\r\nd\te\tf\t2\r\n"));
                 w.select(20);
                 w.key(Qt::Key_V);
                 QCOMPARE(w.sheet().rowCount(), 21);
             }},
        };
        for (const auto &c : cases) {
            Window w;
            prepare(w);
            const State before = stateOf(w);
            c.change(w);
            const State after = stateOf(w);
            QVERIFY2(!(after == before), c.what);
            QTRY_VERIFY2(w.history().undoCount() == 1, c.what);
            w.select(1);
            w.key(Qt::Key_Z);
            QVERIFY2(stateOf(w) == before, describe(stateOf(w)).constData());
            w.key(Qt::Key_Y);
            QVERIFY2(stateOf(w) == after, c.what);
            w.key(Qt::Key_Z);
            w.key(Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
            QVERIFY2(stateOf(w) == after, c.what);
            QVERIFY2(w.history().undoCount() == 1 && !w.history().canRedo(), c.what);
        }
    }

    void typedHeadCountAndAKeyboardRefreshAreTwoSteps()
    {
        Window w;
        prepare(w);
        const State before = stateOf(w);
        QSignalSpy steps(&w.history(), &SheetHistory::stepsChanged);
        w.box("Text3")->setFocus();
        QTRY_COMPARE(QApplication::focusWidget(), w.box("Text3"));
        w.box("Text3")->selectAll();
        typeText(w.box("Text3"), QStringLiteral("5"));
        QTRY_COMPARE(steps.count(), 1);
        const State typed = stateOf(w);
        QTest::keyClick(&w.window, Qt::Key_S, Qt::AltModifier); // 刷新人数(&S), the focus staying in the box
        QTRY_COMPARE(w.sheet().row(1).AmountText, QStringLiteral("2000"));
        QCOMPARE(QApplication::focusWidget(), w.box("Text3"));
        QTRY_COMPARE(w.history().undoCount(), 2);
        w.select(1);
        w.key(Qt::Key_Z);
        QVERIFY(stateOf(w) == typed);
        w.key(Qt::Key_Z);
        QVERIFY(stateOf(w) == before);
    }

    void startsWhenThePlannerFirstSeesTheSheet()
    {
        auto *window = new CalculatorWindow;
        window->sheet().setRow(1, {QStringLiteral("1"), QStringLiteral("房"), {}, {}, QStringLiteral("5"), true});
        window->sheet().RefreshTotals(); // as the host's fill leaves it
        window->setHeadCountText(QStringLiteral("2"));
        Window w(window);
        const State filled = stateOf(w);
        w.menu("MnuLv_1Add");
        QTRY_VERIFY(w.history().canUndo());
        w.select(1);
        w.key(Qt::Key_Z);
        QVERIFY(stateOf(w) == filled);
        QVERIFY(!w.history().canUndo());
    }

    void historyIsBounded()
    {
        Window w;
        QSignalSpy steps(&w.history(), &SheetHistory::stepsChanged);
        for (int k = 0; k < SheetHistory::DefaultStepLimit + 3; ++k) {
            w.menu("MnuLv_1Add");
            QTRY_COMPARE(steps.count(), k + 1);
        }
        QCOMPARE(w.history().undoCount(), SheetHistory::DefaultStepLimit);
        w.select(1);
        for (int k = 0; k < SheetHistory::DefaultStepLimit + 3; ++k)
            w.key(Qt::Key_Z);
        QCOMPARE(w.sheet().rowCount(), 20 + 3);
        QCOMPARE(w.history().redoCount(), SheetHistory::DefaultStepLimit);
    }
};

int runSheetEditCommandsTests(int argc, char *argv[])
{
    SheetEditCommandsTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "SheetEditCommandsTest.moc"
