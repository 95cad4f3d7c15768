#pragma once

#include "quote/GroupQuote.h"
#include "quote/QuoteTexts.h"
#include "sheet/PriceBreaks.h"

#include <QString>
#include <QStringList>

#include <optional>

class CostSheet;

class QTextStream;

// quilvar-batch: the sheet's rules without a window, for hosts and scripts that want a quote file.
// The steps run in a fixed order, each only when asked for.
struct BatchOptions
{
    bool help = false;
    std::optional<QString> query;      // --query SQL
    std::optional<QString> iniPath;    // --ini FILE
    std::optional<QString> importPath; // --import FILE
    bool recalc = false;               // --recalc
    std::optional<QString> headCount;  // --headcount TEXT
    bool refresh = false;              // --refresh
    std::optional<QString> headCounts; // --headcounts LIST
    QStringList breakHeadCounts;       // that list, read
    std::optional<QString> exportPath; // --export FILE
    bool json = false;                 // --json
    // The group quote, after every other step: --quote LIST and its settings.
    std::optional<QString> quote, foc, staff, rooms, markup, margin, profit, tax, taxBase, round, childExcludes,
        roomCategories;
    std::optional<QString> tourName, tourDate, excludes, quotePdf, quoteXlsx;
    std::optional<QString> quoteNumber, issueDate, validDays, childRule, includes;
    QuoteSettings quoteSettings; // those, read
    QDate issueDay;              // --issue-date, read; today without it
    int validDayCount = QuoteTexts().validDays;
};

enum BatchExitCode
{
    BatchOk = 0,
    BatchBadArguments = 2,
    BatchDatabaseFailed = 3,
    BatchWorkbookFailed = 4
};

QString BatchUsage();
// The arguments after the program's name. False with a message for an unknown option, a missing
// value or an option given twice.
bool ParseBatchArguments(const QStringList &arguments, BatchOptions *options, QString *error);

// Every row with a non-blank expression is read into a fresh editor model; where that changed the
// line, it is written back as the editor writes it, as if the planner had opened that cell.
void RecalcRows(CostSheet &sheet);
// The sheet as one JSON object, texts exactly as held; with price breaks, their table as "breaks";
// with a group quote, its figures as "quote".
QString SheetJson(const CostSheet &sheet, const QList<PriceBreak> &breaks = {},
                  const std::optional<GroupQuote> &quote = std::nullopt);

// Runs the steps; returns the exit status. Output goes to out, messages to err. Without --ini the
// settings file is default.ini in defaultIniDir (the executable's directory).
int RunBatch(const QStringList &arguments, QTextStream &out, QTextStream &err,
             const QString &defaultIniDir = QString());
