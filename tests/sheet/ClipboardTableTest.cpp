#include "sheet/ClipboardTable.h"
#include "sheet/CostLine.h"
#include "tests/sheet/TestRows.h"

#include <gtest/gtest.h>

namespace {

RowTexts row(const char16_t *a, const char16_t *b = u"", const char16_t *c = u"", const char16_t *d = u"")
{
    return {q(a), q(b), q(c), q(d)};
}

struct Case
{
    const char *what;
    const char16_t *text;
    QList<RowTexts> rows;
};

TEST(ClipboardTable, TabTextAndAsOneLine)
{
    const Case cases[] = {
        {"as Excel writes it: CR LF rows, a trailing row end",
         u"房\t如家\t单价: 200 × 2间\t400\r\n餐\t午餐\t\t90\r\n",
         {row(u"房", u"如家", u"单价: 200 × 2间", u"400"), row(u"餐", u"午餐", u"", u"90")}},
        {"as LibreOffice writes it: LF rows", u"车\t大巴\n导游\t\n", {row(u"车", u"大巴"), row(u"导游")}},
        {"no trailing row end", u"a\tb", {row(u"a", u"b")}},
        {"an empty row in the middle stays a row", u"a\r\n\r\nb\r\n", {row(u"a"), row(u""), row(u"b")}},
        {"a lone CR ends a row", u"a\rb", {row(u"a"), row(u"b")}},
        {"quoted cell with a CR LF, a tab and doubled quotes",
         u"\"第一行\r\n第二行\"\t\"x\ty\"\t\"5\"\"高\"\"\"\t1\r\n",
         {row(u"第一行\r\n第二行", u"x\ty", u"5\"高\"", u"1")}},
        {"a quoted cell with an LF", u"\"a\nb\"\tc\n", {row(u"a\nb", u"c")}},
        {"a quote inside an unquoted cell is literal", u"5\"\tb\"c\r\n", {row(u"5\"", u"b\"c")}},
        {"an opening quote without its close is literal", u"\"abc\tdef\r\n", {row(u"\"abc", u"def")}},
        {"text after a closing quote makes the cell literal", u"\"12\" x\ty\n", {row(u"\"12\" x", u"y")}},
        {"more than four columns: the rest ignored", u"1\t2\t3\t4\t5\t6\n", {row(u"1", u"2", u"3", u"4")}},
        {"spaces are kept", u" a \t  b\n", {row(u" a ", u"  b")}},
        {"nothing", u"", {}},
        {"blank rows at the end are no rows", u"餐\t午餐\t\t50\r\n\r\n\t\t\n", {row(u"餐", u"午餐", u"", u"50")}},
        {"nothing but line ends", u"\r\n\r\n\n", {}},
        {"a byte-order mark before a quoted first cell", u"\uFEFF\"a\tb\"\tc\r\n", {row(u"a\tb", u"c")}},
    };
    for (const Case &c : cases)
        EXPECT_EQ(ParseTabText(q(c.text)), c.rows) << c.what;

    // Pasted into one text box, the table is one line.
    const struct
    {
        const char16_t *text;
        bool dropTrailing;
        const char16_t *line;
    } oneLine[] = {
        {u"房\t如家\r\n餐\t午餐\r\n", true, u"房 如家 餐 午餐"},
        {u"a\rb\nc\x01\x7F", false, u"a b c"},
        {u"x\n", false, u"x "},
    };
    for (const auto &c : oneLine) {
        SCOPED_TRACE(testing::PrintToString(q(c.text)));
        EXPECT_EQ(AsOneLine(q(c.text), c.dropTrailing), q(c.line));
    }
}

TEST(ClipboardTable, HtmlTable)
{
    const Case cases[] = {
        {"as a spreadsheet writes it, with style, comments, line breaks in the source",
         u"<html><head><style>td {color:red}</style></head><body><!--StartFragment-->\r\n"
         u"<table border=0>\r\n <tr height=19>\r\n  <td class=xl65>房</td>\r\n  <td>如家&amp;汉庭</td>\r\n"
         u"  <td>单价: 200 &times; 2间</td><td align=right>400</td>\r\n </tr>\r\n"
         u" <tr><TD>餐</TD><td>午餐<br>晚餐</td><td></td><td>90.5</td></tr>\r\n</table><!--EndFragment--></body></"
         u"html>",
         {row(u"房", u"如家&汉庭", u"单价: 200 × 2间", u"400"), row(u"餐", u"午餐\n晚餐", u"", u"90.5")}},
        {"white space collapsed as shown, non-breaking space kept as a space",
         u"<table><tr><td>\n  a   b \n</td><td>&nbsp;x&#32;&#x41;</td></tr></table>",
         {row(u"a b", u" x A")}},
        {"merged cells take their positions",
         u"<table><tr><td colspan=\"2\">a</td><td>c</td></tr></table>",
         {row(u"a", u"", u"c")}},
        {"unclosed cells and rows", u"<table><tr><td>a<td>b<tr><td>c</table>", {row(u"a", u"b"), row(u"c")}},
        {"only the first table", u"<table><tr><td>a</td></tr></table><table><tr><td>b</td></tr></table>", {row(u"a")}},
        {"no table", u"<p>房 400</p>", {}},
        {"a tag cut off", u"<table><tr><td>a</td><td", {row(u"a")}},
        {"a bad character reference",
         u"<table><tr><td>&#xD800;&#99999999;&bogus;</td></tr></table>",
         {row(u"\uFFFD\uFFFD&bogus;")}},
    };
    for (const Case &c : cases)
        EXPECT_EQ(ParseHtmlTable(q(c.text)), c.rows) << c.what;
}

TEST(ClipboardTable, CopiedRowsReadBackUnchanged)
{
    const char16_t *texts[] = {u"房",         u"",    u"a\tb",     u"two\nlines", u"cr\r\nlf",
                               u"\"quoted\"", u"5\"", u" spaced ", u"\"",         u"单价: 200 × 2间 × 3人"};
    QList<CostLine> lines;
    QList<RowTexts> expected;
    for (const char16_t *t : texts) {
        lines.append(CostLine(QStringLiteral("9"), q(t), q(u"x") + q(t), q(t) + q(u"y"), q(t), true));
        expected.append(lines.last());
    }
    const QString text = RowsAsTabText(lines);
    EXPECT_TRUE(text.endsWith(u'\n'));
    EXPECT_FALSE(text.contains(u'9')) << "the row's number is not copied";
    EXPECT_EQ(ParseTabText(text), expected);
}

} // namespace
