#pragma once

#include <QString>

// The settings file default.ini, read and written the way the Windows private-profile functions do:
// section and key names match without regard to case, blanks around "=" do not count, a missing
// file, section or key reads as the empty text, and a write keeps every other line in its place.
// The text is GBK (code page 936), so that a file from a Windows installation reads unchanged; a
// file that starts with a UTF-8 or UTF-16 byte-order mark is read and rewritten in that encoding.

// The value of the key in the section, or the empty text. Never fails.
QString ReadIni(const QString &section, const QString &key, const QString &file);

// Stores the value (cut to its first 128 characters) under the key in the section, creating the
// file (readable by its owner only), the section and the key when they are missing. Returns false,
// with a reason in Chinese, when the value could not be stored; the file is then left as it was.
bool WriteIni(const QString &section, const QString &key, const QString &value, const QString &file,
              QString *error = nullptr);

// The longest value written, in characters.
inline constexpr int IniValueMaxChars = 128;
