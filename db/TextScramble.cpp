#include "db/TextScramble.h"

#include "common/CodePage.h"
#include "common/Spaces.h"

#include <QList>

#include <algorithm>
#include <cstdint>
#include <iterator>

namespace {

// A character of the text: one code point, so that a surrogate pair takes one key position.
QList<QString> characters(const QString &text)
{
    QList<QString> chars;
    chars.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text.at(i).isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate()) {
            chars.append(text.mid(i, 2));
            ++i;
        } else {
            chars.append(QString(text.at(i)));
        }
    }
    return chars;
}

// The character's GBK value as a signed 16-bit number; "?" (63) when GBK cannot represent it.
int16_t gbkCode(const QString &character)
{
    const char16_t c = character.at(0).unicode();
    if (character.size() == 1 && c < 0x80)
        return int16_t(c);
    bool ok = false;
    const QByteArray bytes = CodePage::fromUnicode(CodePage::Gbk, character, &ok);
    if (!ok || bytes.isEmpty() || bytes.size() > 2)
        return 63;
    if (bytes.size() == 1)
        return int16_t(uint8_t(bytes.at(0)));
    return int16_t(uint16_t(uint8_t(bytes.at(0)) << 8 | uint8_t(bytes.at(1))));
}

// The keyed step. Its results are always codes 32 to 255, for which the step changed an ASCII
// character or a one-byte GBK character.
QString keyedStep(const QList<QString> &chars)
{
    constexpr int keyLength = int(std::size(ScrambleKey)) - 1;
    QString out;
    out.reserve(chars.size());
    for (qsizetype i = 0; i < chars.size(); ++i) {
        const qsizetype position = i + 1;
        const int16_t keyCode = int16_t(ScrambleKey[position % keyLength]);
        const int16_t r = int16_t(gbkCode(chars.at(i)) ^ keyCode);
        if (r < 32) {
            out.append(chars.at(i));
        } else if (r < 0x80) {
            out.append(QChar(char16_t(r)));
        } else {
            // A lone byte from 0x80 up is a GBK character only for 0x80 (the euro sign); any other
            // is half of a two-byte character, so the character is kept as it is.
            bool ok = false;
            const QString decoded = CodePage::toUnicode(CodePage::Gbk, QByteArray(1, char(uint8_t(r))), &ok);
            if (!ok || decoded.size() != 1 || decoded.at(0) == QChar::ReplacementCharacter)
                out.append(chars.at(i));
            else
                out.append(decoded);
        }
    }
    return out;
}

QList<QString> reversed(QList<QString> chars)
{
    std::reverse(chars.begin(), chars.end());
    return chars;
}

} // namespace

QString EncodeText(const QString &text)
{
    if (text.isEmpty())
        return QString();
    const QString stepped = keyedStep(characters(TrimSpaces(text).toString()));
    return reversed(characters(stepped)).join(QString());
}

QString DecodeText(const QString &text)
{
    if (text.isEmpty())
        return QString();
    const QString turned = reversed(characters(text)).join(QString());
    return keyedStep(characters(TrimSpaces(turned).toString()));
}

bool IsGbkText(const QString &text)
{
    return CodePage::canEncode(CodePage::Gbk, text);
}
