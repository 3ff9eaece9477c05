// A sound or music track played through the framework's music interface.
#pragma once

#include "common/RefObj.h"

#include <cstdint>
#include <string>

namespace ControlLibrary {

class ISound : public CommonLibrary::RefObj {
public:
    ~ISound() override = default;
    virtual uint32_t GetHandle() = 0;
    // The track id it was loaded as, or -1 when the file did not load.
    virtual int32_t Load(const std::string& file) = 0;
    // Starts from the beginning at the factory's volume for its kind.
    virtual void Play(bool loop) = 0;
    virtual void Stop() = 0;
    virtual void SetPaused(bool paused) = 0;
    virtual bool IsPlaying() = 0;
    // 0.0 .. 1.0.
    virtual void SetVolume(double volume) = 0;
    virtual bool IsMusic() = 0;
};

} // namespace ControlLibrary
