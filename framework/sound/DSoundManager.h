// The sound manager on DirectSound: 256 sound ids, each a fully decoded
// static buffer with its source name, default volume and default pan, and up
// to 32 instances playing at once. Loading looks in the cache of decoded
// sounds in the application-data folder first, then for ".wav", ".mp3"
// (only when the application runs fmod.dll), ".ogg" and ".au"; compressed
// sounds decoded once are written to the cache.
//
// Without a window, without "dsound.dll" or without a device the manager is
// silent: loads succeed without data and instances play nothing.
//
// Threads: the main thread (one thread at a time); no lock of its own.
#pragma once

#include "framework/base/ComRelease.h"
#include "framework/sound/DSoundInstance.h"
#include "framework/sound/FmodSoundFunctions.h"
#include "framework/sound/SoundManager.h"
#include "platform/core/ModuleRegistry.h"
#include "platform/dsound/DirectSound.h"

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

namespace Zolt {

class DSoundManager final : public SoundManager {
public:
    static constexpr int kMaxSounds = 256;
    static constexpr int kMaxInstances = 32;
    // The byte with which cached sample data is stored scrambled.
    static constexpr uint8_t kCacheKey = 0x5A;

    DSoundManager(platform::HWND window, bool useFmod);
    ~DSoundManager() override;
    DSoundManager(const DSoundManager&) = delete;
    DSoundManager& operator=(const DSoundManager&) = delete;

    bool IsReady() override;
    int FindOrLoadSound(const std::string& name) override;
    bool LoadSoundFile(int id, const std::string& name) override;
    void FreeSound(int id) override;
    void SetEffectsVolume(double volume) override;
    bool SetDefaultVolume(int id, double volume) override;
    bool SetDefaultPan(int id, int pan) override;
    SoundInstance* NewInstance(int id) override;
    void FreeAllSounds() override;
    void DeleteAllInstances() override;
    double ReadMixerVolume() override;
    void WriteMixerVolume(double volume) override;
    void Refresh() override;
    void AttachWindow(platform::HWND window, bool windowed) override;
    void HaltAllSounds() override;
    int FirstFreeSoundId() override;
    int CountLoadedSounds() override;

    // The readers: each decodes the whole file into the id's buffer.
    bool ReadWavFile(int id, const std::string& fileName);
    bool ReadOggFile(int id, const std::string& fileName);
    bool ReadMp3File(int id, const std::string& fileName);
    bool ReadAuFile(int id, const std::string& fileName);
    // Writes the id's sound as a cache file naming `sourceFileName` and its
    // time as what it was decoded from.
    bool WriteCachedWav(int id, const std::string& cacheFileName, const std::string& sourceFileName);
    // A file's last-write time as a FILETIME count; 0 when it is not on disk.
    static uint64_t SourceFileTime(const std::string& fileName);
    // The 16-bit sample of an AU mu-law byte, by segments of the curve.
    static int16_t ExpandMuLaw(uint8_t byte);

    platform::DirectSound* Device() const { return device_.get(); }
    // The id's static buffer, null when it holds none.
    platform::DirectSoundBuffer* SoundBuffer(int id) const
    {
        return ValidId(id) ? buffers_[static_cast<size_t>(id)].get() : nullptr;
    }
    double EffectsVolume() const { return effectsVolume_; }
    uint32_t DataSize(int id) const { return ValidId(id) ? dataSizes_[static_cast<size_t>(id)] : 0; }

private:
    static bool ValidId(int id) { return id >= 0 && id < kMaxSounds; }
    // Creates the id's static buffer (PCM) of `size` bytes and records the size.
    bool CreateBuffer(int id, int channels, uint32_t rate, int bits, uint32_t size);
    // Releases the id's buffer, keeping its name (a reader that failed midway).
    void DropBuffer(int id);
    // Creates the id's buffer as CreateBuffer does and hands its locked
    // `size` bytes to `fill`; when the lock, `fill` or the unlock fails, the
    // buffer is dropped again and the result is false.
    bool CreateFilledBuffer(int id, int channels, uint32_t rate, int bits, uint32_t size,
                            const std::function<bool(uint8_t*)>& fill);

    std::array<ComPtr<platform::DirectSoundBuffer>, kMaxSounds> buffers_;
    std::array<std::string, kMaxSounds> names_;
    ComPtr<platform::DirectSoundBuffer> primary_;
    std::array<uint32_t, kMaxSounds> dataSizes_{};
    std::array<double, kMaxSounds> defaultVolumes_;
    std::array<int, kMaxSounds> defaultPans_{};
    std::array<std::unique_ptr<DSoundInstance>, kMaxInstances> instances_;
    double effectsVolume_ = 1.0;
    uint32_t lastSweep_ = 0;
    ComPtr<platform::DirectSound> device_;
    bool useFmod_;
    platform::HMODULE dsoundModule_ = nullptr;
    const FmodSoundFunctions* fmod_ = nullptr;
};

} // namespace Zolt
