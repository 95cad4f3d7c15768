#pragma once

#include <QDate>
#include <QJsonObject>
#include <QList>
#include <QString>

struct CostLine;

// The texts one customer quote carries besides its prices: what the planner writes for this tour.
struct QuoteTexts
{
    QString tourName;
    QString tourDate;
    QString quoteNumber; // "20261207-01"
    QDate issueDate;     // the date of issue
    int validDays = 15;  // the quote holds until issueDate + validDays
    QString childRule = QStringLiteral("2–11岁，不占床");
    QString includes; // 费用包含, one item a line
    QString excludes; // 费用不含

    QDate validUntil() const { return issueDate.addDays(validDays); }
    bool operator==(const QuoteTexts &other) const = default;

    // Keys: tourName, tourDate, quoteNumber, issueDate ("2026-12-07"), validDays, childRule,
    // includes, excludes. fromJson keeps the default of every key that is missing or not valid.
    QJsonObject toJson() const;
    static QuoteTexts fromJson(const QJsonObject &object);
};

// The longest validity in days, and the date format the documents use ("2026年12月22日").
constexpr int MaxValidDays = 3650;
QString DocumentDate(QDate date);

// 费用包含 as the sheet gives it: one line per category of the ticked rows, in the order the
// categories first appear, with the descriptions of its rows (each once): "房：锦江酒店、古城客栈".
QString IncludesFromRows(const QList<CostLine> &rows);

// The next quote number on the day: the date and a running number, one more than the last number
// of that day ("20261207-01" after a number of another day or none).
QString NextQuoteNumber(const QString &lastNumber, QDate today);
