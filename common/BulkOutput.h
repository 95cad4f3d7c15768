#pragma once

#include <cstdio>

// Readies a standard stream for megabytes of binary data that another program reads as it comes
// (the .xls reader's cells): bytes pass unchanged (Windows would otherwise turn each line feed into
// two bytes), and where the stream is a pipe whose size can be set, it holds 1 MB rather than 64 KB,
// so that the writer goes on while the reader catches up instead of the two taking turns. Nothing
// is lost where either cannot be done.
void PrepareBulkOutput(FILE *stream);
