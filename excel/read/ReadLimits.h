#pragma once

#include <QtGlobal>

// Only the cells inside these bounds are kept, and reading stops once they are passed, so that the
// size of the rest of a workbook does not matter.
struct ReadLimits
{
    int maxRows = 501;
    int maxColumns = 4;
    // Rows above it are not read at all, so nothing in them can fail the reading.
    int firstRow = 1;
    // What the zipped formats may decompress in all, not counting the elements the reading passes
    // over (cells right of the columns wanted, strings no wanted cell uses), and the cell text they
    // may keep in all.
    qint64 maxInflatedBytes = 32 * 1024 * 1024;
    // What they may decompress, passed over or not: this bounds the time any file takes.
    qint64 maxScannedBytes = 128 * 1024 * 1024;
    qint64 maxTextCharacters = 4 * 1024 * 1024;
    // How deep the elements of a part may nest: workbooks nest a dozen levels, and the parser keeps
    // every open element, so a file of nothing but nested elements would cost gigabytes.
    int maxXmlDepth = 256;
};
