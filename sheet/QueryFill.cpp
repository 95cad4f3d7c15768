#include "sheet/QueryFill.h"

#include "db/ConnectionSettings.h"
#include "db/Database.h"
#include "db/OdbcConnection.h"
#include "db/OdbcRecordset.h"
#include "sheet/CostSheet.h"

#include <QStringList>

bool FillSheetFromQuery(CostSheet &sheet, OdbcConnection &connection, const QString &query, DbError *error)
{
    OdbcRecordset records(connection);
    records.setQueryTimeout(QueryTimeout);
    records.setBoundColumns(4);
    if (!records.open(query, error))
        return false;
    // Too few columns only fail once a row is read: a result without rows fills nothing, and the
    // totals are recomputed as after any fill.
    if (records.columnCount() < 4 && !records.eof()) {
        if (error)
            *error = DbError::of(DbError::Kind::ItemNotFound,
                                 QStringLiteral("查询结果只有 %1 列，至少需要四列（项目、内容、表达式、金额）。")
                                     .arg(records.columnCount()));
        return false;
    }
    // The rows are gathered and written in one step, so that a view follows the whole fill as one
    // insertion; a failure further down still writes the rows before it.
    QList<RowTexts> rows;
    // Room for the most a fill can hold, so the list never moves while it grows: a small result
    // only takes address space that is never touched.
    rows.reserve(CostSheet::MaxRows);
    const auto stop = [&] {
        sheet.writeRowsKeepingTotals(1, std::move(rows));
        return false;
    };
    while (!records.eof()) {
        if (rows.size() >= CostSheet::MaxRows) {
            if (error)
                *error = DbError::of(
                    DbError::Kind::Overflow,
                    QStringLiteral("溢出：查询返回的行数超过了报价单的 %1 行上限。").arg(CostSheet::MaxRows));
            return stop();
        }
        RowTexts &texts = rows.emplace_back();
        QString *fields[] = {&texts.Category, &texts.Content, &texts.Expression, &texts.AmountText};
        for (int column = 0; column < 4; ++column) {
            if (!records.value(column, fields[column], error)) {
                rows.removeLast();
                return stop();
            }
        }
        if (!records.moveNext(error))
            return stop();
    }
    sheet.writeRows(1, std::move(rows));
    return true;
}

bool FillSheetOnOwnConnection(CostSheet &sheet, const QString &odbcConnectionString, const QString &query,
                              DbError *error)
{
    OdbcConnection connection;
    connection.setLoginTimeout(FillLoginTimeout);
    if (!connection.open(odbcConnectionString, error))
        return false;
    return FillSheetFromQuery(sheet, connection, query, error);
}

QString FillErrorText(const DbError &error)
{
    return QStringLiteral("运行时错误 '%1'：\n\n%2").arg(error.number).arg(error.description);
}

int FillSheetHeadless(CostSheet &sheet, const QString &iniPath, const QString &query, QString *message)
{
    QStringList shown;
    DbError error;
    const bool opened = OpenMainConn(
        iniPath, [&] { shown.append(MissingIniMessage); }, &error);
    if (!opened)
        shown.append(ConnectErrorMessage + QStringLiteral("\n") + FillErrorText(error));
    else if (shown.isEmpty() && !FillSheetOnOwnConnection(sheet, MainConn().connectionString(), query, &error))
        shown.append(FillErrorText(error));
    if (message)
        *message = shown.join(QStringLiteral("\n"));
    return shown.isEmpty() ? 0 : 3;
}
