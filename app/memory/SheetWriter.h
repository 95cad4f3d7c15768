#pragma once

#include "app/memory/SheetRecord.h"

#include <QObject>
#include <QThread>

#include <condition_variable>
#include <memory>
#include <mutex>
#include <optional>

// Writes records on a thread of its own, so that a large sheet never holds up typing. Only the
// newest state waiting matters: a state handed over while an older one waits replaces it.
class SheetWriter : public QObject
{
    Q_OBJECT
public:
    explicit SheetWriter(QObject *parent = nullptr);
    ~SheetWriter() override;

    // Cheap on the calling thread: the record's rows and texts are shared, not copied.
    void post(const QString &path, const SheetRecord &record);
    // Waits until every state handed over has been written or has failed.
    void flush();

signals:
    // Emitted on the writer's thread; a receiver on the interface thread hears of it queued.
    void written(qint64 sequence);
    void failed(const QString &message);

private:
    struct Job
    {
        QString path;
        SheetRecord record;
    };
    void run();

    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::condition_variable m_idle;
    std::optional<Job> m_pending;
    bool m_busy = false;
    bool m_stop = false;
    // A QThread rather than a plain thread: Qt keeps its own record of every thread that emits.
    std::unique_ptr<QThread> m_thread;
};
