#include "common/ProcessArguments.h"

#include <gtest/gtest.h>

namespace {

struct Case
{
    const char16_t *commandLine;
    const char16_t *text;
};

// What a Windows host writes after the program's name reaches the program as written.
const Case Cases[] = {
    {u"\"C:\\Program Files\\Quilvar\\quilvar.exe\" \"select 项目 from t#-#25\"", u"\"select 项目 from t#-#25\""},
    {u"quilvar.exe  select  \"名称\"\tfrom t #-# 5 ", u"select  \"名称\"\tfrom t #-# 5 "},
    {u"D:\\报价\\quilvar.exe select x", u"select x"},
    {u"\"D:\\a b\\q\"x.exe y", u"y"},
    {u"quilvar.exe", u""},
    {u"quilvar.exe   ", u""},
    {u"\"unclosed name", u""},
};

TEST(ProcessArguments, TextAfterProgramNameKeepsTheHostsQuotesAndSpacing)
{
    for (const Case &c : Cases)
        EXPECT_EQ(TextAfterProgramName(QString::fromUtf16(c.commandLine)), QString::fromUtf16(c.text))
            << QString::fromUtf16(c.commandLine).toStdString();
}

} // namespace
