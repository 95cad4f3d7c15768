#pragma once

#include <QString>

// The quote's messages written out in more than one place: both documents fail to write with the
// same words, and the window and quilvar-batch report an unrecorded quote number alike.
namespace QuoteMessage {

inline QString cannotWriteDocument(const QString &path, const QString &reason)
{
    return QStringLiteral("无法写入报价单“%1”：%2").arg(path, reason);
}
inline QString quoteNumberNotRecorded(const QString &reason)
{
    return QStringLiteral("报价编号没有记下：") + reason;
}

} // namespace QuoteMessage
