#pragma once

#include <QDeadlineTimer>
#include <QString>

// The two questions we ask a SQL Server ourselves instead of leaving them to the driver.

// The TCP port of a named instance, asked of the SQL Server Browser service (UDP) on the host.
// Gives up at the deadline: FreeTDS would ask sixteen times, a second each, whatever its login
// timeout. Returns 0 with a Chinese reason when the instance is not found in time.
int ResolveInstancePort(const QString &host, const QString &instance, const QDeadlineTimer &deadline, QString *error);

// The browser service's UDP port: 1434, another only where a test runs its own service.
quint16 SqlBrowserPort();
void setSqlBrowserPort(quint16 port);

// True when the server at host and port answers PRELOGIN with "encryption not supported": the
// reason a connection that requires encryption was refused. False when it offers encryption or
// cannot be asked before the deadline.
bool ServerOffersNoEncryption(const QString &host, int port, const QDeadlineTimer &deadline);
