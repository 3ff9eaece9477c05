// Path and file helpers. Paths may use "\" or "/" between their parts; the
// file system services below take both.
//
// Threads: the pure path functions may be called from any thread. The
// application-data folder is set on the main thread during start-up and read
// from any thread; a mutex guards it.
#pragma once

#include <cstdint>
#include <string>

// The current working directory, however long.
std::string CurrentDirectory();
// A path with a drive (":" at index 1) or rooted at "/" is returned as it is;
// otherwise it is joined to the base ("\" when either contains one, else "/")
// and its "." and ".." parts are resolved.
std::string ResolveRelativePath(const std::string& path, const std::string& base);
// Creates every folder along the path; folders that exist are no error.
void MakeAllDirectories(const std::string& path);
// Deletes the folder and all it holds; symbolic links inside are removed as
// links, never followed. True only when everything was deleted.
bool DeleteTree(const std::string& dir);

// The part after the last "\" or "/"; with the flag, up to its last ".".
std::string PathFileName(const std::string& path, bool withoutExtension);
// The part after the last "\" or "/"; the whole path when there is none.
std::string PathLastComponent(const std::string& path);
// The part before the last "\" or "/", with it when keepSeparator; "" when
// there is none.
std::string PathDirectory(const std::string& path, bool keepSeparator);
// Without one trailing "\" or "/".
std::string DropTrailingSeparator(const std::string& path);
// "" stays ""; else "\" (backslash) or "/" is appended unless one ends it.
std::string EnsureTrailingSeparator(const std::string& path, bool backslash);

// Last-write time in seconds since 1970; 0 when the file is missing (or was
// last written before 1970).
uint64_t GetFileTimeUnix(const std::string& path);

// The framework's application-data folder: stored with "\" appended unless a
// separator ends it already; empty until set.
void SetAppDataFolder(const std::string& path);

namespace Zolt {
// A copy of the application-data folder; "" when none was set.
std::string GetAppDataFolder();
} // namespace Zolt
