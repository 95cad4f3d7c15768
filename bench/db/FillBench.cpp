#include "db/OdbcConnection.h"
#include "db/OdbcConnectionString.h"
#include "db/OdbcRecordset.h"
#include "sheet/CostSheet.h"
#include "sheet/QueryFill.h"

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <cstdio>

namespace {

QString g_pgOdbc;
QString g_sqliteOdbc;
QString g_sqlServerOdbc;

const QString FullSheetQuery = QStringLiteral(
    "SELECT '房', '第' || n || '项 北京饭店 标准间（含早）', '单价: 580.00 × 15间 × 5晚', '43500.50' FROM %1");

void fill(benchmark::State &state, const QString &odbc, const QString &query)
{
    if (odbc.isEmpty()) {
        state.SkipWithError("no database");
        return;
    }
    for (auto _ : state) {
        CostSheet sheet;
        DbError error;
        if (!FillSheetOnOwnConnection(sheet, odbc, query, &error)) {
            state.SkipWithError(error.description.toStdString().c_str());
            return;
        }
        if (sheet.rowCount() != CostSheet::MaxRows)
            state.SkipWithError("wrong row count");
    }
    state.counters["rows"] = CostSheet::MaxRows;
}

void BM_FillFromPostgreSql(benchmark::State &state)
{
    fill(state, g_pgOdbc, FullSheetQuery.arg(QStringLiteral("generate_series(1, 32766) AS n")));
}
BENCHMARK(BM_FillFromPostgreSql)->Unit(benchmark::kMillisecond)->MinTime(3);

void BM_FillFromSqlite(benchmark::State &state)
{
    fill(state, g_sqliteOdbc, FullSheetQuery.arg(QStringLiteral("numbers")));
}
BENCHMARK(BM_FillFromSqlite)->Unit(benchmark::kMillisecond)->MinTime(3);

// Through FreeTDS from the tests' own SQL Server: the log-in encrypted, the rows as SQL Server
// sends them by default, each fill with its own connection as the host launch opens it.
void BM_FillFromSqlServer(benchmark::State &state)
{
    fill(state, g_sqlServerOdbc, QStringLiteral("SELECT rows 32766"));
}
BENCHMARK(BM_FillFromSqlServer)->Unit(benchmark::kMillisecond)->MinTime(3);

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

bool makeSqliteDatabase(const QString &file)
{
    OdbcConnection connection;
    if (!connection.open(QStringLiteral("DRIVER={SQLite3};DATABASE=%1").arg(file)))
        return false;
    OdbcRecordset create(connection);
    OdbcRecordset insert(connection);
    return create.open(QStringLiteral("CREATE TABLE numbers (n INTEGER PRIMARY KEY)")) &&
           insert.open(QStringLiteral("WITH RECURSIVE s(n) AS (SELECT 1 UNION ALL SELECT n + 1 FROM s WHERE n < "
                                      "32766) INSERT INTO numbers SELECT n FROM s"));
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
    g_pgOdbc = readPgOdbc(envFile);
    const QString tdsEnvFile = dir.filePath("tds.env");
    if (QProcess::execute("bash", {QStringLiteral(QUILVAR_SERVER_FIXTURE), "tds", "start", tdsEnvFile}) != 0)
        std::fprintf(stderr, "the test SQL Server could not be started; its benchmark is skipped\n");
    g_sqlServerOdbc = readSqlServerOdbc(tdsEnvFile);
    const QString sqliteFile = dir.filePath("numbers.sqlite");
    if (makeSqliteDatabase(sqliteFile))
        g_sqliteOdbc = QStringLiteral("DRIVER={SQLite3};DATABASE=%1;NoCreat=1").arg(sqliteFile);

    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();

    if (ownServer)
        QProcess::execute("bash", {QStringLiteral(QUILVAR_SERVER_FIXTURE), "pg", "stop", envFile});
    QProcess::execute("bash", {QStringLiteral(QUILVAR_SERVER_FIXTURE), "tds", "stop", tdsEnvFile});
    return 0;
}
