#include "quote/DocumentPages.h"

#include <QPainter>
#include <QTextLayout>

DocumentPages::DocumentPages(QPaintDevice *device, double width, double height)
    : m_device(device), m_width(width), m_height(height)
{
}

std::shared_ptr<QTextLayout> DocumentPages::layOut(const QString &text, const QFont &font, double width,
                                                   Qt::Alignment alignment)
{
    for (QChar c : text)
        m_drawn[c.unicode()] = true;
    auto layout = std::make_shared<QTextLayout>(text, font, m_device);
    QTextOption option(alignment);
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    layout->setTextOption(option);
    layout->setCacheEnabled(true);
    double y = 0;
    layout->beginLayout();
    for (QTextLine line = layout->createLine(); line.isValid(); line = layout->createLine()) {
        line.setLineWidth(width);
        line.setPosition(QPointF(0, y));
        y += line.height();
    }
    layout->endLayout();
    return layout;
}

void DocumentPages::paragraphs(const QString &text, const QFont &font, Qt::Alignment alignment, double indent)
{
    for (const QString &paragraph : text.split(QLatin1Char('\n'))) {
        const std::shared_ptr<QTextLayout> layout = layOut(paragraph, font, m_width - indent, alignment);
        for (int i = 0; i < layout->lineCount(); ++i) {
            const QTextLine line = layout->lineAt(i);
            m_blocks.append({line.height(), false, [layout, i, indent](QPainter &painter, double top) {
                                 const QTextLine line = layout->lineAt(i);
                                 line.draw(&painter, QPointF(indent, top - line.y()));
                             }});
        }
    }
}

void DocumentPages::heading(const QString &text, const QFont &font)
{
    const std::size_t first = std::size_t(m_blocks.size());
    paragraphs(text, font);
    for (std::size_t i = first; i < std::size_t(m_blocks.size()); ++i)
        m_blocks[qsizetype(i)].keepWithNext = true;
}

void DocumentPages::gap(double height)
{
    m_blocks.append({height, false, [](QPainter &, double) {}});
}

void DocumentPages::rule()
{
    const double width = m_width;
    m_blocks.append({4, false, [width](QPainter &painter, double top) {
                         painter.drawLine(QPointF(0, top + 2), QPointF(width, top + 2));
                     }});
}

void DocumentPages::tableRow(const QStringList &cells, const QList<double> &shares, const QFont &font, bool header,
                             const QList<Qt::Alignment> &alignments)
{
    const double padding = QFontMetricsF(font, m_device).height() * 0.3;
    QList<std::shared_ptr<QTextLayout>> layouts;
    QList<double> widths;
    double height = 0;
    for (qsizetype i = 0; i < cells.size(); ++i) {
        widths.append(m_width * shares.value(i));
        layouts.append(layOut(cells[i], font, widths.last() - 2 * padding, alignments.value(i, Qt::AlignLeft)));
        height = qMax(height, layouts.last()->boundingRect().height());
    }
    height += 2 * padding;
    m_blocks.append({height, false, [=](QPainter &painter, double top) {
                         double x = 0;
                         for (qsizetype i = 0; i < layouts.size(); ++i) {
                             const QRectF box(x, top, widths[i], height);
                             if (header)
                                 painter.fillRect(box, QColor(0xee, 0xee, 0xee));
                             painter.drawRect(box);
                             layouts[i]->draw(&painter, QPointF(x + padding, top + padding));
                             x += widths[i];
                         }
                     }});
}

void DocumentPages::imageBeside(const QImage &image, double imageHeight, const QList<std::pair<QString, QFont>> &texts)
{
    const double imageWidth = image.isNull() ? 0 : imageHeight * image.width() / qMax(1, image.height());
    const double indent = imageWidth > 0 ? imageWidth + imageHeight * 0.3 : 0;
    QList<std::shared_ptr<QTextLayout>> layouts;
    double textHeight = 0;
    for (const auto &[text, font] : texts) {
        for (const QString &line : text.split(QLatin1Char('\n'), Qt::SkipEmptyParts)) {
            layouts.append(layOut(line, font, m_width - indent, Qt::AlignLeft));
            textHeight += layouts.last()->boundingRect().height();
        }
    }
    const double height = qMax(image.isNull() ? 0 : imageHeight, textHeight);
    m_blocks.append({height, false, [=](QPainter &painter, double top) {
                         if (imageWidth > 0)
                             painter.drawImage(QRectF(0, top + (height - imageHeight) / 2, imageWidth, imageHeight),
                                               image);
                         double y = top + (height - textHeight) / 2;
                         for (const auto &layout : layouts) {
                             layout->draw(&painter, QPointF(indent, y));
                             y += layout->boundingRect().height();
                         }
                     }});
}

void DocumentPages::paginate()
{
    if (m_places.size() == m_blocks.size() && m_pages > 0)
        return;
    m_places.clear();
    int page = 0;
    double y = 0;
    for (qsizetype i = 0; i < m_blocks.size(); ++i) {
        // A heading goes with the block after it (a run of headings with theirs).
        double needed = m_blocks[i].height;
        for (qsizetype j = i; m_blocks[j].keepWithNext && j + 1 < m_blocks.size(); ++j)
            needed += m_blocks[j + 1].height;
        if (y > 0 && y + qMin(needed, m_height) > m_height)
            ++page, y = 0;
        m_places.append({page, y});
        y += m_blocks[i].height;
    }
    m_pages = page + 1;
}

QString DocumentPages::drawnCharacters() const
{
    QString out;
    for (char16_t c = 0; c < 0xFFFF; ++c) {
        // Halves of a pair are no characters of their own.
        if (m_drawn[c] && !QChar::isSurrogate(c))
            out += QChar(c);
    }
    return out;
}

int DocumentPages::pageCount()
{
    paginate();
    return m_pages;
}

void DocumentPages::paint(QPainter &painter, const std::function<void()> &newPage,
                          const std::function<void(QPainter &, int, int)> &footer)
{
    paginate();
    int page = 0;
    for (qsizetype i = 0; i < m_blocks.size(); ++i) {
        for (; page < m_places[i].first; ++page) {
            footer(painter, page + 1, m_pages);
            newPage();
        }
        m_blocks[i].paint(painter, m_places[i].second);
    }
    for (; page < m_pages; ++page) {
        footer(painter, page + 1, m_pages);
        if (page + 1 < m_pages)
            newPage();
    }
}
