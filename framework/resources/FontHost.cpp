#include "framework/resources/FontHost.h"

#include <atomic>

namespace Zolt {

namespace {
std::atomic<FontHost*> gFontHost{nullptr};
}

FontHost* GetFontHost() { return gFontHost.load(); }
void SetFontHost(FontHost* host) { gFontHost.store(host); }

} // namespace Zolt
