#pragma once

#include "common/Amount.h"

#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>

#include <memory>
#include <optional>
#include <vector>

struct CostLine;
struct QuoteSettings;

// The counts one group size puts into the sheet's expressions.
struct GroupCounts
{
    int travellers = 0;
    std::optional<int> rooms; // only when the rooms follow the group

    bool operator==(const GroupCounts &other) const = default;
};

// A ticked line that follows the group but whose amount on the sheet is not what its expression
// gives at its own counts (typed over, negotiated): the quote prices it from the expression, as
// the head-count refresh would, and says so.
struct FlaggedLine
{
    QString row; // the row's number
    QString category;
    QString content;
    Amount amount;     // on the sheet
    Amount expression; // from the expression, at the sheet's own counts

    bool operator==(const FlaggedLine &other) const = default;
};

// What the ticked rows cost at each group size.
struct GroupCosts
{
    QList<Amount> cost;          // one per group size
    QList<Amount> childExcluded; // the part of it in the categories a child does not pay for
    Amount oneRoom;              // every room line with a "间" factor, counted as one room
    QList<FlaggedLine> flagged;
};

// A ticked line follows the group when it has a factor that changes with it: a "人" factor, or a
// "间" factor of a room line when the rooms follow. Its amount at each size is the head-count
// refresh's with the travellers (and rooms) of that size. Every other ticked line — no such
// factor, a blank expression, a price that reads 0 — enters every size with the sheet's amount.
//
// What each expression gives at each size is kept between calls, so that following one edit of a
// sheet of tens of thousands of rows reads only the expression that changed.
class GroupCostCalculator
{
public:
    GroupCosts costs(const QList<CostLine> &rows, const QuoteSettings &settings, const QList<GroupCounts> &counts);

private:
    // What one expression text gives.
    struct Expression
    {
        bool keepsItsAmount = true; // a price that reads 0
        int headFactors = 0;
        int roomFactors = 0;
        Amount atOwnCounts;
        Amount oneRoom;
        QList<Amount> headOnly;  // at each size, "人" factors only; filled when first asked for
        QList<Amount> withRooms; // at each size, "间" factors too
    };
    // What one row gave at the last call, reused while its texts are the same.
    struct Row
    {
        QString expression, amountText, category;
        std::shared_ptr<Expression> figures; // none for a blank expression
        Amount amount;
        bool room = false;     // in a room category
        bool excluded = false; // in a category a child does not pay for
    };
    Row &row(qsizetype position, const CostLine &line, const QuoteSettings &settings);
    std::shared_ptr<Expression> figures(const QString &expression);
    const QList<Amount> &atSizes(Expression &figures, const QString &expression, bool withRooms);
    void forgetUnused(const QList<CostLine> &rows);

    QHash<QString, std::shared_ptr<Expression>> m_expressions;
    std::vector<Row> m_rows;
    QList<GroupCounts> m_counts;
    QStringList m_roomCategories, m_childExcludes;
};
