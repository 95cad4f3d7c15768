#pragma once

#include "common/Amount.h"

#include <QString>
#include <QStringView>

#include <optional>

class CostSheet;

// What the refresh puts into an expression: the head count into every "人" factor and, when
// given, a room count into every "间" factor (unit words compared without their spaces).
// Without a head count, "人" factors keep their counts.
struct RefreshCounts
{
    std::optional<double> headCount;
    std::optional<double> rooms;
};

struct RefreshedExpression
{
    Amount amount;
    Amount price;        // the price as the first segment shows it
    int headFactors = 0; // factors whose unit word is "人"
    int roomFactors = 0; // factors whose unit word is "间"

    // A price that reads 0 is no price the refresh can follow ("按实际结算", "300*10*5", a missing
    // space after the colon): such a line keeps the amount the planner gave it.
    bool keepsItsAmount() const { return price == Amount(); }
};

// One expression read and recomputed as the refresh does; the rebuilt text is appended to
// rebuilt when it is given. The expression must not be blank.
RefreshedExpression RefreshExpression(QStringView expression, const RefreshCounts &counts, QString *rebuilt = nullptr);

// Puts the head count of Text3 into every "人" factor of every row's expression, recomputes every
// visited row's amount from its expression, then the totals. Rows with a blank expression, and rows
// whose price reads 0 (keepsItsAmount), are left as they are. A head count that does not read as a positive number (0,
// empty, "abc", -5) would write "× 0人" into every per-person line and leave amounts that no longer match their
// expressions: it is refused, false with a message, and nothing changes.
bool RefreshHeadCount(CostSheet &sheet, QString *error = nullptr);
