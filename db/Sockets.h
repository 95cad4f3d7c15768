#pragma once

// The few socket calls with which we ask a SQL Server ourselves, the same on every platform:
// BSD sockets on Linux, Winsock on Windows (one .cpp per platform).
#ifdef _WIN32
#include <winsock2.h>
#include <ws2tcpip.h>
#else
#include <netdb.h>
#include <poll.h>
#include <sys/socket.h>
#endif

#include <vector>

namespace Sockets {

#ifdef _WIN32
using Handle = SOCKET;
inline constexpr int NoSignal = 0; // Winsock raises no signal on a closed connection
#else
using Handle = int;
inline constexpr int NoSignal = MSG_NOSIGNAL;
#endif

// Makes sockets usable in this process (once); false when the platform refuses.
bool start();

// A socket, closed when it goes.
class Socket
{
public:
    Socket(int family, int type, int protocol);
    ~Socket();
    Socket(const Socket &) = delete;
    Socket &operator=(const Socket &) = delete;
    bool isValid() const;
    Handle handle() const { return m_handle; }
    bool setNonBlocking();

private:
    Handle m_handle;
};

// Waits for the sockets' events at most timeoutMs (-1: without a limit): >0 when one is ready,
// 0 at the limit, <0 on an error.
int poll(std::vector<pollfd> &fds, int timeoutMs);

// What the last call that failed met.
bool lastWasInterrupted();
bool lastWasInProgress(); // a connection still being made
bool lastWasWouldBlock(); // nothing to read yet
bool lastWasRefused();    // nobody listens there (for UDP: the port was unreachable)
// Takes the error a socket holds: true when it says that nobody listens there.
bool takeRefusal(Handle socket);

} // namespace Sockets
