#pragma once

#include <QString>

// The workbook commands' titles and the writing's messages, each written out once: the menu items
// and the dialogs they open share a title, and the quote's own workbook fails with the same words.
namespace ExcelText {

inline QString exportTitle()
{
    return QStringLiteral("导出到Excel");
}
inline QString importTitle()
{
    return QStringLiteral("从Excel导入");
}
inline QString outOfMemory()
{
    return QStringLiteral("内存不足。");
}
inline QString cannotCreateWorkbook()
{
    return QStringLiteral("无法创建工作簿。");
}
inline QString cannotCreateScratchFolder()
{
    return QStringLiteral("无法创建临时文件夹。");
}

// The header of the quote's workbook, the four columns of a cost line.
inline constexpr const char *ColumnHeaders[] = {"项目", "内容", "表达式", "金额"};

} // namespace ExcelText
