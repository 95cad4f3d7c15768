#include "db/OdbcRecordset.h"

#include "common/NumberText.h"

#include "db/OdbcConnection.h"
#include "db/OdbcDiagnostics.h"

#include <QByteArray>

#include <cmath>
#include <cstring>

namespace {

QString twoDigits(int value)
{
    return QStringLiteral("%1").arg(value, 2, 10, QLatin1Char('0'));
}

QString dateText(int year, int month, int day)
{
    return QStringLiteral("%1-%2-%3").arg(year, 4, 10, QLatin1Char('0')).arg(twoDigits(month), twoDigits(day));
}

QString timeText(int hour, int minute, int second)
{
    return twoDigits(hour) + u':' + twoDigits(minute) + u':' + twoDigits(second);
}

// A date, a time, or a timestamp (at midnight its date only), in ISO form.
QString temporalText(short sqlType, const SQL_TIMESTAMP_STRUCT &value)
{
    const QString date = dateText(value.year, value.month, value.day);
    const QString time = timeText(value.hour, value.minute, value.second);
    if (sqlType == SQL_TYPE_DATE)
        return date;
    if (sqlType == SQL_TYPE_TIME)
        return time;
    if (!value.hour && !value.minute && !value.second && !value.fraction)
        return date;
    QString text = date + u' ' + time;
    if (value.fraction) {
        QString fraction = QStringLiteral("%1").arg(value.fraction, 9, 10, QLatin1Char('0'));
        while (fraction.endsWith(u'0'))
            fraction.chop(1);
        text += u'.' + fraction;
    }
    return text;
}

// The driver's decimal text in its shortest form: "120.50" gives 120.5, ".5" gives 0.5.
QString shortestDecimal(QString text)
{
    text = text.trimmed();
    const bool negative = text.startsWith(u'-');
    QString digits = negative ? text.mid(1) : text;
    if (digits.startsWith(u'+'))
        digits.remove(0, 1);
    if (digits.contains(u'.') && !digits.contains(u'e', Qt::CaseInsensitive)) {
        while (digits.endsWith(u'0'))
            digits.chop(1);
        if (digits.endsWith(u'.'))
            digits.chop(1);
        if (digits.startsWith(u'.'))
            digits.prepend(u'0');
        if (digits.isEmpty())
            digits = QStringLiteral("0");
    }
    if (negative && digits != QStringLiteral("0"))
        digits.prepend(u'-');
    return digits;
}

// The C type and buffer size each column is read with; a buffer size of 0 for a text.
struct Binding
{
    SQLSMALLINT cType = SQL_C_WCHAR;
    SQLLEN bytes = 0;
};

Binding fixedBinding(short sqlType)
{
    switch (sqlType) {
    case SQL_DECIMAL:
    case SQL_NUMERIC:
    case SQL_INTEGER:
    case SQL_SMALLINT:
    case SQL_TINYINT:
    case SQL_BIGINT:
        return {SQL_C_CHAR, 128};
    case SQL_BIT:
        return {SQL_C_BIT, 1};
    case SQL_REAL:
        return {SQL_C_FLOAT, sizeof(float)};
    case SQL_FLOAT:
    case SQL_DOUBLE:
        return {SQL_C_DOUBLE, sizeof(double)};
    case SQL_TYPE_DATE:
    case SQL_TYPE_TIME:
    case SQL_TYPE_TIMESTAMP:
        // All three arrive as a timestamp (a time with today's date, a date at midnight).
        return {SQL_C_TYPE_TIMESTAMP, sizeof(SQL_TIMESTAMP_STRUCT)};
    default:
        return {};
    }
}

// A value other than a text, as the driver wrote it into the buffer, into its cell (empty for NULL).
void fixedCell(short sqlType, SQLSMALLINT cType, const char *buffer, SQLLEN bytes, SQLLEN indicator,
               std::optional<QString> &cell)
{
    if (indicator == SQL_NULL_DATA)
        return;
    if (cType == SQL_C_CHAR) {
        const qsizetype length = indicator >= 0 ? qMin<qsizetype>(indicator, bytes - 1) : qstrnlen(buffer, bytes);
        cell = shortestDecimal(QString::fromLatin1(buffer, length));
    } else if (cType == SQL_C_BIT) {
        // The text form a boolean has on the planners' platform.
        cell = buffer[0] ? QStringLiteral("True") : QStringLiteral("False");
    } else if (cType == SQL_C_FLOAT) {
        float value = 0;
        std::memcpy(&value, buffer, sizeof value);
        cell = NumberTextSingle(value);
    } else if (cType == SQL_C_DOUBLE) {
        double value = 0;
        std::memcpy(&value, buffer, sizeof value);
        cell = NumberText(value);
    } else {
        SQL_TIMESTAMP_STRUCT value = {};
        std::memcpy(&value, buffer, sizeof value);
        cell = temporalText(sqlType, value);
    }
}

// Everything else as text, in pieces as long as it is.
bool readText(SQLHSTMT statement, SQLUSMALLINT number, std::optional<QString> &cell)
{
    SQLLEN indicator = 0;
    QString text;
    SQLWCHAR buffer[4096];
    for (;;) {
        const SQLRETURN rc = SQLGetData(statement, number, SQL_C_WCHAR, buffer, sizeof buffer, &indicator);
        if (rc == SQL_NO_DATA)
            break;
        if (!SQL_SUCCEEDED(rc))
            return false;
        if (indicator == SQL_NULL_DATA) {
            cell = std::nullopt;
            return true;
        }
        const qsizetype capacity = qsizetype(std::size(buffer)) - 1;
        const bool more = indicator == SQL_NO_TOTAL || indicator / qsizetype(sizeof(SQLWCHAR)) > capacity;
        const qsizetype units = more ? capacity : indicator / qsizetype(sizeof(SQLWCHAR));
        if (text.isEmpty() && (rc == SQL_SUCCESS || !more)) {
            cell = fromSqlWChar(buffer, units); // the whole text at once, as nearly every one comes
            return true;
        }
        text.append(reinterpret_cast<const QChar *>(buffer), units);
        if (rc == SQL_SUCCESS || !more)
            break;
    }
    cell = text;
    return true;
}

// Reads one column of the current row into its cell, which stays empty for NULL; false when the
// driver fails.
bool readCell(SQLHSTMT statement, SQLUSMALLINT number, short sqlType, std::optional<QString> &cell)
{
    const Binding binding = fixedBinding(sqlType);
    if (!binding.bytes)
        return readText(statement, number, cell);
    SQLLEN indicator = 0;
    alignas(8) char buffer[128] = {};
    if (!SQL_SUCCEEDED(SQLGetData(statement, number, binding.cType, buffer, binding.bytes, &indicator)))
        return false;
    fixedCell(sqlType, binding.cType, buffer, binding.bytes, indicator, cell);
    return true;
}

// A bound text's buffer: its declared size twice over in UTF-16 units (a character may take two),
// never more than this; a text without a declared size, or a larger one, is not bound.
constexpr SQLULEN MaxBoundTextSize = 8000;
// Where SQLGetData reads a bound column whole again, a longer text is read that way, and the
// buffer need only hold the usual ones.
constexpr SQLULEN RereadableTextUnits = 1024;

Binding bindingOf(short sqlType, SQLULEN size, bool reread)
{
    Binding binding = fixedBinding(sqlType);
    if (binding.bytes)
        return binding;
    SQLULEN units = size > 0 && size <= MaxBoundTextSize ? 2 * size + 1 : 0;
    if (reread)
        units = units ? qMin(units, RereadableTextUnits) : RereadableTextUnits;
    binding.bytes = SQLLEN(units * sizeof(SQLWCHAR));
    return binding;
}

} // namespace

struct OdbcRecordset::Bound
{
    std::vector<char> buffer;
    SQLSMALLINT cType = SQL_C_WCHAR;
    SQLLEN indicator = 0;
};

OdbcRecordset::OdbcRecordset(OdbcConnection &connection) : m_connection(connection) {}

OdbcRecordset::~OdbcRecordset()
{
    close();
}

void OdbcRecordset::close()
{
    if (m_statement)
        SQLFreeHandle(SQL_HANDLE_STMT, m_statement);
    m_statement = nullptr;
    m_bound.clear(); // only once the driver no longer holds the buffers
    m_eof = true;
    m_columns.clear();
    m_row.clear();
    m_readColumns = 0;
}

bool OdbcRecordset::open(const QString &query, DbError *error)
{
    close();
    if (!m_connection.isOpen()) {
        if (error)
            *error = DbError::of(DbError::Kind::NotOpen, QStringLiteral("连接没有打开，不能执行查询。"));
        return false;
    }
    if (!allocateStatement(error))
        return false;
    // Some drivers take an empty text as a statement that returns nothing; it is a failing query.
    if (query.trimmed().isEmpty()) {
        if (error)
            *error = DbError::of(DbError::Kind::EmptyQuery, QStringLiteral("查询语句为空。"));
        close();
        return false;
    }
    if (!executeToFirstColumns(query, error)) {
        close();
        return false;
    }
    bindLeadingColumns();
    return fetch(error);
}

// A forward-only, read-only statement under the query time limit.
bool OdbcRecordset::allocateStatement(DbError *error)
{
    SQLHSTMT stmt = SQL_NULL_HSTMT;
    if (!SQL_SUCCEEDED(SQLAllocHandle(SQL_HANDLE_STMT, m_connection.handle(), &stmt))) {
        ReadOdbcDiagnostics(SQL_HANDLE_DBC, m_connection.handle(), QStringLiteral("无法创建查询。"), error);
        return false;
    }
    m_statement = stmt;
    SQLSetStmtAttrW(stmt, SQL_ATTR_CURSOR_TYPE, reinterpret_cast<SQLPOINTER>(SQL_CURSOR_FORWARD_ONLY), 0);
    SQLSetStmtAttrW(stmt, SQL_ATTR_CONCURRENCY, reinterpret_cast<SQLPOINTER>(SQL_CONCUR_READ_ONLY), 0);
    if (m_queryTimeout > 0) {
        // FreeTDS waits as long again for the server to confirm its cancel: half each, so that a
        // server that stalls is given up within the whole time.
        const int seconds =
            m_connection.driverKind() == OdbcDriverKind::FreeTds ? qMax(1, m_queryTimeout / 2) : m_queryTimeout;
        SQLSetStmtAttrW(stmt, SQL_ATTR_QUERY_TIMEOUT, reinterpret_cast<SQLPOINTER>(static_cast<SQLULEN>(seconds)), 0);
    }
    return true;
}

// The first result that has columns: a batch may begin with row counts ("UPDATE …; SELECT …"
// without SET NOCOUNT ON). A query without any is a failure, as it was for ADO's closed record
// set, not an empty result. The columns' types are kept for reading the values.
bool OdbcRecordset::executeToFirstColumns(const QString &query, DbError *error)
{
    const SQLHSTMT stmt = m_statement;
    SQLRETURN rc = SQLExecDirectW(stmt, toSqlWChar(query), SQL_NTS);
    SQLSMALLINT count = 0;
    for (;;) {
        if (!SQL_SUCCEEDED(rc) && rc != SQL_NO_DATA) {
            ReadOdbcDiagnostics(SQL_HANDLE_STMT, stmt, QStringLiteral("查询执行失败。"), error);
            return false;
        }
        if (rc != SQL_NO_DATA && !SQL_SUCCEEDED(SQLNumResultCols(stmt, &count))) {
            ReadOdbcDiagnostics(SQL_HANDLE_STMT, stmt, QStringLiteral("无法读取查询结果。"), error);
            return false;
        }
        if (count > 0)
            break;
        rc = SQLMoreResults(stmt);
        if (rc == SQL_NO_DATA) {
            if (error)
                *error = DbError::of(DbError::Kind::NotOpen, NoRecordsetMessage);
            return false;
        }
    }
    for (SQLSMALLINT c = 1; c <= count; ++c) {
        SQLSMALLINT type = SQL_UNKNOWN_TYPE;
        SQLULEN size = 0;
        SQLSMALLINT digits = 0;
        SQLSMALLINT nullable = 0;
        SQLSMALLINT nameLength = 0;
        SQLWCHAR name[2];
        SQLDescribeColW(stmt, SQLUSMALLINT(c), name, 1, &nameLength, &type, &size, &digits, &nullable);
        m_columns.append(Column{type, size});
    }
    return true;
}

bool OdbcRecordset::moveNext(DbError *error)
{
    if (m_eof) {
        if (error)
            *error = DbError::of(DbError::Kind::NoCurrentRecord, QStringLiteral("已经到了查询结果的末尾。"));
        return false;
    }
    return fetch(error);
}

bool OdbcRecordset::fetch(DbError *error)
{
    // A bound column keeps the value of the row before until it is read again, so that a value
    // that repeats (a category, a price) is shared rather than copied once more.
    m_row.resize(m_columns.size());
    for (qsizetype c = qsizetype(m_bound.size()); c < m_row.size(); ++c)
        m_row[c].reset();
    m_readColumns = 0;
    const SQLRETURN rc = SQLFetch(m_statement);
    if (rc == SQL_NO_DATA) {
        m_eof = true;
        return true;
    }
    if (!SQL_SUCCEEDED(rc)) {
        ReadOdbcDiagnostics(SQL_HANDLE_STMT, m_statement, QStringLiteral("读取查询结果失败。"), error);
        m_eof = true;
        return false;
    }
    m_eof = false;
    return true;
}

bool OdbcRecordset::value(int column, QString *text, DbError *error, bool *isNull)
{
    if (column < 0 || column >= m_columns.size()) {
        if (error)
            *error = DbError::of(
                DbError::Kind::ItemNotFound,
                QStringLiteral("查询结果中没有第 %1 列（结果只有 %2 列）。").arg(column + 1).arg(m_columns.size()));
        return false;
    }
    if (m_eof) {
        if (error)
            *error = DbError::of(DbError::Kind::NoCurrentRecord, QStringLiteral("查询结果中没有当前行。"));
        return false;
    }
    while (m_readColumns <= column) {
        if (!readColumn(m_readColumns, error))
            return false;
        ++m_readColumns;
    }
    const std::optional<QString> &stored = m_row.at(column);
    if (isNull)
        *isNull = !stored.has_value();
    if (stored)
        *text = *stored;
    else
        text->clear();
    return true;
}

// The wanted leading columns, up to the first text whose size does not allow it, each bound with
// the type it is read with otherwise. A driver that refuses leaves every column read as before.
void OdbcRecordset::bindLeadingColumns()
{
    SQLUINTEGER extensions = 0;
    if (!SQL_SUCCEEDED(
            SQLGetInfoW(m_connection.handle(), SQL_GETDATA_EXTENSIONS, &extensions, sizeof extensions, nullptr)))
        extensions = 0;
    m_rereadBound = extensions & SQL_GD_BOUND;
    std::vector<Binding> bindings;
    for (int c = 0; c < qMin(m_boundWanted, int(m_columns.size())); ++c) {
        const Binding binding = bindingOf(m_columns.at(c).sqlType, m_columns.at(c).size, m_rereadBound);
        if (!binding.bytes)
            break;
        bindings.push_back(binding);
    }
    m_bound.resize(bindings.size()); // the buffers' addresses stay put from here on
    for (size_t c = 0; c < bindings.size(); ++c) {
        Bound &bound = m_bound[c];
        bound.buffer.resize(size_t(bindings[c].bytes));
        bound.cType = bindings[c].cType;
        if (!SQL_SUCCEEDED(SQLBindCol(m_statement, SQLUSMALLINT(c + 1), bound.cType, bound.buffer.data(),
                                      bindings[c].bytes, &bound.indicator))) {
            SQLFreeStmt(m_statement, SQL_UNBIND);
            m_bound.clear();
            return;
        }
    }
}

// A bound column's value; a text longer than its buffer is read whole again, or, where the driver
// cannot, fails rather than comes cut.
bool OdbcRecordset::readBound(int column)
{
    const Bound &bound = m_bound[size_t(column)];
    std::optional<QString> &cell = m_row[column]; // still the row before's
    if (bound.cType != SQL_C_WCHAR) {
        cell.reset();
        fixedCell(m_columns.at(column).sqlType, bound.cType, bound.buffer.data(), SQLLEN(bound.buffer.size()),
                  bound.indicator, cell);
        return true;
    }
    if (bound.indicator == SQL_NULL_DATA) {
        cell.reset();
        return true;
    }
    if (bound.indicator == SQL_NO_TOTAL || bound.indicator < 0 || bound.indicator >= SQLLEN(bound.buffer.size()))
        return m_rereadBound && readText(m_statement, SQLUSMALLINT(column + 1), cell);
    const auto *text = reinterpret_cast<const SQLWCHAR *>(bound.buffer.data());
    const qsizetype length = bound.indicator / qsizetype(sizeof(SQLWCHAR));
    if (!cell || cell->size() != length || std::memcmp(cell->constData(), text, size_t(length) * sizeof(SQLWCHAR)) != 0)
        cell = fromSqlWChar(text, length);
    return true;
}

bool OdbcRecordset::readColumn(int column, DbError *error)
{
    if (size_t(column) < m_bound.size()
            ? readBound(column)
            : readCell(m_statement, SQLUSMALLINT(column + 1), m_columns.at(column).sqlType, m_row[column]))
        return true;
    ReadOdbcDiagnostics(SQL_HANDLE_STMT, m_statement, QStringLiteral("读取第 %1 列失败。").arg(column + 1), error);
    return false;
}
