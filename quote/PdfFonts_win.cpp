#include "quote/PdfFonts.h"

#include <QDir>

#include <qt_windows.h>

#include <stdlib.h>

// 宋体 where the program was designed, Microsoft YaHei on a Windows without it; last, the free
// CJK fonts a user may have installed.
QStringList PdfFontFamilies()
{
    return {QStringLiteral("SimSun"),          QStringLiteral("宋体"),    QStringLiteral("Microsoft YaHei"),
            QStringLiteral("微软雅黑"),        QStringLiteral("NSimSun"), QStringLiteral("WenQuanYi Zen Hei"),
            QStringLiteral("Noto Sans CJK SC")};
}

void ShowSystemFontsOffscreen()
{
    if (!qEnvironmentVariableIsEmpty("QT_QPA_FONTDIR"))
        return;
    wchar_t windows[MAX_PATH + 1];
    const UINT length = GetWindowsDirectoryW(windows, MAX_PATH);
    if (length == 0 || length > MAX_PATH)
        return;
    const QString fonts = QString::fromWCharArray(windows, int(length)) + QStringLiteral("\\Fonts");
    // Through the C runtime: Qt reads its copy of the environment, which SetEnvironmentVariableW
    // leaves as it was.
    _wputenv_s(L"QT_QPA_FONTDIR", reinterpret_cast<const wchar_t *>(fonts.utf16()));
}
