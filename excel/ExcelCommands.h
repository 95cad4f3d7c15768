#pragma once

#include <QString>

class CostSheet;
class QWidget;

// The menu commands 导出到Excel and 从Excel导入 of the calculator window.

// Asks where to save, writes the quote workbook and opens it in the user's spreadsheet program
// without waiting; when no program opens it, says where the file is. Returns whether a file was
// written; cancel and failure change nothing.
bool OutExcel(QWidget *parent, const CostSheet &sheet);

// Asks for a workbook, imports it (InExcel) and recomputes the totals. Returns whether the sheet
// was replaced; cancel and failure leave sheet, head count and totals as they were.
bool InExcelCommand(QWidget *parent, CostSheet &sheet);

// The save dialog's suggestion: 报价单.xlsx in the documents folder, made when it is missing, or
// in the home folder when it cannot be made.
QString SuggestedExportPath(const QString &documentsFolder);
// The open dialog's filters: the workbook formats read, WPS's own after them.
QString ImportFileFilters();
