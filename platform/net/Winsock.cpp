#include "platform/net/Winsock.h"

#include "platform/core/BlockedWait.h"
#include "platform/core/Testing.h"
#include "platform/net/PosixSocket.h"

#include <algorithm>
#include <array>
#include <chrono>
#include <cstring>
#include <map>
#include <mutex>
#include <string>
#include <vector>

namespace platform {

namespace {

namespace ps = posix_socket;

// Where a socket stands on its way to a connection. Windows reports the end
// of a non-blocking connect through select, so the layer follows it here.
enum class Phase { Fresh, Connecting, Connected, Failed };

struct SocketEntry {
    int fd = -1;
    Phase phase = Phase::Fresh;
};

struct NetState {
    std::mutex mutex;
    int startups = 0;                       // guarded by mutex
    std::map<SOCKET, SocketEntry> sockets;  // guarded by mutex
    SOCKET nextHandle = 0x100;              // guarded by mutex
};

// Never destroyed: a transfer object that lives until exit may still have a
// worker closing its socket while the statics are torn down.
NetState& State()
{
    static NetState* state = new NetState;
    return *state;
}

thread_local int tLastError = 0;

// Sets the last error and gives the value the call returns on failure.
int Fail(int error)
{
    tLastError = error;
    return SOCKET_ERROR;
}

bool Injected(const char* operation, int fallback, int* error)
{
    int64_t code = 0;
    if (!testing::ShouldFail(operation, &code))
        return false;
    *error = code ? static_cast<int>(code) : fallback;
    return true;
}

bool Started()
{
    NetState& s = State();
    std::lock_guard<std::mutex> lock(s.mutex);
    return s.startups > 0;
}

// Copies the entry out of the table; the lock is not held while a call on
// the descriptor waits. WSANOTINITIALISED or WSAENOTSOCK when it cannot.
int Lookup(SOCKET s, SocketEntry* entry)
{
    NetState& state = State();
    std::lock_guard<std::mutex> lock(state.mutex);
    if (state.startups <= 0)
        return WSANOTINITIALISED;
    auto it = state.sockets.find(s);
    if (it == state.sockets.end())
        return WSAENOTSOCK;
    *entry = it->second;
    return 0;
}

// Stores a new phase unless the socket was closed meanwhile (and its
// descriptor possibly reused by another handle).
void SetPhase(SOCKET s, int fd, Phase phase)
{
    NetState& state = State();
    std::lock_guard<std::mutex> lock(state.mutex);
    auto it = state.sockets.find(s);
    if (it != state.sockets.end() && it->second.fd == fd)
        it->second.phase = phase;
}

// The outcome of a connect under way, from what poll saw of the descriptor.
// The socket's pending error decides: writable alone is not success.
Phase SettleConnect(int fd, unsigned ready)
{
    if (!(ready & (ps::kPollWrite | ps::kPollHangup | ps::kPollError)))
        return Phase::Connecting;
    const int error = ps::TakePendingError(fd);
    if (error == 0 && (ready & ps::kPollWrite) && !(ready & ps::kPollError))
        return Phase::Connected;
    return Phase::Failed;
}

// Brings a connecting socket's phase up to date without waiting, so send and
// recv right after the connect ends need no select first.
Phase CurrentPhase(SOCKET s, const SocketEntry& entry)
{
    if (entry.phase != Phase::Connecting)
        return entry.phase;
    std::vector<ps::PollEntry> one{{entry.fd, ps::kPollWrite, 0}};
    if (ps::Poll(one, 0) < 0)
        return entry.phase;
    const Phase phase = SettleConnect(entry.fd, one[0].ready);
    if (phase != entry.phase)
        SetPhase(s, entry.fd, phase);
    return phase;
}

// Data moves only over a connection; anything else is WSAENOTCONN.
int ConnectedFd(SOCKET s, int* fd)
{
    SocketEntry entry;
    if (int error = Lookup(s, &entry))
        return error;
    if (CurrentPhase(s, entry) != Phase::Connected)
        return WSAENOTCONN;
    *fd = entry.fd;
    return 0;
}

bool ValidSet(const fd_set* set) { return !set || set->fd_count <= kFdSetSize; }

void KeepReady(fd_set* set, const std::map<SOCKET, unsigned>& ready, unsigned flag, int* count)
{
    if (!set)
        return;
    unsigned kept = 0;
    for (unsigned i = 0; i < set->fd_count; ++i) {
        auto it = ready.find(set->fd_array[i]);
        if (it != ready.end() && (it->second & flag))
            set->fd_array[kept++] = set->fd_array[i];
    }
    set->fd_count = kept;
    *count += static_cast<int>(kept);
}

// What select is asked of each socket, in flags of our own.
constexpr unsigned kAskRead = 1, kAskWrite = 2, kAskError = 4;
using AskedFlags = std::map<SOCKET, unsigned>;

void CollectAsked(const fd_set* set, unsigned flag, AskedFlags& asked)
{
    for (unsigned i = 0; set && i < set->fd_count; ++i)
        asked[set->fd_array[i]] |= flag;
}

// One round of select's poll: the sockets to poll and their handles, in the
// same order. A failed connect is ready at once for an error asked for; a
// socket never connected has nothing to report and waits.
struct PollRound {
    std::vector<ps::PollEntry> polled;
    std::vector<SOCKET> handles;
};

PollRound BuildPollRound(const std::map<SOCKET, SocketEntry>& entries, const AskedFlags& asked, AskedFlags& ready)
{
    PollRound round;
    for (const auto& [handle, entry] : entries) {
        const unsigned want = asked.at(handle);
        if (entry.phase == Phase::Failed) {
            if (want & kAskError)
                ready[handle] |= kAskError;
        } else if (entry.phase == Phase::Connecting) {
            round.polled.push_back({entry.fd, ps::kPollWrite, 0});
            round.handles.push_back(handle);
        } else if (entry.phase == Phase::Connected) {
            round.polled.push_back({entry.fd,
                                    ((want & kAskRead) ? unsigned{ps::kPollRead} : 0u) |
                                        ((want & kAskWrite) ? unsigned{ps::kPollWrite} : 0u) |
                                        ((want & kAskError) ? unsigned{ps::kPollPriority} : 0u),
                                    0});
            round.handles.push_back(handle);
        }
    }
    return round;
}

// What the poll found: connects settled, and the sockets ready for what
// they were asked.
void ReadPollRound(const PollRound& round, std::map<SOCKET, SocketEntry>& entries, const AskedFlags& asked,
                   AskedFlags& ready)
{
    for (size_t i = 0; i < round.polled.size(); ++i) {
        const SOCKET handle = round.handles[i];
        SocketEntry& entry = entries[handle];
        const unsigned want = asked.at(handle);
        const unsigned r = round.polled[i].ready;
        if (entry.phase == Phase::Connecting) {
            const Phase phase = SettleConnect(entry.fd, r);
            if (phase != entry.phase) {
                entry.phase = phase;
                SetPhase(handle, entry.fd, phase);
            }
            if (phase == Phase::Failed) {
                if (want & kAskError)
                    ready[handle] |= kAskError;
                continue;
            }
        }
        if (entry.phase != Phase::Connected)
            continue;
        // End of stream, a reset and an error all make a socket readable:
        // the recv that follows reports which.
        if ((want & kAskRead) && (r & (ps::kPollRead | ps::kPollHangup | ps::kPollError)))
            ready[handle] |= kAskRead;
        if ((want & kAskWrite) && (r & (ps::kPollWrite | ps::kPollHangup | ps::kPollError)))
            ready[handle] |= kAskWrite;
        if ((want & kAskError) && (r & ps::kPollPriority))
            ready[handle] |= kAskError;
    }
}

// One part of a dotted address: decimal, octal after a leading 0, or
// hexadecimal after 0x. False for an empty or malformed part or one beyond
// 32 bits.
bool ParseAddressPart(const char*& p, uint64_t* value)
{
    int base = 10;
    if (p[0] == '0' && (p[1] == 'x' || p[1] == 'X')) {
        base = 16;
        p += 2;
    } else if (p[0] == '0') {
        base = 8;
    }
    const char* start = p;
    uint64_t v = 0;
    for (;; ++p) {
        int digit;
        const char c = *p;
        if (c >= '0' && c <= '9')
            digit = c - '0';
        else if (base == 16 && c >= 'a' && c <= 'f')
            digit = c - 'a' + 10;
        else if (base == 16 && c >= 'A' && c <= 'F')
            digit = c - 'A' + 10;
        else
            break;
        if (digit >= base)
            return false;
        v = v * static_cast<uint64_t>(base) + static_cast<uint64_t>(digit);
        if (v > 0xFFFFFFFFull)
            return false;
    }
    *value = v;
    return p != start;
}

struct HostEntryStorage {
    std::string name;
    std::vector<std::array<char, 4>> addresses;
    std::vector<char*> addressPointers;
    char* noAliases[1] = {nullptr};
    hostent entry{};
};

thread_local HostEntryStorage tHost;

} // namespace

void FdZero(fd_set* set)
{
    if (set)
        set->fd_count = 0;
}

void FdSet(SOCKET s, fd_set* set)
{
    if (!set || set->fd_count >= kFdSetSize || FdIsSet(s, set))
        return;
    set->fd_array[set->fd_count++] = s;
}

void FdClr(SOCKET s, fd_set* set)
{
    if (!set)
        return;
    const unsigned count = std::min(set->fd_count, kFdSetSize);
    unsigned kept = 0;
    for (unsigned i = 0; i < count; ++i) {
        if (set->fd_array[i] != s)
            set->fd_array[kept++] = set->fd_array[i];
    }
    set->fd_count = kept;
}

bool FdIsSet(SOCKET s, const fd_set* set)
{
    if (!set)
        return false;
    const unsigned count = std::min(set->fd_count, kFdSetSize);
    for (unsigned i = 0; i < count; ++i) {
        if (set->fd_array[i] == s)
            return true;
    }
    return false;
}

int WSAStartup(WORD versionRequested, WSADATA* data)
{
    int error = 0;
    if (Injected("WSAStartup", WSASYSNOTREADY, &error))
        return error;
    if (!data)
        return WSAEFAULT;
    const BYTE major = static_cast<BYTE>(versionRequested & 0xFF);
    const BYTE minor = static_cast<BYTE>(versionRequested >> 8);
    if (major < 1)
        return WSAVERNOTSUPPORTED;
    std::memset(data, 0, sizeof *data);
    // The version served is the one asked for, up to 2.2.
    data->wVersion = (major > 2 || (major == 2 && minor > 2)) ? MakeSocketVersion(2, 2) : versionRequested;
    data->wHighVersion = MakeSocketVersion(2, 2);
    std::strncpy(data->szDescription, "Pellucor sockets over POSIX", sizeof data->szDescription - 1);
    std::strncpy(data->szSystemStatus, "Running", sizeof data->szSystemStatus - 1);
    data->iMaxSockets = 0xFFFF;
    NetState& s = State();
    std::lock_guard<std::mutex> lock(s.mutex);
    ++s.startups;
    return 0;
}

int WSACleanup()
{
    std::vector<int> orphans;
    {
        NetState& s = State();
        std::lock_guard<std::mutex> lock(s.mutex);
        if (s.startups <= 0)
            return Fail(WSANOTINITIALISED);
        // The last cleanup closes what is still open, as on Windows.
        if (--s.startups == 0) {
            for (auto& [handle, entry] : s.sockets)
                orphans.push_back(entry.fd);
            s.sockets.clear();
        }
    }
    for (int fd : orphans)
        ps::Close(fd);
    return 0;
}

int WSAGetLastError() { return tLastError; }

void WSASetLastError(int error) { tLastError = error; }

SOCKET socket(int af, int type, int protocol)
{
    int error = 0;
    if (!Started())
        error = WSANOTINITIALISED;
    else if (Injected("socket", WSAEMFILE, &error))
        ;
    else if (af != AF_INET)
        error = WSAEAFNOSUPPORT;
    else if (type != SOCK_STREAM)
        error = WSAESOCKTNOSUPPORT;
    else if (protocol != 0 && protocol != IPPROTO_TCP)
        error = WSAEPROTONOSUPPORT;
    if (error) {
        tLastError = error;
        return INVALID_SOCKET;
    }
    const int fd = ps::OpenTcp();
    if (fd < 0) {
        tLastError = -fd;
        return INVALID_SOCKET;
    }
    NetState& s = State();
    std::lock_guard<std::mutex> lock(s.mutex);
    // Handles step by 4 like Windows ones and never repeat within a run.
    const SOCKET handle = s.nextHandle;
    s.nextHandle += 4;
    s.sockets[handle] = SocketEntry{fd, Phase::Fresh};
    return handle;
}

int closesocket(SOCKET s)
{
    int fd = -1;
    {
        NetState& state = State();
        std::lock_guard<std::mutex> lock(state.mutex);
        if (state.startups <= 0)
            return Fail(WSANOTINITIALISED);
        auto it = state.sockets.find(s);
        if (it == state.sockets.end())
            return Fail(WSAENOTSOCK);
        fd = it->second.fd;
        state.sockets.erase(it);
    }
    ps::Close(fd);
    return 0;
}

int ioctlsocket(SOCKET s, long cmd, u_long* argp)
{
    SocketEntry entry;
    if (int error = Lookup(s, &entry))
        return Fail(error);
    int error = 0;
    if (Injected("ioctlsocket", WSAENETDOWN, &error))
        return Fail(error);
    if (cmd != FIONBIO)
        return Fail(WSAEINVAL);
    if (!argp)
        return Fail(WSAEFAULT);
    if (int rc = ps::SetNonBlocking(entry.fd, *argp != 0); rc < 0)
        return Fail(-rc);
    return 0;
}

int connect(SOCKET s, const sockaddr* name, int nameLength)
{
    SocketEntry entry;
    if (int error = Lookup(s, &entry))
        return Fail(error);
    if (!name || nameLength < static_cast<int>(sizeof(sockaddr_in)))
        return Fail(WSAEFAULT);
    sockaddr_in to;
    std::memcpy(&to, name, sizeof to);
    if (to.sin_family != AF_INET)
        return Fail(WSAEAFNOSUPPORT);
    // Linux would take 0.0.0.0 or port 0 for the local host; Windows refuses
    // both, and so do we.
    if (to.sin_addr.s_addr == 0 || to.sin_port == 0)
        return Fail(WSAEADDRNOTAVAIL);
    switch (CurrentPhase(s, entry)) {
    case Phase::Connecting: return Fail(WSAEALREADY);
    case Phase::Connected: return Fail(WSAEISCONN);
    default: break;
    }
    int error = 0;
    if (Injected("connect", WSAECONNREFUSED, &error))
        return Fail(error);
    const int rc = ps::Connect(entry.fd, to.sin_addr.s_addr, to.sin_port);
    if (rc == 0) {
        SetPhase(s, entry.fd, Phase::Connected);
        return 0;
    }
    SetPhase(s, entry.fd, rc == -WSAEWOULDBLOCK ? Phase::Connecting : Phase::Failed);
    return Fail(-rc);
}

int send(SOCKET s, const char* buffer, int length, int flags)
{
    int fd = -1;
    if (int error = ConnectedFd(s, &fd))
        return Fail(error);
    if (flags != 0)
        return Fail(WSAEOPNOTSUPP);
    if (length < 0 || (!buffer && length > 0))
        return Fail(WSAEFAULT);
    int error = 0;
    if (Injected("send", WSAECONNRESET, &error))
        return Fail(error);
    if (length == 0)
        return 0;
    const int rc = ps::Send(fd, buffer, length);
    return rc < 0 ? Fail(-rc) : rc;
}

int recv(SOCKET s, char* buffer, int length, int flags)
{
    int fd = -1;
    if (int error = ConnectedFd(s, &fd))
        return Fail(error);
    if (flags != 0)
        return Fail(WSAEOPNOTSUPP);
    if (length < 0 || (!buffer && length > 0))
        return Fail(WSAEFAULT);
    int error = 0;
    if (Injected("recv", WSAECONNRESET, &error))
        return Fail(error);
    if (length == 0)
        return 0;
    const int rc = ps::Recv(fd, buffer, length);
    return rc < 0 ? Fail(-rc) : rc;
}

int select(int, fd_set* readSet, fd_set* writeSet, fd_set* errorSet, const timeval* timeout)
{
    if (!Started())
        return Fail(WSANOTINITIALISED);
    if (!ValidSet(readSet) || !ValidSet(writeSet) || !ValidSet(errorSet))
        return Fail(WSAEINVAL);
    const unsigned total = (readSet ? readSet->fd_count : 0) + (writeSet ? writeSet->fd_count : 0) +
                           (errorSet ? errorSet->fd_count : 0);
    if (total == 0)
        return Fail(WSAEINVAL);
    if (timeout && (timeout->tv_sec < 0 || timeout->tv_usec < 0))
        return Fail(WSAEINVAL);
    int error = 0;
    if (Injected("select", WSAENETDOWN, &error))
        return Fail(error);

    AskedFlags asked;
    CollectAsked(readSet, kAskRead, asked);
    CollectAsked(writeSet, kAskWrite, asked);
    CollectAsked(errorSet, kAskError, asked);
    std::map<SOCKET, SocketEntry> entries;
    for (const auto& [handle, flags] : asked) {
        SocketEntry entry;
        if (int lookupError = Lookup(handle, &entry))
            return Fail(lookupError);
        entries[handle] = entry;
    }

    const int64_t limit = timeout ? static_cast<int64_t>(timeout->tv_sec) * 1000000 + timeout->tv_usec : -1;
    using Steady = std::chrono::steady_clock;
    const Steady::time_point start = Steady::now();
    auto elapsed = [&] {
        return std::chrono::duration_cast<std::chrono::microseconds>(Steady::now() - start).count();
    };
    AskedFlags ready;
    BlockedWait blocked;
    for (;;) {
        ready.clear();
        PollRound round = BuildPollRound(entries, asked, ready);
        int64_t wait = -1;
        if (!ready.empty())
            wait = 0;
        else if (limit >= 0)
            wait = std::max<int64_t>(0, limit - elapsed());
        if (int rc = ps::Poll(round.polled, wait); rc < 0)
            return Fail(-rc);
        ReadPollRound(round, entries, asked, ready);
        if (!ready.empty())
            break;
        // A connect that ended in success wakes poll without anything asked
        // for being ready yet: wait again for the time left.
        if (limit >= 0 && elapsed() >= limit)
            break;
    }
    int count = 0;
    KeepReady(readSet, ready, kAskRead, &count);
    KeepReady(writeSet, ready, kAskWrite, &count);
    KeepReady(errorSet, ready, kAskError, &count);
    return count;
}

u_long inet_addr(const char* text)
{
    if (!text || !*text)
        return INADDR_NONE;
    uint64_t parts[4] = {};
    int count = 0;
    const char* p = text;
    for (;;) {
        if (count == 4 || !ParseAddressPart(p, &parts[count]))
            return INADDR_NONE;
        ++count;
        if (*p == '\0')
            break;
        if (*p != '.')
            return INADDR_NONE;
        ++p;
    }
    // The last part fills the bytes the earlier ones leave.
    for (int i = 0; i < count - 1; ++i) {
        if (parts[i] > 0xFF)
            return INADDR_NONE;
    }
    const int lastBits = 8 * (4 - (count - 1));
    if (lastBits < 32 && parts[count - 1] >> lastBits)
        return INADDR_NONE;
    uint32_t host = static_cast<uint32_t>(parts[count - 1]);
    for (int i = 0; i < count - 1; ++i)
        host |= static_cast<uint32_t>(parts[i]) << (24 - 8 * i);
    return htonl(host);
}

hostent* gethostbyname(const char* name)
{
    if (!Started()) {
        tLastError = WSANOTINITIALISED;
        return nullptr;
    }
    if (!name) {
        tLastError = WSAEFAULT;
        return nullptr;
    }
    int error = 0;
    if (Injected("gethostbyname", WSAHOST_NOT_FOUND, &error)) {
        tLastError = error;
        return nullptr;
    }
    std::string canonical;
    std::vector<uint32_t> addresses;
    const u_long literal = inet_addr(name);
    if (literal != INADDR_NONE || std::strcmp(name, "255.255.255.255") == 0) {
        canonical = name;
        addresses.push_back(literal);
    } else if (int rc = posix_socket::Resolve(name, &canonical, &addresses); rc < 0) {
        tLastError = -rc;
        return nullptr;
    }
    HostEntryStorage& h = tHost;
    h.name = canonical;
    h.addresses.clear();
    for (uint32_t address : addresses) {
        std::array<char, 4> bytes;
        std::memcpy(bytes.data(), &address, 4); // stays in network order
        h.addresses.push_back(bytes);
    }
    h.addressPointers.clear();
    for (auto& bytes : h.addresses)
        h.addressPointers.push_back(bytes.data());
    h.addressPointers.push_back(nullptr);
    h.entry.h_name = h.name.data();
    h.entry.h_aliases = h.noAliases;
    h.entry.h_addrtype = AF_INET;
    h.entry.h_length = 4;
    h.entry.h_addr_list = h.addressPointers.data();
    return &h.entry;
}

} // namespace platform
