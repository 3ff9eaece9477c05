#include "pak/PakFormat.h"

#include <cinttypes>
#include <cstdarg>
#include <cstdio>
#include <limits>

namespace {

// A descrambling reader over the archive image that never reads past its end.
class ScrambledReader {
public:
    ScrambledReader(const uint8_t* data, size_t size) : data_(data), size_(size) {}

    bool Bytes(void* out, size_t n)
    {
        if (n > size_ - pos_)
            return false;
        PakDescramble(static_cast<uint8_t*>(out), data_ + pos_, n);
        pos_ += n;
        return true;
    }
    bool U8(uint8_t* v) { return Bytes(v, 1); }
    bool U32(uint32_t* v)
    {
        uint8_t b[4];
        if (!Bytes(b, 4))
            return false;
        *v = uint32_t(b[0]) | uint32_t(b[1]) << 8 | uint32_t(b[2]) << 16 | uint32_t(b[3]) << 24;
        return true;
    }
    bool U64(uint64_t* v)
    {
        uint32_t lo, hi;
        if (!U32(&lo) || !U32(&hi))
            return false;
        *v = uint64_t(hi) << 32 | lo;
        return true;
    }
    size_t Position() const { return pos_; }
    size_t Left() const { return size_ - pos_; }

private:
    const uint8_t* data_;
    size_t size_;
    size_t pos_ = 0;
};

bool Fail(std::string* error, const std::string& text)
{
    if (error)
        *error = text;
    return false;
}

std::string Format(const char* format, ...) __attribute__((format(printf, 1, 2)));
std::string Format(const char* format, ...)
{
    char buffer[512];
    va_list args;
    va_start(args, format);
    std::vsnprintf(buffer, sizeof buffer, format, args);
    va_end(args);
    return buffer;
}

void PutU32(std::vector<uint8_t>* out, uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        out->push_back(static_cast<uint8_t>(v >> (8 * i)));
}

} // namespace

bool ReadPakDirectory(const uint8_t* data, size_t size, std::vector<PakDirectoryRecord>* records,
                      std::string* error)
{
    records->clear();
    // Members are addressed with signed 32-bit offsets.
    if (size > static_cast<size_t>(std::numeric_limits<int32_t>::max()))
        return Fail(error, Format("archive of %zu bytes is larger than 2 GB", size));
    ScrambledReader in(data, size);
    uint32_t magic = 0, version = 0;
    if (!in.U32(&magic) || !in.U32(&version))
        return Fail(error, Format("archive of %zu bytes ends inside its header", size));
    if (magic != kPakMagic)
        return Fail(error, Format("not an archive (magic number 0x%08" PRIX32 ", expected 0x%08" PRIX32 ")", magic,
                                  kPakMagic));
    if (version != kPakVersion)
        return Fail(error, Format("unsupported archive version %" PRIu32, version));

    std::vector<PakDirectoryRecord> found;
    uint64_t dataOffset = 0;
    for (;;) {
        uint8_t flags = 0;
        if (!in.U8(&flags))
            return Fail(error, Format("archive ends inside its directory (after %zu entries)", found.size()));
        if (flags & kPakEndOfDirectory)
            break;
        if (found.size() == kPakMaxEntries)
            return Fail(error, Format("the directory lists more than %zu entries, more than any archive of the game "
                                      "holds",
                                      kPakMaxEntries));
        PakDirectoryRecord record;
        uint8_t nameLength = 0;
        uint32_t memberSize = 0;
        // The name, the size and the time must lie inside the archive before
        // anything is made for them.
        if (!in.U8(&nameLength) || size_t{nameLength} + 12 > in.Left())
            return Fail(error, Format("archive ends inside directory entry %zu", found.size()));
        record.name.resize(nameLength);
        if (!in.Bytes(record.name.data(), nameLength) || !in.U32(&memberSize) || !in.U64(&record.fileTime))
            return Fail(error, Format("archive ends inside directory entry %zu", found.size()));
        record.size = memberSize;
        record.start = static_cast<uint32_t>(dataOffset); // relative until the directory end is known
        dataOffset += memberSize;
        // The data lie behind the directory, at least one byte on: an entry
        // whose data cannot fit in what is left is refused as it is read,
        // not after a directory of any length has been taken in.
        if (in.Position() + 1 + dataOffset > size)
            return Fail(error, Format("directory entry %zu (\"%s\") runs past the end of the archive: "
                                      "%" PRIu64 " bytes of data claimed, archive %zu bytes",
                                      found.size(), record.name.c_str(), dataOffset, size));
        found.push_back(std::move(record));
    }
    const uint64_t directoryEnd = in.Position();
    for (size_t i = 0; i < found.size(); ++i) {
        PakDirectoryRecord& r = found[i];
        uint64_t start = directoryEnd + r.start;
        if (start + r.size > size)
            return Fail(error, Format("directory entry %zu (\"%s\") runs past the end of the archive: "
                                      "data at %" PRIu64 ", %" PRIu32 " bytes, archive %zu bytes",
                                      i, r.name.c_str(), start, r.size, size));
        r.start = static_cast<uint32_t>(start);
    }
    *records = std::move(found);
    return true;
}

bool BuildPakArchive(const std::vector<PakMemberSource>& members, std::vector<uint8_t>* out, std::string* error)
{
    std::vector<uint8_t> plain;
    PutU32(&plain, kPakMagic);
    PutU32(&plain, kPakVersion);
    if (members.size() > kPakMaxEntries)
        return Fail(error, Format("%zu members, more than an archive may list (%zu)", members.size(), kPakMaxEntries));
    uint64_t total = 0;
    for (const PakMemberSource& m : members) {
        if (m.name.size() > 255)
            return Fail(error, "member name longer than 255 bytes: " + m.name);
        if (m.bytes.size() > std::numeric_limits<uint32_t>::max())
            return Fail(error, "member larger than 4 GB: " + m.name);
        plain.push_back(0);
        plain.push_back(static_cast<uint8_t>(m.name.size()));
        plain.insert(plain.end(), m.name.begin(), m.name.end());
        PutU32(&plain, static_cast<uint32_t>(m.bytes.size()));
        PutU32(&plain, static_cast<uint32_t>(m.fileTime));
        PutU32(&plain, static_cast<uint32_t>(m.fileTime >> 32));
        total += m.bytes.size();
    }
    plain.push_back(kPakEndOfDirectory);
    if (plain.size() + total > static_cast<uint64_t>(std::numeric_limits<int32_t>::max()))
        return Fail(error, "archive would be larger than 2 GB");
    plain.reserve(plain.size() + total);
    for (const PakMemberSource& m : members)
        plain.insert(plain.end(), m.bytes.begin(), m.bytes.end());
    out->resize(plain.size());
    PakDescramble(out->data(), plain.data(), plain.size());
    return true;
}
