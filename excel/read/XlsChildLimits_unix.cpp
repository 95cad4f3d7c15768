#include "excel/read/XlsChildLimits.h"

#include "excel/read/AddressSanitizer.h"

#include <QProcess>

#include <sys/resource.h>

QString XlsReaderExecutableName()
{
    return QStringLiteral("quilvar-xls-reader");
}

void LimitXlsReaderProcess(QProcess &process)
{
    process.setChildProcessModifier([] {
        // Only async-signal-safe calls between fork and exec.
        struct rlimit none = {0, 0};
        setrlimit(RLIMIT_CORE, &none);
#ifndef QUILVAR_ADDRESS_SANITIZER
        // The reader holds the workbook stream in memory; this bounds what any file can make it take.
        constexpr rlim_t AddressSpace = rlim_t(1) << 30;
        struct rlimit space = {AddressSpace, AddressSpace};
        setrlimit(RLIMIT_AS, &space);
#endif
    });
}
