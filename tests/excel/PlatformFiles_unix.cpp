#include "PlatformFiles.h"

#include <QFile>

#include <cstdlib>

std::shared_ptr<void> HoldOpenAsExcelDoes(const QString &)
{
    return nullptr;
}

void UseTemporaryFolder(const QString &folder)
{
    setenv("TMPDIR", QFile::encodeName(folder).constData(), 1);
}
