#include "app/HelpDialog.h"

#include "app/FixedDialog.h"
#include "app/UiFont.h"
#include "costline/Twips.h"

#include <QFontMetricsF>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>

namespace {
// The help text's indents were counted for 宋体, where a Latin letter or a space takes half the
// width of a Chinese character. Every character is spaced here to that grid (half a Chinese
// character for ASCII, a whole one for the rest), so that the indents line up in any CJK font.
void alignToHalfWidthGrid(QPlainTextEdit &box)
{
    const QFontMetricsF metrics(box.font());
    const qreal half = metrics.horizontalAdvance(QChar(0x4E00)) / 2; // 一
    auto extraFor = [&](QChar c) { return (c.unicode() < 0x80 ? half : 2 * half) - metrics.horizontalAdvance(c); };
    QTextCursor cursor(box.document());
    for (QTextBlock block = box.document()->begin(); block.isValid(); block = block.next()) {
        const QString line = block.text();
        // Neighbours that need the same spacing (a run of spaces, of Chinese characters) share one format.
        for (qsizetype start = 0; start < line.size();) {
            const qreal extra = extraFor(line[start]);
            qsizetype end = start + 1;
            while (end < line.size() && qFuzzyCompare(1 + extraFor(line[end]), 1 + extra))
                ++end;
            QTextCharFormat spacing;
            spacing.setFontLetterSpacingType(QFont::AbsoluteSpacing);
            spacing.setFontLetterSpacing(extra);
            cursor.setPosition(block.position() + int(start));
            cursor.setPosition(block.position() + int(end), QTextCursor::KeepAnchor);
            cursor.mergeCharFormat(spacing);
            start = end;
        }
    }
}
} // namespace

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

HelpDialog::HelpDialog(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("FrmHelp"));
    setWindowTitle(QStringLiteral("帮助"));
    setFont(UiFont());

    auto *text = new QPlainTextEdit(this);
    text->setObjectName(QStringLiteral("Text1"));
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
    const int tenLines = 10 * text->fontMetrics().lineSpacing() + frame + 2;
    const int widest = qCeil(text->document()->idealWidth()) + frame + 2;
    text->setGeometry(8, 8, qMax(TwipsToPixels(4575), widest), qMax(TwipsToPixels(2475), tenLines));

    auto *close = new QPushButton(QStringLiteral("关闭"), this);
    close->setObjectName(QStringLiteral("Command1"));
    close->setDefault(true);
    close->resize(TwipsToPixels(1215), TwipsToPixels(375));
    close->move(text->geometry().right() + 1 - close->width(), text->geometry().bottom() + 9);
    connect(close, &QPushButton::clicked, this, &QDialog::accept);

    resize(text->geometry().right() + 9, close->geometry().bottom() + 9);
    MakeFixedCentred(*this);
}
