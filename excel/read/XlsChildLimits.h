#pragma once

#include <QString>

// What differs between platforms in running quilvar-xls-reader: the executable's file name. The
// limits the operating system puts on the process are common/ChildProcessLimits.h's. One .cpp per
// platform.
QString XlsReaderExecutableName();
