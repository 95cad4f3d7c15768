#include "common/ProcessArguments.h"

namespace {

bool IsBlank(QChar c)
{
    return c <= u' ';
}

QString SkipBlanks(QStringView text)
{
    qsizetype i = 0;
    while (i < text.size() && IsBlank(text.at(i)))
        ++i;
    return text.mid(i).toString();
}

// The full path, with and without its ".exe", in each form the system knows it by.
QStringList NamesWithAndWithoutExtension(const QStringList &paths)
{
    QStringList names;
    for (const QString &path : paths) {
        if (path.isEmpty())
            continue;
        names << path;
    }
    for (const QString &path : paths)
        if (path.endsWith(QLatin1String(".exe"), Qt::CaseInsensitive))
            names << path.chopped(4);
    return names;
}

// The length of the program's name at the start of the line, quotes included; -1 when the line
// does not start with one of the names. A name must end at a blank or at the end of the line.
qsizetype FullPathLength(QStringView line, const QStringList &names)
{
    const bool quoted = line.startsWith(u'"');
    const QStringView rest = quoted ? line.mid(1) : line;
    for (const QString &name : names) {
        if (!rest.startsWith(name, Qt::CaseInsensitive))
            continue;
        qsizetype end = name.size();
        if (quoted) {
            if (end >= rest.size() || rest.at(end) != u'"')
                continue;
            ++end;
        }
        if (end == rest.size() || IsBlank(rest.at(end)))
            return end + (quoted ? 1 : 0);
    }
    return -1;
}

QString FileName(const QString &path)
{
    return path.mid(qMax(path.lastIndexOf(u'\\'), path.lastIndexOf(u'/')) + 1);
}

// Whether the text, read backwards past its quotes, is a path (or a bare name) ending in the name.
bool EndsWithName(QStringView text, QStringView name)
{
    qsizetype i = text.size();
    for (qsizetype n = name.size() - 1; n >= 0; --n) {
        while (i > 0 && text.at(i - 1) == u'"')
            --i;
        if (i == 0 || text.at(i - 1).toCaseFolded() != name.at(n).toCaseFolded())
            return false;
        --i;
    }
    while (i > 0 && text.at(i - 1) == u'"')
        --i;
    return i == 0 || text.at(i - 1) == u'\\' || text.at(i - 1) == u'/' || text.at(i - 1) == u':';
}

// The end of the shortest start of the line that names the program (a relative path, the name
// App Paths registered, or the full path written another way), -1 when no start of it does. Names
// with ".exe" are tried before those without, so that a folder named like the program is passed.
qsizetype NamedProgramLength(QStringView line, const QStringList &fileNames)
{
    for (const QString &name : fileNames) {
        bool quoted = false;
        for (qsizetype i = 0; i <= line.size(); ++i) {
            const bool atEnd = i == line.size();
            if (!atEnd && line.at(i) == u'"')
                quoted = !quoted;
            if ((atEnd || (!quoted && IsBlank(line.at(i)))) && EndsWithName(line.left(i), name))
                return i;
        }
    }
    return -1;
}

// The first word as the C runtime cuts it: it ends at the first blank outside double quotes.
qsizetype FirstWordLength(QStringView line)
{
    qsizetype i = 0;
    bool quoted = false;
    while (i < line.size() && (!IsBlank(line.at(i)) || (quoted && line.at(i) != u'\0'))) {
        if (line.at(i) == u'"')
            quoted = !quoted;
        ++i;
    }
    return i;
}

} // namespace

QString TextAfterProgramName(QStringView commandLine, const QStringList &programPaths)
{
    const QStringList names = NamesWithAndWithoutExtension(programPaths);
    if (const qsizetype length = FullPathLength(commandLine, names); length >= 0)
        return SkipBlanks(commandLine.mid(length));
    QStringList fileNames;
    for (const QString &name : names)
        fileNames << FileName(name);
    if (const qsizetype length = NamedProgramLength(commandLine, fileNames); length >= 0)
        return SkipBlanks(commandLine.mid(length));
    if (!programPaths.isEmpty()) {
        // A first word that looks like a program is some other name for this one; a query never
        // starts with a path.
        const QString word = commandLine.left(FirstWordLength(commandLine)).toString().remove(u'"');
        if (!word.contains(u'\\') && !word.contains(u'/') && !word.endsWith(QLatin1String(".exe"), Qt::CaseInsensitive))
            return commandLine.toString();
    }
    return SkipBlanks(commandLine.mid(FirstWordLength(commandLine)));
}
