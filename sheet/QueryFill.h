#pragma once

#include "db/DbError.h"

#include <QString>

class CostSheet;
class OdbcConnection;

// Writes the rows of the query's result into the sheet: result row k into sheet row k, its first
// four columns as category, content, expression and amount, the row ticked; rows past the sheet's
// end are appended. A database null is written as the empty text. RefreshTotals ends a fill that
// succeeded. A failure (the query, a result of fewer than four columns, a row past CostSheet's
// last position) stops the fill there: the rows filled so far stay, and the totals are not
// recomputed.
bool FillSheetFromQuery(CostSheet &sheet, OdbcConnection &connection, const QString &query, DbError *error);

// The same on a connection of its own, opened with the ODBC connection string.
bool FillSheetOnOwnConnection(CostSheet &sheet, const QString &odbcConnectionString, const QString &query,
                              DbError *error);

// The message that reports a failed fill: the error's number and its description.
QString FillErrorText(const DbError &error);
inline const QString FillErrorTitle = QStringLiteral("运行时错误");

// The fill for quilvar-batch, without any window: opens MainConn from the settings file, then
// fills the sheet from the query on a connection of its own. Returns 0, or 3 with the message
// where the window would have shown a message or the settings window.
int FillSheetHeadless(CostSheet &sheet, const QString &iniPath, const QString &query, QString *message);
