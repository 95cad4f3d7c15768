#include "excel/ExcelCommands.h"

#include "common/Dialogs.h"
#include "excel/ExcelTexts.h"
#include "excel/QuoteExport.h"
#include "excel/QuoteImport.h"
#include "excel/read/WorkbookError.h"
#include "sheet/CostSheet.h"

#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>
#include <QUrl>

QString SuggestedExportPath(const QString &documentsFolder)
{
    const QString name = QStringLiteral("报价单.xlsx");
    // A fresh account may have no documents folder yet; a save dialog pointed at a missing folder
    // fails on Save.
    if (!documentsFolder.isEmpty() && (QFileInfo(documentsFolder).isDir() || QDir().mkpath(documentsFolder)))
        return QDir(documentsFolder).filePath(name);
    return QDir::home().filePath(name);
}

QString ImportFileFilters()
{
    return QStringLiteral("Excel文件 (*.xls *.xlsx);;OpenDocument 表格 (*.ods);;WPS 表格 (*.et *.ett)");
}

bool OutExcel(QWidget *parent, const CostSheet &sheet)
{
    const QString title = ExcelText::exportTitle();
    const QString path = Dialogs::saveFileName(
        parent, title, SuggestedExportPath(QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation)),
        QStringLiteral("Excel文件 (*.xlsx)"), QStringLiteral("xlsx"));
    if (path.isEmpty())
        return false;
    WorkbookError error;
    if (!WriteQuoteWorkbook(sheet, path, &error)) {
        Dialogs::message(parent, error.text, title, Dialogs::Icon::Warning);
        return false;
    }
    if (!QDesktopServices::openUrl(QUrl::fromLocalFile(path)))
        Dialogs::message(parent,
                         QStringLiteral("报价单已保存到“%1”。\n没有能打开它的表格程序，请到该文件夹中打开。")
                             .arg(QDir::toNativeSeparators(path)),
                         title, Dialogs::Icon::Information);
    return true;
}

bool InExcelCommand(QWidget *parent, CostSheet &sheet)
{
    const QString path =
        Dialogs::openFileName(parent, QStringLiteral("打开文件"), QDir::homePath(), ImportFileFilters());
    if (path.isEmpty())
        return false;
    WorkbookError error;
    if (!InExcel(sheet, path, &error)) {
        Dialogs::message(parent, QStringLiteral("无法从“%1”导入：\n%2").arg(QDir::toNativeSeparators(path), error.text),
                         ExcelText::importTitle(), Dialogs::Icon::Warning);
        return false;
    }
    return true;
}
