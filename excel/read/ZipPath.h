#pragma once

#include <QByteArray>
#include <QString>

// A file's path as libzip takes it: the file system's own bytes on Linux; UTF-8 on Windows, where
// libzip opens files through the wide-character calls. One .cpp per platform.
QByteArray ZipPath(const QString &path);
