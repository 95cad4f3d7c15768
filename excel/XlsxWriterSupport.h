#pragma once

#include "excel/CNumericLocale.h"

#include <QByteArray>
#include <QFileDevice>
#include <QString>

#include <xlsxwriter.h>

// A message in Chinese for a writer's error code.
QString XlsxWriterMessage(lxw_error code);

// A new worksheet that prints on A4, the paper Chinese offices use (the writer's default is Letter);
// null when the writer refuses the name or runs out of memory.
lxw_worksheet *AddA4Worksheet(lxw_workbook *workbook, const char *name);

// The writer's workbook, closed (and so thrown away) when a failure leaves it before close().
class XlsxWriterWorkbook
{
public:
    explicit XlsxWriterWorkbook(const QByteArray &path) { m_workbook = workbook_new(path.constData()); }
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

// Why path could not be written, in Chinese, from what can be seen of it and its folder.
QString WriteFailureReason(const QString &path, QFileDevice::FileError error);

// Puts the file the writer finished at scratchPath in place of path in one step, so that a
// failure never leaves half a file there. False with the reason otherwise.
bool ReplaceWithWrittenFile(const QString &scratchPath, const QString &path, QString *error);
