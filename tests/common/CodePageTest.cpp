#include "common/CodePage.h"
#include "tests/common/TestText.h"

#include <gtest/gtest.h>

namespace {

// The bytes every build writes (nullptr where the code page has none): a settings file or a
// workbook written on one platform reads unchanged on the other. GBK here is Windows' (€ is its own
// addition), and a character without bytes has no best-fit look-alike (no "n" for ñ).
using Case = std::tuple<unsigned, const char16_t *, const char *>;

TEST(CodePage, SameBytesBothWaysOnEveryPlatform)
{
    for (const auto &[codePage, utf16, hex] :
         {Case{936, u"房", "b7bf"}, Case{936, u"单价: 123.00 \u00D7 45间", "b5a5bcdb3a203132332e303020a1c1203435bce4"},
          Case{936, u"\u20AC", "80"}, Case{936, u"\u00E9\u03A9", "a8a6a6b8"}, Case{936, u"\u00F1", nullptr},
          Case{936, u"\uD55C", nullptr}, Case{936, u"😀", nullptr}, Case{936, u"\xD800", nullptr},
          Case{1252, u"\u00E9\u20AC\u00D7", "e980d7"}, Case{1252, u"房", nullptr}, Case{932, u"房\u00D7", "965b817e"},
          Case{950, u"臺\u00D7", "bb4fa1d1"}, Case{1251, u"\u0416", "c6"}}) {
        SCOPED_TRACE(testing::PrintToString(codePage) + " " + testing::PrintToString(q(utf16)));
        const QString text = QString::fromUtf16(utf16);
        SCOPED_TRACE(testing::Message() << codePage << " " << text.toStdString());
        ASSERT_TRUE(CodePage::isSupported(codePage));
        bool ok = false;
        const QByteArray bytes = CodePage::fromUnicode(codePage, text, &ok);
        EXPECT_EQ(ok, hex != nullptr);
        EXPECT_EQ(CodePage::canEncode(codePage, text), hex != nullptr);
        if (!hex)
            continue;
        EXPECT_EQ(bytes.toHex(), QByteArray(hex));
        EXPECT_EQ(CodePage::toUnicode(codePage, QByteArray::fromHex(hex), &ok), text);
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
