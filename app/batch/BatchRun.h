#pragma once

#include "app/batch/BatchJson.h"
#include "app/batch/BatchOptions.h"

#include <QString>
#include <QStringList>

#include <functional>

class CostSheet;

class QTextStream;

// quilvar-batch: the sheet's rules without a window, for hosts and scripts that want a quote file.
// The steps run in a fixed order, each only when asked for.
enum BatchExitCode
{
    BatchOk = 0,
    BatchBadArguments = 2,
    BatchDatabaseFailed = 3,
    BatchWorkbookFailed = 4
};

// Every row with a non-blank expression is read into a fresh editor model; where that changed the
// line, it is written back as the editor writes it, as if the planner had opened that cell.
void RecalcRows(CostSheet &sheet);

// Runs the steps; returns the exit status. Output goes to out, messages to err. Without --ini the
// settings file is the one the window uses for an executable in defaultIniDir: default.ini there,
// or an installed program's in the shared settings folder. When the steps are over, finished (if
// given) is told the status while the sheet is still whole: a program may end there, leaving its
// memory to the system rather than taking a full sheet's hundred thousand texts apart.
int RunBatch(const QStringList &arguments, QTextStream &out, QTextStream &err, const QString &defaultIniDir = QString(),
             const std::function<void(int)> &finished = {});
