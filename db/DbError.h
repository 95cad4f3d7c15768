#pragma once

#include <QString>

// A failure of a database operation: what kind of failure it is, for the code to decide on, and
// the number and description the planner is shown.
struct DbError
{
    enum class Kind
    {
        Driver,            // the driver or the server said so; number and text are theirs
        NoDriverManager,   // ODBC itself cannot be used
        UnpassableValue,   // a value the driver cannot carry unchanged
        InstanceNotFound,  // the browser service did not give a named instance's port
        PlainLoginRefused, // the server cannot encrypt, so the log-in is not sent
        NotOpen,           // no connection, or no result set where one is needed
        EmptyQuery,
        NoCurrentRecord,
        ItemNotFound, // a column the result does not have
        Overflow,     // more rows than the sheet holds
    };

    long number = 0;
    QString description;
    Kind kind = Kind::Driver;

    // A failure our own code finds, with the number ADO gave for the same failure.
    static DbError of(Kind kind, const QString &description);
};

// The numbers ADO gave, which the planner's messages keep.
namespace DbErrorNumber {
inline constexpr long Overflow = 6;
inline constexpr long InvalidArgument = 3001;
inline constexpr long NoCurrentRecord = 3021;
inline constexpr long ItemNotFound = 3265;
inline constexpr long ObjectClosed = 3704;
} // namespace DbErrorNumber

inline DbError DbError::of(Kind kind, const QString &description)
{
    long number = 0;
    switch (kind) {
    case Kind::Overflow:
        number = DbErrorNumber::Overflow;
        break;
    case Kind::EmptyQuery:
        number = DbErrorNumber::InvalidArgument;
        break;
    case Kind::NoCurrentRecord:
        number = DbErrorNumber::NoCurrentRecord;
        break;
    case Kind::ItemNotFound:
        number = DbErrorNumber::ItemNotFound;
        break;
    case Kind::NotOpen:
        number = DbErrorNumber::ObjectClosed;
        break;
    default:
        break;
    }
    return {number, description, kind};
}
