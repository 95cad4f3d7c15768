#include "excel/read/XlsReaderOutput.h"

#include <QStringDecoder>
#include <QtEndian>

#include <algorithm>

namespace {

const char Magic[] = "QVXL";
constexpr qsizetype MagicSize = 4;
constexpr char KindCells = 0;
constexpr char KindError = 1;

void appendU32(QByteArray &out, quint32 value)
{
    const char bytes[4] = {char(value & 0xff), char((value >> 8) & 0xff), char((value >> 16) & 0xff),
                           char((value >> 24) & 0xff)};
    out.append(bytes, 4);
}

void putU32(char *out, quint32 value)
{
    for (int i = 0; i < 4; ++i)
        out[i] = char((value >> (8 * i)) & 0xff);
}

bool isHigh(char16_t u)
{
    return u >= 0xd800 && u <= 0xdbff;
}

bool isLow(char16_t u)
{
    return u >= 0xdc00 && u <= 0xdfff;
}

// The cells one after another, their texts as the reader holds them (UTF-16), so that neither side
// converts tens of thousands of texts; a surrogate without its other half goes as U+FFFD.
void appendCells(QByteArray &out, const QList<XlsCell> &cells)
{
    qsizetype used = out.size();
    for (const XlsCell &cell : cells) {
        const qsizetype units = cell.text.size();
        if (out.size() - used < 12 + 2 * units)
            out.resize(std::max(used + 12 + 2 * units, out.size() * 2));
        char *at = out.data() + used;
        putU32(at, quint32(cell.row));
        putU32(at + 4, quint32(cell.column));
        putU32(at + 8, quint32(units));
        const char16_t *text = reinterpret_cast<const char16_t *>(cell.text.utf16());
        if (std::none_of(text, text + units, [](char16_t u) { return u >= 0xd800 && u <= 0xdfff; })) {
            qToLittleEndian<char16_t>(text, units, at + 12);
            used += 12 + 2 * units;
            continue;
        }
        for (qsizetype i = 0; i < units; ++i) {
            char16_t u = text[i];
            if (isHigh(u) && i + 1 < units && isLow(text[i + 1])) {
                qToLittleEndian(u, at + 12 + 2 * i);
                u = text[++i];
            } else if (isHigh(u) || isLow(u)) {
                u = 0xfffd;
            }
            qToLittleEndian(u, at + 12 + 2 * i);
        }
        used += 12 + 2 * units;
    }
    out.truncate(used);
}

void appendText(QByteArray &out, const QByteArray &utf8)
{
    appendU32(out, quint32(utf8.size()));
    out.append(utf8);
}

// Reads from untrusted bytes; every read checks what is left first.
class Cursor
{
public:
    explicit Cursor(const QByteArray &bytes) : m_bytes(bytes) {}

    qsizetype left() const { return m_bytes.size() - m_position; }

    bool byte(char *value)
    {
        if (left() < 1)
            return false;
        *value = m_bytes.at(m_position++);
        return true;
    }

    bool u32(quint32 *value)
    {
        if (left() < 4)
            return false;
        *value = qFromLittleEndian<quint32>(m_bytes.constData() + m_position);
        m_position += 4;
        return true;
    }

    bool text(qsizetype maxBytes, QString *value)
    {
        quint32 length = 0;
        if (!u32(&length) || qint64(length) > left() || qint64(length) > qint64(maxBytes))
            return false;
        *value = m_decoder(QByteArrayView(m_bytes).sliced(m_position, qsizetype(length)));
        m_position += qsizetype(length);
        return !m_decoder.hasError(); // once it has met an error it says so to the end, and decoding ends
    }

    // A cell's text: its length in UTF-16 units, then the units, little-endian; each surrogate paired.
    bool wideText(QString *value)
    {
        quint32 units = 0;
        if (!u32(&units) || qint64(units) * 2 > left())
            return false;
        QString text(qsizetype(units), Qt::Uninitialized);
        char16_t *out = reinterpret_cast<char16_t *>(text.data());
        qFromLittleEndian<char16_t>(m_bytes.constData() + m_position, qsizetype(units), out);
        // Surrogates are rare: looked for first, paired only when there are any.
        const bool anySurrogate = std::any_of(out, out + units, [](char16_t u) { return (u & 0xf800) == 0xd800; });
        for (qsizetype i = 0; anySurrogate && i < qsizetype(units); ++i) {
            if (isLow(out[i]) || (isHigh(out[i]) && (i + 1 == qsizetype(units) || !isLow(out[++i]))))
                return false;
        }
        m_position += 2 * qsizetype(units);
        *value = std::move(text);
        return true;
    }

private:
    const QByteArray &m_bytes;
    qsizetype m_position = 0;
    // One for all texts: stateless, so that no text carries into the next. A leading byte-order
    // mark is part of a cell's text, not a signature to drop.
    QStringDecoder m_decoder{QStringDecoder::Utf8,
                             QStringDecoder::Flag::Stateless | QStringDecoder::Flag::ConvertInitialBom};
};

} // namespace

namespace XlsReaderOutput {

QByteArray encode(const XlsReaderResult &result)
{
    QByteArray out(Magic, MagicSize);
    out.append(char(Version));
    if (!result.ok) {
        out.append(KindError);
        out.append(char(result.error.kind));
        QByteArray message = result.error.text.toUtf8();
        if (message.size() > MaxErrorBytes) {
            // Cut before the character that does not fit whole, so that the rest stays UTF-8.
            qsizetype end = MaxErrorBytes;
            while (end > 0 && (quint8(message.at(end)) & 0xc0) == 0x80)
                --end;
            message.truncate(end);
        }
        appendText(out, message);
        return out;
    }
    out.append(KindCells);
    appendU32(out, quint32(result.cells.size()));
    appendCells(out, result.cells);
    out.append(char(result.textBeyond ? 1 : 0));
    return out;
}

bool decode(const QByteArray &bytes, const ReadLimits &limits, XlsReaderResult *result)
{
    *result = XlsReaderResult();
    if (!bytes.startsWith(QByteArrayView(Magic, MagicSize)))
        return false;
    Cursor cursor(bytes);
    char skipped = 0;
    for (qsizetype i = 0; i < MagicSize; ++i)
        cursor.byte(&skipped);
    char version = 0;
    char kind = 0;
    if (!cursor.byte(&version) || version != Version || !cursor.byte(&kind))
        return false;

    XlsReaderResult read;
    if (kind == KindError) {
        char errorKind = 0;
        if (!cursor.byte(&errorKind) || errorKind <= char(WorkbookError::Kind::None) ||
            errorKind > char(WorkbookError::Kind::Refused) || !cursor.text(MaxErrorBytes, &read.error.text) ||
            read.error.text.trimmed().isEmpty())
            return false;
        read.error.kind = WorkbookError::Kind(errorKind);
    } else if (kind == KindCells) {
        const quint32 maxRows = quint32(std::max(0, limits.maxRows));
        const quint32 maxColumns = quint32(std::max(0, limits.maxColumns));
        quint32 count = 0;
        // Each cell takes at least 12 bytes, so a count beyond what is left is a lie.
        if (!cursor.u32(&count) || qint64(count) > qint64(maxRows) * maxColumns || qint64(count) * 12 > cursor.left())
            return false;
        read.cells.reserve(qsizetype(count));
        for (quint32 i = 0; i < count; ++i) {
            quint32 row = 0;
            quint32 column = 0;
            XlsCell cell;
            if (!cursor.u32(&row) || !cursor.u32(&column) || row < 1 || row > maxRows || column < 1 ||
                column > maxColumns || !cursor.wideText(&cell.text))
                return false;
            cell.row = int(row);
            cell.column = int(column);
            if (!read.cells.isEmpty()) {
                const XlsCell &previous = read.cells.constLast();
                if (cell.row < previous.row || (cell.row == previous.row && cell.column <= previous.column))
                    return false;
            }
            read.cells.append(std::move(cell));
        }
        char beyond = 0;
        if (!cursor.byte(&beyond) || (beyond != 0 && beyond != 1))
            return false;
        read.textBeyond = beyond == 1;
        read.ok = true;
    } else {
        return false;
    }
    if (cursor.left() != 0)
        return false;
    *result = std::move(read);
    return true;
}

} // namespace XlsReaderOutput
