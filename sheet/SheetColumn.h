#pragma once

// The list's columns in the order shown; the values are the table model's column indexes.
enum SheetColumn
{
    NoColumn = -1, // a point beside every column
    NumberColumn,
    CategoryColumn,
    ContentColumn,
    ExpressionColumn,
    AmountColumn,
    ColumnCount
};
