#include "common/ChildProcessLimits.h"

#include <QProcess>

#include <csignal>
#include <sys/resource.h>
#if defined(__linux__)
#include <sys/prctl.h>
#endif

struct ChildProcessLimits::Private
{
};

ChildProcessLimits::ChildProcessLimits(Limits limits) : m_limits(limits) {}

ChildProcessLimits::~ChildProcessLimits() = default;

void ChildProcessLimits::prepare(QProcess &process)
{
    const Limits limits = m_limits;
    process.setChildProcessModifier([limits] {
        // Only async-signal-safe calls between fork and exec.
        struct rlimit none = {0, 0};
        setrlimit(RLIMIT_CORE, &none);
        if (limits.memoryBytes > 0) {
            struct rlimit space = {rlim_t(limits.memoryBytes), rlim_t(limits.memoryBytes)};
            setrlimit(RLIMIT_AS, &space);
        }
        if (limits.cpuSeconds > 0) {
            struct rlimit cpu = {rlim_t(limits.cpuSeconds), rlim_t(limits.cpuSeconds)};
            setrlimit(RLIMIT_CPU, &cpu);
        }
#if defined(__linux__)
        prctl(PR_SET_PDEATHSIG, SIGKILL);
#endif
    });
}

bool ChildProcessLimits::started(QProcess &)
{
    return true;
}

ChildProcessLimits::Limits ChildProcessLimits::inForce(const QProcess &process) const
{
    Limits limits;
#if defined(__linux__)
    struct rlimit held = {};
    const pid_t pid = pid_t(process.processId());
    if (pid > 0 && prlimit(pid, RLIMIT_AS, nullptr, &held) == 0 && held.rlim_cur != RLIM_INFINITY)
        limits.memoryBytes = qint64(held.rlim_cur);
    if (pid > 0 && prlimit(pid, RLIMIT_CPU, nullptr, &held) == 0 && held.rlim_cur != RLIM_INFINITY)
        limits.cpuSeconds = int(held.rlim_cur);
#else
    (void)process;
#endif
    return limits;
}
