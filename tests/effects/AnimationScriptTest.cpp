// The animation script reader: what a valid script gives, where frames take
// their time and image from, every reason to reject a script (with the line
// it names), and reading the text in 512-byte pieces from disk or archive.
#include "effects/AnimationScript.h"
#include "pak/PakFileFunctions.h"
#include "pak/PakInterface.h"
#include "tests/pak/PakTestFiles.h"

#include <gtest/gtest.h>

namespace EffectLibrary {
namespace {

// Joins lines with CR LF, as the game's scripts are written.
std::string Script(std::initializer_list<const char*> lines)
{
    std::string text;
    for (const char* line : lines)
        text += std::string(line) + "\r\n";
    return text;
}

const std::string kHeader = Script({"[animation]", "image=\"cards.png\"", "frame_w=71", "frame_h=96"});

std::unique_ptr<AnimationScript> Parse(const std::string& text, std::string* error = nullptr)
{
    return AnimationScript::Parse(text, error);
}

std::string Rejection(const std::string& text)
{
    std::string error;
    EXPECT_EQ(Parse(text, &error), nullptr);
    return error;
}

TEST(AnimationScriptReader, ValidScriptGivesHeaderEffectsAndFramesInFileOrder)
{
    auto script = Parse(kHeader + Script({"[effect]=\"deal\"", "autohide=1", "time=100",
                                          "[frame]", "index=0", "image=\"deal0.png\"",
                                          "[frame]", "index=1", "time=50",
                                          "[frame]", "index=7",
                                          "[effect]=\"idle\""}));
    ASSERT_NE(script, nullptr);
    EXPECT_EQ(script->image, "cards.png");
    EXPECT_EQ(script->frameWidth, 71);
    EXPECT_EQ(script->frameHeight, 96);
    ASSERT_EQ(script->effects.size(), 2u);

    const AnimationScriptEffect& deal = *script->effects[0];
    EXPECT_EQ(deal.name, "deal");
    EXPECT_TRUE(deal.autoHide);
    EXPECT_EQ(deal.time, 100);
    ASSERT_EQ(deal.frames.size(), 3u);
    EXPECT_EQ(deal.frames[0].image, "deal0.png");
    EXPECT_EQ(deal.frames[0].time, 100);
    EXPECT_EQ(deal.frames[1].image, "deal"); // no image: the effect's name
    EXPECT_EQ(deal.frames[1].time, 50);
    EXPECT_EQ(deal.frames[2].index, 7); // kept as written
    EXPECT_EQ(deal.frames[2].time, 100);

    const AnimationScriptEffect& idle = *script->effects[1];
    EXPECT_FALSE(idle.autoHide);
    EXPECT_TRUE(idle.frames.empty());
}

TEST(AnimationScriptReader, EffectWithoutATimeTakesTheFirstOneInItsSectionEvenALaterFramesOne)
{
    auto script = Parse(kHeader + Script({"[effect]=\"late\"", "[frame]", "index=0", "[frame]", "index=1",
                                          "time=70", "[frame]", "index=2", "time=30"}));
    ASSERT_NE(script, nullptr);
    const AnimationScriptEffect& late = *script->effects[0];
    EXPECT_EQ(late.time, 70);
    EXPECT_EQ(late.frames[0].time, 70);
    EXPECT_EQ(late.frames[1].time, 70);
    EXPECT_EQ(late.frames[2].time, 30);
}

TEST(AnimationScriptReader, ValuesEndAtAQuoteOrCarriageReturnButNotAtALineFeed)
{
    auto script = Parse("[animation]\nimage=\"a.png\"\nframe_w=10\nframe_h=12x\n"
                        "[effect]=\"walk\"\nautohide=0\ntime=80\n[frame]\nindex=3\n");
    ASSERT_NE(script, nullptr);
    EXPECT_EQ(script->image, "a.png");
    // "10\nframe_h=12x\n..." runs on, but the number stops at the line feed.
    EXPECT_EQ(script->frameWidth, 10);
    EXPECT_EQ(script->frameHeight, 12);
    EXPECT_FALSE(script->effects[0]->autoHide);
    EXPECT_EQ(script->effects[0]->frames[0].time, 80);
    EXPECT_EQ(script->effects[0]->frames[0].index, 3);

    // Numbers are kept as unsigned 16-bit values.
    script = Parse(kHeader + Script({"[effect]=\"big\"", "[frame]", "index=65537", "time=70000"}));
    ASSERT_NE(script, nullptr);
    EXPECT_EQ(script->effects[0]->frames[0].index, 1);
    EXPECT_EQ(script->effects[0]->frames[0].time, 4464);
}

TEST(AnimationScriptReader, MissingSectionsOrHeaderValuesRejectTheScript)
{
    const std::string effect = Script({"[effect]=\"e\"", "time=10", "[frame]", "index=0"});
    EXPECT_EQ(Rejection(Script({"image=\"a.png\"", "frame_w=1", "frame_h=1"}) + effect),
              "no \"[animation]\" section");
    EXPECT_EQ(Rejection(kHeader), "no \"[effect]\" section");
    EXPECT_NE(Rejection(Script({"[animation]", "frame_w=1", "frame_h=1"}) + effect).find("\"image=\""),
              std::string::npos);
    EXPECT_NE(Rejection(Script({"[animation]", "image=\"\"", "frame_w=1", "frame_h=1"}) + effect)
                  .find("\"image=\""),
              std::string::npos);
    EXPECT_NE(Rejection(Script({"[animation]", "image=\"a\"", "frame_w=1"}) + effect).find("\"frame_h=\""),
              std::string::npos);
    EXPECT_NE(Rejection(Script({"[animation]", "image=\"a\"", "frame_h=1"}) + effect).find("\"frame_w=\""),
              std::string::npos);
    // A header value after the first effect does not count.
    EXPECT_NE(Rejection(Script({"[animation]", "image=\"a\"", "frame_h=1"}) + effect + "frame_w=3\r\n")
                  .find("\"frame_w=\""),
              std::string::npos);
}

TEST(AnimationScriptReader, BadEffectOrFrameRejectsTheWholeScriptAndNamesItsLine)
{
    // Line 5 is a bare "[effect]": a section of its own, without a name.
    EXPECT_EQ(Rejection(kHeader + Script({"[effect]", "[effect]=\"e\"", "time=5"})),
              "line 5: effect 1 has no name (it must begin with [effect]=\"name\")");
    EXPECT_EQ(Rejection(kHeader + Script({"[effect]=\"ok\"", "time=5", "[frame]", "index=0",
                                          "[effect]=\"bad\"", "time=5", "[frame]", "time=5"})),
              "line 11: frame 1 of effect \"bad\" has no \"index=\"");
    EXPECT_EQ(Rejection(kHeader + Script({"[effect]=\"slow\"", "[frame]", "index=0"})),
              "line 6: frame 1 of effect \"slow\" has no \"time=\", and neither has its effect");
    // An explicit 65535 means "not given".
    EXPECT_NE(Rejection(kHeader + Script({"[effect]=\"e\"", "[frame]", "index=0", "time=65535"})).find("time="),
              std::string::npos);
}

TEST(AnimationScriptReader, TooManyEffectsOrFramesToNumberAreRejected)
{
    std::string frames = kHeader + "[effect]=\"many\"\r\ntime=5\r\n";
    for (size_t i = 0; i <= AnimationScript::kMaxFramesPerEffect; ++i)
        frames += "[frame]index=1\r\n";
    EXPECT_NE(Rejection(frames).find("more than 32767 frames"), std::string::npos);

    std::string effects = kHeader;
    for (size_t i = 0; i <= AnimationScript::kMaxEffects; ++i)
        effects += "[effect]=\"e\"\r\n";
    EXPECT_EQ(Rejection(effects), "more than 32767 effects");
}

class ScriptFile : public ::testing::Test {
public:
    std::string Read(const std::string& path)
    {
        std::string text;
        std::string error;
        EXPECT_TRUE(AnimationScript::ReadText(path, &text, &error)) << error;
        return text;
    }
    paktest::TempFolder dir;
};

TEST_F(ScriptFile, IsReadWholeInPiecesWhateverItsLength)
{
    for (size_t size : {0u, 1u, 511u, 512u, 513u, 1024u, 1500u}) {
        std::string contents;
        for (size_t i = 0; i < size; ++i)
            contents += char('a' + i % 26);
        EXPECT_EQ(Read(dir.Write("s.ani", contents)), contents) << size;
    }
}

TEST_F(ScriptFile, EndsAtTheFirstNulAndAMissingFileIsAnError)
{
    std::string contents(600, 'x');
    contents[530] = '\0';
    EXPECT_EQ(Read(dir.Write("nul.ani", contents)), std::string(530, 'x'));
    contents[100] = '\0';
    EXPECT_EQ(Read(dir.Write("nul.ani", contents)), std::string(100, 'x'));

    std::string text = "stale";
    std::string error;
    EXPECT_FALSE(AnimationScript::ReadText(dir / "missing.ani", &text, &error));
    EXPECT_EQ(error, "cannot be opened");
    EXPECT_EQ(text, "");
}

// A file layer on which nothing may be opened for writing, as for files the
// user has no write access to.
class ReadOnlyLayer final : public PakInterface {
public:
    PakFileHandle* OpenFile(const char* name, const char* mode) override
    {
        const std::string m = mode != nullptr ? mode : "";
        if (m.find_first_of("+wa") != std::string::npos)
            return nullptr;
        return PakInterface::OpenFile(name, mode);
    }
};

TEST_F(ScriptFile, ReadOnlyFileIsReadAllTheSame)
{
    const std::string contents = std::string(700, 'r') + "[animation]";
    const std::string path = dir.Write("ro.ani", contents);
    ReadOnlyLayer layer;
    PakInterfaceBase* previous = pak_testing::ReplaceSharedPakInterface(&layer);
    EXPECT_EQ(Read(path), contents);
    std::string text;
    EXPECT_FALSE(AnimationScript::ReadText(dir / "missing.ani", &text, nullptr));
    pak_testing::ReplaceSharedPakInterface(previous);
}

TEST_F(ScriptFile, IsFoundInAnArchive)
{
    const std::string script = kHeader + std::string(700, ' ') + Script({"[effect]=\"e\"", "time=5"});
    PakInterface* layer = GetProcessPakInterface();
    ASSERT_TRUE(layer->AddPakArchive(dir.Write("anim.pak", paktest::MakeArchive({{"anim\\deal.ani", script}}))))
        << layer->LastError();
    std::filesystem::current_path(dir.Path());
    std::string text = Read("anim\\deal.ani");
    EXPECT_EQ(text, script);
    EXPECT_NE(AnimationScript::Parse(text, nullptr), nullptr);
}

} // namespace
} // namespace EffectLibrary
