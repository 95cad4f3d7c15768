#include "app/memory/SheetMemory.h"
#include "app/memory/SheetFolder.h"
#include "tests/app/memory/MemoryChanges.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QThread>
#include <QtCore/qtestsupport_core.h>

#include <gtest/gtest.h>

namespace {

SheetRecord recordChangedAt(const QDateTime &changed, const QString &content)
{
    SheetRecord record;
    record.started = record.changed = changed;
    record.rows = {CostLine("1", "房", content, {}, "5", true)};
    return record;
}

void writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

TEST(SheetMemory, RecordsReadBackOrAreRefusedByKind)
{
    SheetRecord record = recordChangedAt(QDateTime::currentDateTimeUtc(), QStringLiteral("“引号”\t\\ \n 行"));
    record.text1 = QStringLiteral("5");
    record.quoteTexts = {{QStringLiteral("tourName"), QStringLiteral("云南")}, {QStringLiteral("later"), 3}};
    record.query = QStringLiteral("select 1");
    SheetRecord back;
    ASSERT_EQ(RecordFromJson(RecordToJson(record), &back), RecordReading::Read);
    EXPECT_EQ(RecordToJson(back), RecordToJson(record));
    QByteArray json = RecordToJson(record);
    EXPECT_EQ(RecordFromJson(json.left(json.size() / 2), &back), RecordReading::Damaged);
    json.replace("\"version\":1", "\"version\":2");
    EXPECT_EQ(RecordFromJson(json, &back), RecordReading::Newer);
}

TEST(SheetMemory, TheFolderKeepsThirtyOfNinetyDaysAndPutsDamagedFilesAside)
{
    QTemporaryDir dir;
    const QDateTime now = QDateTime::currentDateTimeUtc();
    for (int k = 0; k < 35; ++k) // the newest is k = 0
        ASSERT_TRUE(WriteRecordFile(dir.filePath(QStringLiteral("%1.qsheet").arg(k, 2, 10, QLatin1Char('0'))),
                                    recordChangedAt(now.addSecs(-60 * k), QString::number(k)), nullptr));
    ASSERT_TRUE(WriteRecordFile(dir.filePath(QStringLiteral("old.qsheet")),
                                recordChangedAt(now.addDays(-91), QStringLiteral("old")), nullptr));
    writeFile(dir.filePath(QStringLiteral("damaged.qsheet")), "{\"format\":\"quilvar-sheet\",\"vers");
    QByteArray newer = RecordToJson(recordChangedAt(now, QStringLiteral("newer")));
    writeFile(dir.filePath(QStringLiteral("newer.qsheet")), newer.replace("\"version\":1", "\"version\":9"));

    const FolderScan scan = ScanSheetFolder(dir.path(), now);
    ASSERT_EQ(scan.sheets.size(), 30);
    for (int k = 0; k < 30; ++k)
        EXPECT_EQ(RecordTitle(scan.sheets.at(k).record), QString::number(k));
    EXPECT_EQ(scan.problems.size(), 2);
    QStringList left = QDir(dir.path()).entryList(QDir::Files);
    EXPECT_EQ(left.size(), 32) << left.join(u' ').toStdString();
    EXPECT_TRUE(left.contains(QStringLiteral("damaged.qsheet.damaged")));
    EXPECT_TRUE(left.contains(QStringLiteral("newer.qsheet")));
    EXPECT_FALSE(left.contains(QStringLiteral("old.qsheet")));
    EXPECT_FALSE(left.contains(QStringLiteral("30.qsheet")));
}

TEST(SheetMemory, AFolderThatCannotBeUsedIsToldOfOnceAndTypingGoesOn)
{
    QTemporaryDir dir;
    writeFile(dir.filePath(QStringLiteral("file")), "x");
    for (const bool goneLater : {false, true}) {
        SCOPED_TRACE(goneLater ? "the folder taken away after the first write" : "a folder that cannot be made");
#ifdef _WIN32
        // Windows takes no folder away while a file in it is open (the sheet's lock file).
        if (goneLater)
            continue;
#endif
        const QString folder = goneLater ? dir.filePath(QStringLiteral("later")) : dir.filePath("file/sheets");
        CostSheet sheet;
        SheetMemory memory(sheet, folder);
        QStringList told;
        QObject::connect(&memory, &SheetMemory::problem, [&](const QString &text) { told << text; });
        memory.start();
        sheet.setContent(1, QStringLiteral("a"));
        memory.flush();
        if (goneLater) {
            ASSERT_TRUE(QFile::exists(memory.path()));
            ASSERT_TRUE(QDir(folder).removeRecursively());
            writeFile(folder, "now a file");
        }
        for (const char *text : {"b", "c"}) {
            sheet.setContent(1, QString::fromLatin1(text));
            memory.flush();
            QCoreApplication::processEvents();
        }
        EXPECT_TRUE(QTest::qWaitFor([&] { return !told.isEmpty(); }));
        EXPECT_EQ(told.size(), 1);
        EXPECT_EQ(sheet.row(1).Content, QStringLiteral("c"));
    }
}

// A disk that takes no more (the file-size limit stands in for a full disk): told once, then silence,
// while the sheet goes on changing.
TEST(SheetMemory, AFullDiskIsToldOfOnce)
{
#ifdef _WIN32
    GTEST_SKIP() << "no shell to set a file-size limit";
#endif
    if (!QFile::exists(QStringLiteral("/bin/sh")))
        GTEST_SKIP() << "no shell to set a file-size limit";
    QTemporaryDir dir;
    QProcess child;
    child.start(QStringLiteral("/bin/sh"),
                {QStringLiteral("-c"), QStringLiteral("trap '' XFSZ; ulimit -f 64; exec \"$0\" \"$1\" 7"),
                 QStringLiteral(QUILVAR_KILL_CHILD), dir.path()});
    ASSERT_TRUE(child.waitForStarted());
    // Told once however long it goes on: read until told (a sanitizer build on a busy machine is
    // slow to the first failed write), then through several more failed writes.
    QByteArray told;
    QDeadlineTimer givingUp(30000);
    while (!told.contains("没能保存") && !givingUp.hasExpired()) {
        child.waitForReadyRead(100);
        told += child.readAllStandardError();
    }
    for (int i = 0; i < 15; ++i) {
        child.waitForReadyRead(100);
        told += child.readAllStandardError();
    }
    child.kill();
    child.waitForFinished();
    EXPECT_EQ(told.count("没能保存"), 1) << told.toStdString();
}

// The child changes its sheet many times a second and is killed at a random moment: what it left
// reads whole, is at least as new as the last write it finished, and is exactly the sheet it had
// after the count of changes the record holds.
TEST(SheetMemory, KilledAtRandomTheSheetComesBackExactly)
{
    QTemporaryDir dir;
    for (int run = 0; run < 20; ++run) {
        SCOPED_TRACE(run);
        const QString folder = dir.filePath(QString::number(run));
        const quint32 seed = QRandomGenerator::global()->generate() % 100000;
        QProcess child;
        child.start(QStringLiteral(QUILVAR_KILL_CHILD), {folder, QString::number(seed)});
        ASSERT_TRUE(child.waitForStarted());
        ASSERT_TRUE(child.waitForReadyRead(10000));
        QThread::msleep(QRandomGenerator::global()->bounded(400));
        child.kill();
        child.waitForFinished();
        const QList<QByteArray> lines = child.readAllStandardOutput().trimmed().split('\n');
        const qint64 lastWritten = lines.last().mid(8).toLongLong();

        const FolderScan restarted = ScanSheetFolder(folder, QDateTime::currentDateTimeUtc());
        ASSERT_TRUE(restarted.problems.isEmpty());
        ASSERT_EQ(restarted.sheets.size(), 1);
        const SheetRecord &kept = restarted.sheets.first().record;
        EXPECT_GE(kept.sequence, lastWritten);
        EXPECT_FALSE(kept.closed || restarted.sheets.first().openElsewhere);
        CostSheet expected;
        StartSheet(expected);
        for (int step = 1; step <= kept.text3.toInt(); ++step)
            ApplyChange(expected, seed, step);
        EXPECT_TRUE(kept.rows == expected.rows());
        EXPECT_EQ(kept.text4, expected.Text4());
        EXPECT_EQ(MarkUnclosedSheets(restarted), 1);
    }
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
