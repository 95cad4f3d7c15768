#include "excel/read/WorkbookReader.h"

#include "excel/read/CompoundFile.h"
#include "excel/read/OdsReader.h"
#include "excel/read/XlsReader.h"
#include "excel/read/XlsWorkbook.h"
#include "excel/read/XlsxReader.h"
#include "excel/read/ZipArchive.h"

#include <QFile>
#include <QFileInfo>

namespace {

using Kind = WorkbookError::Kind;

bool readZipped(const QString &path, const ReadLimits &limits, CellGrid *grid, WorkbookError *error)
{
    // The archive is read from the file as its parts are parsed, so that only what is read costs memory.
    ZipArchive archive;
    if (!archive.openFile(path, error))
        return false;
    // OpenDocument names its type in "mimetype"; Office Open XML has no such entry.
    const bool openDocument =
        archive.contains(QStringLiteral("mimetype")) ||
        (archive.contains(QStringLiteral("content.xml")) && !archive.contains(QStringLiteral("[Content_Types].xml")));
    return openDocument ? OdsReader(archive, limits).read(grid, error) : XlsxReader(archive, limits).read(grid, error);
}

} // namespace

bool ReadFirstWorksheet(const QString &path, const ReadLimits &limits, CellGrid *grid, WorkbookError *error)
{
    *grid = CellGrid(limits.maxColumns);
    if (!QFileInfo(path).isFile())
        return WorkbookError::fail(error, Kind::FileMissing, QStringLiteral("找不到文件“%1”。").arg(path));
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return WorkbookError::fail(
            error, Kind::FileAccess,
            QStringLiteral("无法打开文件“%1”：没有读取的权限，或文件正被其它程序独占。").arg(path));
    const QByteArray head = file.peek(8);
    file.close();
    if (CompoundFile::looksLikeCompoundFile(head))
        return ReadXlsFile(path, limits, grid, error);
    if (const QString refusal = OlderExcelRefusal(head); !refusal.isEmpty())
        return WorkbookError::fail(error, Kind::UnsupportedFormat, refusal);
    if (!ZipArchive::looksLikeZip(head))
        return WorkbookError::fail(
            error, Kind::NotWorkbook,
            QStringLiteral("文件“%1”不是可以读取的工作簿（可读取 .xlsx、.xls 和 .ods 文件）。").arg(path));
    return readZipped(path, limits, grid, error);
}
