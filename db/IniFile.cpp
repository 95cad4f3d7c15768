#include "db/IniFile.h"

#include "common/CodePage.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStringDecoder>
#include <QStringEncoder>
#include <QStringList>

namespace {

enum class FileEncoding
{
    Gbk,
    Utf8Bom,
    Utf16LeBom
};

// Windows copies at most 9,999 bytes of a value into the caller's 10,000-byte buffer.
constexpr int ReadLimitBytes = 9999;
// A settings file is a few hundred bytes; anything huge is not one.
constexpr qint64 MaxFileBytes = 16 * 1024 * 1024;

struct IniText
{
    QStringList lines;
    FileEncoding encoding = FileEncoding::Gbk;
    bool crlf = true;
};

bool isIniBlank(QChar c)
{
    return c == u' ' || c == u'\t';
}

QString trimIniBlanks(const QString &text)
{
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && isIniBlank(text.at(begin)))
        ++begin;
    while (end > begin && isIniBlank(text.at(end - 1)))
        --end;
    return text.mid(begin, end - begin);
}

IniText decodeFile(const QByteArray &bytes)
{
    IniText ini;
    QString text;
    if (bytes.startsWith("\xEF\xBB\xBF")) {
        ini.encoding = FileEncoding::Utf8Bom;
        text = QString::fromUtf8(bytes.mid(3));
    } else if (bytes.startsWith("\xFF\xFE")) {
        ini.encoding = FileEncoding::Utf16LeBom;
        QStringDecoder decoder(QStringConverter::Utf16LE);
        text = decoder.decode(bytes.mid(2));
    } else {
        text = CodePage::toUnicode(CodePage::Gbk, bytes);
    }
    ini.crlf = text.isEmpty() || text.contains(u"\r\n");
    ini.lines = text.split(u'\n');
    for (QString &line : ini.lines) {
        if (line.endsWith(u'\r'))
            line.chop(1);
    }
    // A final line break leaves one empty piece that is not a line of its own.
    if (!ini.lines.isEmpty() && ini.lines.last().isEmpty())
        ini.lines.removeLast();
    return ini;
}

bool readFile(const QString &file, QByteArray *bytes)
{
    QFile f(file);
    if (!f.open(QIODevice::ReadOnly) || f.size() > MaxFileBytes)
        return false;
    *bytes = f.readAll();
    return f.error() == QFileDevice::NoError;
}

// The section name of a "[name]" line; false for any other line.
bool sectionName(const QString &line, QString *name)
{
    const QString trimmed = trimIniBlanks(line);
    if (!trimmed.startsWith(u'['))
        return false;
    const qsizetype close = trimmed.lastIndexOf(u']');
    if (close < 1)
        return false;
    *name = trimIniBlanks(trimmed.mid(1, close - 1));
    return true;
}

bool isSectionLine(const QString &line)
{
    QString name;
    return sectionName(line, &name);
}

// Splits a "key = value" line; false for a line without "=" or a comment.
bool splitKeyLine(const QString &line, QString *key, QString *value)
{
    const QString trimmed = trimIniBlanks(line);
    if (trimmed.startsWith(u';'))
        return false;
    const qsizetype eq = trimmed.indexOf(u'=');
    if (eq < 0)
        return false;
    *key = trimIniBlanks(trimmed.left(eq));
    *value = trimIniBlanks(trimmed.mid(eq + 1));
    return true;
}

bool sameName(const QString &a, const QString &b)
{
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

// Index of the section's header line, or -1.
qsizetype findSection(const QStringList &lines, const QString &section)
{
    for (qsizetype i = 0; i < lines.size(); ++i) {
        QString name;
        if (sectionName(lines.at(i), &name) && sameName(name, section))
            return i;
    }
    return -1;
}

QByteArray encodeText(const QString &text, FileEncoding encoding, bool *unrepresentable)
{
    *unrepresentable = false;
    switch (encoding) {
    case FileEncoding::Utf8Bom:
        return QByteArray("\xEF\xBB\xBF") + text.toUtf8();
    case FileEncoding::Utf16LeBom: {
        QStringEncoder encoder(QStringConverter::Utf16LE);
        return QByteArray("\xFF\xFE") + QByteArray(encoder.encode(text));
    }
    case FileEncoding::Gbk:
        break;
    }
    bool ok = false;
    QByteArray bytes = CodePage::fromUnicode(CodePage::Gbk, text, &ok);
    *unrepresentable = !ok;
    return bytes;
}

QString cutToReadLimit(const QString &value, FileEncoding encoding)
{
    // Only a long value can pass the byte limit; GBK takes at most two bytes a character.
    if (encoding != FileEncoding::Gbk || value.size() * 2 <= ReadLimitBytes)
        return value;
    QString kept;
    int bytes = 0;
    for (qsizetype i = 0; i < value.size(); ++i) {
        const int size = value.at(i).unicode() < 0x80 ? 1 : 2;
        if (bytes + size > ReadLimitBytes)
            break;
        bytes += size;
        kept.append(value.at(i));
    }
    return kept;
}

bool fail(QString *error, const QString &text)
{
    if (error)
        *error = text;
    return false;
}

bool validName(const QString &name)
{
    return !name.isEmpty() && !name.contains(u'\r') && !name.contains(u'\n') && !name.contains(u']') &&
           !name.contains(u'[') && !name.contains(u'=');
}

} // namespace

QString ReadIni(const QString &section, const QString &key, const QString &file)
{
    QByteArray bytes;
    if (!readFile(file, &bytes))
        return QString();
    const IniText ini = decodeFile(bytes);
    const qsizetype header = findSection(ini.lines, section);
    if (header < 0)
        return QString();
    for (qsizetype i = header + 1; i < ini.lines.size() && !isSectionLine(ini.lines.at(i)); ++i) {
        QString name;
        QString value;
        if (splitKeyLine(ini.lines.at(i), &name, &value) && sameName(name, key))
            return cutToReadLimit(value, ini.encoding);
    }
    return QString();
}

namespace {

// Puts one value into the file's lines, replacing the key where the section has it.
void setValue(IniText *ini, const QString &section, const QString &key, const QString &value)
{
    const QString newLine = key + u'=' + value;
    const qsizetype header = findSection(ini->lines, section);
    if (header < 0) {
        ini->lines.append(u'[' + section + u']');
        ini->lines.append(newLine);
        return;
    }
    qsizetype lastContent = header;
    for (qsizetype i = header + 1; i < ini->lines.size() && !isSectionLine(ini->lines.at(i)); ++i) {
        QString name;
        QString old;
        if (splitKeyLine(ini->lines.at(i), &name, &old) && sameName(name, key)) {
            ini->lines[i] = newLine;
            return;
        }
        if (!trimIniBlanks(ini->lines.at(i)).isEmpty())
            lastContent = i;
    }
    ini->lines.insert(lastContent + 1, newLine);
}

} // namespace

bool WriteIniValues(const QList<IniEntry> &entries, const QString &file, bool ownerOnly, QString *error)
{
    IniText ini;
    const bool exists = QFileInfo::exists(file);
    if (exists) {
        QByteArray bytes;
        if (!readFile(file, &bytes))
            return fail(error, QStringLiteral("无法读取设置文件 %1。").arg(file));
        ini = decodeFile(bytes);
    }
    for (const IniEntry &entry : entries) {
        const QString cut = entry.value.left(IniValueMaxChars);
        if (!validName(entry.section) || !validName(entry.key))
            return fail(error, QStringLiteral("设置项名称“%1/%2”无效。").arg(entry.section, entry.key));
        if (cut.contains(u'\r') || cut.contains(u'\n'))
            return fail(error, QStringLiteral("设置值不能含有换行符。"));
        setValue(&ini, entry.section, entry.key, cut);
    }

    const QString lineBreak = ini.crlf ? QStringLiteral("\r\n") : QStringLiteral("\n");
    bool unrepresentable = false;
    const QByteArray bytes = encodeText(ini.lines.join(lineBreak) + lineBreak, ini.encoding, &unrepresentable);
    if (unrepresentable)
        return fail(error, QStringLiteral("设置值中有 GBK 编码无法表示的字符，不能保存。"));

    // The new text goes into a file beside the old one, which replaces it only once complete.
    QSaveFile out(file);
    if (!out.open(QIODevice::WriteOnly))
        return fail(error, QStringLiteral("无法写入设置文件 %1：%2").arg(file, out.errorString()));
    // A new file, or one that is to hold a log-in, is for its owner only from its first byte;
    // otherwise the file keeps the permissions it had.
    if ((ownerOnly || !exists) && !out.setPermissions(QFile::ReadOwner | QFile::WriteOwner))
        return fail(error, QStringLiteral("无法设置设置文件 %1 的访问权限。").arg(file));
    if (out.write(bytes) != bytes.size() || !out.commit())
        return fail(error, QStringLiteral("无法写入设置文件 %1：%2").arg(file, out.errorString()));
    return true;
}

bool WriteIni(const QString &section, const QString &key, const QString &value, const QString &file, QString *error)
{
    return WriteIniValues({{section, key, value}}, file, false, error);
}
