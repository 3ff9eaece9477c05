#include "framework/sound/FmodSoundFunctions.h"

#include <mutex>

namespace Zolt {

namespace {

struct ProviderSlot {
    std::mutex mutex;
    FmodSoundProvider provider; // guarded by mutex
};

ProviderSlot& Slot()
{
    static ProviderSlot slot;
    return slot;
}

FmodSoundProvider Current()
{
    ProviderSlot& slot = Slot();
    std::lock_guard<std::mutex> lock(slot.mutex);
    return slot.provider;
}

} // namespace

FmodSoundProvider SetFmodSoundProvider(FmodSoundAcquireFn acquire, FmodSoundReleaseFn release)
{
    ProviderSlot& slot = Slot();
    std::lock_guard<std::mutex> lock(slot.mutex);
    const FmodSoundProvider previous = slot.provider;
    // Half a provider would hand out references it cannot take back.
    if (acquire && release)
        slot.provider = FmodSoundProvider{acquire, release};
    else
        slot.provider = FmodSoundProvider{};
    return previous;
}

const FmodSoundFunctions* AcquireFmodSoundFunctions()
{
    const FmodSoundProvider provider = Current();
    return provider.acquire ? provider.acquire() : nullptr;
}

void ReleaseFmodSoundFunctions()
{
    const FmodSoundProvider provider = Current();
    if (provider.release)
        provider.release();
}

} // namespace Zolt
