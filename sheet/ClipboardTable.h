#pragma once

#include "sheet/CostLine.h"

#include <QList>
#include <QString>
#include <QStringView>

// A table as spreadsheets and text editors put it on the clipboard, cut into the four texts of a
// cost line. Columns are taken by position, as the query fill takes them: category, content,
// expression, amount. Missing columns are empty; columns past the fourth are dropped.
//
// Tab-separated text: rows end in CR LF, LF or CR, and the row end after the last row starts no
// new row; blank rows at the end are dropped, and so is a byte-order mark at the start. A cell that begins with a
// double quote and has a matching closing quote before its tab or row end is quoted: it may hold tabs and line breaks,
// and "" inside stands for one quote. Any other cell is taken literally, quotes and all.
QList<RowTexts> ParseTabText(QStringView text);

// The first table of an HTML text (the form a spreadsheet also offers): one row per <tr>, one
// cell per <td> or <th> (colspan takes as many positions), tags dropped, <br> a line break,
// entities decoded and white space collapsed as a browser shows it. No table gives no rows.
QList<RowTexts> ParseHtmlTable(QStringView html);

// Lines as tab-separated text, one row each ending in LF, cells quoted where ParseTabText needs
// it to give them back unchanged.
QString RowsAsTabText(const QList<CostLine> &lines);

// A text for a one-line box: each line break (CR LF, LF or CR) and tab becomes one space, other
// control characters are dropped; with `dropTrailingLineEnds`, the line ends at its end go first.
QString AsOneLine(QStringView text, bool dropTrailingLineEnds);
