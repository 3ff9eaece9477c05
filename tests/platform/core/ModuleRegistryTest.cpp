#include "platform/core/ModuleRegistry.h"

#include "platform/core/Testing.h"

#include <gtest/gtest.h>

using namespace platform;

namespace {
int Add(int a, int b) { return a + b; }
const char* Version() { return "2.0"; }

// Registered during static initialisation, as the replacement libraries do.
ModuleRegistration gStaticRegistration("static-test.dll", {Entry("Add", &Add), Entry("Version", &Version)});

class ModuleRegistryTest : public ::testing::Test {
protected:
    void SetUp() override { RegisterModule("fake-audio.dll", {Entry("Add", &Add), Entry("Version", &Version)}); }
    void TearDown() override
    {
        platform::testing::ClearModuleHiding();
        UnregisterModule("fake-audio.dll");
    }
};
} // namespace

TEST_F(ModuleRegistryTest, LibraryRegisteredAtStartUpIsFoundAndItsEntriesWork)
{
    HMODULE module = LoadModule("static-test.dll");
    ASSERT_NE(module, nullptr);
    auto add = GetEntryAs<int (*)(int, int)>(module, "Add");
    ASSERT_NE(add, nullptr);
    EXPECT_EQ(add(2, 3), 5);
    EXPECT_STREQ(GetEntryAs<const char* (*)()>(module, "Version")(), "2.0");
    EXPECT_TRUE(FreeModule(module));
}

TEST_F(ModuleRegistryTest, NamesMatchWithoutCaseOrFolder)
{
    HMODULE a = LoadModule(".\\FAKE-AUDIO.DLL");
    HMODULE b = LoadModule("/usr/lib/fake-audio.dll");
    ASSERT_NE(a, nullptr);
    EXPECT_EQ(a, b);
    EXPECT_EQ(ModuleName(a), "fake-audio.dll");
    // Entry names are exact, as GetProcAddress.
    EXPECT_EQ(GetEntry(a, "add"), nullptr);
    FreeModule(a);
    FreeModule(b);
}

TEST_F(ModuleRegistryTest, MissingLibraryAndMissingEntryGiveNull)
{
    EXPECT_EQ(LoadModule("not-installed.dll"), nullptr);
    EXPECT_EQ(LoadModule(""), nullptr);
    HMODULE module = LoadModule("fake-audio.dll");
    ASSERT_NE(module, nullptr);
    EXPECT_EQ(GetEntry(module, "NoSuchFunction"), nullptr);
    EXPECT_EQ(GetEntry(nullptr, "Add"), nullptr);
    FreeModule(module);
}

TEST_F(ModuleRegistryTest, HiddenLibraryOrEntryLooksUninstalled)
{
    platform::testing::HideModule("Fake-Audio.dll");
    EXPECT_EQ(LoadModule("fake-audio.dll"), nullptr);
    EXPECT_EQ(platform::testing::ModuleReferenceCount("fake-audio.dll"), 0);
    platform::testing::HideModule("fake-audio.dll", false);

    HMODULE module = LoadModule("fake-audio.dll");
    ASSERT_NE(module, nullptr);
    platform::testing::HideModuleEntry("fake-audio.dll", "Version");
    EXPECT_EQ(GetEntry(module, "Version"), nullptr);
    EXPECT_NE(GetEntry(module, "Add"), nullptr);
    platform::testing::HideModuleEntry("fake-audio.dll", "Version", false);
    EXPECT_NE(GetEntry(module, "Version"), nullptr);
    FreeModule(module);

    platform::testing::FailNext("LoadModule", 0);
    EXPECT_EQ(LoadModule("fake-audio.dll"), nullptr);
    EXPECT_NE(module = LoadModule("fake-audio.dll"), nullptr);
    FreeModule(module);
}

TEST_F(ModuleRegistryTest, LoadsAndFreesAreCounted)
{
    HMODULE a = LoadModule("fake-audio.dll");
    HMODULE b = LoadModule("fake-audio.dll");
    EXPECT_EQ(platform::testing::ModuleReferenceCount("fake-audio.dll"), 2);
    EXPECT_TRUE(FreeModule(a));
    EXPECT_TRUE(FreeModule(b));
    EXPECT_EQ(platform::testing::ModuleReferenceCount("fake-audio.dll"), 0);
    EXPECT_FALSE(FreeModule(a)); // one free too many is refused, not counted below zero
    EXPECT_FALSE(FreeModule(nullptr));
}

TEST_F(ModuleRegistryTest, UnregisteredLibraryNoLongerLoadsButOldHandlesStaySafe)
{
    HMODULE module = LoadModule("fake-audio.dll");
    ASSERT_NE(module, nullptr);
    UnregisterModule("fake-audio.dll");
    EXPECT_EQ(LoadModule("fake-audio.dll"), nullptr);
    EXPECT_EQ(GetEntry(module, "Add"), nullptr);
    EXPECT_TRUE(FreeModule(module));
}
