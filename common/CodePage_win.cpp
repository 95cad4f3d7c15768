#include "common/CodePage.h"

#include <qt_windows.h>

#include <climits>

namespace {

bool allowsNoBestFitFlag(unsigned codePage)
{
    // The flag is refused for the Unicode code pages and a few others the system handles itself.
    return codePage != 65001 && codePage != 65000 && codePage != 54936 && codePage != 50220 && codePage != 50221 &&
           codePage != 50222 && codePage != 50225 && codePage != 50227 && codePage != 50229 && codePage != 52936 &&
           codePage != 42 && !(codePage >= 57002 && codePage <= 57011);
}

} // namespace

namespace CodePage {

bool isSupported(unsigned codePage)
{
    return codePage == 1200 || IsValidCodePage(codePage);
}

QString toUnicode(unsigned codePage, QByteArrayView bytes, bool *ok)
{
    if (ok)
        *ok = isSupported(codePage);
    if (codePage == 1200) {
        if (ok && bytes.size() % 2)
            *ok = false;
        return QString::fromUtf16(reinterpret_cast<const char16_t *>(bytes.data()), bytes.size() / 2);
    }
    if (bytes.isEmpty() || !isSupported(codePage) || bytes.size() > INT_MAX)
        return QString();
    const char *in = bytes.data();
    const int inSize = int(bytes.size());
    // Strict first, so that an undefined sequence is noticed; then as the system reads it.
    int size = MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, in, inSize, nullptr, 0);
    DWORD flags = MB_ERR_INVALID_CHARS;
    if (size <= 0) {
        if (ok)
            *ok = false;
        flags = 0;
        size = MultiByteToWideChar(codePage, 0, in, inSize, nullptr, 0);
        if (size <= 0)
            return QString();
    }
    QString text(size, Qt::Uninitialized);
    size = MultiByteToWideChar(codePage, flags, in, inSize, reinterpret_cast<wchar_t *>(text.data()), size);
    text.resize(qMax(size, 0));
    return text;
}

QByteArray fromUnicode(unsigned codePage, QStringView text, bool *ok)
{
    if (ok)
        *ok = isSupported(codePage);
    if (codePage == 1200)
        return QByteArray(reinterpret_cast<const char *>(text.utf16()), text.size() * 2);
    if (text.isEmpty() || !isSupported(codePage) || text.size() > INT_MAX / 4)
        return QByteArray();
    const wchar_t *in = reinterpret_cast<const wchar_t *>(text.utf16());
    const int inSize = int(text.size());
    const bool noBestFit = allowsNoBestFitFlag(codePage);
    const DWORD flags = noBestFit ? WC_NO_BEST_FIT_CHARS : 0;
    BOOL usedDefault = FALSE;
    int size =
        WideCharToMultiByte(codePage, flags, in, inSize, nullptr, 0, nullptr, noBestFit ? &usedDefault : nullptr);
    if (size <= 0) {
        if (ok)
            *ok = false;
        return QByteArray();
    }
    QByteArray bytes(size, Qt::Uninitialized);
    size = WideCharToMultiByte(codePage, flags, in, inSize, bytes.data(), size, nullptr,
                               noBestFit ? &usedDefault : nullptr);
    bytes.resize(qMax(size, 0));
    if (ok && usedDefault)
        *ok = false;
    // The system passes an unpaired surrogate through as the default character without saying so
    // for some code pages; reading the bytes back tells.
    if (ok && *ok && toUnicode(codePage, bytes) != text)
        *ok = false;
    return bytes;
}

} // namespace CodePage
