#include "pak/PakInterface.h"

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <cstring>
#include <vector>

#include "pak/PakFormat.h"
#include "pak/PakRegistration.h"
#include "platform/core/CRuntime.h"
#include "platform/core/FileSystem.h"
#include "platform/core/MappedFile.h"

// A search: first through the directory in key order, then the disk files of
// the same pattern.
struct PakInterface::FindState {
    std::string pattern;  // normalised
    std::string lastKey;  // key of the last archive match, "" before the first
    bool archiveStarted = false;
    bool archiveDone = false;
    bool diskStarted = false;
    std::vector<platform::FindData> disk;
    size_t diskNext = 0;
};

namespace {

constexpr size_t kWorkingDirectoryLimit = 256;

bool IsSeparator(char c)
{
    return c == '\\' || c == '/';
}

// Prefix test without regard to case, "\" and "/" counting as equal.
bool StartsWithPath(const std::string& text, const std::string& prefix)
{
    if (prefix.size() > text.size())
        return false;
    for (size_t i = 0; i < prefix.size(); ++i) {
        char a = text[i], b = prefix[i];
        if (IsSeparator(a) && IsSeparator(b))
            continue;
        if (std::toupper(static_cast<unsigned char>(a)) != std::toupper(static_cast<unsigned char>(b)))
            return false;
    }
    return true;
}

bool IsReadMode(const char* mode)
{
    static const char* const kReadModes[] = {"r", "rb", "r+b", "rt"};
    for (const char* m : kReadModes)
        if (platform::stricmp(mode, m) == 0)
            return true;
    return false;
}

PakFileHandle* OpenOnDisk(const char* name, const char* mode)
{
    FILE* f = platform::OpenFile(name, mode);
    if (!f)
        return nullptr;
    auto* handle = new PakFileHandle;
    handle->file = f;
    return handle;
}

platform::FILETIME SplitTime(uint64_t t)
{
    return platform::FILETIME{static_cast<platform::DWORD>(t & 0xFFFFFFFFu), static_cast<platform::DWORD>(t >> 32)};
}

void CopyName(char (&out)[260], const std::string& name)
{
    size_t n = std::min(name.size(), sizeof out - 1);
    std::memcpy(out, name.data(), n);
    out[n] = 0;
}

// Does the key match the pattern? Only patterns with a "*" match members:
// the text before the first "*" must begin the key, and the text after it
// must be empty, ".*", or end the key. *tail receives the part of the key
// compared with the text after the "*".
bool PatternMatchesKey(const std::string& pattern, const std::string& key, std::string* tail)
{
    size_t star = pattern.find('*');
    if (star == std::string::npos)
        return false;
    if (key.compare(0, star, pattern, 0, star) != 0 || key.size() < star)
        return false;
    std::string after = pattern.substr(star + 1);
    if (after.empty() || after == ".*") {
        *tail = key.substr(star);
        return true;
    }
    if (key.size() < after.size() || key.compare(key.size() - after.size(), after.size(), after) != 0)
        return false;
    *tail = key.substr(star);
    return true;
}

void FillFromDisk(const platform::FindData& f, PakFindData* data)
{
    *data = PakFindData{};
    data->dwFileAttributes = f.isDirectory ? kPakAttributeDirectory : 0x80 /* normal */;
    data->ftCreationTime = f.creationTime;
    data->ftLastAccessTime = f.lastAccessTime;
    data->ftLastWriteTime = f.lastWriteTime;
    data->nFileSizeHigh = static_cast<platform::DWORD>(f.size >> 32);
    data->nFileSizeLow = static_cast<platform::DWORD>(f.size);
    CopyName(data->cFileName, f.name);
}

} // namespace

std::string NormalizePakPath(const std::string& name, const std::string& workingDirectory)
{
    std::string rest = name;
    std::string cwd = workingDirectory.substr(0, kWorkingDirectoryLimit);
    bool driveLetter = rest.size() >= 2 && rest[1] == ':';
    bool absolute = !rest.empty() && rest[0] == '/';
    if ((driveLetter || absolute) && !cwd.empty()) {
        std::string prefix = cwd;
        if (!IsSeparator(prefix.back()))
            prefix += '\\';
        if (StartsWithPath(rest, prefix))
            rest.erase(0, prefix.size());
    }

    std::string out;
    out.reserve(rest.size());
    for (size_t i = 0; i < rest.size(); ++i) {
        char c = rest[i];
        if (IsSeparator(c)) {
            if (out.empty() || out.back() != '\\')
                out += '\\';
            continue;
        }
        if (c == '.' && i > 0 && IsSeparator(rest[i - 1]) && i + 1 < rest.size() && rest[i + 1] == '.') {
            // Back to just behind the separator before the last folder.
            if (!out.empty() && out.back() == '\\')
                out.pop_back();
            size_t previous = out.rfind('\\');
            out.erase(previous == std::string::npos ? 0 : previous + 1);
            ++i; // the second dot
            while (i + 1 < rest.size() && IsSeparator(rest[i + 1]))
                ++i;
            continue;
        }
        out += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    }
    return out;
}

std::string NormalizePakPath(const std::string& name)
{
    bool needsDirectory = (name.size() >= 2 && name[1] == ':') || (!name.empty() && name[0] == '/');
    return NormalizePakPath(name, needsDirectory ? platform::GetCurrentDirectory() : std::string());
}

void NormalizePakPath(const char* name, char* out, size_t outSize)
{
    if (!out || outSize == 0)
        return;
    std::string key = name ? NormalizePakPath(std::string(name)) : std::string();
    size_t n = std::min(key.size(), outSize - 1);
    std::memcpy(out, key.data(), n);
    out[n] = 0;
}

PakInterface::PakInterface()
{
    RegisterPakInterface(this);
}

PakInterface::~PakInterface()
{
    UnregisterPakInterface(this);
}

bool PakInterface::AddPakArchive(const std::string& fileName)
{
    lastError_.clear();
    std::string error;
    std::unique_ptr<platform::MappedFile> view = platform::MappedFile::Open(fileName, &error);
    if (!view) {
        lastError_ = error;
        return false;
    }
    std::vector<PakDirectoryRecord> records;
    if (!ReadPakDirectory(view->Data(), static_cast<size_t>(view->Size()), &records, &error)) {
        // Nothing of a refused archive is entered: its members would point
        // outside the file, or at bytes that are not what they claim to be.
        lastError_ = fileName + ": " + error;
        return false;
    }
    auto archive = std::make_unique<PakArchive>();
    archive->fileName = fileName;
    archive->view = std::move(view);
    for (PakDirectoryRecord& r : records) {
        // Stored names are only upper-cased: the packer already writes them
        // in the form a looked-up name normalises to.
        std::string key = r.name;
        for (char& c : key)
            c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        PakEntry& entry = directory_[key];
        entry.archive = archive.get();
        entry.name = std::move(r.name);
        entry.fileTime = r.fileTime;
        entry.start = static_cast<int32_t>(r.start);
        entry.size = static_cast<int32_t>(r.size);
    }
    archives_.push_back(std::move(archive));
    return true;
}

void PakInterface::RemoveArchives()
{
    directory_.clear();
    archives_.clear();
    lastError_.clear();
}

std::vector<std::string> PakInterface::LackingMembers(const std::string& archiveFile,
                                                     const std::vector<std::string>& names) const
{
    std::vector<std::string> lacking;
    for (const std::string& name : names) {
        const auto it = directory_.find(NormalizePakPath(name));
        if (it == directory_.end() || it->second.size <= 0 || it->second.archive->fileName != archiveFile)
            lacking.push_back(name);
    }
    return lacking;
}

PakFileHandle* PakInterface::OpenFileOther(uint32_t, uint32_t)
{
    return nullptr;
}

PakFileHandle* PakInterface::OpenFile(const char* name, const char* mode)
{
    if (!name || !mode)
        return nullptr;
    if (IsReadMode(mode)) {
        auto it = directory_.find(NormalizePakPath(name));
        if (it != directory_.end()) {
            auto* handle = new PakFileHandle;
            handle->entry = &it->second;
            return handle;
        }
    }
    return OpenOnDisk(name, mode);
}

int PakInterface::CloseFile(PakFileHandle* handle)
{
    if (!handle)
        return 0;
    if (!handle->entry && handle->file)
        std::fclose(handle->file);
    delete handle;
    return 0;
}

int PakInterface::SeekFile(PakFileHandle* handle, long offset, int origin)
{
    if (!handle)
        return -1;
    if (!handle->entry)
        return std::fseek(handle->file, offset, origin);
    // 64-bit arithmetic: a huge offset must clamp, not wrap.
    int64_t position = handle->position;
    int64_t size = handle->entry->size;
    switch (origin) {
    case SEEK_SET: position = offset; break;
    case SEEK_CUR: position += offset; break;
    case SEEK_END: position = size + offset; break;
    default: break;
    }
    handle->position = static_cast<int32_t>(std::clamp<int64_t>(position, 0, size));
    return 0;
}

long PakInterface::TellFile(PakFileHandle* handle)
{
    if (!handle)
        return -1;
    if (!handle->entry)
        return std::ftell(handle->file);
    return handle->position;
}

size_t PakInterface::ReadFile(void* buffer, size_t elementSize, size_t count, PakFileHandle* handle)
{
    if (!handle || !buffer)
        return 0;
    if (!handle->entry)
        return std::fread(buffer, elementSize, count, handle->file);
    if (elementSize == 0 || count == 0)
        return 0;
    const PakEntry& e = *handle->entry;
    size_t remaining = e.size > handle->position ? static_cast<size_t>(e.size - handle->position) : 0;
    size_t wanted = count > SIZE_MAX / elementSize ? SIZE_MAX : elementSize * count;
    size_t n = std::min(wanted, remaining);
    if (n == 0)
        return 0;
    PakDescramble(static_cast<uint8_t*>(buffer), e.archive->view->Data() + e.start + handle->position, n);
    handle->position += static_cast<int32_t>(n);
    return n / elementSize;
}

int PakInterface::ReadChar(PakFileHandle* handle)
{
    if (!handle)
        return EOF;
    if (!handle->entry)
        return std::fgetc(handle->file);
    const PakEntry& e = *handle->entry;
    const uint8_t* data = e.archive->view->Data() + e.start;
    while (handle->position < e.size) {
        int c = data[handle->position++] ^ kPakScrambleKey;
        if (c != '\r')
            return c;
    }
    return EOF;
}

int PakInterface::UnreadChar(int c, PakFileHandle* handle)
{
    if (!handle)
        return EOF;
    if (!handle->entry)
        return std::ungetc(c, handle->file);
    if (handle->position > 0)
        --handle->position;
    return c;
}

char* PakInterface::ReadLineOther(char* buffer, int, PakFileHandle*)
{
    return buffer;
}

char* PakInterface::ReadLine(char* buffer, int size, PakFileHandle* handle)
{
    if (!handle || !buffer)
        return nullptr;
    if (!handle->entry)
        return size > 0 ? std::fgets(buffer, size, handle->file) : nullptr;
    const PakEntry& e = *handle->entry;
    // A buffer of no bytes has no room even for the terminator.
    if (handle->position >= e.size || size <= 0)
        return nullptr;
    const uint8_t* data = e.archive->view->Data() + e.start;
    int stored = 0;
    while (stored < size - 1 && handle->position < e.size) {
        char c = static_cast<char>(data[handle->position++] ^ kPakScrambleKey);
        if (c == '\r')
            continue;
        buffer[stored++] = c;
        if (c == '\n')
            break;
    }
    buffer[stored] = 0;
    return buffer;
}

int PakInterface::AtEnd(PakFileHandle* handle)
{
    if (!handle)
        return 1;
    if (!handle->entry)
        return std::feof(handle->file);
    return handle->position >= handle->entry->size ? 1 : 0;
}

bool PakInterface::FindInArchives(FindState* state, PakFindData* data)
{
    if (state->archiveDone)
        return false;
    auto it = state->archiveStarted ? directory_.upper_bound(state->lastKey) : directory_.begin();
    for (; it != directory_.end(); ++it) {
        std::string tail;
        if (!PatternMatchesKey(state->pattern, it->first, &tail))
            continue;
        const PakEntry& e = it->second;
        *data = PakFindData{};
        data->dwFileAttributes = tail.find('\\') != std::string::npos ? kPakAttributeDirectory : 0;
        data->ftCreationTime = data->ftLastAccessTime = data->ftLastWriteTime = SplitTime(e.fileTime);
        data->nFileSizeLow = static_cast<platform::DWORD>(e.size);
        size_t slash = e.name.rfind('\\');
        CopyName(data->cFileName, slash == std::string::npos ? e.name : e.name.substr(slash + 1));
        state->lastKey = it->first;
        state->archiveStarted = true;
        return true;
    }
    state->archiveDone = true;
    return false;
}

PakFindHandle PakInterface::BeginFind(const char* pattern, PakFindData* data)
{
    if (!pattern || !data)
        return kInvalidPakFindHandle;
    auto state = std::make_unique<FindState>();
    state->pattern = NormalizePakPath(pattern);
    if (FindInArchives(state.get(), data))
        return state.release();
    state->diskStarted = true;
    state->disk = platform::FindFiles(state->pattern);
    if (state->disk.empty())
        return kInvalidPakFindHandle;
    FillFromDisk(state->disk[0], data);
    state->diskNext = 1;
    return state.release();
}

bool PakInterface::ContinueFind(PakFindHandle search, PakFindData* data)
{
    if (!search || search == kInvalidPakFindHandle || !data)
        return false;
    auto* state = static_cast<FindState*>(search);
    if (!state->diskStarted) {
        if (FindInArchives(state, data))
            return true;
        state->diskStarted = true;
        state->disk = platform::FindFiles(state->pattern);
        state->diskNext = 0;
    }
    if (state->diskNext >= state->disk.size())
        return false;
    FillFromDisk(state->disk[state->diskNext++], data);
    return true;
}

int PakInterface::EndFind(PakFindHandle search)
{
    if (search && search != kInvalidPakFindHandle)
        delete static_cast<FindState*>(search);
    return 1;
}
