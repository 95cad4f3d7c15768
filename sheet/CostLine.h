#pragma once

#include <QString>

// One row of the cost sheet. The texts are held exactly as written.
struct CostLine
{
    QString Number;     // the row's label: its position when it was created; never renumbered
    QString Category;   // 项目
    QString Content;    // 内容
    QString Expression; // 表达式
    QString AmountText; // 金额
    bool Included = false;

    bool operator==(const CostLine &other) const = default;
};
