#include "app/memory/SheetWriter.h"

#include "app/memory/SheetFolder.h"

#include <chrono>

SheetWriter::SheetWriter(QObject *parent) : QObject(parent), m_thread(QThread::create([this] { run(); }))
{
    m_thread->start();
}

SheetWriter::~SheetWriter()
{
    {
        std::lock_guard lock(m_mutex);
        m_stop = true;
    }
    m_wake.notify_all();
    m_thread->wait();
}

void SheetWriter::post(const QString &path, const SheetRecord &record)
{
    {
        std::lock_guard lock(m_mutex);
        m_pending = Job{path, record};
    }
    m_wake.notify_all();
}

void SheetWriter::flush()
{
    std::unique_lock lock(m_mutex);
    m_idle.wait(lock, [this] { return !m_pending && !m_busy; });
}

void SheetWriter::run()
{
    std::unique_lock lock(m_mutex);
    for (;;) {
        m_wake.wait(lock, [this] { return m_stop || m_pending; });
        // What was handed over is still written when the calculator ends.
        if (!m_pending)
            return;
        Job job = std::move(*m_pending);
        m_pending.reset();
        m_busy = true;
        lock.unlock();
        QString error;
        // A reader of the folder (another calculator listing it) may hold the file for a moment,
        // and Windows refuses to replace a file that is open.
        bool done = false;
        for (int attempt = 0; attempt < 3 && !done; ++attempt) {
            if (attempt)
                std::this_thread::sleep_for(std::chrono::milliseconds(100));
            done = WriteRecordFile(job.path, job.record, &error);
        }
        if (done)
            emit written(job.record.sequence);
        else
            emit failed(error);
        job = Job();
        lock.lock();
        m_busy = false;
        m_idle.notify_all();
    }
}
