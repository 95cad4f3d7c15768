#include "sheet/PriceBreaks.h"

#include "common/LeadingNumber.h"
#include "sheet/CostSheet.h"
#include "sheet/HeadCountRefresh.h"

#include <QRegularExpression>

bool ParseHeadCountList(const QString &list, QStringList *headCounts, QString *error)
{
    static const QRegularExpression plainNumber(QStringLiteral("^[0-9]{1,9}(\\.[0-9]{1,4})?$"));
    headCounts->clear();
    const QStringList items = list.split(QLatin1Char(','));
    if (items.size() > MaxPriceBreaks) {
        *error = QStringLiteral("人数列表最多 %1 项。").arg(MaxPriceBreaks);
        return false;
    }
    for (const QString &item : items) {
        const QString text = item.trimmed();
        if (!plainNumber.match(text).hasMatch() || LeadingNumber(text) <= 0) {
            *error = text.isEmpty() ? QStringLiteral("人数列表“%1”中有空项。").arg(list)
                                    : QStringLiteral("人数列表中的“%1”不是大于 0 的人数。").arg(text);
            headCounts->clear();
            return false;
        }
        headCounts->append(text);
    }
    return true;
}

QList<PriceBreak> PriceBreaks(const CostSheet &sheet, const QStringList &headCounts)
{
    QList<PriceBreak> breaks;
    breaks.reserve(headCounts.size());
    for (const QString &headCount : headCounts) {
        // Every break starts from the sheet as it stands, not from the break before it.
        CostSheet copy;
        copy.replaceRows(sheet.rows());
        copy.setText1(sheet.Text1());
        copy.setText3(headCount);
        RefreshHeadCount(copy);
        breaks.append({headCount, copy.Text1(), copy.Text4()});
    }
    return breaks;
}
