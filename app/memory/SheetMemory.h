#pragma once

#include "app/memory/SheetFolder.h"
#include "app/memory/SheetRecord.h"
#include "app/memory/SheetWriter.h"

#include <QLockFile>
#include <QObject>
#include <QSet>
#include <QThread>
#include <QTimer>

#include <functional>
#include <memory>

class CostSheet;

// Keeps one calculator's sheet and its quote texts in a file of its own in the sheet folder, a
// moment after every change. The interface thread only takes a shared copy of the state; the
// writing happens on the writer's thread. The file appears with the first change after start():
// a sheet never changed is not kept.
class SheetMemory : public QObject
{
    Q_OBJECT
public:
    // How long changes gather before their state is handed over: well inside a second with the write.
    static constexpr int GatherMs = 200;

    SheetMemory(CostSheet &sheet, const QString &folder, QObject *parent = nullptr);
    // Hands over what is waiting and waits for it; the record stays marked as not closed.
    ~SheetMemory() override;

    void setQuery(const QString &query) { m_record.query = query; }
    // Changes from now on are kept; what the sheet held before (a host's fill) is where it starts.
    void start();
    const QJsonObject &quoteTexts() const { return m_record.quoteTexts; }
    void setQuoteTexts(const QJsonObject &texts);
    // The calculator's normal end: the last state, marked closed, written before this returns.
    void closeNormally();
    // Keeps what follows apart from the sheet kept so far, which stays as it is (a saved quote opened).
    void startAnew(const QString &query);
    // Waits until every change made so far is written.
    void flush();
    // Hands the sheet as it stands to the writer at once, as the end of a gathering does.
    void handOver();

    using LookDone = std::function<void(const FolderScan &scan, int unclosed)>;
    // Reads the folder on a thread of its own, so that many large kept sheets on a slow or network
    // drive never hold up the window: prunes it, moves damaged files aside and, with `markUnclosed`,
    // marks the sheets whose calculator ended without its close. `done` runs on this object's thread.
    // Never waits: asked while a reading runs, it is answered by that reading (one that marks answers
    // one that does not), or else by the next one, started when that reading ends.
    void lookAtFolder(bool markUnclosed, LookDone done);

    QString path() const { return m_path; }
    qint64 lastWritten() const { return m_lastWritten; }

signals:
    // A failure of the memory, once per kind: the planner's work goes on unsaved.
    void problem(const QString &text);
    // A reading of the folder is done, the `done` of every look it answered called.
    void folderLooked();

private:
    struct Look
    {
        bool markUnclosed = false;
        QList<LookDone> done;
    };
    void startLook();
    void changed();
    bool prepareFile();
    void report(int kind, const QString &text);

    CostSheet &m_sheet;
    QString m_folder;
    QString m_path;
    std::unique_ptr<QLockFile> m_lock;
    SheetRecord m_record;
    SheetWriter m_writer;
    QTimer m_gather;
    QSet<int> m_reported;
    qint64 m_lastWritten = 0;
    bool m_started = false;
    std::unique_ptr<QThread> m_look;
    QList<Look> m_looks; // the reading under way first, then at most one to follow it
};

// Puts a kept sheet into the sheet as an import does: every row, then the three boxes as they stood.
void RestoreRecord(CostSheet &sheet, const SheetRecord &record);
