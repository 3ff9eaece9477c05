// Feeds arbitrary bytes to the settings file reader: it must refuse them
// with a reason and leave nothing, or read a tree that is written back and
// read again to the same tree.
#include "platform/registry/RegistryFile.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    using namespace platform::registry;
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    Key root;
    std::string error;
    if (!Parse(text, &root, &error)) {
        if (error.empty() || !root.values.empty() || !root.subKeys.empty())
            __builtin_trap();
        return 0;
    }
    const std::string written = Serialize(root);
    Key again;
    if (!Parse(written, &again, &error) || Serialize(again) != written)
        __builtin_trap();
    return 0;
}
