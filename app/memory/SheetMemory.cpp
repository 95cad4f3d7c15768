#include "app/memory/SheetMemory.h"

#include "app/memory/SheetFolder.h"
#include "sheet/CostSheet.h"

#include <QDir>

namespace {
enum Problem
{
    FolderProblem,
    WriteProblem
};
}

SheetMemory::SheetMemory(CostSheet &sheet, const QString &folder, QObject *parent)
    : QObject(parent), m_sheet(sheet), m_folder(folder)
{
    m_record.started = QDateTime::currentDateTimeUtc();
    m_gather.setSingleShot(true);
    m_gather.setInterval(GatherMs);
    connect(&m_gather, &QTimer::timeout, this, &SheetMemory::handOver);
    connect(&m_writer, &SheetWriter::written, this, [this](qint64 sequence) { m_lastWritten = sequence; });
    connect(&m_writer, &SheetWriter::failed, this, [this](const QString &error) {
        report(WriteProblem, QStringLiteral("这张表没能保存到“%1”：%2。计算器照常工作，请尽快导出到Excel。")
                                 .arg(QDir::toNativeSeparators(m_path), error));
    });
    for (auto signal : {&CostSheet::rowsInserted, &CostSheet::rowsRemoved, &CostSheet::reset})
        connect(&sheet, signal, this, &SheetMemory::changed);
    connect(&sheet, &CostSheet::rowsChanged, this, &SheetMemory::changed);
    for (auto signal : {&CostSheet::text1Changed, &CostSheet::text3Changed, &CostSheet::text4Changed})
        connect(&sheet, signal, this, &SheetMemory::changed);
}

SheetMemory::~SheetMemory()
{
    if (m_look)
        m_look->wait();
    if (m_gather.isActive())
        handOver();
    m_writer.flush();
}

void SheetMemory::lookAtFolder(bool markUnclosed, LookDone done)
{
    if (m_looks.isEmpty() || (m_looks.size() == 1 && markUnclosed && !m_looks.first().markUnclosed)) {
        m_looks.append({markUnclosed, {done}});
        if (m_looks.size() == 1)
            startLook();
        return;
    }
    m_looks.last().markUnclosed |= markUnclosed;
    m_looks.last().done.append(done);
}

void SheetMemory::startLook()
{
    if (m_look)
        m_look->wait(); // it has ended: handing its result over was the last thing it did
    m_look.reset(QThread::create([this, folder = m_folder, own = m_path, mark = m_looks.first().markUnclosed] {
        const FolderScan scan = ScanSheetFolder(folder, QDateTime::currentDateTimeUtc(), own);
        const int unclosed = mark ? MarkUnclosedSheets(scan) : 0;
        // Dropped when this object is gone before the call arrives.
        QMetaObject::invokeMethod(
            this,
            [this, read = scan, unclosed] {
                // This calculator's own file may have been made while the reading ran.
                FolderScan scan = read;
                scan.sheets.removeIf([this](const RecentSheet &sheet) { return sheet.path == m_path; });
                const Look look = m_looks.takeFirst();
                if (!m_looks.isEmpty())
                    startLook();
                for (const LookDone &done : look.done)
                    done(scan, unclosed);
                emit folderLooked();
            },
            Qt::QueuedConnection);
    }));
    m_look->start();
}

void SheetMemory::start()
{
    m_started = true;
}

void SheetMemory::setQuoteTexts(const QJsonObject &texts)
{
    if (texts == m_record.quoteTexts)
        return;
    m_record.quoteTexts = texts;
    changed();
}

void SheetMemory::changed()
{
    if (m_started && !m_gather.isActive())
        m_gather.start();
}

bool SheetMemory::prepareFile()
{
    if (!m_path.isEmpty())
        return true;
    if (!QDir().mkpath(m_folder)) {
        report(FolderProblem, QStringLiteral("无法使用保存报价的文件夹“%1”，这张表不会被保存。计算器照常工作，"
                                             "请尽快导出到Excel。")
                                  .arg(QDir::toNativeSeparators(m_folder)));
        return false;
    }
    m_path = QDir(m_folder).filePath(SheetFolder::newFileName());
    m_lock = std::make_unique<QLockFile>(SheetFolder::lockPathFor(m_path));
    m_lock->setStaleLockTime(0);
    m_lock->tryLock(0);
    return true;
}

void SheetMemory::handOver()
{
    m_gather.stop();
    if (!prepareFile())
        return;
    // Shared copies: the rows are copied only when the sheet next changes them.
    m_record.rows = m_sheet.rows();
    m_record.text1 = m_sheet.Text1();
    m_record.text3 = m_sheet.Text3();
    m_record.text4 = m_sheet.Text4();
    m_record.changed = QDateTime::currentDateTimeUtc();
    ++m_record.sequence;
    m_writer.post(m_path, m_record);
}

void SheetMemory::flush()
{
    if (m_gather.isActive())
        handOver();
    m_writer.flush();
}

void SheetMemory::closeNormally()
{
    // Only a sheet that is kept is marked; one never changed leaves no file. A change still
    // gathering goes into the same, one write.
    const bool gathering = m_gather.isActive();
    if (m_path.isEmpty() && !gathering)
        return;
    m_record.closed = true;
    if (gathering)
        handOver();
    else
        m_writer.post(m_path, m_record);
    m_writer.flush();
    // The sheet is no longer open here: another calculator may open it as it is.
    m_lock.reset();
}

void SheetMemory::startAnew(const QString &query)
{
    // The sheet kept so far stays in the list as it was; what replaces it is kept in a file of its
    // own, or opening a saved quote would write over the one this calculator held.
    closeNormally();
    m_path.clear();
    m_record = SheetRecord();
    m_record.started = QDateTime::currentDateTimeUtc();
    m_record.query = query;
}

void SheetMemory::report(int kind, const QString &text)
{
    if (m_reported.contains(kind))
        return;
    m_reported.insert(kind);
    emit problem(text);
}

void RestoreRecord(CostSheet &sheet, const SheetRecord &record)
{
    sheet.replaceRows(record.rows);
    sheet.setText1(record.text1);
    sheet.setText3(record.text3);
    sheet.setText4(record.text4);
}
