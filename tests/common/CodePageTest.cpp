#include "common/CodePage.h"

#include <gtest/gtest.h>

namespace {

struct Case
{
    unsigned codePage;
    const char16_t *text;
    const char *hex; // the bytes every build writes; nullptr where the code page has none
};

// The same bytes on every build: a settings file or a workbook written on one platform reads
// unchanged on the other.
const Case Cases[] = {
    {936, u"房", "b7bf"},
    {936, u"单价: 123.00 \u00D7 45间", "b5a5bcdb3a203132332e303020a1c1203435bce4"},
    {936, u"\u20AC", "80"}, // Windows' own addition to GBK
    {936, u"\u00E9\u03A9", "a8a6a6b8"},
    {936, u"\u00F1", nullptr}, // no best-fit "n" in its place
    {936, u"\uD55C", nullptr},
    {936, u"😀", nullptr},
    {936, u"\xD800", nullptr},
    {1252, u"\u00E9\u20AC\u00D7", "e980d7"},
    {1252, u"房", nullptr},
    {932, u"房\u00D7", "965b817e"},
    {950, u"臺\u00D7", "bb4fa1d1"},
    {1251, u"\u0416", "c6"},
};

TEST(CodePage, SameBytesBothWaysOnEveryPlatform)
{
    for (const Case &c : Cases) {
        const QString text = QString::fromUtf16(c.text);
        SCOPED_TRACE(testing::Message() << c.codePage << " " << text.toStdString());
        ASSERT_TRUE(CodePage::isSupported(c.codePage));
        bool ok = false;
        const QByteArray bytes = CodePage::fromUnicode(c.codePage, text, &ok);
        EXPECT_EQ(ok, c.hex != nullptr);
        EXPECT_EQ(CodePage::canEncode(c.codePage, text), c.hex != nullptr);
        if (!c.hex)
            continue;
        EXPECT_EQ(bytes.toHex(), QByteArray(c.hex));
        EXPECT_EQ(CodePage::toUnicode(c.codePage, QByteArray::fromHex(c.hex), &ok), text);
        EXPECT_TRUE(ok);
    }
}

TEST(CodePage, UndefinedBytesAreNoticed)
{
    for (const char *hex : {"81", "b7", "8120"}) {
        bool ok = true;
        CodePage::toUnicode(CodePage::Gbk, QByteArray::fromHex(hex), &ok);
        EXPECT_FALSE(ok) << hex;
    }
    bool ok = true;
    EXPECT_EQ(CodePage::toUnicode(54321, "abc", &ok), QString());
    EXPECT_FALSE(ok);
    EXPECT_FALSE(CodePage::isSupported(54321));
}

} // namespace
