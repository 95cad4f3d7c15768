#pragma once

#include "sheet/CellEditing.h"

#include <QObject>

class ControlJsj;
class CostSheet;
class QComboBox;
class QLineEdit;
class QTreeView;
class QWidget;

// Lays the category, content and expression editors over the cells of the list and writes what
// they hold back into the sheet. The rules (which cell, where, which keys) are CellEditing's; this
// class reads the list's geometry for them and moves the widgets.
class InPlaceEditing : public QObject
{
    Q_OBJECT
public:
    // The editors are children of `window`, laid over `list`.
    InPlaceEditing(CostSheet &sheet, QTreeView *list, QComboBox *categoryEditor, QLineEdit *contentEditor,
                   ControlJsj *expressionEditor, QWidget *window);

    // Opens the editor of a cell (a SheetColumn and a 1-based row); columns without an editor, and
    // rows that do not exist, open nothing.
    void EditCell(int column, int row);

    // Commits an open category or content editor and closes every editor, however the edit was
    // started: every command that changes rows or their texts calls it first, so that no editor
    // writes into a row that has moved or changed under it.
    void endEdit();

    // The list's geometry in twips, relative to the list's top-left corner.
    CellEditing::ColumnSpans columnSpans() const;
    CellEditing::RowGrid rowGrid() const;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void recordMouse(const QPoint &viewportPos);
    void resolveClick();
    void commitCategory();
    void commitContent();
    void pasteAsOneLine(QLineEdit *editor);
    void followExpressionEditorWidth();
    void onFocusChanged(QWidget *old, QWidget *now);
    QPointF listOrigin() const; // the list's top-left corner in the window, in twips

    CostSheet &m_sheet;
    // The last mouse position over the list, in twips from its top left: where a click opens an editor.
    float m_mouseX = 0;
    float m_mouseY = 0;
    QTreeView *m_list;
    QComboBox *m_category;
    QLineEdit *m_content;
    ControlJsj *m_expression;
    QWidget *m_window;
    int m_editorHeight = 0;
};
