#include "app/CommandLine.h"

#include <gtest/gtest.h>

#include <optional>

namespace {

TEST(CommandLine, CutsQueryAndHeadCount)
{
    const struct
    {
        const char16_t *arguments;
        bool hasQuery;
        const char16_t *query;
        std::optional<const char16_t *> headCount;
    } cases[] = {{u"", false, u"", std::nullopt},
                 {u"    ", false, u"", std::nullopt},
                 // A tab is not a blank: the command line is not empty.
                 {u"\t", true, u"\t", std::nullopt},
                 {u"q", true, u"q", std::nullopt},
                 {u"q#-#", true, u"q", u""},
                 {u"#-#5", true, u"", u"5"},
                 {u"\"select x#-#12\"", true, u"select x", u"12\""},
                 {u"\"select x\"#-#12", true, u"select x\"", u"12"},
                 {u"  select x  #-#  12  ", true, u"select x", u"  12  "},
                 {u"q#-#5#-#9", true, u"q", u"5"},
                 {u"a#-##-#b", true, u"a", u""},
                 {u"q#-#5", true, u"q", u"5"},
                 {u"q #-# 5", true, u"q", u" 5"},
                 {u"\"\"q", true, u"\"q", std::nullopt},
                 {u"q#-5", true, u"q#-5", std::nullopt},
                 {u"q#-#人数", true, u"q", u"人数"}};
    for (const auto &c : cases) {
        const CommandLine cut = CutCommandLine(QString::fromUtf16(c.arguments));
        EXPECT_EQ(cut.hasQuery, c.hasQuery);
        EXPECT_EQ(cut.query, QString::fromUtf16(c.query));
        EXPECT_EQ(cut.headCountText, c.headCount ? std::optional(QString::fromUtf16(*c.headCount)) : std::nullopt)
            << QString::fromUtf16(c.arguments).toStdString();
    }
}

TEST(CommandLine, IniPathIsJoinedAsText)
{
    EXPECT_TRUE(IniFilePathFor(QStringLiteral("/opt/quilvar")).endsWith(QStringLiteral("default.ini")));
    EXPECT_EQ(IniFilePathFor(QStringLiteral("/opt/quilvar")).size(), QStringLiteral("/opt/quilvar/default.ini").size());
    // A root directory already ends in a separator: the path gets two in a row, unchanged.
    EXPECT_EQ(IniFilePathFor(QStringLiteral("/")).size(), 13);
}

} // namespace
