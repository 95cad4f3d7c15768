#pragma once

#include "common/Amount.h"
#include "sheet/CostLine.h"

#include <QList>
#include <QObject>
#include <QStringList>

#include <functional>

// The cost sheet: the rows, the bottom-bar texts (Text1 total, Text3 head count, Text4 per head),
// and the current row.
//
// Rows are addressed by 1-based position, as the planner sees them. Every change is announced by
// a signal, so a view can follow without holding data of its own.
class CostSheet : public QObject
{
    Q_OBJECT
public:
    // Positions are kept within what the sheet's 16-bit row positions can address.
    static constexpr int MaxRows = 32766;
    static constexpr int InitialRows = 20;

    explicit CostSheet(QObject *parent = nullptr);

    // The nine category choices, in the order of the category editor's list.
    static const QStringList &Categories();

    int rowCount() const { return int(m_rows.size()); }
    const CostLine &row(int position) const { return m_rows.at(position - 1); }
    bool hasRow(int position) const { return position >= 1 && position <= rowCount(); }
    const QList<CostLine> &rows() const { return m_rows; }

    // Appends an empty, unticked row numbered rowCount() + 1. Refused past MaxRows.
    bool AddRow(QString *error = nullptr);
    // How the fill, the paste and the import write rows: the texts go into the rows from
    // firstPosition down (0, or a position past the last row: after the last row), each row keeps
    // its number and is ticked, rows past the end are appended numbered by their position; then
    // RefreshTotals. Rows that would pass MaxRows refuse the whole write: false, nothing changed.
    // A list handed over with std::move gives its texts to the rows instead of sharing them.
    bool writeRows(int firstPosition, QList<RowTexts> rows, QString *error = nullptr);
    // writeRows without the totals, for a caller that stops part-way and leaves them as they were.
    bool writeRowsKeepingTotals(int firstPosition, QList<RowTexts> rows, QString *error = nullptr);
    // Removes the row at position (the list's selection) and recomputes the totals.
    // A position that names no row changes nothing.
    void DeleteRow(int position);
    // Replaces every row at once (the import); at most MaxRows are kept.
    void replaceRows(const QList<CostLine> &rows);

    void setCategory(int position, const QString &text);
    void setContent(int position, const QString &text);
    void setExpression(int position, const QString &text);
    void setAmountText(int position, const QString &text);
    void setIncluded(int position, bool included);
    void setRow(int position, const CostLine &line);
    // Lets a rule rewrite the texts and ticks of every row in one pass, announced as one change.
    void rewriteRows(const std::function<void(int position, CostLine &line)> &rewrite);

    // The user ticked or unticked a row: the tick, then RefreshTotals.
    void TickChanged(int position, bool included);
    // The editor's ChangeText: the line goes into row CurRow, is ticked, and the totals follow.
    // Nothing happens while CurRow names no row.
    void EditorChange(const QString &strBds, Amount curHjje);

    // Total of the ticked rows into Text1, and the per-head amount into Text4.
    void RefreshTotals();

    const QString &Text1() const { return m_text1; }
    const QString &Text3() const { return m_text3; }
    const QString &Text4() const { return m_text4; }
    // A plain text box: typing into it changes nothing else at once.
    void setText1(const QString &text);
    // Every change of the head count recomputes the per-head text from the total text.
    void setText3(const QString &text);
    void setText4(const QString &text);

    int CurRow() const { return m_curRow; }
    void setCurRow(int position) { m_curRow = position; }

signals:
    void rowsAboutToBeInserted(int firstPosition, int lastPosition);
    void rowsInserted();
    void rowsAboutToBeRemoved(int firstPosition, int lastPosition);
    void rowsRemoved();
    void aboutToReset();
    void reset();
    void rowsChanged(int firstPosition, int lastPosition);
    void text1Changed(const QString &text);
    void text3Changed(const QString &text);
    void text4Changed(const QString &text);
    // EditorChange is about to write into row CurRow: lets an undo history tell the writes of an
    // opening editor from what changed before it opened.
    void editorChangeStarting();

private:
    CostLine &mutableRow(int position) { return m_rows[position - 1]; }
    void setField(int position, QString CostLine::*field, const QString &text);
    bool putRows(int firstPosition, QList<RowTexts> &rows, QString *error);
    // Appends count lines labelled by their positions, the k-th (from 0) with texts(k), announced
    // as one insertion.
    void appendUnchecked(qsizetype count, const std::function<RowTexts(qsizetype)> &texts, bool included);
    void headCountChanged();

    QList<CostLine> m_rows;
    QString m_text1;
    QString m_text3;
    QString m_text4;
    int m_curRow = 0;
};

// The per-head amount for a total and a head-count text: empty when the head count reads 0.
QString PerHeadText(Amount total, const QString &headCountText);
