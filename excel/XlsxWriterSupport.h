#pragma once

#include <QByteArray>
#include <QString>

#include <memory>

#include <xlsxwriter.h>

// Numbers go into the file with "." whatever the user's locale: the writer formats them with the
// C library, which follows LC_NUMERIC, and a "333,3333" or a width of "10,7109375" is damage to
// every spreadsheet program. Only this thread's locale is switched, and only while writing.
class CNumericLocale
{
public:
    CNumericLocale();
    ~CNumericLocale();
    CNumericLocale(const CNumericLocale &) = delete;
    CNumericLocale &operator=(const CNumericLocale &) = delete;

private:
    struct State;
    std::unique_ptr<State> m_state;
};

// A message in Chinese for a writer's error code.
QString XlsxWriterMessage(lxw_error code);

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

// Puts the file the writer finished at scratchPath in place of path in one step, so that a
// failure never leaves half a file there. False with the reason otherwise.
bool ReplaceWithWrittenFile(const QString &scratchPath, const QString &path, QString *error);
