#pragma once

#include "app/memory/SheetRecord.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <functional>

// The folder where every calculator keeps its sheet, one file each (`*.qsheet`), beside a lock file
// that its calculator holds while it runs.
namespace SheetFolder {
// The user's data folder for the program (QStandardPaths::AppLocalDataLocation), or the folder a
// test set.
QString path();
void setPathForTests(const QString &folder);
// Runs at the start of every reading of the folder, on the reading thread (a test holds it there).
void setReadHookForTests(std::function<void()> hook);

constexpr int MaxKept = 30;
constexpr int MaxAgeDays = 90;
inline const QString Suffix = QStringLiteral(".qsheet");

// The file's name for a calculator started now: the start time and a random part, so that
// calculators started together never share one.
QString newFileName();
QString lockPathFor(const QString &recordPath);
// True while a running calculator (this one or another) holds the record's lock.
bool isHeldElsewhere(const QString &recordPath);
} // namespace SheetFolder

// Writes the record whole or not at all (a new file, flushed, then renamed over the old one), so that
// a crash or a power cut at any moment leaves the old or the new state. False with a message when
// it could not.
bool WriteRecordFile(const QString &path, const SheetRecord &record, QString *error);

struct RecentSheet
{
    QString path;
    SheetRecord record;
    bool openElsewhere = false;
};

struct FolderScan
{
    QList<RecentSheet> sheets; // newest first, at most MaxKept
    QStringList problems;      // damaged files moved aside, files of a later version
};

// Reads the folder's records, leaving out `ownPath`: damaged files are moved aside (renamed, never
// deleted), files of a later version are left alone, and records past the newest MaxKept or
// unchanged for MaxAgeDays are removed unless a running calculator holds them. A record that holds
// the same sheet as a newer one (the sheet opened again elsewhere) is left out of the list.
FolderScan ScanSheetFolder(const QString &folder, const QDateTime &now, const QString &ownPath = QString());

// The records whose calculator ended without its close (a crash, a power cut): each is marked
// closed, so that it is told of once. Returns how many there were.
int MarkUnclosedSheets(const FolderScan &scan);
