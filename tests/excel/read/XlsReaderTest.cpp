#include "excel/read/CellGrid.h"
#include "excel/read/WorkbookReader.h"
#include "excel/read/XlsReaderOutput.h"
#include "excel/read/XlsWorkbook.h"
#include "tests/common/TestText.h"

#include <QFile>
#include <QTemporaryDir>
#include <QtEndian>

#include <gtest/gtest.h>

namespace {

template <typename T> QByteArray le(T value)
{
    QByteArray out(sizeof(T), '\0');
    qToLittleEndian(value, out.data());
    return out;
}
constexpr auto u16 = le<quint16>;
constexpr auto u32 = le<quint32>;
constexpr auto f64 = le<double>;

QByteArray wide(const QString &text)
{
    return QByteArray(reinterpret_cast<const char *>(text.utf16()), text.size() * 2);
}

// A compound file (version 3, 512-byte sectors) holding the given streams under its root, each padded
// to at least 4096 bytes so that it lives in ordinary sectors: sector 0 is the allocation table,
// sector 1 the directory (four entries), then the streams.
constexpr int CompoundFatOffset = 512;
constexpr int CompoundDirectoryOffset = 1024;
QByteArray compoundFile(QList<QPair<QString, QByteArray>> streams)
{
    constexpr quint32 EndOfChain = 0xfffffffe, Free = 0xffffffff;
    // Version 3, little-endian, sectors of 2^9 and mini sectors of 2^6 bytes; one allocation-table
    // sector (sector 0), the directory from sector 1, no mini table, no further table sectors.
    const QByteArray header = QByteArray::fromHex("d0cf11e0a1b11ae1") + QByteArray(16, '\0') + u16(0x3e) + u16(3) +
                              u16(0xfffe) + u16(9) + u16(6) + QByteArray(10, '\0') + u32(1) + u32(1) + u32(0) +
                              u32(4096) + u32(EndOfChain) + u32(0) + u32(EndOfChain) + u32(0) + u32(0) +
                              QByteArray(108 * 4, '\xff');
    QByteArray fat = u32(0xfffffffd) + u32(EndOfChain) + QByteArray(504, '\xff');
    QByteArray directory(512, '\0');
    QByteArray data;
    auto entry = [&](int index, const QString &name, quint8 type, quint32 right, quint32 child, quint32 start,
                     quint32 size) {
        const int at = index * 128;
        directory.replace(at, 2 * name.size(), wide(name));
        directory.replace(at + 64, 16,
                          u16(quint16(2 * name.size() + 2)) + char(type) + '\0' + u32(Free) + u32(right) + u32(child));
        directory.replace(at + 116, 8, u32(start) + u32(size));
    };
    entry(0, QStringLiteral("Root Entry"), 5, Free, streams.isEmpty() ? Free : 1, EndOfChain, 0);
    quint32 next = 2;
    for (int i = 0; i < streams.size() && i < 3; ++i) {
        QByteArray bytes = streams.at(i).second;
        bytes.append(QByteArray(std::max<qsizetype>(0, 4096 - bytes.size()), '\0'));
        const quint32 sectors = quint32((bytes.size() + 511) / 512);
        for (quint32 s = 0; s < sectors; ++s)
            fat.replace(int(4 * (next + s)), 4, u32(s + 1 < sectors ? next + s + 1 : EndOfChain));
        entry(i + 1, streams.at(i).first, 2, i + 1 < streams.size() ? quint32(i + 2) : Free, Free, next,
              quint32(bytes.size()));
        data += bytes + QByteArray(int(sectors * 512 - bytes.size()), '\0');
        next += sectors;
    }
    return header + fat + directory + data;
}

QByteArray record(quint16 type, const QByteArray &data)
{
    return u16(type) + u16(quint16(data.size())) + data;
}

QByteArray bof(quint16 substream, quint16 version = 0x0600)
{
    return record(0x0809, u16(version) + u16(substream) + QByteArray(12, '\0'));
}

QByteArray eof()
{
    return record(0x000a, {});
}

// A cell record's address and format: row and column 0-based, the index of an XF record.
QByteArray at(quint16 row, quint16 column, quint16 xf = 0)
{
    return u16(row) + u16(column) + u16(xf);
}

// A BIFF8 string of 16-bit characters with a two-byte length.
QByteArray unicode(const QString &text)
{
    return u16(quint16(text.size())) + '\x01' + wide(text);
}

// A formula cell whose result is not a number: kind 0 text (in the next STRING), 1 logical,
// 2 error, 3 empty text.
QByteArray formula(quint16 row, quint16 column, quint8 kind, quint8 value = 0)
{
    return record(0x0006, at(row, column) + char(kind) + '\0' + char(value) + QByteArray(3, '\0') + u16(0xffff) +
                              u16(0) + u32(0) + u16(0));
}

// A sheet of a workbook stream: its type as BOUNDSHEET gives it (0 worksheet, 2 chart), its records,
// and the type its BOF gives it, by default the one that goes with the first.
struct Sheet
{
    quint8 type = 0;
    QByteArray records;
    quint16 substream = 0;
};

QList<Sheet> worksheet(const QByteArray &records)
{
    return {{0, records}};
}

// A workbook stream: the globals, then one substream for each sheet, in that order.
QByteArray workbook(const QByteArray &globals, const QList<Sheet> &sheets, quint16 version = 0x0600)
{
    const QByteArray name = version == 0x0600 ? QByteArray("\x01\x00S", 3) : QByteArray("\x01S", 2);
    const qsizetype sheetRecord = 4 + 6 + name.size();
    qsizetype position = bof(5).size() + globals.size() + sheets.size() * sheetRecord + eof().size();
    QByteArray head = bof(5, version) + globals;
    QByteArray tail;
    for (const auto &[type, body, substream] : sheets) {
        head += record(0x0085, u32(quint32(position)) + '\0' + char(type) + name);
        const QByteArray records = bof(substream ? substream : type == 2 ? 0x20 : 0x10, version) + body + eof();
        tail += records;
        position += records.size();
    }
    return head + eof() + tail;
}

XlsReaderResult read(const QByteArray &stream)
{
    return ReadXlsWorkbook(compoundFile({{QStringLiteral("Workbook"), stream}}), ReadLimits{501, 4});
}

// Row 1 of what was read, columns A to D, between bars; or the message.
std::string firstRow(const XlsReaderResult &result)
{
    if (!result.ok)
        return result.error.text.toStdString();
    QStringList row(4);
    for (const XlsCell &cell : result.cells)
        if (cell.row == 1)
            row[cell.column - 1] = cell.text;
    return row.join(QLatin1Char('|')).toStdString();
}

QByteArray header(char kind, char version = XlsReaderOutput::Version)
{
    return QByteArray("QVXL") + version + kind;
}

QByteArray cell(quint32 row, quint32 column, const QString &text)
{
    return u32(row) + u32(column) + u32(XlsReaderOutput::WideBit | quint32(text.size())) + wide(text);
}

} // namespace

// Each sheet's records as row 1 reads; the globals give the shared strings, formats and date system.
TEST(XlsParser, RecordsAsRowOneReads)
{
    // The shared-string table goes on in CONTINUE records; where a string's characters are cut, the
    // next record starts with a byte that says whether they go on in one byte or two.
    const QByteArray sst = record(0x00fc, u32(5) + u32(4) + unicode(QStringLiteral("项目")) +
                                              // "ABC合计": three one-byte characters, the rest in the next record
                                              u16(5) + '\0' + "ABC") +
                           record(0x003c, '\x01' + wide(QStringLiteral("合计")) +
                                              // with one formatting run, cut after its characters
                                              u16(1) + '\x09' + u16(1) + wide(QStringLiteral("房")) + u16(0)) +
                           // the rest of the run, with no option byte, then a string that starts a record
                           record(0x003c, u16(0)) + record(0x003c, u16(2) + '\0' + "ok");
    QByteArray labels;
    for (quint16 column = 0; column < 4; ++column)
        labels += record(0x00fd, at(0, column) + u32(column));
    labels += record(0x00fd, at(1, 0) + u32(99)); // past the table: empty, not a failure
    // Used out of order and more than once; with an index far past the table, or near it.
    const auto shuffled = [&](quint32 pastTable) {
        QByteArray cells;
        const quint32 order[] = {3, 1, 3, 0};
        for (quint16 column = 0; column < 4; ++column)
            cells += record(0x00fd, at(0, column) + u32(order[column]));
        return worksheet(cells + record(0x00fd, at(1, 0) + u32(pastTable)));
    };

    // Numbers show as dates and times by the number format of their XF record, as the other readers do.
    auto xf = [](quint16 format) { return record(0x00e0, u16(0) + u16(format) + QByteArray(16, '\0')); };
    const QByteArray formats = record(0x041e, u16(164) + unicode(QStringLiteral("[h]:mm:ss"))) +
                               record(0x041e, u16(165) + unicode(QStringLiteral("yyyy\"年\"m\"月\"d\"日\""))) + xf(0) +
                               xf(164) + xf(165) + xf(14) + xf(22);
    const QByteArray dated = record(0x0203, at(0, 0, 1) + f64(10.632060185185185)) +
                             record(0x027e, at(0, 1, 2) + u32(45413u << 2 | 2)) + record(0x0203, at(0, 2, 3) + f64(1)) +
                             record(0x0006, at(0, 3, 4) + f64(45413.5) + u16(0) + u32(0) + u16(0));

    // More records than twice the cells the limits let through, for the same two cells over and over:
    // put in order whenever there are that many (the last record coming just then), the last of each kept.
    QByteArray repeated;
    for (quint32 i = 0; i < 2004; ++i)
        repeated +=
            record(0x027e, at(0, 1) + u32(i << 2 | 2)) + record(0x0204, at(0, 0) + u16(1) + '\0' + char('a' + i % 26));
    repeated += record(0x027e, at(0, 1) + u32(2004u << 2 | 2));
    const QByteArray chart = bof(0x20) + record(0x0203, at(0, 0) + f64(7)) + eof();
    const QByteArray nine = record(0x0203, at(0, 0) + f64(9));
    const QByteArray one = record(0x0203, at(0, 0) + f64(1));
    const std::tuple<const char *, QByteArray, QList<Sheet>, std::string> cases[] = {
        {"shared strings across CONTINUE records", sst, worksheet(labels), "项目|ABC合计|房|ok"},
        {"shared strings out of order", sst, shuffled(7), "ok|ABC合计|ok|项目"},
        {"shared strings out of order, one far past the table", sst, shuffled(4000000000u), "ok|ABC合计|ok|项目"},
        // Most writers give each cell once, in order; where one does not, the last record for a cell wins.
        {"cells out of order, one given twice", sst,
         worksheet(record(0x0203, at(0, 2) + f64(3)) + record(0x00fd, at(0, 0) + u32(3)) +
                   record(0x0203, at(0, 2) + f64(4)) + record(0x0204, at(0, 1) + u16(1) + '\0' + "b") +
                   record(0x00fd, at(1, 0) + u32(0))),
         "ok|b|4|"},
        {"the same cells given again and again", QByteArray(), worksheet(repeated), "b|2004||"},
        {"1900 date system", formats, worksheet(dated), "255:10:10|2024-05-01|1900-01-01|2024-05-01 12:00:00"},
        {"1904 date system", record(0x0022, u16(1)) + formats, worksheet(dated),
         "255:10:10|2028-05-02|1904-01-02|2028-05-02 12:00:00"},
        {"numbers in 30 bits", QByteArray(),
         worksheet(record(0x027e, at(0, 0) + u32((12345u << 2) | 3)) + record(0x027e, at(0, 1) + u32(0x3ff80000))),
         "123.45|1.5||"},
        {"several numbers in one record", QByteArray(),
         worksheet(record(0x00bd, u16(0) + u16(1) + u16(0) + u32(4u << 2 | 2) + u16(0) + u32(quint32(-5) << 2 | 2) +
                                      u16(0) + u32(6u << 2 | 2) + u16(3))),
         "|4|-5|6"},
        {"text of a formula, after a shared formula", QByteArray(),
         worksheet(formula(0, 0, 0) + record(0x04bc, QByteArray(10, '\0')) +
                   record(0x0207, unicode(QStringLiteral("合计："))) + formula(0, 1, 3) +
                   record(0x0207, unicode(QStringLiteral("stray")))),
         "合计：|||"},
        {"text of a formula in a CONTINUE record", QByteArray(),
         worksheet(formula(0, 0, 0) + record(0x0207, u16(4) + '\0' + "AB") +
                   record(0x003c, '\x01' + wide(QStringLiteral("元/")))),
         "AB元/|||"},
        {"logical and error results", QByteArray(),
         worksheet(formula(0, 0, 1, 1) + formula(0, 1, 1, 0) + formula(0, 2, 2, 0x2a) +
                   record(0x0205, at(0, 3) + '\x07' + '\x01')),
         "TRUE|FALSE|#N/A|#DIV/0!"},
        {"a chart inside the sheet is no part of it", QByteArray(),
         worksheet(chart + record(0x0203, at(0, 1) + f64(2.5))), "|2.5||"},
        {"cells past column D are left out", QByteArray(), worksheet(record(0x0203, at(0, 4) + f64(1))), "|||"},
        {"a number format whose characters its record lacks", record(0x041e, u16(164) + u16(3) + '\x01'),
         worksheet(one), "1|||"},
        // No cell keeps more than Excel can hold, however long the record says its text is.
        {"a text beyond what a cell holds", QByteArray(),
         worksheet(record(0x0204, at(0, 0) + u16(40000) + '\0' + QByteArray(40000, 'a'))),
         std::string(32767, 'a') + "|||"},
        // The first worksheet is the first sheet that both the list and the sheet itself call one.
        {"listed as a chart", QByteArray(), {{2, nine, 0x10}, {0, one}}, "1|||"},
        {"a chart's records", QByteArray(), {{0, nine, 0x20}, {0, one}}, "1|||"},
    };
    for (const auto &[name, globals, sheets, row] : cases)
        EXPECT_EQ(firstRow(read(workbook(globals, sheets))), row) << name;
    // BIFF5 texts are 8-bit whatever the code page says: 1200 (UTF-16) falls back to Western European.
    const QByteArray cafe = record(0x0204, at(0, 0) + u16(4) + "caf\xe9");
    EXPECT_EQ(firstRow(read(workbook(record(0x0042, u16(1200)), {{0, cafe}}, 0x0500))), "café|||");
    // A cell below the rows asked for tells the import that the sheet goes on.
    EXPECT_FALSE(read(workbook({}, {{0, one}})).textBeyond);
    EXPECT_TRUE(read(workbook({}, {{0, record(0x0203, at(40000, 0) + f64(1))}})).textBeyond);
}

// Each refusal names its reason.
TEST(XlsParser, RefusalsSayWhy)
{
    const QByteArray sheet = record(0x0203, at(0, 0) + f64(1));
    const QByteArray good = compoundFile({{QStringLiteral("Workbook"), workbook({}, {{0, sheet}})}});
    QByteArray fatLoop = good;
    qToLittleEndian<quint32>(2, fatLoop.data() + CompoundFatOffset + 4 * 2); // the stream's first sector
    QByteArray siblingLoop = good;
    qToLittleEndian<quint32>(1, siblingLoop.data() + CompoundDirectoryOffset + 128 + 72);

    const std::tuple<const char *, QByteArray, const char *> cases[] = {
        {"password", compoundFile({{"Workbook", workbook(record(0x002f, QByteArray(54, '\0')), {{0, sheet}})}}),
         "已加密"},
        {"encrypted Office 2007 workbook",
         compoundFile({{"EncryptionInfo", QByteArray(8, '\0')}, {"EncryptedPackage", QByteArray(8, '\0')}}), "已加密"},
        {"Excel 4.0", compoundFile({{"Book", record(0x0409, QByteArray(6, '\0'))}}), "Excel 4.0"},
        {"Excel 3.0", compoundFile({{"Book", record(0x0209, QByteArray(6, '\0'))}}), "Excel 3.0"},
        {"another program's document", compoundFile({{"WordDocument", QByteArray(8, '\0')}}), "没有 Excel 工作簿"},
        {"only a chart", compoundFile({{"Workbook", workbook({}, {{2, sheet}})}}), "没有工作表"},
        {"cut short", good.left(400), "损坏"},
        {"a sector chain that loops", fatLoop, "损坏"},
        {"a directory that loops", siblingLoop, "损坏"},
        {"no BOF", compoundFile({{"Workbook", sheet}}), "损坏"},
    };
    EXPECT_EQ(firstRow(ReadXlsWorkbook(good, ReadLimits{})), "1|||");
    for (const auto &[name, file, message] : cases) {
        const XlsReaderResult result = ReadXlsWorkbook(file, ReadLimits{});
        EXPECT_FALSE(result.ok) << name;
        EXPECT_TRUE(result.cells.isEmpty()) << name;
        EXPECT_TRUE(result.error.text.contains(QString::fromUtf8(message)))
            << name << ": " << result.error.text.toStdString();
    }
}

// The reading runs in quilvar-xls-reader: the path goes over its command line, where blanks and Chinese
// must survive, and the limits with it (two columns here: the third stays empty).
TEST(XlsReaderProcess, WorkbooksAreReadThroughTheChild)
{
    QTemporaryDir dir;
    const QString renamed = dir.filePath(QStringLiteral("报价 单 (副本).xls"));
    ASSERT_TRUE(QFile::copy(QStringLiteral(QUILVAR_EXCEL_FIXTURES "/xlwt_quote.xls"), renamed));
    // The rows read, columns A to C.
    const std::tuple<QString, ReadLimits, QList<QStringList>> cases[] = {
        {renamed, {3, 2}, {{"项目", "内容", ""}, {"  大交通", "机票 ", ""}, {"景点门票", "故宫", ""}}},
        {QStringLiteral(QUILVAR_EXCEL_FIXTURES "/damaged-sector-chain.xls"),
         {},
         {}}, // read as an empty sheet, the stale cell gone
    };
    for (const auto &[path, limits, expected] : cases) {
        SCOPED_TRACE(testing::PrintToString(path));
        CellGrid grid;
        grid.setText(1, 1, QStringLiteral("stale"));
        WorkbookError error;
        ASSERT_TRUE(ReadFirstWorksheet(path, limits, &grid, &error)) << error.text.toStdString();
        QList<QStringList> rows;
        for (int r = 1; r <= grid.rowCount(); ++r)
            rows.append({grid.text(r, 1), grid.text(r, 2), grid.text(r, 3)});
        EXPECT_EQ(rows, expected) << path.toStdString();
    }
}

TEST(XlsReaderOutput, WellFormedResultsComeBackWholeAndNothingElsePasses)
{
    const ReadLimits limits{501, 4};
    XlsReaderResult cells;
    cells.ok = true;
    const QString room = QChar(0xfeff) + QStringLiteral("房"); // a leading byte-order mark is text too
    cells.cells = {{1, 1, QStringLiteral("项目")},
                   {1, 4, QStringLiteral("金额")},
                   {2, 1, room},
                   {2, 4, QStringLiteral("1234.5 \u00e9")}, // Latin-1 alone: one byte a character
                   {3, 1, room},                            // one text shared by cells goes once, then by its number
                   {3, 2, QStringLiteral("金额")},
                   {3, 4, room},
                   {501, 1, QStringLiteral("合计：𠀋")}};
    XlsReaderResult failure;
    failure.error = {WorkbookError::Kind::Encrypted, QStringLiteral("工作簿有密码保护，无法读取。")};
    XlsReaderResult empty;
    empty.ok = true;
    empty.textBeyond = true;
    for (const XlsReaderResult &sent : {cells, failure, empty}) {
        const QByteArray bytes = XlsReaderOutput::encode(sent);
        // Whole, and in pieces as a pipe hands them over, cut anywhere.
        for (const qsizetype piece : {bytes.size(), qsizetype(1), qsizetype(5), qsizetype(13)}) {
            SCOPED_TRACE(piece);
            XlsReaderOutput::Decoder decoder(limits);
            for (qsizetype at = 0; at < bytes.size(); at += piece)
                ASSERT_TRUE(decoder.feed(QByteArrayView(bytes).sliced(at, std::min(piece, bytes.size() - at))));
            XlsReaderResult got;
            ASSERT_TRUE(decoder.finish(&got));
            EXPECT_EQ(got.ok, sent.ok);
            EXPECT_EQ(got.cells, sent.cells);
            EXPECT_EQ(got.textBeyond, sent.textBeyond);
            EXPECT_EQ(got.error.text, sent.error.text);
            EXPECT_EQ(got.error.kind, sent.error.kind);
        }
    }
    // Into a grid.
    CellGrid grid;
    XlsReaderOutput::Decoder intoGridDecoder(limits, &grid);
    XlsReaderResult intoGrid;
    ASSERT_TRUE(intoGridDecoder.feed(XlsReaderOutput::encode(cells)) && intoGridDecoder.finish(&intoGrid));
    for (const XlsCell &cell : std::as_const(cells.cells))
        EXPECT_EQ(grid.text(cell.row, cell.column), cell.text) << cell.row << "," << cell.column;
    EXPECT_EQ(grid.text(2, 2), QString());
    // An overlong message is cut, never sent as something the program would refuse.
    failure.error.text = QString(5000, QChar(0x4e2d));
    XlsReaderResult cut;
    ASSERT_TRUE(XlsReaderOutput::decode(XlsReaderOutput::encode(failure), limits, &cut));
    EXPECT_TRUE(failure.error.text.startsWith(cut.error.text));

    // What a broken or subverted child might write; none of it may pass as a result.
    const QByteArray good = XlsReaderOutput::encode(cells);
    const QByteArray goodCell = cell(1, 1, QStringLiteral("a"));

    QList<QPair<const char *, QByteArray>> cases = {
        {"nothing", QByteArray()},
        {"trailing byte", good + 'x'},
        {"two results", good + good},
        {"other magic", "QVXM" + good.mid(4)},
        {"other version", header(0, XlsReaderOutput::Version + 1) + u32(0)},
        {"unknown kind", header(2) + u32(0)},
        {"count beyond the bytes", header(0) + u32(2) + goodCell},
        {"count beyond the limits", header(0) + u32(0xffffffffu) + goodCell},
        {"length beyond the bytes", header(0) + u32(1) + u32(1) + u32(1) + u32(0x7fffffffu) + "abcd"},
        {"row 0", header(0) + u32(1) + cell(0, 1, QStringLiteral("a"))},
        {"row past the limit", header(0) + u32(1) + cell(502, 1, QStringLiteral("a"))},
        {"column 0", header(0) + u32(1) + cell(1, 0, QStringLiteral("a"))},
        {"column past the limit", header(0) + u32(1) + cell(1, 5, QStringLiteral("a"))},
        {"same cell twice", header(0) + u32(2) + goodCell + goodCell},
        {"cells out of order", header(0) + u32(2) + cell(2, 1, QStringLiteral("a")) + cell(1, 4, QStringLiteral("b"))},
        {"repeat of nothing kept", header(0) + u32(1) + u32(1) + u32(1) + u32(XlsReaderOutput::RepeatBit) + '\0'},
        {"repeat of a text not kept", header(0) + u32(2) + u32(1) + u32(1) + u32(1) + "a" + u32(1) + u32(2) +
                                          u32(XlsReaderOutput::RepeatBit) + '\0'},
        {"Latin-1 beyond the bytes", header(0) + u32(1) + u32(1) + u32(1) + u32(5) + "abcd"},
        {"lone high surrogate", header(0) + u32(1) + cell(1, 1, QString(QChar(0xd840))) + '\0'},
        {"lone low surrogate", header(0) + u32(1) + cell(1, 1, QChar(0xdc0b) + QStringLiteral("a")) + '\0'},
        {"surrogates swapped", header(0) + u32(1) + cell(1, 1, QString(QChar(0xdc0b)) + QChar(0xd840)) + '\0'},
        {"empty message", header(1) + '\x06' + u32(0)},
        {"message too long", header(1) + '\x06' + u32(5000) + QByteArray(5000, 'x')},
        {"error without a kind", header(1) + '\x00' + u32(1) + "x"},
        {"unknown error kind", header(1) + '\x7f' + u32(1) + "x"}};
    for (qsizetype size = 0; size < good.size(); ++size)
        cases.append({"cut short", good.left(size)});
    for (const auto &[name, bytes] : cases) {
        XlsReaderResult got;
        got.ok = true;
        EXPECT_FALSE(XlsReaderOutput::decode(bytes, limits, &got)) << name << " (" << bytes.size() << " bytes)";
        EXPECT_FALSE(got.ok) << name;
        EXPECT_TRUE(got.cells.isEmpty()) << name;
    }

    // A text sent once and landed in many cells counts in each: the reading's text budget holds.
    ReadLimits small = limits;
    small.maxTextCharacters = 8;
    XlsReaderResult repeated;
    repeated.ok = true;
    repeated.cells = {{1, 1, QStringLiteral("abc")}, {2, 1, QStringLiteral("abc")}, {3, 1, QStringLiteral("abc")}};
    XlsReaderOutput::Decoder decoder(small);
    EXPECT_FALSE(decoder.feed(XlsReaderOutput::encode(repeated)));
    EXPECT_TRUE(decoder.overBudget());
}
