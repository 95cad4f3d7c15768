#include "quote/CustomerQuote.h"
#include "quote/PdfFonts.h"

#include <algorithm>

#include <QFont>
#include <QFontDatabase>
#include <QPageLayout>
#include <QPageSize>
#include <QPdfWriter>
#include <QSaveFile>
#include <QTextDocument>

namespace {

QString cell(const QString &text, const char *tag = "td", const char *align = "center")
{
    return QStringLiteral("<%1 align=\"%2\">%3</%1>")
        .arg(QLatin1String(tag), QLatin1String(align), text.toHtmlEscaped());
}

QString paragraphs(const QString &text)
{
    QString html;
    for (const QString &line : text.split(QLatin1Char('\n')))
        html += QStringLiteral("<p>%1</p>").arg(line.toHtmlEscaped());
    return html;
}

QString quoteHtml(const CustomerQuote &quote)
{
    namespace T = CustomerQuoteText;
    QString html = QStringLiteral("<html><body><h1 align=\"center\">%1</h1>").arg(T::title());
    html += QStringLiteral("<p>%1：%2</p>").arg(T::tourName(), quote.tourName.toHtmlEscaped());
    html += QStringLiteral("<p>%1：%2</p>").arg(T::tourDate(), quote.tourDate.toHtmlEscaped());
    html += QStringLiteral("<table border=\"1\" cellspacing=\"0\" cellpadding=\"6\" width=\"100%\"><tr>") +
            cell(T::group(), "th") + cell(T::adult(), "th") + cell(T::child(), "th") + QStringLiteral("</tr>");
    for (const CustomerQuote::Price &price : quote.prices)
        html += QStringLiteral("<tr>") + cell(price.group) + cell(price.adult, "td", "right") +
                cell(price.child, "td", "right") + QStringLiteral("</tr>");
    html += QStringLiteral("</table><p>%1</p>").arg(T::groupNote());
    html += QStringLiteral("<p>%1：%2</p>").arg(T::singleSupplement(), quote.singleSupplement);
    html += QStringLiteral("<h3>%1</h3><ul>").arg(T::includes());
    for (const CustomerQuote::Included &item : quote.includes) {
        const QString text = item.content.isEmpty()    ? item.category
                             : item.category.isEmpty() ? item.content
                                                       : item.category + QStringLiteral("：") + item.content;
        html += QStringLiteral("<li>%1</li>").arg(text.toHtmlEscaped());
    }
    html += QStringLiteral("</ul><h3>%1</h3>").arg(T::excludes()) + paragraphs(quote.excludes);
    return html + QStringLiteral("</body></html>");
}

} // namespace

bool WriteCustomerQuotePdf(const CustomerQuote &quote, const QString &path, QString *error)
{
    QSaveFile file(path);
    // Without a Chinese font every character would be an empty box, in a file that looks written.
    const QStringList installed = QFontDatabase::families();
    const QStringList families = PdfFontFamilies();
    if (std::none_of(families.begin(), families.end(), [&](const QString &f) { return installed.contains(f); })) {
        *error = QStringLiteral("无法写出报价单“%1”：本机没有可用的中文字体（需要 %2 之一）。")
                     .arg(path, families.join(QStringLiteral("、")));
        return false;
    }
    if (!file.open(QIODevice::WriteOnly)) {
        *error = QStringLiteral("无法写入报价单“%1”：%2").arg(path, file.errorString());
        return false;
    }
    {
        QPdfWriter pdf(&file);
        pdf.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF(0, 0, 0, 0),
                                      QPageLayout::Millimeter));
        pdf.setTitle(CustomerQuoteText::title() + QLatin1Char(' ') + quote.tourName);
        pdf.setCreator(QStringLiteral("Quilvar"));

        QTextDocument document;
        QFont font;
        font.setFamilies(PdfFontFamilies());
        font.setPointSizeF(11);
        document.setDefaultFont(font);
        document.setHtml(quoteHtml(quote));
        // Without a page size of its own, the document is laid out for the writer's resolution
        // and broken into A4 pages.
        document.print(&pdf);
    }
    if (!file.commit()) {
        *error = QStringLiteral("无法写入报价单“%1”：%2").arg(path, file.errorString());
        return false;
    }
    return true;
}
