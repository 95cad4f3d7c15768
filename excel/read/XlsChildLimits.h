#pragma once

#include <QString>

class QProcess;

// What differs between platforms in running quilvar-xls-reader: the executable's file name, and
// the limits the operating system puts on the process (no core dump, a bounded address space),
// set before it starts. One .cpp per platform.
QString XlsReaderExecutableName();
void LimitXlsReaderProcess(QProcess &process);
