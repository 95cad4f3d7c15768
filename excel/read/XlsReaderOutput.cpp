#include "excel/read/XlsReaderOutput.h"

#include "excel/read/CellGrid.h"
#include "excel/read/ReadBudget.h"

#include <QHash>
#include <QStringDecoder>
#include <QtEndian>

#include <algorithm>
#include <memory>
#include <utility>

namespace {

const char Magic[] = "QVXL";
constexpr qsizetype MagicSize = 4;
constexpr char KindCells = 0;
constexpr char KindError = 1;

using namespace XlsReaderOutput;

constexpr quint32 LengthMask = WideBit - 1;

// Gathers what is written and hands it on a block at a time, so that no whole copy of the output
// is ever held.
class Writer
{
public:
    explicit Writer(std::function<bool(QByteArrayView)> write) : m_write(std::move(write)), m_buffer(BlockSize, '\0') {}

    // Room for up to n more bytes at the end, to be filled and then kept.
    char *room(qsizetype n)
    {
        if (m_used + n > m_buffer.size())
            m_buffer.resize(std::max(2 * m_buffer.size(), m_used + n));
        return m_buffer.data() + m_used;
    }
    void keep(qsizetype n) { m_used += n; }
    // n more bytes at the end, to be filled now.
    char *grow(qsizetype n)
    {
        char *at = room(n);
        keep(n);
        return at;
    }
    void byte(char value) { *grow(1) = value; }
    void u32(quint32 value) { qToLittleEndian(value, grow(4)); }
    void bytes(QByteArrayView value) { std::copy(value.begin(), value.end(), grow(value.size())); }
    bool flush(bool all)
    {
        if (m_ok && m_used > 0 && (all || m_used >= BlockSize)) {
            m_ok = m_write(QByteArrayView(m_buffer).first(m_used));
            m_used = 0;
        }
        return m_ok;
    }

private:
    static constexpr qsizetype BlockSize = 256 * 1024;
    std::function<bool(QByteArrayView)> m_write;
    QByteArray m_buffer;
    qsizetype m_used = 0;
    bool m_ok = true;
};

// A text in UTF-16 as the reader holds it, so that neither side converts it through UTF-8; a
// surrogate without its other half goes as U+FFFD.
void putWide(char *at, const char16_t *text, qsizetype units, bool anySurrogate)
{
    if (!anySurrogate) {
        qToLittleEndian<char16_t>(text, units, at);
        return;
    }
    for (qsizetype i = 0; i < units; ++i) {
        char16_t u = text[i];
        if (QChar::isHighSurrogate(u) && i + 1 < units && QChar::isLowSurrogate(text[i + 1])) {
            qToLittleEndian(u, at + 2 * i);
            u = text[++i];
        } else if (QChar::isHighSurrogate(u) || QChar::isLowSurrogate(u)) {
            u = 0xfffd;
        }
        qToLittleEndian(u, at + 2 * i);
    }
}

// The texts sent in full that later cells may repeat, by where their characters lie: a text the
// reader shares between cells (a shared string, used down a column) is one QString's data.
using SentTexts = QHash<std::pair<const QChar *, qsizetype>, quint32>;

void putCell(Writer &out, int row, int column, QStringView text, bool shared, SentTexts &sent)
{
    const qsizetype units = std::min<qsizetype>(text.size(), LengthMask);
    // At most the address, the tag and two bytes a unit: room for that at once.
    char *const at = out.room(12 + 2 * units);
    qToLittleEndian(quint32(row), at);
    qToLittleEndian(quint32(column), at + 4);
    quint32 keep = 0;
    if (units > 0 && shared) {
        const auto key = std::make_pair(text.data(), text.size());
        const auto found = sent.constFind(key);
        if (found != sent.cend()) {
            qToLittleEndian(RepeatBit | *found, at + 8);
            out.keep(12);
            return;
        }
        keep = KeepBit;
        sent.insert(key, quint32(sent.size()));
    }
    const char16_t *wide = text.utf16();
    // One pass without branches over the units, which the compiler does many units at a time: every
    // unit's bits gathered (any above the eighth: beyond Latin-1), and a mark for any surrogate.
    char16_t allBits = 0;
    char16_t surrogates = 0;
    for (qsizetype i = 0; i < units; ++i) {
        allBits |= wide[i];
        surrogates |= char16_t((wide[i] & 0xf800) == 0xd800);
    }
    if (allBits > 0xff) {
        qToLittleEndian(keep | WideBit | quint32(units), at + 8);
        putWide(at + 12, wide, units, surrogates != 0);
        out.keep(12 + 2 * units);
        return;
    }
    qToLittleEndian(keep | quint32(units), at + 8);
    for (qsizetype i = 0; i < units; ++i)
        at[12 + i] = char(wide[i]);
    out.keep(12 + units);
}

// Reads from untrusted bytes; every read checks what is left first.
class Cursor
{
public:
    explicit Cursor(QByteArrayView bytes) : m_bytes(bytes) {}

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
        *value = qFromLittleEndian<quint32>(m_bytes.data() + m_position);
        m_position += 4;
        return true;
    }

    bool text(qsizetype maxBytes, QString *value)
    {
        quint32 length = 0;
        if (!u32(&length) || qint64(length) > left() || qint64(length) > qint64(maxBytes))
            return false;
        // A leading byte-order mark is part of the text, not a signature to drop.
        QStringDecoder decoder(QStringDecoder::Utf8,
                               QStringDecoder::Flag::Stateless | QStringDecoder::Flag::ConvertInitialBom);
        *value = decoder(m_bytes.sliced(m_position, qsizetype(length)));
        m_position += qsizetype(length);
        return !decoder.hasError();
    }

    // A cell's text: a repeat of a text kept before, or the text itself (see the header).
    bool cellText(QList<QString> &kept, QString *value)
    {
        quint32 tag = 0;
        if (!u32(&tag))
            return false;
        if (tag & RepeatBit) {
            if ((tag & ~RepeatBit) >= quint32(kept.size()))
                return false;
            *value = kept.at(qsizetype(tag & ~RepeatBit));
            return true;
        }
        const qsizetype length = qsizetype(tag & LengthMask);
        if (!((tag & WideBit) ? wideText(length, value) : narrowText(length, value)))
            return false;
        if (tag & KeepBit)
            kept.append(*value);
        return true;
    }

private:
    bool narrowText(qsizetype length, QString *value)
    {
        if (length > left())
            return false;
        *value = QString::fromLatin1(m_bytes.sliced(m_position, length));
        m_position += length;
        return true;
    }

    // Little-endian UTF-16 units; each surrogate paired.
    bool wideText(qsizetype units, QString *value)
    {
        if (units * 2 > left())
            return false;
        QString text(units, Qt::Uninitialized);
        char16_t *out = reinterpret_cast<char16_t *>(text.data());
        qFromLittleEndian<char16_t>(m_bytes.data() + m_position, units, out);
        // Surrogates are rare: looked for first (without branches, many units at a time), paired only
        // when there are any.
        char16_t surrogates = 0;
        for (qsizetype i = 0; i < units; ++i)
            surrogates |= char16_t((out[i] & 0xf800) == 0xd800);
        const bool anySurrogate = surrogates != 0;
        for (qsizetype i = 0; anySurrogate && i < units; ++i) {
            if (QChar::isLowSurrogate(out[i]) ||
                (QChar::isHighSurrogate(out[i]) && (i + 1 == units || !QChar::isLowSurrogate(out[++i]))))
                return false;
        }
        m_position += 2 * units;
        *value = std::move(text);
        return true;
    }

    QByteArrayView m_bytes;
    qsizetype m_position = 0;
};

bool decodeError(Cursor &cursor, XlsReaderResult *read)
{
    char errorKind = 0;
    if (!cursor.byte(&errorKind) || errorKind <= char(WorkbookError::Kind::None) ||
        errorKind > char(WorkbookError::Kind::Refused) || !cursor.text(MaxErrorBytes, &read->error.text) ||
        read->error.text.trimmed().isEmpty())
        return false;
    read->error.kind = WorkbookError::Kind(errorKind);
    return true;
}

// The bytes the cell at the start of rest takes, or 0 while they have not all come (whether they
// make a good cell is judged once they have).
qsizetype wholeCell(QByteArrayView rest)
{
    if (rest.size() < 12)
        return 0;
    const quint32 tag = qFromLittleEndian<quint32>(rest.data() + 8);
    const qint64 text = (tag & RepeatBit) ? 0 : qint64(tag & LengthMask) * ((tag & WideBit) ? 2 : 1);
    return rest.size() - 12 >= text ? qsizetype(12 + text) : 0;
}

} // namespace

namespace XlsReaderOutput {

struct Encoder::Private
{
    explicit Private(std::function<bool(QByteArrayView)> write) : out(std::move(write)) {}

    void head(char kind)
    {
        out.bytes(QByteArrayView(Magic, MagicSize));
        out.byte(char(Version));
        out.byte(kind);
    }

    Writer out;
    SentTexts sent;
};

Encoder::Encoder(std::function<bool(QByteArrayView)> write) : d(std::make_unique<Private>(std::move(write))) {}

Encoder::~Encoder() = default;

void Encoder::begin(qsizetype count)
{
    d->head(KindCells);
    d->out.u32(quint32(count));
}

void Encoder::cell(int row, int column, QStringView text, bool shared)
{
    putCell(d->out, row, column, text, shared, d->sent);
    d->out.flush(false);
}

bool Encoder::end(bool textBeyond)
{
    d->out.byte(char(textBeyond ? 1 : 0));
    return d->out.flush(true);
}

bool Encoder::fail(const WorkbookError &error)
{
    d->head(KindError);
    d->out.byte(char(error.kind));
    QByteArray message = error.text.toUtf8();
    if (message.size() > MaxErrorBytes) {
        // Cut before the character that does not fit whole, so that the rest stays UTF-8.
        qsizetype end = MaxErrorBytes;
        while (end > 0 && (quint8(message.at(end)) & 0xc0) == 0x80)
            --end;
        message.truncate(end);
    }
    d->out.u32(quint32(message.size()));
    d->out.bytes(message);
    return d->out.flush(true);
}

QByteArray encode(const XlsReaderResult &result)
{
    QByteArray bytes;
    Encoder out([&bytes](QByteArrayView piece) {
        bytes.append(piece);
        return true;
    });
    if (!result.ok) {
        out.fail(result.error);
        return bytes;
    }
    out.begin(result.cells.size());
    for (const XlsCell &cell : result.cells)
        out.cell(cell.row, cell.column, cell.text, !cell.text.isDetached()); // held by other cells too
    out.end(result.textBeyond);
    return bytes;
}

struct Decoder::Private
{
    enum class Stage
    {
        Head,   // magic, version, kind
        Count,  // the number of cells
        Cells,  // the cells, one after another
        Beyond, // the byte after them
        Error,  // an error's kind and message, to the end
        Done,   // nothing more may come
        Failed
    };

    Private(const ReadLimits &limits, CellGrid *grid)
        : maxRows(quint32(std::max(0, limits.maxRows))), maxColumns(quint32(std::max(0, limits.maxColumns))),
          textLeft(limits.maxTextCharacters), grid(grid)
    {
    }

    // Takes the whole items at the front of data: how many bytes they took, or -1 when the bytes
    // cannot be right.
    qsizetype take(QByteArrayView data);
    // How many more bytes the item begun in pending needs, as far as pending tells (at least 1).
    qsizetype lacking() const;
    bool head(Cursor &in);
    bool cell(QByteArrayView bytes);

    const quint32 maxRows;
    const quint32 maxColumns;
    qint64 textLeft; // characters the cells may still land
    bool overBudget = false;
    CellGrid *grid;
    Stage stage = Stage::Head;
    QByteArray pending; // an item cut between pieces, or an error's message
    quint32 count = 0;
    quint32 taken = 0;
    quint64 previous = 0; // row and column of the cell before, row-major
    QList<QString> kept;
    XlsReaderResult result; // its cells, when there is no grid to take them
};

bool Decoder::Private::head(Cursor &in)
{
    char version = 0;
    char kind = 0;
    QByteArray magic(MagicSize, '\0');
    for (char &c : magic)
        in.byte(&c);
    if (magic != QByteArrayView(Magic, MagicSize) || !in.byte(&version) || version != Version || !in.byte(&kind))
        return false;
    stage = kind == KindCells ? Stage::Count : kind == KindError ? Stage::Error : Stage::Failed;
    return stage != Stage::Failed;
}

bool Decoder::Private::cell(QByteArrayView bytes)
{
    Cursor in(bytes);
    quint32 row = 0;
    quint32 column = 0;
    QString text;
    if (!in.u32(&row) || !in.u32(&column) || row < 1 || row > maxRows || column < 1 || column > maxColumns ||
        (quint64(row) << 32 | column) <= previous || !in.cellText(kept, &text) || in.left() != 0)
        return false;
    previous = quint64(row) << 32 | column;
    textLeft -= text.size();
    if (text.size() > ReadBudget::MaxCellCharacters || textLeft < 0) {
        overBudget = true;
        return false;
    }
    if (grid)
        grid->setText(int(row), int(column), std::move(text));
    else
        result.cells.append({int(row), int(column), std::move(text)});
    ++taken;
    return true;
}

qsizetype Decoder::Private::take(QByteArrayView data)
{
    qsizetype at = 0;
    auto rest = [&] { return data.sliced(at); };
    bool ok = true;
    while (ok) {
        if (stage == Stage::Head && rest().size() >= MagicSize + 2) {
            Cursor in(rest().first(MagicSize + 2));
            ok = head(in);
            at += MagicSize + 2;
        } else if (stage == Stage::Count && rest().size() >= 4) {
            Cursor(rest()).u32(&count);
            at += 4;
            ok = qint64(count) <= qint64(maxRows) * maxColumns;
            stage = count > 0 ? Stage::Cells : Stage::Beyond;
            // As many as the limits let through: the rows they fill, at most, when no row is
            // missing a cell (a quote's four columns are all there).
            if (ok && grid)
                grid->reserveCells(qsizetype(count));
        } else if (const qsizetype size = stage == Stage::Cells ? wholeCell(rest()) : 0; size > 0) {
            ok = cell(rest().first(size));
            at += size;
            stage = taken < count ? Stage::Cells : Stage::Beyond;
        } else if (stage == Stage::Beyond && !rest().isEmpty()) {
            const char beyond = rest().front();
            ++at;
            ok = beyond == 0 || beyond == 1;
            result.textBeyond = beyond == 1;
            result.ok = true;
            stage = Stage::Done;
        } else {
            break;
        }
    }
    return ok ? at : -1;
}

qsizetype Decoder::Private::lacking() const
{
    const qsizetype have = pending.size();
    switch (stage) {
    case Stage::Head:
        return std::max<qsizetype>(1, MagicSize + 2 - have);
    case Stage::Count:
        return std::max<qsizetype>(1, 4 - have);
    case Stage::Cells: {
        if (have < 12)
            return 12 - have;
        const quint32 tag = qFromLittleEndian<quint32>(pending.constData() + 8);
        const qint64 text = (tag & RepeatBit) ? 0 : qint64(tag & LengthMask) * ((tag & WideBit) ? 2 : 1);
        return qsizetype(std::max<qint64>(1, 12 + text - have));
    }
    default:
        return 1;
    }
}

Decoder::Decoder(const ReadLimits &limits, CellGrid *grid) : d(std::make_unique<Private>(limits, grid)) {}

Decoder::~Decoder() = default;

bool Decoder::feed(QByteArrayView bytes)
{
    Private &p = *d;
    // The items are taken straight from the bytes as they come; only one cut between pieces is
    // held, and made whole from the next piece. An error's message is held to the end.
    while (p.stage != Private::Stage::Failed && !bytes.isEmpty()) {
        if (p.stage == Private::Stage::Error || p.stage == Private::Stage::Done) {
            p.pending.append(bytes);
            break;
        }
        qsizetype used = 0;
        if (p.pending.isEmpty()) {
            used = p.take(bytes);
            if (used >= 0)
                p.pending = bytes.sliced(used).toByteArray();
            bytes = {};
        } else {
            const qsizetype more = std::min(p.lacking(), bytes.size());
            p.pending.append(bytes.first(more));
            bytes = bytes.sliced(more);
            used = p.take(p.pending);
            if (used > 0)
                p.pending.remove(0, used);
        }
        if (used < 0)
            p.stage = Private::Stage::Failed;
    }
    // Nothing may come after a result; an error's message is bounded.
    if ((p.stage == Private::Stage::Done && !p.pending.isEmpty()) ||
        (p.stage == Private::Stage::Error && p.pending.size() > 1 + 4 + MaxErrorBytes))
        p.stage = Private::Stage::Failed;
    return p.stage != Private::Stage::Failed;
}

bool Decoder::overBudget() const
{
    return d->overBudget;
}

bool Decoder::finish(XlsReaderResult *result)
{
    *result = XlsReaderResult();
    if (d->stage == Private::Stage::Error) {
        Cursor in(d->pending);
        XlsReaderResult read;
        if (!decodeError(in, &read) || in.left() != 0)
            return false;
        *result = std::move(read);
        return true;
    }
    if (d->stage != Private::Stage::Done || !d->pending.isEmpty())
        return false;
    *result = std::move(d->result);
    d->stage = Private::Stage::Failed; // a result is handed over once
    return true;
}

bool decode(QByteArrayView bytes, const ReadLimits &limits, XlsReaderResult *result)
{
    Decoder decoder(limits);
    if (decoder.feed(bytes))
        return decoder.finish(result);
    *result = XlsReaderResult();
    return false;
}

} // namespace XlsReaderOutput
