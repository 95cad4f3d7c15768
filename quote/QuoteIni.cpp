#include "quote/QuoteIni.h"

#include "common/IniFile.h"

namespace {

const QString Section = QStringLiteral("Quote");

} // namespace

QuoteSettingTexts ReadQuoteSettings(const QString &iniPath)
{
    // A key the file does not hold keeps its default; a key written empty is a value of its own
    // (no categories excluded).
    QuoteSettingTexts texts;
    for (const QuoteSettingField &field : QuoteSettingFields())
        texts.*field.text = ReadIni(Section, field.key, iniPath, texts.*field.text);
    return texts;
}

bool WriteQuoteSettings(const QuoteSettingTexts &texts, const QString &iniPath, QString *error)
{
    QList<IniEntry> entries;
    for (const QuoteSettingField &field : QuoteSettingFields())
        entries.append({Section, field.key, texts.*field.text});
    return WriteIniValues(entries, iniPath, false, error);
}
