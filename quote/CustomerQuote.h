#pragma once

#include "quote/GroupQuote.h"

#include <QList>
#include <QString>

// What the customer's quote shows: the prices and what they include, and never a cost, a tax, a
// profit or a margin, so that the customer cannot learn the agency's costs from it.
struct CustomerQuote
{
    struct Price
    {
        QString group; // "15+1"
        QString adult;
        QString child;
    };
    struct Included
    {
        QString category;
        QString content;
    };
    QString tourName;
    QString tourDate;
    QList<Price> prices;
    QString singleSupplement;
    QList<Included> includes; // every ticked line that names something
    QString excludes;         // free text, lines kept
};

// False with a message when a figure left the money range (no document may show it).
bool MakeCustomerQuote(const GroupQuote &quote, const QList<CostLine> &rows, const QString &tourName,
                       const QString &tourDate, const QString &excludes, CustomerQuote *out, QString *error);

// The fixed texts both documents use.
namespace CustomerQuoteText {
inline QString title()
{
    return QStringLiteral("报价单");
}
inline QString tourName()
{
    return QStringLiteral("团名");
}
inline QString tourDate()
{
    return QStringLiteral("日期");
}
inline QString group()
{
    return QStringLiteral("人数");
}
inline QString adult()
{
    return QStringLiteral("成人价（元/人）");
}
inline QString child()
{
    return QStringLiteral("儿童价（元/人，不占床）");
}
inline QString groupNote()
{
    return QStringLiteral("人数“15+1”即 15 位付费客人另加 1 个免费名额。");
}
inline QString singleSupplement()
{
    return QStringLiteral("单房差（元/人）");
}
inline QString includes()
{
    return QStringLiteral("费用包含");
}
inline QString excludes()
{
    return QStringLiteral("费用不含");
}
} // namespace CustomerQuoteText

// The documents: a PDF (A4, the fonts embedded) and a workbook with one worksheet 报价单. Each
// replaces the file at path only once it is complete; false with the reason otherwise.
bool WriteCustomerQuotePdf(const CustomerQuote &quote, const QString &path, QString *error);
bool WriteCustomerQuoteWorkbook(const CustomerQuote &quote, const QString &path, QString *error);
