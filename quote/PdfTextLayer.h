#pragma once

#include <QByteArray>

// Qt's PDF writer names each glyph in the text layer (the ToUnicode map) by the lowest code point
// the font maps to it. CJK fonts that give a Kangxi radical the glyph of its ideograph (Noto Sans
// CJK: ⼈ U+2F08 and 人 U+4EBA) thus make 人 copy and search as ⼈. This rewrites every such map
// so that a radical reads as its ideograph, and a blank glyph named by a control character as a
// space; the rest of the file keeps its bytes (its cross-reference table follows the moves).
// A file it does not understand is returned unchanged.
QByteArray MendPdfTextLayer(const QByteArray &pdf);
