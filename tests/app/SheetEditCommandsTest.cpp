#include "WindowTests.h"

#include "excel/QuoteExport.h"

#include <QMimeData>
#include <QTemporaryDir>

namespace {

struct State
{
    QList<CostLine> rows;
    QString text1, text3, text4;
    bool operator==(const State &) const = default;
};

State stateOf(Window &w)
{
    return {w.sheet().rows(), w.box("Text1")->text(), w.box("Text3")->text(), w.box("Text4")->text()};
}

// A sheet with priced rows, a head count and a per-head box typed over, as the starting point.
void prepare(Window &w)
{
    w.sheet().setRow(1, {"1", "房", "如家", "单价: 200 × 2间 × 3人", "1000", true});
    w.sheet().setRow(2, {"2", "餐", "午餐", "单价: 30 × 3人", "90", false});
    w.box("Text3")->setText("3");
    w.sheet().RefreshTotals();
    w.box("Text4")->setText("手写");
    w.sheet().setText4("手写");
    w.history().clear();
}

// Types the keys one at a time, each in an event-loop pass of its own that closes its step, as a
// planner's typing arrives.
void typeClosingSteps(Window &w, QWidget *field, const QString &keys)
{
    QSignalSpy steps(&w.history(), &SheetHistory::stepsChanged);
    for (const QChar key : keys) {
        const int before = int(steps.count());
        typeText(field, key);
        QTRY_COMPARE(steps.count(), before + 1);
    }
}

// Types over what a box of the bottom bar holds, letting each change close its step.
void typeIntoBox(Window &w, const char *box, const QString &keys)
{
    w.box(box)->setFocus();
    QTRY_COMPARE(QApplication::focusWidget(), w.box(box));
    w.box(box)->selectAll();
    typeClosingSteps(w, w.box(box), keys);
}

struct Change
{
    const char *what;
    std::function<void(Window &)> change;
};

const Change changes[] = {
    {"add row", [](Window &w) { w.menu("MnuLv_1Add"); }},
    {"delete row",
     [](Window &w) {
         w.select(1);
         w.menu("MnuLv_1Del");
     }},
    {"category", [](Window &w) { w.edit(2, 2, QStringLiteral("X")); }},
    {"content", [](Window &w) { w.edit(1, 3, QStringLiteral("汉庭")); }},
    {"expression, one editing",
     [](Window &w) {
         w.click(2, 4); // opening ticks the row and recomputes it
         QTRY_VERIFY(w.expression->isVisible());
         QTRY_COMPARE(w.history().undoCount(), 1);
         // Each key closes a step of its own, which the editing takes into its one step.
         typeClosingSteps(w, w.expression->unitPriceField(), QStringLiteral("4"));
         typeText(w.expression->unitPriceField(), QStringLiteral("5"));
         w.select(5); // leaves the editor before the last key's step has closed
         QTRY_VERIFY(!w.expression->isVisible());
     }},
    {"tick",
     [](Window &w) {
         w.tick(2);
         QTRY_VERIFY(w.sheet().row(2).Included);
     }},
    {"head count, typed key by key", [](Window &w) { typeIntoBox(w, "Text3", QStringLiteral("25")); }},
    {"total box, typed key by key", [](Window &w) { typeIntoBox(w, "Text1", QStringLiteral("25")); }},
    {"head-count refresh",
     [](Window &w) {
         QTest::mouseClick(w.window.findChild<QPushButton *>(QStringLiteral("Command2")), Qt::LeftButton);
         QTRY_COMPARE(w.sheet().row(1).AmountText, QStringLiteral("1200"));
     }},
    {"import",
     [](Window &w) {
         QTemporaryDir dir;
         CostSheet other;
         other.setRow(1, {"1", "车", {}, {}, "77", true});
         const QString path = dir.filePath(QStringLiteral("q.xlsx"));
         QVERIFY(WriteQuoteWorkbook(other, path, nullptr));
         Dialogs::setNextFileName(path);
         w.menu("MnuLv_2InExcel");
         QCOMPARE(w.sheet().row(1).Category, QStringLiteral("车"));
     }},
    {"paste of the HTML table alone, past the end",
     [](Window &w) {
         auto *mime = new QMimeData;
         mime->setHtml("<table><tr><td>车</td><td>大巴</td></tr><tr><td>导游</td><td>金牌</td></tr></table>");
         QGuiApplication::clipboard()->setMimeData(mime);
         QTRY_VERIFY(QGuiApplication::clipboard()->mimeData()->hasHtml());
         w.select(20);
         w.key(Qt::Key_V);
         QCOMPARE(w.sheet().rowCount(), 21);
         QCOMPARE(w.sheet().row(21), (CostLine{"21", "导游", "金牌", {}, {}, true}));
     }},
    {"copy of a row, pasted over another",
     [](Window &w) {
         w.select(1);
         w.key(Qt::Key_C);
         QTRY_VERIFY(QGuiApplication::clipboard()->text().endsWith(u'\n'));
         w.select(7);
         w.key(Qt::Key_V);
         QCOMPARE(w.sheet().row(7), (CostLine{"7", "房", "如家", "单价: 200 × 2间 × 3人", "1000", true}));
         QCOMPARE(w.sheet().rowCount(), 20);
     }},
};

} // namespace

class SheetEditCommandsTest : public QObject
{
    Q_OBJECT
private slots:
    void cleanup() { Dialogs::takeShownMessages(); }

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

    void pasteOverTextAsksFirst()
    {
        // Rows 1 and 2 hold text; three rows pasted from row 2 would replace rows 2–4.
        const struct
        {
            const char *what;
            int select;
            int answer; // -1: no question expected
            int landsAt;
        } cases[] = {
            {"覆盖", 2, 0, 2},
            {"插入到末尾: after row 2, the last that holds text", 2, 1, 3},
            {"取消", 2, 2, 0},
            {"empty rows ask nothing", 5, -1, 5},
        };
        for (const auto &c : cases) {
            Window w;
            prepare(w);
            const State before = stateOf(w);
            QGuiApplication::clipboard()->setText(QStringLiteral("车\t大巴\n导游\t金牌\n其它\t水\n"));
            w.select(c.select);
            if (c.answer >= 0)
                Dialogs::setNextAnswer(c.answer);
            w.key(Qt::Key_V);
            const QList<Dialogs::ShownMessage> shown = Dialogs::takeShownMessages();
            QVERIFY2(shown.size() == (c.answer >= 0 ? 1 : 0), c.what);
            if (c.answer >= 0) {
                QVERIFY2(shown.first().text == QStringLiteral("粘贴的 3 行将覆盖第 2–4 行。"), c.what);
                QVERIFY2(shown.first().defaultButton == 1, c.what); // Enter appends, never overwrites
            }
            if (!c.landsAt) {
                QVERIFY2(stateOf(w) == before, c.what);
                continue;
            }
            QVERIFY2(w.sheet().row(c.landsAt).Content == QStringLiteral("大巴"), c.what);
            QVERIFY2(w.sheet().row(c.landsAt + 2).Content == QStringLiteral("水"), c.what);
            QVERIFY2(c.landsAt == 2 || w.sheet().row(2) == before.rows.at(1), c.what);
        }
    }

    // Each change is one step: undone, redone, and undone again and redone with the other key.
    void undoesAndRedoesEveryChange_data()
    {
        QTest::addColumn<int>("index");
        for (int i = 0; i < int(std::size(changes)); ++i)
            QTest::newRow(changes[i].what) << i;
    }

    void undoesAndRedoesEveryChange()
    {
        QFETCH(int, index);
        const Change &c = changes[index];
        Window w;
        prepare(w);
        const State before = stateOf(w);
        c.change(w);
        w.select(1); // an open editor closes
        const State after = stateOf(w);
        QVERIFY2(Dialogs::takeShownMessages().isEmpty(), c.what);
        QVERIFY2(!(after == before), c.what);
        QTRY_VERIFY2(w.history().undoCount() == 1, c.what);
        w.key(Qt::Key_Z);
        QVERIFY2(stateOf(w) == before, c.what);
        w.key(Qt::Key_Y);
        QVERIFY2(stateOf(w) == after, c.what);
        w.key(Qt::Key_Z);
        w.key(Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
        QVERIFY2(stateOf(w) == after, c.what);
        QVERIFY2(w.history().undoCount() == 1 && !w.history().canRedo(), c.what);
    }

    void typedHeadCountAndAKeyboardRefreshAreTwoSteps()
    {
        Window w;
        prepare(w);
        const State before = stateOf(w);
        typeIntoBox(w, "Text3", QStringLiteral("5"));
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
        window->sheet().setRow(1, {"1", "房", {}, {}, "5", true});
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
};

int runSheetEditCommandsTests(int argc, char *argv[])
{
    SheetEditCommandsTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "SheetEditCommandsTest.moc"
