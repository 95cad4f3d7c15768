#pragma once

#include <QString>
#include <QStringView>

// Cell values as texts, shared by the workbook readers.
namespace CellText {

// A number read from a file ("1.5", "1E-3"); the text itself when it holds no finite number.
QString fromNumberText(const QString &text);
// The number a file's text holds, as QString::toDouble reads it; false when it holds none.
bool toNumber(QStringView text, double *value);
QString fromBool(bool value);
// A date-time serial of the 1900 (or 1904) date system. Only the date when the format shows no
// time of day and the serial has no fraction; only the time when the format shows no date.
QString fromSerial(double serial, bool date1904, bool formatHasDate, bool formatHasTime);
// What a number format shows of a date-time serial; neither for a plain number format.
struct DateKind
{
    bool date = false;
    bool time = false;
    bool elapsed = false; // [h]:mm:ss: hours past 24 rather than days
};
// The formats built into Excel, which workbooks name by number only.
DateKind builtinFormatKind(int id);
// A format code such as "yyyy-mm-dd" or "[h]:mm"; the first section decides.
DateKind formatCodeKind(const QString &code);
// A duration in days as an elapsed-time format shows it: 10.5 is 252:00:00.
QString fromElapsed(double days);
// An ISO date or date-time as the formats store it (2024-05-01, 2024-05-01T08:30:00.000).
QString fromIsoDateTime(QStringView text);
// An ISO duration as OpenDocument stores times (PT08H30M00S).
QString fromIsoDuration(QStringView text);
// Decodes the _xHHHH_ escapes of Office Open XML strings.
QString decodeOoxmlEscapes(const QString &text);

} // namespace CellText
