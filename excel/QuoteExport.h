#pragma once

#include <QList>
#include <QString>
#include <QStringList>

class CostSheet;
struct CostLine;
struct WorkbookError;

// The workbook of a quote: the header 项目 内容 表达式 金额, one row per ticked line with an amount,
// and the merged totals row 合计：{total}元/{head count}人＝{per head}元.

// A line goes into the workbook when it is ticked and its amount, without blanks around it, is not empty.
bool IsExportedLine(const CostLine &line);
// The totals text, from the three boxes as they stand.
QString TotalsText(const QString &total, const QString &headCount, const QString &perHead);
// A text that the spreadsheet would hold as a number: "-"? digits, optionally "." and digits,
// and no more significant digits than a number cell keeps, so that no digit is lost.
bool IsPlainDecimal(const QString &text);

// A further worksheet after the quote (the quote stays the first, which the import reads): its
// name, a header row as the quote's, then rows of texts; plain decimal texts become number cells.
struct ExtraWorksheet
{
    QString name;
    QStringList header;
    QList<QStringList> rows;
};
// A text as a workbook stores it so that it reads back exactly: a literal "_x0041_" and U+0000,
// which the format would otherwise read as escapes or cut at, are escaped themselves.
QString EscapeForWorkbook(const QString &text);
// Why the sheet cannot be written when a text is longer than a cell holds (32767 characters); empty otherwise.
QString OversizedTextMessage(const CostSheet &sheet);

// Why the sheet cannot be exported when a line to export or the total has overflowed (溢出), naming
// the row; empty otherwise.
QString OverflowMessage(const CostSheet &sheet);

// Writes the quote workbook to path, replacing any file there only once it is complete.
bool WriteQuoteWorkbook(const CostSheet &sheet, const QString &path, WorkbookError *error,
                        const QList<ExtraWorksheet> &extraSheets = {});
