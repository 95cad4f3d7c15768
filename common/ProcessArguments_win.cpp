#include "common/ProcessArguments.h"

#include <qt_windows.h>
#include <shellapi.h>

// argv holds the arguments in the ANSI code page, which loses every character outside it; the
// wide command line holds them all.
QStringList ProcessArguments(int, char **)
{
    QStringList arguments;
    int count = 0;
    if (wchar_t **list = CommandLineToArgvW(GetCommandLineW(), &count)) {
        for (int i = 1; i < count; ++i)
            arguments << QString::fromWCharArray(list[i]);
        LocalFree(list);
    }
    return arguments;
}

QString ProcessArgumentsText(int, char **)
{
    return TextAfterProgramName(QString::fromWCharArray(GetCommandLineW()));
}
