#include "WindowTests.h"

#include "app/NoticeBar.h"
#include "app/Startup.h"
#include "app/memory/SheetFolder.h"
#include "app/memory/SheetMemory.h"

#include <QDialog>
#include <QFile>
#include <QSemaphore>
#include <QTemporaryDir>

namespace {

struct Boxes
{
    QList<CostLine> rows;
    QString text1, text3, text4;
    bool operator==(const Boxes &) const = default;
};

Boxes boxesOf(Window &w)
{
    return {w.sheet().rows(), w.box("Text1")->text(), w.box("Text3")->text(), w.box("Text4")->text()};
}

QLineEdit *tourName(Window &w)
{
    w.menu("MnuLv_2Quote");
    return w.window.findChild<QLineEdit *>(QStringLiteral("TxtTourName"));
}

// Opens 最近的报价 and, once the folder is read, the entry at `row` (-1: looks only), after `check`
// has seen the list.
void openRecent(Window &w, int row, std::function<void(QTreeView *, QPushButton *)> check = {})
{
    bool ran = false; // a list that stopped opening as a dialog would skip every check
    answerNextModal([row, check, &ran](QWidget *modal) {
        ran = true;
        auto *list = modal->findChild<QTreeView *>(QStringLiteral("LvRecent"));
        auto *open = modal->findChild<QPushButton *>(QStringLiteral("CmdOpen"));
        QTRY_VERIFY(list->isEnabled());
        if (row >= 0)
            list->setCurrentIndex(list->model()->index(row, 0));
        if (check)
            check(list, open);
        if (row >= 0)
            open->click();
    });
    w.menu("MnuLv_2Recent");
    QVERIFY(ran);
}

} // namespace

class MemoryWindowTest : public QObject
{
    Q_OBJECT
    std::unique_ptr<QTemporaryDir> m_folder;

private slots:
    void init()
    {
        m_folder = std::make_unique<QTemporaryDir>();
        SheetFolder::setPathForTests(m_folder->path());
    }
    void cleanup() { Dialogs::takeShownMessages(); }

    void anAbruptEndLosesNothing()
    {
        Boxes edited;
        {
            Window first;
            first.edit(3, 3, QStringLiteral("北京—上海 高铁"));
            first.edit(3, 4, QStringLiteral("553"));
            typeText(first.box("Text3"), QStringLiteral("31"));
            typeText(tourName(first), QStringLiteral("华东五市"));
            edited = boxesOf(first);
            first.window.memory().flush();
        } // ended without its close, as a crash ends it

        auto *started = new CalculatorWindow;
        StartCalculator(*started, QString(), QString());
        Window again(started);
        QTRY_COMPARE(again.window.notice().text(), QStringLiteral("上次没有正常关闭，可以在“最近的报价”中找回。"));
        QVERIFY(again.list->y() > again.window.notice().geometry().bottom()); // the bar hides no row
        const Boxes fresh = boxesOf(again);
        openRecent(again, 0, [](QTreeView *list, QPushButton *) {
            QCOMPARE(list->model()->rowCount(), 1);
            const QString shown = list->model()->index(0, 1).data().toString() + u'|' +
                                  list->model()->index(0, 2).data().toString() + u'|' +
                                  list->model()->index(0, 3).data().toString() + u'|' +
                                  list->model()->index(0, 4).data().toString();
            QCOMPARE(shown, QStringLiteral("华东五市|1|553|31"));
        });
        QVERIFY(boxesOf(again) == edited);
        // One step, undone as an import is.
        again.window.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&again.window));
        again.select(1);
        QTRY_COMPARE(again.history().undoCount(), 1);
        again.key(Qt::Key_Z);
        QVERIFY(boxesOf(again) == fresh);
        QCOMPARE(tourName(again)->text(), QStringLiteral("华东五市"));

        // Told of once.
        auto *later = new CalculatorWindow;
        QSignalSpy looked(&later->memory(), &SheetMemory::folderLooked);
        StartCalculator(*later, QString(), QString());
        QTRY_COMPARE(looked.count(), 1);
        QVERIFY(later->notice().isHidden());
        delete later;
    }

    // The calculator that opens a kept sheet keeps it too; the list shows the sheet once.
    void aSheetOpenedAgainIsListedOnce_data()
    {
        QTest::addColumn<bool>("crashed");
        QTest::newRow("restored after a crash") << true;
        QTest::newRow("opened as a copy, the original closed later") << false;
    }
    void aSheetOpenedAgainIsListedOnce()
    {
        QFETCH(bool, crashed);
        auto first = std::make_unique<Window>();
        first->sheet().setContent(1, QStringLiteral("北京—上海 高铁"));
        first->window.memory().flush();
        if (crashed)
            first.reset();
        Window again;
        openRecent(again, 0);
        QCOMPARE(again.sheet().row(1).Content, QStringLiteral("北京—上海 高铁"));
        again.window.memory().flush();
        if (first)
            first->window.close();
        Window third;
        openRecent(third, -1, [](QTreeView *list, QPushButton *) {
            QCOMPARE(list->model()->rowCount(), 1);
            QCOMPARE(list->model()->index(0, 5).data().toString(), QStringLiteral("在另一个计算器中打开"));
        });
    }

    void openingASavedQuoteKeepsTheSheetItReplaces()
    {
        {
            Window first;
            first.sheet().setContent(1, QStringLiteral("一"));
            first.window.close();
        }
        {
            Window w;
            w.sheet().setContent(1, QStringLiteral("二"));
            w.window.memory().flush();
            openRecent(w, 0);
            QCOMPARE(w.sheet().row(1).Content, QStringLiteral("一"));
            w.window.close();
        }
        Window third;
        openRecent(third, -1, [](QTreeView *list, QPushButton *) {
            QStringList titles;
            for (int row = 0; row < list->model()->rowCount(); ++row)
                titles << list->model()->index(row, 1).data().toString();
            titles.sort();
            QCOMPARE(titles, QStringList({QStringLiteral("一"), QStringLiteral("二")}));
        });
    }

    // The tests run as root, whom no permission stops: the folder is made unusable by a file.
    void anUnusableFolderIsToldOfOnceAndTypingGoesOn_data()
    {
        QTest::addColumn<QString>("under");
        QTest::newRow("a file where the folder should be") << QString();
        QTest::newRow("a folder under a file") << QStringLiteral("/sheets");
    }
    void anUnusableFolderIsToldOfOnceAndTypingGoesOn()
    {
        QFETCH(QString, under);
        const QString file = m_folder->filePath(QStringLiteral("file"));
        QFile blocker(file);
        QVERIFY(blocker.open(QIODevice::WriteOnly) && blocker.write("x") == 1);
        blocker.close();
        SheetFolder::setPathForTests(file + under);
        auto *started = new CalculatorWindow;
        QSignalSpy looked(&started->memory(), &SheetMemory::folderLooked);
        StartCalculator(*started, QString(), QString());
        Window w(started);
        QTRY_COMPARE(looked.count(), 1);
        for (const QString &typed : {QStringLiteral("3"), QStringLiteral("1")}) {
            typeText(w.box("Text3"), typed);
            w.window.memory().flush();
            QTRY_VERIFY(!w.window.notice().isHidden());
        }
        QCOMPARE(w.box("Text3")->text(), QStringLiteral("31"));
        QVERIFY(w.window.notice().text().startsWith(QStringLiteral("无法使用保存报价的文件夹")));
        QCOMPARE(w.window.notice().text().count(u'\n'), 0); // told once
        QVERIFY(Dialogs::takeShownMessages().isEmpty());    // never a box to answer
        openRecent(w, -1, [](QTreeView *list, QPushButton *open) {
            QCOMPARE(list->model()->rowCount(), 0);
            QVERIFY(!open->isEnabled());
        });
    }

    // A host's launch tells nothing of the folder; a damaged sheet its reading renamed aside (and so
    // never found again) is told when the planner opens the list.
    void aDamagedSheetFoundAtAHostsLaunchIsToldWithTheList()
    {
        QFile damaged(m_folder->filePath(QStringLiteral("damaged") + SheetFolder::Suffix));
        QVERIFY(damaged.open(QIODevice::WriteOnly) && damaged.write("{\"not\": ") > 0);
        damaged.close();
        Window w;
        QSignalSpy looked(&w.window.memory(), &SheetMemory::folderLooked);
        w.window.noteLastEnd(false);
        QTRY_COMPARE(looked.count(), 1);
        QVERIFY(!damaged.exists());
        QVERIFY(w.window.notice().isHidden());
        openRecent(w, -1);
        QTRY_VERIFY(w.window.notice().text().contains(QStringLiteral("已损坏，已改名为")));
    }

    // The list shows while the folder is still being read (a slow drive, the start-up's reading),
    // and fills when it is read.
    void theListFillsWhenTheFolderIsRead()
    {
        {
            Window one;
            one.sheet().setContent(1, QStringLiteral("一"));
            one.window.close();
        }
        QSemaphore reading;
        // Bounded only so that a wait for the reading on the interface thread fails the test
        // instead of hanging it.
        std::atomic<bool> waitedFor = false;
        SheetFolder::setReadHookForTests([&] { waitedFor = waitedFor || !reading.tryAcquire(1, 20000); });
        Window w;
        w.window.noteLastEnd(true); // the start-up reading, still under way when the list opens
        // This calculator's own sheet, kept while the reading waits: never listed as another's.
        w.sheet().setContent(1, QStringLiteral("二"));
        w.window.memory().flush();
        bool ran = false;
        answerNextModal([&reading, &ran](QWidget *modal) {
            ran = true;
            auto *list = modal->findChild<QTreeView *>(QStringLiteral("LvRecent"));
            const bool shownWhileReading = !list->isEnabled() && list->model()->rowCount() == 0;
            reading.release();
            QVERIFY(shownWhileReading);
            QTRY_VERIFY(list->isEnabled());
            QCOMPARE(list->model()->rowCount(), 1);
            QCOMPARE(list->model()->index(0, 1).data().toString(), QStringLiteral("一"));
        });
        w.menu("MnuLv_2Recent");
        SheetFolder::setReadHookForTests({});
        QVERIFY(ran);
        QVERIFY(!waitedFor);
    }

    void twoCalculatorsKeepTwoSheets()
    {
        Window one, two;
        one.sheet().setContent(1, QStringLiteral("一"));
        two.sheet().setContent(1, QStringLiteral("二"));
        one.window.memory().flush();
        two.window.memory().flush();
        QVERIFY(one.window.memory().path() != two.window.memory().path());
        openRecent(two, -1, [](QTreeView *list, QPushButton *open) {
            QCOMPARE(list->model()->rowCount(), 1);
            QCOMPARE(list->model()->index(0, 1).data().toString(), QStringLiteral("一"));
            QCOMPARE(list->model()->index(0, 5).data().toString(), QStringLiteral("在另一个计算器中打开"));
            QCOMPARE(open->text(), QStringLiteral("打开副本(&O)"));
        });
        // A sheet closed normally is listed, but not as open, and brings no note.
        one.window.close();
        openRecent(two, 0);
        QCOMPARE(two.sheet().row(1).Content, QStringLiteral("一"));
        auto *started = new CalculatorWindow;
        QSignalSpy looked(&started->memory(), &SheetMemory::folderLooked);
        StartCalculator(*started, QString(), QString());
        QTRY_COMPARE(looked.count(), 1);
        QVERIFY(started->notice().isHidden());
        delete started;
    }
};

int runMemoryWindowTests(int argc, char *argv[])
{
    MemoryWindowTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "MemoryWindowTest.moc"
