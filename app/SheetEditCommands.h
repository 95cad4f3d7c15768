#pragma once

#include "sheet/SheetHistory.h"

#include <QList>
#include <QObject>

#include <functional>

class CostSheet;
class QLineEdit;
class QTreeView;
class QWidget;

// Paste, copy, undo and redo over the list: Ctrl+V, Ctrl+C, Ctrl+Z, and Ctrl+Y or Ctrl+Shift+Z.
//
// Every change of the sheet becomes a step of the history once the event that made it has been
// handled, so each command of the window is one step without knowing of the history. Two kinds of
// change span many events and are one step all the same: an editing of the expression (from the
// editor's opening to its closing) and typing into a box of the bottom bar, the head count above all
// (while the box keeps the focus).
class SheetEditCommands : public QObject
{
    Q_OBJECT
public:
    // The boxes are the bottom bar's total, head count and per head, each typed into as one step.
    SheetEditCommands(CostSheet &sheet, QTreeView *list, QWidget *expressionEditor, const QList<QLineEdit *> &boxes,
                      QWidget *window);

    SheetHistory &history() { return m_history; }
    // Called before paste, undo and redo change the rows: the window commits and closes an open
    // editor there.
    void setBeforeChange(std::function<void()> beforeChange) { m_beforeChange = std::move(beforeChange); }

    void paste();
    void copy();
    void undo();
    void redo();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void changed(bool rows);
    void closeStep();
    void travel(bool (SheetHistory::*step)());
    void startExpressionSession();
    quint64 sessionKey() const;
    int selectedPosition() const;
    void selectPosition(int position);

    CostSheet &m_sheet;
    SheetHistory m_history;
    QTreeView *m_list;
    QWidget *m_expression;
    QList<QLineEdit *> m_boxes;
    QWidget *m_window;
    std::function<void()> m_beforeChange;
    quint64 m_sessions = 0;
    quint64 m_expressionSession = 0;
    quint64 m_boxSession = 0;
    bool m_stepPending = false;
    bool m_rowsTouched = false;
    bool m_started = false;
};
