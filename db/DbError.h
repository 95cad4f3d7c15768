#pragma once

#include <QString>

// A failure of a database operation: the error's number and its description.
struct DbError
{
    long number = 0;
    QString description;
};

// Numbers for the failures our own code finds; they are the ones ADO gave for the same failures.
namespace DbErrorNumber {
inline constexpr long Overflow = 6;
inline constexpr long InvalidArgument = 3001;
inline constexpr long NoCurrentRecord = 3021;
inline constexpr long ItemNotFound = 3265;
inline constexpr long ObjectClosed = 3704;
} // namespace DbErrorNumber
