#pragma once

#include "excel/read/LittleEndian.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QString>

#include <vector>

// The records of a BIFF5 to BIFF8 workbook stream and the values inside them. Every read checks
// what is left first: the bytes come from any file at all.
namespace Biff {

using LittleEndian::f64;
using LittleEndian::u16;
using LittleEndian::u32;

// A number stored in 30 bits: an integer or the high bits of a double, either perhaps times 100.
double rkValue(quint32 rk);
// The text of an error value (#DIV/0! ...), as the other workbook formats store it; empty for a
// code that is none.
QString errorText(quint8 code);
// The Windows code page (common/CodePage.h) of the 8-bit texts of a BIFF5 workbook that names this
// code page; Western European for one that is not known.
unsigned textCodePage(quint16 codePage);

struct Record
{
    quint16 type = 0;
    QByteArrayView data;
};

// The records of a workbook stream from a position on; a record that runs past the stream's end
// ends it.
class Records
{
public:
    explicit Records(QByteArrayView stream, qsizetype from = 0) : m_stream(stream), m_at(from) {}

    bool next(Record *record);
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

    bool atEnd();
    bool skip(qint64 count);
    // Up to count bytes, fewer where the pieces end.
    void bytes(qint64 count, QByteArray *out);
    bool byte(quint8 *value)
    {
        // Within the current piece, as nearly every byte is.
        if (m_piece < m_pieces.size() && m_at < m_pieces.at(m_piece).size()) {
            *value = quint8(m_pieces.at(m_piece)[m_at++]);
            return true;
        }
        return nextPieceByte(value);
    }
    bool u16(quint16 *value);
    bool u32(quint32 *value);
    // count characters, one or two bytes each, appended to text as UTF-16 units unless it is null.
    bool characters(quint32 count, bool wide, std::vector<char16_t> *text);

private:
    bool nextPieceByte(quint8 *value);
    qint64 left() const { return m_pieces.at(m_piece).size() - m_at; }

    QList<QByteArrayView> m_pieces;
    qsizetype m_piece = 0;
    qint64 m_at = 0;
};

// A BIFF8 string: its length, an option byte, the characters and the formatting that follows them.
// Appended to text unless that is null: a workbook's table of shared strings is read into one block.
bool unicodeString(Pieces &in, std::vector<char16_t> *text);
bool unicodeString(Pieces &in, QString *text);

} // namespace Biff
