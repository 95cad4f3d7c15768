#include "app/memory/SheetFolder.h"

#include <QDir>
#include <QFile>
#include <QLockFile>
#include <QRandomGenerator>
#include <QSaveFile>
#include <QStandardPaths>

#include <algorithm>

namespace {
QString &testFolder()
{
    static QString folder;
    return folder;
}

std::function<void()> &readHook()
{
    static std::function<void()> hook;
    return hook;
}

void removeRecord(const QString &path)
{
    QFile::remove(path);
    QFile::remove(SheetFolder::lockPathFor(path));
}

// A damaged record is kept under another name, where no scan reads it again.
QString moveAside(const QString &path)
{
    QString aside = path + QStringLiteral(".damaged");
    for (int n = 2; QFile::exists(aside); ++n)
        aside = path + QStringLiteral(".damaged-%1").arg(n);
    return QFile::rename(path, aside) ? aside : QString();
}

bool sameSheet(const SheetRecord &a, const SheetRecord &b)
{
    return a.text1 == b.text1 && a.text3 == b.text3 && a.text4 == b.text4 && a.quoteTexts == b.quoteTexts &&
           a.rows == b.rows;
}

void readRecord(const QString &path, FolderScan *scan)
{
    QFile file(path);
    SheetRecord record;
    const RecordReading reading =
        file.open(QIODevice::ReadOnly) ? RecordFromJson(file.readAll(), &record) : RecordReading::Damaged;
    file.close();
    const QString name = QDir::toNativeSeparators(path);
    if (reading == RecordReading::Newer) {
        scan->problems << QStringLiteral("“%1”由较新版本的程序保存，这里不能打开，已原样保留。").arg(name);
    } else if (reading == RecordReading::Damaged) {
        const QString aside = moveAside(path);
        scan->problems
            << (aside.isEmpty()
                    ? QStringLiteral("“%1”已损坏，无法读取。").arg(name)
                    : QStringLiteral("“%1”已损坏，已改名为“%2”保留。").arg(name, QDir::toNativeSeparators(aside)));
    } else {
        scan->sheets.append({path, record, SheetFolder::isHeldElsewhere(path)});
    }
}
} // namespace

QString SheetFolder::path()
{
    if (!testFolder().isEmpty())
        return testFolder();
    return QStandardPaths::writableLocation(QStandardPaths::AppLocalDataLocation);
}

void SheetFolder::setPathForTests(const QString &folder)
{
    testFolder() = folder;
}

void SheetFolder::setReadHookForTests(std::function<void()> hook)
{
    readHook() = std::move(hook);
}

QString SheetFolder::newFileName()
{
    return QDateTime::currentDateTimeUtc().toString(QStringLiteral("yyyyMMdd-HHmmss-zzz")) + QLatin1Char('-') +
           QString::number(QRandomGenerator::global()->generate(), 36) + Suffix;
}

QString SheetFolder::lockPathFor(const QString &recordPath)
{
    return recordPath + QStringLiteral(".lock");
}

bool SheetFolder::isHeldElsewhere(const QString &recordPath)
{
    QLockFile lock(lockPathFor(recordPath));
    lock.setStaleLockTime(0);
    // A lock left by a calculator that crashed is stale and taken here; one held is refused.
    if (lock.tryLock(0)) {
        lock.unlock();
        return false;
    }
    return lock.error() == QLockFile::LockFailedError;
}

bool WriteRecordFile(const QString &path, const SheetRecord &record, QString *error)
{
    QSaveFile file(path);
    if (file.open(QIODevice::WriteOnly)) {
        const QByteArray json = RecordToJson(record);
        if (file.write(json) == json.size() && file.commit())
            return true;
    }
    if (error) {
        const QFileDevice::FileError kind = file.error();
        const QString why = kind == QFileDevice::ResourceError || kind == QFileDevice::WriteError
                                ? QStringLiteral("磁盘已满或文件写不进去")
                            : kind == QFileDevice::OpenError || kind == QFileDevice::PermissionsError
                                ? QStringLiteral("没有在这里写文件的权限")
                                : QStringLiteral("写入失败");
        *error = QStringLiteral("%1（%2）").arg(why, file.errorString());
    }
    file.cancelWriting();
    return false;
}

FolderScan ScanSheetFolder(const QString &folder, const QDateTime &now, const QString &ownPath)
{
    if (readHook())
        readHook()();
    FolderScan scan;
    // The names are matched here rather than by a name filter of QDir: that filter is a regular
    // expression, and one matched on the reading thread left the Windows program unable to end
    // (it hung in the C++ runtime's unloading after main had returned).
    const QStringList names = QDir(folder).entryList(QDir::Files | QDir::Hidden);
    for (const QString &name : names) {
        const QString path = QDir(folder).filePath(name);
        if (name.endsWith(SheetFolder::Suffix) && path != ownPath)
            readRecord(path, &scan);
    }
    std::stable_sort(scan.sheets.begin(), scan.sheets.end(),
                     [](const RecentSheet &a, const RecentSheet &b) { return a.record.changed > b.record.changed; });
    const QDateTime oldest = now.addDays(-SheetFolder::MaxAgeDays);
    QList<RecentSheet> kept;
    for (const RecentSheet &sheet : std::as_const(scan.sheets)) {
        if (!sheet.openElsewhere && (kept.size() >= SheetFolder::MaxKept || sheet.record.changed < oldest)) {
            removeRecord(sheet.path);
            continue;
        }
        // A sheet opened again (after a crash, or as a copy) is kept by the calculator that opened it
        // too: until one of them changes, the older file is the same sheet and is not listed twice.
        // It is not removed, so that an undone opening loses nothing.
        const auto same = [&sheet](const RecentSheet &newer) { return sameSheet(newer.record, sheet.record); };
        if (sheet.openElsewhere || std::none_of(kept.begin(), kept.end(), same))
            kept.append(sheet);
    }
    scan.sheets = kept;
    return scan;
}

int MarkUnclosedSheets(const FolderScan &scan)
{
    int unclosed = 0;
    for (const RecentSheet &sheet : scan.sheets) {
        if (sheet.record.closed || sheet.openElsewhere)
            continue;
        SheetRecord marked = sheet.record;
        marked.closed = true;
        WriteRecordFile(sheet.path, marked, nullptr);
        ++unclosed;
    }
    return unclosed;
}
