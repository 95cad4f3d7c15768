#include "common/CodePage.h"

#include <QStringDecoder>
#include <QStringEncoder>

namespace {

// ICU's names for the code pages; Qt's own codecs take the Unicode ones.
QByteArray codecName(unsigned codePage)
{
    switch (codePage) {
    case CodePage::Gbk:
        return "GBK";
    case 20127:
        return "US-ASCII";
    case 10000:
        return "macintosh";
    case 65001:
        return "UTF-8";
    case 1200:
        return "UTF-16LE";
    default:
        return "windows-" + QByteArray::number(codePage);
    }
}

} // namespace

namespace CodePage {

bool isSupported(unsigned codePage)
{
    return QStringDecoder(codecName(codePage).constData()).isValid();
}

QString toUnicode(unsigned codePage, QByteArrayView bytes, bool *ok)
{
    QStringDecoder decoder(codecName(codePage).constData(), QStringConverter::Flag::Stateless);
    QString text;
    if (decoder.isValid())
        text = decoder.decode(bytes);
    if (ok)
        *ok = decoder.isValid() && !decoder.hasError();
    return text;
}

QByteArray fromUnicode(unsigned codePage, QStringView text, bool *ok)
{
    QStringEncoder encoder(codecName(codePage).constData(), QStringConverter::Flag::Stateless);
    QByteArray bytes;
    if (encoder.isValid())
        bytes = encoder.encode(text);
    if (ok)
        *ok = encoder.isValid() && !encoder.hasError();
    return bytes;
}

} // namespace CodePage
