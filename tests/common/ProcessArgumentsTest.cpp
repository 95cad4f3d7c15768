#include "common/ProcessArguments.h"

#include <gtest/gtest.h>

namespace {

struct Case
{
    const char *name;
    const char16_t *commandLine;
    const char16_t *text;
};

// Raw Windows command lines as hosts write them; Wine quotes a program path before the program
// sees it, so only this table shows what real Windows hands over.
TEST(ProcessArguments, TextAfterProgramNameFindsTheProgramHoweverTheHostWroteIt)
{
    const QStringList paths{QStringLiteral("C:\\Program Files\\Quilvar 2\\quilvar.exe"),
                            QStringLiteral("C:\\PROGRA~1\\QUILVA~1\\quilvar.exe")};
    const Case cases[] = {
        {"quoted path, quoted query", u"\"C:\\Program Files\\Quilvar 2\\quilvar.exe\" \"select 项目 from t#-#25\"",
         u"\"select 项目 from t#-#25\""},
        {"unquoted path with a blank", u"C:\\Program Files\\Quilvar 2\\quilvar.exe select 项目 from t#-#25",
         u"select 项目 from t#-#25"},
        {"other case, no .exe", u"c:\\program files\\QUILVAR 2\\Quilvar select x", u"select x"},
        {"short form", u"C:\\PROGRA~1\\QUILVA~1\\quilvar select x", u"select x"},
        {"tab after the name", u"C:\\Program Files\\Quilvar 2\\quilvar.exe\t select\tx ", u"select\tx "},
        {"name left out by CreateProcess", u"select \"名称\" from t where p = 'C:\\a\\' #-#5",
         u"select \"名称\" from t where p = 'C:\\a\\' #-#5"},
        {"name only", u"C:\\Program Files\\Quilvar 2\\quilvar.exe", u""},
        {"App Paths name", u"quilvar  select  \"名称\"\tfrom t #-# 5 ", u"select  \"名称\"\tfrom t #-# 5 "},
        {"another form of the folder", u"\\\\server\\share\\Quilvar dir\\quilvar.exe select x", u"select x"},
        {"relative path, inner quotes", u"\"Quilvar\"\\quilvar.exe \"a \\\"b\\\\\" c", u"\"a \\\"b\\\\\" c"},
        {"folder named like the program", u"D:\\quilvar x\\quilvar.exe select x", u"select x"},
        {"quoted folder named like the program", u"\"D:\\quilvar x\\quilvar\" select x", u"select x"},
        {"some other program path", u"D:\\报价\\other.exe select x", u"select x"},
        {"unclosed quote", u"\"D:\\a b\\other.exe x", u""},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(TextAfterProgramName(QString::fromUtf16(c.commandLine), paths).toStdString(),
                  QString::fromUtf16(c.text).toStdString());
    }
}

} // namespace
