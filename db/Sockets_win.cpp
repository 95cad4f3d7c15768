#include "db/Sockets.h"

namespace Sockets {

bool start()
{
    // Winsock counts its users; this one stays for the life of the process.
    static const bool started = [] {
        WSADATA data;
        return WSAStartup(MAKEWORD(2, 2), &data) == 0;
    }();
    return started;
}

Socket::Socket(int family, int type, int protocol)
    : m_handle(start() ? ::socket(family, type, protocol) : INVALID_SOCKET)
{
}

Socket::~Socket()
{
    if (m_handle != INVALID_SOCKET)
        ::closesocket(m_handle);
}

bool Socket::isValid() const
{
    return m_handle != INVALID_SOCKET;
}

bool Socket::setNonBlocking()
{
    u_long on = 1;
    return ::ioctlsocket(m_handle, FIONBIO, &on) == 0;
}

int poll(std::vector<pollfd> &fds, int timeoutMs)
{
    return ::WSAPoll(fds.data(), ULONG(fds.size()), timeoutMs);
}

bool lastWasInterrupted()
{
    return WSAGetLastError() == WSAEINTR;
}

bool lastWasInProgress()
{
    return WSAGetLastError() == WSAEWOULDBLOCK;
}

bool lastWasRefused()
{
    // Windows tells an unreachable UDP port as a reset connection.
    const int error = WSAGetLastError();
    return error == WSAECONNREFUSED || error == WSAECONNRESET;
}

bool lastWasWouldBlock()
{
    return WSAGetLastError() == WSAEWOULDBLOCK;
}

bool takeRefusal(Handle socket)
{
    int error = 0;
    int length = sizeof error;
    return ::getsockopt(socket, SOL_SOCKET, SO_ERROR, reinterpret_cast<char *>(&error), &length) == 0 &&
           (error == WSAECONNREFUSED || error == WSAECONNRESET);
}

} // namespace Sockets
