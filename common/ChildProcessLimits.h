#pragma once

#include <QtGlobal>

#include <memory>

class QProcess;

// Limits for a helper process that reads untrusted input, so that whatever a hostile file makes it
// do ends that process and never the program: its memory and processor time are bounded, it leaves
// no core dump and shows no error window, and it ends when the program that started it ends.
// Resource limits on Linux, a Job Object on Windows.
class ChildProcessLimits
{
public:
    struct Limits
    {
        qint64 memoryBytes = 0; // 0: no memory limit (a sanitizer bounds it instead)
        int cpuSeconds = 0;     // 0: no processor-time limit
    };

    explicit ChildProcessLimits(Limits limits);
    // A child still running is ended.
    ~ChildProcessLimits();
    ChildProcessLimits(const ChildProcessLimits &) = delete;
    ChildProcessLimits &operator=(const ChildProcessLimits &) = delete;

    // Before QProcess::start.
    void prepare(QProcess &process);
    // After QProcess::start succeeded: false when the limits could not be put on the child, which
    // has then been ended.
    bool started(QProcess &process);
    // What the system holds the started child to, read back from the system (0 where nothing is
    // held): the proof that the limits are in force, not merely asked for.
    Limits inForce(const QProcess &process) const;

private:
    struct Private;
    Limits m_limits;
    std::unique_ptr<Private> m_d;
};
