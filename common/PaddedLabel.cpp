#include "common/PaddedLabel.h"

#include <QPainter>
#include <QStyle>

PaddedLabel::PaddedLabel(const QString &text, QWidget *parent) : QLabel(text, parent) {}

QString PaddedLabel::colon() const
{
    const QString caption = text();
    if (caption.endsWith(QChar(0xFF1A)) || caption.endsWith(QLatin1Char(':')))
        return caption.right(1);
    return {};
}

int PaddedLabel::textFlags() const
{
    // As QLabel draws a caption with a marked letter: underlined where the style shows it.
    if (!buddy())
        return 0;
    return style()->styleHint(QStyle::SH_UnderlineShortcut, nullptr, this) ? Qt::TextShowMnemonic
                                                                           : Qt::TextHideMnemonic;
}

QList<PaddedLabel::Word> PaddedLabel::words(qreal *width) const
{
    const QFontMetricsF metrics(font());
    const qreal space = metrics.horizontalAdvance(QChar(0x4E00)) / 2; // half of 一
    const QString caption = text().chopped(colon().size());
    QList<Word> found;
    qreal x = 0;
    // One space between two Latin characters ("User id") is part of the words; every other run of
    // spaces is padding.
    const auto padding = [&caption](qsizetype from, qsizetype to) {
        return to - from > 1 || from == 0 || to == caption.size() || caption[from - 1].unicode() >= 0x80 ||
               caption[to].unicode() >= 0x80;
    };
    const auto spacesEnd = [&caption](qsizetype from) {
        while (from < caption.size() && caption[from] == QLatin1Char(' '))
            ++from;
        return from;
    };
    for (qsizetype k = 0; k < caption.size();) {
        if (caption[k] == QLatin1Char(' ')) {
            const qsizetype end = spacesEnd(k);
            x += qreal(end - k) * space;
            k = end;
            continue;
        }
        qsizetype end = k;
        while (end < caption.size() && (caption[end] != QLatin1Char(' ') || !padding(end, spacesEnd(end))))
            ++end;
        found.append({caption.mid(k, end - k), x});
        x += metrics.size(Qt::TextShowMnemonic, found.last().text).width();
        k = end;
    }
    *width = x;
    return found;
}

QSize PaddedLabel::sizeHint() const
{
    if (colon().isEmpty())
        return QLabel::sizeHint();
    qreal width = 0;
    words(&width);
    width += QFontMetricsF(font()).horizontalAdvance(colon());
    const QMargins margins = contentsMargins();
    return {int(std::ceil(width)) + margins.left() + margins.right() + 2 * margin(), QLabel::sizeHint().height()};
}

QSize PaddedLabel::minimumSizeHint() const
{
    return colon().isEmpty() ? QLabel::minimumSizeHint() : sizeHint();
}

void PaddedLabel::paintEvent(QPaintEvent *event)
{
    if (colon().isEmpty()) {
        QLabel::paintEvent(event);
        return;
    }
    QPainter painter(this);
    const QRect area = contentsRect().adjusted(margin(), margin(), -margin(), -margin());
    const int vertical = int(alignment() & Qt::AlignVertical_Mask);
    qreal width = 0;
    for (const Word &word : words(&width)) {
        const QRect at(area.left() + qRound(word.left), area.top(), area.width(), area.height());
        style()->drawItemText(&painter, at, Qt::AlignLeft | vertical | textFlags(), palette(), isEnabled(), word.text,
                              foregroundRole());
    }
    style()->drawItemText(&painter, area, Qt::AlignRight | vertical, palette(), isEnabled(), colon(), foregroundRole());
}
