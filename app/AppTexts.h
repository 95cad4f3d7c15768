#pragma once

#include <QString>

// The main window's captions written out in more than one place: a menu item and the window it
// opens share a title; the dialogs share their buttons' words.
namespace AppText {

inline QString aboutTitle()
{
    return QStringLiteral("关于");
}
inline QString helpTitle()
{
    return QStringLiteral("帮助");
}
inline QString closeButton()
{
    return QStringLiteral("关闭");
}
inline QString cancelButton()
{
    return QStringLiteral("取消");
}
inline QString openButton()
{
    return QStringLiteral("打开(&O)");
}

} // namespace AppText
