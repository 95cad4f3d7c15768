#pragma once

#include <QString>
#include <QStringList>
#include <QStringView>

// The program's own command line, as the platform hands it over.

// Every argument after the program's name: on Windows split from the wide command line by the
// system's rules, so that names in any script arrive whole; elsewhere argv read as file names.
QStringList ProcessArguments(int argc, char **argv);

// Everything after the program's name as one text. Windows hands a program its command line as one
// text, which is taken as the host wrote it: quotes, inner quotes and spacing kept. Elsewhere the
// shell has split it already, and the arguments are joined with single spaces.
QString ProcessArgumentsText(int argc, char **argv);

// The part of a Windows command line after the program's name and the blanks that follow it.
// programPaths are the executable's full path in the forms Windows knows it by (long, short).
// A host may write the name quoted or not (`C:\Program Files\X\x.exe args`, as WinExec callers do),
// in any case, with or without ".exe", as a full path or a relative one; a host that hands the
// program name separately (CreateProcess) may leave it out, and then the whole line is the text.
// A first word that names no program at all ends at the first blank outside double quotes, as
// the C runtime would cut it.
QString TextAfterProgramName(QStringView commandLine, const QStringList &programPaths);
