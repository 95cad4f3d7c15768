#include "excel/XlsWorkbook.h"

#include "excel/CellText.h"
#include "excel/CompoundFile.h"

#include <QHash>
#include <QStringDecoder>

#include <algorithm>
#include <bit>
#include <cstring>
#include <map>
#include <optional>

namespace {

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

QString encryptedMessage()
{
    return QStringLiteral("工作簿有密码保护（已加密），无法读取。请在 Excel 中取消密码后另存，再导入。");
}

QString damagedMessage()
{
    return QStringLiteral("工作簿已损坏（Excel 97-2003 数据无法识别），无法读取。");
}

QString olderFormatMessage(const char *version)
{
    return QStringLiteral("不支持 %1 格式的工作簿，请先在 Excel 或 LibreOffice 中另存为 .xlsx 或 .xls 文件。")
        .arg(QString::fromUtf8(version));
}

quint16 u16(QByteArrayView bytes, qsizetype at)
{
    return quint16(quint8(bytes[at]) | quint8(bytes[at + 1]) << 8);
}

quint32 u32(QByteArrayView bytes, qsizetype at)
{
    return quint32(u16(bytes, at)) | quint32(u16(bytes, at + 2)) << 16;
}

double f64(QByteArrayView bytes, qsizetype at)
{
    quint64 bits = quint64(u32(bytes, at)) | quint64(u32(bytes, at + 4)) << 32;
    return std::bit_cast<double>(bits);
}

// A number stored in 30 bits: an integer or the high bits of a double, either perhaps times 100.
double rkValue(quint32 rk)
{
    double value = (rk & 2) ? double(qint32(rk) >> 2) : std::bit_cast<double>(quint64(rk & 0xfffffffcu) << 32);
    return (rk & 1) ? value / 100 : value;
}

QString errorText(quint8 code)
{
    switch (code) {
    case 0x00:
        return QStringLiteral("#NULL!");
    case 0x07:
        return QStringLiteral("#DIV/0!");
    case 0x0f:
        return QStringLiteral("#VALUE!");
    case 0x17:
        return QStringLiteral("#REF!");
    case 0x1d:
        return QStringLiteral("#NAME?");
    case 0x24:
        return QStringLiteral("#NUM!");
    case 0x2a:
        return QStringLiteral("#N/A");
    case 0x2b:
        return QStringLiteral("#GETTING_DATA");
    default:
        return QString(); // no error Excel knows: nothing to show
    }
}

struct Record
{
    quint16 type = 0;
    QByteArrayView data;
};

// The records of a workbook stream; a record that runs past the stream's end ends it.
class Records
{
public:
    explicit Records(QByteArrayView stream, qsizetype from = 0) : m_stream(stream), m_at(from) {}

    bool next(Record *record)
    {
        if (m_at < 0 || m_stream.size() - m_at < 4)
            return false;
        const quint16 length = u16(m_stream, m_at + 2);
        if (m_stream.size() - m_at - 4 < length)
            return false;
        record->type = u16(m_stream, m_at);
        record->data = m_stream.sliced(m_at + 4, length);
        m_at += 4 + length;
        return true;
    }

    bool peek(Record *record) const
    {
        Records copy = *this;
        return copy.next(record);
    }

private:
    QByteArrayView m_stream;
    qsizetype m_at = 0;
};

// Reads across a record and the CONTINUE records after it. Where the characters of a string go on
// in the next record, that record starts with a byte of its own that says whether they are stored
// in one byte or two; everything else simply goes on.
class Pieces
{
public:
    explicit Pieces(QList<QByteArrayView> pieces) : m_pieces(std::move(pieces)) {}
    explicit Pieces(QByteArrayView piece) : m_pieces{piece} {}

    bool atEnd()
    {
        skipEmpty();
        return m_piece >= m_pieces.size();
    }

    bool skip(qint64 count)
    {
        while (count > 0) {
            if (atEnd())
                return false;
            const qint64 step = std::min<qint64>(count, left());
            m_at += step;
            count -= step;
        }
        return true;
    }

    // Up to count bytes, fewer where the pieces end.
    void bytes(qint64 count, QByteArray *out)
    {
        while (count > 0 && !atEnd()) {
            const qint64 step = std::min<qint64>(count, left());
            out->append(m_pieces.at(m_piece).sliced(m_at, step));
            m_at += step;
            count -= step;
        }
    }

    bool byte(quint8 *value)
    {
        if (atEnd())
            return false;
        *value = quint8(m_pieces.at(m_piece)[m_at++]);
        return true;
    }

    bool u16(quint16 *value)
    {
        quint8 low = 0, high = 0;
        if (!byte(&low) || !byte(&high))
            return false;
        *value = quint16(low | high << 8);
        return true;
    }

    bool u32(quint32 *value)
    {
        quint16 low = 0, high = 0;
        if (!u16(&low) || !u16(&high))
            return false;
        *value = quint32(low) | quint32(high) << 16;
        return true;
    }

    // count characters, one or two bytes each; appended to text unless it is null.
    bool characters(quint32 count, bool wide, QString *text)
    {
        while (count > 0) {
            if (m_piece >= m_pieces.size())
                return false;
            const QByteArrayView piece = m_pieces.at(m_piece);
            const qint64 take = std::min<qint64>(count, left() / (wide ? 2 : 1));
            if (text) {
                const QByteArrayView bytes = piece.sliced(m_at, take * (wide ? 2 : 1));
                if (wide) {
                    for (qint64 i = 0; i < take; ++i)
                        text->append(QChar(char16_t(::u16(bytes, 2 * i))));
                } else {
                    text->append(QString::fromLatin1(bytes));
                }
            }
            m_at += take * (wide ? 2 : 1);
            count -= quint32(take);
            if (count == 0)
                break;
            // The characters go on in the next record, after its own option byte.
            ++m_piece;
            m_at = 0;
            quint8 options = 0;
            if (m_piece >= m_pieces.size() || m_pieces.at(m_piece).isEmpty())
                return false;
            options = quint8(m_pieces.at(m_piece)[m_at++]);
            wide = options & 1;
        }
        return true;
    }

private:
    qint64 left() const { return m_pieces.at(m_piece).size() - m_at; }

    void skipEmpty()
    {
        while (m_piece < m_pieces.size() && m_at >= m_pieces.at(m_piece).size()) {
            ++m_piece;
            m_at = 0;
        }
    }

    QList<QByteArrayView> m_pieces;
    qsizetype m_piece = 0;
    qint64 m_at = 0;
};

// A BIFF8 string: its length in one or two bytes, an option byte, the characters and what formatting
// follows them. Into text unless that is null.
bool unicodeString(Pieces &in, bool shortLength, QString *text)
{
    quint16 length = 0;
    quint8 options = 0;
    if (shortLength) {
        quint8 shortValue = 0;
        if (!in.byte(&shortValue))
            return false;
        length = shortValue;
    } else if (!in.u16(&length)) {
        return false;
    }
    if (!in.byte(&options))
        return false;
    quint16 runs = 0;
    quint32 extra = 0;
    if ((options & 0x08) && !in.u16(&runs))
        return false;
    if ((options & 0x04) && !in.u32(&extra))
        return false;
    if (!in.characters(length, options & 1, text))
        return false;
    // Formatting runs and phonetic data of a string at the very end of its record may be left out.
    in.skip(qint64(runs) * 4 + extra);
    return true;
}

// Maps the Windows code page a BIFF5 workbook names to its texts' encoding.
QStringDecoder decoderFor(quint16 codePage)
{
    QByteArray name;
    switch (codePage) {
    case 367:
    case 20127:
        name = "US-ASCII";
        break;
    case 1200:
        name = "UTF-16LE";
        break;
    case 10000:
    case 32768:
        name = "macintosh";
        break;
    case 32769:
        name = "windows-1252";
        break;
    default:
        name = "windows-" + QByteArray::number(codePage);
        break;
    }
    QStringDecoder decoder(name.constData(), QStringDecoder::Flag::Stateless);
    if (!decoder.isValid())
        decoder = QStringDecoder("windows-1252", QStringDecoder::Flag::Stateless);
    return decoder;
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

// A cell's value before the shared strings are looked up.
struct Value
{
    QString text;
    std::optional<quint32> shared; // an index into the shared-string table
};

class Reader
{
public:
    Reader(QByteArrayView stream, const ReadLimits &limits) : m_stream(stream), m_limits(limits) {}

    XlsReaderResult read(bool bookStream);

private:
    bool readGlobals(bool bookStream, QString *error);
    bool firstWorksheet(qsizetype *position) const;
    void readSheet(qsizetype position);
    void resolveShared();

    QString byteString(QByteArrayView bytes) const;
    // The text of a LABEL, RSTRING or STRING record after its cell address, if any.
    QString labelText(Pieces &in) const;
    QString numberText(quint16 xf, double value) const;
    bool wanted(quint16 row, quint16 column) const { return row < m_limits.maxRows && column < m_limits.maxColumns; }
    void set(quint16 row, quint16 column, const QString &text)
    {
        if (wanted(row, column))
            m_cells[{row, column}] = Value{text, std::nullopt};
    }

    QByteArrayView m_stream;
    ReadLimits m_limits;
    Globals m_globals;
    // For the 8-bit texts of BIFF5: the code page the workbook names, Western European without one.
    mutable QStringDecoder m_decoder = decoderFor(1252);
    std::map<std::pair<quint16, quint16>, Value> m_cells;
};

QString Reader::byteString(QByteArrayView bytes) const
{
    return m_decoder(bytes);
}

QString Reader::labelText(Pieces &in) const
{
    QString text;
    if (m_globals.biff == 8) {
        unicodeString(in, false, &text);
        return text;
    }
    quint16 length = 0;
    QByteArray bytes;
    if (in.u16(&length))
        in.bytes(length, &bytes);
    return byteString(bytes);
}

QString Reader::numberText(quint16 xf, double value) const
{
    if (xf < m_globals.cellFormats.size()) {
        const quint16 format = m_globals.cellFormats.at(xf);
        const auto custom = m_globals.formats.constFind(format);
        const CellText::DateKind kind = custom != m_globals.formats.cend() ? CellText::formatCodeKind(*custom)
                                                                           : CellText::builtinFormatKind(format);
        if (kind.elapsed)
            return CellText::fromElapsed(value);
        if (kind.date || kind.time)
            return CellText::fromSerial(value, m_globals.date1904, kind.date, kind.time);
    }
    return CellText::fromNumber(value);
}

bool Reader::readGlobals(bool bookStream, QString *error)
{
    Records records(m_stream);
    Record record;
    if (!records.next(&record)) {
        *error = damagedMessage();
        return false;
    }
    if (record.type != Bof) {
        *error = OlderExcelRefusal(m_stream);
        if (error->isEmpty())
            *error = damagedMessage();
        return false;
    }
    const quint16 version = record.data.size() >= 4 ? u16(record.data, 0) : 0;
    const quint16 substream = record.data.size() >= 4 ? u16(record.data, 2) : 0;
    if (version >= 0x0200 && version <= 0x0400) {
        *error = olderFormatMessage("Excel 4.0 及更早版本");
        return false;
    }
    // Some writers leave the version out; the stream's name tells it then.
    m_globals.biff = version == 0x0600 ? 8 : version == 0x0500 ? 5 : bookStream ? 5 : 8;
    if (substream == WorksheetSubstream) {
        // A workbook of one worksheet and no globals, as some old writers made.
        m_globals.sheets.append({0, WorksheetSheetType});
        return true;
    }
    if (substream != GlobalsSubstream) {
        *error = damagedMessage();
        return false;
    }

    quint16 previous = 0;
    while (records.next(&record) && record.type != Eof) {
        const QByteArrayView data = record.data;
        switch (record.type) {
        case FilePass:
            *error = encryptedMessage();
            return false;
        case CodePage:
            if (data.size() >= 2)
                m_decoder = decoderFor(u16(data, 0));
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
                    unicodeString(in, false, &code);
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
        if (record.type != Continue)
            previous = record.type;
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
    std::optional<std::pair<quint16, quint16>> stringResult; // a formula whose text is in the next STRING
    while (records.next(&record)) {
        const QByteArrayView data = record.data;
        if (record.type == Bof) {
            ++depth;
            continue;
        }
        if (record.type == Eof) {
            if (depth-- == 0)
                break;
            continue;
        }
        if (depth > 0)
            continue;
        const bool cell = data.size() >= 6;
        const quint16 row = cell ? u16(data, 0) : 0;
        const quint16 column = cell ? u16(data, 2) : 0;
        const quint16 xf = cell ? u16(data, 4) : 0;
        if (record.type != String && record.type != SharedFormula && record.type != Array && record.type != Table &&
            record.type != Continue)
            stringResult.reset();
        switch (record.type) {
        case Number:
            if (data.size() >= 14 && wanted(row, column))
                set(row, column, numberText(xf, f64(data, 6)));
            break;
        case Rk:
            if (data.size() >= 10 && wanted(row, column))
                set(row, column, numberText(xf, rkValue(u32(data, 6))));
            break;
        case MulRk:
            // row, first column, then an XF and a number for each column, then the last column.
            for (qsizetype at = 4, c = cell ? column : 0; cell && at + 6 <= data.size() - 2; at += 6, ++c)
                if (c <= 0xffff && wanted(row, quint16(c)))
                    set(row, quint16(c), numberText(u16(data, at), rkValue(u32(data, at + 2))));
            break;
        case Label:
        case RString:
            if (cell && wanted(row, column)) {
                Pieces in(data.sliced(6));
                set(row, column, labelText(in));
            }
            break;
        case LabelSst:
            if (data.size() >= 10)
                if (wanted(row, column))
                    m_cells[{row, column}] = Value{QString(), u32(data, 6)};
            break;
        case BoolErr:
            if (data.size() >= 8)
                set(row, column, data[7] ? errorText(quint8(data[6])) : CellText::fromBool(data[6] != 0));
            break;
        case Formula:
        case Formula3:
        case Formula4:
            if (data.size() < 14 || !wanted(row, column))
                break;
            if (u16(data, 12) != 0xffff) {
                set(row, column, numberText(xf, f64(data, 6)));
                break;
            }
            // Not a number: the first byte says what the formula gave.
            switch (quint8(data[6])) {
            case 0:
                set(row, column, QString());
                stringResult = {row, column};
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
            break;
        case String:
            if (stringResult) {
                QList<QByteArrayView> pieces{data};
                Record next;
                while (records.peek(&next) && next.type == Continue) {
                    records.next(&next);
                    pieces.append(next.data);
                }
                Pieces in(pieces);
                set(stringResult->first, stringResult->second, labelText(in));
                stringResult.reset();
            }
            break;
        default:
            break;
        }
    }
}

void Reader::resolveShared()
{
    QList<quint32> indexes;
    for (const auto &[key, value] : m_cells)
        if (value.shared)
            indexes.append(*value.shared);
    if (indexes.isEmpty())
        return;
    std::sort(indexes.begin(), indexes.end());
    indexes.erase(std::unique(indexes.begin(), indexes.end()), indexes.end());
    // Only the strings the cells use are kept; the reading stops after the last of them.
    QHash<quint32, QString> strings;
    Pieces in(m_globals.sst);
    qsizetype next = 0;
    for (quint32 index = 0; next < indexes.size() && !in.atEnd(); ++index) {
        const bool keep = indexes.at(next) == index;
        QString text;
        if (!unicodeString(in, false, keep ? &text : nullptr))
            break;
        if (keep) {
            strings.insert(index, text);
            ++next;
        }
    }
    // An index past the table leaves its cell empty rather than failing the whole sheet.
    for (auto &[key, value] : m_cells)
        if (value.shared)
            value.text = strings.value(*value.shared);
}

XlsReaderResult Reader::read(bool bookStream)
{
    XlsReaderResult result;
    if (!readGlobals(bookStream, &result.error))
        return result;
    qsizetype position = 0;
    if (!firstWorksheet(&position)) {
        result.error = QStringLiteral("工作簿中没有工作表。");
        return result;
    }
    readSheet(position);
    resolveShared();
    for (const auto &[key, value] : m_cells)
        if (!value.text.isEmpty())
            result.cells.append({int(key.first) + 1, int(key.second) + 1, value.text});
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
    XlsReaderResult result;
    CompoundFile container;
    if (!container.open(data, &result.error))
        return result;
    // Office 2007 and later keep an encrypted workbook, whatever its format, in a compound file.
    if (container.hasStream(u"EncryptionInfo") || container.hasStream(u"EncryptedPackage")) {
        result.error = encryptedMessage();
        return result;
    }
    // "Workbook" from Excel 97 on, "Book" before.
    const bool book = !container.hasStream(u"Workbook");
    if (book && !container.hasStream(u"Book")) {
        result.error = QStringLiteral("文件中没有 Excel 工作簿（可能是 Word 等其它程序的文档）。");
        return result;
    }
    QByteArray stream;
    if (!container.readStream(book ? u"Book" : u"Workbook", &stream, &result.error))
        return result;
    return Reader(stream, limits).read(book);
}
