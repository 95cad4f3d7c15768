#pragma once

#include "db/DbError.h"

#ifdef _WIN32
#include <windows.h>
#endif
#include <sql.h>
#include <sqlext.h>

#include <QString>

// SQLWCHAR is 16 bits with unixODBC and on Windows alike, so QString's UTF-16 passes unchanged.
static_assert(sizeof(SQLWCHAR) == sizeof(char16_t), "SQLWCHAR must be 16 bits");

inline SQLWCHAR *toSqlWChar(const QString &text)
{
    return reinterpret_cast<SQLWCHAR *>(const_cast<char16_t *>(reinterpret_cast<const char16_t *>(text.utf16())));
}

// Copied as it is: QString::fromUtf16 would take a leading U+FEFF for a byte-order mark and drop
// it, from a text and from every piece of a long one, and it costs a codec's pass besides.
inline QString fromSqlWChar(const SQLWCHAR *text, qsizetype length)
{
    return QString(reinterpret_cast<const QChar *>(text), length);
}

// Fills the error from the handle's diagnostic records: the native number of the first record
// and every message with its SQLSTATE.
void ReadOdbcDiagnostics(SQLSMALLINT handleType, SQLHANDLE handle, const QString &fallback, DbError *error);
