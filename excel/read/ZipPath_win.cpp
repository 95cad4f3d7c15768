#include "excel/read/ZipPath.h"

#include <QDir>

QByteArray ZipPath(const QString &path)
{
    return QDir::toNativeSeparators(path).toUtf8();
}
