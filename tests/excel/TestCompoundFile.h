#pragma once

#include <QByteArray>
#include <QList>
#include <QPair>
#include <QString>

// A compound file (version 3, 512-byte sectors) holding the given streams under its root, each
// padded to at least 4096 bytes so that it lives in ordinary sectors. For the tests of the .xls reader.
QByteArray compoundFile(const QList<QPair<QString, QByteArray>> &streams);

// The offset of the allocation table in such a file and of its directory, to damage them.
constexpr int CompoundFatOffset = 512;
constexpr int CompoundDirectoryOffset = 1024;
