#include "platform/dsound/SdlAudioDevice.h"

#include "platform/core/DebugOutput.h"
#include "platform/core/ForkQuiet.h"

#include <SDL.h>

#include <string>
#include <thread>
#include <utility>

namespace platform::dsound {

void SdlAudioDevice::Pull(void* self, uint8_t* stream, int length)
{
    static_cast<SdlAudioDevice*>(self)->pull_(reinterpret_cast<int16_t*>(stream),
                                              length / static_cast<int>(sizeof(int16_t) * kOutputChannels));
}

std::unique_ptr<SdlAudioDevice> SdlAudioDevice::Open(RenderFrames pull)
{
    // SDL asks the sound servers and the sound card in turn; its back ends
    // load libraries and translate what they meet (the C library's locale
    // lock, dozens of times), and a failed opening stops the threads they
    // started. A process forked meanwhile would wait for those locks
    // forever: SDL's own box waits for this to end (ForkQuiet.h).
    const ForkUnsafeWork opening(kOpeningWork);
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
        OutputDebugString(std::string("audio: SDL audio unavailable: ") + SDL_GetError() + "\n");
        return nullptr;
    }
    std::unique_ptr<SdlAudioDevice> device(new SdlAudioDevice(std::move(pull)));
    SDL_AudioSpec want{};
    want.freq = kOutputRate;
    want.format = AUDIO_S16SYS;
    want.channels = kOutputChannels;
    want.samples = 1024;
    want.callback = &SdlAudioDevice::Pull;
    want.userdata = device.get();
    SDL_AudioSpec have{};
    device->device_ = SDL_OpenAudioDevice(nullptr, 0, &want, &have, 0);
    if (device->device_ == 0) {
        OutputDebugString(std::string("audio: cannot open the output: ") + SDL_GetError() + "\n");
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        return nullptr;
    }
    SDL_PauseAudioDevice(device->device_, 0);
    return device;
}

void SdlAudioDevice::OpenOnItsOwnThread(RenderFrames pull, std::function<void(std::unique_ptr<SdlAudioDevice>)> hand)
{
    std::thread([pull = std::move(pull), hand = std::move(hand)]() mutable {
        hand(Open(std::move(pull)));
        // SDL keeps data of its own for each thread that calls it, which a
        // thread it did not make must give back before it ends.
        SDL_TLSCleanup();
    }).detach();
}

SdlAudioDevice::~SdlAudioDevice()
{
    if (device_ == 0)
        return;
    SDL_CloseAudioDevice(device_); // waits for a pull under way to finish
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
}

} // namespace platform::dsound
