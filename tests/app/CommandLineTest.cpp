#include "app/CommandLine.h"

#include <gtest/gtest.h>

#include <optional>

namespace {

struct Case
{
    const char16_t *arguments;
    bool hasQuery;
    const char16_t *query;
    std::optional<const char16_t *> headCount;
};

class CutCommandLineTest : public testing::TestWithParam<Case>
{
};

TEST_P(CutCommandLineTest, CutsQueryAndHeadCount)
{
    const Case &c = GetParam();
    const CommandLine cut = CutCommandLine(QString::fromUtf16(c.arguments));
    EXPECT_EQ(cut.hasQuery, c.hasQuery);
    EXPECT_EQ(cut.query, QString::fromUtf16(c.query));
    ASSERT_EQ(cut.headCountText.has_value(), c.headCount.has_value());
    if (c.headCount) {
        EXPECT_EQ(*cut.headCountText, QString::fromUtf16(*c.headCount));
    }
}

INSTANTIATE_TEST_SUITE_P(Forms, CutCommandLineTest,
                         testing::Values(Case{u"", false, u"", std::nullopt}, Case{u"    ", false, u"", std::nullopt},
                                         // A tab is not a blank: the command line is not empty.
                                         Case{u"\t", true, u"\t", std::nullopt}, Case{u"q", true, u"q", std::nullopt},
                                         Case{u"q#-#", true, u"q", u""}, Case{u"#-#5", true, u"", u"5"},
                                         Case{u"\"select x#-#12\"", true, u"select x", u"12\""},
                                         Case{u"\"select x\"#-#12", true, u"select x\"", u"12"},
                                         Case{u"  select x  #-#  12  ", true, u"select x", u"  12  "},
                                         Case{u"q#-#5#-#9", true, u"q", u"5"}, Case{u"a#-##-#b", true, u"a", u""},
                                         Case{u"q#-#5", true, u"q", u"5"}, Case{u"q #-# 5", true, u"q", u" 5"},
                                         Case{u"\"\"q", true, u"\"q", std::nullopt},
                                         Case{u"q#-5", true, u"q#-5", std::nullopt},
                                         Case{u"q#-#人数", true, u"q", u"人数"}));

TEST(CommandLine, IniPathIsJoinedAsText)
{
    EXPECT_TRUE(IniFilePathFor(QStringLiteral("/opt/quilvar")).endsWith(QStringLiteral("default.ini")));
    EXPECT_EQ(IniFilePathFor(QStringLiteral("/opt/quilvar")).size(), QStringLiteral("/opt/quilvar/default.ini").size());
    // A root directory already ends in a separator: the path gets two in a row, unchanged.
    EXPECT_EQ(IniFilePathFor(QStringLiteral("/")).size(), 13);
}

} // namespace
