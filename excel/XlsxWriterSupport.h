#pragma once

#include <QString>

#include <functional>

#include <xlsxwriter.h>

// A message in Chinese for a writer's error code.
QString XlsxWriterMessage(lxw_error code);

// A new worksheet that prints on A4, the paper Chinese offices use (the writer's default is Letter);
// null when the writer refuses the name or runs out of memory.
lxw_worksheet *AddA4Worksheet(lxw_workbook *workbook, const char *name);

// Writes a workbook to path, `fill` adding its sheets (it returns why it could not, or nothing).
// A target another program holds open is refused first, with its message whole (`*heldOpen`
// set), since closing a window mends it. The writer never writes at the target: it works in a
// private folder (under a narrow path it can open), and the finished file replaces the target in
// one step, so a failure never leaves half a file there. Numbers go in with "." whatever the
// locale. Empty when the file is in place; otherwise why not, in Chinese.
QString WriteXlsxReplacing(const QString &path, const std::function<QString(lxw_workbook *)> &fill, bool *heldOpen);
