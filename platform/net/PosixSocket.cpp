#include "platform/net/PosixSocket.h"

#include "platform/net/WinsockErrors.h"

#include <algorithm>
#include <arpa/inet.h>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace platform::posix_socket {

int WindowsError(int e)
{
    switch (e) {
    case 0: return 0;
    case EINTR: return WSAEINTR;
    case EBADF: return WSAENOTSOCK;
    case ENOTSOCK: return WSAENOTSOCK;
    case EACCES: return WSAEACCES;
    case EPERM: return WSAEACCES;
    case EFAULT: return WSAEFAULT;
    case EINVAL: return WSAEINVAL;
    case EMFILE: return WSAEMFILE;
    case ENFILE: return WSAEMFILE;
    case EAGAIN: return WSAEWOULDBLOCK;
#if EWOULDBLOCK != EAGAIN
    case EWOULDBLOCK: return WSAEWOULDBLOCK;
#endif
    case EINPROGRESS: return WSAEWOULDBLOCK; // what Windows says of a connect under way
    case EALREADY: return WSAEALREADY;
    case EDESTADDRREQ: return WSAEDESTADDRREQ;
    case EMSGSIZE: return WSAEMSGSIZE;
    case EPROTOTYPE: return WSAEPROTOTYPE;
    case ENOPROTOOPT: return WSAENOPROTOOPT;
    case EPROTONOSUPPORT: return WSAEPROTONOSUPPORT;
    case ESOCKTNOSUPPORT: return WSAESOCKTNOSUPPORT;
    case EOPNOTSUPP: return WSAEOPNOTSUPP;
    case EAFNOSUPPORT: return WSAEAFNOSUPPORT;
    case EADDRINUSE: return WSAEADDRINUSE;
    case EADDRNOTAVAIL: return WSAEADDRNOTAVAIL;
    case ENETDOWN: return WSAENETDOWN;
    case ENETUNREACH: return WSAENETUNREACH;
    case ENETRESET: return WSAENETRESET;
    case ECONNABORTED: return WSAECONNABORTED;
    case ECONNRESET: return WSAECONNRESET;
    case EPIPE: return WSAECONNRESET; // the connection is gone; Windows names it so
    case ENOBUFS: return WSAENOBUFS;
    case ENOMEM: return WSAENOBUFS;
    case EISCONN: return WSAEISCONN;
    case ENOTCONN: return WSAENOTCONN;
    case ESHUTDOWN: return WSAESHUTDOWN;
    case ETIMEDOUT: return WSAETIMEDOUT;
    case ECONNREFUSED: return WSAECONNREFUSED;
    case EHOSTUNREACH: return WSAEHOSTUNREACH;
    case EHOSTDOWN: return WSAEHOSTUNREACH;
    default: return WSASYSCALLFAILURE;
    }
}

namespace {

int Failure() { return -WindowsError(errno); }

} // namespace

int OpenTcp()
{
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, IPPROTO_TCP);
    return fd < 0 ? Failure() : fd;
}

void Close(int fd)
{
    // A close interrupted by a signal has still released the descriptor on
    // Linux; retrying could close one reused meanwhile.
    if (fd >= 0)
        ::close(fd);
}

int SetNonBlocking(int fd, bool nonBlocking)
{
    const int flags = ::fcntl(fd, F_GETFL);
    if (flags < 0)
        return Failure();
    const int wanted = nonBlocking ? (flags | O_NONBLOCK) : (flags & ~O_NONBLOCK);
    if (wanted != flags && ::fcntl(fd, F_SETFL, wanted) < 0)
        return Failure();
    return 0;
}

int Connect(int fd, uint32_t address, uint16_t port)
{
    sockaddr_in to{};
    to.sin_family = AF_INET;
    to.sin_port = port;
    to.sin_addr.s_addr = address;
    if (::connect(fd, reinterpret_cast<const sockaddr*>(&to), sizeof to) == 0)
        return 0;
    if (errno != EINTR)
        return Failure();
    // An interrupted connect goes on in the background: wait for its end
    // and read its outcome, as a blocking caller expects one answer.
    pollfd p{fd, POLLOUT, 0};
    while (::poll(&p, 1, -1) < 0) {
        if (errno != EINTR)
            return Failure();
    }
    const int pending = TakePendingError(fd);
    return pending ? -pending : 0;
}

int Send(int fd, const char* data, int length)
{
    for (;;) {
        const ssize_t n = ::send(fd, data, static_cast<size_t>(length), MSG_NOSIGNAL);
        if (n >= 0)
            return static_cast<int>(n);
        if (errno != EINTR)
            return Failure();
    }
}

int Recv(int fd, char* data, int length)
{
    for (;;) {
        const ssize_t n = ::recv(fd, data, static_cast<size_t>(length), 0);
        if (n >= 0)
            return static_cast<int>(n);
        if (errno != EINTR)
            return Failure();
    }
}

int TakePendingError(int fd)
{
    int error = 0;
    socklen_t size = sizeof error;
    if (::getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &size) < 0)
        return WindowsError(errno);
    return WindowsError(error);
}

int Poll(std::vector<PollEntry>& entries, int64_t timeoutMicroseconds)
{
    std::vector<pollfd> fds(entries.size());
    for (size_t i = 0; i < entries.size(); ++i) {
        fds[i].fd = entries[i].fd;
        fds[i].events = static_cast<short>(((entries[i].wanted & kPollRead) ? POLLIN : 0) |
                                           ((entries[i].wanted & kPollWrite) ? POLLOUT : 0) |
                                           ((entries[i].wanted & kPollPriority) ? POLLPRI : 0));
        entries[i].ready = 0;
    }
    using Steady = std::chrono::steady_clock;
    const Steady::time_point deadline = Steady::now() + std::chrono::microseconds(std::max<int64_t>(0, timeoutMicroseconds));
    for (;;) {
        timespec wait{};
        timespec* waitPointer = nullptr;
        if (timeoutMicroseconds >= 0) {
            const int64_t left = std::max<int64_t>(
                0, std::chrono::duration_cast<std::chrono::nanoseconds>(deadline - Steady::now()).count());
            wait.tv_sec = static_cast<time_t>(left / 1000000000);
            wait.tv_nsec = static_cast<long>(left % 1000000000);
            waitPointer = &wait;
        }
        const int n = ::ppoll(fds.data(), fds.size(), waitPointer, nullptr);
        if (n >= 0)
            break;
        if (errno != EINTR)
            return Failure();
    }
    int count = 0;
    for (size_t i = 0; i < entries.size(); ++i) {
        const short r = fds[i].revents;
        unsigned ready = 0;
        if (r & POLLIN)
            ready |= kPollRead;
        if (r & POLLOUT)
            ready |= kPollWrite;
        if (r & POLLPRI)
            ready |= kPollPriority;
        if (r & POLLHUP)
            ready |= kPollHangup;
        if (r & (POLLERR | POLLNVAL))
            ready |= kPollError;
        entries[i].ready = ready;
        if (ready)
            ++count;
    }
    return count;
}

int Resolve(const char* name, std::string* canonicalName, std::vector<uint32_t>* addresses)
{
    addrinfo hints{};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_flags = AI_CANONNAME;
    addrinfo* list = nullptr;
    const int rc = ::getaddrinfo(name, nullptr, &hints, &list);
    if (rc != 0) {
        switch (rc) {
        case EAI_AGAIN: return -WSATRY_AGAIN;
        case EAI_FAIL: return -WSANO_RECOVERY;
#ifdef EAI_NODATA
        case EAI_NODATA: return -WSANO_DATA;
#endif
#ifdef EAI_ADDRFAMILY
        case EAI_ADDRFAMILY: return -WSANO_DATA;
#endif
        case EAI_NONAME: return -WSAHOST_NOT_FOUND;
        case EAI_MEMORY: return -WSAENOBUFS;
        default: return -WSANO_RECOVERY;
        }
    }
    canonicalName->assign(list->ai_canonname ? list->ai_canonname : name);
    addresses->clear();
    for (const addrinfo* a = list; a; a = a->ai_next) {
        if (a->ai_family != AF_INET || !a->ai_addr || a->ai_addrlen < sizeof(sockaddr_in))
            continue;
        const uint32_t address = reinterpret_cast<const sockaddr_in*>(a->ai_addr)->sin_addr.s_addr;
        bool seen = false;
        for (uint32_t known : *addresses)
            seen = seen || known == address;
        if (!seen)
            addresses->push_back(address);
    }
    ::freeaddrinfo(list);
    return addresses->empty() ? -WSANO_DATA : 0;
}

} // namespace platform::posix_socket
