#pragma once

#include <QFont>
#include <QStringList>

// 宋体, Microsoft YaHei, then the CJK fonts of Linux desktops. Texts laid out with spaces (the bottom bar, the help
// text) are measured, not padded, so any of them lines up.
QStringList CjkFamilies();
// 宋体 at the given size, or the first of CjkFamilies() that is installed.
QFont SongTiFont(qreal pointSize, bool bold = false);
// The windows' font: 宋体 9 pt.
QFont UiFont();
