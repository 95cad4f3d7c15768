#pragma once

#include "sheet/CostSheet.h"

#include <QRandomGenerator>

// The sheet the kill test's child starts from, and its k-th change: the same seed and count give
// the same sheet, so the test can rebuild the state a record claims to hold. The head count
// carries the count of changes.
inline void StartSheet(CostSheet &sheet)
{
    QList<CostLine> rows;
    for (int k = 1; k <= 2000; ++k)
        rows.append(CostLine(QString::number(k), QStringLiteral("房"), QStringLiteral("北京饭店 标准间 %1").arg(k),
                             QStringLiteral("单价: 350.00 × 12间 × 5晚"), QStringLiteral("21000"), k % 3 != 0));
    sheet.replaceRows(rows);
}

inline void ApplyChange(CostSheet &sheet, quint32 seed, int step)
{
    QRandomGenerator random(seed * 100003u + quint32(step));
    const int position = int(random.bounded(sheet.rowCount())) + 1;
    sheet.setContent(position, QStringLiteral("改动 %1 “引号” \\ \t %2").arg(step).arg(random.generate()));
    sheet.setIncluded(position, random.bounded(2) == 1);
    if (step % 7 == 0)
        sheet.AddRow();
    sheet.setText3(QString::number(step));
}
