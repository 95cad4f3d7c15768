#pragma once

#include <QString>
#include <QStringView>

// What LeadingNumber makes of a typed number, told to the planner before the amount lands. The
// reading itself is LeadingNumber's and never changes here; this only says whether the whole text
// was read and, where it was not, what was read and where the reading stopped.
struct NumberReading
{
    double value = 0;
    // True when the text is empty, a number, or a number followed by a unit word (「30人」).
    bool whole = true;
    // For a text not read wholly: 「只读到 1：“,” 之后的文字不算数」.
    QString explanation;
};

NumberReading ExplainReading(QStringView text);
