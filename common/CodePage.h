#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringView>

// Texts in the Windows code pages, by number: GBK (936), in which the settings file and the
// scrambled log-in are kept on every platform so that files from Windows installations read
// unchanged, and whichever code page a legacy workbook names. Windows converts with its own
// code-page tables; elsewhere Qt's ICU-backed codecs do, and both give the same bytes.
namespace CodePage {

inline constexpr unsigned Gbk = 936;

// Whether this platform can convert the code page at all.
bool isSupported(unsigned codePage);
// The text of the bytes. A byte sequence the code page does not define sets *ok to false (the text
// then holds a replacement for it); so does a code page that is not supported (the text is empty).
QString toUnicode(unsigned codePage, QByteArrayView bytes, bool *ok = nullptr);
// The bytes of the text. A character the code page cannot represent sets *ok to false (the bytes
// then hold a substitute for it); nothing is ever replaced by a look-alike.
QByteArray fromUnicode(unsigned codePage, QStringView text, bool *ok = nullptr);
// Whether every character of the text has bytes of its own in the code page.
bool canEncode(unsigned codePage, QStringView text);

} // namespace CodePage
