#include "platform/registry/Registry.h"

#include "platform/core/DebugOutput.h"
#include "platform/core/FileSystem.h"
#include "platform/core/Process.h"
#include "platform/core/Testing.h"
#include "platform/registry/RegistryFile.h"

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <map>
#include <mutex>
#include <optional>
#include <utility>
#include <vector>

namespace platform {

using registry::Key;
using registry::Value;

namespace {

struct OpenKey {
    std::vector<std::string> path; // below HKEY_CURRENT_USER
    REGSAM access = 0;
};

struct RegistryState {
    std::mutex mutex;
    bool loaded = false;                    // guarded by mutex
    std::string file;                       // guarded by mutex
    Key root;                               // guarded by mutex
    std::map<uintptr_t, OpenKey> handles;   // guarded by mutex
    uintptr_t nextHandle = 0x1000;          // guarded by mutex
    std::string lastError;                  // guarded by mutex
    std::vector<std::string> untaken;       // guarded by mutex: met, not yet taken as warnings
    std::atomic<bool> anyUntaken{false};
    bool lastSaveFailed = false;            // guarded by mutex
    std::atomic<bool> savedAgain{false};    // a save went through after one failed
    // Set when the file could be neither read nor moved aside: saving would
    // replace settings that may still be whole, so nothing is saved.
    std::string saveRefusal;                // guarded by mutex
};

// Settings are a few hundred bytes; a file far larger is no settings file
// the program wrote, and rewriting it at every change would take seconds.
constexpr uint64_t kMaxFileBytes = uint64_t(1) << 20;

RegistryState& State()
{
    static RegistryState state;
    return state;
}

LSTATUS Injected(std::string_view operation)
{
    int64_t code = 0;
    if (!testing::ShouldFail(operation, &code))
        return ERROR_SUCCESS;
    return code ? static_cast<LSTATUS>(code) : ERROR_ACCESS_DENIED;
}

void Report(RegistryState& s, const std::string& message)
{
    s.lastError = message;
    // A folder that cannot be written fails every save the same way: until
    // the program takes them, the same problem waits once. Whether it is
    // news to the player is the program's to know (it keeps what it told).
    if (!s.untaken.empty() && s.untaken.back() == message)
        return;
    s.untaken.push_back(message);
    s.anyUntaken = true;
    // The program tells the user (TakeRegistryWarnings), on standard error
    // too; the debug output hears of it at once.
    OutputDebugString("Registry: " + message + "\n");
}

std::string FilePathFor() { return GetConfigFolder() + "/pellucor/registry.txt"; }

// Moves an unreadable file aside so that the next save cannot overwrite it;
// "" when it cannot be moved.
std::string MoveAside(const std::string& file)
{
    for (int n = 0; n < 1000; ++n) {
        const std::string backup = file + ".corrupt" + (n ? std::to_string(n) : "");
        if (!FileExists(backup))
            return MoveFile(file, backup, false) ? backup : std::string();
    }
    return {};
}

// Why the file cannot be taken as the settings ("" when it was read into
// the tree).
std::string LoadProblem(RegistryState& s)
{
    const std::optional<uint64_t> size = FileSize(s.file);
    if (size && *size > kMaxFileBytes)
        return "the file holds " + std::to_string(*size) + " bytes, more than settings ever take (" +
               std::to_string(kMaxFileBytes) + ")";
    std::string text;
    if (!ReadWholeFile(s.file, &text))
        return "the file cannot be read (" + DescribeOpenError(errno) + ")";
    std::string error;
    if (!registry::Parse(text, &s.root, &error))
        return error;
    return {};
}

void EnsureLoaded(RegistryState& s)
{
    if (s.loaded)
        return;
    s.loaded = true;
    s.file = FilePathFor();
    RemoveInterruptedWrites(s.file.substr(0, s.file.find_last_of('/')));
    if (!FileExists(s.file))
        return;
    const std::string problem = LoadProblem(s);
    if (problem.empty())
        return;
    // Whatever is wrong with it, the file is kept: moved aside, or, when
    // even that fails, left in place and never saved over.
    const std::string backup = MoveAside(s.file);
    if (backup.empty())
        s.saveRefusal = s.file + " could not be read or moved aside, and is not saved over";
    Report(s, s.file + ": " + problem + "; starting with empty settings" +
                  (backup.empty() ? "; changes will not be saved, so that the file is kept as it is"
                                  : "; the old file was kept as " + backup));
}

bool Save(RegistryState& s)
{
    const bool failedBefore = std::exchange(s.lastSaveFailed, true);
    if (!s.saveRefusal.empty()) {
        Report(s, s.saveRefusal + "; the change was not saved");
        return false;
    }
    const std::string text = registry::Serialize(s.root);
    if (text.size() > kMaxFileBytes) {
        Report(s, "the settings would grow past " + std::to_string(kMaxFileBytes) +
                      " bytes; the change was not saved");
        return false;
    }
    const std::string folder = s.file.substr(0, s.file.find_last_of('/'));
    if (!MakeDirectories(folder)) {
        Report(s, "cannot make the folder " + folder + "; the change was not saved");
        return false;
    }
    FileError error;
    if (!WriteFileAtomic(s.file, text, &error)) {
        // The file's own failure is said once, with its path; a step on
        // another path (the temporary file beside it) names that path too.
        Report(s, "cannot save " + s.file +
                      (error.path == s.file ? ": " + error.Reason() : " (" + error.Text() + ")") +
                      "; the change was not saved");
        return false;
    }
    s.lastSaveFailed = false;
    if (failedBefore)
        s.savedAgain = true;
    return true;
}

std::vector<std::string> SplitPath(const char* subKey)
{
    std::vector<std::string> parts;
    if (!subKey)
        return parts;
    std::string part;
    for (const char* p = subKey; *p; ++p) {
        if (*p == '\\') {
            if (!part.empty())
                parts.push_back(part);
            part.clear();
        } else {
            part += *p;
        }
    }
    if (!part.empty())
        parts.push_back(part);
    return parts;
}

// The path an HKEY stands for; false for a handle that is not open.
bool PathOf(RegistryState& s, HKEY key, std::vector<std::string>* path, REGSAM* access)
{
    if (key == HKEY_CURRENT_USER) {
        path->clear();
        *access = KEY_ALL_ACCESS;
        return true;
    }
    auto it = s.handles.find(reinterpret_cast<uintptr_t>(key));
    if (it == s.handles.end())
        return false;
    *path = it->second.path;
    *access = it->second.access;
    return true;
}

Key* Walk(Key& root, const std::vector<std::string>& path)
{
    Key* k = &root;
    for (const std::string& part : path) {
        auto it = k->subKeys.find(part);
        if (it == k->subKeys.end())
            return nullptr;
        k = it->second.get();
    }
    return k;
}

HKEY NewHandle(RegistryState& s, std::vector<std::string> path, REGSAM access)
{
    const uintptr_t handle = s.nextHandle;
    s.nextHandle += 4;
    s.handles[handle] = OpenKey{std::move(path), access};
    return reinterpret_cast<HKEY>(handle);
}

// Resolves a handle to its key for a value operation.
LSTATUS KeyFor(RegistryState& s, HKEY key, REGSAM needed, Key** result)
{
    std::vector<std::string> path;
    REGSAM access = 0;
    if (!PathOf(s, key, &path, &access))
        return ERROR_INVALID_HANDLE;
    if ((access & needed) != needed)
        return ERROR_ACCESS_DENIED;
    *result = Walk(s.root, path);
    return *result ? ERROR_SUCCESS : ERROR_KEY_DELETED;
}

// Runs `body` on the key a value operation names, under the registry lock,
// after any injected failure and the access check.
template <class Body>
LSTATUS WithValueKey(std::string_view operation, HKEY key, REGSAM needed, Body body)
{
    if (LSTATUS injected = Injected(operation))
        return injected;
    RegistryState& s = State();
    std::lock_guard<std::mutex> lock(s.mutex);
    EnsureLoaded(s);
    Key* k = nullptr;
    if (LSTATUS status = KeyFor(s, key, needed, &k))
        return status;
    return body(s, k);
}

// Runs `body` on the path of the open key a subkey operation starts from,
// under the registry lock; *result is cleared first.
template <class Body>
LSTATUS WithKeyPath(std::string_view operation, HKEY key, HKEY* result, Body body)
{
    if (!result)
        return ERROR_INVALID_PARAMETER;
    *result = nullptr;
    if (LSTATUS injected = Injected(operation))
        return injected;
    RegistryState& s = State();
    std::lock_guard<std::mutex> lock(s.mutex);
    EnsureLoaded(s);
    std::vector<std::string> path;
    REGSAM parentAccess = 0;
    if (!PathOf(s, key, &path, &parentAccess))
        return ERROR_INVALID_HANDLE;
    return body(s, path);
}

} // namespace

LSTATUS RegOpenKeyExA(HKEY key, const char* subKey, DWORD, REGSAM access, HKEY* result)
{
    return WithKeyPath("RegOpenKeyEx", key, result, [&](RegistryState& s, std::vector<std::string>& path) -> LSTATUS {
        for (std::string& part : SplitPath(subKey))
            path.push_back(std::move(part));
        if (!Walk(s.root, path))
            return ERROR_FILE_NOT_FOUND;
        *result = NewHandle(s, std::move(path), access);
        return ERROR_SUCCESS;
    });
}

LSTATUS RegCreateKeyExA(HKEY key, const char* subKey, DWORD, char*, DWORD, REGSAM access, void*, HKEY* result,
                        DWORD* disposition)
{
    return WithKeyPath("RegCreateKeyEx", key, result, [&](RegistryState& s, std::vector<std::string>& path) -> LSTATUS {
        Key* k = Walk(s.root, path);
        if (!k)
            return ERROR_KEY_DELETED;
        // Make what is missing, remembering the first new key to undo a failed save.
        Key* firstParent = nullptr;
        std::string firstName;
        for (const std::string& part : SplitPath(subKey)) {
            path.push_back(part);
            auto& slot = k->subKeys[part];
            if (!slot) {
                if (!firstParent) {
                    firstParent = k;
                    firstName = part;
                }
                slot = std::make_unique<Key>();
                slot->name = part;
            }
            k = slot.get();
        }
        if (firstParent && !Save(s)) {
            firstParent->subKeys.erase(firstName);
            return ERROR_REGISTRY_IO_FAILED;
        }
        if (disposition)
            *disposition = firstParent ? REG_CREATED_NEW_KEY : REG_OPENED_EXISTING_KEY;
        *result = NewHandle(s, std::move(path), access);
        return ERROR_SUCCESS;
    });
}

LSTATUS RegQueryValueExA(HKEY key, const char* valueName, DWORD*, DWORD* type, BYTE* data, DWORD* size)
{
    if (data && !size)
        return ERROR_INVALID_PARAMETER;
    return WithValueKey("RegQueryValueEx", key, KEY_QUERY_VALUE, [&](RegistryState&, Key* k) -> LSTATUS {
        auto it = k->values.find(valueName ? valueName : "");
        if (it == k->values.end())
            return ERROR_FILE_NOT_FOUND;
        const Value& v = it->second;
        const auto length = static_cast<DWORD>(v.data.size());
        if (type)
            *type = v.type;
        if (!data) {
            if (size)
                *size = length;
            return ERROR_SUCCESS;
        }
        if (*size < length) {
            *size = length;
            return ERROR_MORE_DATA;
        }
        if (length)
            std::memcpy(data, v.data.data(), length);
        *size = length;
        return ERROR_SUCCESS;
    });
}

LSTATUS RegSetValueExA(HKEY key, const char* valueName, DWORD, DWORD type, const BYTE* data, DWORD size)
{
    if (!data && size)
        return ERROR_INVALID_PARAMETER;
    return WithValueKey("RegSetValueEx", key, KEY_SET_VALUE, [&](RegistryState& s, Key* k) -> LSTATUS {
        const std::string name = valueName ? valueName : "";
        std::optional<Value> previous;
        if (auto it = k->values.find(name); it != k->values.end())
            previous = it->second;
        Value& v = k->values[name];
        if (v.name.empty())
            v.name = name;
        v.type = type;
        v.data.assign(data, data + size);
        if (!Save(s)) {
            if (previous)
                k->values[name] = *previous;
            else
                k->values.erase(name);
            return ERROR_REGISTRY_IO_FAILED;
        }
        return ERROR_SUCCESS;
    });
}

LSTATUS RegDeleteValueA(HKEY key, const char* valueName)
{
    return WithValueKey("RegDeleteValue", key, KEY_SET_VALUE, [&](RegistryState& s, Key* k) -> LSTATUS {
        auto it = k->values.find(valueName ? valueName : "");
        if (it == k->values.end())
            return ERROR_FILE_NOT_FOUND;
        Value removed = it->second;
        k->values.erase(it);
        if (!Save(s)) {
            k->values[removed.name] = removed;
            return ERROR_REGISTRY_IO_FAILED;
        }
        return ERROR_SUCCESS;
    });
}

LSTATUS RegDeleteKeyA(HKEY key, const char* subKey)
{
    RegistryState& s = State();
    std::lock_guard<std::mutex> lock(s.mutex);
    EnsureLoaded(s);
    std::vector<std::string> path;
    REGSAM access = 0;
    if (!PathOf(s, key, &path, &access))
        return ERROR_INVALID_HANDLE;
    const std::vector<std::string> parts = SplitPath(subKey);
    if (parts.empty())
        return ERROR_INVALID_PARAMETER;
    for (const std::string& part : parts)
        path.push_back(part);
    const std::string leaf = path.back();
    path.pop_back();
    Key* parent = Walk(s.root, path);
    if (!parent)
        return ERROR_FILE_NOT_FOUND;
    auto it = parent->subKeys.find(leaf);
    if (it == parent->subKeys.end())
        return ERROR_FILE_NOT_FOUND;
    if (!it->second->subKeys.empty())
        return ERROR_ACCESS_DENIED;
    std::unique_ptr<Key> removed = std::move(it->second);
    parent->subKeys.erase(it);
    if (!Save(s)) {
        const std::string name = removed->name;
        parent->subKeys[name] = std::move(removed);
        return ERROR_REGISTRY_IO_FAILED;
    }
    return ERROR_SUCCESS;
}

LSTATUS RegCloseKey(HKEY key)
{
    if (key == HKEY_CURRENT_USER)
        return ERROR_SUCCESS;
    RegistryState& s = State();
    std::lock_guard<std::mutex> lock(s.mutex);
    return s.handles.erase(reinterpret_cast<uintptr_t>(key)) ? ERROR_SUCCESS : ERROR_INVALID_HANDLE;
}

std::string LastRegistryError()
{
    RegistryState& s = State();
    std::lock_guard<std::mutex> lock(s.mutex);
    EnsureLoaded(s);
    return s.lastError;
}

bool TakeRegistrySavedAgain()
{
    return State().savedAgain.exchange(false);
}

std::vector<std::string> TakeRegistryWarnings()
{
    RegistryState& s = State();
    if (!s.anyUntaken)
        return {};
    std::lock_guard<std::mutex> lock(s.mutex);
    s.anyUntaken = false;
    return std::exchange(s.untaken, {});
}

std::string RegistryFilePath()
{
    RegistryState& s = State();
    std::lock_guard<std::mutex> lock(s.mutex);
    return s.loaded ? s.file : FilePathFor();
}

namespace testing {

void ResetRegistry()
{
    RegistryState& s = State();
    std::lock_guard<std::mutex> lock(s.mutex);
    s.loaded = false;
    s.file.clear();
    s.root = Key{};
    s.handles.clear();
    s.lastError.clear();
    s.saveRefusal.clear();
    s.untaken.clear();
    s.lastSaveFailed = false;
    s.savedAgain = false;
    s.anyUntaken = false;
}

} // namespace testing

} // namespace platform
