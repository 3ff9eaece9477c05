// Files and folders, shaped after what the program expects of the Windows
// file system:
//  - a path may use "\" or "/" between its parts;
//  - names match without regard to ASCII case: when the exact name is
//    missing, a name that differs only in case is used (data files and code
//    disagree about case, and on Windows that never mattered);
//  - listings take the wildcards "*" and "?" as FindFirstFile does ("*.*"
//    also matches names without a dot) and report Windows file times.
// Nothing here goes through a shell. Writes that matter go through
// WriteFileAtomic, so a crash or a full disk never leaves half a file.
//
// Failure injection (platform::testing::FailNext) by operation name:
// "OpenFile", "OpenFile.Write" (only an open that may write: what a file
// the user may only read answers), "FindFiles", "MakeDirectories",
// "MoveFile", "DeleteFile",
// "WriteFileAtomic.Open", "WriteFileAtomic.Write" (a short write),
// "WriteFileAtomic.Sync", "WriteFileAtomic.Rename"; the code, when non-zero,
// is the errno reported.
//
// Threads: every function may be called from any thread. The current
// directory is process-wide, as on Windows.
#pragma once

#include "platform/core/Types.h"

#include <cstdint>
#include <cstdio>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

// What was being done to a file when it failed. Where the failure is told,
// the step decides the words for the error number (a folder refused is not
// a file refused); StepWords names it for a log.
enum class FileStep {
    None,
    Read,
    FindEnd,          // "find the end of"
    Write,
    CreateTemporary,  // "create a temporary file for"
    Flush,
    Close,
    Replace,
    Delete,
    MakeFolder,       // "make the folder"
    Move,
    FollowLink,       // "follow the link"
    MakeLink,         // "make the link"
    CopyTo,           // "copy to"
    KeepCopyBeside,   // "keep a copy beside"
    KeepCopyOf,       // "keep a copy of"
    KeepBeside,       // "the file beside the program is kept as"
};
// The step in words, as it goes before the path: "make the folder".
const char* StepWords(FileStep step);

// A file operation that failed, as the system reported it: what was being
// done, to which path, and the error number. The number travels up to
// where the failure is told, which puts it in words for its reader.
struct FileError {
    FileStep step = FileStep::None;
    std::string path;
    int code = 0;       // the errno; 0 for no failure
    // What the system's words for `code` would not say (a link that leads
    // nowhere); empty when they say it all.
    std::string detail;

    // "Cannot <step> <path>: <Reason>".
    std::string Text() const;
    // The why alone: the detail, else the system's words for the code.
    std::string Reason() const;
};

// The path with every "\" turned into "/"; nothing else changes.
std::string NativePath(std::string_view path);
// NativePath, then each part that does not exist as written is replaced by an
// existing entry of its folder whose name differs only in case. Parts from
// the first one that matches nothing are kept as written (so the result can
// name a file about to be created).
std::string ResolvePath(std::string_view path);
// FindFirstFile-style match of one name: "*" any run, "?" one character,
// ASCII case ignored, a trailing ".*" also matches no extension.
bool WildcardMatch(std::string_view pattern, std::string_view name);

// 100 ns units since 1601 from a POSIX time, and back (whole seconds).
FILETIME UnixTimeToFileTime(int64_t seconds, uint32_t nanoseconds = 0);
int64_t FileTimeToUnixSeconds(const FILETIME& time);
uint64_t FileTimeToUint64(const FILETIME& time);

struct FindData {
    std::string name; // the entry's own name, without folder
    bool isDirectory = false;
    uint64_t size = 0; // 0 for folders
    FILETIME creationTime{};
    FILETIME lastAccessTime{};
    FILETIME lastWriteTime{};
};

// The entries of a folder matching the last part of `pattern`
// ("demos\zoltapp*.dmo", "C:/x/*.*", or a plain file name), sorted by name
// without case; "." and ".." are never listed. Empty when nothing matches or
// the folder cannot be read.
std::vector<FindData> FindFiles(std::string_view pattern);

bool FileExists(std::string_view path);     // a file or a folder
bool DirectoryExists(std::string_view path);
std::optional<uint64_t> FileSize(std::string_view path);
struct FileTimes {
    FILETIME creation{};   // birth time where the file system keeps it, else last write
    FILETIME lastAccess{};
    FILETIME lastWrite{};
};
std::optional<FileTimes> GetFileTimes(std::string_view path);

// fopen on the resolved path (modes as fopen). Null on failure. Only a
// regular file is opened (or created): a folder (errno EISDIR), a pipe, a
// device or a socket (EINVAL) at the path is refused without ever being
// opened, so a read can neither wait forever for a pipe's writer nor read a
// device without end.
std::FILE* OpenFile(std::string_view path, const char* mode);
// The same refusal for a descriptor opened for reading (close-on-exec):
// -1 with errno set when the path names no regular file.
int OpenRegularFileForReading(std::string_view path);
// What an errno left by OpenFile or OpenRegularFileForReading means, in
// words for a message.
std::string DescribeOpenError(int error);
// The whole file; false (contents untouched) when it cannot be read.
bool ReadWholeFile(std::string_view path, std::string* contents);

// One folder; false when it exists already or cannot be made.
bool CreateDirectory(std::string_view path);
// The folder and every missing parent; true when it exists afterwards.
// Otherwise errno (and `error`, when given) says why, and `error` names the
// first folder on the way that could not be made: ENOTDIR where a file
// stands in its place, ENOENT (with the detail) where a symbolic link that
// leads nowhere does.
bool MakeDirectories(std::string_view path, FileError* error = nullptr);
bool DeleteFile(std::string_view path);      // not a folder
bool RemoveDirectory(std::string_view path); // empty folders only
// Deletes a folder and all it holds. A symbolic link inside (or the path
// itself being one) is removed as a link; what it points to is left alone.
// True only when everything was deleted; false when the folder cannot be read.
bool DeleteTree(std::string_view path);

// The current directory, however long.
std::string GetCurrentDirectory();
bool SetCurrentDirectory(std::string_view path);

// Renames a file or folder. Without replaceExisting an existing target makes
// it fail; with it, a file target is replaced in one step.
bool MoveFile(std::string_view from, std::string_view to, bool replaceExisting);

// Writes `size` bytes to a temporary file beside `path`, flushes it to disk
// and renames it over `path`. On any failure the temporary file is removed,
// `path` keeps its old contents, `error` (when given) says what failed, and
// the result is false. An existing file's permissions are kept. Something
// at `path` that is not a file (a folder, a device, a pipe), or a file
// marked read-only (no write permission for anyone, or none for the user),
// is never replaced: the call fails.
bool WriteFileAtomic(std::string_view path, const void* data, size_t size, FileError* error);
// The same with the failure as text (FileError::Text).
bool WriteFileAtomic(std::string_view path, const void* data, size_t size, std::string* error = nullptr);
// Deletes the temporary files WriteFileAtomic left in `folder` when the
// process writing them was killed mid-save (those of running processes
// stay), and those it left beside the file a symbolic link of `folder`
// leads to, where a save through that link writes them. The number deleted.
size_t RemoveInterruptedWrites(std::string_view folder);
inline bool WriteFileAtomic(std::string_view path, std::string_view contents, std::string* error = nullptr)
{
    return WriteFileAtomic(path, contents.data(), contents.size(), error);
}
inline bool WriteFileAtomic(std::string_view path, std::string_view contents, FileError* error)
{
    return WriteFileAtomic(path, contents.data(), contents.size(), error);
}

} // namespace platform
