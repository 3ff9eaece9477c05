// The file layer: every data file of the program is opened through it. It
// holds the loaded archives ("main.pak", ...) mapped whole into memory and a
// directory of their members by normalised upper-case name; opening for
// reading looks in the archives first and then on disk, every other mode goes
// to disk. Code outside the layer uses the PakFile* functions
// (pak/PakFileFunctions.h), which go to the layer registered for the process
// (pak/PakRegistration.h) and fall back to plain disk files without one.
//
// Threads: archives are added on the main thread during start-up, before
// other threads read; afterwards the directory is only read. The layer takes
// no lock; each open handle and each search belongs to one thread.
#pragma once

#include <cstdint>
#include <cstdio>
#include <list>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/core/Types.h"

namespace platform {
class MappedFile;
}

// One loaded archive: the read-only view of the whole file. Lives until the
// layer is destroyed (the process's layer never is).
struct PakArchive {
    std::string fileName;
    std::unique_ptr<platform::MappedFile> view;
};

// One member. start and size always lie inside the archive's view: the
// directory is checked before any member is entered.
struct PakEntry {
    PakArchive* archive = nullptr;
    std::string name; // as stored in the directory, case kept
    uint64_t fileTime = 0;
    int32_t start = 0;
    int32_t size = 0;
};

// An open file: a member (entry set, position used) or a disk file (file set).
struct PakFileHandle {
    PakEntry* entry = nullptr;
    int32_t position = 0;
    FILE* file = nullptr;
};

// The find data of a search, with the Win32 layout and field names.
struct PakFindData {
    platform::DWORD dwFileAttributes = 0;
    platform::FILETIME ftCreationTime{};
    platform::FILETIME ftLastAccessTime{};
    platform::FILETIME ftLastWriteTime{};
    platform::DWORD nFileSizeHigh = 0;
    platform::DWORD nFileSizeLow = 0;
    platform::DWORD dwReserved0 = 0;
    platform::DWORD dwReserved1 = 0;
    char cFileName[260] = {};
    char cAlternateFileName[14] = {};
};

constexpr platform::DWORD kPakAttributeDirectory = 0x10;

using PakFindHandle = void*;
// The search handle that stands for "no search" (INVALID_HANDLE_VALUE).
inline PakFindHandle const kInvalidPakFindHandle = reinterpret_cast<PakFindHandle>(~uintptr_t{0});

// The operations every module reaches through the registered layer.
class PakInterfaceBase {
public:
    virtual PakFileHandle* OpenFileOther(uint32_t, uint32_t) = 0;
    virtual PakFileHandle* OpenFile(const char* name, const char* mode) = 0;
    virtual int CloseFile(PakFileHandle* handle) = 0;
    virtual int SeekFile(PakFileHandle* handle, long offset, int origin) = 0;
    virtual long TellFile(PakFileHandle* handle) = 0;
    virtual size_t ReadFile(void* buffer, size_t elementSize, size_t count, PakFileHandle* handle) = 0;
    virtual int ReadChar(PakFileHandle* handle) = 0;
    virtual int UnreadChar(int c, PakFileHandle* handle) = 0;
    virtual char* ReadLineOther(char* buffer, int size, PakFileHandle* handle) = 0;
    virtual char* ReadLine(char* buffer, int size, PakFileHandle* handle) = 0;
    virtual int AtEnd(PakFileHandle* handle) = 0;
    virtual PakFindHandle BeginFind(const char* pattern, PakFindData* data) = 0;
    virtual bool ContinueFind(PakFindHandle search, PakFindData* data) = 0;
    virtual int EndFind(PakFindHandle search) = 0;
    virtual ~PakInterfaceBase() = default;
};

class PakInterface : public PakInterfaceBase {
public:
    // Registers itself as the process's layer when none is registered yet.
    PakInterface();
    ~PakInterface() override;
    PakInterface(const PakInterface&) = delete;
    PakInterface& operator=(const PakInterface&) = delete;

    // Maps the archive and enters its members; a member whose name is already
    // known (from an earlier archive or earlier in this one) is replaced.
    // A file that cannot be mapped or is not a well-formed archive adds nothing and
    // returns false; LastError() then says why.
    bool AddPakArchive(const std::string& fileName);
    // Drops every archive and member, as a new process starts: for a
    // program started again in the same process (the tests' walks). No file
    // opened from an archive may still be open.
    void RemoveArchives();
    // Why the last AddPakArchive failed ("" after a success).
    const std::string& LastError() const { return lastError_; }
    // Of `names`, those the archive added as `archiveFile` does not serve:
    // missing from it (or served from another archive) or empty. In the
    // order given.
    std::vector<std::string> LackingMembers(const std::string& archiveFile,
                                            const std::vector<std::string>& names) const;

    PakFileHandle* OpenFileOther(uint32_t, uint32_t) override;
    PakFileHandle* OpenFile(const char* name, const char* mode) override;
    int CloseFile(PakFileHandle* handle) override;
    int SeekFile(PakFileHandle* handle, long offset, int origin) override;
    long TellFile(PakFileHandle* handle) override;
    size_t ReadFile(void* buffer, size_t elementSize, size_t count, PakFileHandle* handle) override;
    int ReadChar(PakFileHandle* handle) override;
    int UnreadChar(int c, PakFileHandle* handle) override;
    char* ReadLineOther(char* buffer, int size, PakFileHandle* handle) override;
    char* ReadLine(char* buffer, int size, PakFileHandle* handle) override;
    int AtEnd(PakFileHandle* handle) override;
    PakFindHandle BeginFind(const char* pattern, PakFindData* data) override;
    bool ContinueFind(PakFindHandle search, PakFindData* data) override;
    int EndFind(PakFindHandle search) override;

private:
    struct FindState;
    bool FindInArchives(FindState* state, PakFindData* data);

    std::list<std::unique_ptr<PakArchive>> archives_;
    std::map<std::string, PakEntry> directory_;
    std::string lastError_;
};

// The lookup key of a name: "\" and "/" become one "\", ".." behind a
// separator drops the folder before it, every other character is upper-cased.
// A name with a drive letter (or an absolute Linux path) that begins with the
// working directory loses that prefix.
std::string NormalizePakPath(const std::string& name);
std::string NormalizePakPath(const std::string& name, const std::string& workingDirectory);
// The same into a caller's buffer of outSize bytes (at least 260 by
// convention); a longer result is cut, always zero-terminated.
void NormalizePakPath(const char* name, char* out, size_t outSize);
