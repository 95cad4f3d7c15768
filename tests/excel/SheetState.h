#pragma once

#include "sheet/CostSheet.h"

#include <QList>
#include <QString>

// Everything of a sheet that an import or export may change.
struct SheetState
{
    QList<CostLine> rows;
    QString text1, text3, text4;

    static SheetState of(const CostSheet &sheet) { return {sheet.rows(), sheet.Text1(), sheet.Text3(), sheet.Text4()}; }
    bool operator==(const SheetState &other) const = default;
};

// A sheet with content of every kind, its totals computed.
inline void fillSample(CostSheet &sheet)
{
    auto set = [&](int position, const char *category, const char *content, const char *expression, const char *amount,
                   bool included) {
        sheet.setRow(position, {QString::number(position), QString::fromUtf8(category), QString::fromUtf8(content),
                                QString::fromUtf8(expression), QString::fromUtf8(amount), included});
    };
    set(1, "房", " 锦江之星 (两晚) ", "单价: 180.00 × 10间 × 2天", "3600", true);
    set(2, "餐", "不计入", "单价: 30 × 8人", "240", false); // unticked: skipped
    set(3, "车", "大巴\t\"往返\"\n第二行", "", "1200.5", true);
    set(4, "导游", "", "单价: 1.2345 × 3天", "   ", true); // blank amount: skipped
    set(5, " 大交通 ", "机票", "单价: 1000 × 8人", "-12.25", true);
    set(6, "123", "0.50", "1,200", "1,200.00", true);             // number-like texts and a text amount
    set(7, "综费", "很长的金额", "", "0.1234567890123456", true); // too many digits for a number cell
    sheet.setText3(QStringLiteral("8"));
    sheet.RefreshTotals();
}
