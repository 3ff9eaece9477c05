// Runs each test in an empty folder of its own, with a "save/" folder in it,
// and leaves the profile list and the options as a fresh program has them.
#pragma once

#include "game/shell/Options.h"
#include "game/shell/ProfileFile.h"
#include "game/shell/ProfileList.h"
#include "game/shell/ProfileSaving.h"
#include "platform/core/FileSystem.h"
#include "platform/core/Testing.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <random>
#include <string>

// A new profile of this name, added to the list and made the current one.
inline Profile& AddActiveProfile(const std::string& name)
{
    auto profile = std::make_unique<Profile>();
    profile->name = name;
    Profile& added = *profile;
    EXPECT_TRUE(ProfileList::Instance()->Add(profile.release()));
    added.SetActive(true);
    return added;
}

// What the player was told, message by message (the game's notice stands in).
class ToldLines final : public KernelLibrary::ProblemSink {
public:
    ToldLines() { KernelLibrary::SetProblemSink(this); }
    ~ToldLines() override { KernelLibrary::SetProblemSink(nullptr); }
    void TellPlayer(const std::string& /*subject*/, const std::vector<std::string>& lines) override
    {
        told.push_back(lines);
    }
    std::vector<std::vector<std::string>> told;
};

// A fresh program: nothing told yet, no notice.
inline void ForgetProblems()
{
    Zolt::ProblemReporter::Instance().Reset();
}

// For as long as it lives: the working folder is a fresh one with an empty
// "save/" folder, the profile folder, and the profile list starts empty
// (writes allowed, nothing told yet); afterwards the folder is gone
// and the list empty again.
class ScopedProfileFolder {
public:
    ScopedProfileFolder()
    {
        previous_ = platform::GetCurrentDirectory();
        std::random_device random;
        folder_ = (std::filesystem::temp_directory_path() / ("pellucor-profiles-" + std::to_string(random()))).string();
        EXPECT_TRUE(platform::MakeDirectories(folder_ + "/save"));
        EXPECT_TRUE(platform::SetCurrentDirectory(folder_));
        ProfileList::Free();
        SetProfileFolder("save/");
        HoldProfileWrites(false);
        ForgetProblems();
    }
    ~ScopedProfileFolder()
    {
        ProfileList::ClearActive();
        ProfileList::Free();
        HoldProfileWrites(false);
        ForgetProblems();
        platform::testing::ClearFailures();
        platform::SetCurrentDirectory(previous_);
        platform::DeleteTree(folder_);
    }
    ScopedProfileFolder(const ScopedProfileFolder&) = delete;
    ScopedProfileFolder& operator=(const ScopedProfileFolder&) = delete;

    const std::string& Path() const { return folder_; }

private:
    std::string previous_;
    std::string folder_;
};

class ProfileFolderTest : public ::testing::Test {
protected:
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

    ScopedProfileFolder scoped_;
    const std::string& folder_ = scoped_.Path();
};
