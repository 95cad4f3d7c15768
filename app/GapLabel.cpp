#include "app/GapLabel.h"

#include <QPainter>
#include <QStyle>

GapLabel::GapLabel(const QString &text, QWidget *parent) : QLabel(text, parent) {}

QString GapLabel::firstWord() const
{
    return text().trimmed().section(QLatin1Char(' '), 0, 0, QString::SectionSkipEmpty);
}

QString GapLabel::lastWord() const
{
    return text().trimmed().section(QLatin1Char(' '), -1, -1, QString::SectionSkipEmpty);
}

QRect GapLabel::firstWordRect() const
{
    const QRect area = contentsRect();
    return QRect(area.left(), area.top(), fontMetrics().horizontalAdvance(firstWord()), area.height());
}

QRect GapLabel::lastWordRect() const
{
    const QRect area = contentsRect();
    const int width = fontMetrics().horizontalAdvance(lastWord());
    return QRect(area.right() + 1 - width, area.top(), width, area.height());
}

void GapLabel::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    const int vertical = int(alignment() & Qt::AlignVertical_Mask);
    style()->drawItemText(&painter, firstWordRect(), Qt::AlignLeft | vertical, palette(), isEnabled(), firstWord(),
                          foregroundRole());
    if (text().trimmed().contains(QLatin1Char(' ')))
        style()->drawItemText(&painter, lastWordRect(), Qt::AlignRight | vertical, palette(), isEnabled(), lastWord(),
                              foregroundRole());
}
