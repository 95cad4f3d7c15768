#pragma once

#include <QStringView>

// The text without its leading and trailing space characters (U+0020 only: tabs and full-width
// spaces are part of the text, as they always were in the files and command lines we read).
QStringView TrimSpaces(QStringView text);
// Empty, or spaces only.
inline bool IsBlank(QStringView text)
{
    return TrimSpaces(text).isEmpty();
}
