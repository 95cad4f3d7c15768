#include "quote/CustomerQuote.h"

#include "excel/ExcelTexts.h"
#include "excel/QuoteExport.h"
#include "excel/XlsxWriterSupport.h"
#include "quote/QuoteMessages.h"

#include <QBuffer>
#include <QFile>
#include <QImageReader>

#include <cmath>

namespace {

namespace T = CustomerQuoteText;

// The columns' widths in character units: 人数, then the two prices; long texts span all three.
constexpr double ColumnWidths[] = {16, 26, 26};
constexpr double AllColumns = ColumnWidths[0] + ColumnWidths[1] + ColumnWidths[2];

// The height a wrapped text needs in a cell of the given width, in points: spreadsheets do not
// grow a row of merged cells to its text, so the row is given its height when it is written.
// A CJK character takes two units, others one.
double wrappedHeight(const QString &text, double widthUnits, double pointSize)
{
    const double usable = qMax(4.0, widthUnits - 2) * 11 / pointSize;
    int lines = 0;
    for (const QString &line : text.split(QLatin1Char('\n'))) {
        double units = 0;
        for (QChar c : line)
            units += c.unicode() >= 0x1100 ? 2 : 1;
        lines += qMax(1, int(std::ceil(units / usable)));
    }
    return lines * pointSize * 1.4 + 4;
}

class Writer
{
public:
    Writer(lxw_workbook *workbook, lxw_worksheet *sheet) : m_workbook(workbook), m_sheet(sheet) {}

    lxw_format *format(bool bold, double size = 11, bool border = false, uint8_t align = LXW_ALIGN_LEFT)
    {
        lxw_format *f = workbook_add_format(m_workbook);
        if (f) {
            format_set_font_size(f, size);
            if (bold)
                format_set_bold(f);
            if (border)
                format_set_border(f, LXW_BORDER_THIN);
            format_set_align(f, align);
            format_set_align(f, LXW_ALIGN_VERTICAL_TOP);
            format_set_text_wrap(f);
        }
        return f;
    }

    // Amounts as number cells, so that the customer's spreadsheet can work with them.
    void write(lxw_col_t column, const QString &text, lxw_format *f, bool amount = false)
    {
        if (m_result != LXW_NO_ERROR)
            return;
        if (amount && IsPlainDecimal(text))
            m_result = worksheet_write_number(m_sheet, m_row, column, text.toDouble(), f);
        else
            m_result = worksheet_write_string(m_sheet, m_row, column, EscapeForWorkbook(text).toUtf8().constData(), f);
    }
    // A text across columns first..last of the row, the row as tall as its wrapped lines.
    void merged(lxw_col_t first, lxw_col_t last, const QString &text, lxw_format *f, double pointSize = 11)
    {
        if (m_result != LXW_NO_ERROR)
            return;
        double width = 0;
        for (lxw_col_t c = first; c <= last; ++c)
            width += ColumnWidths[c];
        m_height = qMax(m_height, wrappedHeight(text, width, pointSize));
        m_result = first == last
                       ? worksheet_write_string(m_sheet, m_row, first, EscapeForWorkbook(text).toUtf8().constData(), f)
                       : worksheet_merge_range(m_sheet, m_row, first, m_row, last,
                                               EscapeForWorkbook(text).toUtf8().constData(), f);
    }
    void nextRow(int rows = 1)
    {
        if (m_height > 0 && m_result == LXW_NO_ERROR)
            m_result = worksheet_set_row(m_sheet, m_row, m_height, nullptr);
        m_height = 0;
        m_row += lxw_row_t(rows);
    }
    lxw_row_t row() const { return m_row; }
    lxw_worksheet *sheet() const { return m_sheet; }
    void setResult(lxw_error result) { m_result = m_result == LXW_NO_ERROR ? result : m_result; }
    lxw_error result() const { return m_result; }

private:
    lxw_workbook *m_workbook;
    lxw_worksheet *m_sheet;
    lxw_row_t m_row = 0;
    double m_height = 0;
    lxw_error m_result = LXW_NO_ERROR;
};

struct Formats
{
    lxw_format *name, *small, *title, *plain, *bold, *header, *boxed, *amount;
    bool valid() const { return name && small && title && plain && bold && header && boxed && amount; }
};

Formats formats(Writer &out)
{
    return {out.format(true, 16),
            out.format(false, 9),
            out.format(true, 18, false, LXW_ALIGN_CENTER),
            out.format(false),
            out.format(true, 12),
            out.format(true, 11, true, LXW_ALIGN_CENTER),
            out.format(false, 11, true, LXW_ALIGN_CENTER),
            out.format(false, 11, true, LXW_ALIGN_RIGHT)};
}

void letterhead(Writer &out, const Formats &f, const CustomerQuote &quote)
{
    QByteArray logo;
    QFile file(quote.logoPath);
    if (!quote.logoPath.isEmpty() && file.open(QIODevice::ReadOnly))
        logo = file.readAll();
    const QString contacts = AgencyContactLine(quote.agency);
    if (logo.isEmpty() && quote.agency.name.trimmed().isEmpty() && contacts.isEmpty())
        return;
    const lxw_col_t first = logo.isEmpty() ? 0 : 1;
    if (!logo.isEmpty()) {
        // Scaled into column A and the two letterhead rows (in pixels at 96 dpi).
        QBuffer buffer(&logo);
        const QSize size = QImageReader(&buffer).size();
        lxw_image_options options = {};
        options.object_position = LXW_OBJECT_MOVE_DONT_SIZE;
        options.x_scale = options.y_scale =
            size.isValid() ? qMin(1.0, qMin(110.0 / size.width(), 70.0 / size.height())) : 0.5;
        out.setResult(worksheet_insert_image_buffer_opt(out.sheet(), out.row(), 0,
                                                        reinterpret_cast<const unsigned char *>(logo.constData()),
                                                        size_t(logo.size()), &options));
    }
    out.merged(first, 2, quote.agency.name.trimmed(), f.name, 16);
    out.nextRow();
    out.merged(first, 2, contacts, f.small, 9);
    out.nextRow(2);
}

void priceTable(Writer &out, const Formats &f, const CustomerQuote &quote)
{
    const lxw_col_t adultLast = quote.showChild ? 1 : 2;
    out.write(0, T::group(), f.header);
    out.merged(1, adultLast, T::adult(), f.header);
    if (quote.showChild)
        out.write(2, T::child(), f.header);
    for (const CustomerQuote::Price &price : quote.prices) {
        out.nextRow();
        out.merged(0, 0, price.group, f.boxed, 13);
        if (quote.showChild) {
            out.write(1, price.adult, f.amount, true);
            out.write(2, price.child, f.amount, true);
        } else {
            out.merged(1, 2, QString(), f.amount);
            out.write(1, price.adult, f.amount, true);
        }
    }
    out.nextRow();
    if (!quote.groupNote.isEmpty())
        out.merged(0, 2, quote.groupNote, f.small, 9), out.nextRow();
    if (quote.showChild && !quote.texts.childRule.trimmed().isEmpty())
        out.merged(0, 2, T::childRule() + QStringLiteral("：") + quote.texts.childRule.trimmed(), f.small, 9),
            out.nextRow();
    if (!quote.singleSupplement.isEmpty()) {
        out.write(0, T::singleSupplement(), f.plain);
        out.write(1, quote.singleSupplement, f.plain, true);
        out.nextRow();
    }
}

void section(Writer &out, const Formats &f, const QString &title, const QString &text)
{
    if (text.trimmed().isEmpty())
        return;
    out.nextRow();
    out.merged(0, 2, title, f.bold, 12);
    for (const QString &line : text.trimmed().split(QLatin1Char('\n'))) {
        out.nextRow();
        out.merged(0, 2, line, f.plain);
    }
    out.nextRow();
}

void compose(Writer &out, const Formats &f, const CustomerQuote &quote)
{
    letterhead(out, f, quote);
    out.merged(0, 2, T::title(), f.title, 18);
    out.nextRow(2);
    for (const QString &line : QuoteHeadLines(quote)) {
        out.merged(0, 2, line, f.plain);
        out.nextRow();
    }
    out.nextRow();
    priceTable(out, f, quote);
    section(out, f, T::includes(), quote.texts.includes);
    section(out, f, T::excludes(), quote.texts.excludes);
    section(out, f, T::terms(), quote.agency.footer);
}

// The quote on one sheet, printed a page wide; empty, or why it could not be written.
QString writeWorkbook(lxw_workbook *workbook, const CustomerQuote &quote)
{
    lxw_worksheet *sheet = AddA4Worksheet(workbook, "报价单");
    if (!sheet)
        return ExcelText::cannotCreateWorkbook();
    Writer out(workbook, sheet);
    const Formats f = formats(out);
    if (!f.valid())
        return ExcelText::outOfMemory();
    for (lxw_col_t c = 0; c < 3; ++c)
        worksheet_set_column(sheet, c, c, ColumnWidths[c], nullptr);
    worksheet_fit_to_pages(sheet, 1, 0);
    worksheet_set_margins(sheet, 0.6, 0.6, 0.7, 0.7);
    worksheet_set_footer(sheet, "&C第 &P 页，共 &N 页");
    compose(out, f, quote);
    out.nextRow();
    return out.result() == LXW_NO_ERROR ? QString() : XlsxWriterMessage(out.result());
}

} // namespace

bool WriteCustomerQuoteWorkbook(const CustomerQuote &quote, const QString &path, QString *error)
{
    bool heldOpen = false;
    const QString failure = WriteXlsxReplacing(
        path, [&](lxw_workbook *workbook) { return writeWorkbook(workbook, quote); }, &heldOpen);
    if (failure.isEmpty())
        return true;
    *error = heldOpen ? failure : QuoteMessage::cannotWriteDocument(path, failure);
    return false;
}
