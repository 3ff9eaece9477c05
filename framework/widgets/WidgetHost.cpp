#include "framework/widgets/WidgetHost.h"

#include <atomic>

namespace Zolt {

namespace {
// Set once by the application on the main thread; atomic because the
// loading thread may build widgets while it is being set.
std::atomic<WidgetHost*> gWidgetHost{nullptr};
} // namespace

WidgetHost* GetWidgetHost()
{
    return gWidgetHost.load(std::memory_order_acquire);
}

void SetWidgetHost(WidgetHost* host)
{
    gWidgetHost.store(host, std::memory_order_release);
}

} // namespace Zolt
