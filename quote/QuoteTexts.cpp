#include "quote/QuoteTexts.h"

#include "common/Spaces.h"
#include "sheet/CostLine.h"

#include <QHash>
#include <QSet>
#include <QStringList>

namespace {

struct TextKey
{
    QLatin1String name;
    QString QuoteTexts::*field;
};
const TextKey textKeys[] = {
    {QLatin1String("tourName"), &QuoteTexts::tourName},       {QLatin1String("tourDate"), &QuoteTexts::tourDate},
    {QLatin1String("quoteNumber"), &QuoteTexts::quoteNumber}, {QLatin1String("childRule"), &QuoteTexts::childRule},
    {QLatin1String("includes"), &QuoteTexts::includes},       {QLatin1String("excludes"), &QuoteTexts::excludes},
};

} // namespace

QJsonObject QuoteTexts::toJson() const
{
    QJsonObject object;
    for (const TextKey &key : textKeys)
        object.insert(key.name, this->*key.field);
    object.insert(QLatin1String("issueDate"), issueDate.toString(Qt::ISODate));
    object.insert(QLatin1String("validDays"), validDays);
    return object;
}

QuoteTexts QuoteTexts::fromJson(const QJsonObject &object)
{
    QuoteTexts texts;
    for (const TextKey &key : textKeys) {
        const QJsonValue value = object.value(key.name);
        if (value.isString())
            texts.*key.field = value.toString();
    }
    const QDate issued = QDate::fromString(object.value(QLatin1String("issueDate")).toString(), Qt::ISODate);
    if (issued.isValid())
        texts.issueDate = issued;
    const int days = object.value(QLatin1String("validDays")).toInt(-1);
    if (days >= 0 && days <= MaxValidDays)
        texts.validDays = days;
    return texts;
}

QString DocumentDate(QDate date)
{
    return date.isValid() ? QStringLiteral("%1年%2月%3日").arg(date.year()).arg(date.month()).arg(date.day())
                          : QString();
}

QString IncludesFromRows(const QList<CostLine> &rows)
{
    // Each category with its descriptions, each description once, in the order they first appear.
    QList<std::pair<QString, QStringList>> categories;
    QHash<QString, qsizetype> categoryAt;
    QList<QSet<QString>> seen;
    for (const CostLine &line : rows) {
        if (!line.Included)
            continue;
        const QString category = TrimSpaces(line.Category).toString();
        const QString content = line.Content.simplified();
        if (category.isEmpty() && content.isEmpty())
            continue;
        auto at = categoryAt.constFind(category);
        if (at == categoryAt.cend()) {
            at = categoryAt.insert(category, categories.size());
            categories.append({category, {}});
            seen.append(QSet<QString>());
        }
        if (!content.isEmpty() && !seen[*at].contains(content)) {
            seen[*at].insert(content);
            categories[*at].second.append(content);
        }
    }
    QStringList lines;
    for (const auto &[category, contents] : categories) {
        const QString items = contents.join(QStringLiteral("、"));
        lines.append(category.isEmpty() ? items : items.isEmpty() ? category : category + QStringLiteral("：") + items);
    }
    return lines.join(QLatin1Char('\n'));
}

QString NextQuoteNumber(const QString &lastNumber, QDate today)
{
    const QString day = today.toString(QStringLiteral("yyyyMMdd"));
    int running = 0;
    if (lastNumber.startsWith(day + QLatin1Char('-'))) {
        bool ok = false;
        running = lastNumber.mid(day.size() + 1).toInt(&ok);
        if (!ok || running < 0)
            running = 0;
    }
    return day + QLatin1Char('-') + QStringLiteral("%1").arg(running + 1, 2, 10, QLatin1Char('0'));
}
