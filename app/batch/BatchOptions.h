#pragma once

#include "quote/QuoteSettings.h"
#include "quote/QuoteTexts.h"

#include <QDate>

#include <QString>
#include <QStringList>

#include <optional>
#include <span>

// quilvar-batch's options, as the command line gives them.
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

// The steps of a run, in the order they run; each option belongs to one.
enum class BatchStep
{
    Help,
    Source, // the sheet's content: a host's query or a workbook
    Recalc,
    HeadCount,
    Refresh,
    PriceBreaks,
    Export,
    Quote,
    QuoteDocuments,
    Json
};

// One option of the command line. New options are added to the table, which the parser, the usage
// text and the choice of the application class read.
struct BatchOption
{
    QLatin1String name;
    std::optional<QString> BatchOptions::*value = nullptr; // where an option with a value goes
    bool BatchOptions::*flag = nullptr;                    // or the flag it sets
    BatchStep step = BatchStep::Help;
    bool needsQuote = false;         // only with --quote
    bool isFile = false;             // its value names a file and may not be empty
    bool needsGui = false;           // draws with the system's fonts, which needs Qt's graphical side
    const char16_t *usage = nullptr; // its lines of the usage text; none where another's lines tell of it
};
std::span<const BatchOption> BatchOptionTable();

QString BatchUsage();
// The arguments after the program's name. False with a message for an unknown option, a missing
// value or an option given twice.
bool ParseBatchArguments(const QStringList &arguments, BatchOptions *options, QString *error);
// Whether the options given need Qt's graphical side (a QGuiApplication).
bool BatchNeedsGui(const BatchOptions &options);
