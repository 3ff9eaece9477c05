// Runs each test in an empty folder of its own, with a "save/" folder in it,
// and leaves the profile list and the options as a fresh program has them.
#pragma once

#include "game/shell/Options.h"
#include "game/shell/ProfileList.h"
#include "platform/core/FileSystem.h"
#include "platform/core/Testing.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <random>
#include <string>

class ProfileFolderTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        previous_ = platform::GetCurrentDirectory();
        std::random_device random;
        folder_ = (std::filesystem::temp_directory_path() / ("pellucor-profiles-" + std::to_string(random()))).string();
        ASSERT_TRUE(platform::MakeDirectories(folder_ + "/save"));
        ASSERT_TRUE(platform::SetCurrentDirectory(folder_));
        ProfileList::Free();
    }
    void TearDown() override
    {
        ProfileList::ClearActive();
        ProfileList::Free();
        platform::testing::ClearFailures();
        platform::SetCurrentDirectory(previous_);
        platform::DeleteTree(folder_);
    }

    static std::string Bytes(const std::string& path)
    {
        std::string contents;
        platform::ReadWholeFile(path, &contents);
        return contents;
    }
    static void WriteBytes(const std::string& path, const std::string& bytes)
    {
        ASSERT_TRUE(platform::WriteFileAtomic(path, bytes));
    }

    std::string previous_;
    std::string folder_;
};
