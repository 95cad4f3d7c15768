#include "app/CommandLine.h"

#include "common/ProcessArguments.h"
#include "common/SharedSettingsFolder.h"
#include "common/Spaces.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryFile>

QString ArgumentsText(const QStringList &arguments)
{
    return arguments.join(QLatin1Char(' '));
}

CommandLine CutCommandLine(const QString &argumentsText)
{
    CommandLine result;
    if (IsBlank(argumentsText))
        return result;
    const QStringList pieces = argumentsText.split(QStringLiteral("#-#"), Qt::KeepEmptyParts, Qt::CaseSensitive);
    result.hasQuery = true;
    result.query = TrimSpaces(pieces.at(0)).toString();
    if (result.query.startsWith(QLatin1Char('"')))
        result.query.remove(0, 1);
    if (pieces.size() >= 2)
        result.headCountText = pieces.at(1);
    return result;
}

QString IniFilePathFor(const QString &applicationDir)
{
    // Joined as text: a directory that already ends in a separator gives two in a row, which
    // every file system accepts.
    return applicationDir + QDir::separator() + QStringLiteral("default.ini");
}

QString ChooseSettingsFile(const SettingsPlace &place)
{
    if (place.sharedFolder.isEmpty() || place.fileBesideExists || !place.installed)
        return IniFilePathFor(place.applicationDir);
    return IniFilePathFor(place.sharedFolder);
}

namespace {

// Whether this user may create files in the folder: tried, since on Windows only the attempt
// reads the folder's access list.
bool FolderIsWritable(const QString &folder)
{
    QTemporaryFile probe(folder + QStringLiteral("/quilvar-XXXXXX.tmp"));
    return probe.open();
}

} // namespace

QString SettingsFileFor(const QString &applicationDir)
{
    SettingsPlace place{applicationDir, SharedSettingsFolder()};
    place.fileBesideExists = QFileInfo::exists(IniFilePathFor(applicationDir));
    if (!place.sharedFolder.isEmpty() && !place.fileBesideExists)
        place.installed =
            QFileInfo::exists(applicationDir + QStringLiteral("/uninstall.exe")) || !FolderIsWritable(applicationDir);
    return ChooseSettingsFile(place);
}

HostArguments::HostArguments(int argc, char **argv)
{
    m_text = ProcessArgumentsText(argc, argv);
    m_qtArgv[0] = argc > 0 ? argv[0] : nullptr;
    m_qtArgc = argc > 0 ? 1 : 0;
}
