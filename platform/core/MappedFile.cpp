#include "platform/core/MappedFile.h"

#include <algorithm>
#include <atomic>
#include <cctype>
#include <cerrno>
#include <cstring>
#include <strings.h>

#include <dirent.h>
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

namespace {

std::atomic<long long> gFailAtomicWriteAfter{-1};

FILETIME ToFileTime(const struct timespec& t)
{
    // 100 ns intervals between 1601-01-01 and 1970-01-01.
    constexpr uint64_t kEpochDifference = 116444736000000000ull;
    uint64_t ticks = kEpochDifference;
    if (t.tv_sec > 0)
        ticks += static_cast<uint64_t>(t.tv_sec) * 10000000ull + static_cast<uint64_t>(t.tv_nsec) / 100u;
    return FILETIME{static_cast<DWORD>(ticks & 0xFFFFFFFFu), static_cast<DWORD>(ticks >> 32)};
}

bool Exists(const std::string& path)
{
    struct stat st;
    return ::lstat(path.c_str(), &st) == 0;
}

// The entry of `dir` whose name equals `name` without regard to case, or ""
std::string FindNoCase(const std::string& dir, const std::string& name)
{
    DIR* d = ::opendir(dir.empty() ? "." : dir.c_str());
    if (!d)
        return {};
    std::string found;
    while (struct dirent* e = ::readdir(d)) {
        if (::strcasecmp(e->d_name, name.c_str()) == 0) {
            found = e->d_name;
            break;
        }
    }
    ::closedir(d);
    return found;
}

bool GlobMatch(const char* pattern, const char* text)
{
    // Iterative match with one back-track point per "*".
    const char* starP = nullptr;
    const char* starT = nullptr;
    while (*text) {
        unsigned char p = static_cast<unsigned char>(*pattern);
        unsigned char t = static_cast<unsigned char>(*text);
        if (p == '*') {
            starP = pattern++;
            starT = text;
        } else if (p && (p == '?' || std::tolower(p) == std::tolower(t))) {
            ++pattern;
            ++text;
        } else if (starP) {
            pattern = starP + 1;
            text = ++starT;
        } else {
            return false;
        }
    }
    while (*pattern == '*')
        ++pattern;
    // Windows lets "name.*" match a name without an extension.
    if (pattern[0] == '.' && pattern[1] == '*' && pattern[2] == 0)
        return true;
    return *pattern == 0;
}

std::string Slashes(std::string path)
{
    std::replace(path.begin(), path.end(), '\\', '/');
    return path;
}

} // namespace

std::unique_ptr<MappedFile> MappedFile::Open(const std::string& path, std::string* error)
{
    auto fail = [&](const char* what) {
        if (error)
            *error = path + ": " + what + " (" + std::strerror(errno) + ")";
        return nullptr;
    };
    std::string native = ResolveFilePath(path);
    int fd = ::open(native.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return fail("cannot open the file");
    struct stat st;
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        errno = EISDIR;
        return fail("not a regular file");
    }
    std::unique_ptr<MappedFile> file(new MappedFile);
    file->size_ = static_cast<uint64_t>(st.st_size);
    file->lastWrite_ = ToFileTime(st.st_mtim);
    if (file->size_ > 0) {
        void* view = ::mmap(nullptr, file->size_, PROT_READ, MAP_PRIVATE, fd, 0);
        if (view == MAP_FAILED) {
            ::close(fd);
            return fail("cannot map the file");
        }
        file->data_ = static_cast<const uint8_t*>(view);
    }
    ::close(fd); // the mapping keeps the file alive
    return file;
}

MappedFile::~MappedFile()
{
    if (data_)
        ::munmap(const_cast<uint8_t*>(data_), size_);
}

std::string ResolveFilePath(const std::string& path)
{
    std::string p = Slashes(path);
    if (p.empty() || Exists(p))
        return p;
    std::string out;
    size_t pos = 0;
    if (p[0] == '/') {
        out = "/";
        pos = 1;
    }
    while (pos <= p.size()) {
        size_t next = p.find('/', pos);
        bool last = next == std::string::npos;
        std::string part = p.substr(pos, last ? std::string::npos : next - pos);
        if (!part.empty()) {
            std::string candidate = out + part;
            if (!Exists(candidate) && part != "." && part != "..") {
                std::string match = FindNoCase(out.empty() ? "." : out, part);
                if (!match.empty())
                    candidate = out + match;
            }
            out = candidate;
            if (!last)
                out += '/';
        }
        if (last)
            break;
        pos = next + 1;
    }
    return out;
}

FILE* OpenFileShared(const std::string& path, const char* mode)
{
    if (!mode)
        return nullptr;
    std::string native = ResolveFilePath(path);
    if (native.empty())
        return nullptr;
    // Windows modes may carry "t"; stdio here knows no text mode.
    std::string m;
    for (const char* c = mode; *c; ++c)
        if (*c != 't' && *c != 'T')
            m += *c;
    return std::fopen(native.c_str(), m.c_str());
}

bool FindMatchingFiles(const std::string& pattern, std::vector<FoundFile>* out)
{
    out->clear();
    std::string p = Slashes(pattern);
    size_t slash = p.rfind('/');
    std::string dir = slash == std::string::npos ? std::string() : p.substr(0, slash + 1);
    std::string glob = slash == std::string::npos ? p : p.substr(slash + 1);
    std::string nativeDir = dir.empty() ? std::string(".") : ResolveFilePath(dir);
    if (glob.empty())
        return false;
    DIR* d = ::opendir(nativeDir.c_str());
    if (!d)
        return false;
    while (struct dirent* e = ::readdir(d)) {
        if (!GlobMatch(glob.c_str(), e->d_name))
            continue;
        FoundFile f;
        f.name = e->d_name;
        struct stat st;
        std::string full = nativeDir + (nativeDir.back() == '/' ? "" : "/") + f.name;
        if (::stat(full.c_str(), &st) == 0) {
            f.size = static_cast<uint64_t>(st.st_size);
            f.lastWrite = ToFileTime(st.st_mtim);
            f.directory = S_ISDIR(st.st_mode);
        }
        out->push_back(std::move(f));
    }
    ::closedir(d);
    std::sort(out->begin(), out->end(), [](const FoundFile& a, const FoundFile& b) { return a.name < b.name; });
    return !out->empty();
}

bool WriteFileAtomically(const std::string& path, const void* data, size_t size, std::string* error)
{
    std::string target = ResolveFilePath(path);
    auto fail = [&](const std::string& what, int err) {
        if (error)
            *error = path + ": " + what + " (" + std::strerror(err) + ")";
        return false;
    };
    if (target.empty())
        return fail("no file name", EINVAL);
    std::string temp = target + ".tmpXXXXXX";
    std::vector<char> name(temp.begin(), temp.end());
    name.push_back(0);
    int fd = ::mkstemp(name.data());
    if (fd < 0)
        return fail("cannot create a temporary file", errno);
    // Keep the permissions a plain create would give.
    mode_t mask = ::umask(0);
    ::umask(mask);
    struct stat st;
    ::fchmod(fd, ::stat(target.c_str(), &st) == 0 ? (st.st_mode & 07777) : (0666 & ~mask));

    long long failAfter = gFailAtomicWriteAfter.exchange(-1);
    const char* bytes = static_cast<const char*>(data);
    size_t done = 0;
    int err = 0;
    while (done < size) {
        size_t chunk = size - done;
        if (failAfter >= 0) {
            if (done >= static_cast<size_t>(failAfter)) {
                err = ENOSPC;
                break;
            }
            chunk = std::min(chunk, static_cast<size_t>(failAfter) - done);
        }
        ssize_t n = ::write(fd, bytes + done, chunk);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            err = n < 0 ? errno : ENOSPC;
            break;
        }
        done += static_cast<size_t>(n);
    }
    if (err == 0 && failAfter >= 0 && static_cast<size_t>(failAfter) < size)
        err = ENOSPC;
    if (err == 0 && ::fsync(fd) != 0)
        err = errno;
    if (::close(fd) != 0 && err == 0)
        err = errno;
    if (err != 0) {
        ::unlink(name.data());
        return fail("cannot write the file", err);
    }
    if (::rename(name.data(), target.c_str()) != 0) {
        err = errno;
        ::unlink(name.data());
        return fail("cannot replace the file", err);
    }
    return true;
}

bool RemoveFileAtPath(const std::string& path)
{
    std::string native = ResolveFilePath(path);
    struct stat st;
    if (native.empty() || ::lstat(native.c_str(), &st) != 0 || S_ISDIR(st.st_mode))
        return false;
    return ::unlink(native.c_str()) == 0;
}

std::string WorkingDirectory()
{
    std::vector<char> buffer(4096);
    if (!::getcwd(buffer.data(), buffer.size()))
        return {};
    return buffer.data();
}

namespace testing {
void FailNextAtomicWriteAfter(size_t bytes)
{
    gFailAtomicWriteAfter = static_cast<long long>(bytes);
}
} // namespace testing

} // namespace platform
