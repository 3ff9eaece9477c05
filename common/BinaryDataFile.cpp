#include "common/BinaryDataFile.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>

#include "pak/PakFileFunctions.h"
#include "pak/PakInterface.h"
#include "platform/core/FileSystem.h"

namespace {

constexpr uint32_t kReadWriteMode = 1;

} // namespace

BinaryDataFile::BinaryDataFile(const std::string& path) : path_(path) {}

BinaryDataFile::~BinaryDataFile()
{
    Close();
}

void BinaryDataFile::SetPath(const std::string& path)
{
    Close();
    path_ = path;
}

bool BinaryDataFile::Open(uint32_t mode)
{
    if (path_.empty())
        return false;
    Close();
    mode_ = mode;
    handle_ = PakFileOpen(path_.c_str(), mode == kReadWriteMode ? "r+b" : "a+");
    if (!handle_)
        return false;
    PakFileSeek(handle_, 0, SEEK_SET);
    return true;
}

bool BinaryDataFile::OpenForReading()
{
    if (path_.empty())
        return false;
    Close();
    mode_ = kReadWriteMode;
    handle_ = PakFileOpen(path_.c_str(), "rb");
    if (!handle_)
        return false;
    PakFileSeek(handle_, 0, SEEK_SET);
    return true;
}

void BinaryDataFile::OpenNew()
{
    Close();
    mode_ = kReadWriteMode;
    changing_ = true;
    contents_.clear();
    position_ = 0;
}

bool BinaryDataFile::Close()
{
    if (!IsOpen())
        return true;
    bool stored = true;
    if (changing_)
        stored = platform::WriteFileAtomic(path_, contents_.data(), contents_.size(), &lastError_);
    if (handle_)
        PakFileClose(handle_);
    handle_ = nullptr;
    changing_ = false;
    contents_.clear();
    contents_.shrink_to_fit();
    position_ = 0;
    return stored;
}

void BinaryDataFile::Discard()
{
    changing_ = false;
    Close();
}

bool BinaryDataFile::Truncate()
{
    if (!handle_)
        return false;
    if (handle_->entry) {
        // A member: the empty file goes to disk, where it is found from now
        // on only when no member has its name.
        Close();
        if (!platform::WriteFileAtomic(path_, nullptr, 0, &lastError_))
            return false;
        return Open(mode_);
    }
    changing_ = true;
    contents_.clear();
    position_ = 0;
    return true;
}

bool BinaryDataFile::Exists()
{
    if (path_.empty())
        return false;
    PakFileHandle* h = PakFileOpen(path_.c_str(), "r");
    if (!h)
        return false;
    PakFileClose(h);
    return true;
}

bool BinaryDataFile::Create()
{
    if (path_.empty())
        return false;
    return platform::WriteFileAtomic(path_, nullptr, 0, &lastError_);
}

bool BinaryDataFile::Delete()
{
    if (path_.empty())
        return false;
    if (platform::DeleteFile(path_))
        return true;
    lastError_ = platform::FileError{platform::FileStep::Delete, path_, errno, {}};
    return false;
}

bool BinaryDataFile::SeekTo(int offset)
{
    if (offset < 0)
        return true;
    if (changing_) {
        position_ = static_cast<size_t>(offset);
        return true;
    }
    return PakFileSeek(handle_, offset, SEEK_SET) == 0;
}

size_t BinaryDataFile::ReadBytes(void* out, size_t n)
{
    if (!changing_)
        return PakFileRead(out, 1, n, handle_);
    size_t available = position_ < contents_.size() ? contents_.size() - position_ : 0;
    size_t got = std::min(n, available);
    if (got > 0)
        std::memcpy(out, contents_.data() + position_, got);
    position_ += got;
    return got;
}

// Takes the whole file into memory, keeping the current position.
bool BinaryDataFile::TakeContents()
{
    if (changing_)
        return true;
    long position = PakFileTell(handle_);
    long size = position < 0 || PakFileSeek(handle_, 0, SEEK_END) != 0 ? -1 : PakFileTell(handle_);
    if (size < 0 || PakFileSeek(handle_, 0, SEEK_SET) != 0) {
        lastError_ = platform::FileError{platform::FileStep::FindEnd, path_, EIO, {}};
        return false;
    }
    std::vector<uint8_t> contents(static_cast<size_t>(size));
    if (size > 0 && PakFileRead(contents.data(), 1, contents.size(), handle_) != contents.size()) {
        lastError_ = platform::FileError{platform::FileStep::Read, path_, EIO, {}};
        PakFileSeek(handle_, position, SEEK_SET);
        return false;
    }
    contents_ = std::move(contents);
    position_ = static_cast<size_t>(position);
    changing_ = true;
    return true;
}

bool BinaryDataFile::WriteBytes(const void* bytes, size_t n, int offset)
{
    if (!IsOpen())
        return false;
    if (handle_ && handle_->entry) {
        lastError_ = platform::FileError{platform::FileStep::Write, path_, EROFS, "an archive member cannot be written"};
        return false;
    }
    if (!SeekTo(offset) || !TakeContents())
        return false;
    if (mode_ != kReadWriteMode)
        position_ = contents_.size(); // append mode: every write goes to the end
    if (contents_.size() < position_ + n)
        contents_.resize(position_ + n, 0);
    if (n > 0)
        std::memcpy(contents_.data() + position_, bytes, n);
    position_ += n;
    return true;
}

bool BinaryDataFile::ReadBool(bool* out, int offset)
{
    uint8_t b = 0;
    if (!handle_ || !SeekTo(offset) || ReadBytes(&b, 1) != 1)
        return false;
    *out = b != 0;
    return true;
}

bool BinaryDataFile::ReadUShort(uint16_t* out, int offset)
{
    uint8_t b[2];
    if (!handle_ || !SeekTo(offset) || ReadBytes(b, 2) != 2)
        return false;
    *out = static_cast<uint16_t>(b[0] << 8 | b[1]);
    return true;
}

bool BinaryDataFile::ReadShort(int16_t* out, int offset)
{
    uint16_t v = 0;
    if (!ReadUShort(&v, offset))
        return false;
    *out = static_cast<int16_t>(v);
    return true;
}

bool BinaryDataFile::ReadUInt(uint32_t* out, int offset)
{
    uint8_t b[4];
    if (!handle_ || !SeekTo(offset) || ReadBytes(b, 4) != 4)
        return false;
    *out = uint32_t(b[0]) << 24 | uint32_t(b[1]) << 16 | uint32_t(b[2]) << 8 | b[3];
    return true;
}

bool BinaryDataFile::ReadString(std::string* out, uint32_t length, int offset)
{
    if (!handle_ || !SeekTo(offset))
        return false;
    std::vector<char> buffer(static_cast<size_t>(length) + 1, 0);
    size_t got = ReadBytes(buffer.data(), length);
    *out = std::string(buffer.data());
    return got == length;
}

bool BinaryDataFile::WriteByte(uint8_t value, int offset)
{
    return WriteBytes(&value, 1, offset);
}

bool BinaryDataFile::WriteShort(uint16_t value, int offset)
{
    uint8_t b[2] = {static_cast<uint8_t>(value >> 8), static_cast<uint8_t>(value)};
    return WriteBytes(b, 2, offset);
}

bool BinaryDataFile::WriteUInt(uint32_t value, int offset)
{
    uint8_t b[4] = {static_cast<uint8_t>(value >> 24), static_cast<uint8_t>(value >> 16),
                    static_cast<uint8_t>(value >> 8), static_cast<uint8_t>(value)};
    return WriteBytes(b, 4, offset);
}

bool BinaryDataFile::WriteString(const std::string& text, uint32_t fieldLength, int offset)
{
    std::vector<uint8_t> field(fieldLength, 0);
    size_t n = std::min<size_t>(text.size() + 1, fieldLength);
    if (n > 0)
        std::memcpy(field.data(), text.c_str(), n);
    return WriteBytes(field.data(), field.size(), offset);
}

bool BinaryDataFile::MakeFolder(const std::string& directory, platform::FileError* error)
{
    return platform::MakeDirectories(directory, error);
}

bool BinaryDataFile::ReadWhole(const std::string& path, std::string* bytes)
{
    return platform::ReadWholeFile(path, bytes);
}

size_t BinaryDataFile::RemoveInterruptedSaves(const std::string& directory)
{
    return platform::RemoveInterruptedWrites(directory);
}

bool BinaryDataFile::KeepCopyAs(const std::string& copyPath)
{
    std::string bytes;
    if (platform::FileExists(copyPath)) {
        lastError_ = platform::FileError{platform::FileStep::CopyTo, copyPath, EEXIST, {}};
        return false;
    }
    if (!platform::ReadWholeFile(path_, &bytes)) {
        lastError_ = platform::FileError{platform::FileStep::Read, path_, errno, {}};
        return false;
    }
    return platform::WriteFileAtomic(copyPath, bytes.data(), bytes.size(), &lastError_);
}

void BinaryDataFile::ListFiles(const std::string& directory, const std::string& extension,
                               std::vector<std::string>* out)
{
    out->clear();
    for (const platform::FindData& f : platform::FindFiles(directory + "*." + extension))
        if (!f.name.empty() && f.name[0] != '.')
            out->push_back(f.name);
}
