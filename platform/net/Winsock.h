// Windows-sockets-shaped TCP client sockets over POSIX. The program's network
// code (the HTTP transfer thread, the start screen's version and news fetch)
// is written against these calls; error numbers keep their Windows values,
// since transfer results travel through demo streams and code branches on
// WSAEWOULDBLOCK.
//
// What differs from POSIX, on purpose:
//  - WSAStartup must come before any other call (WSANOTINITIALISED
//    otherwise); WSACleanup undoes one WSAStartup.
//  - A socket is a handle from our own table, never a raw descriptor, so a
//    closed or stale handle gives WSAENOTSOCK instead of touching a
//    descriptor that was reused meanwhile.
//  - send never raises SIGPIPE; a broken connection is an error code.
//  - A non-blocking connect in progress reports WSAEWOULDBLOCK. select()
//    then reports the outcome as Windows does: a completed connect makes the
//    socket writable; a failed one (the socket's pending error, read once the
//    descriptor wakes up) puts it in the error set and not in the write set.
//  - fd_set is the Windows one: a count and a list of up to kFdSetSize
//    sockets, rewritten by select to the ready ones. The C library's FD_*
//    macros would clash with these, so the helpers are functions: FdZero,
//    FdSet, FdClr, FdIsSet.
//
// Include this header instead of, never together with, the system's socket
// headers: several names here are macros there.
//
// Failure injection (platform::testing::FailNext) under the call's own name:
// "WSAStartup", "socket", "ioctlsocket", "connect", "send", "recv", "select",
// "gethostbyname". The code given is the Windows error the call reports
// (0 picks a plain one for that call). A failed connect, send or recv leaves
// the socket untouched.
//
// Threads: every call may come from any thread. One lock guards the handle
// table; it is never held while a call waits. The last error is per thread.
#pragma once

#include "platform/core/Types.h"
#include "platform/net/WinsockErrors.h"

#include <cstdint>

namespace platform {

using SOCKET = uintptr_t;
using u_short = uint16_t;
using u_long = uint32_t;

constexpr SOCKET INVALID_SOCKET = ~SOCKET{0};
constexpr int SOCKET_ERROR = -1;

// Address families, socket types and protocols.
constexpr int AF_INET = 2;
constexpr int SOCK_STREAM = 1;
constexpr int IPPROTO_TCP = 6;

// ioctlsocket commands.
constexpr long FIONBIO = static_cast<long>(0x8004667Eu);

constexpr u_long INADDR_NONE = 0xFFFFFFFFu;

// MAKEWORD(major, minor) of the version asked of WSAStartup.
constexpr WORD MakeSocketVersion(BYTE major, BYTE minor) { return static_cast<WORD>(major | (minor << 8)); }

struct WSADATA {
    WORD wVersion;
    WORD wHighVersion;
    char szDescription[257];
    char szSystemStatus[129];
    unsigned short iMaxSockets;
    unsigned short iMaxUdpDg;
    char* lpVendorInfo;
};

// An IPv4 address in network byte order.
struct in_addr {
    u_long s_addr;
};

struct sockaddr {
    u_short sa_family;
    char sa_data[14];
};

struct sockaddr_in {
    short sin_family;
    u_short sin_port; // network byte order
    in_addr sin_addr;
    char sin_zero[8];
};

// h_addr_list holds h_length-byte addresses in network byte order, ended by
// a null pointer. The entry belongs to the calling thread and stays valid
// until its next gethostbyname.
struct hostent {
    char* h_name;
    char** h_aliases;
    short h_addrtype;
    short h_length;
    char** h_addr_list;
};

struct timeval {
    long tv_sec;
    long tv_usec;
};

constexpr unsigned kFdSetSize = 64;

struct fd_set {
    unsigned fd_count;
    SOCKET fd_array[kFdSetSize];
};

void FdZero(fd_set* set);
// Adds the socket unless it is there already or the set is full.
void FdSet(SOCKET s, fd_set* set);
void FdClr(SOCKET s, fd_set* set);
bool FdIsSet(SOCKET s, const fd_set* set);

constexpr u_short htons(u_short v) { return static_cast<u_short>((v >> 8) | (v << 8)); }
constexpr u_short ntohs(u_short v) { return htons(v); }
constexpr u_long htonl(u_long v)
{
    return (v >> 24) | ((v >> 8) & 0xFF00u) | ((v << 8) & 0xFF0000u) | (v << 24);
}
constexpr u_long ntohl(u_long v) { return htonl(v); }

// Versions 1.0 to 2.2 are served (2.2 at most); below 1.0 gives
// WSAVERNOTSUPPORTED. Returns the error instead of setting it.
int WSAStartup(WORD versionRequested, WSADATA* data);
int WSACleanup();
int WSAGetLastError();
void WSASetLastError(int error);

SOCKET socket(int af, int type, int protocol);
int closesocket(SOCKET s);
// FIONBIO, the one command served: *argp != 0 makes the socket
// non-blocking, 0 blocking again.
int ioctlsocket(SOCKET s, long cmd, u_long* argp);
// AF_INET addresses only.
int connect(SOCKET s, const sockaddr* name, int nameLength);
// flags must be 0 (WSAEOPNOTSUPP otherwise).
int send(SOCKET s, const char* buffer, int length, int flags);
// 0 when the peer closed the connection. flags must be 0.
int recv(SOCKET s, char* buffer, int length, int flags);
// nfds is ignored. Returns the number of ready entries over the three sets
// (0 on timeout); a null timeout waits without end. The sets are rewritten
// to hold only their ready sockets. All three sets empty: WSAEINVAL.
int select(int nfds, fd_set* readSet, fd_set* writeSet, fd_set* errorSet, const timeval* timeout);

// A dotted IPv4 address in any of its classic forms (a.b.c.d, a.b.c, a.b,
// a; each part decimal, octal with a leading 0, or hexadecimal with 0x), in
// network byte order; INADDR_NONE when the text is not one.
u_long inet_addr(const char* text);
// IPv4 addresses of a host name or dotted address; null on failure, with
// WSAHOST_NOT_FOUND or WSANO_DATA as the last error.
hostent* gethostbyname(const char* name);

} // namespace platform
