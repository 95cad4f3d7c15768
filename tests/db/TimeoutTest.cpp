#include "TestServer.h"

#include "db/Database.h"
#include "db/SqlServerNetwork.h"

#include <QElapsedTimer>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

// Nothing answers: MainConn gives up after its 10 seconds from the call, also where a named
// instance must first be asked of the browser service (FreeTDS alone would ask it sixteen times,
// a second each). Only an upper bound is asserted, with a margin for a loaded machine.
TEST(LoginTimeout, MainConnGivesUpWithinItsTenSeconds)
{
    enum Silent
    {
        SqlServer,
        Browser,
        PostgreSql
    };
    for (Silent silent : {SqlServer, Browser, PostgreSql}) {
        SCOPED_TRACE(silent);
        SilentListener listener(silent == Browser ? SilentListener::Udp : SilentListener::Tcp);
        ASSERT_NE(listener.port(), 0);
        setSqlBrowserPort(quint16(listener.port()));
        QTemporaryDir dir;
        const QString ini = dir.filePath("default.ini");
        if (silent == PostgreSql) {
            PgServer server;
            server.host = "127.0.0.1";
            server.port = QString::number(listener.port());
            WritePgIni(ini, server, "u", "p", "d");
        } else {
            WriteSqlServerIni(ini, silent == Browser ? QStringLiteral("127.0.0.1\\SQLEXPRESS")
                                                     : QStringLiteral("127.0.0.1,%1").arg(listener.port()));
        }
        QElapsedTimer timer;
        timer.start();
        DbError error;
        EXPECT_FALSE(OpenMainConn(ini, {}, &error));
        EXPECT_LT(timer.elapsed(), 11500);
        EXPECT_FALSE(error.description.isEmpty());
    }
    setSqlBrowserPort(1434);
}

} // namespace
