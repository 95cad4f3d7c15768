#include "excel/read/XlsChildLimits.h"

QString XlsReaderExecutableName()
{
    return QStringLiteral("quilvar-xls-reader");
}
