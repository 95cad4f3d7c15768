#pragma once

#include "excel/read/ReadLimits.h"
#include "excel/read/WorkbookError.h"

#include <QByteArray>
#include <QList>
#include <QString>

#include <functional>
#include <memory>

// Legacy .xls workbooks are read in a separate process, quilvar-xls-reader, under limits of time and
// memory, so that no hostile file can take the program down with it. The child writes what it read to its standard
// output in this format; the program trusts none of it.
//
// Binary, integers little-endian:
//   "QVXL", version (1 byte, 5), kind (1 byte: 0 cells, 1 error)
//   cells: count (u32), then per cell row (u32, 1-based), column (u32, 1-based) and its text: a tag
//          (u32) that is either RepeatBit | n, the same text as the n-th text sent before with
//          KeepBit (0-based), or a length (below WideBit) with KeepBit and WideBit set or not, then
//          the text: without WideBit that many bytes of Latin-1, with it that many UTF-16 units
//          (every surrogate paired);
//          rows and columns within the limits, cells in strictly increasing row-major order; then
//          1 byte: 1 when a cell below the rows asked for holds something, else 0
//   error: the error's kind (1 byte, WorkbookError::Kind), length (u32), UTF-8 message of at most
//          MaxErrorBytes bytes
// and nothing after. The child exits with 0 after cells, with 1 after an error.
// A text many cells share (a category down a column) goes once; texts of Latin-1 alone (numbers,
// dates) go one byte a character.

class CellGrid;

struct XlsCell
{
    int row = 0;
    int column = 0;
    QString text;

    bool operator==(const XlsCell &other) const = default;
};
Q_DECLARE_TYPEINFO(XlsCell, Q_RELOCATABLE_TYPE);

struct XlsReaderResult
{
    bool ok = false;
    QList<XlsCell> cells;    // when ok
    bool textBeyond = false; // a cell below the rows asked for holds something
    WorkbookError error;     // when not ok
};

namespace XlsReaderOutput {

constexpr int Version = 5;
constexpr qsizetype MaxErrorBytes = 4096;
constexpr quint32 RepeatBit = 0x80000000u;
constexpr quint32 KeepBit = 0x40000000u;
constexpr quint32 WideBit = 0x20000000u;

// Writes a result, handing write pieces of a few hundred kilobytes as they are made: either how
// many cells there are, each cell, then the end; or why the reading failed.
class Encoder
{
public:
    explicit Encoder(std::function<bool(QByteArrayView)> write);
    ~Encoder();
    Encoder(const Encoder &) = delete;
    Encoder &operator=(const Encoder &) = delete;

    void begin(qsizetype count);
    // The next cell, after the one before in row-major order, with text. A shared text may come
    // again for other cells with its characters at the same place: it goes once, then by number.
    void cell(int row, int column, QStringView text, bool shared);
    // False when write ever was.
    bool end(bool textBeyond);
    bool fail(const WorkbookError &error);

private:
    struct Private;
    std::unique_ptr<Private> d;
};

// A whole result's bytes at once.
QByteArray encode(const XlsReaderResult &result);
// False for anything that is not exactly one well-formed result inside the limits.
bool decode(QByteArrayView bytes, const ReadLimits &limits, XlsReaderResult *result);

// decode, fed the bytes in pieces as they come, so that the whole output is never held at once:
// the same verdict and result, whatever the pieces. Given a grid, the cells go straight into it
// rather than into the result (on a fault it holds whatever came before, to be thrown away).
class Decoder
{
public:
    explicit Decoder(const ReadLimits &limits, CellGrid *grid = nullptr);
    ~Decoder();
    Decoder(const Decoder &) = delete;
    Decoder &operator=(const Decoder &) = delete;

    // False once the bytes so far can be the start of no well-formed result.
    bool feed(QByteArrayView bytes);
    // True when the bytes fed make exactly one well-formed result, then in result.
    bool finish(XlsReaderResult *result);
    // Whether the bytes were refused for holding more text than the limits let a reading keep (a
    // text sent once can be landed in any number of cells: each landing counts).
    bool overBudget() const;

private:
    struct Private;
    std::unique_ptr<Private> d;
};

} // namespace XlsReaderOutput
