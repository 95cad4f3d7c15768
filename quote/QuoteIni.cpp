#include "quote/QuoteIni.h"

#include "common/IniFile.h"

namespace {

const QString Section = QStringLiteral("Quote");

struct Key
{
    QLatin1String name;
    QString QuoteSettingTexts::*field;
};
const Key keys[] = {
    {QLatin1String("Sizes"), &QuoteSettingTexts::sizes},
    {QLatin1String("FreeEvery"), &QuoteSettingTexts::freeEvery},
    {QLatin1String("Staff"), &QuoteSettingTexts::staff},
    {QLatin1String("Rooms"), &QuoteSettingTexts::rooms},
    {QLatin1String("Rule"), &QuoteSettingTexts::rule},
    {QLatin1String("RuleValue"), &QuoteSettingTexts::ruleValue},
    {QLatin1String("Tax"), &QuoteSettingTexts::tax},
    {QLatin1String("TaxBase"), &QuoteSettingTexts::taxBase},
    {QLatin1String("Round"), &QuoteSettingTexts::round},
    {QLatin1String("ChildExcludes"), &QuoteSettingTexts::childExcludes},
};

} // namespace

QuoteSettingTexts ReadQuoteSettings(const QString &iniPath)
{
    QuoteSettingTexts texts;
    // A missing key reads as the empty text, which for some settings is a value of its own (no
    // categories excluded): the section counts as stored once it names the group sizes.
    if (ReadIni(Section, QStringLiteral("Sizes"), iniPath).isEmpty())
        return texts;
    for (const Key &key : keys)
        texts.*key.field = ReadIni(Section, key.name, iniPath);
    return texts;
}

bool WriteQuoteSettings(const QuoteSettingTexts &texts, const QString &iniPath, QString *error)
{
    QList<IniEntry> entries;
    for (const Key &key : keys)
        entries.append({Section, key.name, texts.*key.field});
    return WriteIniValues(entries, iniPath, false, error);
}
