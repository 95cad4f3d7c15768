#pragma once

#include <QString>

// The readers' messages written out in more than one place: the three formats, the zip layer and
// the .xls child and its parent fail with the same words.
namespace ReadText {

inline QString noWorksheet()
{
    return QStringLiteral("工作簿中没有工作表。");
}
inline QString cannotInflatePart(const QString &name)
{
    return QStringLiteral("工作簿已损坏：部件“%1”无法解压。").arg(name);
}
inline QString damaged()
{
    return QStringLiteral("工作簿已损坏，无法读取。");
}
inline QString incompleteZip()
{
    return QStringLiteral("工作簿已损坏：文件不是完整的压缩包。");
}

// Why a compound file (.xls) is refused, put into the message of CompoundFile::open.
inline constexpr const char BadDirectory[] = "目录有误";
inline constexpr const char BadAllocationTable[] = "扇区分配表有误";
inline constexpr const char BadHeader[] = "文件头无效";

} // namespace ReadText
