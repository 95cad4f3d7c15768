#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

// The cell texts of a worksheet's top-left corner. Numbers are in their shortest decimal form (at
// most 15 significant digits), dates and times in ISO form (2024-05-01, 2024-05-01 08:30:00,
// 08:30:00), logical values TRUE or FALSE, empty cells empty.
class CellGrid
{
public:
    // 1-based; a cell outside what was read is empty.
    QString text(int row, int column) const;
    void setText(int row, int column, const QString &text);
    int rowCount() const { return int(m_rows.size()); }

private:
    QList<QStringList> m_rows;
};

// Only the cells inside these bounds are kept, and reading stops once they are passed, so that the
// size of the rest of a workbook does not matter.
struct ReadLimits
{
    int maxRows = 501;
    int maxColumns = 4;
    // Rows above it are not read at all, so nothing in them can fail the reading.
    int firstRow = 1;
    // What the zipped formats may decompress in all, and the cell text they may keep in all.
    qint64 maxInflatedBytes = 32 * 1024 * 1024;
    qint64 maxTextCharacters = 4 * 1024 * 1024;
};

enum class WorkbookFormat
{
    Unknown,
    Xlsx,
    Ods,
    Xls
};

// Reads the first worksheet (by position) of a workbook file, whatever its name's extension says:
// the format is told from the content.
bool ReadFirstWorksheet(const QString &path, const ReadLimits &limits, CellGrid *grid, QString *error);

// The readers themselves. Every failure gives false and a Chinese message; none of them trusts a
// size or a count found in the file.
bool ReadXlsxData(const QByteArray &data, const ReadLimits &limits, CellGrid *grid, QString *error);
bool ReadOdsData(const QByteArray &data, const ReadLimits &limits, CellGrid *grid, QString *error);
class ZipArchive;
bool ReadXlsxArchive(const ZipArchive &archive, const ReadLimits &limits, CellGrid *grid, QString *error);
bool ReadOdsArchive(const ZipArchive &archive, const ReadLimits &limits, CellGrid *grid, QString *error);
// Legacy .xls files are read in a process of its own (quilvar-xls-reader), so that a hostile file
// can end that process but not the program.
bool ReadXlsFile(const QString &path, const ReadLimits &limits, CellGrid *grid, QString *error);

// The largest workbook file that is read at all.
constexpr qint64 MaxWorkbookFileSize = 100 * 1024 * 1024;
