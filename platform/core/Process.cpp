#include "platform/core/Process.h"

#include "platform/core/Clock.h"
#include "platform/core/DescendantProcesses.h"
#include "platform/core/Testing.h"

#include <fcntl.h>
#include <pwd.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <string>

namespace platform {

namespace {

std::mutex gArgumentsMutex;
std::vector<std::string> gArguments; // guarded by gArgumentsMutex (written once, at start)
std::atomic<int> gExitInterceptions{0};
std::atomic<testing::ProcessEndWatcher> gEndWatcher{nullptr};
// The lock and the knock socket of this process's first instance, for an
// abrupt end (-1: none).
std::atomic<int> gHeldLock{-1};
std::atomic<int> gHeldListener{-1};

// What a later copy sends, and what the first answers once its window is in
// front.
constexpr char kKnock = 'N';
constexpr char kInFront = 'F';
constexpr DWORD kHandOverStep = 20;
constexpr size_t kMaxWaiting = 16;
// New connections taken in at one poll: a flood of them does not hold the
// loop.
constexpr int kMaxCallersPerPoll = 64;
// What the processes a program started get to end in their own way when it
// ends abruptly.
constexpr int kDescendantGraceMs = 150;

bool IsAbsolute(const std::optional<std::string>& path) { return path && !path->empty() && (*path)[0] == '/'; }

std::string HomeFolder()
{
    std::optional<std::string> home = GetEnvironmentVariable("HOME");
    if (IsAbsolute(home))
        return *home;
    std::vector<char> buffer(16384);
    passwd entry;
    passwd* result = nullptr;
    if (getpwuid_r(getuid(), &entry, buffer.data(), buffer.size(), &result) == 0 && result && result->pw_dir)
        return result->pw_dir;
    return "/tmp";
}

// Product names become file names: keep letters, digits, '-' and '.', the
// rest turns into '_'.
std::string SafeFileName(const std::string& name)
{
    std::string safe = name.empty() ? std::string("product") : name;
    for (char& c : safe) {
        bool keep = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' || c == '.';
        if (!keep)
            c = '_';
    }
    if (safe[0] == '.')
        safe[0] = '_';
    return safe;
}

// What a copy claims to be the first over a data folder: an abstract socket
// name, which only one socket of the system can hold at a time, and which
// needs no file, so the rule holds in a folder where no lock file can be
// made. It is named after the user, the folder itself (device and inode), so
// that copies that reach it by different paths agree, and after the lock's
// name; a folder that cannot be looked at is known by its path alone. The
// first copy listens on it for the knocks of later ones.
std::string ClaimText(const std::string& folder, const std::string& name)
{
    uint64_t nameHash = 14695981039346656037ull; // FNV-1a: short and fixed
    for (unsigned char c : name)
        nameHash = (nameHash ^ c) * 1099511628211ull;
    const unsigned long user = static_cast<unsigned long>(geteuid());
    char text[sizeof(sockaddr_un::sun_path) - 1];
    struct stat st;
    if (stat(folder.c_str(), &st) == 0) {
        std::snprintf(text, sizeof text, "pellucor-instance-u%lu-%llx-%llx-%016llx", user,
                      static_cast<unsigned long long>(st.st_dev), static_cast<unsigned long long>(st.st_ino),
                      static_cast<unsigned long long>(nameHash));
    } else {
        uint64_t pathHash = 14695981039346656037ull;
        for (unsigned char c : folder)
            pathHash = (pathHash ^ c) * 1099511628211ull;
        std::snprintf(text, sizeof text, "pellucor-instance-u%lu-path-%016llx-%016llx", user,
                      static_cast<unsigned long long>(pathHash), static_cast<unsigned long long>(nameHash));
    }
    return text;
}

void ClaimAddress(const std::string& folder, const std::string& name, sockaddr_un* address, socklen_t* length)
{
    const std::string text = ClaimText(folder, name);
    *address = sockaddr_un{};
    address->sun_family = AF_UNIX;
    address->sun_path[0] = '\0'; // abstract: no file, gone when the process ends
    std::memcpy(address->sun_path + 1, text.data(), text.size());
    *length = static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + 1 + text.size());
}

// The user at the other end of a connection on the claim, as the system
// recorded it when the connection (or the listening) was made: what the
// peer says of itself plays no part. `hook` lets a test make it another
// user. An end the system will not tell of counts as another user's.
uid_t PeerUser(int connection, std::string_view hook)
{
    ucred credentials{};
    socklen_t length = sizeof credentials;
    uid_t user = static_cast<uid_t>(-1);
    if (getsockopt(connection, SOL_SOCKET, SO_PEERCRED, &credentials, &length) == 0 && length == sizeof credentials)
        user = credentials.uid;
    int64_t injected = 0;
    if (testing::ShouldFail(hook, &injected))
        user = static_cast<uid_t>(injected);
    return user;
}

// "another user, nobody (uid 65534)", or without the name where the
// system has none for it.
std::string AnotherUserWords(uid_t user)
{
    std::string words = "another user, ";
    std::vector<char> buffer(16384);
    passwd entry;
    passwd* result = nullptr;
    if (getpwuid_r(user, &entry, buffer.data(), buffer.size(), &result) == 0 && result && result->pw_name &&
        result->pw_name[0] != '\0')
        words += std::string(result->pw_name) + " ";
    return words + "(uid " + std::to_string(static_cast<unsigned long>(user)) + ")";
}

std::string ErrorWords(int error)
{
    char buffer[128];
    return strerror_r(error, buffer, sizeof buffer);
}

} // namespace

std::string GetProgramPath()
{
    std::vector<char> buffer(256);
    for (;;) {
        ssize_t n = readlink("/proc/self/exe", buffer.data(), buffer.size());
        if (n < 0)
            return std::string();
        if (static_cast<size_t>(n) < buffer.size())
            return std::string(buffer.data(), static_cast<size_t>(n));
        buffer.resize(buffer.size() * 2);
    }
}

std::string GetProgramFolder()
{
    std::string path = GetProgramPath();
    size_t slash = path.find_last_of('/');
    if (slash == std::string::npos)
        return std::string();
    return slash == 0 ? std::string("/") : path.substr(0, slash);
}

void SetCommandLineArguments(int argc, const char* const* argv)
{
    std::lock_guard<std::mutex> lock(gArgumentsMutex);
    gArguments.clear();
    for (int i = 0; i < argc && argv; ++i)
        gArguments.emplace_back(argv[i] ? argv[i] : "");
}

const std::vector<std::string>& GetArguments()
{
    std::lock_guard<std::mutex> lock(gArgumentsMutex);
    return gArguments;
}

std::string GetCommandLine()
{
    std::lock_guard<std::mutex> lock(gArgumentsMutex);
    std::string line;
    for (size_t i = 0; i < gArguments.size(); ++i) {
        const std::string& arg = gArguments[i];
        if (i > 0)
            line += ' ';
        if (!arg.empty() && arg.find_first_of(" \t\"") == std::string::npos) {
            line += arg;
            continue;
        }
        line += '"';
        size_t backslashes = 0;
        for (char c : arg) {
            if (c == '\\') {
                ++backslashes;
                continue;
            }
            if (c == '"')
                line.append(backslashes * 2 + 1, '\\');
            else
                line.append(backslashes, '\\');
            backslashes = 0;
            line += c;
        }
        line.append(backslashes * 2, '\\');
        line += '"';
    }
    return line;
}

std::string GetUserDataFolder()
{
    std::optional<std::string> xdg = GetEnvironmentVariable("XDG_DATA_HOME");
    return IsAbsolute(xdg) ? *xdg : HomeFolder() + "/.local/share";
}

std::string GetConfigFolder()
{
    std::optional<std::string> xdg = GetEnvironmentVariable("XDG_CONFIG_HOME");
    return IsAbsolute(xdg) ? *xdg : HomeFolder() + "/.config";
}

std::optional<std::string> GetEnvironmentVariable(std::string_view name)
{
    std::string key(name);
    if (key.empty() || key.find('=') != std::string::npos)
        return std::nullopt;
    const char* value = std::getenv(key.c_str());
    return value ? std::optional<std::string>(value) : std::nullopt;
}

bool SetEnvironmentVariable(std::string_view name, const std::optional<std::string>& value)
{
    std::string key(name);
    if (key.empty() || key.find('=') != std::string::npos)
        return false;
    return (value ? setenv(key.c_str(), value->c_str(), 1) : unsetenv(key.c_str())) == 0;
}

SingleInstance::SingleInstance(std::string folder, std::string name)
    : folder_(std::move(folder)), name_(std::move(name))
{
}

SingleInstance::~SingleInstance()
{
    Release();
    if (knockFd_ >= 0)
        close(knockFd_);
}

std::string SingleInstance::LockFilePath() const { return Folder() + "/" + SafeFileName(name_) + ".lock"; }

std::string SingleInstance::ClaimName() const { return "@" + ClaimText(Folder(), SafeFileName(name_)); }

std::string SingleInstance::Folder() const
{
    std::string folder = folder_;
    while (folder.size() > 1 && folder.back() == '/')
        folder.pop_back();
    return folder.empty() ? std::string(".") : folder;
}

bool SingleInstance::Acquire()
{
    if (IsFirst())
        return true;
    passedOver_.clear();
    // The lock file first: a later copy is refused by it before it could
    // meet the first's name bound but not yet listened on, which it would
    // pass over as a program that takes no knocks.
    int64_t injected = 0;
    int fileError = 0;
    int fd = open(LockFilePath().c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK, 0600);
    const bool fileRefused = fd >= 0 && testing::ShouldFail("SingleInstance.LockFile", &injected);
    if (fileRefused)
        errno = static_cast<int>(injected);
    if (fd < 0) {
        fileError = errno;
    } else if (fileRefused || flock(fd, LOCK_EX | LOCK_NB) != 0) {
        fileError = errno;
        close(fd);
        fd = -1;
        if (fileError == EWOULDBLOCK)
            return false;
    }
    // The system's name: it holds whatever the folder allows. Tried twice
    // at most, for a holder that lets go between the bind and the look at it.
    std::string claimWhy;
    int claim = -1;
    for (int attempt = 0; attempt < 2 && claim < 0; ++attempt) {
        int claimError = 0;
        claim = socket(AF_UNIX, SOCK_SEQPACKET | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
        if (claim < 0) {
            claimWhy = ErrorWords(errno);
            break;
        }
        socklen_t length = 0;
        sockaddr_un address{};
        ClaimAddress(Folder(), SafeFileName(name_), &address, &length);
        const bool refused = testing::ShouldFail("SingleInstance.Claim", &injected);
        if (refused)
            errno = static_cast<int>(injected);
        if (!refused && bind(claim, reinterpret_cast<sockaddr*>(&address), length) == 0 &&
            listen(claim, static_cast<int>(kMaxWaiting)) == 0)
            break;
        claimError = errno;
        close(claim);
        claim = -1;
        claimWhy = ErrorWords(claimError);
        if (claimError != EADDRINUSE)
            break;
        std::string who;
        const Holder holder = ReachFirst(&who);
        if (holder == Holder::ThisUser || holder == Holder::Unknown) {
            if (fd >= 0)
                close(fd);
            return false;
        }
        if (holder == Holder::NoListener && attempt == 0)
            continue;
        // Not a copy of this user's: its hold does not count.
        passedOver_ = HeldByWords(holder, who);
        claimWhy = "its name is " + passedOver_;
        break;
    }
    if (claim < 0 && fd < 0) {
        // Neither kind of lock: the copy goes on, but cannot say that it is
        // the only one, and says so.
        doubt_ = "neither the system's lock (" + claimWhy + ") nor the lock file " + LockFilePath() + " (" +
                 ErrorWords(fileError) + ") could be taken";
    }
    first_ = true;
    lockFd_ = fd;
    listenFd_ = claim;
    gHeldLock.store(lockFd_);
    gHeldListener.store(listenFd_);
    return true;
}

void SingleInstance::Release()
{
    // (A copy of the descriptor: a failed exchange writes into it.)
    int held = lockFd_;
    gHeldLock.compare_exchange_strong(held, -1);
    held = listenFd_;
    gHeldListener.compare_exchange_strong(held, -1);
    if (listenFd_ >= 0)
        close(listenFd_);
    if (lockFd_ >= 0)
        close(lockFd_); // drops the lock; the file stays, so no race on its creation
    listenFd_ = -1;
    lockFd_ = -1;
    first_ = false;
    doubt_.clear();
    CloseCallers();
}

SingleInstance::Holder SingleInstance::ReachFirst(std::string* who)
{
    // A connection made before stays the way to the first until it ends it.
    CollectAnswers();
    if (knockFd_ >= 0)
        return Holder::ThisUser;
    int connection = socket(AF_UNIX, SOCK_SEQPACKET | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    int64_t injected = 0;
    if (connection >= 0 && testing::ShouldFail("SingleInstance.Knock", &injected)) {
        close(connection);
        connection = -1;
        errno = static_cast<int>(injected);
    }
    if (connection < 0) {
        *who = ErrorWords(errno);
        return Holder::Unknown;
    }
    socklen_t length = 0;
    sockaddr_un address{};
    ClaimAddress(Folder(), SafeFileName(name_), &address, &length);
    if (connect(connection, reinterpret_cast<sockaddr*>(&address), length) != 0) {
        const int error = errno;
        close(connection);
        *who = ErrorWords(error);
        // A full queue is a first that is busy, or one that will not take
        // anyone in: either way nobody can say whose it is.
        return error == ECONNREFUSED ? Holder::NoListener : Holder::Unknown;
    }
    const uid_t holder = PeerUser(connection, "SingleInstance.HolderIsAnotherUser");
    if (holder != geteuid()) {
        close(connection);
        *who = AnotherUserWords(holder);
        return Holder::AnotherUser;
    }
    knockFd_ = connection;
    return Holder::ThisUser;
}

std::string SingleInstance::HeldByWords(Holder holder, const std::string& who)
{
    return holder == Holder::AnotherUser ? "held by " + who
                                         : "held by a program that takes no knocks on it (" + who + ")";
}

void SingleInstance::CollectAnswers()
{
    while (knockFd_ >= 0) {
        char answer[16];
        const ssize_t n = recv(knockFd_, answer, sizeof answer, MSG_DONTWAIT);
        if (n > 0) {
            if (std::memchr(answer, kInFront, static_cast<size_t>(n)))
                answered_ = true;
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK))
            return;
        // The first ended the connection: it answered, let go or has no
        // room for this copy.
        close(knockFd_);
        knockFd_ = -1;
    }
}

bool SingleInstance::NotifyFirstInstance()
{
    CollectAnswers();
    if (answered_)
        return true; // its window is in front already
    std::string who;
    const Holder holder = ReachFirst(&who);
    // What a knock that was not made met; a name that cannot be reached
    // now (the other program's queue filled by the knocks before) leaves
    // what the earlier ones found.
    if (holder == Holder::ThisUser)
        unreachable_.clear();
    else if (holder == Holder::AnotherUser || holder == Holder::NoListener)
        unreachable_ = HeldByWords(holder, who);
    if (holder != Holder::ThisUser)
        return false;
    const char message = kKnock;
    if (send(knockFd_, &message, 1, MSG_DONTWAIT | MSG_NOSIGNAL) == 1)
        return true;
    close(knockFd_);
    knockFd_ = -1;
    return false;
}

bool SingleInstance::AwaitAnswer(DWORD milliseconds)
{
    if (knockFd_ < 0 && !answered_)
        return false;
    const DWORD start = GetTickCount();
    for (;;) {
        CollectAnswers();
        if (answered_) {
            answered_ = false;
            return true;
        }
        if (knockFd_ < 0 || GetTickCount() - start >= milliseconds)
            return false;
        Sleep(kHandOverStep);
    }
}

SingleInstance::HandOver SingleInstance::HandOverToFirst(DWORD patience)
{
    const DWORD start = GetTickCount();
    bool knocked = false;
    for (;;) {
        // A copy that is ending lets go of the lock as it begins to, and
        // stops listening with it: this one takes its place.
        if (Acquire())
            return HandOver::Acquired;
        if (!knocked)
            knocked = NotifyFirstInstance();
        if (knocked && AwaitAnswer(0))
            return HandOver::BroughtToFront;
        if (GetTickCount() - start >= patience)
            return HandOver::NoAnswer;
        Sleep(kHandOverStep);
    }
}

namespace {
// Reads what a caller sent so far: the number of knocks in it. `open`
// turns false once the caller has ended its side.
int ReadKnocks(int caller, bool* open)
{
    int knocks = 0;
    for (;;) {
        char buffer[16];
        const ssize_t n = recv(caller, buffer, sizeof buffer, MSG_DONTWAIT);
        if (n > 0) {
            knocks += static_cast<int>(std::count(buffer, buffer + n, kKnock));
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        *open = n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK);
        return knocks;
    }
}
} // namespace

int SingleInstance::TakeNotifications()
{
    if (listenFd_ < 0)
        return 0;
    int count = 0;
    for (int taken = 0; taken < kMaxCallersPerPoll; ++taken) {
        const int caller = accept4(listenFd_, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
        if (caller < 0) {
            if (errno == EINTR || errno == ECONNABORTED)
                continue;
            break;
        }
        // Another user's knock is not heard: no window comes forward for
        // it, and it gets no answer.
        if (PeerUser(caller, "SingleInstance.KnockerIsAnotherUser") != geteuid()) {
            close(caller);
            continue;
        }
        if (callers_.size() < kMaxWaiting) {
            callers_.push_back(Caller{caller, false});
            continue;
        }
        // No room to answer it: its knock still brings the window forward.
        bool open = false;
        count += ReadKnocks(caller, &open);
        close(caller);
    }
    for (size_t i = 0; i < callers_.size();) {
        bool open = false;
        const int knocks = ReadKnocks(callers_[i].fd, &open);
        count += knocks;
        callers_[i].knocked = callers_[i].knocked || knocks > 0;
        if (open) {
            ++i;
            continue;
        }
        // Gone: nobody waits for an answer on it.
        close(callers_[i].fd);
        callers_.erase(callers_.begin() + static_cast<std::ptrdiff_t>(i));
    }
    return count;
}

void SingleInstance::AnswerNotifications()
{
    const char answer = kInFront;
    for (size_t i = 0; i < callers_.size();) {
        if (!callers_[i].knocked) {
            ++i;
            continue;
        }
        send(callers_[i].fd, &answer, 1, MSG_DONTWAIT | MSG_NOSIGNAL);
        close(callers_[i].fd);
        callers_.erase(callers_.begin() + static_cast<std::ptrdiff_t>(i));
    }
}

void SingleInstance::CloseCallers()
{
    for (const Caller& caller : callers_)
        close(caller.fd);
    callers_.clear();
}

void PrepareAbruptEnd()
{
    // Shared with a child that was forked but did not start another
    // program: letting go here lets go there too.
    const int lock = gHeldLock.exchange(-1);
    if (lock >= 0)
        flock(lock, LOCK_UN);
    const int listener = gHeldListener.exchange(-1);
    if (listener >= 0)
        close(listener);
    EndDescendantProcesses(kDescendantGraceMs);
}

void EndProcessAbruptly(UINT code)
{
    PrepareAbruptEnd();
    if (testing::ProcessEndWatcher watcher = gEndWatcher.load())
        watcher(code);
    _exit(static_cast<int>(code));
}

void ExitProcess(UINT code)
{
    // The program is one file: what the system would tear down at this call
    // (the libraries' detach) has no counterpart, and the program's own
    // static objects are not destroyed, exactly as there.
    TerminateProcess(code);
}

void TerminateProcess(UINT code)
{
    if (gExitInterceptions.load() > 0)
        throw testing::ProcessExit{code};
    if (testing::ProcessEndWatcher watcher = gEndWatcher.load())
        watcher(code);
    std::fflush(nullptr);
    std::_Exit(static_cast<int>(code));
}

namespace testing {
ScopedExitInterception::ScopedExitInterception() { ++gExitInterceptions; }
ScopedExitInterception::~ScopedExitInterception() { --gExitInterceptions; }
void WatchProcessEnd(ProcessEndWatcher watcher) { gEndWatcher = watcher; }
} // namespace testing

} // namespace platform
