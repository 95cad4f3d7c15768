#include "sheet/SheetPaste.h"

#include "sheet/CostSheet.h"

bool PasteRows(CostSheet &sheet, int firstPosition, const QList<TableRow> &rows, QString *error)
{
    auto refuse = [error](const QString &message) {
        if (error)
            *error = message;
        return false;
    };
    if (rows.isEmpty())
        return refuse(QStringLiteral("剪贴板中没有可以粘贴的表格行。"));
    const qsizetype first = sheet.hasRow(firstPosition) ? firstPosition : sheet.rowCount() + 1;
    const qsizetype last = first + rows.size() - 1;
    if (last > CostSheet::MaxRows)
        return refuse(QStringLiteral("粘贴的 %1 行从第 %2 行起将超出表格最多 %3 行的限制，没有粘贴。")
                          .arg(rows.size())
                          .arg(first)
                          .arg(CostSheet::MaxRows));

    auto lineFor = [](const TableRow &row, const QString &number) {
        CostLine line;
        line.Number = number;
        line.Category = row.Category;
        line.Content = row.Content;
        line.Expression = row.Expression;
        line.AmountText = row.AmountText;
        line.Included = true;
        return line;
    };
    QList<CostLine> appended;
    for (qsizetype k = 0; k < rows.size(); ++k) {
        const int position = int(first + k);
        if (sheet.hasRow(position))
            sheet.setRow(position, lineFor(rows.at(k), sheet.row(position).Number));
        else
            appended.append(lineFor(rows.at(k), QString::number(sheet.rowCount() + appended.size() + 1)));
    }
    sheet.appendRows(appended);
    sheet.RefreshTotals();
    return true;
}
