#pragma once

#include "excel/read/CellGrid.h"
#include "excel/read/CellText.h"
#include "excel/read/ReadBudget.h"
#include "excel/read/ReadLimits.h"
#include "excel/read/WorkbookError.h"

#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>

class ZipArchive;
class XmlPart;

// Reads the first worksheet of an Office Open XML workbook (.xlsx) while its parts decompress: the
// package's relationships lead to the workbook, the workbook to its first worksheet and its number
// formats; the sheet's cells inside the limits are kept, and only then the shared strings they use
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
    // A cell whose text is in the shared strings, read after the sheet.
    struct SharedCell
    {
        int row;
        int column;
        qint64 index; // -1: not an index
    };

    bool findWorkbook(WorkbookError *error);
    bool readWorkbook(WorkbookError *error);
    bool findFirstWorksheet(WorkbookError *error);
    bool readSheet(CellGrid *grid, WorkbookError *error);
    void readCell(XmlPart &part, int row, int column, CellGrid *grid);
    QString numberText(const QString &value, int style);
    bool readSharedStrings(WorkbookError *error);
    bool readStyles(ReadBudget &budget, WorkbookError *error);
    bool placeShared(CellGrid *grid, WorkbookError *error);
    bool readRelationships(const QString &sourcePart, Relationships *relationships, WorkbookError *error);

    const ZipArchive &m_archive;
    ReadLimits m_limits;
    ReadBudget m_budget;
    QString m_workbookPart;
    Relationships m_workbookRelationships;
    bool m_date1904 = false;
    QStringList m_sheetIds;
    QString m_sheetPart;
    QList<SharedCell> m_shared;
    QHash<qint64, QString> m_strings;
    QList<CellText::DateKind> m_styleKinds; // what each style's number format shows, by style index
    // Number formats that could not be read fail the import only once a styled number needs them.
    WorkbookError m_stylesError;
    bool m_stylesNeeded = false;
};
