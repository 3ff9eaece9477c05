// Feeds arbitrary bytes to the sound readers (WAV and cache files, AU, Ogg
// Vorbis, and MP3 through the program's own fmod.dll, as the game loads its
// MP3 sounds): each must fail or give a sound buffer of exactly the size it
// recorded, and never read outside its input. The first byte picks the
// reader; the rest is the file.
#include "framework/sound/DSoundManager.h"
#include "platform/core/Testing.h"
#include "platform/ddraw/DDrawTesting.h"
#include "tests/fuzz/FuzzSupport.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

namespace {

// A sound manager on the headless platform, made once.
Zolt::DSoundManager& Manager()
{
    static Zolt::DSoundManager* manager = [] {
        platform::UseHeadlessBackend(true);
        return new Zolt::DSoundManager(platform::ddraw::testing::CreateWindow(0, 0, 64, 64), true);
    }();
    return *manager;
}

// Reads every byte of the sound, so a wrong recorded size shows up.
void Touch(Zolt::DSoundManager& manager, int id)
{
    platform::DirectSoundBuffer* buffer = manager.SoundBuffer(id);
    if (!buffer)
        __builtin_trap(); // a reader said yes without a buffer
    void* data = nullptr;
    platform::DWORD size = 0;
    if (platform::FAILED(buffer->Lock(0, manager.DataSize(id), &data, &size, nullptr, nullptr, 0)))
        __builtin_trap();
    uint32_t sum = 0;
    for (platform::DWORD i = 0; i < size; ++i)
        sum += static_cast<const uint8_t*>(data)[i];
    volatile uint32_t keep = sum;
    (void)keep;
    buffer->Unlock(data, size, nullptr, 0);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    Zolt::DSoundManager& manager = Manager();
    if (size == 0)
        return 0;
    const std::string path = fuzz_support::WriteScratchFile("sound", data + 1, size - 1);
    if (path.empty())
        return 0;
    bool loaded = false;
    switch (data[0] % 4) {
    case 0: loaded = manager.ReadWavFile(0, path); break;
    case 1: loaded = manager.ReadAuFile(0, path); break;
    case 2: loaded = manager.ReadOggFile(0, path); break;
    default: loaded = manager.ReadMp3File(0, path); break; // through the program's fmod.dll
    }
    if (loaded)
        Touch(manager, 0);
    manager.FreeSound(0);
    return 0;
}
