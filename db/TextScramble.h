#pragma once

#include <QString>

// The reversible scrambling of the user name and password stored in default.ini. It works on GBK
// character codes exactly as the Windows installations did, so their stored log-ins decode.
//
// The empty text gives the empty text both ways, so that an empty user name or password is stored
// as empty and reads back as empty. (The Windows program gave the key text for it, and so stored
// an empty password that decoded to something else.) Texts have no length limit.

inline constexpr char16_t ScrambleKey[] = u"k4p9w3";

QString EncodeText(const QString &text);
QString DecodeText(const QString &text);

// True when every character of the text has a GBK code: only such a text is stored and scrambled
// faithfully (any other character would be stored as "?").
bool IsGbkText(const QString &text);
