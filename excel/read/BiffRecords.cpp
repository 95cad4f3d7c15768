#include "excel/read/BiffRecords.h"

#include "common/CodePage.h"

#include <QtEndian>

#include <algorithm>

namespace Biff {

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

bool Records::next(Record *record)
{
    if (m_at < 0 || m_stream.size() - m_at < 4)
        return false;
    const quint16 length = Biff::u16(m_stream, m_at + 2);
    if (m_stream.size() - m_at - 4 < length)
        return false;
    record->type = Biff::u16(m_stream, m_at);
    record->data = m_stream.sliced(m_at + 4, length);
    m_at += 4 + length;
    return true;
}

bool Pieces::atEnd()
{
    // Past the pieces that are used up, empty ones too.
    while (m_piece < m_pieces.size() && m_at >= m_pieces.at(m_piece).size()) {
        ++m_piece;
        m_at = 0;
    }
    return m_piece >= m_pieces.size();
}

bool Pieces::skip(qint64 count)
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

void Pieces::bytes(qint64 count, QByteArray *out)
{
    while (count > 0 && !atEnd()) {
        const qint64 step = std::min<qint64>(count, left());
        out->append(m_pieces.at(m_piece).sliced(m_at, step));
        m_at += step;
        count -= step;
    }
}

bool Pieces::nextPieceByte(quint8 *value)
{
    if (atEnd())
        return false;
    *value = quint8(m_pieces.at(m_piece)[m_at++]);
    return true;
}

bool Pieces::u16(quint16 *value)
{
    quint8 low = 0, high = 0;
    if (!byte(&low) || !byte(&high))
        return false;
    *value = quint16(low | high << 8);
    return true;
}

bool Pieces::u32(quint32 *value)
{
    quint16 low = 0, high = 0;
    if (!u16(&low) || !u16(&high))
        return false;
    *value = quint32(low) | quint32(high) << 16;
    return true;
}

bool Pieces::characters(quint32 count, bool wide, std::vector<char16_t> *text)
{
    while (count > 0) {
        if (m_piece >= m_pieces.size())
            return false;
        const qint64 take = std::min<qint64>(count, left() / (wide ? 2 : 1));
        // None in this record: nothing to copy, and an empty text has nowhere to copy to.
        if (text && take > 0) {
            const QByteArrayView bytes = m_pieces.at(m_piece).sliced(m_at, take * (wide ? 2 : 1));
            const size_t had = text->size();
            text->resize(had + size_t(take));
            if (wide) // little-endian UTF-16 as the record holds it, taken in one step
                qFromLittleEndian<char16_t>(bytes.data(), take, text->data() + had);
            else
                std::transform(bytes.begin(), bytes.end(), text->begin() + qsizetype(had),
                               [](char c) { return char16_t(quint8(c)); });
        }
        m_at += take * (wide ? 2 : 1);
        count -= quint32(take);
        if (count == 0)
            break;
        // The characters go on in the next record, after its own option byte.
        ++m_piece;
        m_at = 0;
        if (m_piece >= m_pieces.size() || m_pieces.at(m_piece).isEmpty())
            return false;
        wide = quint8(m_pieces.at(m_piece)[m_at++]) & 1;
    }
    return true;
}

bool unicodeString(Pieces &in, std::vector<char16_t> *text)
{
    quint16 length = 0;
    quint8 options = 0;
    if (!in.u16(&length) || !in.byte(&options))
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

bool unicodeString(Pieces &in, QString *text)
{
    std::vector<char16_t> units;
    const bool read = unicodeString(in, text ? &units : nullptr);
    if (text)
        text->append(QStringView(units.data(), qsizetype(units.size())));
    return read;
}

unsigned textCodePage(quint16 codePage)
{
    unsigned number = codePage;
    switch (codePage) {
    case 367:
        number = 20127; // ASCII
        break;
    case 1200:
        // UTF-16 names no 8-bit encoding: BIFF5 writers put it there for "unknown", so it falls
        // back as an unknown code page does.
        number = 1252;
        break;
    case 32768:
        number = 10000; // Mac Roman
        break;
    case 32769:
        number = 1252;
        break;
    }
    return CodePage::isSupported(number) ? number : 1252;
}

} // namespace Biff
