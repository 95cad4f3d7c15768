#pragma once

#include "sheet/CostLine.h"

#include <QList>
#include <QObject>

#include <deque>

class CostSheet;

// Undo and redo over states of a cost sheet: every row with its tick, and the three boxes Text1,
// Text3 and Text4, exactly as they stood.
//
// A step is closed by checkpoint(): when the sheet is no longer as it stood at the last
// checkpoint, that earlier state becomes the step to undo. Steps closed with the same non-zero
// merge key one after the other are one step (an editing session that changes the sheet on every
// keystroke).
//
// States are kept in chunks of rows that consecutive states share until a row in them changes, so
// a step costs about the rows it changed: the history follows the sheet's change signals and
// copies only the chunks those touch.
class SheetHistory : public QObject
{
    Q_OBJECT
public:
    static constexpr int DefaultStepLimit = 200;
    // Whole-sheet steps (a head-count refresh of tens of thousands of rows) cost megabytes each;
    // past this estimate the oldest steps go, however few.
    static constexpr qint64 DefaultByteBudget = qint64(256) << 20;
    static constexpr int ChunkRows = 64;

    explicit SheetHistory(CostSheet &sheet, QObject *parent = nullptr);

    void setLimits(int steps, qint64 bytes);
    // True when a step was recorded (or merged into the last one).
    bool checkpoint(quint64 mergeKey = 0);
    // Both close a pending change as a step first. False when there is nothing to undo or redo.
    bool undo();
    bool redo();
    bool canUndo() const { return !m_undo.empty(); }
    bool canRedo() const { return !m_redo.empty(); }
    int undoCount() const { return int(m_undo.size()); }
    int redoCount() const { return int(m_redo.size()); }
    // Forgets every step; the sheet as it stands is where the history starts.
    void clear();
    // What the kept states hold beyond the sheet itself, estimated from their own chunks.
    qint64 estimatedBytes() const;

signals:
    void stepsChanged();

private:
    using Chunk = QList<CostLine>;
    struct State
    {
        QList<Chunk> chunks;
        QString text1, text3, text4;
        qint64 bytes = 0;
    };

    State capture() const;
    // Undo from m_undo to m_redo, redo the other way.
    bool step(std::deque<State> &from, std::deque<State> &to);
    void restore(const State &state);
    void trim();
    void rebuildLive();
    void onRowsChanged(int first, int last);
    void onRowsInserted();
    void onRowsAboutToBeRemoved(int first, int last);
    static bool sameRows(const QList<Chunk> &a, const QList<Chunk> &b);
    static qint64 bytesBeyond(const State &state, const State &neighbour);

    CostSheet &m_sheet;
    QList<Chunk> m_live; // the sheet's rows as the history last saw them
    State m_current;     // the state at the last checkpoint
    std::deque<State> m_undo;
    std::deque<State> m_redo;
    quint64 m_lastKey = 0;
    int m_insertFirst = 0;
    bool m_rowsDirty = false;
    bool m_restoring = false;
    int m_stepLimit = DefaultStepLimit;
    qint64 m_byteBudget = DefaultByteBudget;
};
