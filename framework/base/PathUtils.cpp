#include "framework/base/PathUtils.h"

#include "framework/base/SystemVersion.h"
#include "platform/core/FileSystem.h"

#include <mutex>
#include <vector>

namespace {

bool IsSeparator(char c)
{
    return c == '\\' || c == '/';
}

bool EndsWithSeparator(const std::string& text)
{
    return !text.empty() && IsSeparator(text.back());
}

bool HasDrive(const std::string& path)
{
    return path.size() >= 2 && path[1] == ':';
}

// Guards gAppDataFolder: written once at start-up, read by any thread.
std::mutex gAppDataMutex;
std::string gAppDataFolder;

} // namespace

std::string CurrentDirectory()
{
    return platform::GetCurrentDirectory();
}

std::string ResolveRelativePath(const std::string& path, const std::string& base)
{
    if (HasDrive(path) || (!path.empty() && path[0] == '/')) {
        return path;
    }
    const bool backslash = path.find('\\') != std::string::npos || base.find('\\') != std::string::npos;
    const char sep = backslash ? '\\' : '/';
    std::string joined;
    if (base.empty()) {
        joined = path;
    } else {
        joined = base;
        if (!EndsWithSeparator(joined)) {
            joined += sep;
        }
        joined += path;
    }

    // The root (a drive, or a leading separator) is never removed by "..";
    // a relative path keeps the ".." parts that reach above its start.
    std::string root;
    size_t pos = 0;
    if (HasDrive(joined)) {
        root = joined.substr(0, 2);
        pos = 2;
        if (pos < joined.size() && IsSeparator(joined[pos])) {
            root += sep;
            ++pos;
        }
    } else if (!joined.empty() && IsSeparator(joined[0])) {
        root = std::string(1, sep);
        pos = 1;
    }
    std::vector<std::string> parts;
    while (pos <= joined.size()) {
        size_t end = pos;
        while (end < joined.size() && !IsSeparator(joined[end])) {
            ++end;
        }
        const std::string part = joined.substr(pos, end - pos);
        if (part.empty() || part == ".") {
            // Repeated separators and "." add nothing.
        } else if (part == "..") {
            if (!parts.empty() && parts.back() != "..") {
                parts.pop_back();
            } else if (root.empty()) {
                parts.push_back(part);
            }
        } else {
            parts.push_back(part);
        }
        pos = end + 1;
    }
    std::string out = root;
    for (size_t i = 0; i < parts.size(); ++i) {
        if (i > 0) {
            out += sep;
        }
        out += parts[i];
    }
    if (!parts.empty() && EndsWithSeparator(joined)) {
        out += sep;
    }
    return out;
}

void MakeAllDirectories(const std::string& path)
{
    if (!path.empty()) {
        platform::MakeDirectories(path);
    }
}

bool DeleteTree(const std::string& dir)
{
    return platform::DeleteTree(dir);
}

std::string PathLastComponent(const std::string& path)
{
    const size_t pos = path.find_last_of("\\/");
    return pos == std::string::npos ? path : path.substr(pos + 1);
}

std::string PathFileName(const std::string& path, bool withoutExtension)
{
    std::string name = PathLastComponent(path);
    if (withoutExtension) {
        const size_t dot = name.rfind('.');
        if (dot != std::string::npos) {
            name.resize(dot);
        }
    }
    return name;
}

std::string PathDirectory(const std::string& path, bool keepSeparator)
{
    const size_t pos = path.find_last_of("\\/");
    if (pos == std::string::npos) {
        return {};
    }
    return path.substr(0, keepSeparator ? pos + 1 : pos);
}

std::string DropTrailingSeparator(const std::string& path)
{
    return EndsWithSeparator(path) ? path.substr(0, path.size() - 1) : path;
}

std::string EnsureTrailingSeparator(const std::string& path, bool backslash)
{
    if (path.empty() || EndsWithSeparator(path)) {
        return path;
    }
    return path + (backslash ? '\\' : '/');
}

uint64_t GetFileTimeUnix(const std::string& path)
{
    // 100 ns intervals from 1601 to 1970.
    constexpr uint64_t kEpochDifference = 116444736000000000ull;
    uint64_t fileTime = 0;
    if (const auto times = platform::GetFileTimes(path)) {
        fileTime = platform::FileTimeToUint64(times->lastWrite);
    } else {
        // The name may be a wildcard pattern, as FindFirstFile allows.
        const auto found = platform::FindFiles(path);
        if (found.empty()) {
            return 0;
        }
        fileTime = platform::FileTimeToUint64(found.front().lastWriteTime);
    }
    if (fileTime < kEpochDifference) {
        return 0;
    }
    return (fileTime - kEpochDifference) / 10000000ull;
}

void SetAppDataFolder(const std::string& path)
{
    if (!IsWindowsVistaOrLater()) {
        return;
    }
    std::string folder = path;
    // An empty path means "none"; a lone "\" would name the root instead.
    if (!folder.empty() && !EndsWithSeparator(folder)) {
        folder += '\\';
    }
    std::lock_guard<std::mutex> lock(gAppDataMutex);
    gAppDataFolder = std::move(folder);
}

std::string Zolt::GetAppDataFolder()
{
    std::lock_guard<std::mutex> lock(gAppDataMutex);
    return gAppDataFolder;
}
