#include "quote/CustomerQuote.h"

#include "excel/QuoteExport.h"
#include "excel/XlsxWriterSupport.h"

#include <QFile>
#include <QTemporaryDir>

namespace {

class Writer
{
public:
    Writer(lxw_workbook *workbook, lxw_worksheet *sheet) : m_workbook(workbook), m_sheet(sheet) {}

    lxw_format *format(bool bold, double size = 11, bool border = false)
    {
        lxw_format *f = workbook_add_format(m_workbook);
        if (f) {
            format_set_font_size(f, size);
            if (bold)
                format_set_bold(f);
            if (border)
                format_set_border(f, LXW_BORDER_THIN);
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
    void nextRow(int rows = 1) { m_row += lxw_row_t(rows); }
    lxw_error result() const { return m_result; }

private:
    lxw_workbook *m_workbook;
    lxw_worksheet *m_sheet;
    lxw_row_t m_row = 0;
    lxw_error m_result = LXW_NO_ERROR;
};

struct Formats
{
    lxw_format *title, *bold, *plain, *header, *boxed;
};

// The quote's rows, from the title down to what the price does not include.
void writeQuote(Writer &out, const CustomerQuote &quote, const Formats &f)
{
    namespace T = CustomerQuoteText;
    out.write(0, T::title(), f.title);
    out.nextRow(2);
    out.write(0, T::tourName(), f.bold);
    out.write(1, quote.tourName, f.plain);
    out.nextRow();
    out.write(0, T::tourDate(), f.bold);
    out.write(1, quote.tourDate, f.plain);
    out.nextRow(2);
    out.write(0, T::group(), f.header);
    out.write(1, T::adult(), f.header);
    out.write(2, T::child(), f.header);
    for (const CustomerQuote::Price &price : quote.prices) {
        out.nextRow();
        out.write(0, price.group, f.boxed);
        out.write(1, price.adult, f.boxed, true);
        out.write(2, price.child, f.boxed, true);
    }
    out.nextRow();
    out.write(0, T::groupNote(), f.plain);
    out.nextRow(2);
    out.write(0, T::singleSupplement(), f.bold);
    out.write(1, quote.singleSupplement, f.plain, true);
    out.nextRow(2);
    out.write(0, T::includes(), f.bold);
    for (const CustomerQuote::Included &item : quote.includes) {
        out.nextRow();
        out.write(0, item.category, f.plain);
        out.write(1, item.content, f.plain);
    }
    out.nextRow(2);
    out.write(0, T::excludes(), f.bold);
    for (const QString &line : quote.excludes.split(QLatin1Char('\n'))) {
        out.nextRow();
        out.write(0, line, f.plain);
    }
}

} // namespace

bool WriteCustomerQuoteWorkbook(const CustomerQuote &quote, const QString &path, QString *error)
{
    auto fail = [&](const QString &message) {
        *error = QStringLiteral("无法写入报价单“%1”：%2").arg(path, message);
        return false;
    };
    QTemporaryDir scratch;
    if (!scratch.isValid())
        return fail(QStringLiteral("无法创建临时文件夹（%1）。").arg(scratch.errorString()));
    const QString scratchPath = scratch.filePath(QStringLiteral("quote.xlsx"));
    {
        const CNumericLocale numbersWithPoint;
        XlsxWriterWorkbook workbook(QFile::encodeName(scratchPath));
        lxw_worksheet *sheet = workbook.get() ? AddA4Worksheet(workbook.get(), "报价单") : nullptr;
        if (!sheet)
            return fail(QStringLiteral("无法创建工作簿。"));
        Writer out(workbook.get(), sheet);
        lxw_format *title = out.format(true, 16);
        lxw_format *bold = out.format(true);
        lxw_format *plain = out.format(false);
        lxw_format *header = out.format(true, 11, true);
        lxw_format *boxed = out.format(false, 11, true);
        if (!title || !bold || !plain || !header || !boxed)
            return fail(QStringLiteral("内存不足。"));
        worksheet_set_column(sheet, 0, 0, 16, nullptr);
        worksheet_set_column(sheet, 1, 2, 26, nullptr);
        worksheet_fit_to_pages(sheet, 1, 0);

        writeQuote(out, quote, {title, bold, plain, header, boxed});
        if (out.result() != LXW_NO_ERROR)
            return fail(XlsxWriterMessage(out.result()));
        const lxw_error closed = workbook.close();
        if (closed != LXW_NO_ERROR)
            return fail(XlsxWriterMessage(closed));
    }
    QString replaceError;
    if (!ReplaceWithWrittenFile(scratchPath, path, &replaceError))
        return fail(replaceError);
    return true;
}
