#pragma once

#include <QUrl>

// The vendor's pages, opened in the user's browser without waiting and without any message.
namespace VendorLinks {
QUrl HomePage();
QUrl ForumPage();
QUrl DownloadPage();
void open(const QUrl &page);
} // namespace VendorLinks
