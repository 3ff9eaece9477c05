#include "framework/sound/FmodSoundFunctions.h"

#include "platform/core/ModuleRegistry.h"

#include <mutex>

namespace Zolt {

namespace {

struct RegistryTable {
    std::mutex mutex;
    platform::HMODULE module = nullptr; // guarded by mutex
    int references = 0;                 // guarded by mutex
    FmodSoundFunctions functions{};     // guarded by mutex
};

RegistryTable& Table()
{
    static RegistryTable table;
    return table;
}

template <class F>
bool Take(platform::HMODULE module, const char* name, F*& slot)
{
    slot = platform::GetEntryAs<F*>(module, name);
    return slot != nullptr;
}

const FmodSoundFunctions* AcquireFromRegistry()
{
    RegistryTable& t = Table();
    std::lock_guard<std::mutex> lock(t.mutex);
    if (t.references > 0) {
        ++t.references;
        return &t.functions;
    }
    platform::HMODULE module = platform::LoadModule("fmod.dll");
    if (!module)
        return nullptr;
    FmodSoundFunctions& f = t.functions;
    bool all = Take(module, "_FSOUND_SetBufferSize@4", f.FSOUND_SetBufferSize) &&
               Take(module, "_FSOUND_SetHWND@4", f.FSOUND_SetHWND) && Take(module, "_FSOUND_Init@12", f.FSOUND_Init) &&
               Take(module, "_FSOUND_Close@0", f.FSOUND_Close) &&
               Take(module, "_FSOUND_Sample_Load@16", f.FSOUND_Sample_Load) &&
               Take(module, "_FSOUND_Sample_Free@4", f.FSOUND_Sample_Free) &&
               Take(module, "_FSOUND_Sample_Lock@28", f.FSOUND_Sample_Lock) &&
               Take(module, "_FSOUND_Sample_Unlock@20", f.FSOUND_Sample_Unlock) &&
               Take(module, "_FSOUND_Sample_GetLength@4", f.FSOUND_Sample_GetLength) &&
               Take(module, "_FSOUND_Sample_GetDefaults@20", f.FSOUND_Sample_GetDefaults) &&
               Take(module, "_FSOUND_Sample_GetMode@4", f.FSOUND_Sample_GetMode);
    if (!all) {
        platform::FreeModule(module);
        f = FmodSoundFunctions{};
        return nullptr;
    }
    t.module = module;
    t.references = 1;
    return &t.functions;
}

void ReleaseToRegistry()
{
    RegistryTable& t = Table();
    std::lock_guard<std::mutex> lock(t.mutex);
    if (t.references <= 0)
        return;
    if (--t.references == 0) {
        platform::FreeModule(t.module);
        t.module = nullptr;
        t.functions = FmodSoundFunctions{};
    }
}

struct Provider {
    std::mutex mutex;
    FmodSoundAcquireFn acquire = &AcquireFromRegistry; // guarded by mutex
    FmodSoundReleaseFn release = &ReleaseToRegistry;   // guarded by mutex
};

Provider& TheProvider()
{
    static Provider provider;
    return provider;
}

} // namespace

void SetFmodSoundProvider(FmodSoundAcquireFn acquire, FmodSoundReleaseFn release)
{
    Provider& p = TheProvider();
    std::lock_guard<std::mutex> lock(p.mutex);
    p.acquire = acquire ? acquire : &AcquireFromRegistry;
    p.release = release ? release : &ReleaseToRegistry;
}

const FmodSoundFunctions* AcquireFmodSoundFunctions()
{
    FmodSoundAcquireFn acquire;
    {
        Provider& p = TheProvider();
        std::lock_guard<std::mutex> lock(p.mutex);
        acquire = p.acquire;
    }
    return acquire();
}

void ReleaseFmodSoundFunctions()
{
    FmodSoundReleaseFn release;
    {
        Provider& p = TheProvider();
        std::lock_guard<std::mutex> lock(p.mutex);
        release = p.release;
    }
    release();
}

} // namespace Zolt
