#include "app/SheetEditCommands.h"

#include "app/AppTexts.h"
#include "common/Dialogs.h"
#include "sheet/ClipboardTable.h"
#include "sheet/CostSheet.h"
#include "sheet/SheetPaste.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMimeData>
#include <QTreeView>

SheetEditCommands::SheetEditCommands(CostSheet &sheet, QTreeView *list, QWidget *expressionEditor,
                                     const QList<QLineEdit *> &boxes, QWidget *window)
    : QObject(window), m_sheet(sheet), m_history(sheet), m_list(list), m_expression(expressionEditor), m_boxes(boxes),
      m_window(window)
{
    m_list->installEventFilter(this);
    m_expression->installEventFilter(this);
    for (QLineEdit *box : m_boxes)
        box->installEventFilter(this);
    m_window->installEventFilter(this);

    // An editor that opens writes its reading of the cell into the row before it shows: from
    // there on, the changes are the editing's.
    connect(&sheet, &CostSheet::editorChangeStarting, this, [this] {
        if (!m_expressionSession)
            startExpressionSession();
    });
    connect(&sheet, &CostSheet::rowsChanged, this, [this] { changed(true); });
    connect(&sheet, &CostSheet::rowsInserted, this, [this] { changed(true); });
    connect(&sheet, &CostSheet::rowsRemoved, this, [this] { changed(true); });
    connect(&sheet, &CostSheet::reset, this, [this] { changed(true); });
    connect(&sheet, &CostSheet::text1Changed, this, [this] { changed(false); });
    connect(&sheet, &CostSheet::text3Changed, this, [this] { changed(false); });
    connect(&sheet, &CostSheet::text4Changed, this, [this] { changed(false); });
}

void SheetEditCommands::changed(bool rows)
{
    m_rowsTouched = m_rowsTouched || rows;
    if (m_stepPending)
        return;
    // The step closes once the event that made the change has been handled in full: a command
    // that changes rows and then the totals is one step.
    m_stepPending = true;
    QMetaObject::invokeMethod(this, &SheetEditCommands::closeStep, Qt::QueuedConnection);
}

void SheetEditCommands::startExpressionSession()
{
    closeStep();
    m_expressionSession = ++m_sessions;
}

quint64 SheetEditCommands::sessionKey() const
{
    if (m_expressionSession)
        return m_expressionSession;
    // Typing into a box is one step; a refresh started from the keyboard meanwhile is its own.
    if (m_boxSession && !m_rowsTouched)
        return m_boxSession;
    return 0;
}

void SheetEditCommands::closeStep()
{
    m_stepPending = false;
    // Changes made before the planner first sees the sheet (the host's fill, the start-up head
    // count) are where the history starts.
    if (m_started)
        m_history.checkpoint(sessionKey());
    else
        m_history.clear();
    m_rowsTouched = false;
}

bool SheetEditCommands::eventFilter(QObject *watched, QEvent *event)
{
    const QEvent::Type type = event->type();
    if (watched == m_window && type == QEvent::Show && !m_started) {
        closeStep();
        m_started = true;
    } else if (watched == m_expression && type == QEvent::Show && !m_expressionSession) {
        startExpressionSession();
    } else if (watched == m_expression && type == QEvent::Hide && m_expressionSession) {
        closeStep();
        m_expressionSession = 0;
    } else if (type == QEvent::FocusIn && m_boxes.contains(qobject_cast<QLineEdit *>(watched))) {
        closeStep();
        m_boxSession = ++m_sessions;
    } else if (type == QEvent::FocusOut && m_boxSession && m_boxes.contains(qobject_cast<QLineEdit *>(watched))) {
        closeStep();
        m_boxSession = 0;
    } else if (watched == m_list && type == QEvent::KeyPress) {
        auto *key = static_cast<QKeyEvent *>(event);
        const auto ctrl = key->modifiers() & (Qt::ControlModifier | Qt::ShiftModifier | Qt::AltModifier);
        if (key->matches(QKeySequence::Paste)) {
            paste();
            return true;
        }
        if (key->matches(QKeySequence::Copy)) {
            copy();
            return true;
        }
        if (key->matches(QKeySequence::Undo)) {
            undo();
            return true;
        }
        if (key->matches(QKeySequence::Redo) || (key->key() == Qt::Key_Y && ctrl == Qt::ControlModifier) ||
            (key->key() == Qt::Key_Z && ctrl == (Qt::ControlModifier | Qt::ShiftModifier))) {
            redo();
            return true;
        }
    }
    return QObject::eventFilter(watched, event);
}

int SheetEditCommands::selectedPosition() const
{
    const QModelIndexList selected = m_list->selectionModel()->selectedRows();
    return selected.isEmpty() ? 0 : selected.first().row() + 1;
}

void SheetEditCommands::selectPosition(int position)
{
    const QModelIndex index = m_list->model()->index(position - 1, 0);
    if (index.isValid())
        m_list->selectionModel()->setCurrentIndex(index,
                                                  QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
}

void SheetEditCommands::paste()
{
    if (m_beforeChange)
        m_beforeChange();
    const QMimeData *mime = QGuiApplication::clipboard()->mimeData();
    QList<RowTexts> rows;
    if (mime && mime->hasText() && !mime->text().isEmpty())
        rows = ParseTabText(mime->text());
    else if (mime && mime->hasHtml())
        rows = ParseHtmlTable(mime->html());
    int first = selectedPosition();
    // Rows that hold text are never replaced unasked.
    const PasteOverwrite overwrite = OverwrittenRows(m_sheet, first, int(rows.size()));
    if (overwrite.any()) {
        enum
        {
            Overwrite,
            Append,
            Cancel
        };
        // Enter appends: the safe choice is the one a hurried planner gets.
        const int answer =
            Dialogs::ask(m_window, OverwriteQuestion(int(rows.size()), overwrite), QStringLiteral("粘贴"),
                         {QStringLiteral("覆盖"), QStringLiteral("插入到末尾"), AppText::cancelButton()}, Append);
        if (answer == Cancel)
            return;
        if (answer == Append)
            first = AfterLastTextRow(m_sheet);
    }
    QString error;
    if (!PasteRows(m_sheet, first, rows, &error))
        Dialogs::message(m_window, error, OperationTitle, Dialogs::Icon::Warning);
}

void SheetEditCommands::copy()
{
    const int position = selectedPosition();
    if (m_sheet.hasRow(position))
        QGuiApplication::clipboard()->setText(RowsAsTabText({m_sheet.row(position)}));
}

void SheetEditCommands::undo()
{
    travel(&SheetHistory::undo);
}

void SheetEditCommands::redo()
{
    travel(&SheetHistory::redo);
}

void SheetEditCommands::travel(bool (SheetHistory::*step)())
{
    if (m_beforeChange)
        m_beforeChange();
    const int selected = selectedPosition();
    closeStep();
    if ((m_history.*step)())
        selectPosition(qMin(selected, m_sheet.rowCount()));
}
