#include "common/LeadingNumber.h"
#include "common/NumberReading.h"

#include <QString>

#include <gtest/gtest.h>

#include <limits>

namespace {

constexpr double Inf = std::numeric_limits<double>::infinity();

using Case = std::pair<const char16_t *, double>;

TEST(LeadingNumber, ReadsTheLeadingNumber)
{
    for (const auto &[text, expected] :
         {// Plain numbers and the unit words that follow them.
          Case{u"12.5间", 12.5}, Case{u"45", 45}, Case{u"0.5", 0.5}, Case{u".5", 0.5}, Case{u"5.", 5}, Case{u"-2", -2},
          Case{u"+3", 3}, Case{u"007", 7},
          // Blanks, tabs and line feeds vanish wherever they stand; other characters end the number.
          Case{u"1 000", 1000}, Case{u" 4 5", 45}, Case{u"\t1\n2", 12}, Case{u"- 2", -2}, Case{u"1\r2", 1},
          Case{u"1,234.50", 1}, Case{u"2.5.1天", 2.5}, Case{u"1.2.3", 1.2}, Case{u"１２", 0},
          // Exponents, with E or D in either case; an exponent without digits is not part of it.
          Case{u"1E3", 1000}, Case{u"1e-2", 0.01}, Case{u"2D2", 200}, Case{u"2d+2", 200}, Case{u"1E", 1},
          Case{u"1E+", 1}, Case{u"3e x", 3}, Case{u"1 E 2", 100},
          // Hexadecimal and octal integers.
          Case{u"&H1F", 31}, Case{u"&hff", 255}, Case{u"&O17", 15}, Case{u"&o8", 0}, Case{u"& H 10", 16},
          Case{u"&X1", 0}, Case{u"&", 0}, Case{u"&H", 0},
          // No number at all.
          Case{u"", 0}, Case{u"abc", 0}, Case{u"-", 0}, Case{u".", 0}, Case{u"+.", 0}, Case{u"单价", 0}, Case{u"e5", 0},
          // The nearest double, as the compiler reads the same text.
          Case{u"0.1", 0.1}, Case{u"333.3333", 333.3333}, Case{u"922337203685477.5807", 922337203685477.5807},
          // Beyond the double range: infinity or zero, whatever the exponent's length.
          Case{u"1e400", Inf}, Case{u"-1e400", -Inf}, Case{u"1e-400", 0}, Case{u"0e99999999999999999999", 0},
          Case{u"0.0001e99999999999999999999", Inf}, Case{u"1000e-99999999999999999999", 0}}) {
        qsizetype length = 0;
        EXPECT_EQ(LeadingNumber(QStringView(text), &length), expected) << QString::fromUtf16(text).toStdString();
        // The part a reading is explained by is the part that reads.
        EXPECT_EQ(LeadingNumber(QStringView(text).left(length)), expected) << QString::fromUtf16(text).toStdString();
    }
    // Long digit runs are read exactly.
    EXPECT_DOUBLE_EQ(LeadingNumber(QStringLiteral("0.") + QString(5000, u'3')), 1.0 / 3.0);
    EXPECT_EQ(LeadingNumber(QStringLiteral("1") + QString(300, u'0')), 1e300);
    EXPECT_EQ(LeadingNumber(QString(400, u'9')), Inf);
}

using Explained = std::pair<const char16_t *, const char16_t *>;

TEST(LeadingNumber, ExplainsAReadingThatIsNotWhole)
{
    for (const auto &[text, explanation] :
         {Explained{u"1,900", u"只读到 1：“,” 之后的文字不算数"}, Explained{u"￥1900", u"读作 0：“￥” 不是数字"},
          Explained{u"三十", u"读作 0：“三”是中文数字，请用阿拉伯数字"},
          Explained{u"３０人", u"读作 0：“３”是全角数字，请用半角数字"},
          Explained{u"30.5.1", u"只读到 30.5：“.” 之后的文字不算数"},
          Explained{u"12万", u"只读到 12：“万”是中文数字，请用阿拉伯数字"},
          Explained{u"3间2", u"只读到 3：“间” 之后的文字不算数"},
          // Read wholly: nothing to say.
          Explained{u"", u""}, Explained{u"1900", u""}, Explained{u" 1 000 ", u""}, Explained{u"30人", u""},
          Explained{u"2.5晚", u""}, Explained{u"1e3", u""}, Explained{u"&H1F", u""}}) {
        const NumberReading reading = ExplainReading(text);
        EXPECT_EQ(reading.explanation, QString::fromUtf16(explanation)) << QString::fromUtf16(text).toStdString();
        EXPECT_EQ(reading.whole, reading.explanation.isEmpty());
        EXPECT_EQ(reading.value, LeadingNumber(text));
    }
}

} // namespace
