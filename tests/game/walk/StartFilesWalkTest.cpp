// What the program finds on disk at start: the game's own archive, which it
// cannot run without and which must hold the game's files, and things in the player's "save/" folder that are no
// profile files.
#include "pak/PakFormat.h"
#include "platform/core/FileSystem.h"
#include "tests/game/walk/ShellSights.h"
#include "tests/game/walk/WalkSupport.h"
#include "tests/support/PipeWatch.h"
#include "tests/support/ScriptedPlayer.h"
#include "tests/support/WalkMachine.h"

#include <gtest/gtest.h>

#include <functional>
#include <regex>
#include <sys/stat.h>

namespace {

using walk::ScriptedPlayer;

TEST(StartFilesWalk, AGameArchiveThatCannotBeUsedEndsTheProgramNamingIt)
{
    std::string archive;
    ASSERT_TRUE(platform::ReadWholeFile(walk::WalkMachine::BuildFolder() + "/data.pak", &archive));
    const std::pair<const char*, std::function<void(const std::string&)>> cases[] = {
        {"missing", [](const std::string&) {}},
        {"empty", [](const std::string& path) { platform::testing::WriteTestFile(path, ""); }},
        {"cut short", [&](const std::string& path) { platform::testing::WriteTestFile(path, archive.substr(0, 9000)); }},
        {"damaged", [](const std::string& path) { platform::testing::WriteTestFile(path, "not an archive"); }},
        {"a folder", [](const std::string& path) { ASSERT_TRUE(platform::MakeDirectories(path)); }},
    };
    for (const auto& [what, make] : cases) {
        SCOPED_TRACE(what);
        ScriptedPlayer player;
        if (player.GetBackend() == ScriptedPlayer::Backend::Sdl)
            GTEST_SKIP() << "the error box would wait for a person; the real program's end is "
                            "ui.FatalErrorsAndToolUsageReachTheTerminal's";
        const std::string path = player.ProgramFolder() + "/data.pak";
        ASSERT_TRUE(platform::DeleteFile(path));
        make(path);
        player.LaunchExpectingAFatalEnd();
        ASSERT_TRUE(player.WaitForExit());
        EXPECT_EQ(player.Finish(), 1);
        const std::vector<platform::testing::RecordedBox> boxes = player.TakeBoxes();
        ASSERT_EQ(boxes.size(), 1u);
        EXPECT_EQ(boxes[0].caption, "FATAL ERROR");
        EXPECT_NE(boxes[0].text.find("Cannot use the program's archive (data.pak: "), std::string::npos)
            << boxes[0].text;
    }
}

// The game's archive made again from the one the build packed, each member
// as `keep` has it: false leaves it out, and it may empty the bytes.
std::string RepackedGameArchive(const std::function<bool(const std::string&, std::vector<uint8_t>&)>& keep)
{
    std::string packed;
    EXPECT_TRUE(platform::ReadWholeFile(walk::WalkMachine::BuildFolder() + "/data.pak", &packed));
    const auto* bytes = reinterpret_cast<const uint8_t*>(packed.data());
    std::vector<PakDirectoryRecord> records;
    std::string error;
    EXPECT_TRUE(ReadPakDirectory(bytes, packed.size(), &records, &error)) << error;
    std::vector<PakMemberSource> members;
    for (const PakDirectoryRecord& record : records) {
        PakMemberSource member{record.name, std::vector<uint8_t>(record.size), record.fileTime};
        PakDescramble(member.bytes.data(), bytes + record.start, record.size);
        if (keep(record.name, member.bytes))
            members.push_back(std::move(member));
    }
    std::vector<uint8_t> archive;
    EXPECT_TRUE(BuildPakArchive(members, &archive, &error)) << error;
    return std::string(archive.begin(), archive.end());
}

TEST(StartFilesWalk, AGameArchiveWithoutTheFilesOfTheGameEndsTheProgramNamingThem)
{
    struct Case {
        const char* what;
        std::function<bool(const std::string&, std::vector<uint8_t>&)> keep;
        // What the box names first, and whether every file is lacking.
        const char* firstNamed;
        bool all;
    };
    const Case cases[] = {
        {"without the card faces",
         [](const std::string& name, std::vector<uint8_t>&) { return name.rfind("images\\cards\\", 0) != 0; },
         "images/cards/set1/2s.png", false},
        {"every member empty",
         [](const std::string&, std::vector<uint8_t>& bytes) {
             bytes.clear();
             return true;
         },
         "images/btn_def.png", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ScriptedPlayer player;
        if (player.GetBackend() == ScriptedPlayer::Backend::Sdl)
            GTEST_SKIP() << "the error box would wait for a person";
        // The program folder links to the build's archive: the link goes.
        const std::string path = player.ProgramFolder() + "/data.pak";
        ASSERT_TRUE(platform::DeleteFile(path));
        platform::testing::WriteTestFile(path, RepackedGameArchive(c.keep));
        player.LaunchExpectingAFatalEnd();
        ASSERT_TRUE(player.WaitForExit());
        EXPECT_EQ(player.Finish(), 1);
        const std::vector<platform::testing::RecordedBox> boxes = player.TakeBoxes();
        ASSERT_EQ(boxes.size(), 1u);
        std::smatch told;
        ASSERT_TRUE(std::regex_match(boxes[0].text, told,
                                     std::regex(R"(Cannot use the program's archive \(data\.pak: (\d+) of the (\d+) )"
                                                R"(files it must hold are missing or empty: ([^,]+), .* and \d+ more\)\.)")))
            << boxes[0].text;
        EXPECT_EQ(told[1] == told[2], c.all) << boxes[0].text;
        EXPECT_EQ(told[3], c.firstNamed);
    }
}

TEST(StartFilesWalk, APipeNamedLikeAProfileIsNeverOpenedAndTheGameStarts)
{
    ScriptedPlayer player;
    Profile ann = walk::KnownPlayer("Ann");
    const std::string annBytes = walk::PutProfile(player, ann);
    // Opened, it would hold the start until something was written to it.
    platform::testing::PipeWatch pipe(walk::ProfilePath(player, "Bob"));
    player.Launch();
    EXPECT_TRUE(player.WaitToSee(walk::sights::PlayerLine("Ann")));
    player.Screenshot("the start screen, a pipe in save");
    player.CloseWindow();
    EXPECT_TRUE(player.WaitForExit());
    EXPECT_EQ(player.Finish(), 0);
    EXPECT_EQ(pipe.Stop(), 0) << "the pipe was opened";
    EXPECT_EQ(walk::ProfileBytes(player, "Ann"), annBytes);
    struct stat bob {};
    ASSERT_EQ(lstat(walk::ProfilePath(player, "Bob").c_str(), &bob), 0);
    EXPECT_TRUE(S_ISFIFO(bob.st_mode)) << "what is not the game's is left as it is";
}

} // namespace
