// Registry settings and the command line. Every settings read and write of
// the program goes through the Reg* primitives here: they are the places a
// demo records what the registry said and replays it. Main thread.
#include "framework/app/ZoltAppBase.h"

#include "framework/app/DemoRecorder.h"
#include "framework/base/PathUtils.h"
#include "platform/core/FileSystem.h"
#include "platform/core/Process.h"
#include "platform/registry/Registry.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <set>

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

// The key of the value (the application key, plus the sub-key part of the
// value name) and the value's own name. False when settings are off.
bool ZoltAppBase::OpenRegistryKey(const std::string& valueName, bool write, RegistryKeyObject* root, HKEY* key,
                                  std::string* name)
{
    std::string path = registryKey;
    while (!path.empty() && path.back() == '\\')
        path.pop_back();
    if (path.empty())
        return false;
    registryRoot_ = "SOFTWARE\\" + path;
    path = registryRoot_;
    *name = valueName;
    const size_t slash = valueName.rfind('\\');
    if (slash != std::string::npos) {
        path += "\\" + valueName.substr(0, slash);
        *name = valueName.substr(slash + 1);
    }
    HKEY base = root ? root : HKEY_CURRENT_USER;
    if (!write)
        return RegOpenKeyExA(base, path.c_str(), 0, KEY_READ, key) == ERROR_SUCCESS;
    if (RegOpenKeyExA(base, path.c_str(), 0, KEY_WRITE, key) == ERROR_SUCCESS)
        return true;
    char keyClass[] = "Key";
    return RegCreateKeyExA(base, path.c_str(), 0, keyClass, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, nullptr, key,
                           nullptr) == ERROR_SUCCESS;
}

bool ZoltAppBase::RegWriteValue(const std::string& valueName, uint32_t type, const void* data, uint32_t length)
{
    if (registryKey.empty())
        return false;
    if (demo_->IsPlaying())
        return demo_->IsFeeding() ? demo_->ReplayRegistryWrite() : true;
    KeyCloser key;
    std::string name;
    bool ok = OpenRegistryKey(valueName, true, nullptr, &key.key, &name);
    // A value that could not be stored is reported as not written.
    if (ok)
        ok = RegSetValueExA(key.key, name.c_str(), 0, type, static_cast<const BYTE*>(data), length) == ERROR_SUCCESS;
    if (demo_->IsRecording())
        demo_->RecordRegistryWrite(ok);
    return ok;
}

bool ZoltAppBase::RegWriteText(const std::string& valueName, const std::string& text)
{
    return RegWriteValue(valueName, REG_SZ, text.data(), uint32_t(text.size()));
}

bool ZoltAppBase::RegWriteNumber(const std::string& valueName, int value)
{
    const int32_t v = value;
    return RegWriteValue(valueName, REG_DWORD, &v, 4);
}

bool ZoltAppBase::RegWriteFlag(const std::string& valueName, bool value) { return RegWriteNumber(valueName, value ? 1 : 0); }

bool ZoltAppBase::RegReadValueAt(const std::string& valueName, uint32_t* type, void* buffer, uint32_t* length,
                                 RegistryKeyObject* root)
{
    if (registryKey.empty())
        return false;
    if (demo_->IsPlaying())
        return demo_->IsFeeding() && demo_->ReplayRegistryRead(type, buffer, length);
    KeyCloser key;
    std::string name;
    DWORD valueType = 0;
    DWORD size = length ? *length : 0;
    bool ok = OpenRegistryKey(valueName, false, root, &key.key, &name) &&
              RegQueryValueExA(key.key, name.c_str(), nullptr, &valueType, static_cast<BYTE*>(buffer), &size) ==
                  ERROR_SUCCESS;
    if (ok) {
        if (type)
            *type = valueType;
        if (length)
            *length = size;
    }
    if (demo_->IsRecording())
        demo_->RecordRegistryRead(ok, valueType, buffer, ok ? size : 0);
    return ok;
}

bool ZoltAppBase::RegReadValue(const std::string& valueName, uint32_t* type, void* buffer, uint32_t* length)
{
    return RegReadValueAt(valueName, type, buffer, length, HKEY_CURRENT_USER);
}

bool ZoltAppBase::RegReadText(const std::string& valueName, std::string& out)
{
    // One byte more than is asked for, so the text always has its end.
    char buffer[kTextBufferSize + 1] = {};
    uint32_t type = 0;
    uint32_t length = kTextBufferSize;
    if (!RegReadValue(valueName, &type, buffer, &length) || type != REG_SZ)
        return false;
    length = std::min(length, kTextBufferSize);
    buffer[length] = '\0';
    out.assign(buffer, std::strlen(buffer));
    return true;
}

bool ZoltAppBase::RegReadNumber(const std::string& valueName, int& out)
{
    int32_t value = 0;
    uint32_t type = 0;
    uint32_t length = 4;
    if (!RegReadValue(valueName, &type, &value, &length) || type != REG_DWORD || length != 4)
        return false;
    out = value;
    return true;
}

bool ZoltAppBase::RegReadFlag(const std::string& valueName, bool& out)
{
    int value = 0;
    if (!RegReadNumber(valueName, value))
        return false;
    out = value != 0;
    return true;
}

bool ZoltAppBase::RegEraseValue(const std::string& valueName)
{
    if (registryKey.empty())
        return false;
    KeyCloser key;
    std::string name;
    return OpenRegistryKey(valueName, true, nullptr, &key.key, &name) &&
           RegDeleteValueA(key.key, name.c_str()) == ERROR_SUCCESS;
}

void ZoltAppBase::ReadSettings()
{
    settingsRead_ = true;
    auto key = strings_.find("RegistryKey");
    if (key != strings_.end()) {
        std::string narrow;
        for (wchar_t c : key->second)
            narrow += char(c);
        registryKey = narrow;
    }
    if (registryKey.empty())
        return;
    int value = 0;
    if (RegReadNumber("MusicVolume", value))
        musicVolume = value / 100.0;
    if (RegReadNumber("SfxVolume", value))
        effectsVolume = value / 100.0;
    if (RegReadNumber("Muted", value))
        muteCount_ = value;
    RegReadNumber("PreferredX", preferredX);
    RegReadNumber("PreferredY", preferredY);
    bool flag = false;
    if (RegReadFlag("CustomCursors", flag))
        SetCustomCursors(flag);
    RegReadFlag("WaitForVSync", waitForVSync);
    RegReadNumber("InProgress", value);
    if (!screenSaverMode_)
        RegWriteNumber("InProgress", 1);
}

void ZoltAppBase::WriteSettings()
{
    RegWriteNumber("PreferredX", preferredX);
    RegWriteNumber("PreferredY", preferredY);
    RegWriteNumber("CustomCursors", customCursorsOn_ ? 1 : 0);
}

void ZoltAppBase::ReadStartOptions()
{
    const std::string line = GetCommandLine();
    size_t pos = 0;
    if (!line.empty() && line[0] == '"') {
        const size_t close = line.find('"', 1);
        if (close == std::string::npos)
            return;
        pos = close + 1;
    }
    const size_t space = line.find(' ', pos);
    if (space == std::string::npos)
        return;
    SplitStartOptions(line.substr(space + 1));
}

void ZoltAppBase::SplitStartOptions(const std::string& text)
{
    std::string name;
    std::string value;
    bool quoted = false;
    bool inValue = false;
    auto finish = [&] {
        if (!name.empty())
            ApplyStartOption(name, value);
        name.clear();
        value.clear();
        inValue = false;
    };
    for (char c : text) {
        if (c == '"') {
            quoted = !quoted;
        } else if (c == ' ' && !quoted) {
            finish();
        } else if (c == '=' && !inValue) {
            inValue = true;
        } else {
            (inValue ? value : name) += c;
        }
    }
    finish();
}

void ZoltAppBase::ApplyStartOption(const std::string& name, const std::string& value)
{
    if (name == "-play") {
        demo_->StartPlaying();
    } else if (name == "-record") {
        demo_->StartRecording();
    } else if (name == "-demofile") {
        demo_->SetFileName(value.size() >= 2 && !IsAbsolutePath(value) ? Zolt::GetAppDataFolder() + value : value);
    } else if (name == "-recnum") {
        int count = std::atoi(value.c_str());
        if (count < 1)
            count = 5;
        const int highest = DemoFileNameFor(count, true);
        demo_->SetFileName(demoBaseName + std::to_string(highest + 1) + ".dmo");
        demo_->StartRecording();
    } else if (name == "-playnum") {
        int back = std::atoi(value.c_str());
        if (back < 1)
            back = 1;
        const int highest = DemoFileNameFor(0, false);
        demo_->SetFileName(demoBaseName + std::to_string(highest - (back - 1)) + ".dmo");
        demo_->StartPlaying();
    } else if (name == "-screensaver") {
        screenSaverMode_ = true;
    } else if (name == "-changedir") {
        startDirectory = value;
    } else if (name == "-crash") {
        RaiseCrashReport();
    } else {
        ShowError(LookupTextNarrow("INVALID_COMMANDLINE_PARAM", "Invalid command line parameter: ") + name);
        FatalExit(0);
    }
}

} // namespace Zolt
