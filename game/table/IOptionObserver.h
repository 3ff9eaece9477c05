// Told when an option of the whole program changes; the observer reads the
// new value through the option accessors.
//
// Threads: the main thread.
#pragma once

namespace Gamespace {

class IOptionObserver {
public:
    virtual ~IOptionObserver() = default;
    virtual void OnSpeedChanged() {}
};

} // namespace Gamespace
