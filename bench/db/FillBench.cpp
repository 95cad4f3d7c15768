// The fill of a full sheet (32,766 rows) from SQLite, PostgreSQL and the tests' SQL Server
// (through FreeTDS), beside what the driver alone needs for the same query on the same connection:
// a bare loop of SQLFetch, the same loop reading the four columns as text with SQLGetData, and with
// the four columns bound as text instead (one row per fetch, and 256 rows per fetch).
// Processor time of the whole process (the servers run in processes of their own, so for those
// it is the driver's and Quilvar's share alone); the summary says how much of the fill is
// Quilvar's own (the fill less the bare SQLFetch loop) against the driver's.
#include "db/OdbcConnection.h"
#include "db/OdbcConnectionString.h"
#include "db/OdbcDiagnostics.h"
#include "db/OdbcRecordset.h"
#include "sheet/CostSheet.h"
#include "sheet/QueryFill.h"

#include <QFile>
#include <QMap>
#include <QProcess>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace {

struct Database
{
    const char *name;
    QString odbc;
    QString query;
    OdbcConnection *connection = nullptr; // opened once: the fill and the loops share it
};

const QString FullSheetQuery = QStringLiteral(
    "SELECT '房', '第' || n || '项 北京饭店 标准间（含早）', '单价: 580.00 × 15间 × 5晚', '43500.50' FROM %1");

void fillSheet(benchmark::State &state, const Database &db)
{
    for (auto _ : state) {
        CostSheet sheet;
        DbError error;
        if (!FillSheetFromQuery(sheet, *db.connection, db.query, &error)) {
            state.SkipWithError(error.description.toStdString().c_str());
            return;
        }
        if (sheet.rowCount() != CostSheet::MaxRows) {
            state.SkipWithError("wrong row count");
            return;
        }
    }
}

// How the driver loops read the four columns.
enum class Reading
{
    None,    // SQLFetch alone
    GetData, // each row's four columns as UTF-16 text through SQLGetData
    Bound,   // the four columns bound as UTF-16 text, one row per SQLFetch
    Array,   // the same, 256 rows per SQLFetch (row-wise binding)
};

constexpr SQLULEN ArrayRows = 256;
constexpr SQLLEN BoundUnits = 256;

struct BoundRow
{
    SQLWCHAR text[4][BoundUnits];
    SQLLEN indicator[4];
};

// Binds the four columns to rows[0] (and the rows after it, row-wise, for an array); false when the
// driver refuses.
bool bindColumns(SQLHSTMT stmt, std::vector<BoundRow> &rows, SQLULEN *fetched)
{
    if (rows.size() > 1) {
        if (!SQL_SUCCEEDED(
                SQLSetStmtAttrW(stmt, SQL_ATTR_ROW_BIND_TYPE, reinterpret_cast<SQLPOINTER>(sizeof(BoundRow)), 0)) ||
            !SQL_SUCCEEDED(
                SQLSetStmtAttrW(stmt, SQL_ATTR_ROW_ARRAY_SIZE, reinterpret_cast<SQLPOINTER>(rows.size()), 0)) ||
            !SQL_SUCCEEDED(SQLSetStmtAttrW(stmt, SQL_ATTR_ROWS_FETCHED_PTR, fetched, 0)))
            return false;
    }
    for (SQLUSMALLINT c = 1; c <= 4; ++c)
        if (!SQL_SUCCEEDED(SQLBindCol(stmt, c, SQL_C_WCHAR, rows[0].text[c - 1], sizeof rows[0].text[c - 1],
                                      &rows[0].indicator[c - 1])))
            return false;
    return true;
}

// The driver alone: the query run and every row fetched, its columns read as the reading says.
void driverLoop(benchmark::State &state, const Database &db, Reading reading)
{
    const auto dbc = static_cast<SQLHDBC>(db.connection->handle());
    for (auto _ : state) {
        SQLHSTMT stmt = SQL_NULL_HSTMT;
        SQLAllocHandle(SQL_HANDLE_STMT, dbc, &stmt);
        std::vector<BoundRow> bound(reading == Reading::Array ? ArrayRows : 1);
        SQLULEN fetched = 1;
        if ((reading >= Reading::Bound && !bindColumns(stmt, bound, &fetched)) ||
            !SQL_SUCCEEDED(SQLExecDirectW(stmt, toSqlWChar(db.query), SQL_NTS))) {
            SQLFreeHandle(SQL_HANDLE_STMT, stmt);
            state.SkipWithError("the query or the binding failed");
            return;
        }
        SQLULEN rows = 0;
        bool failed = false;
        SQLWCHAR buffer[4096];
        SQLLEN indicator = 0;
        while (SQL_SUCCEEDED(SQLFetch(stmt))) {
            rows += fetched;
            for (SQLUSMALLINT c = 1; reading == Reading::GetData && c <= 4; ++c)
                if (!SQL_SUCCEEDED(SQLGetData(stmt, c, SQL_C_WCHAR, buffer, sizeof buffer, &indicator)))
                    failed = true;
        }
        SQLFreeHandle(SQL_HANDLE_STMT, stmt);
        if (rows != SQLULEN(CostSheet::MaxRows) || failed) {
            state.SkipWithError(failed ? "SQLGetData failed" : "wrong row count");
            return;
        }
    }
}

// Keeps each benchmark's processor time per iteration, by name, for the summary.
class Collector : public benchmark::ConsoleReporter
{
public:
    Collector() : ConsoleReporter(OO_Tabular) {}
    void ReportRuns(const std::vector<Run> &runs) override
    {
        ConsoleReporter::ReportRuns(runs);
        for (const Run &run : runs)
            if (!run.error_occurred)
                cpuMs[run.run_name.function_name] = run.GetAdjustedCPUTime();
    }
    std::map<std::string, double> cpuMs;
};

QMap<QString, QString> readEnvFile(const QString &envFile)
{
    QMap<QString, QString> values;
    QFile file(envFile);
    if (!file.open(QIODevice::ReadOnly))
        return values;
    for (const QByteArray &line : file.readAll().split('\n')) {
        const int eq = line.indexOf('=');
        if (eq > 0)
            values.insert(QString::fromUtf8(line.left(eq)), QString::fromUtf8(line.mid(eq + 1)).trimmed());
    }
    return values;
}

// The log-in encrypted, the rows as SQL Server sends them by default.
QString readSqlServerOdbc(const QString &envFile)
{
    const QString port = readEnvFile(envFile).value(QStringLiteral("login"));
    if (port.isEmpty())
        return QString();
    ConnectionSettings settings;
    settings.dataSource = QStringLiteral("127.0.0.1,%1").arg(port);
    settings.initialCatalog = QStringLiteral("tours");
    settings.userName = QStringLiteral("sa");
    settings.password = QStringLiteral("secret");
    return OdbcConnectionString(settings, FindOdbcDriver(QString()));
}

QString readPgOdbc(const QString &envFile)
{
    QMap<QString, QString> values = readEnvFile(envFile);
    if (values.isEmpty())
        return QString();
    return QStringLiteral("DRIVER={PostgreSQL Unicode};SERVER=%1;PORT=%2;DATABASE=%3;UID=%4;PWD=%5;CommLog=0;Debug=0")
        .arg(values["PGHOST"], values["PGPORT"], values["PGDATABASE"], values["PGUSER"], values["PGPASSWORD"]);
}

// The statements return no rows, which a record set refuses: they are run on the bare handle.
bool makeSqliteDatabase(const QString &file)
{
    OdbcConnection connection;
    if (!connection.open(QStringLiteral("DRIVER={SQLite3};DATABASE=%1").arg(file)))
        return false;
    const QString statements[] = {
        QStringLiteral("CREATE TABLE numbers (n INTEGER PRIMARY KEY)"),
        QStringLiteral("WITH RECURSIVE s(n) AS (SELECT 1 UNION ALL SELECT n + 1 FROM s WHERE n < 32766) "
                       "INSERT INTO numbers SELECT n FROM s"),
    };
    for (const QString &statement : statements) {
        SQLHSTMT stmt = SQL_NULL_HSTMT;
        SQLAllocHandle(SQL_HANDLE_STMT, static_cast<SQLHDBC>(connection.handle()), &stmt);
        const bool done = SQL_SUCCEEDED(SQLExecDirectW(stmt, toSqlWChar(statement), SQL_NTS));
        SQLFreeHandle(SQL_HANDLE_STMT, stmt);
        if (!done)
            return false;
    }
    return true;
}

void registerBenchmarks(Database &db)
{
    const std::string name = db.name;
    // QUILVAR_BENCH_ITERATIONS=1 runs each once, for counting instructions under callgrind.
    const int iterations = qEnvironmentVariableIntValue("QUILVAR_BENCH_ITERATIONS");
    const auto add = [&](const std::string &what, auto run) {
        auto *bench = benchmark::RegisterBenchmark((what + "/" + name).c_str(), run)
                          ->Unit(benchmark::kMillisecond)
                          ->MeasureProcessCPUTime();
        if (iterations > 0)
            bench->Iterations(iterations);
        else
            bench->MinTime(2);
    };
    add("Fill", [&db](benchmark::State &state) { fillSheet(state, db); });
    add("SQLFetch", [&db](benchmark::State &state) { driverLoop(state, db, Reading::None); });
    add("SQLFetchGetData", [&db](benchmark::State &state) { driverLoop(state, db, Reading::GetData); });
    add("SQLBindCol", [&db](benchmark::State &state) { driverLoop(state, db, Reading::Bound); });
    add("SQLBindColArray", [&db](benchmark::State &state) { driverLoop(state, db, Reading::Array); });
}

void printSummary(const std::vector<Database> &databases, const Collector &collector)
{
    double load[3] = {-1, -1, -1};
    getloadavg(load, 3);
    std::printf("\n%d rows, processor time per fill (load average %.2f %.2f %.2f):\n", CostSheet::MaxRows, load[0],
                load[1], load[2]);
    for (const Database &db : databases) {
        const auto find = [&](const char *what) {
            const auto it = collector.cpuMs.find(std::string(what) + "/" + db.name);
            return it == collector.cpuMs.end() ? -1.0 : it->second;
        };
        const double fill = find("Fill"), fetch = find("SQLFetch"), getData = find("SQLFetchGetData");
        if (fill < 0 || fetch < 0 || getData < 0) {
            std::printf("  %-10s not measured\n", db.name);
            continue;
        }
        std::printf("  %-10s fill %6.1f ms; SQLFetch alone %6.1f ms; with SQLGetData of the 4 columns %6.1f ms\n",
                    db.name, fill, fetch, getData);
        std::printf("  %-10s Quilvar's own share beyond SQLFetch alone %6.1f ms = %.2f of it (target at most 1); "
                    "beyond SQLFetch + SQLGetData %6.1f ms = %.2f of it\n",
                    "", fill - fetch, (fill - fetch) / fetch, fill - getData, (fill - getData) / getData);
    }
}

} // namespace

int main(int argc, char **argv)
{
    QTemporaryDir dir;
    QString envFile = qEnvironmentVariable("QUILVAR_PG_ENV");
    const bool ownServer = envFile.isEmpty();
    if (ownServer) {
        envFile = dir.filePath("pg.env");
        if (QProcess::execute("bash", {QStringLiteral(QUILVAR_SERVER_FIXTURE), "pg", "start", envFile}) != 0)
            std::fprintf(stderr, "PostgreSQL could not be started; its benchmark is skipped\n");
    }
    const QString tdsEnvFile = dir.filePath("tds.env");
    if (QProcess::execute("bash", {QStringLiteral(QUILVAR_SERVER_FIXTURE), "tds", "start", tdsEnvFile}) != 0)
        std::fprintf(stderr, "the test SQL Server could not be started; its benchmark is skipped\n");
    const QString sqliteFile = dir.filePath("numbers.sqlite");
    std::vector<Database> databases = {
        {"SQLite",
         makeSqliteDatabase(sqliteFile) ? QStringLiteral("DRIVER={SQLite3};DATABASE=%1;NoCreat=1").arg(sqliteFile)
                                        : QString(),
         FullSheetQuery.arg(QStringLiteral("numbers"))},
        {"PostgreSQL", readPgOdbc(envFile), FullSheetQuery.arg(QStringLiteral("generate_series(1, 32766) AS n"))},
        {"SQLServer", readSqlServerOdbc(tdsEnvFile), QStringLiteral("SELECT rows 32766")},
    };
    std::vector<std::unique_ptr<OdbcConnection>> connections;
    for (Database &db : databases) {
        connections.push_back(std::make_unique<OdbcConnection>());
        DbError error;
        if (db.odbc.isEmpty() || !connections.back()->open(db.odbc, &error)) {
            std::fprintf(stderr, "%s: no connection %s\n", db.name, qPrintable(error.description));
            continue;
        }
        db.connection = connections.back().get();
        registerBenchmarks(db);
    }

    benchmark::Initialize(&argc, argv);
    Collector collector;
    benchmark::RunSpecifiedBenchmarks(&collector);
    benchmark::Shutdown();
    printSummary(databases, collector);

    connections.clear();
    if (ownServer)
        QProcess::execute("bash", {QStringLiteral(QUILVAR_SERVER_FIXTURE), "pg", "stop", envFile});
    QProcess::execute("bash", {QStringLiteral(QUILVAR_SERVER_FIXTURE), "tds", "stop", tdsEnvFile});
    return 0;
}
