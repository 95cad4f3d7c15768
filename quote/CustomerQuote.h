#pragma once

#include "quote/AgencyDetails.h"
#include "quote/GroupQuote.h"
#include "quote/QuoteTexts.h"

#include <QList>
#include <QString>

// What the customer's quote shows: the agency's letterhead, the prices and what they include, and
// never a cost, a tax, a profit or a margin, so that the customer cannot learn the agency's costs
// from it. Prices have at most two decimals, rounded up to the fen.
struct CustomerQuote
{
    struct Price
    {
        QString group; // "15+1"
        QString adult;
        QString child;
    };
    AgencyDetails agency;
    QString logoPath; // the logo's full path, or empty
    QuoteTexts texts;
    QList<Price> prices;
    bool showChild = false;   // only when a child price differs from the adult price
    QString groupNote;        // what "15+1" means, only when a size has free places
    QString singleSupplement; // only when there are room lines (a supplement above 0)
};

// False with a message when no document may be made: a figure left the money range, no row is
// ticked, or no price is above 0.
bool MakeCustomerQuote(const GroupQuote &quote, const QList<CostLine> &rows, const QuoteTexts &texts,
                       const AgencyDetails &agency, const QString &logoPath, CustomerQuote *out, QString *error);

// A price as the documents show it: up to the fen, at most two decimals.
QString DocumentPrice(Amount amount);

// The fixed texts both documents use.
namespace CustomerQuoteText {
inline QString title()
{
    return QStringLiteral("报价单");
}
inline QString quoteNumber()
{
    return QStringLiteral("报价编号");
}
inline QString issueDate()
{
    return QStringLiteral("报价日期");
}
inline QString validity(QDate until)
{
    return QStringLiteral("报价有效期至 ") + DocumentDate(until);
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
    return QStringLiteral("儿童价（元/人）");
}
inline QString childRule()
{
    return QStringLiteral("儿童标准");
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
inline QString terms()
{
    return QStringLiteral("预订须知");
}
inline QString address()
{
    return QStringLiteral("地址");
}
inline QString telephone()
{
    return QStringLiteral("电话");
}
inline QString contact()
{
    return QStringLiteral("联系人");
}
inline QString licence()
{
    return QStringLiteral("经营许可证号");
}
inline QString page(int number, int count)
{
    return QStringLiteral("第 %1 页，共 %2 页").arg(number).arg(count);
}
} // namespace CustomerQuoteText

// The agency's contacts, the parts that are set: "地址：…" on a line, "电话：…　联系人：…　经营许可证号：…"
// on the next.
QString AgencyContactLine(const AgencyDetails &agency);
// The lines under the title: number, date of issue, validity, tour name and date, each "label：value".
QStringList QuoteHeadLines(const CustomerQuote &quote);

// The documents: a PDF (A4, the fonts embedded) and a workbook with one worksheet 报价单. Each
// replaces the file at path only once it is complete; false with the reason otherwise.
bool WriteCustomerQuotePdf(const CustomerQuote &quote, const QString &path, QString *error);
bool WriteCustomerQuoteWorkbook(const CustomerQuote &quote, const QString &path, QString *error);
