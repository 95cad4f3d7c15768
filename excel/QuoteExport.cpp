#include "excel/QuoteExport.h"

#include "common/Amount.h"
#include "common/Spaces.h"
#include "excel/ExcelTexts.h"
#include "excel/XlsxWriterSupport.h"
#include "excel/read/WorkbookError.h"
#include "sheet/CostSheet.h"

#include <QDir>

#include <xlsxwriter.h>

bool IsExportedLine(const CostLine &line)
{
    return line.Included && !IsBlank(line.AmountText);
}

QString TotalsText(const QString &total, const QString &headCount, const QString &perHead)
{
    return QStringLiteral("合计：") + total + QStringLiteral("元/") + headCount + QStringLiteral("人＝") + perHead +
           QStringLiteral("元");
}

bool IsPlainDecimal(const QString &text)
{
    qsizetype i = 0;
    const qsizetype n = text.size();
    if (i < n && text.at(i) == QLatin1Char('-'))
        ++i;
    const qsizetype intStart = i;
    while (i < n && text.at(i) >= QLatin1Char('0') && text.at(i) <= QLatin1Char('9'))
        ++i;
    const qsizetype intEnd = i;
    if (intEnd == intStart)
        return false;
    qsizetype fracStart = i, fracEnd = i;
    if (i < n && text.at(i) == QLatin1Char('.')) {
        fracStart = ++i;
        while (i < n && text.at(i) >= QLatin1Char('0') && text.at(i) <= QLatin1Char('9'))
            ++i;
        fracEnd = i;
        if (fracEnd == fracStart)
            return false;
    }
    if (i != n)
        return false;
    // A number cell keeps 15 significant digits; a longer amount stays a text so that it reads back whole.
    QString digits = text.mid(intStart, intEnd - intStart) + text.mid(fracStart, fracEnd - fracStart);
    qsizetype first = 0;
    while (first < digits.size() && digits.at(first) == QLatin1Char('0'))
        ++first;
    qsizetype last = digits.size();
    while (last > first && digits.at(last - 1) == QLatin1Char('0'))
        --last;
    return last - first <= 15;
}

QString EscapeForWorkbook(const QString &text)
{
    QString out;
    out.reserve(text.size());
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n; ++i) {
        const QChar c = text.at(i);
        if (c.unicode() == 0) {
            out += QLatin1String("_x0000_");
            continue;
        }
        // "_x" with four hexadecimal digits and "_" reads as an escaped character; its "_" is
        // escaped in turn so that the text reads back as written.
        if (c == QLatin1Char('_') && i + 6 < n && text.at(i + 1) == QLatin1Char('x') &&
            text.at(i + 6) == QLatin1Char('_')) {
            bool hex = true;
            for (qsizetype k = i + 2; k < i + 6; ++k)
                hex = hex && text.at(k).unicode() < 128 && std::isxdigit(text.at(k).toLatin1());
            if (hex) {
                out += QLatin1String("_x005F_");
                continue;
            }
        }
        out += c;
    }
    return out;
}

QString OversizedTextMessage(const CostSheet &sheet)
{
    constexpr qsizetype MaxCell = 32767;
    int position = 0;
    for (const CostLine &line : sheet.rows()) {
        ++position;
        if (!IsExportedLine(line))
            continue;
        const QString *texts[] = {&line.Category, &line.Content, &line.Expression, &line.AmountText};
        for (int c = 0; c < 4; ++c) {
            if (texts[c]->size() > MaxCell)
                return QStringLiteral("第 %1 行的“%2”有 %3 个字符，超过 Excel 单元格的上限 32767 个字符。")
                    .arg(position)
                    .arg(QString::fromUtf8(ExcelText::ColumnHeaders[c]))
                    .arg(texts[c]->size());
        }
    }
    const qsizetype totals = TotalsText(sheet.Text1(), sheet.Text3(), sheet.Text4()).size();
    if (totals > MaxCell)
        return QStringLiteral("合计行的文字有 %1 个字符，超过 Excel 单元格的上限 32767 个字符。").arg(totals);
    return QString();
}

QString OverflowMessage(const CostSheet &sheet)
{
    int position = 0;
    for (const CostLine &line : sheet.rows()) {
        ++position;
        if (IsExportedLine(line) && !Amount::fromText(line.AmountText).isValid())
            return QStringLiteral("第 %1 行的金额“%2”超出了金额的范围，不能作为报价导出。请先改正这一行。")
                .arg(position)
                .arg(line.AmountText.trimmed().left(40));
    }
    if (sheet.Text1() == OverflowText() || sheet.Text4() == OverflowText())
        return QStringLiteral("合计金额溢出（超出了金额的范围），不能作为报价导出。请先改正金额过大的行。");
    return QString();
}

namespace {

// Amounts in plain decimal form become number cells, so that the spreadsheet can sum them; every
// other text stays a text cell, exactly as held, so that it reads back unchanged.
lxw_error writeCell(lxw_worksheet *sheet, lxw_row_t row, lxw_col_t column, const QString &text, lxw_format *format)
{
    constexpr lxw_col_t AmountColumn = 3;
    if (column == AmountColumn && IsPlainDecimal(text))
        return worksheet_write_number(sheet, row, column, text.toDouble(), format);
    if (text.isEmpty())
        return worksheet_write_blank(sheet, row, column, format);
    return worksheet_write_string(sheet, row, column, EscapeForWorkbook(text).toUtf8().constData(), format);
}

lxw_error writeExtraWorksheet(lxw_workbook *workbook, const ExtraWorksheet &extra, lxw_format *header, lxw_format *cell)
{
    lxw_worksheet *sheet = AddA4Worksheet(workbook, extra.name.toUtf8().constData());
    if (!sheet)
        return LXW_ERROR_PARAMETER_VALIDATION;
    lxw_error result = LXW_NO_ERROR;
    for (lxw_col_t c = 0; c < lxw_col_t(extra.header.size()) && result == LXW_NO_ERROR; ++c) {
        result =
            worksheet_write_string(sheet, 0, c, EscapeForWorkbook(extra.header.at(c)).toUtf8().constData(), header);
        if (result == LXW_NO_ERROR)
            result = worksheet_set_column(sheet, c, c, 12, nullptr);
    }
    for (lxw_row_t r = 0; r < lxw_row_t(extra.rows.size()) && result == LXW_NO_ERROR; ++r) {
        const QStringList &texts = extra.rows.at(r);
        for (lxw_col_t c = 0; c < lxw_col_t(texts.size()) && result == LXW_NO_ERROR; ++c) {
            const QString &text = texts.at(c);
            result = IsPlainDecimal(text)
                         ? worksheet_write_number(sheet, r + 1, c, text.toDouble(), cell)
                         : worksheet_write_string(sheet, r + 1, c, EscapeForWorkbook(text).toUtf8().constData(), cell);
        }
    }
    return result;
}

struct Formats
{
    lxw_format *header = nullptr;
    lxw_format *cell = nullptr;
};

lxw_error writeHeader(lxw_worksheet *worksheet, const Formats &formats)
{
    lxw_error result = LXW_NO_ERROR;
    for (lxw_col_t c = 0; c < 4 && result == LXW_NO_ERROR; ++c)
        result = worksheet_write_string(worksheet, 0, c, ExcelText::ColumnHeaders[c], formats.header);
    const double widths[] = {10, 20, 40, 10};
    for (lxw_col_t c = 0; c < 4 && result == LXW_NO_ERROR; ++c)
        result = worksheet_set_column(worksheet, c, c, widths[c], nullptr);
    // Printed one page wide, the header row on every page.
    worksheet_fit_to_pages(worksheet, 1, 0);
    return result == LXW_NO_ERROR ? worksheet_repeat_rows(worksheet, 0, 0) : result;
}

lxw_error writeQuoteRows(lxw_worksheet *worksheet, const CostSheet &sheet, const Formats &formats)
{
    lxw_error result = LXW_NO_ERROR;
    lxw_row_t row = 1;
    for (const CostLine &line : sheet.rows()) {
        if (result != LXW_NO_ERROR)
            return result;
        if (!IsExportedLine(line))
            continue;
        const QString *texts[] = {&line.Category, &line.Content, &line.Expression, &line.AmountText};
        for (lxw_col_t c = 0; c < 4 && result == LXW_NO_ERROR; ++c)
            result = writeCell(worksheet, row, c, *texts[c], formats.cell);
        ++row;
    }
    if (result != LXW_NO_ERROR)
        return result;
    const QByteArray totals = EscapeForWorkbook(TotalsText(sheet.Text1(), sheet.Text3(), sheet.Text4())).toUtf8();
    // Every cell of the merged range carries the border, so the frame is whole in every program.
    return worksheet_merge_range(worksheet, row, 0, row, 3, totals.constData(), formats.cell);
}

// The whole workbook; empty, or why it could not be written.
QString writeWorkbook(lxw_workbook *workbook, const CostSheet &sheet, const QList<ExtraWorksheet> &extraSheets)
{
    lxw_worksheet *worksheet = AddA4Worksheet(workbook, "Sheet1");
    const Formats formats{workbook_add_format(workbook), workbook_add_format(workbook)};
    if (!worksheet || !formats.header || !formats.cell)
        return ExcelText::outOfMemory();
    format_set_font_name(formats.header, "黑体");
    format_set_bold(formats.header);
    format_set_border(formats.header, LXW_BORDER_THIN);
    format_set_border(formats.cell, LXW_BORDER_THIN);
    lxw_error result = writeHeader(worksheet, formats);
    if (result == LXW_NO_ERROR)
        result = writeQuoteRows(worksheet, sheet, formats);
    for (const ExtraWorksheet &extra : extraSheets) {
        if (result != LXW_NO_ERROR)
            break;
        result = writeExtraWorksheet(workbook, extra, formats.header, formats.cell);
    }
    return result == LXW_NO_ERROR ? QString() : XlsxWriterMessage(result);
}

} // namespace

bool WriteQuoteWorkbook(const CostSheet &sheet, const QString &path, WorkbookError *error,
                        const QList<ExtraWorksheet> &extraSheets)
{
    auto fail = [&](WorkbookError::Kind kind, const QString &message) {
        return WorkbookError::fail(
            error, kind, QStringLiteral("无法写入 Excel 文件“%1”：%2").arg(QDir::toNativeSeparators(path), message));
    };
    // The writer would drop a merged cell's text that is too long and still report success, so
    // every text is measured before anything is written.
    const QString oversized = OversizedTextMessage(sheet);
    if (!oversized.isEmpty())
        return fail(WorkbookError::Kind::Refused, oversized);
    // An overflowed amount or total must never leave the program as a quote.
    const QString overflow = OverflowMessage(sheet);
    if (!overflow.isEmpty())
        return fail(WorkbookError::Kind::Refused, overflow);

    bool heldOpen = false;
    const QString failure = WriteXlsxReplacing(
        path, [&](lxw_workbook *workbook) { return writeWorkbook(workbook, sheet, extraSheets); }, &heldOpen);
    if (failure.isEmpty())
        return true;
    // The held-open message is said whole: the one failure the planner mends by closing a window.
    return heldOpen ? WorkbookError::fail(error, WorkbookError::Kind::FileAccess, failure)
                    : fail(WorkbookError::Kind::FileAccess, failure);
}
