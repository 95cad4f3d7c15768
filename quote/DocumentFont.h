#pragma once

#include <QFont>
#include <QHash>

// The font of the customer's documents, in points: a CJK font the PDF embeds. The one place
// where its families are chosen.
QFont CustomerDocumentFont(double pointSize, bool bold = false);

// For each character the fonts draw with the glyph of a character of drawn (⻋ U+2ECB with that
// of 车 U+8F66 in Noto Sans CJK), that character; the first font that shares a glyph decides.
QHash<char16_t, char16_t> DrawnAs(const QList<QFont> &fonts, const QString &drawn);
