#include "common/ConsoleOutput.h"

#include <io.h>
#include <qt_windows.h>

namespace {

HANDLE HandleOf(FILE *stream)
{
    return reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(stream)));
}

} // namespace

bool IsConsole(FILE *stream)
{
    DWORD mode = 0;
    const HANDLE handle = HandleOf(stream);
    return handle != INVALID_HANDLE_VALUE && GetConsoleMode(handle, &mode) != 0;
}

void WriteToConsole(FILE *stream, QStringView text)
{
    std::fflush(stream);
    const HANDLE handle = HandleOf(stream);
    // The console takes a limited amount at once.
    for (qsizetype at = 0; at < text.size();) {
        const DWORD chunk = DWORD(qMin<qsizetype>(text.size() - at, 8192));
        DWORD written = 0;
        if (!WriteConsoleW(handle, text.utf16() + at, chunk, &written, nullptr) || written == 0)
            return;
        at += written;
    }
}
