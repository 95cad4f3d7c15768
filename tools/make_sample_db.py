#!/usr/bin/env python3
"""Builds the bundled sample database data/sample/tour.sqlite: the costs of two tour packages,
one cost line per row, as a host application would hand them to quilvar with a query such as

    SELECT category, content, expression, amount FROM tour_cost WHERE tour_code = 'BJ6D' ORDER BY line_no

Each expression is the text the cost-line editor builds ("单价: 123.00 × 45间 × 6天") and each amount
is computed from it the same way: unit price times each count, rounded to 1/10000 after each step.
Run it again to rebuild the file; the result is the same every time.
"""
import os
import sqlite3
import sys
from decimal import ROUND_HALF_EVEN, Decimal

STEP = Decimal("0.0001")

# (category, content, unit price, [(count, unit), ...])
TOURS = {
    ("BJ6D", "北京经典六日游", 30): [
        ("房", "北京饭店 标准间（含早）", "580", [("15", "间"), ("5", "晚")]),
        ("房", "长城脚下农家院 双人间", "260", [("15", "间"), ("1", "晚")]),
        ("餐", "团队正餐 十人一桌 八菜一汤", "50", [("30", "人"), ("10", "餐")]),
        ("餐", "全聚德烤鸭风味餐", "168", [("30", "人")]),
        ("车", "45座旅游大巴", "1800", [("6", "天")]),
        ("导游", "全陪导游 服务费", "400", [("6", "天")]),
        ("导游", "地陪导游 补助", "150", [("6", "天")]),
        ("景点门票", "故宫博物院", "60", [("30", "人")]),
        ("景点门票", "八达岭长城", "40", [("30", "人")]),
        ("景点门票", "颐和园联票", "50", [("30", "人")]),
        ("大交通", "上海—北京 高铁二等座", "553", [("31", "人")]),
        ("大交通", "北京—上海 高铁二等座", "553", [("31", "人")]),
        ("综费", "旅游意外险", "12.5", [("30", "人"), ("6", "天")]),
        ("其它", "矿泉水", "2", [("30", "人"), ("6", "天")]),
    ],
    ("YN8D", "云南昆大丽八日游", 24): [
        ("房", "昆明 四星酒店 双人间", "320", [("12", "间"), ("2", "晚")]),
        ("房", "大理古城 客栈 双人间", "288", [("12", "间"), ("2", "晚")]),
        ("房", "丽江 特色客栈 双人间", "358", [("12", "间"), ("3", "晚")]),
        ("餐", "团队餐 十人一桌", "45", [("24", "人"), ("14", "餐")]),
        ("车", "33座旅游车", "1350", [("8", "天")]),
        ("导游", "地接导游 服务费", "300", [("8", "天")]),
        ("地接社", "昆明地接社 操作费", "80", [("24", "人")]),
        ("景点门票", "石林风景区", "130", [("24", "人")]),
        ("景点门票", "玉龙雪山 大索道", "180", [("24", "人")]),
        ("大交通", "广州—昆明 经济舱", "1180", [("25", "人")]),
        ("综费", "丽江古城维护费", "50", [("24", "人")]),
        ("其它", "洱海游船", "88.8", [("2.5", "小时"), ("3", "人")]),
    ],
}


def fixed2(value):
    return str(value.quantize(Decimal("0.01"), rounding=ROUND_HALF_EVEN))


def build(price_text, factors):
    amount = Decimal(price_text).quantize(STEP, rounding=ROUND_HALF_EVEN)
    text = "单价: " + fixed2(Decimal(price_text))
    for count, unit in factors:
        c = Decimal(count)
        if c in (0, 1):
            continue
        text += " × " + count + unit
        amount = (amount * c).quantize(STEP, rounding=ROUND_HALF_EVEN)
    return text, amount


def amount_text(amount):
    text = format(amount.normalize(), "f")
    return text


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    target = sys.argv[1] if len(sys.argv) > 1 else os.path.join(here, "..", "data", "sample", "tour.sqlite")
    if os.path.exists(target):
        os.remove(target)
    db = sqlite3.connect(target)
    db.executescript(
        """
        CREATE TABLE tour (
          tour_code  VARCHAR(16) PRIMARY KEY,
          tour_name  VARCHAR(100) NOT NULL,
          head_count INTEGER NOT NULL
        );
        CREATE TABLE tour_cost (
          tour_code  VARCHAR(16) NOT NULL REFERENCES tour(tour_code),
          line_no    INTEGER NOT NULL,
          category   VARCHAR(20) NOT NULL,
          content    VARCHAR(200) NOT NULL,
          expression VARCHAR(200) NOT NULL,
          amount     NUMERIC(12, 2) NOT NULL,
          PRIMARY KEY (tour_code, line_no)
        );
        """
    )
    for (code, name, heads), lines in TOURS.items():
        db.execute("INSERT INTO tour VALUES (?, ?, ?)", (code, name, heads))
        for number, (category, content, price, factors) in enumerate(lines, start=1):
            expression, amount = build(price, factors)
            db.execute(
                "INSERT INTO tour_cost VALUES (?, ?, ?, ?, ?, ?)",
                (code, number, category, content, expression, amount_text(amount)),
            )
    db.commit()
    db.execute("VACUUM")
    db.close()
    print("wrote", os.path.normpath(target))


if __name__ == "__main__":
    main()
