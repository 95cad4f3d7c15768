#include "common/SameFile.h"

#include "common/FileIdentity.h"

#include <QFileInfo>

bool SameFile(const QString &first, const QString &second)
{
    const std::optional<FileIdentity> a = IdentifyFile(first), b = IdentifyFile(second);
    if (a || b)
        return a == b;
    // Neither is there yet: the same name in the same folder is the same file once written. The
    // folders are looked up as written, so that ".." after a link goes where the system goes.
    const QFileInfo firstInfo(first), secondInfo(second);
    if (!SameFileName(firstInfo.fileName(), secondInfo.fileName()))
        return false;
    const std::optional<FileIdentity> folder = IdentifyFile(firstInfo.absolutePath());
    return folder ? folder == IdentifyFile(secondInfo.absolutePath())
                  : firstInfo.absoluteFilePath() == secondInfo.absoluteFilePath();
}
