#include "common/ChildProcessLimits.h"

#include <QProcess>

#include <qt_windows.h>

struct ChildProcessLimits::Private
{
    HANDLE job = nullptr;
    PROCESS_INFORMATION *child = nullptr;
};

ChildProcessLimits::ChildProcessLimits(Limits limits) : m_limits(limits), m_d(std::make_unique<Private>()) {}

ChildProcessLimits::~ChildProcessLimits()
{
    // The job ends every process in it when its last handle closes; the program's own end closes
    // it too, so a child never outlives the program.
    if (m_d->job)
        CloseHandle(m_d->job);
}

void ChildProcessLimits::prepare(QProcess &process)
{
    Private *d = m_d.get();
    // The child starts suspended, so that it runs no instruction before it is in the job.
    process.setCreateProcessArgumentsModifier([d](QProcess::CreateProcessArguments *arguments) {
        arguments->flags |= CREATE_SUSPENDED;
        d->child = arguments->processInformation;
    });
}

bool ChildProcessLimits::started(QProcess &process)
{
    if (!m_d->child || !m_d->child->hProcess)
        return false;
    m_d->job = CreateJobObjectW(nullptr, nullptr);
    JOBOBJECT_EXTENDED_LIMIT_INFORMATION info = {};
    DWORD &flags = info.BasicLimitInformation.LimitFlags;
    flags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE | JOB_OBJECT_LIMIT_DIE_ON_UNHANDLED_EXCEPTION |
            JOB_OBJECT_LIMIT_ACTIVE_PROCESS;
    info.BasicLimitInformation.ActiveProcessLimit = 1;
    if (m_limits.memoryBytes > 0) {
        flags |= JOB_OBJECT_LIMIT_PROCESS_MEMORY;
        info.ProcessMemoryLimit = SIZE_T(m_limits.memoryBytes);
    }
    if (m_limits.cpuSeconds > 0) {
        flags |= JOB_OBJECT_LIMIT_PROCESS_TIME;
        info.BasicLimitInformation.PerProcessUserTimeLimit.QuadPart = LONGLONG(m_limits.cpuSeconds) * 10000000;
    }
    const bool limited = m_d->job &&
                         SetInformationJobObject(m_d->job, JobObjectExtendedLimitInformation, &info, sizeof info) &&
                         AssignProcessToJobObject(m_d->job, m_d->child->hProcess);
    if (!limited) {
        process.kill();
        return false;
    }
    ResumeThread(m_d->child->hThread);
    return true;
}

ChildProcessLimits::Limits ChildProcessLimits::inForce(const QProcess &) const
{
    Limits limits;
    JOBOBJECT_EXTENDED_LIMIT_INFORMATION info = {};
    if (!m_d->job ||
        !QueryInformationJobObject(m_d->job, JobObjectExtendedLimitInformation, &info, sizeof info, nullptr))
        return limits;
    const DWORD flags = info.BasicLimitInformation.LimitFlags;
    if (flags & JOB_OBJECT_LIMIT_PROCESS_MEMORY)
        limits.memoryBytes = qint64(info.ProcessMemoryLimit);
    if (flags & JOB_OBJECT_LIMIT_PROCESS_TIME)
        limits.cpuSeconds = int(info.BasicLimitInformation.PerProcessUserTimeLimit.QuadPart / 10000000);
    return limits;
}
