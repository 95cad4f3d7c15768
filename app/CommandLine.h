#pragma once

#include <QString>
#include <QStringList>

#include <optional>

// What a host asked for on the command line: a query to fill the sheet from and, after the
// separator "#-#", a head count.
struct CommandLine
{
    bool hasQuery = false;                // false for an empty or blank command line
    QString query;                        // trimmed, a leading double quote dropped
    std::optional<QString> headCountText; // unchanged, when a separator was given
};

// The arguments joined with single spaces, as the platform hands them over.
QString ArgumentsText(const QStringList &arguments);
// Cuts the arguments text into the query and the head count.
CommandLine CutCommandLine(const QString &argumentsText);
// The settings file's full path: the executable's directory joined with "default.ini" as text.
QString IniFilePathFor(const QString &applicationDir);

// Where the program's settings file is. Beside the executable when a file is there (the portable
// folder, or an administrator's file), or when nothing says the program was installed. An installed
// program's folder is for administrators only (else any user could replace what the next runs):
// its settings are in the shared folder. sharedFolder is empty where there is none.
struct SettingsPlace
{
    QString applicationDir;
    QString sharedFolder;
    bool fileBesideExists = false;
    bool installed = false; // an uninstaller beside the executable, or a folder the user cannot write
};
QString ChooseSettingsFile(const SettingsPlace &place);
// The same, looked up on this machine.
QString SettingsFileFor(const QString &applicationDir);

// The host's arguments and what Qt is given of them. Qt gets the executable's name alone, so that
// none of the host's words (a query may hold -style, -reverse or -session) is taken out as a Qt
// option; Qt's own settings come from the environment (QT_QPA_PLATFORM, QT_SCALE_FACTOR).
class HostArguments
{
public:
    HostArguments(int argc, char **argv);

    // Everything after the executable's name as the platform hands it over (common/ProcessArguments.h).
    const QString &text() const { return m_text; }
    // For QApplication, which keeps references to both for its lifetime.
    int &qtArgc() { return m_qtArgc; }
    char **qtArgv() { return m_qtArgv; }

private:
    QString m_text;
    int m_qtArgc = 1;
    char *m_qtArgv[2] = {nullptr, nullptr};
};
