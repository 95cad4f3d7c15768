#pragma once

#include <QByteArray>
#include <QHash>

// Qt's PDF writer names each glyph in the text layer (the ToUnicode map) by the lowest code point
// the font maps to it. Fonts that give several characters one glyph (Noto Sans CJK: ⼈ U+2F08 and
// 人 U+4EBA, ⻋ U+2ECB and 车 U+8F66, ‒ U+2012 and – U+2013) thus make 人 copy and search as ⼈.
// This rewrites every such map so that a glyph reads as the character that was drawn with it
// (drawnAs: a code point the document does not hold, and the drawn character sharing its glyph),
// else a radical as its compatibility form and a control character as a space; the rest of the
// file keeps its bytes (its cross-reference table follows the moves). A file it does not
// understand is returned unchanged.
QByteArray MendPdfTextLayer(const QByteArray &pdf, const QHash<char16_t, char16_t> &drawnAs = {});
