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
