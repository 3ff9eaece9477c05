// HKEY_CURRENT_USER as a typed tree, with the Win32 calls, types and error
// codes the program uses. Key and value names compare without regard to
// ASCII case and keep the case they were made with. Values keep exactly the
// bytes they were given, with their type.
//
// The tree lives in the file "pellucor/registry.txt" under the settings
// folder (platform::GetConfigFolder(), i.e. $XDG_CONFIG_HOME), read on first
// use and rewritten atomically after every change. A change that cannot be
// saved is undone and its call fails with ERROR_REGISTRY_IO_FAILED, and the
// reason is kept (LastRegistryError), written to the debug output and kept
// for the program to tell its user, on standard error too
// (TakeRegistryWarnings; the program keeps what it told, so a problem that
// recurs is not news to the user until a save went through,
// TakeRegistrySavedAgain). A file that cannot be taken as the
// settings (it cannot be read, is not a registry file, is cut short, or is
// larger than settings ever are, 1 MB) leaves the tree empty, is moved aside to
// "registry.txt.corrupt" (or .corrupt1, .corrupt2, ...) so nothing is lost,
// and the reason is kept and reported the same way; when it cannot even be
// moved aside, no change is saved for the rest of the run, so the file is
// never replaced. A change that would make the file larger than 1 MB is
// refused like one that cannot be saved.
//
// Failure injection (platform::testing::FailNext) by the calls' names:
// "RegOpenKeyEx", "RegCreateKeyEx", "RegQueryValueEx", "RegSetValueEx",
// "RegDeleteValue"; the code given is the error returned (0 means
// ERROR_ACCESS_DENIED).
//
// Threads: any thread; one mutex guards the tree, the open handles and the
// file.
#pragma once

#include "platform/core/Types.h"

#include <cstdint>
#include <string>
#include <vector>

namespace platform {

struct RegistryKeyObject;
using HKEY = RegistryKeyObject*;
using LSTATUS = LONG;
using REGSAM = DWORD;

inline HKEY const HKEY_CURRENT_USER = reinterpret_cast<HKEY>(uintptr_t{0x80000001u});

constexpr DWORD REG_NONE = 0;
constexpr DWORD REG_SZ = 1;
constexpr DWORD REG_EXPAND_SZ = 2;
constexpr DWORD REG_BINARY = 3;
constexpr DWORD REG_DWORD = 4;

constexpr REGSAM KEY_QUERY_VALUE = 0x0001;
constexpr REGSAM KEY_SET_VALUE = 0x0002;
constexpr REGSAM KEY_CREATE_SUB_KEY = 0x0004;
constexpr REGSAM KEY_ENUMERATE_SUB_KEYS = 0x0008;
constexpr REGSAM KEY_READ = 0x00020019;
constexpr REGSAM KEY_WRITE = 0x00020006;
constexpr REGSAM KEY_ALL_ACCESS = 0x000F003F;

constexpr DWORD REG_OPTION_NON_VOLATILE = 0;
constexpr DWORD REG_CREATED_NEW_KEY = 1;
constexpr DWORD REG_OPENED_EXISTING_KEY = 2;

constexpr LSTATUS ERROR_SUCCESS = 0;
constexpr LSTATUS ERROR_FILE_NOT_FOUND = 2;
constexpr LSTATUS ERROR_ACCESS_DENIED = 5;
constexpr LSTATUS ERROR_INVALID_HANDLE = 6;
constexpr LSTATUS ERROR_INVALID_PARAMETER = 87;
constexpr LSTATUS ERROR_MORE_DATA = 234;
constexpr LSTATUS ERROR_REGISTRY_IO_FAILED = 1016;
constexpr LSTATUS ERROR_KEY_DELETED = 1018;

// `subKey` is a path of names separated by '\' (null or "" opens the key
// itself again). ERROR_FILE_NOT_FOUND when a part is missing.
LSTATUS RegOpenKeyExA(HKEY key, const char* subKey, DWORD options, REGSAM access, HKEY* result);
// Opens the path, making the missing parts; disposition (may be null) tells
// which happened.
LSTATUS RegCreateKeyExA(HKEY key, const char* subKey, DWORD reserved, char* keyClass, DWORD options, REGSAM access,
                        void* security, HKEY* result, DWORD* disposition);
// The buffer-size protocol: with `data` null only the size is reported; with
// a buffer too small nothing is copied, *size becomes the size needed and the
// result is ERROR_MORE_DATA. A null name is the key's unnamed value.
LSTATUS RegQueryValueExA(HKEY key, const char* valueName, DWORD* reserved, DWORD* type, BYTE* data, DWORD* size);
LSTATUS RegSetValueExA(HKEY key, const char* valueName, DWORD reserved, DWORD type, const BYTE* data, DWORD size);
LSTATUS RegDeleteValueA(HKEY key, const char* valueName);
// Deletes a key that has no sub-keys (its values go with it).
LSTATUS RegDeleteKeyA(HKEY key, const char* subKey);
LSTATUS RegCloseKey(HKEY key);

// The last load or save problem, "" when there was none.
std::string LastRegistryError();
// The problems met since the last call (one that recurs at once waits only
// once), for the program to show its user. Cheap when there are none: the
// program asks at every step of its loop.
std::vector<std::string> TakeRegistryWarnings();
// True once after a save went through where the one before it failed: the
// problem told is over.
bool TakeRegistrySavedAgain();
// The file the tree is kept in.
std::string RegistryFilePath();

namespace testing {
// Forgets the tree and every open handle; the next call reads the file again
// (from the settings folder in force then).
void ResetRegistry();
} // namespace testing

} // namespace platform
