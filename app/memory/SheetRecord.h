#pragma once

#include "sheet/CostLine.h"

#include <QByteArray>
#include <QDateTime>
#include <QJsonObject>
#include <QList>
#include <QString>

// What the calculator keeps of one sheet: everything that restores its window exactly (every row's
// texts and tick, the total, head-count and per-head boxes, the quote window's per-tour texts) and
// when and how it was started. Written as a versioned JSON object of our own; the quote texts are
// an object the quote window fills, so that a new field of it needs no change here.
struct SheetRecord
{
    static constexpr int Version = 1;

    QList<CostLine> rows;
    QString text1, text3, text4;
    QJsonObject quoteTexts;
    QString query; // the host's query, for a calculator a host started with one
    QDateTime started, changed;
    bool closed = false; // the calculator ended through its close, not by a crash
    qint64 sequence = 0; // counts the states one calculator handed over for writing
};

enum class RecordReading
{
    Read,
    Damaged,
    Newer // written by a later version of the program: left alone
};

QByteArray RecordToJson(const SheetRecord &record);
RecordReading RecordFromJson(const QByteArray &json, SheetRecord *record);

// What the list of recent quotes shows of a record: the tour name, else the host's query (its
// first 40 characters), else the first line's description.
QString RecordTitle(const SheetRecord &record);
// The rows that hold any text.
int RecordLineCount(const SheetRecord &record);
