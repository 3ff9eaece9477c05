// The replacement libraries that the program loads by name. Each service that
// provides one exposes a registration function, called from here.
#include "platform/core/ModuleRegistry.h"

namespace platform {

void RegisterBuiltInModules()
{
}

} // namespace platform
