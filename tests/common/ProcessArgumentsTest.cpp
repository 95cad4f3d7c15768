#include "common/ProcessArguments.h"
#include "tests/common/TestText.h"

#include <gtest/gtest.h>

namespace {

using Case = std::pair<const char16_t *, const char16_t *>;

// What a Windows host writes after the program's name reaches the program as written.
TEST(ProcessArguments, TextAfterProgramNameKeepsTheHostsQuotesAndSpacing)
{
    for (const auto &[commandLine, text] :
         {Case{u"\"C:\\Program Files\\Quilvar\\quilvar.exe\" \"select 项目 from t#-#25\"",
               u"\"select 项目 from t#-#25\""},
          Case{u"quilvar.exe  select  \"名称\"\tfrom t #-# 5 ", u"select  \"名称\"\tfrom t #-# 5 "},
          Case{u"D:\\报价\\quilvar.exe select x", u"select x"}, Case{u"\"D:\\a b\\q\"x.exe y", u"y"},
          Case{u"quilvar.exe", u""}, Case{u"quilvar.exe   ", u""}, Case{u"\"unclosed name", u""}}) {
        SCOPED_TRACE(testing::PrintToString(q(commandLine)));
        EXPECT_EQ(TextAfterProgramName(QString::fromUtf16(commandLine)), QString::fromUtf16(text))
            << QString::fromUtf16(commandLine).toStdString();
    }
}

} // namespace
