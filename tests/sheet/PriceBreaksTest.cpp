#include "sheet/PriceBreaks.h"
#include "sheet/CostSheet.h"
#include "tests/sheet/TestRows.h"

#include <gtest/gtest.h>

namespace {

TEST(PriceBreaks, HeadCountListAndEachBreak)
{
    // Each case is the list, "=", what it reads as split at "|" (nothing: refused). A thousands separator
    // reads as two head counts.
    for (const char16_t *c : {u"16,20,25,30=16|20|25|30", u" 8 , 12.5=8|12.5", u"16=16", u"=", u"16,,20=", u"16,=",
                              u"0,16=", u"-5=", u"16人=", u"1e3=", u"&H10=", u"1,234.50=1|234.50", u"1234567890="}) {
        const QString list = q(c).section(u'=', 0, 0);
        const QStringList expected = q(c).section(u'=', 1).split(u'|', Qt::SkipEmptyParts);
        QStringList parsed{"left over"};
        QString error;
        const bool ok = ParseHeadCountList(list, &parsed, &error);
        EXPECT_EQ(ok, !expected.isEmpty()) << list.toStdString();
        EXPECT_EQ(parsed, expected) << list.toStdString();
        EXPECT_EQ(error.isEmpty(), ok) << list.toStdString();
    }
    QStringList parsed;
    QString error;
    EXPECT_FALSE(
        ParseHeadCountList(QStringLiteral("1") + QStringLiteral(",1").repeated(MaxPriceBreaks), &parsed, &error));

    // Each break is a refresh of the sheet as it stands.
    CostSheet sheet;
    sheet.setRow(1, {"1", q(u"房"), {}, q(u"单价: 200 × 2间 × 3人"), "1200", true}); // 400 a head
    sheet.setRow(2, {"2", q(u"餐"), {}, q(u"单价: 50 × 3人"), "150", true});         // 50 a head
    sheet.setRow(3, {"3", q(u"车"), {}, q(u"单价: 800 × 2天"), "1600", true});       // fixed
    sheet.setRow(4, {"4", q(u"导游"), {}, {}, "300", true});                         // no expression
    sheet.setRow(5, {"5", q(u"其它"), {}, q(u"单价: 1000 × 3人"), "3000", false});   // not ticked
    sheet.setText3("3");
    sheet.RefreshTotals();
    const QList<CostLine> rows = sheet.rows();

    const QList<PriceBreak> breaks = PriceBreaks(sheet, {"10", "16", "3", "7"});
    // 450 a head plus 1,900, divided by the head count.
    const QList<PriceBreak> expected = {
        {"10", "6400", "640"}, {"16", "9100", "568.75"}, {"3", "3250", "1083.3333"}, {"7", "5050", "721.4286"}};
    EXPECT_EQ(breaks, expected);
    EXPECT_EQ(sheet.rows(), rows);
    EXPECT_EQ(sheet.Text3(), "3");
    EXPECT_EQ(sheet.Text1(), "3250");
}

} // namespace
