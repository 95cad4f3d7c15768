#include "excel/read/CellText.h"

#include "common/NumberText.h"

#include <QDate>
#include <QDateTime>
#include <QTime>

#include <charconv>
#include <cmath>

namespace CellText {

namespace {
// The plain decimal form the formats store numbers in ("-12.5", "1E-3"), without Qt's locale
// machinery, which costs a hundred times more; anything else is left to QString::toDouble.
bool plainNumber(QStringView text, double *value)
{
    char ascii[64] = {};
    const qsizetype n = text.size();
    if (n == 0 || n > qsizetype(sizeof ascii))
        return false;
    for (qsizetype i = 0; i < n; ++i) {
        const char16_t c = text[i].unicode();
        if (!((c >= '0' && c <= '9') || c == '.' || c == '-' || c == '+' || c == 'e' || c == 'E'))
            return false;
        ascii[i] = char(c);
    }
    // A sign or point first, or a hexadecimal or special form, goes the long way.
    if (ascii[0] < '0' && !(ascii[0] == '-' && n > 1 && ascii[1] >= '0' && ascii[1] <= '9'))
        return false;
    const auto [end, error] = std::from_chars(ascii, ascii + n, *value);
    return error == std::errc() && end == ascii + n && std::isfinite(*value);
}
} // namespace

namespace {
// Whether the text is already what fromNumber would make of it: a plain decimal of at most 15
// significant digits, no leading or trailing zeros, no exponent, inside the range written without
// one (1E-04 up to below 1E+15). Fifteen digits survive the way through a double unchanged, so
// such a text, what the formats hold for nearly every number, is kept as it is.
bool isGeneralForm(QStringView text)
{
    qsizetype i = !text.isEmpty() && text.front() == u'-' ? 1 : 0;
    const qsizetype integerFrom = i;
    while (i < text.size() && text[i] >= u'0' && text[i] <= u'9')
        ++i;
    const qsizetype integerLength = i - integerFrom;
    const bool zeroInteger = integerLength == 1 && text[integerFrom] == u'0';
    if (integerLength == 0 || integerLength > 15 || (text[integerFrom] == u'0' && !zeroInteger))
        return false;
    if (i == text.size())
        return !(zeroInteger && integerFrom == 1); // "-0" is written "0"
    if (text[i] != u'.')
        return false;
    const qsizetype fractionFrom = ++i;
    while (i < text.size() && text[i] >= u'0' && text[i] <= u'9')
        ++i;
    const qsizetype fractionLength = i - fractionFrom;
    if (i != text.size() || fractionLength == 0 || text.back() == u'0')
        return false;
    if (!zeroInteger)
        return integerLength + fractionLength <= 15;
    qsizetype zeros = 0;
    while (text[fractionFrom + zeros] == u'0')
        ++zeros;
    return zeros <= 3 && fractionLength - zeros <= 15;
}
} // namespace

QString fromNumberText(const QString &text)
{
    if (isGeneralForm(text))
        return text; // shared, not copied
    double value = 0;
    if (plainNumber(text, &value))
        return NumberText(value);
    bool ok = false;
    value = text.toDouble(&ok);
    if (!ok || !std::isfinite(value))
        return text;
    return NumberText(value);
}

bool toNumber(QStringView text, double *value)
{
    if (plainNumber(text, value))
        return true;
    bool ok = false;
    *value = text.toString().toDouble(&ok);
    return ok;
}

QString fromBool(bool value)
{
    return value ? QStringLiteral("TRUE") : QStringLiteral("FALSE");
}

namespace {
QString dateText(const QDate &date)
{
    return date.toString(QStringLiteral("yyyy-MM-dd"));
}

QString timeText(qint64 seconds)
{
    return QStringLiteral("%1:%2:%3")
        .arg(seconds / 3600, 2, 10, QLatin1Char('0'))
        .arg(seconds / 60 % 60, 2, 10, QLatin1Char('0'))
        .arg(seconds % 60, 2, 10, QLatin1Char('0'));
}
} // namespace

QString fromSerial(double serial, bool date1904, bool formatHasDate, bool formatHasTime)
{
    // The largest serial is 9999-12-31 in both date systems (less in 1904, where the epoch is later).
    if (!std::isfinite(serial) || serial < 0 || serial >= 2958466)
        return NumberText(serial);
    const qint64 totalSeconds = std::llround(serial * 86400.0);
    const qint64 days = totalSeconds / 86400;
    const qint64 seconds = totalSeconds % 86400;
    if (!formatHasDate && days == 0)
        return timeText(seconds);

    QString day;
    if (date1904) {
        day = dateText(QDate(1904, 1, 1).addDays(days));
    } else if (days == 60) {
        // The 1900 date system counts a 29 February 1900 that never was (a Lotus compatibility).
        day = QStringLiteral("1900-02-29");
    } else if (days < 60) {
        day = dateText(QDate(1899, 12, 31).addDays(days));
    } else {
        day = dateText(QDate(1899, 12, 30).addDays(days));
    }
    if (seconds == 0 && !formatHasTime)
        return day;
    return day + QLatin1Char(' ') + timeText(seconds);
}

DateKind builtinFormatKind(int id)
{
    // 27-36 and 50-58 are the date formats built into East Asian versions of Excel; they are
    // stored by number only.
    if ((id >= 14 && id <= 17) || (id >= 27 && id <= 31) || id == 36 || (id >= 50 && id <= 58))
        return {true, false};
    if (id == 46)
        return {false, true, true}; // [h]:mm:ss
    if ((id >= 18 && id <= 21) || (id >= 32 && id <= 35) || (id >= 45 && id <= 47))
        return {false, true};
    if (id == 22)
        return {true, true};
    return {};
}

DateKind formatCodeKind(const QString &code)
{
    bool date = false, time = false, month = false, elapsed = false;
    for (qsizetype i = 0; i < code.size(); ++i) {
        const QChar c = code.at(i);
        if (c == QLatin1Char(';'))
            break; // the first section decides
        if (c == QLatin1Char('"')) {
            const qsizetype close = code.indexOf(QLatin1Char('"'), i + 1);
            if (close < 0)
                break;
            i = close;
        } else if (c == QLatin1Char('\\') || c == QLatin1Char('_') || c == QLatin1Char('*')) {
            ++i;
        } else if (c == QLatin1Char('[')) {
            const qsizetype close = code.indexOf(QLatin1Char(']'), i + 1);
            if (close < 0)
                break;
            const QString inside = code.mid(i + 1, close - i - 1).toLower();
            if (!inside.isEmpty() &&
                (inside.count(QLatin1Char('h')) == inside.size() || inside.count(QLatin1Char('m')) == inside.size() ||
                 inside.count(QLatin1Char('s')) == inside.size()))
                time = elapsed = true; // [h]:mm
            i = close;
        } else {
            switch (c.toLower().unicode()) {
            case 'y':
            case 'd':
                date = true;
                break;
            case 'h':
            case 's':
                time = true;
                break;
            case 'm':
                month = true;
                break;
            default:
                break;
            }
        }
    }
    if (month && !time)
        date = true;
    return {date && !elapsed, time, elapsed};
}

QString fromElapsed(double days)
{
    if (!std::isfinite(days) || std::abs(days) >= 1e7)
        return NumberText(days);
    const QString clock = timeText(std::llround(std::abs(days) * 86400.0));
    return days < 0 ? QLatin1Char('-') + clock : clock;
}

QString fromIsoDateTime(QStringView text)
{
    const QString value = text.trimmed().toString();
    const qsizetype t = value.indexOf(QLatin1Char('T'));
    const QDate date = QDate::fromString(t < 0 ? value : value.left(t), Qt::ISODate);
    if (!date.isValid())
        return text.toString();
    if (t < 0)
        return dateText(date);
    // The time of day, without fractions of a second or a time zone.
    QString clock = value.mid(t + 1, 8);
    const QTime time = QTime::fromString(clock, QStringLiteral("HH:mm:ss"));
    if (!time.isValid())
        return text.toString();
    if (time == QTime(0, 0))
        return dateText(date);
    return dateText(date) + QLatin1Char(' ') + time.toString(QStringLiteral("HH:mm:ss"));
}

QString fromIsoDuration(QStringView text)
{
    // [-]P[nD]T[nH][nM][n[.n]S]
    const QString value = text.trimmed().toString();
    qsizetype i = 0;
    bool negative = false;
    if (i < value.size() && value.at(i) == QLatin1Char('-')) {
        negative = true;
        ++i;
    }
    if (i >= value.size() || value.at(i) != QLatin1Char('P'))
        return text.toString();
    ++i;
    double seconds = 0;
    bool inTime = false;
    bool any = false;
    while (i < value.size()) {
        if (value.at(i) == QLatin1Char('T')) {
            inTime = true;
            ++i;
            continue;
        }
        const qsizetype start = i;
        while (i < value.size() && (value.at(i).isDigit() || value.at(i) == QLatin1Char('.')))
            ++i;
        if (i == start || i >= value.size() || i - start > 15)
            return text.toString();
        bool ok = false;
        const double number = value.mid(start, i - start).toDouble(&ok);
        if (!ok)
            return text.toString();
        const QChar unit = value.at(i++);
        if (!inTime && unit == QLatin1Char('D'))
            seconds += number * 86400;
        else if (inTime && unit == QLatin1Char('H'))
            seconds += number * 3600;
        else if (inTime && unit == QLatin1Char('M'))
            seconds += number * 60;
        else if (inTime && unit == QLatin1Char('S'))
            seconds += number;
        else
            return text.toString();
        any = true;
    }
    if (!any || seconds > 1e12)
        return text.toString();
    const QString clock = timeText(std::llround(seconds));
    return negative ? QLatin1Char('-') + clock : clock;
}

QString decodeOoxmlEscapes(const QString &text)
{
    // Most texts hold no '_' at all, which one vectorised search tells.
    if (!text.contains(QLatin1Char('_')) || !text.contains(QLatin1String("_x")))
        return text;
    QString out;
    out.reserve(text.size());
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n; ++i) {
        if (text.at(i) == QLatin1Char('_') && i + 6 < n && text.at(i + 1) == QLatin1Char('x') &&
            text.at(i + 6) == QLatin1Char('_')) {
            bool ok = false;
            const uint code = QStringView(text).mid(i + 2, 4).toUInt(&ok, 16);
            if (ok && QStringView(text).mid(i + 2, 4).size() == 4) {
                bool hex = true;
                for (qsizetype k = i + 2; k < i + 6; ++k)
                    hex = hex && isxdigit(text.at(k).toLatin1());
                if (hex) {
                    out.append(QChar(char16_t(code)));
                    i += 6;
                    continue;
                }
            }
        }
        out.append(text.at(i));
    }
    return out;
}

} // namespace CellText
