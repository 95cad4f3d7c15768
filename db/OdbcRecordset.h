#pragma once

#include "db/DbError.h"

#include <QList>
#include <QString>

#include <memory>
#include <optional>
#include <vector>

class OdbcConnection;

inline const QString NoRecordsetMessage =
    QStringLiteral("查询没有返回记录集（对象关闭时，不允许操作），报价单没有改动。");

// A forward-only, read-only result of one query, read row by row with each value as text:
// texts unchanged; decimal and money values in their shortest decimal form, taken from the
// driver's decimal text and never through a double ("120.50" gives 120.5); double-precision
// numbers with 15 significant digits and single-precision ones with 7, trailing zeros dropped;
// a bit as "True" or "False";
// dates, times and timestamps in ISO form (a timestamp at midnight as its date only). A null
// reads as the empty text.
class OdbcRecordset
{
public:
    explicit OdbcRecordset(OdbcConnection &connection);
    ~OdbcRecordset();
    OdbcRecordset(const OdbcRecordset &) = delete;
    OdbcRecordset &operator=(const OdbcRecordset &) = delete;

    // Seconds a query may run before the driver cancels it.
    void setQueryTimeout(int seconds) { m_queryTimeout = seconds; }
    // The leading columns (at most this many) that the driver converts within its fetch rather
    // than when each value is asked for: for a reader that reads these columns of every row.
    // Values read the same either way. Set before open.
    void setBoundColumns(int count) { m_boundWanted = count; }

    // Runs the query and moves to the first row of its first result that has columns (or to the
    // end when that has no rows). A query that returns no such result fails (ADO's 3704).
    bool open(const QString &query, DbError *error = nullptr);
    int columnCount() const { return int(m_columns.size()); }
    bool eof() const { return m_eof; }
    // The current row's value in column 0, 1, ...; isNull tells a database null.
    bool value(int column, QString *text, DbError *error = nullptr, bool *isNull = nullptr);
    bool moveNext(DbError *error = nullptr);
    void close();

private:
    struct Column
    {
        short sqlType = 0;
        unsigned long long size = 0; // the declared size (SQLULEN)
    };
    bool allocateStatement(DbError *error);
    bool executeToFirstColumns(const QString &query, DbError *error);
    bool fetch(DbError *error);
    bool readColumn(int column, DbError *error);
    void bindLeadingColumns();
    bool readBound(int column);

    OdbcConnection &m_connection;
    void *m_statement = nullptr;
    int m_queryTimeout = 30;
    int m_boundWanted = 0;
    // The buffers of the bound leading columns, allocated once per query: the driver holds their
    // addresses until the statement is freed.
    struct Bound;
    std::vector<Bound> m_bound;
    // Whether SQLGetData reads a bound column (a text longer than its buffer) whole again.
    bool m_rereadBound = false;
    bool m_eof = true;
    QList<Column> m_columns;
    // Values read from the current row so far; drivers hand columns over in order only.
    QList<std::optional<QString>> m_row;
    int m_readColumns = 0;
};
