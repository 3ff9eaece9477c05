#include "platform/core/Process.h"

#include <fcntl.h>
#include <pwd.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
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

// The abstract socket the first instance listens on, derived from the lock
// file so that both always agree.
sockaddr_un NotifyAddress(const std::string& lockPath, socklen_t* length)
{
    uint64_t hash = 1469598103934665603ull; // FNV-1a
    for (unsigned char c : lockPath) {
        hash ^= c;
        hash *= 1099511628211ull;
    }
    char name[64];
    int n = std::snprintf(name, sizeof name, "pellucor-instance-%016llx", static_cast<unsigned long long>(hash));
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    address.sun_path[0] = '\0'; // abstract: no file, gone when the process ends
    std::memcpy(address.sun_path + 1, name, static_cast<size_t>(n));
    *length = static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + 1 + static_cast<size_t>(n));
    return address;
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

SingleInstance::SingleInstance(std::string productName) : product_(std::move(productName)) {}

SingleInstance::~SingleInstance() { Release(); }

std::string SingleInstance::LockFilePath() const
{
    std::optional<std::string> runtime = GetEnvironmentVariable("XDG_RUNTIME_DIR");
    struct stat st;
    if (IsAbsolute(runtime) && stat(runtime->c_str(), &st) == 0 && S_ISDIR(st.st_mode))
        return *runtime + "/" + SafeFileName(product_) + ".lock";
    return "/tmp/pellucor-" + std::to_string(getuid()) + "-" + SafeFileName(product_) + ".lock";
}

bool SingleInstance::Acquire()
{
    if (IsFirst())
        return true;
    std::string path = LockFilePath();
    int fd = open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (fd < 0) {
        unlocked_ = true;
        return true;
    }
    if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
        int err = errno;
        close(fd);
        if (err == EWOULDBLOCK)
            return false;
        unlocked_ = true;
        return true;
    }
    lockFd_ = fd;
    socklen_t length = 0;
    sockaddr_un address = NotifyAddress(path, &length);
    listenFd_ = socket(AF_UNIX, SOCK_DGRAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (listenFd_ >= 0 && bind(listenFd_, reinterpret_cast<sockaddr*>(&address), length) != 0) {
        close(listenFd_);
        listenFd_ = -1; // still the first instance, just deaf
    }
    return true;
}

void SingleInstance::Release()
{
    if (listenFd_ >= 0)
        close(listenFd_);
    if (lockFd_ >= 0)
        close(lockFd_); // drops the lock; the file stays, so no race on its creation
    listenFd_ = -1;
    lockFd_ = -1;
    unlocked_ = false;
}

bool SingleInstance::NotifyFirstInstance()
{
    socklen_t length = 0;
    sockaddr_un address = NotifyAddress(LockFilePath(), &length);
    int fd = socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return false;
    const char message = 'N';
    bool sent = sendto(fd, &message, 1, MSG_DONTWAIT | MSG_NOSIGNAL, reinterpret_cast<sockaddr*>(&address), length) == 1;
    close(fd);
    return sent;
}

int SingleInstance::TakeNotifications()
{
    if (listenFd_ < 0)
        return 0;
    int count = 0;
    char buffer[16];
    while (recv(listenFd_, buffer, sizeof buffer, MSG_DONTWAIT) >= 0)
        ++count;
    return count;
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
