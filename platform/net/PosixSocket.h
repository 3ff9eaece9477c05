// The POSIX side of the socket service, kept apart from Winsock.h because
// the system headers define many of the same names as macros. Descriptors
// are plain ints here; every failure comes back as a negative Windows error
// number (-WSAECONNREFUSED...), so the caller never sees errno.
//
// Threads: free functions without state; callable from any thread.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace platform::posix_socket {

int OpenTcp();
void Close(int fd);
int SetNonBlocking(int fd, bool nonBlocking);

// address and port in network byte order. 0 when connected, -WSAEWOULDBLOCK
// while a non-blocking connect goes on, otherwise the error.
int Connect(int fd, uint32_t address, uint16_t port);
// Bytes sent; a broken connection is an error, never a signal.
int Send(int fd, const char* data, int length);
// Bytes received, 0 at the end of the stream.
int Recv(int fd, char* data, int length);
// The socket's pending error (cleared by reading it), 0 when none.
int TakePendingError(int fd);

enum PollFlags : unsigned {
    kPollRead = 1,
    kPollWrite = 2,
    kPollPriority = 4,
    kPollHangup = 8,
    kPollError = 16,
};
struct PollEntry {
    int fd = -1;
    unsigned wanted = 0; // kPollRead, kPollWrite, kPollPriority
    unsigned ready = 0;  // any PollFlags
};
// Waits until one entry is ready or the time is up (negative: no limit).
// Returns the number of entries with something ready, or the error.
int Poll(std::vector<PollEntry>& entries, int64_t timeoutMicroseconds);

// IPv4 addresses (network byte order) of a name; 0 or the error
// (-WSAHOST_NOT_FOUND, -WSATRY_AGAIN, -WSANO_DATA...).
int Resolve(const char* name, std::string* canonicalName, std::vector<uint32_t>* addresses);

// errno to the Windows error number.
int WindowsError(int errnoValue);

} // namespace platform::posix_socket
