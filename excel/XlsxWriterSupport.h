#pragma once

#include "excel/CNumericLocale.h"

#include <QByteArray>
#include <QFileDevice>
#include <QString>
#include <QTemporaryDir>

#include <xlsxwriter.h>

// A message in Chinese for a writer's error code.
QString XlsxWriterMessage(lxw_error code);

// A new worksheet that prints on A4, the paper Chinese offices use (the writer's default is Letter);
// null when the writer refuses the name or runs out of memory.
lxw_worksheet *AddA4Worksheet(lxw_workbook *workbook, const char *name);

// A private folder for the writer's file and its scratch files, in a place whose name the writer's
// narrow file calls can open on every system (excel/NarrowPath.h); removed with everything in it.
class XlsxScratch
{
public:
    XlsxScratch();
    bool isValid() const { return m_dir.isValid(); }
    QString path() const { return m_dir.path(); }
    QString workbookPath() const { return m_dir.filePath(QStringLiteral("quote.xlsx")); }

private:
    QTemporaryDir m_dir;
};

// The writer's workbook, written to the scratch folder's file with its scratch files beside it;
// closed (and so thrown away) when a failure leaves it before close(). Null when the writer cannot
// start.
class XlsxWriterWorkbook
{
public:
    explicit XlsxWriterWorkbook(const XlsxScratch &scratch);
    ~XlsxWriterWorkbook()
    {
        if (m_workbook)
            workbook_close(m_workbook); // only after a failure: the half-written file is thrown away
    }
    lxw_workbook *get() const { return m_workbook; }
    lxw_error close()
    {
        lxw_workbook *workbook = m_workbook;
        m_workbook = nullptr;
        return workbook_close(workbook);
    }

private:
    lxw_workbook *m_workbook = nullptr;
};

// The message for a target that another program holds open, empty when none does.
QString HeldOpenMessage(const QString &path);

// Why path could not be written, in Chinese, from what can be seen of it and its folder.
QString WriteFailureReason(const QString &path, QFileDevice::FileError error);

// Puts the file the writer finished at scratchPath in place of path in one step, so that a
// failure never leaves half a file there. False with the reason otherwise.
bool ReplaceWithWrittenFile(const QString &scratchPath, const QString &path, QString *error);
