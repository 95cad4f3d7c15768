#include "excel/read/WorkbookError.h"

bool WorkbookError::fail(WorkbookError *error, Kind kind, const QString &text)
{
    if (error)
        *error = {kind, text};
    return false;
}

QString WorkbookError::encryptedText()
{
    return QStringLiteral("工作簿已加密（设有密码），无法读取：请在原程序中取消密码后再导入。");
}
