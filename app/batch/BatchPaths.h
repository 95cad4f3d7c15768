#pragma once

#include <QString>

struct BatchOptions;

// False, with a message in Chinese, when a file quilvar-batch would write is the same file as one it
// reads (the workbook it imports, the settings file) or as another file it writes: the run would
// replace the planner's file, or one of its own documents, with another. Files are compared as
// files (SameFile), not as texts. The settings file (--ini, or defaultIniPath) is read by --query
// and for the documents' letterhead, with its logo.
bool CheckBatchPaths(const BatchOptions &options, const QString &defaultIniPath, QString *error);
