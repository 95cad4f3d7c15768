#include "excel/read/ZipPath.h"

#include <QFile>

QByteArray ZipPath(const QString &path)
{
    return QFile::encodeName(path);
}
