#pragma once

#include "db/DbError.h"
#include "db/OdbcDriver.h"

#include <QString>

#include <memory>

// One ODBC connection of our own: its environment and connection handles, the login timeout that
// the driver must honour, and the ODBC connection string it was last opened with.
class OdbcConnection
{
public:
    OdbcConnection();
    ~OdbcConnection();
    OdbcConnection(const OdbcConnection &) = delete;
    OdbcConnection &operator=(const OdbcConnection &) = delete;

    // Seconds an opening may take before it gives up; 0 leaves it to the driver.
    void setLoginTimeout(int seconds) { m_loginTimeout = seconds; }
    int loginTimeout() const { return m_loginTimeout; }

    // Opens the connection; an open one is closed first.
    bool open(const QString &odbcConnectionString, DbError *error = nullptr);
    // Closing a closed connection does nothing.
    void close();
    bool isOpen() const { return m_open; }
    const QString &connectionString() const { return m_connectionString; }
    // What the driver of the open connection is, by its own answer.
    OdbcDriverKind driverKind() const { return m_driverKind; }

    // The ODBC connection handle, for OdbcRecordset.
    void *handle() const;

private:
    struct Handles;
    std::unique_ptr<Handles> m_handles;
    int m_loginTimeout = 15;
    bool m_open = false;
    OdbcDriverKind m_driverKind = OdbcDriverKind::Other;
    QString m_connectionString;
};
