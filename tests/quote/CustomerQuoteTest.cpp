#include "quote/CustomerQuote.h"

#include "common/IniFile.h"
#include "sheet/CostLine.h"
#include "tests/common/TestText.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

QList<CostLine> workedRows(bool withRooms = true, bool ticked = true)
{
    const std::tuple<const char16_t *, const char16_t *, const char *> rows[] = {
        {u"房", u"单价: 300.00 × 10间 × 5晚", "15000"}, {u"餐", u"单价: 50.00 × 20人 × 9餐", "9000"},
        {u"车", u"单价: 1200.00 × 6天", "7200"},        {u"导游", u"单价: 300.00 × 6天", "1800"},
        {u"景点门票", u"单价: 120.00 × 20人", "2400"},
    };
    QList<CostLine> out;
    for (const auto &[category, expression, amount] : rows) {
        if (withRooms || q(category) != q(u"房"))
            out.append({QString::number(out.size() + 1), q(category), q(u"内容"), q(expression), amount, ticked});
    }
    return out;
}

struct DocumentCase
{
    const char *name;
    QList<CostLine> rows;
    const char16_t *foc, *round, *childExcludes;
    // What the document shows: first group, first adult price, whether the child column shows,
    // whether the "15+1" note shows, the single supplement; or the start of the refusal.
    const char16_t *group, *adult;
    bool child, note;
    const char16_t *supplement, *refusal = u"";
};

TEST(CustomerQuote, ShowsOnlyWhatApplies)
{
    const QList<CostLine> zero{{"1", q(u"车"), {}, q(u"单价: 0.00 × 6天"), {}, true}};
    const DocumentCase cases[] = {
        {"WorkedExample", workedRows(), u"15", u"10", u"房", u"15+1", u"2620", true, true, u"920"},
        {"NoFreePlaces", workedRows(), u"0", u"10", u"房", u"15", u"2570", true, false, u"920"},
        {"ChildPaysAsAdult", workedRows(), u"15", u"10", u"", u"15+1", u"2620", false, true, u"920"},
        {"NoRoomLines", workedRows(false), u"15", u"10", u"房", u"15+1", u"1520", false, true, u""},
        // 2146 × 1.15 × 1.06 = 2615.974: up to the fen.
        {"NoRoundingStep", workedRows(), u"15", u"0", u"房", u"15+1", u"2615.98", true, true, u"914.25"},
        {"NothingTicked", workedRows(true, false), u"15", u"10", u"房", u"", u"", false, false, u"", u"没有勾选"},
        {"EveryPriceZero", zero, u"0", u"0", u"房", u"", u"", false, false, u"", u"每一档报价都不大于 0"},
    };
    for (const DocumentCase &c : cases) {
        SCOPED_TRACE(c.name);
        QuoteSettingTexts texts;
        texts.sizes = QStringLiteral("15,20");
        texts.freeEvery = q(c.foc);
        texts.staff = QStringLiteral("1");
        texts.rule = QStringLiteral("markup");
        texts.ruleValue = QStringLiteral("15");
        texts.tax = QStringLiteral("6");
        texts.round = q(c.round);
        texts.childExcludes = q(c.childExcludes);
        QuoteSettings settings;
        QString error;
        ASSERT_TRUE(ParseQuoteSettings(texts, MaxWindowSizes, &settings, &error)) << error.toStdString();
        CustomerQuote document;
        const bool made = MakeCustomerQuote(ComputeGroupQuote(c.rows, settings), c.rows, QuoteTexts(), AgencyDetails(),
                                            QString(), &document, &error);
        ASSERT_EQ(made, *c.refusal == 0) << error.toStdString();
        if (!made) {
            EXPECT_TRUE(error.contains(q(c.refusal))) << error.toStdString();
            continue;
        }
        EXPECT_EQ(document.prices.at(0).group, q(c.group));
        EXPECT_EQ(document.prices.at(0).adult, q(c.adult));
        EXPECT_EQ(document.showChild, c.child);
        EXPECT_EQ(!document.groupNote.isEmpty(), c.note);
        EXPECT_EQ(document.singleSupplement, q(c.supplement));
    }
}

TEST(CustomerQuote, PricesUpToTheFen)
{
    const std::pair<qint64, const char *> cases[] = {
        {26159740, "2615.98"}, {26159700, "2615.97"}, {1, "0.01"}, {-26159740, "-2615.97"}, {0, "0"}};
    for (const auto &[units, text] : cases)
        EXPECT_EQ(DocumentPrice(Amount::fromUnits(units)), QString::fromLatin1(text)) << units;
}

TEST(QuoteTexts, NumbersAndTheSheetsIncludes)
{
    const QDate day(2026, 12, 7);
    const std::pair<const char *, const char *> numbers[] = {{"", "20261207-01"},
                                                             {"20261207-01", "20261207-02"},
                                                             {"20261206-07", "20261207-01"},
                                                             {"20261207-99", "20261207-100"},
                                                             {"20261207-x", "20261207-01"}};
    for (const auto &[last, next] : numbers)
        EXPECT_EQ(NextQuoteNumber(QString::fromLatin1(last), day), QString::fromLatin1(next)) << last;

    const QList<CostLine> rows{
        {"1", q(u"房"), q(u"锦江酒店"), {}, {}, true},      {"2", q(u"餐"), q(u"团队餐"), {}, {}, true},
        {"3", q(u" 房 "), q(u"古城客栈"), {}, {}, true},    {"4", q(u"房"), q(u"锦江酒店"), {}, {}, true},
        {"5", q(u"车"), q(u"协议价 80/人"), {}, {}, false}, {"6", q(u"导游"), {}, {}, {}, true}};
    EXPECT_EQ(IncludesFromRows(rows), q(u"房：锦江酒店、古城客栈\n餐：团队餐\n导游"));

    QuoteTexts texts;
    texts.tourName = q(u"云南八日游");
    texts.quoteNumber = QStringLiteral("20261207-03");
    texts.issueDate = day;
    texts.validDays = 30;
    texts.includes = q(u"房：锦江酒店\n餐");
    EXPECT_EQ(QuoteTexts::fromJson(texts.toJson()), texts);
    EXPECT_EQ(DocumentDate(texts.validUntil()), q(u"2027年1月6日"));
    // Values that are not valid keep their defaults.
    const QuoteTexts broken = QuoteTexts::fromJson(QJsonObject{{"validDays", -3}, {"issueDate", "7.12.2026"}});
    EXPECT_EQ(broken.validDays, 15);
    EXPECT_FALSE(broken.issueDate.isValid());
}

TEST(AgencyDetails, KeptInTheSettingsFile)
{
    QTemporaryDir dir;
    const QString ini = dir.filePath(QStringLiteral("default.ini"));
    QFile file(ini);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    const QByteArray connection = "[ConnServ]\r\nDATA SOURCE = \xb7\xfe\xce\xf1\xc6\xf7\r\n"; // 服务器, GBK
    file.write(connection);
    file.close();

    AgencyDetails details{q(u"云南山水国际旅行社"),
                          q(u"昆明市青年路 100 号"),
                          QStringLiteral("0871-63123456"),
                          q(u"李明"),
                          QStringLiteral("L-YN-CJ00123"),
                          QString(),
                          QString()};
    // Long terms, with line breaks, backslashes and blanks where the stored pieces meet.
    details.footer = q(u"1. 订金 30%\\n 不是换行\n") + QString(57, u'款') + QStringLiteral("  x ") +
                     QString(200, u'退') + q(u"\n3. 完");
    QString error;
    ASSERT_TRUE(WriteAgencyDetails(details, ini, &error)) << error.toStdString();
    EXPECT_EQ(ReadAgencyDetails(ini), details);
    details.footer = q(u"短");
    ASSERT_TRUE(WriteAgencyDetails(details, ini, &error));
    EXPECT_EQ(ReadAgencyDetails(ini).footer, q(u"短"));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_TRUE(file.readAll().startsWith(connection)) << "the other lines keep their bytes";
    file.close();

    const QString png = dir.filePath(QStringLiteral("logo.png")), text = dir.filePath(QStringLiteral("logo.txt"));
    for (const auto &[path, bytes] : {std::pair{png, QByteArray("\x89PNG\r\n\x1a\n....")}, {text, QByteArray("PNG")}}) {
        QFile out(path);
        ASSERT_TRUE(out.open(QIODevice::WriteOnly));
        out.write(bytes);
    }
    QString name;
    ASSERT_TRUE(CopyAgencyLogo(png, ini, &name, &error)) << error.toStdString();
    details.logo = name;
    EXPECT_EQ(AgencyLogoPath(details, ini), dir.filePath(QStringLiteral("agency-logo.png")));
    EXPECT_FALSE(CopyAgencyLogo(text, ini, &name, &error));
    EXPECT_TRUE(error.contains(q(u"不是 PNG 或 JPEG 图片"))) << error.toStdString();
}

} // namespace
