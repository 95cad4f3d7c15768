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

// Hand-made workbooks of one sheet, for files the export never writes.
using Entries = QList<QPair<QString, QByteArray>>;
Entries xlsx(const QByteArray &sheetData, const QByteArray &sharedStrings = QByteArray(),
             const QByteArray &sheetProlog = QByteArray());
// A sheet row with an inline text in A and, when given, a number in D.
QByteArray inlineRow(int row, const QByteArray &a, const QByteArray &d = QByteArray());
Entries ods(const QByteArray &tableContent, const QByteArray &manifest = QByteArray());
QByteArray odsRow(const QByteArray &a, const QByteArray &d = QByteArray());
