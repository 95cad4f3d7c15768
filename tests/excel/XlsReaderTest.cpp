#include "SheetState.h"

#include "excel/QuoteImport.h"
#include "excel/WorkbookReader.h"
#include "excel/XlsReaderOutput.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

QString fixture(const char *name)
{
    return QStringLiteral(QUILVAR_EXCEL_FIXTURES "/") + QString::fromUtf8(name);
}

QByteArray u32(quint32 value)
{
    QByteArray out;
    for (int shift = 0; shift < 32; shift += 8)
        out.append(char((value >> shift) & 0xff));
    return out;
}

QByteArray header(char kind, char version = XlsReaderOutput::Version)
{
    return QByteArray("QVXL") + version + kind;
}

QByteArray cell(quint32 row, quint32 column, const QByteArray &utf8)
{
    return u32(row) + u32(column) + u32(quint32(utf8.size())) + utf8;
}

} // namespace

// freexl runs in quilvar-xls-reader: what it cannot survive must end there, as a message.
TEST(XlsReaderProcess, WorkbooksAreReadThroughTheChild)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString renamed = dir.filePath(QStringLiteral("报价 单 (副本).xls"));
    ASSERT_TRUE(QFile::copy(fixture("xlwt_quote.xls"), renamed));

    struct Case
    {
        QString path;
        ReadLimits limits;
        bool ok;
        QList<QStringList> rows; // the texts of the grid's first columns
        const char *messagePart;
    } cases[] = {
        // The path is handed over on a command line: blanks and Chinese must survive it.
        {renamed, {3, 2}, true, {{"项目", "内容"}, {"  大交通", "机票 "}, {"景点门票", "故宫"}}, ""},
        // Read past a stack buffer inside freexl's iconv call: under AddressSanitizer the child dies,
        // otherwise freexl may still give up with a message of its own. Either way: no cells, no crash.
        {fixture("damaged-crashes-freexl.xls"), {}, false, {}, "工作簿"},
        // freexl leaks on this one; that is the child's business and no failure.
        {fixture("damaged-leaks-in-freexl.xls"), {}, true, {}, ""},
    };
    for (const Case &c : cases) {
        CellGrid grid;
        grid.setText(1, 1, QStringLiteral("stale"));
        QString error;
        EXPECT_EQ(ReadFirstWorksheet(c.path, c.limits, &grid, &error), c.ok)
            << c.path.toStdString() << ": " << error.toStdString();
        EXPECT_TRUE(error.contains(QString::fromUtf8(c.messagePart))) << error.toStdString();
        EXPECT_EQ(grid.rowCount(), c.rows.size()) << c.path.toStdString();
        for (int r = 0; r < c.rows.size(); ++r)
            for (int col = 0; col < 3; ++col)
                EXPECT_EQ(grid.text(r + 1, col + 1), c.rows.at(r).value(col)) << r + 1 << "," << col + 1;
    }
}

TEST(XlsReaderProcess, CrashingWorkbookLeavesTheSheetUnchanged)
{
    CostSheet sheet;
    fillSample(sheet);
    const SheetState before = SheetState::of(sheet);
    QString error;
    EXPECT_FALSE(InExcel(sheet, fixture("damaged-crashes-freexl.xls"), &error));
    EXPECT_TRUE(error.contains(QStringLiteral("工作簿"))) << error.toStdString();
    EXPECT_EQ(SheetState::of(sheet), before);
}

TEST(XlsReaderOutput, WellFormedResultsComeBackWhole)
{
    const ReadLimits limits{501, 4};
    XlsReaderResult cells;
    cells.ok = true;
    cells.cells = {{1, 1, QStringLiteral("项目")},
                   {1, 4, QStringLiteral("金额")},
                   {2, 1, QChar(0xfeff) + QStringLiteral("房")}, // a leading byte-order mark is text too
                   {501, 1, QStringLiteral("合计：𠀋")}};
    XlsReaderResult failure;
    failure.error = QStringLiteral("工作簿有密码保护，无法读取。");
    XlsReaderResult empty;
    empty.ok = true;
    for (const XlsReaderResult &sent : {cells, failure, empty}) {
        XlsReaderResult got;
        ASSERT_TRUE(XlsReaderOutput::decode(XlsReaderOutput::encode(sent), limits, &got));
        EXPECT_EQ(got.ok, sent.ok);
        EXPECT_EQ(got.cells, sent.cells);
        EXPECT_EQ(got.error, sent.error);
    }
    // An overlong message is cut, never sent as something the program would refuse.
    failure.error = QString(5000, QChar(0x4e2d));
    XlsReaderResult got;
    ASSERT_TRUE(XlsReaderOutput::decode(XlsReaderOutput::encode(failure), limits, &got));
    EXPECT_TRUE(failure.error.startsWith(got.error));
}

// What a broken or subverted child might write; none of it may pass as a result.
TEST(XlsReaderOutput, MalformedOutputIsRefused)
{
    const ReadLimits limits{501, 4};
    XlsReaderResult sent;
    sent.ok = true;
    sent.cells = {{2, 1, QStringLiteral("房")}, {2, 3, QStringLiteral("单价: 180.00 × 10间")}};
    const QByteArray good = XlsReaderOutput::encode(sent);
    const QByteArray goodCell = cell(1, 1, "a");

    QList<QPair<const char *, QByteArray>> cases = {
        {"nothing", QByteArray()},
        {"trailing byte", good + 'x'},
        {"two results", good + good},
        {"other magic", "QVXM" + good.mid(4)},
        {"other version", header(0, 2) + u32(0)},
        {"unknown kind", header(2) + u32(0)},
        {"count beyond the bytes", header(0) + u32(2) + goodCell},
        {"count beyond the limits", header(0) + u32(0xffffffffu) + goodCell},
        {"length beyond the bytes", header(0) + u32(1) + u32(1) + u32(1) + u32(0xffffffffu) + "abc"},
        {"row 0", header(0) + u32(1) + cell(0, 1, "a")},
        {"row past the limit", header(0) + u32(1) + cell(502, 1, "a")},
        {"column 0", header(0) + u32(1) + cell(1, 0, "a")},
        {"column past the limit", header(0) + u32(1) + cell(1, 5, "a")},
        {"same cell twice", header(0) + u32(2) + goodCell + goodCell},
        {"cells out of order", header(0) + u32(2) + cell(2, 1, "a") + cell(1, 4, "b")},
        {"invalid UTF-8", header(0) + u32(1) + cell(1, 1, "\xff")},
        {"cut UTF-8 sequence", header(0) + u32(1) + cell(1, 1, "\xe9\xa1")},
        {"empty message", header(1) + u32(0)},
        {"message too long", header(1) + u32(5000) + QByteArray(5000, 'x')},
    };
    for (qsizetype size = 0; size < good.size(); ++size)
        cases.append({"cut short", good.left(size)});
    for (const auto &[name, bytes] : cases) {
        XlsReaderResult got;
        got.ok = true;
        EXPECT_FALSE(XlsReaderOutput::decode(bytes, limits, &got)) << name << " (" << bytes.size() << " bytes)";
        EXPECT_FALSE(got.ok) << name;
        EXPECT_TRUE(got.cells.isEmpty()) << name;
    }
}
