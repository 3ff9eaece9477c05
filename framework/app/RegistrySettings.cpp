#include "framework/app/RegistrySettings.h"

#include "framework/app/DemoRecorder.h"

#include <algorithm>
#include <cstring>
#include <vector>

using namespace platform;

namespace Zolt {

namespace {

constexpr uint32_t kTextBufferSize = 1023;

// Closes a registry key when the scope ends.
struct KeyCloser {
    HKEY key = nullptr;
    ~KeyCloser()
    {
        if (key)
            RegCloseKey(key);
    }
};

} // namespace

RegistrySettings::RegistrySettings(const std::string& applicationKey, DemoRecorder& demo)
    : applicationKey_(applicationKey), demo_(demo)
{
}

bool RegistrySettings::OpenKey(const std::string& valueName, bool write, RegistryKeyObject* root, HKEY* key,
                               std::string* name)
{
    const std::string path = KeyPathOf(valueName, name);
    if (path.empty())
        return false;
    root_ = KeyPathOf("", nullptr);
    HKEY base = root ? root : HKEY_CURRENT_USER;
    if (!write)
        return RegOpenKeyExA(base, path.c_str(), 0, KEY_READ, key) == ERROR_SUCCESS;
    if (RegOpenKeyExA(base, path.c_str(), 0, KEY_WRITE, key) == ERROR_SUCCESS)
        return true;
    char keyClass[] = "Key";
    return RegCreateKeyExA(base, path.c_str(), 0, keyClass, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, nullptr, key,
                           nullptr) == ERROR_SUCCESS;
}

std::string RegistrySettings::KeyPathOf(const std::string& valueName, std::string* name) const
{
    std::string key = applicationKey_;
    while (!key.empty() && key.back() == '\\')
        key.pop_back();
    if (key.empty())
        return {};
    std::string path = "SOFTWARE\\" + key;
    const size_t slash = valueName.rfind('\\');
    if (slash != std::string::npos)
        path += "\\" + valueName.substr(0, slash);
    if (name)
        *name = slash == std::string::npos ? valueName : valueName.substr(slash + 1);
    return path;
}

bool RegistrySettings::WriteNumberAt(const std::string& keyPath, const std::string& name, int value)
{
    if (keyPath.empty())
        return false;
    KeyCloser key;
    char keyClass[] = "Key";
    if (RegCreateKeyExA(HKEY_CURRENT_USER, keyPath.c_str(), 0, keyClass, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS,
                        nullptr, &key.key, nullptr) != ERROR_SUCCESS)
        return false;
    const int32_t v = value;
    return RegSetValueExA(key.key, name.c_str(), 0, REG_DWORD, reinterpret_cast<const BYTE*>(&v), 4) ==
           ERROR_SUCCESS;
}

bool RegistrySettings::WriteValue(const std::string& valueName, uint32_t type, const void* data, uint32_t length)
{
    if (applicationKey_.empty())
        return false;
    // A played run writes nothing; after its window closed, writes succeed.
    if (demo_.IsPlaying())
        return demo_.IsFeeding() ? demo_.ReplayRegistryWrite() : true;
    KeyCloser key;
    std::string name;
    bool ok = OpenKey(valueName, true, nullptr, &key.key, &name);
    // A value that could not be stored is reported as not written.
    if (ok)
        ok = RegSetValueExA(key.key, name.c_str(), 0, type, static_cast<const BYTE*>(data), length) == ERROR_SUCCESS;
    if (demo_.IsRecording())
        demo_.RecordRegistryWrite(ok);
    return ok;
}

bool RegistrySettings::WriteText(const std::string& valueName, const std::string& text)
{
    return WriteValue(valueName, REG_SZ, text.data(), uint32_t(text.size()));
}

bool RegistrySettings::WriteNumber(const std::string& valueName, int value)
{
    const int32_t v = value;
    return WriteValue(valueName, REG_DWORD, &v, 4);
}

bool RegistrySettings::WriteFlag(const std::string& valueName, bool value)
{
    return WriteNumber(valueName, value ? 1 : 0);
}

bool RegistrySettings::ReadValue(const std::string& valueName, uint32_t* type, void* buffer, uint32_t* length,
                                 RegistryKeyObject* root)
{
    if (applicationKey_.empty())
        return false;
    if (demo_.IsPlaying())
        return demo_.IsFeeding() && demo_.ReplayRegistryRead(type, buffer, length);
    KeyCloser key;
    std::string name;
    DWORD valueType = 0;
    DWORD size = length ? *length : 0;
    bool ok = OpenKey(valueName, false, root, &key.key, &name) &&
              RegQueryValueExA(key.key, name.c_str(), nullptr, &valueType, static_cast<BYTE*>(buffer), &size) ==
                  ERROR_SUCCESS;
    if (ok) {
        if (type)
            *type = valueType;
        if (length)
            *length = size;
    }
    if (demo_.IsRecording())
        demo_.RecordRegistryRead(ok, valueType, buffer, ok ? size : 0);
    return ok;
}

bool RegistrySettings::ReadText(const std::string& valueName, std::string& out)
{
    // One byte more than is asked for, so the text always has its end.
    char buffer[kTextBufferSize + 1] = {};
    uint32_t type = 0;
    uint32_t length = kTextBufferSize;
    if (!ReadValue(valueName, &type, buffer, &length, HKEY_CURRENT_USER) || type != REG_SZ)
        return false;
    length = std::min(length, kTextBufferSize);
    buffer[length] = '\0';
    out.assign(buffer, std::strlen(buffer));
    return true;
}

bool RegistrySettings::ReadNumber(const std::string& valueName, int& out)
{
    int32_t value = 0;
    uint32_t type = 0;
    uint32_t length = 4;
    if (!ReadValue(valueName, &type, &value, &length, HKEY_CURRENT_USER) || type != REG_DWORD || length != 4)
        return false;
    out = value;
    return true;
}

bool RegistrySettings::ReadFlag(const std::string& valueName, bool& out)
{
    int value = 0;
    if (!ReadNumber(valueName, value))
        return false;
    out = value != 0;
    return true;
}

bool RegistrySettings::EraseValue(const std::string& valueName)
{
    if (applicationKey_.empty())
        return false;
    KeyCloser key;
    std::string name;
    return OpenKey(valueName, true, nullptr, &key.key, &name) &&
           RegDeleteValueA(key.key, name.c_str()) == ERROR_SUCCESS;
}

std::string RegistrySettings::ReadUnrecordedText(const std::string& valueName, uint32_t maxBytes)
{
    KeyCloser key;
    std::string name;
    if (!OpenKey(valueName, false, nullptr, &key.key, &name))
        return {};
    std::vector<char> text(size_t(maxBytes) + 1, '\0');
    DWORD type = 0;
    DWORD size = maxBytes;
    std::string out;
    if (RegQueryValueExA(key.key, name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(text.data()), &size) ==
            ERROR_SUCCESS &&
        type == REG_SZ)
        out.assign(text.data(), std::min<size_t>(size, maxBytes));
    while (!out.empty() && out.back() == '\0')
        out.pop_back();
    return out;
}

void RegistrySettings::WriteUnrecordedText(const std::string& valueName, const std::string& text)
{
    KeyCloser key;
    std::string name;
    if (OpenKey(valueName, true, nullptr, &key.key, &name))
        RegSetValueExA(key.key, name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(text.data()),
                       DWORD(text.size()));
}

} // namespace Zolt
