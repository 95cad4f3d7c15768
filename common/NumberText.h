#pragma once

#include <QString>

// Two decimals, halves away from zero, taken on the shortest decimal text that reads back as the
// same double (the number as a person reads it), so 1.005 gives 1.01 and 2.675 gives 2.68.
QString Fixed2Text(double value);

// At most 15 significant digits; no trailing zeros, "0." before a fraction, "-" before a negative
// value. Exponent form (1E+15, 1.5E-05) for magnitudes of 1E+15 and above, and below 1E-04.
QString NumberText(double value);

// The same for a single-precision value: at most 7 significant digits, exponent form from 1E+07
// (12345678 gives 1.234568E+07) and below 1E-04.
QString NumberTextSingle(float value);

// The same texts appended to a text, without a text of their own: for rules that write many.
void AppendNumberText(QString &text, double value);
void AppendNumberTextSingle(QString &text, float value);
