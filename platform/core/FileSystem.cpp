#include "platform/core/FileSystem.h"

#include "platform/core/ForkQuiet.h"
#include "platform/core/Testing.h"

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstring>

namespace platform {

namespace {

constexpr uint64_t kFileTimeOfUnixEpoch = 116444736000000000ull; // 1970-01-01 in 100 ns since 1601

char FoldCase(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

bool EqualsNoCase(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (FoldCase(a[i]) != FoldCase(b[i]))
            return false;
    return true;
}

bool LessNoCase(const std::string& a, const std::string& b)
{
    size_t n = std::min(a.size(), b.size());
    for (size_t i = 0; i < n; ++i) {
        char x = FoldCase(a[i]), y = FoldCase(b[i]);
        if (x != y)
            return static_cast<unsigned char>(x) < static_cast<unsigned char>(y);
    }
    if (a.size() != b.size())
        return a.size() < b.size();
    return a < b; // a stable order for names that differ only in case
}

bool IsDotOrDotDot(const char* name) { return std::strcmp(name, ".") == 0 || std::strcmp(name, "..") == 0; }

// Consumes an injected failure of `operation`, leaving its errno in errno.
bool Injected(std::string_view operation, int defaultErrno)
{
    int64_t code = 0;
    if (!testing::ShouldFail(operation, &code))
        return false;
    errno = code != 0 ? static_cast<int>(code) : defaultErrno;
    return true;
}

// The names in a folder (without "." and ".."); false when it cannot be read.
bool ReadFolderNames(const std::string& folder, std::vector<std::string>* names)
{
    DIR* dir = opendir(folder.empty() ? "." : folder.c_str());
    if (!dir)
        return false;
    while (dirent* entry = readdir(dir))
        if (!IsDotOrDotDot(entry->d_name))
            names->emplace_back(entry->d_name);
    closedir(dir);
    return true;
}

std::string JoinPath(const std::string& folder, std::string_view name)
{
    if (folder.empty())
        return std::string(name);
    if (folder.back() == '/')
        return folder + std::string(name);
    return folder + "/" + std::string(name);
}

// Splits a native path into its folder ("" for the current one) and last part.
std::pair<std::string, std::string> SplitLast(const std::string& path)
{
    size_t slash = path.find_last_of('/');
    if (slash == std::string::npos)
        return {std::string(), path};
    std::string folder = path.substr(0, slash);
    if (folder.empty())
        folder = "/";
    return {folder, path.substr(slash + 1)};
}

std::string StripTrailingSlashes(std::string path)
{
    while (path.size() > 1 && path.back() == '/')
        path.pop_back();
    return path;
}

FILETIME FromTimespec(const struct statx_timestamp& t) { return UnixTimeToFileTime(t.tv_sec, t.tv_nsec); }

bool StatTimes(const std::string& path, bool followLinks, struct statx* sx)
{
    int flags = followLinks ? 0 : AT_SYMLINK_NOFOLLOW;
    return statx(AT_FDCWD, path.c_str(), flags, STATX_BASIC_STATS | STATX_BTIME, sx) == 0;
}

FileTimes TimesOf(const struct statx& sx)
{
    FileTimes times;
    times.lastWrite = FromTimespec(sx.stx_mtime);
    times.lastAccess = FromTimespec(sx.stx_atime);
    times.creation = (sx.stx_mask & STATX_BTIME) ? FromTimespec(sx.stx_btime) : times.lastWrite;
    return times;
}

std::string ErrnoText(int error)
{
    // The words are read from the C library's message catalogue under its
    // locale lock: a process forked meanwhile (SDL's box) would wait for
    // that lock forever. Any thread may meet a failed file here.
    const ForkUnsafeWork words("ErrnoText");
    return std::strerror(error);
}

// A file its mode marks read-only for everyone (what even the superuser is
// held to here), or one the user may not write.
bool FileRefusesWrites(const std::string& path, const struct stat& st)
{
    if ((st.st_mode & 0222) == 0)
        return true;
    return access(path.c_str(), W_OK) != 0 && errno == EACCES;
}

} // namespace

const char* StepWords(FileStep step)
{
    switch (step) {
    case FileStep::None: return "use";
    case FileStep::Read: return "read";
    case FileStep::FindEnd: return "find the end of";
    case FileStep::Write: return "write";
    case FileStep::CreateTemporary: return "create a temporary file for";
    case FileStep::Flush: return "flush";
    case FileStep::Close: return "close";
    case FileStep::Replace: return "replace";
    case FileStep::Delete: return "delete";
    case FileStep::MakeFolder: return "make the folder";
    case FileStep::Move: return "move";
    case FileStep::FollowLink: return "follow the link";
    case FileStep::MakeLink: return "make the link";
    case FileStep::CopyTo: return "copy to";
    case FileStep::KeepCopyBeside: return "keep a copy beside";
    case FileStep::KeepCopyOf: return "keep a copy of";
    case FileStep::KeepBeside: return "the file beside the program is kept as";
    }
    return "use";
}

std::string FileError::Text() const
{
    return std::string("Cannot ") + StepWords(step) + " " + path + ": " + Reason();
}

std::string FileError::Reason() const
{
    return detail.empty() ? ErrnoText(code) : detail;
}

std::string NativePath(std::string_view path)
{
    std::string native(path);
    std::replace(native.begin(), native.end(), '\\', '/');
    return native;
}

std::string ResolvePath(std::string_view path)
{
    std::string native = NativePath(path);
    struct stat st;
    if (native.empty() || lstat(native.c_str(), &st) == 0)
        return native;

    std::string resolved = native[0] == '/' ? "/" : "";
    size_t pos = resolved.size();
    bool matching = true;
    while (pos <= native.size()) {
        size_t next = native.find('/', pos);
        if (next == std::string::npos)
            next = native.size();
        std::string part = native.substr(pos, next - pos);
        pos = next + 1;
        if (part.empty())
            continue; // doubled or trailing separator
        if (part == "." || part == "..") {
            resolved = JoinPath(resolved, part);
            continue;
        }
        std::string candidate = JoinPath(resolved, part);
        if (matching && lstat(candidate.c_str(), &st) != 0) {
            std::vector<std::string> names;
            std::string found;
            if (ReadFolderNames(resolved, &names)) {
                std::sort(names.begin(), names.end(), LessNoCase);
                for (const std::string& name : names)
                    if (EqualsNoCase(name, part)) {
                        found = name;
                        break;
                    }
            }
            if (found.empty())
                matching = false;
            else
                candidate = JoinPath(resolved, found);
        }
        resolved = candidate;
    }
    if (!native.empty() && native.back() == '/' && (resolved.empty() || resolved.back() != '/'))
        resolved += "/";
    return resolved;
}

bool WildcardMatch(std::string_view pattern, std::string_view name)
{
    // Iterative match with one back-tracking point for the last "*".
    auto match = [](std::string_view p, std::string_view n) {
        size_t pi = 0, ni = 0, starP = std::string_view::npos, starN = 0;
        while (ni < n.size()) {
            if (pi < p.size() && (p[pi] == '?' || FoldCase(p[pi]) == FoldCase(n[ni]))) {
                ++pi;
                ++ni;
            } else if (pi < p.size() && p[pi] == '*') {
                starP = pi++;
                starN = ni;
            } else if (starP != std::string_view::npos) {
                pi = starP + 1;
                ni = ++starN;
            } else {
                return false;
            }
        }
        while (pi < p.size() && p[pi] == '*')
            ++pi;
        return pi == p.size();
    };
    if (match(pattern, name))
        return true;
    // "name.*" also finds "name", and "*.*" everything.
    if (pattern.size() >= 2 && pattern.substr(pattern.size() - 2) == ".*")
        return match(pattern.substr(0, pattern.size() - 2), name);
    return false;
}

FILETIME UnixTimeToFileTime(int64_t seconds, uint32_t nanoseconds)
{
    int64_t ticks = seconds * 10000000 + nanoseconds / 100 + static_cast<int64_t>(kFileTimeOfUnixEpoch);
    uint64_t value = ticks < 0 ? 0 : static_cast<uint64_t>(ticks);
    return FILETIME{static_cast<DWORD>(value & 0xFFFFFFFFu), static_cast<DWORD>(value >> 32)};
}

uint64_t FileTimeToUint64(const FILETIME& time)
{
    return (uint64_t(time.dwHighDateTime) << 32) | time.dwLowDateTime;
}

int64_t FileTimeToUnixSeconds(const FILETIME& time)
{
    return (static_cast<int64_t>(FileTimeToUint64(time)) - static_cast<int64_t>(kFileTimeOfUnixEpoch)) / 10000000;
}

std::vector<FindData> FindFiles(std::string_view pattern)
{
    std::vector<FindData> found;
    if (Injected("FindFiles", ENOENT))
        return found;
    auto [folderPart, namePattern] = SplitLast(NativePath(pattern));
    if (namePattern.empty())
        return found;
    std::string folder = folderPart.empty() ? std::string() : ResolvePath(folderPart);
    std::vector<std::string> names;
    if (!ReadFolderNames(folder, &names))
        return found;
    for (const std::string& name : names) {
        if (!WildcardMatch(namePattern, name))
            continue;
        std::string full = JoinPath(folder, name);
        struct statx sx;
        if (!StatTimes(full, true, &sx) && !StatTimes(full, false, &sx))
            continue; // vanished meanwhile
        FindData data;
        data.name = name;
        data.isDirectory = S_ISDIR(sx.stx_mode);
        data.size = data.isDirectory ? 0 : sx.stx_size;
        FileTimes times = TimesOf(sx);
        data.creationTime = times.creation;
        data.lastAccessTime = times.lastAccess;
        data.lastWriteTime = times.lastWrite;
        found.push_back(std::move(data));
    }
    std::sort(found.begin(), found.end(), [](const FindData& a, const FindData& b) { return LessNoCase(a.name, b.name); });
    return found;
}

bool FileExists(std::string_view path)
{
    struct stat st;
    return !path.empty() && stat(ResolvePath(path).c_str(), &st) == 0;
}

bool DirectoryExists(std::string_view path)
{
    struct stat st;
    return !path.empty() && stat(ResolvePath(path).c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

std::optional<uint64_t> FileSize(std::string_view path)
{
    struct stat st;
    if (path.empty() || stat(ResolvePath(path).c_str(), &st) != 0 || S_ISDIR(st.st_mode))
        return std::nullopt;
    return static_cast<uint64_t>(st.st_size);
}

std::optional<FileTimes> GetFileTimes(std::string_view path)
{
    struct statx sx;
    if (path.empty() || !StatTimes(ResolvePath(path), true, &sx))
        return std::nullopt;
    return TimesOf(sx);
}

namespace {

// The open(2) flags of an fopen mode ("r", "rb", "r+b", "w", "a+", "wx",
// ...); false for a mode fopen would refuse. Truncation is left out: it is
// done once the file is known to be a regular one.
bool OpenFlagsOfMode(const char* mode, int* flags, bool* truncate)
{
    bool update = false, exclusive = false;
    for (const char* m = mode + 1; *m && *m != ','; ++m) {
        if (*m == '+')
            update = true;
        else if (*m == 'x')
            exclusive = true;
    }
    *truncate = false;
    switch (mode[0]) {
    case 'r': *flags = update ? O_RDWR : O_RDONLY; return true;
    case 'w':
        *flags = (update ? O_RDWR : O_WRONLY) | O_CREAT | (exclusive ? O_EXCL : 0);
        *truncate = true;
        return true;
    case 'a': *flags = (update ? O_RDWR : O_WRONLY) | O_CREAT | O_APPEND | (exclusive ? O_EXCL : 0); return true;
    default: return false;
    }
}

// The errno that tells why what is at a path is not taken as a file.
int NotARegularFileErrno(mode_t mode) { return S_ISDIR(mode) ? EISDIR : EINVAL; }

// Opens a regular file (see OpenRegularFileForReading) with the flags; -1
// with errno set otherwise.
int OpenRegularDescriptor(const std::string& native, int flags)
{
    struct stat st;
    if (stat(native.c_str(), &st) == 0) {
        if (!S_ISREG(st.st_mode)) {
            errno = NotARegularFileErrno(st.st_mode);
            return -1;
        }
    } else if (errno != ENOENT || !(flags & O_CREAT)) {
        return -1;
    }
    // The path may have become something else since it was looked at: the
    // open must not wait for a pipe's writer nor take a terminal, and what
    // was opened is looked at again.
    const int fd = open(native.c_str(), flags | O_NONBLOCK | O_NOCTTY | O_CLOEXEC, 0666);
    if (fd < 0)
        return -1;
    int error = 0;
    if (fstat(fd, &st) != 0)
        error = errno;
    else if (!S_ISREG(st.st_mode))
        error = NotARegularFileErrno(st.st_mode);
    if (error != 0) {
        close(fd);
        errno = error;
        return -1;
    }
    const int status = fcntl(fd, F_GETFL);
    if (status == -1 || fcntl(fd, F_SETFL, status & ~O_NONBLOCK) == -1) {
        error = errno;
        close(fd);
        errno = error;
        return -1;
    }
    return fd;
}

} // namespace

int OpenRegularFileForReading(std::string_view path)
{
    if (path.empty()) {
        errno = ENOENT;
        return -1;
    }
    return OpenRegularDescriptor(ResolvePath(path), O_RDONLY);
}

std::string DescribeOpenError(int error)
{
    if (error == EINVAL)
        return "not a regular file: a pipe, a device or a socket";
    if (error == EISDIR)
        return "a folder, not a file";
    return ErrnoText(error);
}

std::FILE* OpenFile(std::string_view path, const char* mode)
{
    if (path.empty() || !mode || Injected("OpenFile", EACCES))
        return nullptr;
    int flags = 0;
    bool truncate = false;
    if (!OpenFlagsOfMode(mode, &flags, &truncate)) {
        errno = EINVAL;
        return nullptr;
    }
    if ((flags & O_ACCMODE) != O_RDONLY && Injected("OpenFile.Write", EACCES))
        return nullptr;
    const int fd = OpenRegularDescriptor(ResolvePath(path), flags);
    if (fd < 0)
        return nullptr;
    if (truncate && ftruncate(fd, 0) != 0) {
        const int error = errno;
        close(fd);
        errno = error;
        return nullptr;
    }
    std::FILE* file = fdopen(fd, mode);
    if (!file) {
        const int error = errno;
        close(fd);
        errno = error;
    }
    return file;
}

bool ReadWholeFile(std::string_view path, std::string* contents)
{
    std::FILE* file = OpenFile(path, "rb");
    if (!file)
        return false;
    std::string data;
    char buffer[65536];
    size_t got;
    while ((got = std::fread(buffer, 1, sizeof buffer, file)) > 0)
        data.append(buffer, got);
    bool ok = !std::ferror(file);
    std::fclose(file);
    if (ok && contents)
        *contents = std::move(data);
    return ok;
}

bool CreateDirectory(std::string_view path)
{
    return !path.empty() && mkdir(StripTrailingSlashes(ResolvePath(path)).c_str(), 0777) == 0;
}

namespace {

std::string FileBehindLinks(const std::string& path, std::string* why, int* code, const std::string& subject = "it");

} // namespace

bool MakeDirectories(std::string_view path, FileError* error)
{
    std::string target = StripTrailingSlashes(ResolvePath(path));
    auto fail = [&](int code, const std::string& folder, const std::string& detail) {
        if (error)
            *error = FileError{FileStep::MakeFolder, folder, code, detail};
        errno = code;
        return false;
    };
    if (path.empty())
        return fail(ENOENT, target, {});
    if (Injected("MakeDirectories", EACCES))
        return fail(errno, target, {});
    // Each folder from the outermost down; the first that is not there and
    // cannot be made is the reason (those below it only follow from it), and
    // the failure names it: the data folder that is a file, not the save
    // folder that cannot be made in it.
    std::string detail;
    auto make = [&detail](const std::string& folder) {
        if (mkdir(folder.c_str(), 0777) == 0)
            return 0;
        const int refusal = errno;
        struct stat st;
        if (stat(folder.c_str(), &st) == 0 && S_ISDIR(st.st_mode))
            return 0;
        if (refusal != EEXIST)
            return refusal;
        // Something else stands there: a file, or a link that leads
        // nowhere, which is said as such.
        int code = ENOTDIR;
        if (lstat(folder.c_str(), &st) == 0 && S_ISLNK(st.st_mode))
            FileBehindLinks(folder, &detail, &code, "the folder " + folder);
        return code;
    };
    for (size_t slash = target.find('/', 1); slash != std::string::npos; slash = target.find('/', slash + 1))
        if (const int refusal = make(target.substr(0, slash)))
            return fail(refusal, target.substr(0, slash), detail);
    const int refusal = make(target);
    return refusal == 0 || fail(refusal, target, detail);
}

bool DeleteFile(std::string_view path)
{
    if (path.empty() || Injected("DeleteFile", EACCES))
        return false;
    std::string target = ResolvePath(path);
    struct stat st;
    if (lstat(target.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) {
        errno = EISDIR;
        return false;
    }
    return unlink(target.c_str()) == 0;
}

bool RemoveDirectory(std::string_view path)
{
    return !path.empty() && rmdir(StripTrailingSlashes(ResolvePath(path)).c_str()) == 0;
}

namespace {

// Deletes the folder `name` of the folder open as `parentFd`, never stepping
// through a symbolic link: the folder is opened with O_NOFOLLOW and entries
// are examined without following links, so a link is unlinked, not entered.
bool DeleteTreeAt(int parentFd, const char* name)
{
    int fd = openat(parentFd, name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0)
        return false;
    DIR* dir = fdopendir(fd);
    if (!dir) {
        close(fd);
        return false;
    }
    // Names first, deletions after: removing entries while reading a
    // folder may make the reading skip some.
    std::vector<std::string> names;
    while (dirent* entry = readdir(dir))
        if (!IsDotOrDotDot(entry->d_name))
            names.emplace_back(entry->d_name);
    bool ok = true;
    for (const std::string& entryName : names) {
        struct stat st;
        if (fstatat(fd, entryName.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0) {
            ok = false;
            continue;
        }
        if (S_ISDIR(st.st_mode))
            ok = DeleteTreeAt(fd, entryName.c_str()) && ok;
        else
            ok = unlinkat(fd, entryName.c_str(), 0) == 0 && ok;
    }
    closedir(dir); // closes fd
    return unlinkat(parentFd, name, AT_REMOVEDIR) == 0 && ok;
}

} // namespace

bool DeleteTree(std::string_view path)
{
    if (path.empty())
        return false;
    std::string target = StripTrailingSlashes(ResolvePath(path));
    struct stat st;
    if (lstat(target.c_str(), &st) != 0)
        return false;
    if (S_ISLNK(st.st_mode))
        return unlink(target.c_str()) == 0;
    if (!S_ISDIR(st.st_mode))
        return false;
    return DeleteTreeAt(AT_FDCWD, target.c_str());
}

std::string GetCurrentDirectory()
{
    std::vector<char> buffer(256);
    for (;;) {
        if (getcwd(buffer.data(), buffer.size()))
            return std::string(buffer.data());
        if (errno != ERANGE)
            return std::string();
        buffer.resize(buffer.size() * 2);
    }
}

bool SetCurrentDirectory(std::string_view path)
{
    return !path.empty() && chdir(ResolvePath(path).c_str()) == 0;
}

bool MoveFile(std::string_view from, std::string_view to, bool replaceExisting)
{
    if (from.empty() || to.empty() || Injected("MoveFile", EACCES))
        return false;
    std::string source = StripTrailingSlashes(ResolvePath(from));
    std::string target = StripTrailingSlashes(ResolvePath(to));
    if (replaceExisting)
        return std::rename(source.c_str(), target.c_str()) == 0;
    if (renameat2(AT_FDCWD, source.c_str(), AT_FDCWD, target.c_str(), RENAME_NOREPLACE) == 0)
        return true;
    if (errno != EINVAL && errno != ENOSYS)
        return false;
    // A file system without no-replace renames: check, then rename.
    struct stat st;
    if (lstat(target.c_str(), &st) == 0) {
        errno = EEXIST;
        return false;
    }
    return std::rename(source.c_str(), target.c_str()) == 0;
}

namespace {

// The process that writes "<name>.tmp-<pid>-<n>", or 0 for another name.
pid_t TemporaryFileWriter(const std::string& name)
{
    const size_t mark = name.rfind(".tmp-");
    if (mark == std::string::npos)
        return 0;
    const std::string rest = name.substr(mark + 5);
    const size_t dash = rest.find('-');
    if (dash == 0 || dash == std::string::npos || dash + 1 == rest.size() ||
        rest.find_first_not_of("0123456789-") != std::string::npos || rest.find('-', dash + 1) != std::string::npos ||
        dash > 9)
        return 0;
    return static_cast<pid_t>(std::stol(rest.substr(0, dash)));
}

} // namespace

namespace {

// How many links a chain may hold, as the system itself allows.
constexpr int kMaxLinkHops = 40;

// The file a save to `path` must replace: `path` itself, or, when it is a
// symbolic link, the file at the end of its chain of links (a synced copy the
// player linked to keeps being updated, and the link stays a link). Empty,
// with the reason in *why, for a link that leads nowhere or round in a
// circle; `subject` names `path` there.
std::string FileBehindLinks(const std::string& path, std::string* why, int* code, const std::string& subject)
{
    const std::string its = subject == "it" ? "its" : subject + "'s";
    std::string current = path;
    for (int hops = 0;; ++hops) {
        struct stat st;
        if (lstat(current.c_str(), &st) != 0) {
            if (hops == 0)
                return current; // a new file, or a folder that will fail the write
            *code = errno;
            *why = errno == ENOENT ? subject + " is a symbolic link to " + current + ", which does not exist"
                                   : "cannot follow " + its + " link to " + current + ": " + ErrnoText(errno);
            return {};
        }
        if (!S_ISLNK(st.st_mode))
            return current;
        if (hops == kMaxLinkHops) {
            *code = ELOOP;
            *why = subject + " is a symbolic link that leads round in a circle";
            return {};
        }
        std::vector<char> link(static_cast<size_t>(st.st_size > 0 ? st.st_size : 255) + 1);
        const ssize_t n = readlink(current.c_str(), link.data(), link.size());
        if (n < 0 || static_cast<size_t>(n) >= link.size()) {
            *code = n < 0 ? errno : ENAMETOOLONG;
            *why = "cannot follow " + its + " link " + current + ": " + ErrnoText(*code);
            return {};
        }
        const std::string next(link.data(), static_cast<size_t>(n));
        const std::string folder = SplitLast(current).first;
        current = (!next.empty() && next.front() == '/') || folder.empty() ? next : JoinPath(folder, next);
    }
}

// Deletes the temporary files matching `pattern` (a folder and a name
// ending in ".tmp-*") whose writer no longer runs; the number deleted.
size_t RemoveTemporariesOfDeadWriters(const std::string& pattern)
{
    size_t removed = 0;
    const std::string folder = SplitLast(pattern).first;
    for (const FindData& entry : FindFiles(pattern)) {
        const pid_t writer = TemporaryFileWriter(entry.name);
        if (entry.isDirectory || writer <= 0 || writer == getpid())
            continue;
        if (kill(writer, 0) == 0 || errno != ESRCH)
            continue; // the writer still runs (or is not ours to ask)
        if (DeleteFile(JoinPath(folder, entry.name)))
            ++removed;
    }
    return removed;
}

} // namespace

size_t RemoveInterruptedWrites(std::string_view folder)
{
    const std::string base = folder.empty() ? std::string(".") : std::string(folder);
    size_t removed = RemoveTemporariesOfDeadWriters(base + "/*.tmp-*");
    // A save through a link writes its temporary file beside the file the
    // link leads to, wherever that is.
    for (const FindData& entry : FindFiles(base + "/*")) {
        const std::string linked = JoinPath(base, entry.name);
        struct stat st;
        if (entry.isDirectory || lstat(linked.c_str(), &st) != 0 || !S_ISLNK(st.st_mode))
            continue;
        std::string why;
        int code = 0;
        const std::string target = FileBehindLinks(linked, &why, &code);
        if (!target.empty() && SplitLast(target).first != SplitLast(linked).first)
            removed += RemoveTemporariesOfDeadWriters(target + ".tmp-*");
    }
    return removed;
}

bool WriteFileAtomic(std::string_view path, const void* data, size_t size, FileError* error)
{
    const std::string named = ResolvePath(path);
    std::string target = named;
    auto fail = [&](FileStep step, int code, const std::string& detail = {}) {
        if (error)
            *error = FileError{step, detail.empty() ? target : named, code, detail};
        return false;
    };
    if (target.empty())
        return fail(FileStep::Write, ENOENT);
    if (!data && size > 0)
        return fail(FileStep::Write, EINVAL);
    // The temporary file goes beside the file replaced, where renaming it
    // over that file is one step of the same file system.
    std::string why;
    int whyCode = ENOENT;
    target = FileBehindLinks(named, &why, &whyCode);
    if (target.empty())
        return fail(FileStep::Write, whyCode, why);
    // The rename would put a file in the place of a device, a pipe or a
    // folder (a save aimed at /dev/full would replace it).
    struct stat existing;
    const bool replacing = stat(target.c_str(), &existing) == 0;
    if (replacing && !S_ISREG(existing.st_mode))
        return fail(FileStep::Write, NotARegularFileErrno(existing.st_mode),
                    (target != named ? "it is a symbolic link to " + target + ", which is " : "it is ") +
                        (S_ISDIR(existing.st_mode) ? "a folder" : "not a regular file (a pipe, a device or a socket)") +
                        "; nothing was replaced");
    // The rename asks only the folder: a file the user marked read-only
    // (or one not the user's to write) would be replaced all the same.
    if (replacing && FileRefusesWrites(target, existing))
        return fail(FileStep::Replace, EACCES,
                    (target != named ? "it is a symbolic link to " + target + ", which is" : "it is") +
                        std::string(" marked read-only; it was left as it is"));

    static std::atomic<unsigned> counter{0};
    std::string temp = target + ".tmp-" + std::to_string(getpid()) + "-" + std::to_string(counter.fetch_add(1));
    int fd = Injected("WriteFileAtomic.Open", EACCES)
                 ? -1
                 : open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0)
        return fail(FileStep::CreateTemporary, errno);
    auto abandon = [&](FileStep step, int err) {
        close(fd);
        unlink(temp.c_str());
        return fail(step, err);
    };

    // The file replaced keeps its permissions.
    if (replacing)
        fchmod(fd, existing.st_mode & 07777);

    const char* bytes = static_cast<const char*>(data);
    size_t written = 0;
    while (written < size) {
        size_t chunk = size - written;
        bool shortWrite = Injected("WriteFileAtomic.Write", ENOSPC);
        int injectedErrno = errno;
        if (shortWrite)
            chunk /= 2; // part of the data goes out, then the disk is "full"
        ssize_t n = chunk > 0 ? write(fd, bytes + written, chunk) : 0;
        if (shortWrite) {
            if (n > 0)
                written += static_cast<size_t>(n);
            return abandon(FileStep::Write, injectedErrno);
        }
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return abandon(FileStep::Write, errno);
        }
        if (n == 0)
            return abandon(FileStep::Write, EIO);
        written += static_cast<size_t>(n);
    }
    if (Injected("WriteFileAtomic.Sync", EIO) || fsync(fd) != 0)
        return abandon(FileStep::Flush, errno);
    if (close(fd) != 0) {
        int err = errno;
        unlink(temp.c_str());
        return fail(FileStep::Close, err);
    }
    if (Injected("WriteFileAtomic.Rename", EACCES) || std::rename(temp.c_str(), target.c_str()) != 0) {
        int err = errno;
        unlink(temp.c_str());
        return fail(FileStep::Replace, err);
    }
    // Make the rename itself durable; a failure here no longer endangers the
    // old or the new contents, so it is not reported.
    std::string folder = SplitLast(target).first;
    int dirFd = open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dirFd >= 0) {
        fsync(dirFd);
        close(dirFd);
    }
    return true;
}

bool WriteFileAtomic(std::string_view path, const void* data, size_t size, std::string* error)
{
    FileError failure;
    const bool written = WriteFileAtomic(path, data, size, &failure);
    if (!written && error)
        *error = failure.Text();
    return written;
}

} // namespace platform
