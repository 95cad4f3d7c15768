#include "sheet/SheetPaste.h"

#include "sheet/CostSheet.h"

bool PasteRows(CostSheet &sheet, int firstPosition, const QList<RowTexts> &rows, QString *error)
{
    QString message;
    if (rows.isEmpty())
        message = QStringLiteral("剪贴板中没有可以粘贴的表格行。");
    else if (!sheet.writeRows(firstPosition, rows))
        message = QStringLiteral("粘贴的 %1 行将使表格超出最多 %2 行的限制，没有粘贴。")
                      .arg(rows.size())
                      .arg(CostSheet::MaxRows);
    if (error)
        *error = message;
    return message.isEmpty();
}

namespace {
bool holdsText(const CostLine &line)
{
    return !line.Category.isEmpty() || !line.Content.isEmpty() || !line.Expression.isEmpty() ||
           !line.AmountText.isEmpty();
}
} // namespace

PasteOverwrite OverwrittenRows(const CostSheet &sheet, int firstPosition, int count)
{
    if (!sheet.hasRow(firstPosition) || count <= 0)
        return {};
    const int last = qMin(sheet.rowCount(), firstPosition + count - 1);
    for (int position = firstPosition; position <= last; ++position) {
        if (holdsText(sheet.row(position)))
            return {firstPosition, last};
    }
    return {};
}

int AfterLastTextRow(const CostSheet &sheet)
{
    for (int position = sheet.rowCount(); position >= 1; --position) {
        if (holdsText(sheet.row(position)))
            return position + 1;
    }
    return 1;
}

QString OverwriteQuestion(int count, const PasteOverwrite &overwrite)
{
    const QString rows = overwrite.first == overwrite.last
                             ? QString::number(overwrite.first)
                             : QStringLiteral("%1–%2").arg(overwrite.first).arg(overwrite.last);
    return QStringLiteral("粘贴的 %1 行将覆盖第 %2 行。").arg(count).arg(rows);
}
