// The application's settings in the registry: values under HKEY_CURRENT_USER
// "SOFTWARE\" + the application's key, where a value name may carry a
// sub-key before its last '\'. An empty application key turns settings off:
// every read and write fails, quietly.
//
// Every settings read and write of the program goes through here, and is
// demo-aware: a recorded run keeps what the registry answered, a played run
// gets the recorded answers instead of the registry's and writes nothing.
// Only erasing a value and the developer's own unrecorded values bypass the
// demo.
//
// Threads: main thread only; no lock.
#pragma once

#include "platform/registry/Registry.h"

#include <cstdint>
#include <string>

namespace Zolt {

class DemoRecorder;

class RegistrySettings {
public:
    // `applicationKey` is the application's own field, read at every call
    // (the game may set it until settings are first used).
    RegistrySettings(const std::string& applicationKey, DemoRecorder& demo);

    bool WriteValue(const std::string& valueName, uint32_t type, const void* data, uint32_t length);
    bool WriteText(const std::string& valueName, const std::string& text);
    bool WriteNumber(const std::string& valueName, int value);
    bool WriteFlag(const std::string& valueName, bool value);

    // `length` holds the buffer's size and gets the value's; the value's
    // type goes to `type`. `root` null reads under HKEY_CURRENT_USER.
    bool ReadValue(const std::string& valueName, uint32_t* type, void* buffer, uint32_t* length,
                   platform::RegistryKeyObject* root);
    // Texts of up to 1023 bytes, of type REG_SZ.
    bool ReadText(const std::string& valueName, std::string& out);
    // Four-byte REG_DWORD values.
    bool ReadNumber(const std::string& valueName, int& out);
    bool ReadFlag(const std::string& valueName, bool& out);
    // Deletes the value; never recorded.
    bool EraseValue(const std::string& valueName);

    // The developer's own values (not part of a recorded run): read and
    // written directly, whatever the demo does. Texts of up to `maxBytes`.
    std::string ReadUnrecordedText(const std::string& valueName, uint32_t maxBytes);
    void WriteUnrecordedText(const std::string& valueName, const std::string& text);

    // "SOFTWARE\" + the application key, once settings were used; empty
    // before and when settings are off.
    const std::string& Root() const { return root_; }

    // The key that holds `valueName` (under HKEY_CURRENT_USER) and the
    // value's own name; an empty key when settings are off.
    std::string KeyPathOf(const std::string& valueName, std::string* name) const;
    // Writes a number under that key, never recorded: for any thread (the
    // registry locks itself), touching nothing of this object.
    static bool WriteNumberAt(const std::string& keyPath, const std::string& name, int value);

private:
    // Opens the key of the value for reading or writing (creating it to
    // write) and gives the value's own name. False when settings are off.
    bool OpenKey(const std::string& valueName, bool write, platform::RegistryKeyObject* root,
                 platform::HKEY* key, std::string* name);

    const std::string& applicationKey_;
    DemoRecorder& demo_;
    std::string root_;
};

} // namespace Zolt
