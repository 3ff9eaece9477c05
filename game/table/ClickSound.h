// The click every button of the shell and the table makes:
// "sounds/click.wav", created with the factory's music flag, so its loudness
// follows the sound-effect volume option. Each screen, dialog or seat with
// buttons owns one and plays it from its button handler. A screen's other
// short sounds (the set-up screens' selection sound) are made the same way
// from their own file.
//
// Threads: the main thread.
#pragma once

namespace ControlLibrary {
class IFactory;
class ISound;
} // namespace ControlLibrary

namespace Gamespace {

class ClickSound {
public:
    static constexpr char kFile[] = "sounds/click.wav";

    // Made and loaded through `factory`; without one it plays nothing.
    explicit ClickSound(ControlLibrary::IFactory* factory, const char* file = kFile);
    ~ClickSound();
    ClickSound(const ClickSound&) = delete;
    ClickSound& operator=(const ClickSound&) = delete;

    void Play();

private:
    ControlLibrary::IFactory* factory_;
    ControlLibrary::ISound* sound_ = nullptr;
};

} // namespace Gamespace
