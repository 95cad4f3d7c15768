#pragma once

#include <QString>
#include <QStringList>

#include <optional>

// What a host asked for on the command line: a query to fill the sheet from and, after the
// separator "#-#", a head count.
struct CommandLine
{
    bool hasQuery = false;               // false for an empty or blank command line
    QString query;                       // trimmed, a leading double quote dropped
    std::optional<QString> headCountText; // unchanged, when a separator was given
};

// The arguments joined with single spaces, as the platform hands them over.
QString ArgumentsText(const QStringList &arguments);
// Cuts the arguments text into the query and the head count.
CommandLine CutCommandLine(const QString &argumentsText);
// The settings file's full path: the executable's directory joined with "default.ini" as text.
QString IniFilePathFor(const QString &applicationDir);
