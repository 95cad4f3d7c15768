#pragma once

#include <QFont>

// 宋体 at the given size; where it is missing, a CJK font with half-width spaces and Latin letters,
// so that texts padded with spaces line up as designed.
QFont SongTiFont(qreal pointSize, bool bold = false);
// The windows' font: 宋体 9 pt.
QFont UiFont();
