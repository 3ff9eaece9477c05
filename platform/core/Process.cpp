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

#include <atomic>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>

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
// made. It is named after the folder itself (device and inode), so that
// copies that reach it by different paths agree, and after the lock's name;
// a folder that cannot be looked at is known by its path alone. The first
// copy listens on it for the knocks of later ones.
void ClaimAddress(const std::string& folder, const std::string& name, sockaddr_un* address, socklen_t* length)
{
    uint64_t nameHash = 14695981039346656037ull; // FNV-1a: short and fixed
    for (unsigned char c : name)
        nameHash = (nameHash ^ c) * 1099511628211ull;
    char text[96];
    int n = 0;
    struct stat st;
    if (stat(folder.c_str(), &st) == 0) {
        n = std::snprintf(text, sizeof text, "pellucor-instance-%llx-%llx-%016llx",
                          static_cast<unsigned long long>(st.st_dev), static_cast<unsigned long long>(st.st_ino),
                          static_cast<unsigned long long>(nameHash));
    } else {
        uint64_t pathHash = 14695981039346656037ull;
        for (unsigned char c : folder)
            pathHash = (pathHash ^ c) * 1099511628211ull;
        n = std::snprintf(text, sizeof text, "pellucor-instance-path-%016llx-%016llx",
                          static_cast<unsigned long long>(pathHash), static_cast<unsigned long long>(nameHash));
    }
    *address = sockaddr_un{};
    address->sun_family = AF_UNIX;
    address->sun_path[0] = '\0'; // abstract: no file, gone when the process ends
    std::memcpy(address->sun_path + 1, text, static_cast<size_t>(n));
    *length = static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + 1 + static_cast<size_t>(n));
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
    if (answerFd_ >= 0)
        close(answerFd_);
}

std::string SingleInstance::LockFilePath() const { return Folder() + "/" + SafeFileName(name_) + ".lock"; }

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
    // The claim on the system's name comes first: it holds whatever the
    // folder allows.
    int claimError = 0;
    int claim = socket(AF_UNIX, SOCK_DGRAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    int64_t injected = 0;
    if (claim < 0) {
        claimError = errno;
    } else {
        socklen_t length = 0;
        sockaddr_un address{};
        ClaimAddress(Folder(), SafeFileName(name_), &address, &length);
        const bool refused = testing::ShouldFail("SingleInstance.Claim", &injected);
        if (refused)
            errno = static_cast<int>(injected);
        if (refused || bind(claim, reinterpret_cast<sockaddr*>(&address), length) != 0) {
            claimError = errno;
            close(claim);
            claim = -1;
            if (claimError == EADDRINUSE)
                return false;
        }
    }
    // The lock file as well: it is seen by copies that do not share this
    // system's names (in a network namespace of their own).
    int fileError = 0;
    int fd = open(LockFilePath().c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK, 0600);
    const bool refused = fd >= 0 && testing::ShouldFail("SingleInstance.LockFile", &injected);
    if (refused)
        errno = static_cast<int>(injected);
    if (fd < 0) {
        fileError = errno;
    } else if (refused || flock(fd, LOCK_EX | LOCK_NB) != 0) {
        fileError = errno;
        close(fd);
        fd = -1;
        if (fileError == EWOULDBLOCK) {
            if (claim >= 0)
                close(claim);
            return false;
        }
    }
    if (claim < 0 && fd < 0) {
        // Neither kind of lock: the copy goes on, but cannot say that it is
        // the only one, and says so.
        doubt_ = "neither the system's lock (" + ErrorWords(claimError) + ") nor the lock file " + LockFilePath() +
                 " (" + ErrorWords(fileError) + ") could be taken";
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
    waiting_.clear();
}

bool SingleInstance::OpenAnswerSocket()
{
    if (answerFd_ >= 0)
        return true;
    answerFd_ = socket(AF_UNIX, SOCK_DGRAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (answerFd_ < 0)
        return false;
    // An address of the system's choosing, so that the first can answer.
    sockaddr_un own{};
    own.sun_family = AF_UNIX;
    if (testing::ShouldFail("SingleInstance.Knock") ||
        bind(answerFd_, reinterpret_cast<sockaddr*>(&own), sizeof(sa_family_t)) != 0) {
        close(answerFd_);
        answerFd_ = -1;
        return false;
    }
    return true;
}

bool SingleInstance::NotifyFirstInstance()
{
    if (!OpenAnswerSocket())
        return false;
    socklen_t length = 0;
    sockaddr_un address{};
    ClaimAddress(Folder(), SafeFileName(name_), &address, &length);
    const char message = kKnock;
    return sendto(answerFd_, &message, 1, MSG_DONTWAIT | MSG_NOSIGNAL, reinterpret_cast<sockaddr*>(&address),
                  length) == 1;
}

bool SingleInstance::AwaitAnswer(DWORD milliseconds)
{
    if (answerFd_ < 0)
        return false;
    const DWORD start = GetTickCount();
    for (;;) {
        char answer = 0;
        while (recv(answerFd_, &answer, 1, MSG_DONTWAIT) == 1) {
            if (answer == kInFront)
                return true;
        }
        if (GetTickCount() - start >= milliseconds)
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

int SingleInstance::TakeNotifications()
{
    if (listenFd_ < 0)
        return 0;
    int count = 0;
    char buffer[16];
    sockaddr_un sender{};
    socklen_t length = sizeof sender;
    while (recvfrom(listenFd_, buffer, sizeof buffer, MSG_DONTWAIT, reinterpret_cast<sockaddr*>(&sender), &length) >=
           0) {
        ++count;
        // A copy that waits for the answer (a nameless sender cannot).
        if (length > offsetof(sockaddr_un, sun_path) && waiting_.size() < kMaxWaiting)
            waiting_.emplace_back(reinterpret_cast<const char*>(&sender), length);
        length = sizeof sender;
    }
    return count;
}

void SingleInstance::AnswerNotifications()
{
    if (listenFd_ < 0)
        return;
    const char answer = kInFront;
    for (const std::string& address : waiting_)
        sendto(listenFd_, &answer, 1, MSG_DONTWAIT | MSG_NOSIGNAL, reinterpret_cast<const sockaddr*>(address.data()),
               static_cast<socklen_t>(address.size()));
    waiting_.clear();
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
