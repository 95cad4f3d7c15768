#pragma once

#include "excel/read/CellGrid.h"
#include "excel/read/ReadBudget.h"
#include "excel/read/ReadLimits.h"

#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>

class ZipArchive;
class XmlPart;
struct WorkbookError;

// Reads the first worksheet of an Office Open XML workbook (.xlsx) while its parts decompress: the
// package's relationships lead to the workbook, the workbook to its first worksheet; the sheet's
// cells inside the limits are kept, and only then the shared strings and number formats they use
// are read. Nothing a file says about sizes or counts is trusted.
class XlsxReader
{
public:
    XlsxReader(const ZipArchive &archive, const ReadLimits &limits);
    bool read(CellGrid *grid, WorkbookError *error);

    struct Relationship
    {
        QString type;
        QString target; // the part's name inside the archive, resolved
    };
    using Relationships = QHash<QString, Relationship>;

private:
    // A cell whose text needs a later part: a shared string, or a number that may be a date.
    struct PendingCell
    {
        int row;
        int column;
        bool shared;
        QString value;
        int style = 0;
    };

    bool findWorkbook(WorkbookError *error);
    bool readWorkbook(WorkbookError *error);
    bool findFirstWorksheet(WorkbookError *error);
    bool readSheet(CellGrid *grid, WorkbookError *error);
    void readCell(XmlPart &part, int row, int column, CellGrid *grid);
    bool readSharedStrings(WorkbookError *error);
    bool readStyles(WorkbookError *error);
    bool placePending(CellGrid *grid, WorkbookError *error);
    bool readRelationships(const QString &sourcePart, Relationships *relationships, WorkbookError *error);

    const ZipArchive &m_archive;
    ReadLimits m_limits;
    ReadBudget m_budget;
    QString m_workbookPart;
    Relationships m_workbookRelationships;
    bool m_date1904 = false;
    QStringList m_sheetIds;
    QString m_sheetPart;
    QList<PendingCell> m_pending;
    QHash<qint64, QString> m_strings;
    QHash<int, QString> m_formatCodes; // custom number formats by id
    QList<int> m_cellFormats;          // number format id by style index
};
