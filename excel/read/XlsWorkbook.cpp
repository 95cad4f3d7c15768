#include "excel/read/XlsWorkbook.h"

#include "common/CodePage.h"
#include "common/NumberText.h"

#include "excel/read/BiffRecords.h"
#include "excel/read/CellText.h"
#include "excel/read/CompoundFile.h"
#include "excel/read/ReadBudget.h"
#include "excel/read/ReadTexts.h"

#include <QHash>

#include <algorithm>
#include <numeric>
#include <vector>

namespace {

using namespace Biff;

enum RecordType : quint16
{
    Formula = 0x0006,
    Eof = 0x000a,
    DateMode = 0x0022,
    FilePass = 0x002f,
    Continue = 0x003c,
    CodePage = 0x0042,
    BoundSheet = 0x0085,
    MulRk = 0x00bd,
    RString = 0x00d6,
    Xf = 0x00e0,
    Sst = 0x00fc,
    LabelSst = 0x00fd,
    Number = 0x0203,
    Label = 0x0204,
    BoolErr = 0x0205,
    Formula3 = 0x0206,
    String = 0x0207,
    Array = 0x0221,
    Table = 0x0236,
    Rk = 0x027e,
    Formula4 = 0x0406,
    Format = 0x041e,
    SharedFormula = 0x04bc,
    Bof2 = 0x0009,
    Bof3 = 0x0209,
    Bof4 = 0x0409,
    Bof = 0x0809,
};

constexpr quint16 GlobalsSubstream = 0x0005;
constexpr quint16 WorksheetSubstream = 0x0010;
constexpr quint8 WorksheetSheetType = 0;

using Kind = WorkbookError::Kind;

WorkbookError encrypted()
{
    return {Kind::Encrypted,
            QStringLiteral("工作簿有密码保护（已加密），无法读取。请在 Excel 中取消密码后另存，再导入。")};
}

WorkbookError damaged()
{
    return {Kind::Damaged, QStringLiteral("工作簿已损坏（.xls 数据无法识别），无法读取。")};
}

QString olderFormatMessage(const char *version)
{
    return QStringLiteral("不支持 %1 格式的工作簿，请先在 Excel 或 LibreOffice 中另存为 .xlsx 或 .xls 文件。")
        .arg(QString::fromUtf8(version));
}

struct SheetRef
{
    quint32 position = 0;
    quint8 type = 0;
};

struct Globals
{
    int biff = 8;
    bool date1904 = false;
    QHash<quint16, QString> formats;
    QList<quint16> cellFormats; // by XF index
    QList<QByteArrayView> sst;  // the SST record and its CONTINUE records
    QList<SheetRef> sheets;
};

class Reader
{
public:
    Reader(QByteArrayView stream, const ReadLimits &limits, const XlsCellSink &sink)
        : m_stream(stream), m_limits(limits), m_sink(sink)
    {
    }

    XlsReaderResult read(bool bookStream);

private:
    // A formula whose text is in the STRING record that follows it.
    struct StringResult
    {
        bool pending = false;
        quint16 row = 0;
        quint16 column = 0;
    };

    bool readGlobals(bool bookStream, WorkbookError *error);
    bool readGlobalsRecord(const Record &record, quint16 previous, WorkbookError *error);
    bool firstWorksheet(qsizetype *position) const;
    void readSheet(qsizetype position);
    void readCellRecord(const Record &record, Records &records, StringResult *stringResult);
    void readFormula(QByteArrayView data, StringResult *stringResult);
    void readSharedStrings();
    size_t sharedSlot(quint32 index) const;
    void deliver();

    QString byteString(QByteArrayView bytes) const;
    // The text of a LABEL, RSTRING or STRING record after its cell address, if any.
    QString labelText(Pieces &in) const;
    // The text of a number whose format shows a date, a time or a duration; empty for any other.
    QString dateText(quint16 xf, double value) const;
    bool wanted(quint16 row, quint16 column) const
    {
        // A cell below the rows wanted tells the caller that the sheet goes on.
        m_textBeyond = m_textBeyond || (row >= m_limits.maxRows && column < m_limits.maxColumns);
        return row + 1 >= m_limits.firstRow && row < m_limits.maxRows && column < m_limits.maxColumns;
    }
    void set(quint16 row, quint16 column, QString &&text)
    {
        if (!wanted(row, column))
            return;
        if (text.size() > ReadBudget::MaxCellCharacters)
            text.truncate(ReadBudget::MaxCellCharacters);
        putText(row, column, std::move(text));
    }
    // A number as its format shows it: a date or a time as text, any other kept as the value, its
    // text written only as the cell goes out.
    void setNumber(quint16 row, quint16 column, quint16 xf, double value)
    {
        if (!wanted(row, column))
            return;
        if (QString date = dateText(xf, value); !date.isEmpty()) {
            putText(row, column, std::move(date));
        } else if (makeRoom(); m_numbers.size() < IndexMask) {
            m_cells.push_back({row, column, NumberKind | quint32(m_numbers.size())});
            m_numbers.push_back(value);
        }
    }
    void putText(quint16 row, quint16 column, QString &&text)
    {
        if (makeRoom(); size_t(m_texts.size()) < IndexMask) {
            m_cells.push_back({row, column, TextKind | quint32(m_texts.size())});
            m_texts.append(std::move(text));
        }
    }
    // A shared string's index; one past any table a file can hold stands for every such index (the
    // cell is left empty all the same).
    void putShared(quint16 row, quint16 column, quint32 index)
    {
        makeRoom();
        m_cells.push_back({row, column, SharedKind | std::min(index, IndexMask)});
    }
    // A cell as read, in eight bytes (a full sheet's cells are held until the reading is over): where
    // it is, and where its text is, by kind (the top two bits) and index: a shared string's, or a
    // number's in m_numbers, or a text's in m_texts.
    struct Cell
    {
        quint16 row = 0;
        quint16 column = 0;
        quint32 source = 0;

        quint32 key() const { return quint32(row) << 16 | column; }
    };
    static constexpr quint32 KindMask = 3u << 30;
    static constexpr quint32 IndexMask = ~KindMask;
    static constexpr quint32 SharedKind = 0;
    static constexpr quint32 NumberKind = 1u << 30;
    static constexpr quint32 TextKind = 2u << 30;
    // Cells come mostly in row order, and a later record for the same cell wins: they are gathered
    // as they come (a shared string is looked up at the end), and put in order at the end, or
    // whenever a file repeats cells past all bounds: before the next cell's number or text is given
    // its index, as the ordering keeps only those of the cells kept and indexes them anew. (An index
    // that would not fit beside the kind drops its cell; no file within the reader's size limit comes
    // near one.)
    void makeRoom()
    {
        if (m_cells.size() >= m_cellsBeforeOrdering)
            orderCells();
    }
    void reserveCells();
    void orderCells();

    QByteArrayView m_stream;
    ReadLimits m_limits;
    Globals m_globals;
    // For the 8-bit texts of BIFF5: the code page the workbook names, Western European without one.
    unsigned m_codePage = 1252;
    const XlsCellSink &m_sink;
    std::vector<Cell> m_cells;
    std::vector<double> m_numbers;
    QList<QString> m_texts;
    // The shared strings the cells name, by slot: slotOf[index] when the indexes were few enough to
    // be marked in a table, else where the index stands in m_sharedIndexes. Their characters are
    // kept one after another, in one block rather than a text each.
    struct SharedString
    {
        size_t start = 0;
        qsizetype size = 0;
        quint32 uses = 0; // how many cells name it
    };
    std::vector<quint32> m_sharedIndexes;
    std::vector<quint32> m_slotOf;
    std::vector<SharedString> m_strings;
    std::vector<char16_t> m_stringCharacters;
    // By XF index, what its number format shows once known: 1, and 2 a date, 4 a time, 8 a duration.
    mutable std::vector<quint8> m_xfKinds;
    size_t m_cellsBeforeOrdering = 2 * size_t(std::max(1, m_limits.maxRows)) * size_t(std::max(1, m_limits.maxColumns));
    mutable bool m_textBeyond = false;
};

QString Reader::byteString(QByteArrayView bytes) const
{
    return CodePage::toUnicode(m_codePage, bytes);
}

QString Reader::labelText(Pieces &in) const
{
    QString text;
    if (m_globals.biff == 8) {
        unicodeString(in, &text);
        return text;
    }
    quint16 length = 0;
    QByteArray bytes;
    if (in.u16(&length))
        in.bytes(length, &bytes);
    return byteString(bytes);
}

QString Reader::dateText(quint16 xf, double value) const
{
    if (xf >= m_globals.cellFormats.size())
        return QString();
    // What each cell format shows is found the first time a number uses it: a custom format's code
    // is read once rather than for every number of a column (a sheet's XFs are at most 65,536).
    if (m_xfKinds.empty())
        m_xfKinds.assign(size_t(m_globals.cellFormats.size()), 0);
    quint8 &known = m_xfKinds[xf];
    if (known == 0) {
        const quint16 format = m_globals.cellFormats.at(xf);
        const auto custom = m_globals.formats.constFind(format);
        const CellText::DateKind kind = custom != m_globals.formats.cend() ? CellText::formatCodeKind(*custom)
                                                                           : CellText::builtinFormatKind(format);
        known = quint8(1 | kind.date << 1 | kind.time << 2 | kind.elapsed << 3);
    }
    if (known & 8)
        return CellText::fromElapsed(value);
    if (known & 6)
        return CellText::fromSerial(value, m_globals.date1904, known & 2, known & 4);
    return QString();
}

bool Reader::readGlobals(bool bookStream, WorkbookError *error)
{
    Records records(m_stream);
    Record record;
    if (!records.next(&record)) {
        *error = damaged();
        return false;
    }
    if (record.type != Bof) {
        const QString older = OlderExcelRefusal(m_stream);
        *error = older.isEmpty() ? damaged() : WorkbookError{Kind::UnsupportedFormat, older};
        return false;
    }
    const quint16 version = record.data.size() >= 4 ? u16(record.data, 0) : 0;
    const quint16 substream = record.data.size() >= 4 ? u16(record.data, 2) : 0;
    if (version >= 0x0200 && version <= 0x0400)
        return WorkbookError::fail(error, Kind::UnsupportedFormat, olderFormatMessage("Excel 4.0 及更早版本"));
    // Some writers leave the version out; the stream's name tells it then.
    m_globals.biff = version == 0x0600 ? 8 : version == 0x0500 ? 5 : bookStream ? 5 : 8;
    if (substream == WorksheetSubstream) {
        // A workbook of one worksheet and no globals, as some old writers made.
        m_globals.sheets.append({0, WorksheetSheetType});
        return true;
    }
    if (substream != GlobalsSubstream) {
        *error = damaged();
        return false;
    }
    quint16 previous = 0;
    while (records.next(&record) && record.type != Eof) {
        if (!readGlobalsRecord(record, previous, error))
            return false;
        if (record.type != Continue)
            previous = record.type;
    }
    return true;
}

bool Reader::readGlobalsRecord(const Record &record, quint16 previous, WorkbookError *error)
{
    const QByteArrayView data = record.data;
    switch (record.type) {
    case FilePass:
        *error = encrypted();
        return false;
    case CodePage:
        if (data.size() >= 2)
            m_codePage = textCodePage(u16(data, 0));
        break;
    case DateMode:
        if (data.size() >= 2)
            m_globals.date1904 = u16(data, 0) == 1;
        break;
    case Format:
        if (data.size() >= 3) {
            Pieces in(data.sliced(2));
            QString code;
            if (m_globals.biff == 8) {
                unicodeString(in, &code);
            } else {
                const qsizetype length = std::min<qsizetype>(quint8(data[2]), data.size() - 3);
                code = byteString(data.sliced(3, length));
            }
            m_globals.formats.insert(u16(data, 0), code);
        }
        break;
    case Xf:
        if (data.size() >= 4 && m_globals.cellFormats.size() < 65536)
            m_globals.cellFormats.append(u16(data, 2));
        break;
    case Sst:
        m_globals.sst = {data.size() >= 8 ? data.sliced(8) : QByteArrayView()};
        break;
    case Continue:
        if (previous == Sst && !m_globals.sst.isEmpty())
            m_globals.sst.append(data);
        break;
    case BoundSheet:
        if (data.size() >= 6)
            m_globals.sheets.append({u32(data, 0), quint8(data[5])});
        break;
    default:
        break;
    }
    return true;
}

bool Reader::firstWorksheet(qsizetype *position) const
{
    for (const SheetRef &sheet : m_globals.sheets) {
        if (sheet.type != WorksheetSheetType || sheet.position >= quint64(m_stream.size()))
            continue;
        Record bof;
        if (Records(m_stream, qsizetype(sheet.position)).next(&bof) && bof.type == Bof && bof.data.size() >= 4 &&
            u16(bof.data, 2) == WorksheetSubstream) {
            *position = qsizetype(sheet.position);
            return true;
        }
    }
    return false;
}

void Reader::readSheet(qsizetype position)
{
    Records records(m_stream, position);
    Record record;
    records.next(&record); // the sheet's BOF
    int depth = 0;         // charts embedded in the sheet come as substreams of their own
    StringResult stringResult;
    while (records.next(&record)) {
        if (record.type == Bof) {
            ++depth;
        } else if (record.type == Eof) {
            if (depth-- == 0)
                break;
        } else if (depth == 0) {
            if (record.type != String && record.type != SharedFormula && record.type != Array && record.type != Table &&
                record.type != Continue)
                stringResult.pending = false;
            readCellRecord(record, records, &stringResult);
        }
    }
}

void Reader::readCellRecord(const Record &record, Records &records, StringResult *stringResult)
{
    const QByteArrayView data = record.data;
    const bool cell = data.size() >= 6;
    const quint16 row = cell ? u16(data, 0) : 0;
    const quint16 column = cell ? u16(data, 2) : 0;
    const quint16 xf = cell ? u16(data, 4) : 0;
    switch (record.type) {
    case Number:
        if (data.size() >= 14 && wanted(row, column))
            setNumber(row, column, xf, f64(data, 6));
        break;
    case Rk:
        if (data.size() >= 10 && wanted(row, column))
            setNumber(row, column, xf, rkValue(u32(data, 6)));
        break;
    case MulRk:
        // row, first column, then an XF and a number for each column, then the last column.
        for (qsizetype at = 4, c = cell ? column : 0; cell && at + 6 <= data.size() - 2; at += 6, ++c)
            if (c <= 0xffff && wanted(row, quint16(c)))
                setNumber(row, quint16(c), u16(data, at), rkValue(u32(data, at + 2)));
        break;
    case Label:
    case RString:
        if (cell && wanted(row, column)) {
            Pieces in(data.sliced(6));
            set(row, column, labelText(in));
        }
        break;
    case LabelSst:
        if (data.size() >= 10 && wanted(row, column))
            putShared(row, column, u32(data, 6));
        break;
    case BoolErr:
        if (data.size() >= 8)
            set(row, column, data[7] ? errorText(quint8(data[6])) : CellText::fromBool(data[6] != 0));
        break;
    case Formula:
    case Formula3:
    case Formula4:
        if (data.size() >= 14 && wanted(row, column))
            readFormula(data, stringResult);
        break;
    case String:
        if (stringResult->pending) {
            QList<QByteArrayView> pieces{data};
            Record next;
            while (records.peek(&next) && next.type == Continue) {
                records.next(&next);
                pieces.append(next.data);
            }
            Pieces in(pieces);
            set(stringResult->row, stringResult->column, labelText(in));
            stringResult->pending = false;
        }
        break;
    default:
        break;
    }
}

// A formula cell by the result its writer stored: a number, or what the first byte says it gave.
void Reader::readFormula(QByteArrayView data, StringResult *stringResult)
{
    const quint16 row = u16(data, 0);
    const quint16 column = u16(data, 2);
    if (u16(data, 12) != 0xffff) {
        setNumber(row, column, u16(data, 4), f64(data, 6));
        return;
    }
    switch (quint8(data[6])) {
    case 0:
        set(row, column, QString());
        *stringResult = {true, row, column};
        break;
    case 1:
        set(row, column, CellText::fromBool(data[8] != 0));
        break;
    case 2:
        set(row, column, errorText(quint8(data[8])));
        break;
    default: // an empty text
        set(row, column, QString());
        break;
    }
}

// Room for the cells the limits let through, as far as the stream could hold them (a cell record
// takes at least 6 bytes), so that they are not moved as they come.
void Reader::reserveCells()
{
    const qsizetype cells =
        qsizetype(std::min<size_t>({m_cellsBeforeOrdering / 2, size_t(m_stream.size() / 6) + 1, size_t(1) << 20}));
    m_cells.reserve(size_t(cells));
}

void Reader::orderCells()
{
    const auto before = [](const Cell &a, const Cell &b) { return a.key() < b.key(); };
    // Excel and most writers give each cell once, in row order: nothing to do then.
    if (std::adjacent_find(m_cells.cbegin(), m_cells.cend(),
                           [&](const Cell &a, const Cell &b) { return !before(a, b); }) == m_cells.cend())
        return;
    std::stable_sort(m_cells.begin(), m_cells.end(), before);
    // Of the records for one cell the last is kept, and only the numbers and texts of those kept.
    std::vector<Cell> cells;
    std::vector<double> numbers;
    QList<QString> texts;
    for (size_t at = 0; at < m_cells.size(); ++at) {
        if (at + 1 < m_cells.size() && m_cells[at + 1].key() == m_cells[at].key())
            continue;
        Cell cell = m_cells[at];
        const quint32 index = cell.source & IndexMask;
        if ((cell.source & KindMask) == NumberKind) {
            cell.source = NumberKind | quint32(numbers.size());
            numbers.push_back(m_numbers[index]);
        } else if ((cell.source & KindMask) == TextKind) {
            cell.source = TextKind | quint32(texts.size());
            texts.append(std::move(m_texts[index]));
        }
        cells.push_back(cell);
    }
    m_cells = std::move(cells);
    m_numbers = std::move(numbers);
    m_texts = std::move(texts);
}

// The shared strings the cells name, each read once: the strings no cell names are not kept, and
// the reading stops after the last that one does.
void Reader::readSharedStrings()
{
    std::vector<quint32> &indexes = m_sharedIndexes;
    for (const Cell &cell : m_cells)
        if ((cell.source & KindMask) == SharedKind)
            indexes.push_back(cell.source);
    if (indexes.empty())
        return;
    const quint32 last = *std::max_element(indexes.cbegin(), indexes.cend());
    if (last >= 8 * indexes.size() + 1024) {
        std::sort(indexes.begin(), indexes.end());
        indexes.erase(std::unique(indexes.begin(), indexes.end()), indexes.end());
    } else {
        // The cells of a quote name a few strings over and over, in no order: marked in a table.
        std::vector<bool> used(size_t(last) + 1);
        for (const quint32 index : indexes)
            used[index] = true;
        indexes.clear();
        m_slotOf.assign(size_t(last) + 1, 0);
        for (quint32 index = 0; index <= last; ++index) {
            if (used[index]) {
                m_slotOf[index] = quint32(indexes.size());
                indexes.push_back(index);
            }
        }
    }
    m_strings.assign(indexes.size(), SharedString());
    for (const Cell &cell : m_cells)
        if ((cell.source & KindMask) == SharedKind)
            ++m_strings[sharedSlot(cell.source)].uses;
    // Room for the characters at once: Chinese text takes two bytes a character in the table, so half
    // its bytes is room for most workbooks' strings (more grows the block; room taken for every byte
    // was measured to touch 3 MB more of a full sheet's).
    qsizetype bytes = 0;
    for (const QByteArrayView piece : std::as_const(m_globals.sst))
        bytes += piece.size();
    m_stringCharacters.reserve(size_t(bytes) / 2 + 1024);
    Pieces in(m_globals.sst);
    size_t next = 0;
    for (quint32 index = 0; next < indexes.size() && !in.atEnd(); ++index) {
        const bool keep = indexes[next] == index;
        const size_t start = m_stringCharacters.size();
        if (!unicodeString(in, keep ? &m_stringCharacters : nullptr)) {
            m_stringCharacters.resize(start);
            break;
        }
        if (keep) {
            const size_t size = std::min<size_t>(m_stringCharacters.size() - start, ReadBudget::MaxCellCharacters);
            m_stringCharacters.resize(start + size);
            m_strings[next] = {start, qsizetype(size), m_strings[next].uses};
            ++next;
        }
    }
}

// An index past the table leaves its cell empty rather than failing the whole sheet.
size_t Reader::sharedSlot(quint32 index) const
{
    return !m_slotOf.empty() ? m_slotOf[index]
                             : size_t(std::lower_bound(m_sharedIndexes.cbegin(), m_sharedIndexes.cend(), index) -
                                      m_sharedIndexes.cbegin());
}

// The cells that hold text, to the sink: how many, then each. A number's text is written as it goes
// (into one text for all), a shared string's taken from where it is kept.
void Reader::deliver()
{
    // The cell's text, and whether other cells have it at the same place.
    QString number;
    const auto text = [&](const Cell &cell, bool *shared) {
        const quint32 index = cell.source & IndexMask;
        *shared = false;
        switch (cell.source & KindMask) {
        case SharedKind: {
            const SharedString &string = m_strings[sharedSlot(index)];
            *shared = string.uses > 1;
            return QStringView(m_stringCharacters.data() + string.start, string.size);
        }
        case NumberKind:
            number.resize(0);
            AppendNumberText(number, m_numbers[index]);
            return QStringView(number);
        default:
            return QStringView(m_texts.at(index));
        }
    };
    bool shared = false;
    m_sink.begin(std::count_if(m_cells.cbegin(), m_cells.cend(), [&](const Cell &cell) {
        return (cell.source & KindMask) == NumberKind || !text(cell, &shared).isEmpty();
    }));
    for (const Cell &cell : m_cells)
        if (const QStringView view = text(cell, &shared); !view.isEmpty())
            m_sink.cell(int(cell.row) + 1, int(cell.column) + 1, view, shared);
}

XlsReaderResult Reader::read(bool bookStream)
{
    XlsReaderResult result;
    if (!readGlobals(bookStream, &result.error))
        return result;
    qsizetype position = 0;
    if (!firstWorksheet(&position)) {
        result.error = {Kind::NoWorksheet, ReadText::noWorksheet()};
        return result;
    }
    reserveCells();
    readSheet(position);
    orderCells();
    readSharedStrings();
    deliver();
    result.textBeyond = m_textBeyond;
    result.ok = true;
    return result;
}

} // namespace

QString OlderExcelRefusal(QByteArrayView head)
{
    if (head.size() < 4)
        return QString();
    // The BOF record of each version, and the lengths it has there.
    const quint16 type = u16(head, 0);
    const quint16 length = u16(head, 2);
    if (type == Bof2 && length == 4)
        return olderFormatMessage("Excel 2.x（BIFF2）");
    if (type == Bof3 && length == 6)
        return olderFormatMessage("Excel 3.0（BIFF3）");
    if (type == Bof4 && length == 6)
        return olderFormatMessage("Excel 4.0（BIFF4）");
    return QString();
}

XlsReaderResult ReadXlsWorkbook(QByteArrayView data, const ReadLimits &limits)
{
    QList<XlsCell> cells;
    XlsReaderResult result = ReadXlsWorkbook(data, limits,
                                             {[&cells](qsizetype count) { cells.reserve(count); },
                                              [&cells](int row, int column, QStringView text, bool) {
                                                  cells.append({row, column, text.toString()});
                                              }});
    result.cells = std::move(cells);
    return result;
}

XlsReaderResult ReadXlsWorkbook(QByteArrayView data, const ReadLimits &limits, const XlsCellSink &sink)
{
    XlsReaderResult result;
    CompoundFile container;
    if (!container.open(data, &result.error))
        return result;
    // Office 2007 and later keep an encrypted workbook, whatever its format, in a compound file.
    if (container.hasStream(u"EncryptionInfo") || container.hasStream(u"EncryptedPackage")) {
        result.error = encrypted();
        return result;
    }
    // "Workbook" from Excel 97 on, "Book" before.
    const bool book = !container.hasStream(u"Workbook");
    if (book && !container.hasStream(u"Book")) {
        result.error = {Kind::NotWorkbook, QStringLiteral("文件中没有 Excel 工作簿（可能是 Word 等其它程序的文档）。")};
        return result;
    }
    QByteArray storage;
    QByteArrayView stream;
    if (!container.readStream(book ? u"Book" : u"Workbook", &storage, &stream, &result.error))
        return result;
    return Reader(stream, limits, sink).read(book);
}
