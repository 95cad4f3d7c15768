#include "db/TextScramble.h"

#include <gtest/gtest.h>

namespace {

struct ScrambleCase
{
    const char16_t *plain;
    const char16_t *stored;
    const char *why;
};

// Worked by hand from the key "k4p9w3": position i uses key character (i mod 6) + 1, a character
// changes only when it lies in another block of 32 than its key character, and the result is
// stored reversed.
const ScrambleCase RoundTrips[] = {
    {u"sa", u"aG", "s^'4' = G; a^'p' = 0x11 < 32 keeps a"},
    {u"123456", u"]5C3B1", "digits against digits stay; 2^'p' = B, 4^'w' = C, 6^'k' = ]"},
    {u"aaaaaaa", u"UaRaXaU", "the key comes round again at position 7"},
    {u"a b", u"[PU", "a blank inside takes part: ' '^'p' = P"},
    {u"房间a", u"X间房", "two-byte characters stay but use up key positions"},
    {u"房\u00D7", u"\u00D7房", "a mixed text of GBK two-byte characters is only reversed"},
};

TEST(TextScramble, HandCheckedValuesBothWays)
{
    for (const ScrambleCase &c : RoundTrips) {
        const QString plain = QString::fromUtf16(c.plain);
        const QString stored = QString::fromUtf16(c.stored);
        EXPECT_EQ(EncodeText(plain), stored) << c.why;
        EXPECT_EQ(DecodeText(stored), plain) << c.why;
    }
}

TEST(TextScramble, BlanksAndTheEmptyText)
{
    EXPECT_EQ(EncodeText(QStringLiteral("  sa ")), QStringLiteral("aG"));
    EXPECT_EQ(DecodeText(QStringLiteral(" aG  ")), QStringLiteral("sa"));
    EXPECT_EQ(EncodeText(QStringLiteral("   ")), QString());
    EXPECT_EQ(DecodeText(QStringLiteral("   ")), QString());
    EXPECT_EQ(EncodeText(QString()), QString());
    EXPECT_EQ(DecodeText(QString()), QString());
    // Tabs and full-width spaces are not blanks.
    EXPECT_EQ(EncodeText(QStringLiteral("\u3000")), QStringLiteral("\u3000"));
}

TEST(TextScramble, AnEdgeThatEncodesAsABlankIsLost)
{
    // 'P' ^ 'p' is a blank at position 2: the stored text starts with it and decoding trims it.
    EXPECT_EQ(EncodeText(QStringLiteral("xP")), QStringLiteral(" L"));
    EXPECT_EQ(DecodeText(QStringLiteral(" L")), QStringLiteral("x"));
}

TEST(TextScramble, StoredLogInFromAWindowsInstallation)
{
    // The key text is what the Windows program stored for an empty box; it decodes by the rule.
    EXPECT_EQ(DecodeText(QStringLiteral("k4p9w3")), QStringLiteral("3w9p4k"));
    EXPECT_EQ(DecodeText(EncodeText(QStringLiteral("Tour#2024!pwd"))), QStringLiteral("Tour#2024!pwd"));
}

TEST(TextScramble, AnyTextEncodesToPrintableCharactersOneForOne)
{
    QString all;
    for (char16_t c = 33; c < 127; ++c) // a blank at either end would be trimmed
        all.append(QChar(c));
    const QString stored = EncodeText(all);
    ASSERT_EQ(stored.size(), all.size());
    for (QChar c : stored)
        EXPECT_TRUE(c.unicode() >= 32 && c.unicode() < 128);
    // An emoji has no GBK code: it counts as "?" and does not crash.
    EXPECT_EQ(EncodeText(QStringLiteral("😀")), QStringLiteral("😀")); // "?" ^ '4' < 32: kept
}

} // namespace
