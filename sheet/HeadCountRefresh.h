#pragma once

#include <QString>

class CostSheet;

// Puts the head count of Text3 into every "人" factor of every row's expression, recomputes every
// visited row's amount from its expression, then the totals. Rows with a blank expression are left
// as they are. A head count that does not read as a positive number (0, empty, "abc", -5) would
// write "× 0人" into every per-person line and leave amounts that no longer match their
// expressions: it is refused, false with a message, and nothing changes.
bool RefreshHeadCount(CostSheet &sheet, QString *error = nullptr);
