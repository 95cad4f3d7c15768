#pragma once

#include <QByteArray>
#include <QString>

// The workbook writer opens its files, scratch files included, through the C library's narrow
// calls. On Windows those take the ANSI code page, which cannot name a folder of a user whose name
// it lacks (a Chinese user name on an English Windows). One .cpp per platform.

// The path as the narrow calls take it; empty when they cannot name it.
QByteArray NarrowPath(const QString &path);

// A folder for scratch files that the narrow calls can name: the user's temporary folder, or on
// Windows its short form, or the system's temporary folder.
QString NarrowScratchBase();

// Whether another program holds the file open so that it cannot be replaced (Excel and WPS keep an
// open workbook locked on Windows). Never so elsewhere.
bool IsHeldOpenElsewhere(const QString &path);
