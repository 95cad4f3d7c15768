#include "db/Sockets.h"

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

namespace Sockets {

bool start()
{
    return true;
}

Socket::Socket(int family, int type, int protocol) : m_handle(::socket(family, type, protocol)) {}

Socket::~Socket()
{
    if (m_handle >= 0)
        ::close(m_handle);
}

bool Socket::isValid() const
{
    return m_handle >= 0;
}

bool Socket::setNonBlocking()
{
    const int flags = ::fcntl(m_handle, F_GETFL);
    return flags >= 0 && ::fcntl(m_handle, F_SETFL, flags | O_NONBLOCK) == 0;
}

int poll(std::vector<pollfd> &fds, int timeoutMs)
{
    return ::poll(fds.data(), nfds_t(fds.size()), timeoutMs);
}

bool lastWasInterrupted()
{
    return errno == EINTR;
}

bool lastWasInProgress()
{
    return errno == EINPROGRESS;
}

bool lastWasRefused()
{
    return errno == ECONNREFUSED;
}

bool lastWasWouldBlock()
{
    return errno == EAGAIN || errno == EWOULDBLOCK;
}

bool takeRefusal(Handle socket)
{
    int error = 0;
    socklen_t length = sizeof error;
    return ::getsockopt(socket, SOL_SOCKET, SO_ERROR, &error, &length) == 0 && error == ECONNREFUSED;
}

} // namespace Sockets
