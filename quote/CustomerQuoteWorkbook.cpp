#include "quote/CustomerQuote.h"

#include "excel/QuoteExport.h"
#include "excel/XlsxWriterSupport.h"


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

} // namespace

bool WriteCustomerQuoteWorkbook(const CustomerQuote &quote, const QString &path, QString *error)
{
    namespace T = CustomerQuoteText;
    auto fail = [&](const QString &message) {
        *error = QStringLiteral("无法写入报价单“%1”：%2").arg(path, message);
        return false;
    };
    const QString heldOpen = HeldOpenMessage(path);
    if (!heldOpen.isEmpty()) {
        *error = heldOpen;
        return false;
    }
    XlsxScratch scratch;
    if (!scratch.isValid())
        return fail(QStringLiteral("无法创建临时文件夹。"));
    const QString scratchPath = scratch.workbookPath();
    {
        const CNumericLocale numbersWithPoint;
        XlsxWriterWorkbook workbook(scratch);
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

        out.write(0, T::title(), title);
        out.nextRow(2);
        out.write(0, T::tourName(), bold);
        out.write(1, quote.tourName, plain);
        out.nextRow();
        out.write(0, T::tourDate(), bold);
        out.write(1, quote.tourDate, plain);
        out.nextRow(2);
        out.write(0, T::group(), header);
        out.write(1, T::adult(), header);
        out.write(2, T::child(), header);
        for (const CustomerQuote::Price &price : quote.prices) {
            out.nextRow();
            out.write(0, price.group, boxed);
            out.write(1, price.adult, boxed, true);
            out.write(2, price.child, boxed, true);
        }
        out.nextRow();
        out.write(0, T::groupNote(), plain);
        out.nextRow(2);
        out.write(0, T::singleSupplement(), bold);
        out.write(1, quote.singleSupplement, plain, true);
        out.nextRow(2);
        out.write(0, T::includes(), bold);
        for (const CustomerQuote::Included &item : quote.includes) {
            out.nextRow();
            out.write(0, item.category, plain);
            out.write(1, item.content, plain);
        }
        out.nextRow(2);
        out.write(0, T::excludes(), bold);
        for (const QString &line : quote.excludes.split(QLatin1Char('\n'))) {
            out.nextRow();
            out.write(0, line, plain);
        }
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
