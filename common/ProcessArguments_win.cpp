#include "common/ProcessArguments.h"

#include <qt_windows.h>
#include <shellapi.h>

#include <vector>

namespace {

// The executable's full path as the system reports it, in its long and its short (8.3) form: a
// host may have written either.
QStringList ProgramPaths()
{
    std::vector<wchar_t> buffer(MAX_PATH);
    DWORD length = 0;
    while ((length = GetModuleFileNameW(nullptr, buffer.data(), DWORD(buffer.size()))) == buffer.size() &&
           buffer.size() < 65536)
        buffer.resize(buffer.size() * 2);
    const QString path = QString::fromWCharArray(buffer.data(), int(length));
    QStringList paths{path};
    for (auto convert : {&GetLongPathNameW, &GetShortPathNameW}) {
        std::vector<wchar_t> other(buffer.size() + 1);
        const DWORD otherLength = convert(buffer.data(), other.data(), DWORD(other.size()));
        if (otherLength > 0 && otherLength < other.size())
            paths << QString::fromWCharArray(other.data(), int(otherLength));
    }
    paths.removeDuplicates();
    return paths;
}

} // namespace

QString ProcessArgumentsText(int, char **)
{
    return TextAfterProgramName(QString::fromWCharArray(GetCommandLineW()), ProgramPaths());
}

// argv holds the arguments in the ANSI code page, which loses every character outside it; the
// wide command line holds them all. The system's splitter takes its first word for the program's
// name, so the text after the name found above goes to it behind a stand-in name.
QStringList ProcessArguments(int argc, char **argv)
{
    const std::wstring line = L"p " + ProcessArgumentsText(argc, argv).toStdWString();
    QStringList arguments;
    int count = 0;
    if (wchar_t **list = CommandLineToArgvW(line.c_str(), &count)) {
        for (int i = 1; i < count; ++i)
            arguments << QString::fromWCharArray(list[i]);
        LocalFree(list);
    }
    return arguments;
}
