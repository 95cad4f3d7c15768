#pragma once

#include <QList>
#include <QString>
#include <QStringList>

class CostSheet;

// The price of the sheet at several group sizes: for each head count, the head-count refresh run
// on a copy of the sheet, and its total and per-head texts.
struct PriceBreak
{
    QString headCount;
    QString total;
    QString perHead;

    bool operator==(const PriceBreak &other) const = default;
};

// More group sizes than any price list needs; a longer list is a mistake.
constexpr int MaxPriceBreaks = 1000;

// A comma-separated list of head counts ("16,20,25,30"): each a positive number in plain decimal
// form, spaces around it allowed. False with a message for anything else, an empty list included.
bool ParseHeadCountList(const QString &list, QStringList *headCounts, QString *error);

// The sheet itself is not changed.
QList<PriceBreak> PriceBreaks(const CostSheet &sheet, const QStringList &headCounts);
