#include "pak/PakRegistration.h"

#include <atomic>

namespace {

// The process's layer. A plain process-local cell: nothing outside this
// process needs to find it, so no address is ever published.
constinit std::atomic<PakInterfaceBase*> gRegistered{nullptr};

} // namespace

PakInterfaceBase* GetSharedPakInterface()
{
    return gRegistered.load(std::memory_order_acquire);
}

void RegisterPakInterface(PakInterfaceBase* layer)
{
    PakInterfaceBase* none = nullptr;
    gRegistered.compare_exchange_strong(none, layer, std::memory_order_acq_rel);
}

void UnregisterPakInterface(PakInterfaceBase* layer)
{
    PakInterfaceBase* expected = layer;
    gRegistered.compare_exchange_strong(expected, nullptr, std::memory_order_acq_rel);
}

PakInterfaceBase* pak_testing::ReplaceSharedPakInterface(PakInterfaceBase* layer)
{
    return gRegistered.exchange(layer, std::memory_order_acq_rel);
}
