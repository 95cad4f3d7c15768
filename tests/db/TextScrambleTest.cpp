#include "db/TextScramble.h"
#include "tests/common/TestText.h"

#include <gtest/gtest.h>

namespace {

struct ScrambleCase
{
    const char16_t *plain;
    const char16_t *stored;
    const char16_t *decoded; // what the stored text reads back as
    const char *why;
};

// Worked by hand from the key "k4p9w3": position i uses key character (i mod 6) + 1, a character
// changes only when it lies in another block of 32 than its key character, and the result is
// stored reversed.
const ScrambleCase Cases[] = {
    {u"sa", u"aG", u"sa", "s^'4' = G; a^'p' = 0x11 < 32 keeps a"},
    {u"123456", u"]5C3B1", u"123456", "digits against digits stay; 2^'p' = B, 4^'w' = C, 6^'k' = ]"},
    {u"aaaaaaa", u"UaRaXaU", u"aaaaaaa", "the key comes round again at position 7"},
    {u"a b", u"[PU", u"a b", "a blank inside takes part: ' '^'p' = P"},
    {u"房间a", u"X间房", u"房间a", "two-byte characters stay but use up key positions"},
    {u"房\u00D7", u"\u00D7房", u"房\u00D7", "a mixed text of GBK two-byte characters is only reversed"},
    {u"3w9p4k", u"k4p9w3", u"3w9p4k", "what the Windows program stored for an empty box"},
    {u"  sa ", u"aG", u"sa", "blanks at either end are dropped"},
    {u"   ", u"", u"", "only blanks"},
    {u"", u"", u"", "nothing"},
    {u"\u3000", u"\u3000", u"\u3000", "a full-width space is no blank"},
    {u"xP", u" L", u"x", "'P'^'p' is a blank at the stored text's edge: decoding trims it"},
    {u"😀", u"😀", u"😀", "no GBK code: counts as '?', and '?'^'4' < 32 keeps it"},
};

TEST(TextScramble, HandCheckedValuesBothWays)
{
    for (const ScrambleCase &c : Cases) {
        EXPECT_EQ(EncodeText(QString::fromUtf16(c.plain)), QString::fromUtf16(c.stored)) << c.why;
        EXPECT_EQ(DecodeText(QString::fromUtf16(c.stored)), QString::fromUtf16(c.decoded)) << c.why;
    }
    EXPECT_EQ(DecodeText(QStringLiteral(" aG  ")), QStringLiteral("sa")) << "stored blanks are dropped too";
}

TEST(TextScramble, AnyTextEncodesToPrintableCharactersOneForOneAndBack)
{
    QString all;
    for (char16_t c = 33; c < 127; ++c) // a blank at either end would be trimmed
        all.append(QChar(c));
    const QString stored = EncodeText(all);
    ASSERT_EQ(stored.size(), all.size());
    for (QChar c : stored)
        EXPECT_TRUE(c.unicode() >= 32 && c.unicode() < 128);
    EXPECT_EQ(DecodeText(stored), all);
}

} // namespace
