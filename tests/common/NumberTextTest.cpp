#include "common/NumberText.h"
#include "tests/common/TestText.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <iomanip>
#include <limits>
#include <random>
#include <vector>

namespace {

using Case = std::pair<double, const char16_t *>;

void expectForm(QString (*form)(double), std::initializer_list<Case> cases)
{
    for (const auto &[value, text] : cases)
        EXPECT_EQ(form(value), QString::fromUtf16(text)) << value;
}

TEST(Fixed2Text, TwoDecimalsHalvesAwayFromZero)
{
    expectForm(Fixed2Text,
               {Case{123, u"123.00"}, Case{88.8, u"88.80"}, Case{0.5, u"0.50"}, Case{0, u"0.00"},
                // Halves as the planner reads them, not as the binary double holds them.
                Case{1.005, u"1.01"}, Case{2.675, u"2.68"}, Case{1.015, u"1.02"}, Case{-1.005, u"-1.01"},
                Case{0.125, u"0.13"}, Case{0.333, u"0.33"}, Case{0.999, u"1.00"}, Case{9.995, u"10.00"},
                Case{99.999, u"100.00"}, Case{1.0049999, u"1.00"}, Case{-0.001, u"0.00"}, Case{-0.0, u"0.00"},
                Case{-2.5, u"-2.50"}, Case{1e15, u"1000000000000000.00"}, Case{1234567.891, u"1234567.89"},
                Case{std::numeric_limits<double>::infinity(), u"1E+309"}});
}

TEST(NumberText, FifteenSignificantDigits)
{
    expectForm(NumberText,
               {Case{45, u"45"}, Case{2.5, u"2.5"}, Case{0.5, u"0.5"}, Case{0, u"0"}, Case{-0.0, u"0"}, Case{-2, u"-2"},
                Case{123, u"123"}, Case{88.8, u"88.8"}, Case{123.45, u"123.45"}, Case{0.1 + 0.2, u"0.3"},
                Case{1.0 / 3, u"0.333333333333333"}, Case{100, u"100"}, Case{123456789012345.0, u"123456789012345"},
                Case{999999999999999.0, u"999999999999999"},
                // Exponent form from 1E+15 up, and below 1E-04.
                Case{1e15, u"1E+15"}, Case{1.5e20, u"1.5E+20"}, Case{9999999999999999.0, u"1E+16"},
                Case{1234567890123456.0, u"1.23456789012346E+15"}, Case{-1e15, u"-1E+15"}, Case{0.0001, u"0.0001"},
                Case{0.00012, u"0.00012"}, Case{0.00001, u"1E-05"}, Case{1.5e-7, u"1.5E-07"}, Case{1e300, u"1E+300"},
                Case{std::numeric_limits<double>::infinity(), u"1E+309"},
                Case{-std::numeric_limits<double>::infinity(), u"-1E+309"}});
}

TEST(NumberTextSingle, SevenSignificantDigits)
{
    expectForm([](double value) { return NumberTextSingle(float(value)); },
               {Case{12345678.0f, u"1.234568E+07"}, Case{25, u"25"}, Case{2.5f, u"2.5"}, Case{0.1f, u"0.1"},
                Case{45, u"45"}, Case{0, u"0"}, Case{1, u"1"}, Case{1234567, u"1234567"}, Case{10000000, u"1E+07"},
                Case{1.0f / 3, u"0.3333333"}, Case{-2, u"-2"}, Case{std::numeric_limits<float>::infinity(), u"1E+39"}});
}

// A number of few decimals is written straight from its digits, not the general way; the text must
// be the general form's, which Qt's own writing at the same precision gives where neither form
// takes an exponent (random values of up to five decimals).
TEST(NumberText, FewDecimalsAsTheGeneralFormWritesThem)
{
    std::vector<double> values = {108.5, -0.25,  0.0001,    0.00015,     99999999999.9999, 0.1 + 0.2, 2.675,
                                  0.3,   100.05, 1234.5678, -1e10 - 0.5, 1e11 + 0.5,       123456.75};
    std::mt19937_64 random(26);
    const double scales[] = {1, 10, 100, 1000, 10000, 100000};
    for (int i = 0; i < 20000; ++i) {
        values.push_back(double(std::int64_t(random() % 20000000000000) - 10000000000000) / scales[i % 6]);
        values.push_back(double(random() % 100000) / scales[i % 6]);
    }
    for (const double value : values) {
        if (std::fabs(value) >= 1e-4 && std::fabs(value) < 1e14)
            ASSERT_EQ(NumberText(value), QString::number(value, 'g', 15)) << std::setprecision(17) << value;
    }
    // In single precision a few decimals are seven digits at most (123456.75 has eight).
    expectForm([](double value) { return NumberTextSingle(float(value)); },
               {Case{108.5, u"108.5"}, Case{-0.25, u"-0.25"}, Case{1234.5, u"1234.5"}, Case{0.0625, u"0.0625"},
                Case{12345.25, u"12345.25"}, Case{123456.75, u"123456.8"}, Case{99999.5, u"99999.5"}});
}

} // namespace
