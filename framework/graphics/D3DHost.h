// What the Direct3D drawing path and the 3D capability test need of the
// application that owns the display: its settings key (the test caches its
// verdict below it), the registry access through which run-time errors are
// recorded, the demo state and relay (a played-back demo sees the verdict
// that was recorded), and the folder in which drivers without a path live.
// The application base implements it; a null host gives the defaults below:
// no cache, nothing recorded, no demo.
//
// Called on the main thread.
#pragma once

#include <string>

namespace Zolt {

class D3DHost {
public:
    virtual ~D3DHost() = default;

    // The application's key below HKEY_CURRENT_USER\SOFTWARE; empty: none.
    virtual std::string GetRegistryKey() { return {}; }
    // Writes a text value through the application's registry access
    // (`valueName` may hold a sub-key part, "Test3D\RuntimeError").
    virtual void WriteRegistryText(const std::string& valueName, const std::string& text)
    {
        (void)valueName;
        (void)text;
    }
    virtual bool IsPlayingDemo() { return false; }
    // Passes the verdict through the demo recorder; while a demo plays the
    // three values are replaced by the recorded ones.
    virtual void RelayTestVerdict(std::string& failureReason, std::string& warning, bool& fresh)
    {
        (void)failureReason;
        (void)warning;
        (void)fresh;
    }
    // Where a driver file named without a folder is looked for.
    virtual std::string GetSystemDirectory() { return {}; }
};

} // namespace Zolt
