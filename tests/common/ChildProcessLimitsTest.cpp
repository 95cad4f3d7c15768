#include "common/ChildProcessLimits.h"

#include <QProcess>

#include <gtest/gtest.h>

#ifdef _WIN32
#include <windows.h>
#endif

namespace {

// The limits are read back from the system for a child that runs under them: a Job Object's on
// Windows (which Wine holds but does not enforce), the resource limits elsewhere.
TEST(ChildProcessLimits, TheSystemHoldsTheChildToThem)
{
#ifdef _WIN32
    // Wine keeps a Job Object's limits but reports none back (its query is a stub).
    if (GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "wine_get_version"))
        GTEST_SKIP() << "Wine reports no Job Object limits";
#endif
    ChildProcessLimits limits({qint64(256) << 20, 7});
    QProcess child;
    limits.prepare(child);
#ifdef _WIN32
    child.start(QStringLiteral("cmd.exe"), {QStringLiteral("/c"), QStringLiteral("exit")});
#else
    child.start(QStringLiteral("sleep"), {QStringLiteral("5")});
#endif
    ASSERT_TRUE(child.waitForStarted(10000));
    ASSERT_TRUE(limits.started(child));
    const ChildProcessLimits::Limits held = limits.inForce(child);
    EXPECT_EQ(held.memoryBytes, qint64(256) << 20);
    EXPECT_EQ(held.cpuSeconds, 7);
    child.kill();
    child.waitForFinished(5000);
}

} // namespace
