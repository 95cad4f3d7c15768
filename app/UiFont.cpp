#include "app/UiFont.h"

#include <QStringList>

QStringList CjkFamilies()
{
    // 宋体 where the program was designed, and Microsoft YaHei on a Windows without it; on Linux
    // desktops the CJK fonts their distributions install, Noto (the default of Debian, Ubuntu and
    // Fedora) before WenQuanYi.
    return {QStringLiteral("宋体"), QStringLiteral("SimSun"), QStringLiteral("Microsoft YaHei"),
            QStringLiteral("Noto Sans CJK SC"), QStringLiteral("WenQuanYi Zen Hei")};
}

QFont SongTiFont(qreal pointSize, bool bold)
{
    QFont font;
    font.setFamilies(CjkFamilies());
    font.setPointSizeF(pointSize);
    font.setBold(bold);
    return font;
}

QFont UiFont()
{
    return SongTiFont(9);
}
