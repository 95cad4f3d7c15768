#include "excel/read/XlsChildLimits.h"

#include <QProcess>

QString XlsReaderExecutableName()
{
    return QStringLiteral("quilvar-xls-reader.exe");
}

void LimitXlsReaderProcess(QProcess &)
{
    // Windows has no limits to set between fork and exec; the time limit and the cap on what the
    // process may hand back still hold.
}
