#pragma once

#include "sheet/SheetColumn.h"

#include <QString>

#include <array>

// Which cell a click on the list means and where its editor goes. Every figure is in twips:
// pointer, column edges and row tops relative to the list's top-left corner, editors in the
// main window's coordinates.
namespace CellEditing {

// Editors sit this far right of the cell's left edge, and are this much wider than the column.
constexpr float EditorInset = 30;

struct ColumnSpan
{
    float left = 0;
    float width = 0;
};
using ColumnSpans = std::array<ColumnSpan, 5>;

// The rows of the list, all of one height; the first row's top moves with the scrolling.
struct RowGrid
{
    float firstTop = 0;
    float rowHeight = 0;
    int rowCount = 0;

    float top(int row) const { return firstTop + float(row - 1) * rowHeight; }
};

// The first column (a SheetColumn) whose left edge ≤ x ≤ its right edge (a shared border goes to
// the left column), or NoColumn.
int resolveColumn(float mouseX, const ColumnSpans &columns);
// The first row whose top ≤ y ≤ its bottom (a shared border goes to the upper row), or
// rowCount + 1 when no row is there.
int resolveRow(float mouseY, const RowGrid &rows);

struct Placement
{
    float left = 0;
    float top = 0;
    float width = 0; // not used for the expression editor, whose width is its own
};
// The category, content or expression editor over the cell of a row.
Placement editorPlacement(float listLeft, float listTop, ColumnSpan column, float rowTop);

// Where the expression editor goes after its width changed: back to column 4 when it fits inside
// the window, otherwise with its right edge on the amount column's left edge, but never left of
// the window.
float expressionEditorLeft(float left, float width, float innerWidth, float listLeft, float column4Left,
                           float column5Left);

struct Selection
{
    int start = 0;
    int length = 0;
};
// The category editor selects from the second character on; the content editor selects all.
Selection categorySelection(const QString &text);
Selection contentSelection(const QString &text);

// Keys (Qt::Key) that commit an editor and open the next one on the same row.
bool categoryKeyMovesOn(int key);
bool contentKeyMovesOn(int key);

} // namespace CellEditing
