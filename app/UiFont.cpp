#include "app/UiFont.h"

#include <QStringList>

QFont SongTiFont(qreal pointSize, bool bold)
{
    QFont font;
    font.setFamilies(QStringList{QStringLiteral("宋体"), QStringLiteral("SimSun"),
                                 QStringLiteral("WenQuanYi Zen Hei Mono"), QStringLiteral("WenQuanYi Zen Hei")});
    font.setPointSizeF(pointSize);
    font.setBold(bold);
    return font;
}

QFont UiFont()
{
    return SongTiFont(9);
}
