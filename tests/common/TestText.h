#pragma once

#include <QString>

// A UTF-16 literal as a QString: the tests' tables hold Chinese texts as char16_t literals.
inline QString q(const char16_t *text)
{
    return QString::fromUtf16(text);
}
