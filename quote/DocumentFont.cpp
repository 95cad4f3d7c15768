#include "quote/DocumentFont.h"

#include <QStringList>

QFont CustomerDocumentFont(double pointSize, bool bold)
{
    QFont font;
    // Whichever of the CJK fonts is installed; the PDF's text layer is mended for either.
    font.setFamilies({QStringLiteral("WenQuanYi Zen Hei"), QStringLiteral("Noto Sans CJK SC"),
                      QStringLiteral("Noto Sans CJK"), QStringLiteral("Microsoft YaHei"), QStringLiteral("SimSun")});
    font.setPointSizeF(pointSize);
    font.setBold(bold);
    return font;
}
