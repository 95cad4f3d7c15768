#pragma once

#include <QStringView>

// The one rule by which a text becomes a number. Spaces, tabs and line feeds are ignored wherever
// they stand; then the longest leading number is read: an optional sign, digits, one "." with more
// digits, an optional exponent E or D (either case) with an optional sign and digits, or the
// integer forms &H (hexadecimal) and &O (octal). A text without a leading number gives 0; a number
// too large for a double gives an infinity, which the money rules treat as an overflow. length, when
// given, is told how many characters were read (the blanks before, inside and after the number
// included; 0 when no number was read).
double LeadingNumber(QStringView text, qsizetype *length = nullptr);
