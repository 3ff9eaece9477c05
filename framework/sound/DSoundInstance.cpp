#include "framework/sound/DSoundInstance.h"

#include "framework/sound/DSoundManager.h"
#include "platform/core/Process.h"
#include "platform/window/SystemDialogs.h"

#include <algorithm>
#include <cmath>

namespace Zolt {

namespace {

// A duplicate that cannot be made means the sound system is broken beyond
// what a silent instance can hide; the known causes are named to the player
// before the program ends.
[[noreturn]] void DuplicationFailed(platform::HRESULT result)
{
    // Named as the sound library names them (several share their values with
    // general COM results, under which a general table would list them).
    const char* name = nullptr;
    switch (result) {
    case platform::DSERR_ALLOCATED: name = "DSERR_ALLOCATED"; break;
    case platform::DSERR_OUTOFMEMORY: name = "DSERR_OUTOFMEMORY"; break;
    case platform::DSERR_INVALIDPARAM: name = "DSERR_INVALIDPARAM"; break;
    case platform::DSERR_INVALIDCALL: name = "DSERR_INVALIDCALL"; break;
    case platform::DSERR_UNINITIALIZED: name = "DSERR_UNINITIALIZED"; break;
    default: break;
    }
    if (name)
        platform::MessageBoxA(nullptr, name, "Hey", platform::MB_OK);
    platform::ExitProcess(0);
}

} // namespace

DSoundInstance::DSoundInstance(DSoundManager* manager, platform::DirectSoundBuffer* source)
    : manager_(manager), source_(source)
{
    if (source_) {
        platform::DirectSoundBuffer* copy = nullptr;
        platform::HRESULT result = manager_->Device()->DuplicateSoundBuffer(source_, &copy);
        if (platform::FAILED(result))
            DuplicationFailed(result);
        buffer_.reset(copy);
        platform::DWORD frequency = 0;
        if (platform::SUCCEEDED(buffer_->GetFrequency(&frequency)))
            baseFrequency_ = frequency;
    }
    ApplyVolume();
}

DSoundInstance::~DSoundInstance() = default;

platform::LONG DSoundInstance::VolumeToHundredthsOfDecibel(double level)
{
    // A level outside 0..1 would take the logarithm out of its range.
    level = std::clamp(level, 0.0, 1.0);
    double hundredths = (std::log10(level * 9.0 + 1.0) - 1.0) * 2333.0;
    auto result = static_cast<platform::LONG>(hundredths); // toward zero
    if (result < -2000)
        return platform::DSBVOLUME_MIN;
    return std::min<platform::LONG>(result, platform::DSBVOLUME_MAX);
}

void DSoundInstance::ApplyVolume()
{
    if (!buffer_)
        return;
    double level = volume_ * defaultVolume_ * manager_->EffectsVolume();
    buffer_->SetVolume(VolumeToHundredthsOfDecibel(level));
}

void DSoundInstance::ApplyPan()
{
    if (!buffer_)
        return;
    // Two pans that add up past a side are that side.
    long pan = std::clamp<long>(static_cast<long>(pan_) + defaultPan_, platform::DSBPAN_LEFT, platform::DSBPAN_RIGHT);
    buffer_->SetPan(static_cast<platform::LONG>(pan));
}

void DSoundInstance::Discard()
{
    Halt();
    discarded_ = true;
}

void DSoundInstance::SetDefaultVolume(double volume)
{
    defaultVolume_ = volume;
    ApplyVolume();
}

void DSoundInstance::SetDefaultPan(int pan)
{
    defaultPan_ = pan;
    ApplyPan();
}

void DSoundInstance::ShiftPitch(double steps)
{
    if (!buffer_)
        return;
    double frequency = baseFrequency_ * std::pow(1.0594630943592953, steps);
    frequency = std::clamp(frequency, 100.0, 100000.0);
    buffer_->SetFrequency(static_cast<platform::DWORD>(frequency));
}

void DSoundInstance::SetInstanceVolume(double volume)
{
    volume_ = volume;
    ApplyVolume();
}

void DSoundInstance::SetInstancePan(int pan)
{
    pan_ = pan;
    ApplyPan();
}

bool DSoundInstance::Start(bool loop, bool discardWhenDone)
{
    Halt();
    // A silent instance never counts as started, so it is never taken for a
    // finished one-shot and thrown away behind its owner's back.
    if (!buffer_)
        return false;
    hasStarted_ = true;
    discardWhenDone_ = discardWhenDone;
    return platform::SUCCEEDED(buffer_->Play(0, 0, loop ? platform::DSBPLAY_LOOPING : 0));
}

void DSoundInstance::Halt()
{
    if (!buffer_)
        return;
    buffer_->Stop();
    buffer_->SetCurrentPosition(0);
    discardWhenDone_ = false;
}

bool DSoundInstance::IsSounding()
{
    if (!hasStarted_ || !buffer_)
        return false;
    platform::DWORD status = 0;
    if (platform::FAILED(buffer_->GetStatus(&status)))
        return false;
    return (status & platform::DSBSTATUS_PLAYING) != 0;
}

bool DSoundInstance::IsDiscarded()
{
    if (!discarded_ && discardWhenDone_ && hasStarted_ && !IsSounding())
        Discard();
    return discarded_;
}

double DSoundInstance::QueryVolume() { return volume_; }

} // namespace Zolt
