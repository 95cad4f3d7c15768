#pragma once

#include <QByteArray>
#include <QMap>
#include <QString>
#include <QStringList>

// Reading back what the export wrote; each failure to read is a test failure.

// One part of the workbook at path, read back for the tests of what was written.
QByteArray zipEntry(const QString &path, const QString &name);

// The texts of the elements named `element` (their attribute `attribute`, when given) in document order.
QStringList xmlValues(const QByteArray &xml, const QString &element, const QString &attribute = QString());

// The values of a worksheet part's cells by reference (A1, B2, …), shared strings resolved.
QMap<QString, QString> worksheetCells(const QString &path, const QString &sheetPart);
