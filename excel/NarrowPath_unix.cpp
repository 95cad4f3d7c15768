#include "excel/NarrowPath.h"

#include <QDir>
#include <QFile>

QByteArray NarrowPath(const QString &path)
{
    return QFile::encodeName(path);
}

QString NarrowScratchBase()
{
    return QDir::tempPath();
}

// No lock here keeps a file from being replaced.
bool IsHeldOpenElsewhere(const QString &)
{
    return false;
}
