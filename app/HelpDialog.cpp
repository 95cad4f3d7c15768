#include "app/HelpDialog.h"

#include "app/AppTexts.h"
#include "app/FixedDialog.h"
#include "app/UiFont.h"
#include "costline/Twips.h"

#include <QAbstractTextDocumentLayout>
#include <QFontMetricsF>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>

QString HelpDialog::HelpText()
{
    return QStringLiteral("导出到Excel:将计算的结果保存到Excel中，以后要使用\r\n"
                          "            的时候可以使用“从Excel导入”导入，也\r\n"
                          "            可以将报价发送给同行。\r\n"
                          "要求：本机必须安装有“Microsoft Excel”\r\n"
                          "\r\n"
                          "从Excel导入：将导出的数据恢复到本程序中\r\n"
                          "要求：1.格式不能改变，每列都是原来的内容。\r\n"
                          "      2.“表达式”列不能修改，“单价: 123.00 × \r\n"
                          "        45间 × 6天”其中“123.00”前必须有一个半\r\n"
                          "        角空格，“×”的前后各有一个空格。\r\n");
}

// The help text's indents were counted for 宋体, where a Latin letter or a space takes half the
// width of a Chinese character. Runs of spaces and of other ASCII characters are brought to that
// grid (spaces evenly, words at their last letter, so that they keep their own spacing), and every
// other character to a whole cell. The indents then line up in whatever CJK font is found.
void HelpDialog::alignToHalfWidthGrid(QPlainTextEdit &box)
{
    const QFontMetricsF metrics(box.font());
    const qreal half = metrics.horizontalAdvance(QChar(0x4E00)) / 2; // 一
    auto kind = [](QChar c) { return c == QLatin1Char(' ') ? 0 : c.unicode() < 0x80 ? 1 : 2; };
    QTextCursor cursor(box.document());
    auto space = [&cursor](int from, int to, qreal letterSpacing) {
        QTextCharFormat spacing;
        spacing.setFontLetterSpacingType(QFont::AbsoluteSpacing);
        spacing.setFontLetterSpacing(letterSpacing);
        cursor.setPosition(from);
        cursor.setPosition(to, QTextCursor::KeepAnchor);
        cursor.mergeCharFormat(spacing);
    };
    for (QTextBlock block = box.document()->begin(); block.isValid(); block = block.next()) {
        const QString line = block.text();
        for (qsizetype start = 0; start < line.size();) {
            const int runKind = kind(line[start]);
            qsizetype end = start + 1;
            while (end < line.size() && kind(line[end]) == runKind)
                ++end;
            const qsizetype count = end - start;
            const qreal missing =
                qreal(count) * (runKind == 2 ? 2 * half : half) - metrics.horizontalAdvance(line.mid(start, count));
            const int from = block.position() + int(start), to = block.position() + int(end);
            if (runKind == 0) {
                space(from, to, missing / qreal(count));
            } else if (runKind == 1) {
                space(to - 1, to, missing);
            } else {
                // Each Chinese character, and each quotation mark that the font draws narrow, fills
                // its own whole cell, as in a font where they are all double-byte characters.
                for (int k = from; k < to; ++k)
                    space(k, k + 1, 2 * half - metrics.horizontalAdvance(line[k - block.position()]));
            }
            start = end;
        }
    }
}

HelpDialog::HelpDialog(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("FrmHelp"));
    setWindowTitle(AppText::helpTitle());
    setFont(UiFont());

    auto *text = new QPlainTextEdit(this);
    text->setObjectName(QStringLiteral("Text1"));
    // Where a CJK font with half-width Latin letters is installed (each CJK package has one), the
    // lines look as written; with any other font the grid below holds the indents.
    QFont lines = font();
    lines.setFamilies(QStringList{QStringLiteral("宋体"), QStringLiteral("SimSun"),
                                  QStringLiteral("Noto Sans Mono CJK SC"), QStringLiteral("WenQuanYi Zen Hei Mono")} +
                      CjkFamilies());
    text->setFont(lines);
    text->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    text->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    // The text box shows the lines; a Windows edit box keeps them apart with CR LF.
    QString shown = HelpText();
    shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text->setPlainText(shown);
    // The lines carry their own breaks; the box is widened and heightened only where the font
    // needs more than 4575 × 2475 twips for them.
    text->setLineWrapMode(QPlainTextEdit::NoWrap);
    alignToHalfWidthGrid(*text);
    const int frame = 2 * text->frameWidth() + 2 * int(text->document()->documentMargin());
    qreal linesHeight = 0;
    for (QTextBlock block = text->document()->begin(); block.isValid(); block = block.next())
        linesHeight += text->document()->documentLayout()->blockBoundingRect(block).height();
    const int tenLines = qCeil(linesHeight) + frame + 2;
    const int widest = qCeil(text->document()->idealWidth()) + frame + 2;
    text->setGeometry(8, 8, qMax(TwipsToPixels(4575), widest), qMax(TwipsToPixels(2475), tenLines));

    auto *close = new QPushButton(AppText::closeButton(), this);
    close->setObjectName(QStringLiteral("Command1"));
    close->setDefault(true);
    close->resize(TwipsToPixels(1215), TwipsToPixels(375));
    close->move(text->geometry().right() + 1 - close->width(), text->geometry().bottom() + 9);
    connect(close, &QPushButton::clicked, this, &QDialog::accept);

    resize(text->geometry().right() + 9, close->geometry().bottom() + 9);
    MakeFixedCentred(*this);
}
