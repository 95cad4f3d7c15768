#pragma once

class CostSheet;
class QWidget;

// The menu commands 导出到Excel and 从Excel导入 of the calculator window.

// Asks where to save, writes the quote workbook and opens it in the user's spreadsheet program
// without waiting. Returns whether a file was written; cancel and failure change nothing.
bool OutExcel(QWidget *parent, const CostSheet &sheet);

// Asks for a workbook, imports it (InExcel) and recomputes the totals. Returns whether the sheet
// was replaced; cancel and failure leave sheet, head count and totals as they were.
bool InExcelCommand(QWidget *parent, CostSheet &sheet);
