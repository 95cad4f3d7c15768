#include "sheet/SheetHistory.h"

#include "sheet/CostSheet.h"

#include <QSet>

namespace {

// Where a 1-based row position falls among chunks: the chunk and the offset in it.
struct Cursor
{
    qsizetype chunk = 0;
    qsizetype offset = 0;
};

template <typename Chunks> Cursor locate(const Chunks &chunks, int position)
{
    qsizetype remaining = position - 1;
    for (qsizetype c = 0; c < chunks.size(); ++c) {
        if (remaining < chunks.at(c).size())
            return {c, remaining};
        remaining -= chunks.at(c).size();
    }
    return {chunks.size(), 0};
}

template <typename Chunks> void advance(const Chunks &chunks, Cursor &cursor)
{
    if (++cursor.offset >= chunks.at(cursor.chunk).size()) {
        ++cursor.chunk;
        cursor.offset = 0;
    }
}

template <typename Chunks> qsizetype totalRows(const Chunks &chunks)
{
    qsizetype n = 0;
    for (const auto &chunk : chunks)
        n += chunk.size();
    return n;
}

qint64 stringBytes(const QString &text)
{
    // The text's own block: header, characters and terminator, as the allocator rounds it.
    return text.isEmpty() ? 0 : ((qint64(text.capacity()) + 1) * 2 + 16 + 15) / 16 * 16;
}

} // namespace

SheetHistory::SheetHistory(CostSheet &sheet, QObject *parent) : QObject(parent), m_sheet(sheet)
{
    connect(&sheet, &CostSheet::rowsChanged, this, &SheetHistory::onRowsChanged);
    connect(&sheet, &CostSheet::rowsAboutToBeInserted, this, [this](int first, int) { m_insertFirst = first; });
    connect(&sheet, &CostSheet::rowsInserted, this, &SheetHistory::onRowsInserted);
    connect(&sheet, &CostSheet::rowsAboutToBeRemoved, this, &SheetHistory::onRowsAboutToBeRemoved);
    connect(&sheet, &CostSheet::reset, this, [this] {
        if (!m_restoring)
            rebuildLive();
    });
    rebuildLive();
    m_current = capture();
}

void SheetHistory::setLimits(int steps, qint64 bytes)
{
    m_stepLimit = qMax(1, steps);
    m_byteBudget = qMax<qint64>(0, bytes);
    trim();
    emit stepsChanged();
}

void SheetHistory::rebuildLive()
{
    // Chunks whose rows did not change stay shared with the states that hold them.
    const QList<Chunk> old = m_live;
    m_live.clear();
    const QList<CostLine> &rows = m_sheet.rows();
    for (qsizetype start = 0; start < rows.size(); start += ChunkRows) {
        const qsizetype c = m_live.size();
        Chunk chunk = rows.mid(start, ChunkRows);
        m_live.append(c < old.size() && old.at(c) == chunk ? old.at(c) : chunk);
    }
    m_rowsDirty = true;
}

void SheetHistory::onRowsChanged(int first, int last)
{
    if (m_restoring || first > last || !m_sheet.hasRow(first) || !m_sheet.hasRow(last))
        return;
    Cursor cursor = locate(m_live, first);
    for (int position = first; position <= last && cursor.chunk < m_live.size(); ++position) {
        const CostLine &line = m_sheet.row(position);
        // Reads before writing, so that a chunk shared with a kept state is copied only when a
        // row in it really changed.
        if (!(std::as_const(m_live).at(cursor.chunk).at(cursor.offset) == line)) {
            m_live[cursor.chunk][cursor.offset] = line;
            m_rowsDirty = true;
        }
        advance(std::as_const(m_live), cursor);
    }
}

void SheetHistory::onRowsInserted()
{
    if (m_restoring)
        return;
    const int first = m_insertFirst;
    if (first != totalRows(m_live) + 1) {
        rebuildLive(); // the sheet only appends; anything else is followed the long way
        return;
    }
    for (int position = first; position <= m_sheet.rowCount(); ++position) {
        if (m_live.isEmpty() || m_live.constLast().size() >= ChunkRows)
            m_live.append(Chunk());
        m_live.last().append(m_sheet.row(position));
    }
    m_rowsDirty = true;
}

void SheetHistory::onRowsAboutToBeRemoved(int first, int last)
{
    if (m_restoring || first > last)
        return;
    for (int position = last; position >= first; --position) {
        const Cursor cursor = locate(m_live, position);
        if (cursor.chunk >= m_live.size())
            continue;
        m_live[cursor.chunk].removeAt(cursor.offset);
        if (m_live.at(cursor.chunk).isEmpty())
            m_live.removeAt(cursor.chunk);
    }
    m_rowsDirty = true;
}

SheetHistory::State SheetHistory::capture() const
{
    State state;
    state.chunks = m_live;
    state.text1 = m_sheet.Text1();
    state.text3 = m_sheet.Text3();
    state.text4 = m_sheet.Text4();
    return state;
}

bool SheetHistory::sameRows(const QList<Chunk> &a, const QList<Chunk> &b)
{
    if (totalRows(a) != totalRows(b))
        return false;
    Cursor ca, cb;
    while (ca.chunk < a.size() && cb.chunk < b.size()) {
        // Whole chunks still shared are equal without looking at their rows.
        if (ca.offset == 0 && cb.offset == 0 && a.at(ca.chunk).constData() == b.at(cb.chunk).constData() &&
            a.at(ca.chunk).size() == b.at(cb.chunk).size()) {
            ++ca.chunk;
            ++cb.chunk;
            continue;
        }
        if (!(a.at(ca.chunk).at(ca.offset) == b.at(cb.chunk).at(cb.offset)))
            return false;
        advance(a, ca);
        advance(b, cb);
    }
    return true;
}

qint64 SheetHistory::bytesBeyond(const State &state, const State &neighbour)
{
    QSet<const CostLine *> shared;
    for (const Chunk &chunk : neighbour.chunks)
        shared.insert(chunk.constData());
    qint64 bytes = qint64(state.chunks.size()) * qint64(sizeof(Chunk));
    for (const Chunk &chunk : state.chunks) {
        if (shared.contains(chunk.constData()))
            continue;
        bytes += qint64(chunk.capacity()) * qint64(sizeof(CostLine));
        for (const CostLine &line : chunk)
            bytes += stringBytes(line.Category) + stringBytes(line.Content) + stringBytes(line.Expression) +
                     stringBytes(line.AmountText);
    }
    return bytes;
}

bool SheetHistory::checkpoint(quint64 mergeKey)
{
    State now = capture();
    const bool textsSame = now.text1 == m_current.text1 && now.text3 == m_current.text3 && now.text4 == m_current.text4;
    if (textsSame && (!m_rowsDirty || sameRows(now.chunks, m_current.chunks))) {
        m_rowsDirty = false;
        return false;
    }
    m_rowsDirty = false;
    m_redo.clear();
    if (mergeKey == 0 || mergeKey != m_lastKey || m_undo.empty()) {
        m_current.bytes = bytesBeyond(m_current, now);
        m_undo.push_back(std::move(m_current));
    }
    m_current = std::move(now);
    m_lastKey = mergeKey;
    trim();
    emit stepsChanged();
    return true;
}

void SheetHistory::trim()
{
    while (qsizetype(m_undo.size()) > m_stepLimit)
        m_undo.pop_front();
    while (m_undo.size() > 1 && estimatedBytes() > m_byteBudget)
        m_undo.pop_front();
}

qint64 SheetHistory::estimatedBytes() const
{
    qint64 bytes = 0;
    for (const State &state : m_undo)
        bytes += state.bytes;
    for (const State &state : m_redo)
        bytes += state.bytes;
    return bytes;
}

bool SheetHistory::undo()
{
    return step(m_undo, m_redo);
}

bool SheetHistory::redo()
{
    return step(m_redo, m_undo);
}

bool SheetHistory::step(std::deque<State> &from, std::deque<State> &to)
{
    checkpoint();
    if (from.empty())
        return false;
    State target = std::move(from.back());
    from.pop_back();
    m_current.bytes = bytesBeyond(m_current, target);
    to.push_back(std::move(m_current));
    restore(target);
    m_current = std::move(target);
    m_lastKey = 0;
    emit stepsChanged();
    return true;
}

void SheetHistory::clear()
{
    m_undo.clear();
    m_redo.clear();
    m_lastKey = 0;
    m_current = capture();
    m_rowsDirty = false;
    emit stepsChanged();
}

void SheetHistory::restore(const State &state)
{
    m_restoring = true;
    if (totalRows(state.chunks) == m_sheet.rowCount()) {
        // Same number of rows: rewritten in place, so the list keeps its selection and scrolling.
        Cursor cursor;
        m_sheet.rewriteRows([&](int, CostLine &line) {
            const CostLine &kept = state.chunks.at(cursor.chunk).at(cursor.offset);
            if (!(line == kept))
                line = kept;
            advance(state.chunks, cursor);
        });
    } else {
        QList<CostLine> rows;
        rows.reserve(totalRows(state.chunks));
        for (const Chunk &chunk : state.chunks)
            rows.append(chunk);
        m_sheet.replaceRows(rows);
    }
    m_sheet.setText1(state.text1);
    m_sheet.setText3(state.text3); // recomputes Text4 from the head count ...
    m_sheet.setText4(state.text4); // ... which then takes its kept text
    m_live = state.chunks;
    m_rowsDirty = false;
    m_restoring = false;
}
