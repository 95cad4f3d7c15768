#pragma once

#include <QString>

// The four texts of a row, as the list shows them and as a query, a pasted table or a workbook
// gives them: taken by position, held exactly as written.
struct RowTexts
{
    QString Category;   // 项目
    QString Content;    // 内容
    QString Expression; // 表达式
    QString AmountText; // 金额

    bool operator==(const RowTexts &other) const = default;
};

// One row of the cost sheet: its texts, its label and its tick.
struct CostLine : RowTexts
{
    QString Number; // the row's label: its position when it was created; never renumbered
    bool Included = false;

    CostLine() = default;
    CostLine(QString number, QString category, QString content, QString expression, QString amountText, bool included)
        : RowTexts{std::move(category), std::move(content), std::move(expression), std::move(amountText)},
          Number(std::move(number)), Included(included)
    {
    }
    CostLine(QString number, RowTexts texts, bool included)
        : RowTexts(std::move(texts)), Number(std::move(number)), Included(included)
    {
    }

    bool operator==(const CostLine &other) const = default;
};
