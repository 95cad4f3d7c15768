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

// The part of a Windows command line after the program's name and the blanks that follow it, found
// as the system's C runtime finds it: the name ends at the first blank outside double quotes.
QString TextAfterProgramName(QStringView commandLine);
