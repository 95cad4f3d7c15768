#include "common/ConsoleOutput.h"

// A terminal here takes UTF-8 as it is.
bool IsConsole(FILE *)
{
    return false;
}

void WriteToConsole(FILE *, QStringView) {}
