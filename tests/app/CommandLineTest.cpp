#include "app/CommandLine.h"
#include "tests/common/TestText.h"

#include <gtest/gtest.h>

#include <optional>

namespace {

TEST(CommandLine, CutsQueryAndHeadCount)
{
    // The arguments, whether there is a query, the query and the head count's text. A tab is not a
    // blank: the command line is not empty.
    using C = std::tuple<const char16_t *, bool, const char16_t *, std::optional<const char16_t *>>;
    const std::nullopt_t none = std::nullopt;
    for (const auto &[arguments, hasQuery, query, headCount] :
         {C{u"", false, u"", none}, C{u"    ", false, u"", none}, C{u"\t", true, u"\t", none},
          C{u"q", true, u"q", none}, C{u"q#-#", true, u"q", u""}, C{u"#-#5", true, u"", u"5"},
          C{u"\"select x#-#12\"", true, u"select x", u"12\""}, C{u"\"select x\"#-#12", true, u"select x\"", u"12"},
          C{u"  select x  #-#  12  ", true, u"select x", u"  12  "}, C{u"q#-#5#-#9", true, u"q", u"5"},
          C{u"a#-##-#b", true, u"a", u""}, C{u"q#-#5", true, u"q", u"5"}, C{u"q #-# 5", true, u"q", u" 5"},
          C{u"\"\"q", true, u"\"q", none}, C{u"q#-5", true, u"q#-5", none}, C{u"q#-#人数", true, u"q", u"人数"}}) {
        SCOPED_TRACE(testing::PrintToString(q(arguments)));
        const CommandLine cut = CutCommandLine(QString::fromUtf16(arguments));
        EXPECT_EQ(cut.hasQuery, hasQuery);
        EXPECT_EQ(cut.query, QString::fromUtf16(query));
        EXPECT_EQ(cut.headCountText, headCount ? std::optional(QString::fromUtf16(*headCount)) : std::nullopt)
            << QString::fromUtf16(arguments).toStdString();
    }
}

TEST(CommandLine, IniPathIsJoinedAsText)
{
    EXPECT_TRUE(IniFilePathFor(QStringLiteral("/opt/quilvar")).endsWith(QStringLiteral("default.ini")));
    EXPECT_EQ(IniFilePathFor(QStringLiteral("/opt/quilvar")).size(), QStringLiteral("/opt/quilvar/default.ini").size());
    // A root directory already ends in a separator: the path gets two in a row, unchanged.
    EXPECT_EQ(IniFilePathFor(QStringLiteral("/")).size(), 13);
}

// The portable folder keeps its file beside the program; an installed program, whose folder only
// administrators may write, keeps it in the shared folder, unless an administrator put one beside it.
TEST(CommandLine, SettingsFileOfAPortableAndOfAnInstalledProgram)
{
    const QString dir = QStringLiteral("C:/Program Files/Quilvar"), shared = QStringLiteral("C:/ProgramData/Quilvar");
    const QString beside = IniFilePathFor(dir), inShared = IniFilePathFor(shared);
    const std::tuple<const char *, SettingsPlace, QString> cases[] = {
        {"portable folder", {dir, shared, false, false}, beside},
        {"installed", {dir, shared, false, true}, inShared},
        {"installed, an administrator's file beside", {dir, shared, true, true}, beside},
        {"no shared folder on this system", {dir, QString(), false, true}, beside},
    };
    for (const auto &[name, place, expected] : cases) {
        SCOPED_TRACE(name);
        EXPECT_EQ(ChooseSettingsFile(place).toStdString(), expected.toStdString());
    }
}

} // namespace
