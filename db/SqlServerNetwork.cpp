#include "db/SqlServerNetwork.h"

#include "db/Sockets.h"

#include <QByteArray>
#include <QList>

#include <atomic>
#include <memory>
#include <optional>
#include <vector>

namespace {

std::atomic<quint16> browserPort{1434};

// The instance's "tcp" entry in a browser reply: "ServerName;S;InstanceName;I;…;tcp;1433;;", one
// such list per instance, the lists separated by ";;".
int tcpPortOf(const QByteArray &reply, const QString &instance)
{
    const QList<QByteArray> fields = reply.split(';');
    QString current;
    qsizetype i = 0;
    while (i + 1 < fields.size()) {
        if (fields.at(i).isEmpty()) {
            current.clear();
            ++i;
            continue;
        }
        const QString key = QString::fromLatin1(fields.at(i));
        const QString value = QString::fromLocal8Bit(fields.at(i + 1));
        if (key.compare(QStringLiteral("InstanceName"), Qt::CaseInsensitive) == 0) {
            current = value;
        } else if (key.compare(QStringLiteral("tcp"), Qt::CaseInsensitive) == 0 &&
                   current.compare(instance, Qt::CaseInsensitive) == 0) {
            bool ok = false;
            const int port = value.toInt(&ok);
            return ok && port > 0 && port < 65536 ? port : 0;
        }
        i += 2;
    }
    return 0;
}

// Waits until one of the sockets can be read (or written), at most until the deadline or for
// limitMs; a deadline that never expires with no limit waits for as long as it takes.
bool waitFor(std::vector<pollfd> &fds, const QDeadlineTimer &deadline, qint64 limitMs = -1)
{
    for (;;) {
        qint64 remaining = deadline.remainingTime(); // -1: never expires
        if (limitMs >= 0 && (remaining < 0 || remaining > limitMs))
            remaining = limitMs;
        const int rc = Sockets::poll(fds, remaining < 0 ? -1 : int(remaining));
        if (rc > 0)
            return true;
        if (rc == 0 || !Sockets::lastWasInterrupted())
            return false;
    }
}

bool waitFor(Sockets::Handle fd, short events, const QDeadlineTimer &deadline, qint64 limitMs = -1)
{
    std::vector<pollfd> fds{pollfd{fd, events, 0}};
    return waitFor(fds, deadline, limitMs);
}

addrinfo *lookUp(const QString &host, quint16 port, int socketType)
{
    if (!Sockets::start())
        return nullptr;
    addrinfo hints{};
    hints.ai_family = 0; // IPv4 or IPv6, whichever the name gives
    hints.ai_socktype = socketType;
    addrinfo *found = nullptr;
    if (::getaddrinfo(host.toUtf8().constData(), QByteArray::number(port).constData(), &hints, &found) != 0)
        return nullptr;
    return found;
}

using SocketList = std::vector<std::unique_ptr<Sockets::Socket>>;

// Every address the name gives is asked at once: a name such as localhost gives ::1 first on
// most machines, while the browser service may listen on IPv4 only. Each socket is connected,
// so that "nobody listens here" comes back as an error instead of silence.
SocketList connectedSockets(const addrinfo *found)
{
    SocketList sockets;
    for (const addrinfo *address = found; address; address = address->ai_next) {
        auto socket = std::make_unique<Sockets::Socket>(address->ai_family, address->ai_socktype, address->ai_protocol);
        // Never blocking: a socket said to be readable may still have nothing to give (Wine's does,
        // after a "port unreachable").
        if (socket->isValid() && ::connect(socket->handle(), address->ai_addr, int(address->ai_addrlen)) == 0 &&
            socket->setNonBlocking())
            sockets.push_back(std::move(socket));
    }
    return sockets;
}

// The question for an instance's port, put to the browser service of every address. An address
// where nobody listens is dropped; the others are asked until the caller gives up.
class BrowserQuestion
{
public:
    BrowserQuestion(SocketList sockets, const QString &instance)
        : m_sockets(std::move(sockets)), m_request('\x04' + instance.toLocal8Bit() + '\0') // CLNT_UCAST_INST
    {
    }
    bool anyLeft() const { return !m_sockets.empty(); }
    // Whether an address said that nobody listens there.
    bool refused() const { return m_refused; }

    void ask()
    {
        for (std::size_t i = m_sockets.size(); i-- > 0;) {
            if (::send(m_sockets[i]->handle(), m_request.constData(), int(m_request.size()), 0) < 0)
                drop(i);
        }
    }

    // The text of the first reply that arrives within the time; what arrives that is not a reply is
    // read and ignored.
    std::optional<QByteArray> listen(const QDeadlineTimer &deadline, qint64 limitMs)
    {
        std::vector<pollfd> fds;
        for (const auto &socket : m_sockets)
            fds.push_back(pollfd{socket->handle(), POLLIN, 0});
        if (fds.empty() || !waitFor(fds, deadline, limitMs))
            return std::nullopt;
        for (std::size_t i = fds.size(); i-- > 0;) {
            if (fds[i].revents == 0)
                continue;
            // "Nobody listens here" comes back as the socket's error.
            if (fds[i].revents & (POLLERR | POLLHUP)) {
                m_refused = m_refused || Sockets::takeRefusal(fds[i].fd);
                m_sockets.erase(m_sockets.begin() + std::ptrdiff_t(i));
                continue;
            }
            if (std::optional<QByteArray> reply = receive(i, fds[i].fd))
                return reply;
        }
        return std::nullopt;
    }

private:
    std::optional<QByteArray> receive(std::size_t i, Sockets::Handle fd)
    {
        char reply[4096];
        const auto got = ::recv(fd, reply, int(sizeof reply), 0);
        if (got < 0 && !Sockets::lastWasWouldBlock())
            drop(i);
        // SVR_RESP: 0x05, the length of the text (two bytes, little-endian), the text.
        if (got < 3 || reply[0] != '\x05')
            return std::nullopt;
        const qsizetype length =
            qMin<qsizetype>(qsizetype(quint8(reply[1])) | qsizetype(quint8(reply[2])) << 8, got - 3);
        return QByteArray(reply + 3, length);
    }

    void drop(std::size_t i)
    {
        m_refused = m_refused || Sockets::lastWasRefused();
        m_sockets.erase(m_sockets.begin() + std::ptrdiff_t(i));
    }

    SocketList m_sockets;
    const QByteArray m_request;
    bool m_refused = false;
};

} // namespace

quint16 SqlBrowserPort()
{
    return browserPort.load();
}

void setSqlBrowserPort(quint16 port)
{
    browserPort.store(port);
}

int ResolveInstancePort(const QString &host, const QString &instance, const QDeadlineTimer &deadline, QString *error)
{
    const auto fail = [&](const QString &text) {
        if (error)
            *error = text;
        return 0;
    };
    addrinfo *found = lookUp(host, SqlBrowserPort(), SOCK_DGRAM);
    if (!found)
        return fail(QStringLiteral("找不到数据库服务器“%1”。").arg(host));
    BrowserQuestion question(connectedSockets(found), instance);
    ::freeaddrinfo(found);
    if (!question.anyLeft())
        return fail(QStringLiteral("无法连接数据库服务器“%1”的 SQL Server Browser 服务。").arg(host));

    // UDP may lose the question or the answer: ask again once a second until the deadline. What
    // arrives meanwhile that is not the answer never hastens the next question.
    QDeadlineTimer round(0);
    while (!deadline.hasExpired() && question.anyLeft()) {
        if (round.hasExpired()) {
            round.setRemainingTime(1000);
            question.ask();
        }
        const std::optional<QByteArray> reply = question.listen(deadline, qMax<qint64>(0, round.remainingTime()));
        if (!reply)
            continue;
        const int port = tcpPortOf(*reply, instance);
        if (port > 0)
            return port;
        return fail(QStringLiteral("数据库服务器“%1”上没有名为“%2”的实例，或它不接受 TCP 连接。").arg(host, instance));
    }
    if (!question.anyLeft() && question.refused())
        return fail(
            QStringLiteral("数据库服务器“%1”上没有运行 SQL Server Browser 服务，找不到实例“%2”。").arg(host, instance));
    return fail(QStringLiteral("数据库服务器“%1”的 SQL Server Browser 服务没有在连接超时之内告知实例“%2”的端口。")
                    .arg(host, instance));
}

bool ServerOffersNoEncryption(const QString &host, int port, const QDeadlineTimer &deadline)
{
    addrinfo *found = lookUp(host, quint16(port), SOCK_STREAM);
    if (!found)
        return false;
    // The first address that takes the connection, as the driver itself goes through them.
    std::unique_ptr<Sockets::Socket> socket;
    for (const addrinfo *address = found; address && !socket; address = address->ai_next) {
        auto candidate =
            std::make_unique<Sockets::Socket>(address->ai_family, address->ai_socktype, address->ai_protocol);
        if (!candidate->isValid() || !candidate->setNonBlocking())
            continue;
        const Sockets::Handle handle = candidate->handle();
        const bool connected = ::connect(handle, address->ai_addr, int(address->ai_addrlen)) == 0 ||
                               (Sockets::lastWasInProgress() && waitFor(handle, POLLOUT, deadline));
        int soError = 0;
        socklen_t soLength = sizeof soError;
        if (connected &&
            ::getsockopt(handle, SOL_SOCKET, SO_ERROR, reinterpret_cast<char *>(&soError), &soLength) == 0 &&
            soError == 0)
            socket = std::move(candidate);
    }
    ::freeaddrinfo(found);
    if (!socket)
        return false;

    // PRELOGIN with VERSION and ENCRYPTION (asking for it), as the driver sends it.
    static const unsigned char prelogin[] = {0x12, 0x01, 0x00, 0x1A, 0x00, 0x00, 0x01, 0x00, // header
                                             0x00, 0x00, 0x0B, 0x00, 0x06,                   // VERSION
                                             0x01, 0x00, 0x11, 0x00, 0x01,                   // ENCRYPTION
                                             0xFF,                                           // end
                                             0x00, 0x00, 0x00, 0x00, 0x00, 0x00,             // version
                                             0x01};                                          // ENCRYPT_ON
    if (::send(socket->handle(), reinterpret_cast<const char *>(prelogin), int(sizeof prelogin), Sockets::NoSignal) !=
        int(sizeof prelogin))
        return false;
    QByteArray answer;
    while (answer.size() < 8 || answer.size() < ((quint8(answer.at(2)) << 8) | quint8(answer.at(3)))) {
        if (!waitFor(socket->handle(), POLLIN, deadline))
            return false;
        char buffer[512];
        const auto got = ::recv(socket->handle(), buffer, int(sizeof buffer), 0);
        if (got <= 0 || answer.size() > 4096)
            return false;
        answer.append(buffer, got);
    }
    const QByteArray options = answer.mid(8, ((quint8(answer.at(2)) << 8) | quint8(answer.at(3))) - 8);
    for (qsizetype i = 0; i + 5 <= options.size() && quint8(options.at(i)) != 0xFF; i += 5) {
        const int offset = (quint8(options.at(i + 1)) << 8) | quint8(options.at(i + 2));
        const int length = (quint8(options.at(i + 3)) << 8) | quint8(options.at(i + 4));
        if (options.at(i) == 0x01 && length >= 1 && offset < options.size())
            return options.at(offset) == 0x02; // ENCRYPT_NOT_SUP
    }
    return false;
}
