#include "platform/core/ModuleRegistry.h"

#include "platform/core/Testing.h"

#include <map>
#include <memory>
#include <mutex>
#include <set>

namespace platform {

struct LoadedModule {
    std::string name;                                    // as registered
    std::map<std::string, ModuleProc, std::less<>> entries; // exact names, as GetProcAddress
    bool registered = false;
    int references = 0;
};

namespace {

// Library names compare without case and without any folder in front.
std::string ModuleKey(std::string_view fileName)
{
    size_t slash = fileName.find_last_of("\\/");
    if (slash != std::string_view::npos)
        fileName.remove_prefix(slash + 1);
    std::string key(fileName);
    for (char& c : key)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return key;
}

struct Registry {
    std::mutex mutex;
    // Records are never deleted, so handles stay valid for the process.
    std::map<std::string, std::unique_ptr<LoadedModule>, std::less<>> modules; // guarded by mutex
    std::set<std::string, std::less<>> hiddenModules;                         // guarded by mutex
    std::set<std::pair<std::string, std::string>> hiddenEntries;              // guarded by mutex
};

Registry& TheRegistry()
{
    static Registry registry;
    return registry;
}

} // namespace

void RegisterModule(std::string_view name, const std::vector<ModuleEntry>& entries)
{
    Registry& r = TheRegistry();
    std::lock_guard<std::mutex> lock(r.mutex);
    std::unique_ptr<LoadedModule>& module = r.modules[ModuleKey(name)];
    if (!module)
        module = std::make_unique<LoadedModule>();
    module->name = std::string(name);
    module->entries.clear();
    for (const ModuleEntry& e : entries)
        if (e.name && e.proc)
            module->entries[e.name] = e.proc;
    module->registered = true;
}

void UnregisterModule(std::string_view name)
{
    Registry& r = TheRegistry();
    std::lock_guard<std::mutex> lock(r.mutex);
    auto it = r.modules.find(ModuleKey(name));
    if (it == r.modules.end())
        return;
    it->second->registered = false;
    it->second->entries.clear();
}

HMODULE LoadModule(std::string_view fileName)
{
    // Our replacement libraries live in the platform's static library, where
    // nothing would pull a file holding only a static registration into the
    // program; they are registered here, once, on first use instead.
    static std::once_flag builtIns;
    std::call_once(builtIns, RegisterBuiltInModules);
    if (fileName.empty() || testing::ShouldFail("LoadModule"))
        return nullptr;
    Registry& r = TheRegistry();
    std::string key = ModuleKey(fileName);
    std::lock_guard<std::mutex> lock(r.mutex);
    if (r.hiddenModules.count(key))
        return nullptr;
    auto it = r.modules.find(key);
    if (it == r.modules.end() || !it->second->registered)
        return nullptr;
    ++it->second->references;
    return it->second.get();
}

ModuleProc GetEntry(HMODULE module, std::string_view entryName)
{
    if (!module)
        return nullptr;
    Registry& r = TheRegistry();
    std::lock_guard<std::mutex> lock(r.mutex);
    if (r.hiddenEntries.count({ModuleKey(module->name), std::string(entryName)}))
        return nullptr;
    auto it = module->entries.find(entryName);
    return it == module->entries.end() ? nullptr : it->second;
}

bool FreeModule(HMODULE module)
{
    if (!module)
        return false;
    Registry& r = TheRegistry();
    std::lock_guard<std::mutex> lock(r.mutex);
    if (module->references <= 0)
        return false;
    --module->references;
    return true;
}

std::string ModuleName(HMODULE module)
{
    if (!module)
        return {};
    Registry& r = TheRegistry();
    std::lock_guard<std::mutex> lock(r.mutex);
    return module->name;
}

namespace testing {

void HideModule(std::string_view name, bool hidden)
{
    Registry& r = TheRegistry();
    std::lock_guard<std::mutex> lock(r.mutex);
    if (hidden)
        r.hiddenModules.insert(ModuleKey(name));
    else
        r.hiddenModules.erase(ModuleKey(name));
}

void HideModuleEntry(std::string_view moduleName, std::string_view entryName, bool hidden)
{
    Registry& r = TheRegistry();
    std::lock_guard<std::mutex> lock(r.mutex);
    std::pair<std::string, std::string> key{ModuleKey(moduleName), std::string(entryName)};
    if (hidden)
        r.hiddenEntries.insert(std::move(key));
    else
        r.hiddenEntries.erase(key);
}

void ClearModuleHiding()
{
    Registry& r = TheRegistry();
    std::lock_guard<std::mutex> lock(r.mutex);
    r.hiddenModules.clear();
    r.hiddenEntries.clear();
}

int ModuleReferenceCount(std::string_view name)
{
    Registry& r = TheRegistry();
    std::lock_guard<std::mutex> lock(r.mutex);
    auto it = r.modules.find(ModuleKey(name));
    return it == r.modules.end() ? 0 : it->second->references;
}

} // namespace testing
} // namespace platform
