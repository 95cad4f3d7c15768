#include "common/ProcessArguments.h"

QString TextAfterProgramName(QStringView commandLine)
{
    // As the C runtime finds the text it hands to WinMain: the name ends at the first blank or
    // control character outside double quotes; the blanks and control characters after it go.
    qsizetype i = 0;
    bool quoted = false;
    while (i < commandLine.size() && (commandLine.at(i) > u' ' || (quoted && commandLine.at(i) != u'\0'))) {
        if (commandLine.at(i) == u'"')
            quoted = !quoted;
        ++i;
    }
    while (i < commandLine.size() && commandLine.at(i) <= u' ')
        ++i;
    return commandLine.mid(i).toString();
}
