#include "excel/WorkbookReader.h"

#include "excel/XlsWorkbook.h"
#include "excel/ZipArchive.h"

#include <QFile>
#include <QFileInfo>

QString CellGrid::text(int row, int column) const
{
    if (row < 1 || row > m_rows.size())
        return QString();
    const QStringList &cells = m_rows.at(row - 1);
    return column >= 1 && column <= cells.size() ? cells.at(column - 1) : QString();
}

void CellGrid::setText(int row, int column, const QString &text)
{
    if (row < 1 || column < 1)
        return;
    while (m_rows.size() < row)
        m_rows.append(QStringList());
    QStringList &cells = m_rows[row - 1];
    while (cells.size() < column)
        cells.append(QString());
    cells[column - 1] = text;
}

namespace {
bool isCompoundFile(const QByteArray &head)
{
    return head.startsWith(QByteArray::fromHex("d0cf11e0a1b11ae1"));
}
} // namespace

bool ReadFirstWorksheet(const QString &path, const ReadLimits &limits, CellGrid *grid, QString *error)
{
    *grid = CellGrid();
    QFile file(path);
    if (!QFileInfo(path).isFile()) {
        if (error)
            *error = QStringLiteral("找不到文件“%1”。").arg(path);
        return false;
    }
    if (!file.open(QIODevice::ReadOnly)) {
        if (error)
            *error = QStringLiteral("无法打开文件“%1”：%2").arg(path, file.errorString());
        return false;
    }
    if (file.size() > MaxWorkbookFileSize) {
        if (error)
            *error = QStringLiteral("文件“%1”过大（超过 %2 MB），不像是报价单工作簿。")
                         .arg(path)
                         .arg(MaxWorkbookFileSize >> 20);
        return false;
    }
    const QByteArray head = file.peek(8);
    if (isCompoundFile(head)) {
        file.close();
        return ReadXlsFile(path, limits, grid, error);
    }
    if (const QString refusal = OlderExcelRefusal(head); !refusal.isEmpty()) {
        if (error)
            *error = refusal;
        return false;
    }
    if (!ZipArchive::looksLikeZip(head)) {
        if (error)
            *error = QStringLiteral("文件“%1”不是可以读取的工作簿（可读取 .xlsx、.xls 和 .ods 文件）。").arg(path);
        return false;
    }
    file.close();
    // The archive is read from the file as its parts are parsed, so that only what is read costs memory.
    ZipArchive archive;
    if (!archive.openFile(path, error))
        return false;
    // OpenDocument names its type in "mimetype"; Office Open XML has no such entry.
    const bool openDocument =
        archive.contains(QStringLiteral("mimetype")) ||
        (archive.contains(QStringLiteral("content.xml")) && !archive.contains(QStringLiteral("[Content_Types].xml")));
    return openDocument ? ReadOdsArchive(archive, limits, grid, error) : ReadXlsxArchive(archive, limits, grid, error);
}
