#pragma once

#include <QString>

#include <memory>

// What a test does with files that only some systems let it do. One .cpp per platform.

// The file held open the way Excel and WPS hold an open workbook (others may read, none may write);
// null where no such lock exists.
std::shared_ptr<void> HoldOpenAsExcelDoes(const QString &path);

// Makes folder the user's temporary folder for the rest of the process.
void UseTemporaryFolder(const QString &folder);
