#pragma once

#include <QByteArray>
#include <QList>
#include <QPair>
#include <QString>

// Writes a zip archive of the given entries (name, content), compressed; for hand-made workbooks.
bool writeZipForTest(const QString &path, const QList<QPair<QString, QByteArray>> &entries);

// A document-type declaration whose entity doubles ten times over, twenty levels deep: the XML
// prologue of a workbook part made to exhaust a reader that expands entities.
QByteArray entityBomb();
