#pragma once

#include <QList>
#include <QString>
#include <QStringView>

struct CostLine;

// A table as spreadsheets and text editors put it on the clipboard, cut into the four texts of a
// cost line. Columns are taken by position, as the query fill takes them: category, content,
// expression, amount. Missing columns are empty; columns past the fourth are dropped.
struct TableRow
{
    QString Category;
    QString Content;
    QString Expression;
    QString AmountText;

    bool operator==(const TableRow &other) const = default;
};

// Tab-separated text: rows end in CR LF, LF or CR, and the row end after the last row starts no
// new row. A cell that begins with a double quote and has a matching closing quote before its tab
// or row end is quoted: it may hold tabs and line breaks, and "" inside stands for one quote.
// Any other cell is taken literally, quotes and all.
QList<TableRow> ParseTabText(QStringView text);

// The first table of an HTML text (the form a spreadsheet also offers): one row per <tr>, one
// cell per <td> or <th> (colspan takes as many positions), tags dropped, <br> a line break,
// entities decoded and white space collapsed as a browser shows it. No table gives no rows.
QList<TableRow> ParseHtmlTable(QStringView html);

// Lines as tab-separated text, one row each ending in LF, cells quoted where ParseTabText needs
// it to give them back unchanged.
QString RowsAsTabText(const QList<CostLine> &lines);
