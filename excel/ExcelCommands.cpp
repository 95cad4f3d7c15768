#include "excel/ExcelCommands.h"

#include "common/Dialogs.h"
#include "excel/QuoteExport.h"
#include "excel/QuoteImport.h"
#include "excel/read/WorkbookError.h"
#include "sheet/CostSheet.h"

#include <QDesktopServices>
#include <QDir>
#include <QStandardPaths>
#include <QUrl>

bool OutExcel(QWidget *parent, const CostSheet &sheet)
{
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    const QString suggested =
        QDir(folder.isEmpty() ? QDir::homePath() : folder).filePath(QStringLiteral("报价单.xlsx"));
    const QString path = Dialogs::saveFileName(parent, QStringLiteral("导出到Excel"), suggested,
                                               QStringLiteral("Excel文件 (*.xlsx)"), QStringLiteral("xlsx"));
    if (path.isEmpty())
        return false;
    WorkbookError error;
    if (!WriteQuoteWorkbook(sheet, path, &error)) {
        Dialogs::message(parent, error.text, QStringLiteral("导出到Excel"), Dialogs::Icon::Warning);
        return false;
    }
    QDesktopServices::openUrl(QUrl::fromLocalFile(path));
    return true;
}

bool InExcelCommand(QWidget *parent, CostSheet &sheet)
{
    const QString path = Dialogs::openFileName(parent, QStringLiteral("打开文件"), QDir::homePath(),
                                               QStringLiteral("Excel文件 (*.xls *.xlsx);;OpenDocument 表格 (*.ods)"));
    if (path.isEmpty())
        return false;
    WorkbookError error;
    if (!InExcel(sheet, path, &error)) {
        Dialogs::message(parent, QStringLiteral("无法从“%1”导入：\n%2").arg(QDir::toNativeSeparators(path), error.text),
                         QStringLiteral("从Excel导入"), Dialogs::Icon::Warning);
        return false;
    }
    sheet.RefreshTotals();
    return true;
}
