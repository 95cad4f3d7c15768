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

// select, not WSAPoll: before Windows 10 2004 WSAPoll never reports a refused connection, and the
// wait would last to the deadline. select names a failed connection among the exceptions.
int poll(std::vector<pollfd> &fds, int timeoutMs)
{
    if (fds.empty()) {
        Sleep(DWORD(timeoutMs < 0 ? 0 : timeoutMs));
        return 0;
    }
    fd_set readable, writable, failed;
    FD_ZERO(&readable);
    FD_ZERO(&writable);
    FD_ZERO(&failed);
    for (pollfd &fd : fds) {
        fd.revents = 0;
        if (fd.events & POLLIN)
            FD_SET(fd.fd, &readable);
        if (fd.events & POLLOUT)
            FD_SET(fd.fd, &writable);
        FD_SET(fd.fd, &failed);
    }
    timeval timeout{timeoutMs / 1000, (timeoutMs % 1000) * 1000};
    const int ready = ::select(0, &readable, &writable, &failed, timeoutMs < 0 ? nullptr : &timeout);
    if (ready <= 0)
        return ready;
    int count = 0;
    for (pollfd &fd : fds) {
        if (FD_ISSET(fd.fd, &readable))
            fd.revents |= POLLIN;
        if (FD_ISSET(fd.fd, &writable))
            fd.revents |= POLLOUT;
        if (FD_ISSET(fd.fd, &failed))
            fd.revents |= POLLERR;
        count += fd.revents != 0 ? 1 : 0;
    }
    return count;
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
