#include "framework/graphics/ImageHost.h"

#include <atomic>

namespace Zolt {

namespace {
std::atomic<ImageHost*> gImageHost{nullptr};
}

ImageHost* GetImageHost() { return gImageHost.load(std::memory_order_acquire); }

void SetImageHost(ImageHost* host) { gImageHost.store(host, std::memory_order_release); }

} // namespace Zolt
