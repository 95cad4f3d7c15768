#pragma once

#include <QString>

// Why a workbook could not be read or written: a kind the code can branch on, and the Chinese text
// the planner is shown.
struct WorkbookError
{
    enum class Kind
    {
        None,
        FileMissing,       // no file at the path
        FileAccess,        // the file or its folder cannot be opened, read or written
        NotWorkbook,       // not a format that is read
        UnsupportedFormat, // a workbook format that is not read (.xlsb, Excel 2 to 4)
        Encrypted,
        Damaged,
        NoWorksheet,
        OverBudget,   // the reading would cost more than any quote needs
        TooManyRows,  // more quote rows than a sheet holds
        ReaderFailed, // the .xls reading process could not run or did not finish
        Refused,      // the sheet holds what cannot go into a workbook
    };

    Kind kind = Kind::None;
    QString text;

    // Sets *error (when given) and gives false, for `return WorkbookError::fail(...)`.
    static bool fail(WorkbookError *error, Kind kind, const QString &text);
    // What the planner is told of a zipped workbook saved with a password.
    static QString encryptedText();
};
