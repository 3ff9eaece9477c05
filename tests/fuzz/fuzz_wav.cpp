// Feeds arbitrary bytes to the sound readers (WAV and cache files, AU, Ogg
// Vorbis) and to the MP3 decoder: each must fail or give a sound buffer of
// exactly the size it recorded, and never read outside its input. The first
// byte picks the reader; the rest is the file.
#include "framework/sound/DSoundManager.h"
#include "platform/core/FileSystem.h"
#include "platform/core/Process.h"
#include "platform/core/Testing.h"
#include "platform/ddraw/DDrawTesting.h"
#include "platform/libs/audio/AudioDecoder.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <random>
#include <string>

namespace {

struct Scene {
    Scene()
    {
        platform::UseHeadlessBackend(true);
        std::optional<std::string> tmp = platform::GetEnvironmentVariable("TMPDIR");
        std::random_device random;
        path = (tmp && !tmp->empty() ? *tmp : std::string("/tmp")) + "/pellucor-fuzz-sound-" +
               std::to_string(random());
        manager = std::make_unique<Zolt::DSoundManager>(platform::ddraw::testing::CreateWindow(0, 0, 64, 64), false);
    }
    ~Scene() { platform::DeleteFile(path); }
    std::string path;
    std::unique_ptr<Zolt::DSoundManager> manager;
};

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
    static Scene scene;
    if (size == 0)
        return 0;
    const uint8_t which = data[0] % 4;
    const uint8_t* file = data + 1;
    const size_t fileSize = size - 1;
    if (which == 3) {
        namespace audio = platform::libs::audio;
        auto decoder = audio::OpenMp3(audio::Bytes(file, file + fileSize));
        audio::DecodedSound sound;
        if (decoder && audio::DecodeWhole(*decoder, sound)) {
            int64_t sum = 0;
            for (uint8_t s : sound.pcm)
                sum += s;
            volatile int64_t keep = sum;
            (void)keep;
        }
        return 0;
    }
    if (!platform::WriteFileAtomic(scene.path, file, fileSize))
        return 0;
    Zolt::DSoundManager& manager = *scene.manager;
    bool loaded = false;
    switch (which) {
    case 0: loaded = manager.ReadWavFile(0, scene.path); break;
    case 1: loaded = manager.ReadAuFile(0, scene.path); break;
    default: loaded = manager.ReadOggFile(0, scene.path); break;
    }
    if (loaded)
        Touch(manager, 0);
    manager.FreeSound(0);
    return 0;
}
