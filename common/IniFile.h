#pragma once

#include <QList>
#include <QString>

// The settings file default.ini, read and written the way the Windows private-profile functions do:
// section and key names match without regard to case, blanks around "=" do not count, a missing
// file, section or key reads as the empty text, and a write keeps every other line in its place.
// The text is GBK (code page 936), so that a file from a Windows installation reads unchanged; a
// file that starts with a UTF-8 or UTF-16 byte-order mark is read and rewritten in that encoding.

// The value of the key in the section; missing when the file, the section or the key is missing
// (a key written empty reads as the empty text). Never fails.
QString ReadIni(const QString &section, const QString &key, const QString &file, const QString &missing = QString());

// Stores the value (cut to its first 128 characters) under the key in the section, creating the
// file (readable by its owner only), the section and the key when they are missing. Returns false,
// with a reason in Chinese, when the value could not be stored; the file is then left as it was.
bool WriteIni(const QString &section, const QString &key, const QString &value, const QString &file,
              QString *error = nullptr);

// One value for WriteIniValues.
struct IniEntry
{
    QString section;
    QString key;
    QString value;
};

// Stores all the values in one rewrite of the file: written beside it, then put in its place, so
// that a failure at any point leaves the old file whole (in place where the folder takes no new
// file but the file may be written). With ownerOnly the file ends readable by
// its owner only, whatever its mode was (it holds a scrambled log-in). Returns false, with a reason
// in Chinese, when any value could not be stored; then none is.
bool WriteIniValues(const QList<IniEntry> &entries, const QString &file, bool ownerOnly, QString *error = nullptr);

// The longest value written, in characters.
inline constexpr int IniValueMaxChars = 128;
