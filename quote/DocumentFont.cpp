#include "quote/DocumentFont.h"
#include "quote/PdfFonts.h"

#include <QRawFont>
#include <QStringList>

QFont CustomerDocumentFont(double pointSize, bool bold)
{
    QFont font;
    // Whichever of the platform's CJK fonts is installed; the PDF's text layer is mended for either.
    font.setFamilies(PdfFontFamilies());
    font.setPointSizeF(pointSize);
    // Glyphs as the font's character map gives them: the PDF's text layer can name only those (a
    // Latin run shaped by the font's own rules drew its digits with glyphs that copy as nothing).
    font.setStyleStrategy(QFont::PreferNoShaping);
    font.setBold(bold);
    return font;
}

QHash<char16_t, char16_t> DrawnAs(const QList<QFont> &fonts, const QString &drawn)
{
    QString every;
    every.reserve(0xFFFF);
    for (char16_t c = 1; c < 0xD800; ++c)
        every += QChar(c);
    for (char16_t c = 0xE000; c < 0xFFFF; ++c)
        every += QChar(c);
    QHash<char16_t, char16_t> out;
    for (const QFont &font : fonts) {
        const QRawFont raw = QRawFont::fromFont(font);
        if (!raw.isValid())
            continue;
        QHash<quint32, char16_t> byGlyph;
        const QList<quint32> drawnGlyphs = raw.glyphIndexesForString(drawn);
        for (qsizetype i = 0; i < drawnGlyphs.size() && i < drawn.size(); ++i) {
            if (drawnGlyphs[i] != 0 && !byGlyph.contains(drawnGlyphs[i]))
                byGlyph.insert(drawnGlyphs[i], drawn.at(i).unicode());
        }
        const QList<quint32> glyphs = raw.glyphIndexesForString(every);
        for (qsizetype i = 0; i < glyphs.size() && i < every.size(); ++i) {
            const char16_t c = every.at(i).unicode();
            const auto twin = byGlyph.constFind(glyphs[i]);
            if (twin != byGlyph.cend() && *twin != c && !out.contains(c) && !drawn.contains(QChar(c)))
                out.insert(c, *twin);
        }
    }
    return out;
}
