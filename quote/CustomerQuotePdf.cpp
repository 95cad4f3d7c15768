#include "quote/CustomerQuote.h"
#include "quote/DocumentFont.h"
#include "quote/DocumentPages.h"
#include "quote/PdfFonts.h"
#include "quote/PdfTextLayer.h"
#include "quote/QuoteMessages.h"

#include <algorithm>

#include <QBuffer>
#include <QFontDatabase>
#include <QImage>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QSaveFile>

namespace {

namespace T = CustomerQuoteText;

constexpr int Resolution = 300; // device units per inch
double mm(double millimetres)
{
    return millimetres * Resolution / 25.4;
}
constexpr double PageWidth = 210, PageHeight = 297, Margin = 18, FooterHeight = 10; // millimetres

void letterhead(DocumentPages &pages, const CustomerQuote &quote)
{
    const QImage logo = quote.logoPath.isEmpty() ? QImage() : QImage(quote.logoPath);
    const QString contacts = AgencyContactLine(quote.agency);
    if (logo.isNull() && quote.agency.name.trimmed().isEmpty() && contacts.isEmpty())
        return;
    pages.imageBeside(
        logo, mm(16),
        {{quote.agency.name.trimmed(), CustomerDocumentFont(16, true)}, {contacts, CustomerDocumentFont(9)}});
    pages.gap(mm(2));
    pages.rule();
    pages.gap(mm(4));
}

void priceTable(DocumentPages &pages, const CustomerQuote &quote)
{
    const QFont font = CustomerDocumentFont(11), bold = CustomerDocumentFont(11, true);
    const QList<double> shares = quote.showChild ? QList<double>{0.3, 0.35, 0.35} : QList<double>{0.4, 0.6};
    QStringList header{T::group(), T::adult()};
    if (quote.showChild)
        header.append(T::child());
    const QList<Qt::Alignment> centred(3, Qt::AlignHCenter);
    pages.tableRow(header, shares, bold, true, centred);
    const QList<Qt::Alignment> aligned{Qt::AlignHCenter, Qt::AlignRight, Qt::AlignRight};
    for (const CustomerQuote::Price &price : quote.prices) {
        QStringList row{price.group, price.adult};
        if (quote.showChild)
            row.append(price.child);
        pages.tableRow(row, shares, font, false, aligned);
    }
    pages.gap(mm(2));
    const QFont small = CustomerDocumentFont(9);
    if (!quote.groupNote.isEmpty())
        pages.paragraphs(quote.groupNote, small);
    if (quote.showChild && !quote.texts.childRule.trimmed().isEmpty())
        pages.paragraphs(T::childRule() + QStringLiteral("：") + quote.texts.childRule.trimmed(), small);
    if (!quote.singleSupplement.isEmpty())
        pages.paragraphs(T::singleSupplement() + QStringLiteral("：") + quote.singleSupplement, font);
}

void section(DocumentPages &pages, const QString &title, const QString &text)
{
    if (text.trimmed().isEmpty())
        return;
    pages.gap(mm(4));
    pages.heading(title, CustomerDocumentFont(12, true));
    pages.gap(mm(1));
    pages.paragraphs(text.trimmed(), CustomerDocumentFont(10.5), Qt::AlignLeft, mm(3));
}

void compose(DocumentPages &pages, const CustomerQuote &quote)
{
    letterhead(pages, quote);
    pages.paragraphs(T::title(), CustomerDocumentFont(18, true), Qt::AlignHCenter);
    pages.gap(mm(3));
    pages.paragraphs(QuoteHeadLines(quote).join(QLatin1Char('\n')), CustomerDocumentFont(10.5));
    pages.gap(mm(4));
    priceTable(pages, quote);
    section(pages, T::includes(), quote.texts.includes);
    section(pages, T::excludes(), quote.texts.excludes);
    section(pages, T::terms(), quote.agency.footer);
}

QByteArray render(const CustomerQuote &quote)
{
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    QPdfWriter pdf(&buffer);
    pdf.setResolution(Resolution);
    pdf.setPageLayout(
        QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF(0, 0, 0, 0), QPageLayout::Millimeter));
    pdf.setTitle(T::title() + QLatin1Char(' ') + quote.texts.tourName);
    pdf.setCreator(quote.agency.name.isEmpty() ? QStringLiteral("Quilvar") : quote.agency.name);

    DocumentPages pages(&pdf, mm(PageWidth - 2 * Margin), mm(PageHeight - 2 * Margin - FooterHeight));
    compose(pages, quote);
    QPainter painter(&pdf);
    painter.setPen(QPen(Qt::black, mm(0.25)));
    painter.translate(mm(Margin), mm(Margin));
    const QFont footerFont = CustomerDocumentFont(9);
    pages.paint(
        painter, [&pdf] { pdf.newPage(); },
        [&](QPainter &p, int page, int count) {
            p.setFont(footerFont);
            const QRectF line(0, mm(PageHeight - 2 * Margin - FooterHeight / 2), mm(PageWidth - 2 * Margin),
                              mm(FooterHeight / 2));
            p.drawText(line, Qt::AlignCenter, T::page(page, count));
        });
    painter.end();
    const QString drawn = pages.drawnCharacters() + T::page(0, 0);
    return MendPdfTextLayer(buffer.data(), DrawnAs({CustomerDocumentFont(11), CustomerDocumentFont(11, true)}, drawn));
}

} // namespace

bool WriteCustomerQuotePdf(const CustomerQuote &quote, const QString &path, QString *error)
{
    // Without a Chinese font every character would be an empty box, in a file that looks written.
    const QStringList installed = QFontDatabase::families();
    const QStringList families = PdfFontFamilies();
    if (std::none_of(families.begin(), families.end(), [&](const QString &f) { return installed.contains(f); })) {
        *error = QuoteMessage::cannotWriteDocument(
            path, QStringLiteral("本机没有可用的中文字体（需要 %1 之一）。").arg(families.join(QStringLiteral("、"))));
        return false;
    }
    const QByteArray bytes = render(quote);
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit()) {
        *error = QuoteMessage::cannotWriteDocument(path, file.errorString());
        return false;
    }
    return true;
}
