// The sound file readers and the cache writer of the sound manager.
//
// Every size read from a file is checked against what the file holds before
// a buffer is made for it, so a damaged or truncated file fails cleanly
// instead of producing a buffer of noise or a huge allocation.
#include "framework/sound/DSoundManager.h"
#include "pak/PakFileFunctions.h"
#include "platform/core/FileSystem.h"

#include <tremor/ivorbisfile.h>

#include <algorithm>
#include <cstring>
#include <string_view>
#include <vector>

namespace Zolt {

using namespace platform;

namespace {

// A file opened through the file layer, closed when the reader leaves.
class SoundFile {
public:
    explicit SoundFile(const std::string& name) : handle_(PakFileOpen(name.c_str(), "rb")) {}
    ~SoundFile() { Close(); }
    SoundFile(const SoundFile&) = delete;
    SoundFile& operator=(const SoundFile&) = delete;

    bool IsOpen() const { return handle_ != nullptr; }
    void Close()
    {
        if (handle_)
            PakFileClose(handle_);
        handle_ = nullptr;
    }
    bool Read(void* out, size_t size) { return size == 0 || PakFileRead(out, 1, size, handle_) == size; }
    bool Tag(const char* expected)
    {
        char tag[4];
        return Read(tag, 4) && std::memcmp(tag, expected, 4) == 0;
    }
    template <class T>
    bool Little(T* value)
    {
        uint8_t bytes[sizeof(T)];
        if (!Read(bytes, sizeof bytes))
            return false;
        T v = 0;
        for (size_t i = sizeof(T); i-- > 0;)
            v = static_cast<T>((v << 8) | bytes[i]);
        *value = v;
        return true;
    }
    bool Big32(uint32_t* value)
    {
        uint8_t b[4];
        if (!Read(b, 4))
            return false;
        *value = (uint32_t{b[0]} << 24) | (uint32_t{b[1]} << 16) | (uint32_t{b[2]} << 8) | b[3];
        return true;
    }
    long Tell() { return PakFileTell(handle_); }
    bool Seek(long offset) { return PakFileSeek(handle_, offset, SEEK_SET) == 0; }
    // The file's length, the position left where it was.
    long Length()
    {
        long here = Tell();
        if (here < 0 || PakFileSeek(handle_, 0, SEEK_END) != 0)
            return -1;
        long end = Tell();
        Seek(here);
        return end;
    }
    PakFileHandle* Release()
    {
        PakFileHandle* h = handle_;
        handle_ = nullptr;
        return h;
    }

private:
    PakFileHandle* handle_;
};

// The whole of a sound buffer, locked for filling and unlocked on leaving
// unless Unlock was called.
class BufferLock {
public:
    BufferLock(DirectSoundBuffer* buffer, uint32_t size) : buffer_(buffer)
    {
        if (buffer_ && FAILED(buffer_->Lock(0, size, &data_, &size_, nullptr, nullptr, 0)))
            data_ = nullptr;
    }
    ~BufferLock() { Unlock(); }
    BufferLock(const BufferLock&) = delete;
    BufferLock& operator=(const BufferLock&) = delete;

    uint8_t* Data() const { return static_cast<uint8_t*>(data_); }
    DWORD Size() const { return size_; }
    bool Unlock()
    {
        if (!data_)
            return false;
        void* data = data_;
        data_ = nullptr;
        return SUCCEEDED(buffer_->Unlock(data, size_, nullptr, 0));
    }

private:
    DirectSoundBuffer* buffer_;
    void* data_ = nullptr;
    DWORD size_ = 0;
};

} // namespace

bool DSoundManager::CreateFilledBuffer(int id, int channels, uint32_t rate, int bits, uint32_t size,
                                       const std::function<bool(uint8_t*)>& fill)
{
    if (!CreateBuffer(id, channels, rate, bits, size))
        return false;
    BufferLock lock(buffers_[static_cast<size_t>(id)].get(), size);
    if (!lock.Data() || lock.Size() != size || !fill(lock.Data())) {
        lock.Unlock();
        DropBuffer(id);
        return false;
    }
    if (!lock.Unlock()) {
        DropBuffer(id);
        return false;
    }
    return true;
}

int16_t DSoundManager::ExpandMuLaw(uint8_t b)
{
    int sign = b >= 0x80 ? 1 : -1;
    int u = b | 0x80;
    int m;
    if (u >= 0xF0)
        m = 0x1FE - u * 2;
    else if (u >= 0xE0)
        m = 0x3DC - u * 4;
    else if (u >= 0xD0)
        m = 0x758 - u * 8;
    else if (u >= 0xC0)
        m = 0xDD0 - u * 16;
    else if (u >= 0xB0)
        m = 0x19C0 - u * 32;
    else if (u >= 0xA0)
        m = 0x2FA0 - u * 64;
    else if (u >= 0x90)
        m = 0x5760 - u * 128;
    else
        m = 0x9EE0 - u * 256; // 0x80, the loudest code, continues its segment
    return static_cast<int16_t>(m * sign * 4);
}

uint64_t DSoundManager::SourceFileTime(const std::string& fileName)
{
    std::optional<FileTimes> times = GetFileTimes(fileName);
    if (!times || DirectoryExists(fileName))
        return 0;
    return FileTimeToUint64(times->lastWrite);
}

bool DSoundManager::ReadWavFile(int id, const std::string& fileName)
{
    if (!ValidId(id))
        return false;
    SoundFile file(fileName);
    if (!file.IsOpen())
        return false;
    uint32_t riffSize = 0;
    if (!file.Tag("RIFF") || !file.Little(&riffSize) || !file.Tag("WAVE"))
        return false;
    long length = file.Length();
    if (length < 0)
        return false;

    int channels = 1;
    uint32_t rate = 22050;
    int bits = 16;
    uint8_t key = 0;
    for (;;) {
        char tag[4];
        uint32_t size = 0;
        if (!file.Read(tag, 4) || !file.Little(&size))
            return false; // the end without sample data
        long start = file.Tell();
        if (start < 0 || size > static_cast<uint64_t>(length - start))
            return false; // a chunk running past the end of the file
        std::string_view id4(tag, 4);
        if (id4 == "fmt ") {
            uint16_t tagValue = 0, channelCount = 0, blockAlign = 0, bitCount = 0;
            uint32_t samplesPerSecond = 0, bytesPerSecond = 0;
            if (size < 16 || !file.Little(&tagValue) || !file.Little(&channelCount) ||
                !file.Little(&samplesPerSecond) || !file.Little(&bytesPerSecond) || !file.Little(&blockAlign) ||
                !file.Little(&bitCount))
                return false;
            if (tagValue != WAVE_FORMAT_PCM)
                return false;
            channels = channelCount;
            rate = samplesPerSecond;
            bits = bitCount;
        } else if (id4 == "dep ") {
            uint16_t nameLength = 0;
            uint64_t storedTime = 0;
            if (size < 10u || !file.Little(&nameLength) || size < 10u + nameLength)
                return false;
            std::string source(nameLength, '\0');
            if (!file.Read(source.data(), nameLength) || !file.Little(&storedTime))
                return false;
            if (SourceFileTime(source) != storedTime)
                return false; // decoded from a file that has changed since
        } else if (id4 == "xor ") {
            if (size < 1 || !file.Read(&key, 1))
                return false;
        } else if (id4 == "data") {
            return CreateFilledBuffer(id, channels, rate, bits, size, [&](uint8_t* data) {
                if (!file.Read(data, size))
                    return false;
                file.Close();
                if (key != 0)
                    for (DWORD i = 0; i < size; ++i)
                        data[i] ^= key;
                return true;
            });
        }
        if (!file.Seek(start + static_cast<long>(size)))
            return false;
    }
}

namespace {

size_t OggRead(void* out, size_t size, size_t count, void* source)
{
    return PakFileRead(out, size, count, static_cast<PakFileHandle*>(source));
}
int OggSeek(void* source, ogg_int64_t offset, int origin)
{
    if (!source)
        return -1;
    return PakFileSeek(static_cast<PakFileHandle*>(source), static_cast<long>(offset), origin);
}
int OggClose(void* source) { return PakFileClose(static_cast<PakFileHandle*>(source)); }
long OggTell(void* source) { return PakFileTell(static_cast<PakFileHandle*>(source)); }

} // namespace

bool DSoundManager::ReadOggFile(int id, const std::string& fileName)
{
    if (!ValidId(id))
        return false;
    SoundFile file(fileName);
    if (!file.IsOpen())
        return false;
    OggVorbis_File vorbis;
    ov_callbacks callbacks{&OggRead, &OggSeek, &OggClose, &OggTell};
    PakFileHandle* handle = file.Release();
    if (ov_open_callbacks(handle, &vorbis, nullptr, 0, callbacks) < 0) {
        PakFileClose(handle); // the decoder leaves the file to us when it refuses it
        return false;
    }
    // From here on ov_clear closes the file.
    struct Clear {
        OggVorbis_File* v;
        ~Clear() { ov_clear(v); }
    } clear{&vorbis};

    vorbis_info* info = ov_info(&vorbis, -1);
    ogg_int64_t frames = ov_pcm_total(&vorbis, -1);
    if (!info || info->channels < 1 || info->channels > 2 || frames <= 0)
        return false;
    const int channels = info->channels;
    const uint64_t blockAlign = static_cast<uint64_t>(channels) * 2;
    if (static_cast<uint64_t>(frames) > DSBSIZE_MAX / blockAlign)
        return false;
    // The length is the stream's own claim: a few bytes can claim hundreds
    // of megabytes. The samples are kept as the decoder delivers them, and
    // the buffer is made only once the claim has proved true.
    const auto claimed = static_cast<size_t>(static_cast<uint64_t>(frames) * blockAlign);
    std::vector<uint8_t> pcm;
    char piece[16384];
    while (pcm.size() < claimed) {
        int link = 0;
        long got = ov_read(&vorbis, piece, static_cast<int>(std::min(sizeof piece, claimed - pcm.size())), &link);
        if (got <= 0)
            break;
        // A chained stream whose later part has another layout would fill
        // the buffer with sound of the wrong shape.
        vorbis_info* part = ov_info(&vorbis, link);
        if (!part || part->channels != channels)
            break;
        pcm.insert(pcm.end(), piece, piece + got);
    }
    if (pcm.size() != claimed)
        return false;
    return CreateFilledBuffer(id, channels, static_cast<uint32_t>(info->rate), 16, static_cast<uint32_t>(claimed),
                              [&](uint8_t* data) {
                                  std::memcpy(data, pcm.data(), claimed);
                                  return true;
                              });
}

bool DSoundManager::ReadMp3File(int id, const std::string& fileName)
{
    if (!ValidId(id) || !useFmod_ || !fmod_)
        return false;
    FSOUND_SAMPLE* sample = fmod_->FSOUND_Sample_Load(-1, fileName.c_str(), 0, 0);
    if (!sample)
        return false;
    unsigned int mode = fmod_->FSOUND_Sample_GetMode(sample);
    int channels = (mode & kFsoundMono) ? 1 : 2;
    int bits = (mode & kFsound8Bits) ? 8 : 16;
    int frequency = 0, volume = 0, pan = 0, priority = 0;
    fmod_->FSOUND_Sample_GetDefaults(sample, &frequency, &volume, &pan, &priority);
    uint64_t size = uint64_t{fmod_->FSOUND_Sample_GetLength(sample)} * static_cast<uint64_t>(channels * bits / 8);
    if (frequency <= 0 || size > DSBSIZE_MAX ||
        !CreateBuffer(id, channels, static_cast<uint32_t>(frequency), bits, static_cast<uint32_t>(size))) {
        fmod_->FSOUND_Sample_Free(sample);
        return false;
    }
    BufferLock lock(buffers_[static_cast<size_t>(id)].get(), static_cast<uint32_t>(size));
    if (lock.Data()) {
        void* first = nullptr;
        void* second = nullptr;
        unsigned int firstLength = 0, secondLength = 0;
        if (fmod_->FSOUND_Sample_Lock(sample, 0, static_cast<int>(size), &first, &second, &firstLength,
                                      &secondLength)) {
            if (first)
                std::memcpy(lock.Data(), first, std::min<size_t>(firstLength, lock.Size()));
            fmod_->FSOUND_Sample_Unlock(sample, first, second, firstLength, secondLength);
        }
    }
    lock.Unlock();
    fmod_->FSOUND_Sample_Free(sample);
    return true;
}

bool DSoundManager::ReadAuFile(int id, const std::string& fileName)
{
    if (!ValidId(id))
        return false;
    SoundFile file(fileName);
    if (!file.IsOpen() || !file.Tag(".snd"))
        return false;
    uint32_t offset = 0, dataSize = 0, encoding = 0, rate = 0, channels = 0;
    if (!file.Big32(&offset) || !file.Big32(&dataSize) || !file.Big32(&encoding) || !file.Big32(&rate) ||
        !file.Big32(&channels))
        return false;
    long length = file.Length();
    if (length < 0 || offset < 24 || offset > static_cast<uint64_t>(length))
        return false;
    uint64_t available = static_cast<uint64_t>(length) - offset;
    if (dataSize == 0xFFFFFFFFu)
        dataSize = static_cast<uint32_t>(std::min<uint64_t>(available, DSBSIZE_MAX)); // "size unknown": to the end
    if (dataSize > available || !file.Seek(static_cast<long>(offset)))
        return false;
    int bits;
    if (encoding == 1)
        bits = 16; // 8-bit mu-law, expanded
    else if (encoding == 2)
        bits = 8; // 8-bit linear
    else
        return false;
    if (channels < 1 || channels > 2 || uint64_t{dataSize} * bits / 8 > DSBSIZE_MAX)
        return false;
    std::vector<uint8_t> raw(dataSize);
    if (!file.Read(raw.data(), raw.size()))
        return false;
    file.Close();
    const uint32_t size = dataSize * static_cast<uint32_t>(bits) / 8;
    return CreateFilledBuffer(id, static_cast<int>(channels), rate, bits, size, [&](uint8_t* data) {
        if (encoding == 1) {
            for (uint32_t i = 0; i < dataSize; ++i) {
                int16_t sample = ExpandMuLaw(raw[i]);
                std::memcpy(data + 2 * i, &sample, 2);
            }
        } else {
            // The file's 8-bit samples are signed; the buffer's are unsigned.
            for (uint32_t i = 0; i < dataSize; ++i)
                data[i] = static_cast<uint8_t>(raw[i] ^ 0x80);
        }
        return true;
    });
}

namespace {

void PutTag(std::string& out, const char* tag) { out.append(tag, 4); }
template <class T>
void PutLittle(std::string& out, T value)
{
    for (size_t i = 0; i < sizeof(T); ++i)
        out.push_back(static_cast<char>((static_cast<uint64_t>(value) >> (8 * i)) & 0xFF));
}

} // namespace

bool DSoundManager::WriteCachedWav(int id, const std::string& cacheFileName, const std::string& sourceFileName)
{
    if (cacheFileName.empty() || !ValidId(id))
        return false;
    auto slot = static_cast<size_t>(id);
    DirectSoundBuffer* buffer = buffers_[slot].get();
    uint32_t size = dataSizes_[slot];
    WAVEFORMATEX format{};
    if (!buffer || FAILED(buffer->GetFormat(&format, sizeof format, nullptr)))
        return false;
    BufferLock lock(buffer, size);
    if (!lock.Data() || lock.Size() != size)
        return false;

    std::string source = sourceFileName.substr(0, 0xFFFF);
    const uint16_t blockAlign = static_cast<uint16_t>(format.nChannels * format.wBitsPerSample / 8);
    std::string out;
    out.reserve(size + 64 + source.size());
    PutTag(out, "RIFF");
    PutLittle<uint32_t>(out, size + 36);
    PutTag(out, "WAVE");
    PutTag(out, "fmt ");
    PutLittle<uint32_t>(out, 16);
    PutLittle<uint16_t>(out, WAVE_FORMAT_PCM);
    PutLittle<uint16_t>(out, format.nChannels);
    PutLittle<uint32_t>(out, format.nSamplesPerSec);
    PutLittle<uint32_t>(out, blockAlign * format.nSamplesPerSec);
    PutLittle<uint16_t>(out, blockAlign);
    PutLittle<uint16_t>(out, format.wBitsPerSample);
    PutTag(out, "dep ");
    PutLittle<uint32_t>(out, static_cast<uint32_t>(source.size() + 10));
    PutLittle<uint16_t>(out, static_cast<uint16_t>(source.size()));
    out += source;
    PutLittle<uint64_t>(out, SourceFileTime(sourceFileName));
    PutTag(out, "xor ");
    PutLittle<uint32_t>(out, 1);
    out.push_back(static_cast<char>(kCacheKey));
    PutTag(out, "data");
    PutLittle<uint32_t>(out, size);
    // Scrambled into the file image; the buffer itself is never touched.
    size_t start = out.size();
    out.append(reinterpret_cast<const char*>(lock.Data()), size);
    for (size_t i = start; i < out.size(); ++i)
        out[i] = static_cast<char>(out[i] ^ static_cast<char>(kCacheKey));
    bool unlocked = lock.Unlock();
    if (!WriteFileAtomic(cacheFileName, out))
        return false;
    return unlocked;
}

} // namespace Zolt
