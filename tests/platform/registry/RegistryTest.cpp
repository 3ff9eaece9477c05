#include "platform/core/DebugOutput.h"
#include "platform/core/FileSystem.h"
#include "platform/core/Process.h"
#include "platform/core/Testing.h"
#include "platform/registry/Registry.h"
#include "tests/support/PipeWatch.h"
#include "tests/support/PlatformTesting.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <memory>
#include <unistd.h>

namespace platform::testing {
namespace {

// Every test keeps its registry in a folder of its own.
class Registry : public ::testing::Test {
protected:
    void SetUp() override
    {
        saved_ = GetEnvironmentVariable("XDG_CONFIG_HOME");
        SetEnvironmentVariable("XDG_CONFIG_HOME", folder_.Path());
        ResetRegistry();
        ClearFailures();
    }
    void TearDown() override
    {
        ResetRegistry();
        ClearFailures();
        SetEnvironmentVariable("XDG_CONFIG_HOME", saved_);
    }

    std::string File() const { return folder_ / "pellucor/registry.txt"; }

    static HKEY Create(const char* path)
    {
        HKEY key = nullptr;
        EXPECT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, path, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS,
                                  nullptr, &key, nullptr),
                  ERROR_SUCCESS);
        return key;
    }

    static void SetNumber(HKEY key, const char* name, DWORD value)
    {
        ASSERT_EQ(RegSetValueExA(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), 4), ERROR_SUCCESS);
    }

    static std::optional<DWORD> Number(const char* path, const char* name)
    {
        HKEY key = nullptr;
        if (RegOpenKeyExA(HKEY_CURRENT_USER, path, 0, KEY_READ, &key) != ERROR_SUCCESS)
            return std::nullopt;
        DWORD value = 0;
        DWORD type = 0;
        DWORD size = sizeof value;
        const LSTATUS status = RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE*>(&value), &size);
        RegCloseKey(key);
        if (status != ERROR_SUCCESS || type != REG_DWORD)
            return std::nullopt;
        return value;
    }

    ScopedTempFolder folder_;
    std::optional<std::string> saved_;
};

TEST_F(Registry, ValuesOfEveryTypeSurviveARestartByteForByte)
{
    HKEY key = Create("SOFTWARE\\Zolt\\Pellucor");
    SetNumber(key, "MusicVolume", 85);
    const char text[] = "Tahoma 8, 100%\n\"quoted\"";
    ASSERT_EQ(RegSetValueExA(key, "Font", 0, REG_SZ, reinterpret_cast<const BYTE*>(text), sizeof text), ERROR_SUCCESS);
    const BYTE blob[] = {0, 1, 0x25, 0x20, 0xFF};
    ASSERT_EQ(RegSetValueExA(key, "Blob", 0, REG_BINARY, blob, sizeof blob), ERROR_SUCCESS);
    ASSERT_EQ(RegSetValueExA(key, "Odd name %", 0, REG_SZ, nullptr, 0), ERROR_SUCCESS);
    RegCloseKey(key);

    ResetRegistry(); // as a new run
    EXPECT_EQ(Number("software\\zolt\\PELLUCOR", "musicvolume"), 85u) << "names compare without case";
    HKEY again = nullptr;
    ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, "SOFTWARE\\Zolt\\Pellucor", 0, KEY_READ, &again), ERROR_SUCCESS);
    BYTE buffer[64];
    DWORD type = 0;
    DWORD size = sizeof buffer;
    ASSERT_EQ(RegQueryValueExA(again, "Font", nullptr, &type, buffer, &size), ERROR_SUCCESS);
    EXPECT_EQ(type, REG_SZ);
    ASSERT_EQ(size, sizeof text);
    EXPECT_EQ(std::memcmp(buffer, text, size), 0);
    size = sizeof buffer;
    ASSERT_EQ(RegQueryValueExA(again, "Blob", nullptr, &type, buffer, &size), ERROR_SUCCESS);
    EXPECT_EQ(type, REG_BINARY);
    ASSERT_EQ(size, sizeof blob);
    EXPECT_EQ(std::memcmp(buffer, blob, size), 0);
    size = sizeof buffer;
    EXPECT_EQ(RegQueryValueExA(again, "odd NAME %", nullptr, &type, buffer, &size), ERROR_SUCCESS);
    EXPECT_EQ(size, 0u);
    RegCloseKey(again);
    EXPECT_EQ(LastRegistryError(), "");
}

TEST_F(Registry, QueriesFollowTheBufferSizeProtocol)
{
    HKEY key = Create("SOFTWARE\\P");
    const char text[] = "0123456789";
    RegSetValueExA(key, "T", 0, REG_SZ, reinterpret_cast<const BYTE*>(text), 10);
    DWORD type = 0;
    DWORD size = 0;
    ASSERT_EQ(RegQueryValueExA(key, "T", nullptr, &type, nullptr, &size), ERROR_SUCCESS);
    EXPECT_EQ(size, 10u);
    BYTE small[4] = {'x', 'x', 'x', 'x'};
    size = sizeof small;
    EXPECT_EQ(RegQueryValueExA(key, "T", nullptr, &type, small, &size), ERROR_MORE_DATA);
    EXPECT_EQ(size, 10u) << "the size needed";
    EXPECT_EQ(small[0], 'x') << "nothing was copied";
    EXPECT_EQ(RegQueryValueExA(key, "T", nullptr, &type, small, nullptr), ERROR_INVALID_PARAMETER);
    EXPECT_EQ(RegQueryValueExA(key, "Missing", nullptr, &type, nullptr, &size), ERROR_FILE_NOT_FOUND);
    RegCloseKey(key);
}

TEST_F(Registry, KeysMustExistToBeOpenedAndCreationSaysWhatItDid)
{
    HKEY key = nullptr;
    EXPECT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, "SOFTWARE\\Nobody", 0, KEY_READ, &key), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(key, nullptr);
    DWORD disposition = 0;
    ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, "SOFTWARE\\Zolt\\Test3D", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                              &disposition),
              ERROR_SUCCESS);
    EXPECT_EQ(disposition, REG_CREATED_NEW_KEY);
    RegCloseKey(key);
    ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, "software\\zolt", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                              &disposition),
              ERROR_SUCCESS);
    EXPECT_EQ(disposition, REG_OPENED_EXISTING_KEY);
    HKEY sub = nullptr;
    EXPECT_EQ(RegOpenKeyExA(key, "TEST3D", 0, KEY_READ, &sub), ERROR_SUCCESS) << "relative to an open key";
    RegCloseKey(sub);
    EXPECT_EQ(RegCloseKey(key), ERROR_SUCCESS);
    EXPECT_EQ(RegCloseKey(key), ERROR_INVALID_HANDLE);
    EXPECT_EQ(RegQueryValueExA(key, "x", nullptr, nullptr, nullptr, nullptr), ERROR_INVALID_HANDLE);
}

TEST_F(Registry, AKeyOpenedForReadingCannotBeWritten)
{
    HKEY write = Create("SOFTWARE\\P");
    SetNumber(write, "Is3D", 1);
    RegCloseKey(write);
    HKEY read = nullptr;
    RegOpenKeyExA(HKEY_CURRENT_USER, "SOFTWARE\\P", 0, KEY_READ, &read);
    const DWORD zero = 0;
    EXPECT_EQ(RegSetValueExA(read, "Is3D", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&zero), 4),
              ERROR_ACCESS_DENIED);
    EXPECT_EQ(RegDeleteValueA(read, "Is3D"), ERROR_ACCESS_DENIED);
    RegCloseKey(read);
    EXPECT_EQ(Number("SOFTWARE\\P", "Is3D"), 1u);
}

TEST_F(Registry, DeletingAValueOrKeyLastsAndOldHandlesNoticeTheKeyWentAway)
{
    HKEY key = Create("SOFTWARE\\P\\Test3D");
    SetNumber(key, "Version", 2);
    HKEY parent = Create("SOFTWARE\\P");
    SetNumber(parent, "Is3D", 1);
    EXPECT_EQ(RegDeleteValueA(parent, "IS3D"), ERROR_SUCCESS);
    EXPECT_EQ(RegDeleteValueA(parent, "Is3D"), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(RegDeleteKeyA(HKEY_CURRENT_USER, "SOFTWARE\\P"), ERROR_ACCESS_DENIED) << "it still has a sub-key";
    EXPECT_EQ(RegDeleteKeyA(parent, "Test3D"), ERROR_SUCCESS);
    EXPECT_EQ(RegQueryValueExA(key, "Version", nullptr, nullptr, nullptr, nullptr), ERROR_KEY_DELETED);
    RegCloseKey(key);
    RegCloseKey(parent);
    ResetRegistry();
    EXPECT_FALSE(Number("SOFTWARE\\P", "Is3D"));
    EXPECT_FALSE(Number("SOFTWARE\\P\\Test3D", "Version"));
    EXPECT_TRUE(FileExists(File()));
}

TEST_F(Registry, EveryCallCanBeMadeToFailWithTheCodeGivenAndChangesNothing)
{
    HKEY key = Create("SOFTWARE\\P");
    SetNumber(key, "PreferredX", 64);
    FailNext("RegOpenKeyEx", ERROR_ACCESS_DENIED);
    EXPECT_FALSE(Number("SOFTWARE\\P", "PreferredX"));
    FailNext("RegQueryValueEx", ERROR_FILE_NOT_FOUND);
    EXPECT_FALSE(Number("SOFTWARE\\P", "PreferredX"));
    FailNext("RegSetValueEx", 0);
    const DWORD other = 7;
    EXPECT_EQ(RegSetValueExA(key, "PreferredX", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&other), 4),
              ERROR_ACCESS_DENIED);
    EXPECT_EQ(Number("SOFTWARE\\P", "PreferredX"), 64u);
    FailNext("RegCreateKeyEx", 5);
    HKEY none = nullptr;
    EXPECT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, "SOFTWARE\\Q", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &none, nullptr), 5);
    EXPECT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, "SOFTWARE\\Q", 0, KEY_READ, &none), ERROR_FILE_NOT_FOUND);
    RegCloseKey(key);
}

TEST_F(Registry, AChangeThatCannotBeSavedIsUndoneAndReported)
{
    HKEY key = Create("SOFTWARE\\P");
    SetNumber(key, "PreferredX", 64);
    const std::string before = ReadTestFile(File());

    FailNext("WriteFileAtomic.Rename", 28); // the disk is full
    const DWORD moved = 300;
    EXPECT_EQ(RegSetValueExA(key, "PreferredX", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&moved), 4),
              ERROR_REGISTRY_IO_FAILED);
    EXPECT_NE(LastRegistryError().find("not saved"), std::string::npos) << LastRegistryError();
    EXPECT_EQ(Number("SOFTWARE\\P", "PreferredX"), 64u) << "the tree agrees with the file";
    EXPECT_EQ(ReadTestFile(File()), before);

    FailNext("WriteFileAtomic.Write", 28);
    HKEY made = nullptr;
    EXPECT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, "SOFTWARE\\New", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &made,
                              nullptr),
              ERROR_REGISTRY_IO_FAILED);
    EXPECT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, "SOFTWARE\\New", 0, KEY_READ, &made), ERROR_FILE_NOT_FOUND);
    RegCloseKey(key);
}

TEST_F(Registry, ACorruptFileGivesEmptySettingsAndIsKeptAside)
{
    const std::string garbage = "pellucor-registry 1\nkey SOFTWARE\\P\nvalue Muted 4 %0\n";
    ASSERT_TRUE(MakeDirectories(folder_ / "pellucor"));
    WriteTestFile(File(), garbage);

    EXPECT_FALSE(Number("SOFTWARE\\P", "Muted"));
    const std::string error = LastRegistryError();
    EXPECT_NE(error.find("line 3"), std::string::npos) << error;
    EXPECT_NE(error.find("registry.txt.corrupt"), std::string::npos) << error;
    EXPECT_EQ(ReadTestFile(File() + ".corrupt"), garbage);

    HKEY key = Create("SOFTWARE\\P");
    SetNumber(key, "Muted", 1);
    RegCloseKey(key);
    EXPECT_EQ(ReadTestFile(File() + ".corrupt"), garbage) << "saving never overwrites the old file";

    // A second corrupt file does not replace the first backup.
    WriteTestFile(File(), "not a registry");
    ResetRegistry();
    EXPECT_FALSE(Number("SOFTWARE\\P", "Muted"));
    EXPECT_EQ(ReadTestFile(File() + ".corrupt1"), "not a registry");
    EXPECT_EQ(ReadTestFile(File() + ".corrupt"), garbage);
}

TEST_F(Registry, AChangeThatCannotBeSavedLeavesNoTraceWhateverItWas)
{
    HKEY key = Create("SOFTWARE\\P\\Sub");
    RegCloseKey(key);
    key = Create("SOFTWARE\\P");
    SetNumber(key, "Kept", 5);
    const std::string before = ReadTestFile(File());

    FailNext("WriteFileAtomic.Rename", 28);
    const DWORD fresh = 9;
    EXPECT_EQ(RegSetValueExA(key, "Fresh", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&fresh), 4),
              ERROR_REGISTRY_IO_FAILED);
    EXPECT_FALSE(Number("SOFTWARE\\P", "Fresh")) << "a new value that was not saved is not there either";

    FailNext("WriteFileAtomic.Rename", 28);
    EXPECT_EQ(RegDeleteValueA(key, "Kept"), ERROR_REGISTRY_IO_FAILED);
    EXPECT_EQ(Number("SOFTWARE\\P", "Kept"), 5u) << "a value whose removal was not saved is still there";

    FailNext("WriteFileAtomic.Rename", 28);
    EXPECT_EQ(RegDeleteKeyA(key, "Sub"), ERROR_REGISTRY_IO_FAILED);
    HKEY sub = nullptr;
    EXPECT_EQ(RegOpenKeyExA(key, "sub", 0, KEY_READ, &sub), ERROR_SUCCESS)
        << "a key whose removal was not saved is still there";
    RegCloseKey(sub);
    RegCloseKey(key);
    EXPECT_EQ(ReadTestFile(File()), before);
}

TEST_F(Registry, AFailedSaveRefusesTheChangeAndSaysWhyNamingTheFileOnce)
{
    HKEY key = Create("SOFTWARE\\P");
    FailNext("MakeDirectories", 13);
    const DWORD value = 1;
    EXPECT_EQ(RegSetValueExA(key, "Muted", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), 4),
              ERROR_REGISTRY_IO_FAILED);
    EXPECT_NE(LastRegistryError().find("cannot make the folder"), std::string::npos) << LastRegistryError();
    EXPECT_FALSE(Number("SOFTWARE\\P", "Muted"));

    // The file turned into a folder while the program ran: the reason is
    // said right after the file's name, which is not said twice.
    ASSERT_EQ(RegSetValueExA(key, "Muted", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), 4), ERROR_SUCCESS);
    ASSERT_TRUE(DeleteFile(File()));
    ASSERT_TRUE(MakeDirectories(File()));
    EXPECT_EQ(RegSetValueExA(key, "Muted", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), 4),
              ERROR_REGISTRY_IO_FAILED);
    const std::string error = LastRegistryError();
    EXPECT_NE(error.find("cannot save " + File() + ": it is a folder"), std::string::npos) << error;
    EXPECT_EQ(error.find(File()), error.rfind(File())) << error;
    RegCloseKey(key);
}

TEST_F(Registry, AProblemThatRecursWaitsOnceForTheProgramAndASaveThatGoesThroughIsNoted)
{
    HKEY key = Create("SOFTWARE\\P");
    const DWORD value = 1;
    ::testing::internal::CaptureStderr();
    for (int i = 0; i < 3; ++i) {
        FailNext("MakeDirectories", 13);
        EXPECT_EQ(RegSetValueExA(key, "Muted", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), 4),
                  ERROR_REGISTRY_IO_FAILED);
    }
    const std::string told = ::testing::internal::GetCapturedStderr();
    EXPECT_EQ(told.find("cannot make the folder"), told.rfind("cannot make the folder")) << told;
    std::vector<std::string> warnings = TakeRegistryWarnings();
    ASSERT_EQ(warnings.size(), 1u);
    EXPECT_NE(warnings[0].find("cannot make the folder"), std::string::npos) << warnings[0];
    EXPECT_TRUE(TakeRegistryWarnings().empty());

    // Whether it is news is the program's to know: the registry keeps no
    // memory of what was told.
    FailNext("MakeDirectories", 13);
    RegSetValueExA(key, "Muted", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), 4);
    EXPECT_EQ(TakeRegistryWarnings().size(), 1u);
    EXPECT_FALSE(TakeRegistrySavedAgain());
    // A save that goes through after it is noted once; one after a save
    // that went through is no news.
    EXPECT_EQ(RegSetValueExA(key, "Muted", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), 4), ERROR_SUCCESS);
    EXPECT_EQ(RegSetValueExA(key, "Muted", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), 4), ERROR_SUCCESS);
    EXPECT_TRUE(TakeRegistrySavedAgain());
    EXPECT_FALSE(TakeRegistrySavedAgain());
    EXPECT_EQ(RegSetValueExA(key, "Muted", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), 4), ERROR_SUCCESS);
    EXPECT_FALSE(TakeRegistrySavedAgain()) << "saved after a save that went through";
    RegCloseKey(key);
}

TEST_F(Registry, ProblemsAreToldOnTheDebugChannelAndLeftToTheProgramToTell)
{
    // The program tells the player, on standard error too, once; the
    // registry saying it there as well would say it twice.
    ASSERT_TRUE(MakeDirectories(folder_ / "pellucor"));
    WriteTestFile(File(), "not a registry");
    DebugOutputCapture debug;
    ::testing::internal::CaptureStderr();
    EXPECT_FALSE(Number("SOFTWARE\\P", "Muted"));
    const std::string stderrText = ::testing::internal::GetCapturedStderr();
    EXPECT_NE(debug.Text().find("not a registry file"), std::string::npos) << debug.Text();
    EXPECT_EQ(stderrText, "");
    const std::vector<std::string> warnings = TakeRegistryWarnings();
    ASSERT_EQ(warnings.size(), 1u);
    EXPECT_NE(warnings[0].find("not a registry file"), std::string::npos) << warnings[0];
}

TEST_F(Registry, AnUnreadableFileGivesEmptySettingsAndIsReported)
{
    // A folder where the file should be cannot be read as one.
    ASSERT_TRUE(MakeDirectories(File()));
    EXPECT_FALSE(Number("SOFTWARE\\P", "Muted"));
    EXPECT_NE(LastRegistryError().find("cannot be read"), std::string::npos) << LastRegistryError();
}

TEST_F(Registry, ASettingsFileThatIsAPipeIsNeverOpened)
{
    ASSERT_TRUE(MakeDirectories(folder_ / "pellucor"));
    PipeWatch pipe(File());
    EXPECT_FALSE(Number("SOFTWARE\\P", "Muted"));
    EXPECT_NE(LastRegistryError().find("not a regular file"), std::string::npos) << LastRegistryError();
    EXPECT_EQ(pipe.Stop(), 0) << "the pipe was opened";
}

TEST_F(Registry, ASettingsFileThatIsALinkStaysOneAndTheFileItPointsToIsSaved)
{
    ASSERT_TRUE(MakeDirectories(folder_ / "pellucor"));
    ASSERT_TRUE(MakeDirectories(folder_ / "synced"));
    WriteTestFile(folder_ / "synced/registry.txt", "pellucor-registry 2\nend\n");
    ASSERT_EQ(symlink("../synced/registry.txt", File().c_str()), 0);
    HKEY key = Create("SOFTWARE\\P");
    SetNumber(key, "MusicVolume", 40);
    RegCloseKey(key);
    EXPECT_TRUE(std::filesystem::is_symlink(File()));
    EXPECT_NE(ReadTestFile(folder_ / "synced/registry.txt").find("MusicVolume"), std::string::npos);

    // The file it points to went away (a synced folder not mounted): the
    // change is refused with the reason, and nothing takes the link's place.
    ASSERT_TRUE(DeleteFile(folder_ / "synced/registry.txt"));
    ResetRegistry();
    EXPECT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, "SOFTWARE\\P", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr),
              ERROR_REGISTRY_IO_FAILED);
    EXPECT_NE(LastRegistryError().find("symbolic link to " + folder_.Path() +
                                       "/pellucor/../synced/registry.txt, which does not exist"),
              std::string::npos)
        << LastRegistryError();
    EXPECT_TRUE(std::filesystem::is_symlink(File()));
    EXPECT_FALSE(FileExists(folder_ / "synced/registry.txt"));
}

TEST_F(Registry, AFileThatCannotBeReadIsKeptAndNeverSavedOver)
{
    HKEY key = Create("SOFTWARE\\P");
    SetNumber(key, "MusicVolume", 40);
    RegCloseKey(key);
    const std::string saved = ReadTestFile(File());

    // An I/O error at the next start: the start-up write that follows must
    // not replace the player's settings with an almost empty tree.
    ResetRegistry();
    FailNext("OpenFile", 5);
    EXPECT_FALSE(Number("SOFTWARE\\P", "MusicVolume"));
    EXPECT_NE(LastRegistryError().find("cannot be read"), std::string::npos) << LastRegistryError();
    key = Create("SOFTWARE\\P");
    SetNumber(key, "InProgress", 1);
    RegCloseKey(key);
    EXPECT_EQ(ReadTestFile(File() + ".corrupt"), saved);

    // Neither readable nor movable: left as it is, and no change is saved.
    WriteTestFile(File(), saved);
    ResetRegistry();
    FailNext("OpenFile", 5);
    FailNext("MoveFile", 13);
    EXPECT_FALSE(Number("SOFTWARE\\P", "MusicVolume"));
    HKEY made = nullptr;
    EXPECT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, "SOFTWARE\\P", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &made,
                              nullptr),
              ERROR_REGISTRY_IO_FAILED);
    EXPECT_NE(LastRegistryError().find("not saved over"), std::string::npos) << LastRegistryError();
    const DWORD one = 1;
    EXPECT_EQ(RegSetValueExA(HKEY_CURRENT_USER, "InProgress", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&one), 4),
              ERROR_REGISTRY_IO_FAILED);
    EXPECT_EQ(ReadTestFile(File()), saved);
}

TEST_F(Registry, AFileFarLargerThanSettingsIsRefusedAndNoChangeGrowsOnePastThatSize)
{
    ASSERT_TRUE(MakeDirectories(folder_ / "pellucor"));
    const std::string huge = "pellucor-registry 1\nkey A\nvalue big 3 " + std::string(3u << 20, 'x') + "\n";
    WriteTestFile(File(), huge);
    EXPECT_FALSE(Number("A", "big"));
    EXPECT_NE(LastRegistryError().find("more than settings ever take"), std::string::npos) << LastRegistryError();
    EXPECT_EQ(FileSize(File() + ".corrupt"), huge.size());

    HKEY key = Create("SOFTWARE\\P");
    SetNumber(key, "Kept", 1);
    const std::vector<BYTE> tooMuch(2u << 20, 0x41);
    EXPECT_EQ(RegSetValueExA(key, "Big", 0, REG_BINARY, tooMuch.data(), DWORD(tooMuch.size())),
              ERROR_REGISTRY_IO_FAILED);
    EXPECT_NE(LastRegistryError().find("grow past"), std::string::npos) << LastRegistryError();
    RegCloseKey(key);
    ResetRegistry();
    EXPECT_EQ(Number("SOFTWARE\\P", "Kept"), 1u);
}

TEST_F(Registry, TheFileIsReadOnceAtFirstUseWhateverTheFirstCall)
{
    HKEY key = Create("SOFTWARE\\P\\Old");
    RegCloseKey(key);
    SetNumber(HKEY_CURRENT_USER, "Top", 3);
    const std::string saved = ReadTestFile(File());

    // Each kind of call, made first in a new run, sees the saved settings.
    ResetRegistry();
    EXPECT_EQ(RegDeleteKeyA(HKEY_CURRENT_USER, "SOFTWARE\\P\\Old"), ERROR_SUCCESS);
    ResetRegistry();
    DWORD value = 0;
    DWORD size = sizeof value;
    EXPECT_EQ(RegQueryValueExA(HKEY_CURRENT_USER, "top", nullptr, nullptr, reinterpret_cast<BYTE*>(&value), &size),
              ERROR_SUCCESS);
    EXPECT_EQ(value, 3u) << "values on the root key itself are kept too";
    ResetRegistry();
    WriteTestFile(File(), "damaged");
    EXPECT_NE(LastRegistryError().find("not a registry file"), std::string::npos) << LastRegistryError();

    // Once read, the file is the program's: an edit by hand while it runs
    // is not merged into what it holds.
    ResetRegistry();
    WriteTestFile(File(), saved);
    EXPECT_EQ(Number("SOFTWARE\\P", "Missing"), std::nullopt);
    WriteTestFile(File(), "pellucor-registry 1\nkey SOFTWARE\\P\nvalue Missing 4 %01%00%00%00\n");
    EXPECT_EQ(Number("SOFTWARE\\P", "Missing"), std::nullopt);
}

TEST_F(Registry, WhatAKilledSaveLeftIsRemovedAtTheNextStart)
{
    HKEY key = Create("SOFTWARE\\P");
    SetNumber(key, "Kept", 2);
    RegCloseKey(key);
    // A process that no longer runs (no system gives out pid numbers this high).
    WriteTestFile(File() + ".tmp-999999999-0", "half a sa");
    ResetRegistry();
    EXPECT_EQ(Number("SOFTWARE\\P", "Kept"), 2u);
    EXPECT_FALSE(FileExists(File() + ".tmp-999999999-0"));
}

TEST_F(Registry, TheFileLivesInThePlayersConfigFolder)
{
    EXPECT_EQ(RegistryFilePath(), File()) << "before the first use";
    Create("SOFTWARE\\P");
    EXPECT_EQ(RegistryFilePath(), File()) << "once read";
}

TEST_F(Registry, AFailedOpenOrCreateClearsTheHandleItWasGiven)
{
    HKEY key = Create("SOFTWARE\\P");
    HKEY reused = key;
    EXPECT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, "SOFTWARE\\Nobody", 0, KEY_READ, &reused), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(reused, nullptr);
    reused = key;
    FailNext("RegCreateKeyEx", 5);
    EXPECT_NE(RegCreateKeyExA(HKEY_CURRENT_USER, "SOFTWARE\\Q", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &reused,
                              nullptr),
              ERROR_SUCCESS);
    EXPECT_EQ(reused, nullptr);
    RegCloseKey(key);
}

TEST_F(Registry, ARestartForgetsHandlesErrorsAndValuesNoLongerInTheFile)
{
    HKEY key = Create("SOFTWARE\\P");
    SetNumber(key, "Gone", 1);
    FailNext("MakeDirectories", 13);
    const DWORD value = 1;
    ASSERT_EQ(RegSetValueExA(key, "Unsaved", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), 4),
              ERROR_REGISTRY_IO_FAILED);
    WriteTestFile(File(), "pellucor-registry 1\nkey SOFTWARE\\P\n");

    ResetRegistry();
    EXPECT_EQ(LastRegistryError(), "");
    EXPECT_EQ(RegCloseKey(key), ERROR_INVALID_HANDLE);
    EXPECT_EQ(Number("SOFTWARE\\P", "Gone"), std::nullopt);
}

} // namespace
} // namespace platform::testing
