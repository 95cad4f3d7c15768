#pragma once

class CostSheet;

// Puts the head count of Text3 into every "人" factor of every row's expression, recomputes every
// visited row's amount from its expression, then the totals. Rows with a blank expression are left
// as they are.
void RefreshHeadCount(CostSheet &sheet);
