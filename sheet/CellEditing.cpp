#include "sheet/CellEditing.h"

#include <Qt>

#include <algorithm>
#include <cmath>

namespace CellEditing {

int resolveColumn(float mouseX, const ColumnSpans &columns)
{
    for (int i = 0; i < int(columns.size()); ++i) {
        const float left = columns[i].left;
        const float right = left + columns[i].width; // single precision, as the edges are kept
        if (left <= mouseX && mouseX <= right)
            return i;
    }
    return NoColumn;
}

int resolveRow(float mouseY, const RowGrid &rows)
{
    if (rows.rowCount <= 0 || !(rows.rowHeight > 0) || !std::isfinite(mouseY))
        return rows.rowCount + 1;
    // Rows are of one height, so the candidate is computed rather than searched; the checks below
    // keep the border rule of a row-by-row walk (top ≤ y ≤ bottom, the upper row first).
    const double offset = double(mouseY) - double(rows.firstTop);
    if (offset < 0)
        return rows.rowCount + 1;
    int row = int(std::floor(offset / double(rows.rowHeight))) + 1;
    if (row > 1 && mouseY <= rows.top(row - 1) + rows.rowHeight)
        --row;
    if (row > rows.rowCount) {
        const float lastBottom = rows.top(rows.rowCount) + rows.rowHeight;
        return mouseY <= lastBottom ? rows.rowCount : rows.rowCount + 1;
    }
    return row;
}

Placement editorPlacement(float listLeft, float listTop, ColumnSpan column, float rowTop)
{
    return {listLeft + column.left + EditorInset, listTop + rowTop, column.width + EditorInset};
}

float expressionEditorLeft(float left, float width, float innerWidth, float listLeft, float column4Left,
                           float column5Left)
{
    // With many factors the editor is wider than the way to the amount column: its unit price
    // stays at the window's left edge rather than leaving the window.
    if (left + width > innerWidth || left < 0)
        return std::max(0.f, listLeft + column5Left - width);
    return listLeft + column4Left;
}

Selection categorySelection(const QString &text)
{
    const int length = int(text.size());
    return {qMin(1, length), qMax(0, length - 1)};
}

Selection contentSelection(const QString &text)
{
    return {0, int(text.size())};
}

bool categoryKeyMovesOn(int key)
{
    return key == Qt::Key_Right || key == Qt::Key_Return || key == Qt::Key_Enter;
}

bool contentKeyMovesOn(int key)
{
    return key == Qt::Key_Left || key == Qt::Key_Return || key == Qt::Key_Enter;
}

} // namespace CellEditing
