#include "TestServer.h"

#include "db/Database.h"

#include <QElapsedTimer>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

// A server that accepts and never answers: MainConn gives up after its 10 seconds. Only an upper
// bound is asserted, with a margin for a loaded machine.
TEST(LoginTimeout, MainConnGivesUpOnASilentSqlServer)
{
    SilentListener listener;
    ASSERT_NE(listener.port(), 0);
    QTemporaryDir dir;
    const QString ini = dir.filePath("default.ini");
    WriteSqlServerIni(ini, listener.port());
    QElapsedTimer timer;
    timer.start();
    DbError error;
    EXPECT_FALSE(OpenMainConn(ini, {}, &error));
    EXPECT_LT(timer.elapsed(), 12500);
    EXPECT_FALSE(error.description.isEmpty());
}

TEST(LoginTimeout, MainConnGivesUpOnASilentPostgreSqlServer)
{
    SilentListener listener;
    QTemporaryDir dir;
    const QString ini = dir.filePath("default.ini");
    PgServer server;
    server.host = "127.0.0.1";
    server.port = QString::number(listener.port());
    WritePgIni(ini, server, "u", "p", "d");
    QElapsedTimer timer;
    timer.start();
    EXPECT_FALSE(OpenMainConn(ini, {}, nullptr));
    EXPECT_LT(timer.elapsed(), 20000);
}

} // namespace
