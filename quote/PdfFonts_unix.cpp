#include "quote/PdfFonts.h"

// The CJK fonts Linux distributions install (the PDF's text layer is mended for either), then
// those a user may have copied from Windows.
QStringList PdfFontFamilies()
{
    return {QStringLiteral("WenQuanYi Zen Hei"), QStringLiteral("Noto Sans CJK SC"), QStringLiteral("Noto Sans CJK"),
            QStringLiteral("Microsoft YaHei"), QStringLiteral("SimSun")};
}

// fontconfig shows the offscreen platform every installed font.
void ShowSystemFontsOffscreen() {}
