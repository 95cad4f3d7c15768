#include "quote/AgencyDetails.h"

#include "common/IniFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

namespace {

const QString Section = QStringLiteral("Agency");
// A setting holds one line of at most IniValueMaxChars characters: the terms are kept escaped
// (a line break as \n, a backslash as \\) in numbered pieces, Terms1, Terms2, …, the first empty
// one ending them.
const QLatin1String TermsKey("Terms");
// Blanks at a piece's ends would be trimmed by the reader: they are kept as \s.
constexpr int TermsPiece = IniValueMaxChars / 2 - 4;

struct Key
{
    QLatin1String name;
    QString AgencyDetails::*field;
};
const Key keys[] = {
    {QLatin1String("Name"), &AgencyDetails::name},           {QLatin1String("Address"), &AgencyDetails::address},
    {QLatin1String("Telephone"), &AgencyDetails::telephone}, {QLatin1String("Contact"), &AgencyDetails::contact},
    {QLatin1String("Licence"), &AgencyDetails::licence},     {QLatin1String("Logo"), &AgencyDetails::logo},
};

QString escaped(const QString &text)
{
    QString out = text;
    out.replace(QLatin1Char('\\'), QLatin1String("\\\\"));
    out.replace(QLatin1Char('\n'), QLatin1String("\\n"));
    if (out.startsWith(QLatin1Char(' ')))
        out.replace(0, 1, QLatin1String("\\s"));
    if (out.endsWith(QLatin1Char(' ')))
        out.replace(out.size() - 1, 1, QLatin1String("\\s"));
    return out;
}

QString unescaped(const QString &text)
{
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text.at(i) == QLatin1Char('\\') && i + 1 < text.size()) {
            ++i;
            const QChar c = text.at(i);
            out += c == QLatin1Char('n') ? QChar(u'\n') : c == QLatin1Char('s') ? QChar(u' ') : c;
        } else {
            out += text.at(i);
        }
    }
    return out;
}

bool fail(QString *error, const QString &message)
{
    if (error)
        *error = message;
    return false;
}

} // namespace

AgencyDetails ReadAgencyDetails(const QString &iniPath)
{
    AgencyDetails details;
    for (const Key &key : keys)
        details.*key.field = ReadIni(Section, key.name, iniPath).trimmed();
    QString terms;
    for (int piece = 1;; ++piece) {
        const QString text = ReadIni(Section, TermsKey + QString::number(piece), iniPath);
        if (text.isEmpty())
            break;
        terms += text;
    }
    details.footer = unescaped(terms);
    return details;
}

QString AgencyLogoPath(const AgencyDetails &details, const QString &iniPath)
{
    if (details.logo.isEmpty())
        return QString();
    const QString path = QFileInfo(iniPath).dir().filePath(details.logo);
    return QFileInfo(path).isFile() ? path : QString();
}

bool WriteAgencyDetails(const AgencyDetails &details, const QString &iniPath, QString *error)
{
    QList<IniEntry> entries;
    for (const Key &key : keys) {
        const QString value = (details.*key.field).simplified();
        if (value.size() > IniValueMaxChars)
            return fail(error, QStringLiteral("“%1”太长（最多 %2 个字）。")
                                   .arg(value.left(10) + QStringLiteral("…"))
                                   .arg(IniValueMaxChars));
        entries.append({Section, key.name, value});
    }
    QString footer = details.footer.trimmed();
    footer.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    footer.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    footer.replace(QLatin1Char('\t'), QLatin1Char(' '));
    int piece = 0;
    // Pieces of the unescaped text, so that no escape is cut in two.
    for (qsizetype at = 0; at < footer.size(); at += TermsPiece)
        entries.append({Section, TermsKey + QString::number(++piece), escaped(footer.mid(at, TermsPiece))});
    entries.append({Section, TermsKey + QString::number(piece + 1), QString()});
    return WriteIniValues(entries, iniPath, false, error);
}

bool CopyAgencyLogo(const QString &source, const QString &iniPath, QString *fileName, QString *error)
{
    QFile in(source);
    if (!in.open(QIODevice::ReadOnly))
        return fail(error, QStringLiteral("无法读取图片“%1”：%2").arg(source, in.errorString()));
    const QByteArray bytes = in.readAll();
    const bool png = bytes.startsWith("\x89PNG\r\n\x1a\n");
    const bool jpeg = bytes.startsWith("\xff\xd8\xff");
    if (!png && !jpeg)
        return fail(error, QStringLiteral("“%1”不是 PNG 或 JPEG 图片。").arg(source));
    const QString name = png ? QStringLiteral("agency-logo.png") : QStringLiteral("agency-logo.jpg");
    QSaveFile out(QFileInfo(iniPath).dir().filePath(name));
    if (!out.open(QIODevice::WriteOnly) || out.write(bytes) != bytes.size() || !out.commit())
        return fail(error, QStringLiteral("无法保存标志图片：%1").arg(out.errorString()));
    *fileName = name;
    return true;
}

QString ReadLastQuoteNumber(const QString &iniPath)
{
    return ReadIni(Section, QStringLiteral("LastQuoteNumber"), iniPath).trimmed();
}

bool WriteLastQuoteNumber(const QString &number, const QString &iniPath, QString *error)
{
    return WriteIni(Section, QStringLiteral("LastQuoteNumber"), number.simplified(), iniPath, error);
}
