#pragma once

#include <QFont>
#include <QImage>
#include <QList>
#include <QStringList>

#include <functional>
#include <memory>

class QPainter;
class QPaintDevice;
class QTextLayout;

// Lays a document out on pages of one size, block after block, and paints it. Each block is laid
// out once, where it is added, and paginated once: time linear in the document's lines.
// Lengths are in the device's units.
class DocumentPages
{
public:
    DocumentPages(QPaintDevice *device, double width, double height);

    // Text wrapped to the width, a paragraph a line; may break between lines across pages.
    void paragraphs(const QString &text, const QFont &font, Qt::Alignment alignment = Qt::AlignLeft, double indent = 0);
    // A heading, kept on the page of the block after it.
    void heading(const QString &text, const QFont &font);
    void gap(double height);
    void rule();
    // A table row: each cell's text wrapped to its share of the width, boxed; shaded when header.
    void tableRow(const QStringList &cells, const QList<double> &shares, const QFont &font, bool header,
                  const QList<Qt::Alignment> &alignments);
    // An image of the given height beside a column of texts (the letterhead).
    void imageBeside(const QImage &image, double imageHeight, const QList<std::pair<QString, QFont>> &texts);

    // The page count once every block is in; paint() calls footer(painter, page, count) on each page
    // after its blocks; newPage() starts the device's next page.
    int pageCount();
    // Every character the blocks draw, each once.
    QString drawnCharacters() const;
    void paint(QPainter &painter, const std::function<void()> &newPage,
               const std::function<void(QPainter &, int, int)> &footer);

private:
    struct Block
    {
        double height;
        bool keepWithNext;
        std::function<void(QPainter &, double top)> paint;
    };
    std::shared_ptr<QTextLayout> layOut(const QString &text, const QFont &font, double width, Qt::Alignment alignment);
    void paginate();

    QPaintDevice *m_device;
    double m_width, m_height;
    QList<Block> m_blocks;
    QList<std::pair<int, double>> m_places; // page and top of each block
    int m_pages = 0;
    QList<bool> m_drawn = QList<bool>(0x10000, false);
};
