#include "app/VendorLinks.h"

#include <QDesktopServices>

namespace VendorLinks {

QUrl HomePage()
{
    return QUrl(QStringLiteral("https://www.orvane.example/"));
}

QUrl ForumPage()
{
    return QUrl(QStringLiteral("https://bbs.orvane.example/"));
}

QUrl DownloadPage()
{
    return QUrl(QStringLiteral("https://www.orvane.example/download"));
}

void open(const QUrl &page)
{
    // A missing browser is not the calculator's concern: the result is ignored.
    QDesktopServices::openUrl(page);
}

} // namespace VendorLinks
