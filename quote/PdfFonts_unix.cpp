#include "quote/PdfFonts.h"

// WenQuanYi first: its glyphs map back to the characters exactly, so a customer who copies text
// out of the PDF gets 人 and not the look-alike radical ⼈.
QStringList PdfFontFamilies()
{
    return {QStringLiteral("WenQuanYi Zen Hei"), QStringLiteral("Noto Sans CJK SC"), QStringLiteral("Noto Sans CJK")};
}

// fontconfig shows the offscreen platform every installed font.
void ShowSystemFontsOffscreen() {}
