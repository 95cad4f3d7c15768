#include "app/memory/SheetRecord.h"

#include <QJsonArray>
#include <QJsonDocument>

namespace {
const QLatin1String FormatName("quilvar-sheet");

QJsonArray rowsToJson(const QList<CostLine> &rows)
{
    QJsonArray array;
    for (const CostLine &line : rows)
        array.append(
            QJsonArray{line.Number, line.Included, line.Category, line.Content, line.Expression, line.AmountText});
    return array;
}

bool rowsFromJson(const QJsonValue &value, QList<CostLine> *rows)
{
    if (!value.isArray())
        return false;
    const QJsonArray array = value.toArray();
    rows->reserve(array.size());
    for (const QJsonValue &row : array) {
        const QJsonArray cells = row.toArray();
        if (cells.size() < 6 || !cells.at(1).isBool())
            return false;
        for (int i : {0, 2, 3, 4, 5}) {
            if (!cells.at(i).isString())
                return false;
        }
        rows->append(CostLine(cells.at(0).toString(), cells.at(2).toString(), cells.at(3).toString(),
                              cells.at(4).toString(), cells.at(5).toString(), cells.at(1).toBool()));
    }
    return true;
}

bool holdsText(const CostLine &line)
{
    return !line.Category.isEmpty() || !line.Content.isEmpty() || !line.Expression.isEmpty() ||
           !line.AmountText.isEmpty();
}
} // namespace

QByteArray RecordToJson(const SheetRecord &record)
{
    QJsonObject object{{QStringLiteral("format"), FormatName},
                       {QStringLiteral("version"), SheetRecord::Version},
                       {QStringLiteral("started"), record.started.toUTC().toString(Qt::ISODateWithMs)},
                       {QStringLiteral("changed"), record.changed.toUTC().toString(Qt::ISODateWithMs)},
                       {QStringLiteral("closed"), record.closed},
                       {QStringLiteral("sequence"), record.sequence},
                       {QStringLiteral("query"), record.query},
                       {QStringLiteral("total"), record.text1},
                       {QStringLiteral("headcount"), record.text3},
                       {QStringLiteral("perhead"), record.text4},
                       {QStringLiteral("quote"), record.quoteTexts},
                       {QStringLiteral("rows"), rowsToJson(record.rows)}};
    return QJsonDocument(object).toJson(QJsonDocument::Compact);
}

RecordReading RecordFromJson(const QByteArray &json, SheetRecord *record)
{
    const QJsonDocument document = QJsonDocument::fromJson(json);
    const QJsonObject o = document.object();
    if (o.value(QStringLiteral("format")).toString() != FormatName || !o.value(QStringLiteral("version")).isDouble())
        return RecordReading::Damaged;
    if (o.value(QStringLiteral("version")).toInt() > SheetRecord::Version)
        return RecordReading::Newer;
    SheetRecord r;
    r.started = QDateTime::fromString(o.value(QStringLiteral("started")).toString(), Qt::ISODateWithMs);
    r.changed = QDateTime::fromString(o.value(QStringLiteral("changed")).toString(), Qt::ISODateWithMs);
    if (!r.started.isValid() || !r.changed.isValid() || !rowsFromJson(o.value(QStringLiteral("rows")), &r.rows))
        return RecordReading::Damaged;
    r.closed = o.value(QStringLiteral("closed")).toBool();
    r.sequence = qint64(o.value(QStringLiteral("sequence")).toDouble());
    r.query = o.value(QStringLiteral("query")).toString();
    r.text1 = o.value(QStringLiteral("total")).toString();
    r.text3 = o.value(QStringLiteral("headcount")).toString();
    r.text4 = o.value(QStringLiteral("perhead")).toString();
    r.quoteTexts = o.value(QStringLiteral("quote")).toObject();
    *record = std::move(r);
    return RecordReading::Read;
}

QString RecordTitle(const SheetRecord &record)
{
    const QString tourName = record.quoteTexts.value(QStringLiteral("tourName")).toString().trimmed();
    if (!tourName.isEmpty())
        return tourName;
    if (!record.query.trimmed().isEmpty())
        return record.query.trimmed().left(40);
    for (const CostLine &line : record.rows) {
        if (holdsText(line))
            return line.Content;
    }
    return QString();
}

int RecordLineCount(const SheetRecord &record)
{
    return int(std::count_if(record.rows.begin(), record.rows.end(), holdsText));
}
