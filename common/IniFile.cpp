#include "common/IniFile.h"

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

// The file's lines as text, and beside each its bytes as they stand (a CR before the LF included):
// a line the program does not change is written back as the same bytes, whatever they are. A
// null entry marks a line that is new or changed.
struct IniText
{
    QStringList lines;
    QList<QByteArray> raw;
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

QString decodeBytes(const QByteArray &bytes, FileEncoding encoding)
{
    if (encoding == FileEncoding::Gbk)
        return CodePage::toUnicode(CodePage::Gbk, bytes);
    if (encoding == FileEncoding::Utf8Bom)
        return QString::fromUtf8(bytes);
    QStringDecoder decoder(QStringConverter::Utf16LE);
    return decoder.decode(bytes);
}

QByteArray encodeBytes(const QString &text, FileEncoding encoding, bool *unrepresentable)
{
    bool ok = true;
    QByteArray bytes;
    if (encoding == FileEncoding::Gbk) {
        bytes = CodePage::fromUnicode(CodePage::Gbk, text, &ok);
    } else {
        QStringEncoder encoder(encoding == FileEncoding::Utf8Bom ? QStringConverter::Utf8 : QStringConverter::Utf16LE);
        bytes = encoder.encode(text);
        ok = !encoder.hasError();
    }
    *unrepresentable = *unrepresentable || !ok;
    return bytes;
}

QByteArray byteOrderMark(FileEncoding encoding)
{
    return encoding == FileEncoding::Utf8Bom      ? QByteArray("\xEF\xBB\xBF")
           : encoding == FileEncoding::Utf16LeBom ? QByteArray("\xFF\xFE")
                                                  : QByteArray();
}

IniText decodeFile(QByteArray bytes)
{
    IniText ini;
    if (bytes.startsWith("\xEF\xBB\xBF"))
        ini.encoding = FileEncoding::Utf8Bom;
    else if (bytes.startsWith("\xFF\xFE"))
        ini.encoding = FileEncoding::Utf16LeBom;
    bytes.remove(0, byteOrderMark(ini.encoding).size());
    bool unused = false;
    const QByteArray lineFeed = encodeBytes(QStringLiteral("\n"), ini.encoding, &unused);
    // Lines end at a LF, in the file's own encoding (two bytes in UTF-16).
    qsizetype from = 0;
    while (from < bytes.size()) {
        qsizetype end = bytes.indexOf(lineFeed, from);
        while (end >= 0 && (end - from) % lineFeed.size() != 0)
            end = bytes.indexOf(lineFeed, end + 1);
        if (end < 0)
            end = bytes.size();
        const QByteArray raw = bytes.mid(from, end - from);
        QString text = decodeBytes(raw, ini.encoding);
        if (text.endsWith(u'\r'))
            text.chop(1);
        ini.lines.append(text);
        ini.raw.append(raw);
        from = end + lineFeed.size();
    }
    ini.crlf =
        ini.raw.isEmpty() ||
        ini.raw.first().endsWith(ini.encoding == FileEncoding::Utf16LeBom ? QByteArray("\r\0", 2) : QByteArray("\r"));
    return ini;
}

bool readFile(const QString &file, QByteArray *bytes)
{
    // A FIFO or a device would block the reading or never end; a settings file is a plain file.
    if (!QFileInfo(file).isFile())
        return false;
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

QString ReadIni(const QString &section, const QString &key, const QString &file, const QString &missing)
{
    QByteArray bytes;
    if (!readFile(file, &bytes))
        return missing;
    const IniText ini = decodeFile(bytes);
    const qsizetype header = findSection(ini.lines, section);
    if (header < 0)
        return missing;
    for (qsizetype i = header + 1; i < ini.lines.size() && !isSectionLine(ini.lines.at(i)); ++i) {
        QString name;
        QString value;
        if (splitKeyLine(ini.lines.at(i), &name, &value) && sameName(name, key))
            return cutToReadLimit(value, ini.encoding);
    }
    return missing;
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
        ini->raw.append(QByteArray());
        ini->raw.append(QByteArray());
        return;
    }
    qsizetype lastContent = header;
    for (qsizetype i = header + 1; i < ini->lines.size() && !isSectionLine(ini->lines.at(i)); ++i) {
        QString name;
        QString old;
        if (splitKeyLine(ini->lines.at(i), &name, &old) && sameName(name, key)) {
            ini->lines[i] = newLine;
            ini->raw[i] = QByteArray();
            return;
        }
        if (!trimIniBlanks(ini->lines.at(i)).isEmpty())
            lastContent = i;
    }
    ini->lines.insert(lastContent + 1, newLine);
    ini->raw.insert(lastContent + 1, QByteArray());
}

// Where the folder takes no new file but the file may be written (an administrator's grant on the
// file alone), the file is rewritten where it is, and so keeps its access list.
bool rewriteInPlace(const QString &file, const QByteArray &bytes, bool ownerOnly, QString *refusal)
{
    // A file marked read-only stays as it is, even for an account the system would let write it.
    if (!QFileInfo(file).isWritable())
        return false;
    QFile in(file);
    if (!in.open(QIODevice::ReadWrite))
        return false;
    // A log-in is never written into a file others may read; one they cannot read takes it as it
    // is (only its owner could change its permissions, and the account writing may not be that).
    const bool readByOthers = QFileInfo(file).permissions() & (QFile::ReadGroup | QFile::ReadOther);
    if (ownerOnly && readByOthers && !in.setPermissions(QFile::ReadOwner | QFile::WriteOwner)) {
        *refusal =
            QStringLiteral("其他用户也能读取这个文件，而它的访问权限无法改为只有所有者可读写，登录信息不予保存。");
        return false;
    }
    return in.write(bytes) == bytes.size() && in.resize(bytes.size()) && in.flush();
}

QString cannotWrite(const QString &file, const QString &reason)
{
    return QStringLiteral("无法写入设置文件 %1：%2").arg(file, reason);
}

bool storeBytes(const QString &file, const QByteArray &bytes, bool exists, bool ownerOnly, QString *error)
{
    // The new text goes into a file beside the old one, which replaces it only once complete.
    QSaveFile out(file);
    if (!out.open(QIODevice::WriteOnly)) {
        QString refusal;
        if (exists && rewriteInPlace(file, bytes, ownerOnly, &refusal))
            return true;
        return fail(error, cannotWrite(file, refusal.isEmpty() ? out.errorString() : refusal));
    }
    // A new file, or one that is to hold a log-in, is for its owner only from its first byte;
    // otherwise the file keeps the permissions it had.
    if ((ownerOnly || !exists) && !out.setPermissions(QFile::ReadOwner | QFile::WriteOwner))
        return fail(error, QStringLiteral("无法设置设置文件 %1 的访问权限。").arg(file));
    if (out.write(bytes) != bytes.size() || !out.commit())
        return fail(error, cannotWrite(file, out.errorString()));
    return true;
}

} // namespace

bool WriteIniValues(const QList<IniEntry> &entries, const QString &file, bool ownerOnly, QString *error)
{
    IniText ini;
    const bool exists = QFileInfo::exists(file);
    if (exists && !QFileInfo(file).isFile())
        return fail(error, QStringLiteral("设置文件 %1 不是普通文件，不能写入。").arg(file));
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

    bool unrepresentable = false;
    QByteArray bytes = byteOrderMark(ini.encoding);
    const QByteArray lineFeed = encodeBytes(QStringLiteral("\n"), ini.encoding, &unrepresentable);
    for (qsizetype i = 0; i < ini.lines.size(); ++i) {
        bytes += ini.raw.at(i).isNull() ? encodeBytes(ini.lines.at(i) + (ini.crlf ? QStringLiteral("\r") : QString()),
                                                      ini.encoding, &unrepresentable)
                                        : ini.raw.at(i);
        bytes += lineFeed;
    }
    if (unrepresentable)
        return fail(error, QStringLiteral("设置值中有 GBK 编码无法表示的字符，不能保存。"));

    return storeBytes(file, bytes, exists, ownerOnly, error);
}

bool WriteIni(const QString &section, const QString &key, const QString &value, const QString &file, QString *error)
{
    return WriteIniValues({{section, key, value}}, file, false, error);
}
