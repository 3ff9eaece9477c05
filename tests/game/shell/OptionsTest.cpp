#include "game/shell/Options.h"
#include "game/table/IOptionObserver.h"
#include "tests/support/RecordingFactory.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace Gamespace;

namespace {

class CountingObserver : public IOptionObserver {
public:
    CountingObserver(std::vector<std::string>& log, std::string name) : log_(log), name_(std::move(name)) {}
    void OnSpeedChanged() override { log_.push_back(name_ + ":" + std::to_string(GetGameSpeed())); }

private:
    std::vector<std::string>& log_;
    std::string name_;
};

class OptionsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ResetOptions();
        SetOptionsFactory(&factory);
    }
    void TearDown() override
    {
        SetOptionsFactory(nullptr);
        ResetOptions();
    }
    testing_support::RecordingFactory factory;
};

} // namespace

TEST_F(OptionsTest, EmptyRegistryGivesStartValuesAndPushesBothVolumes)
{
    factory.effectsVolume = 77;
    factory.musicVolume = 77;
    LoadOptions();
    EXPECT_EQ(GetSoundVolume(), 20);
    EXPECT_EQ(GetSoundEffVolume(), 60);
    EXPECT_EQ(GetGameSpeed(), 6);
    EXPECT_FALSE(IsFullScreenOption());
    EXPECT_EQ(factory.effectsVolume, 20);
    EXPECT_EQ(factory.musicVolume, 60);
}

TEST_F(OptionsTest, ZeroVolumesFromTheRegistryStillReachTheFactory)
{
    factory.registryIntegers["Options\\SoundVol"] = 0;
    factory.registryIntegers["Options\\SoundEffVol"] = 0;
    factory.registryIntegers["Options\\Speed"] = 3;
    factory.registryBools["Options\\FullScreen"] = true;
    LoadOptions();
    EXPECT_EQ(factory.effectsVolume, 0);
    EXPECT_EQ(factory.musicVolume, 0);
    EXPECT_EQ(GetGameSpeed(), 3);
    EXPECT_TRUE(IsFullScreenOption());
}

TEST_F(OptionsTest, LoadedVolumesTheProgramAlreadyHeldStillReachANewFactory)
{
    // The sound device was made again (a new window, say) and knows nothing
    // of the volumes set before.
    SetSoundVolume(1);
    SetSoundEffVolume(1);
    factory.effectsVolume = 77;
    factory.musicVolume = 77;
    factory.registryIntegers["Options\\SoundVol"] = 1;
    factory.registryIntegers["Options\\SoundEffVol"] = 1;
    LoadOptions();
    EXPECT_EQ(factory.effectsVolume, 1);
    EXPECT_EQ(factory.musicVolume, 1);
}

TEST_F(OptionsTest, VolumesAreClampedAndRepeatsAreNotPushed)
{
    SetSoundVolume(150);
    EXPECT_EQ(GetSoundVolume(), 100);
    EXPECT_EQ(factory.effectsVolume, 100);
    factory.effectsVolume = 5;
    SetSoundVolume(100);
    EXPECT_EQ(factory.effectsVolume, 5) << "an unchanged value must not be pushed again";

    SetSoundEffVolume(1000);
    EXPECT_EQ(factory.musicVolume, 100);
    EXPECT_EQ(GetSoundEffVolume(), 100);
}

TEST_F(OptionsTest, OutOfRangeRegistryValuesAreHeldInRange)
{
    factory.registryIntegers["Options\\Speed"] = 25;
    factory.registryIntegers["Options\\SoundVol"] = 70000;
    LoadOptions();
    EXPECT_EQ(GetGameSpeed(), 10);
    EXPECT_EQ(GetSoundVolume(), 100);

    // Past 16 bits they are held too, not cut to their low half (65539
    // would otherwise read as 3).
    factory.registryIntegers["Options\\Speed"] = 65539;
    factory.registryIntegers["Options\\SoundEffVol"] = 65541;
    LoadOptions();
    EXPECT_EQ(GetGameSpeed(), 10);
    EXPECT_EQ(GetSoundEffVolume(), 100);
}

TEST_F(OptionsTest, NegativeRegistryValuesAreHeldAtTheBottom)
{
    for (const char* name : {"Options\\Speed", "Options\\SoundVol", "Options\\SoundEffVol"})
        factory.registryIntegers[name] = static_cast<uint32_t>(-5);
    LoadOptions();
    EXPECT_EQ(GetGameSpeed(), 0);
    EXPECT_EQ(GetSoundVolume(), 0);
    EXPECT_EQ(GetSoundEffVolume(), 0);
    factory.registryIntegers["Options\\Speed"] = 0x80000000u;
    LoadOptions();
    EXPECT_EQ(GetGameSpeed(), 0) << "the most negative number too";
}

TEST_F(OptionsTest, SpeedChangesReachEachObserverOnceInOrder)
{
    std::vector<std::string> log;
    CountingObserver first(log, "first"), second(log, "second");
    AddOptionObserver(&first);
    AddOptionObserver(&second);
    AddOptionObserver(&first);

    SetGameSpeed(6);
    EXPECT_TRUE(log.empty()) << "the current speed notifies nobody";

    SetGameSpeed(40);
    EXPECT_EQ(log, (std::vector<std::string>{"first:10", "second:10"}));

    RemoveOptionObserver(&first);
    SetGameSpeed(2);
    EXPECT_EQ(log.back(), "second:2");
    EXPECT_EQ(log.size(), 3u);
}

TEST_F(OptionsTest, AChoiceIsWrittenWhenMadeAndLoadingWritesNothing)
{
    factory.registryIntegers["Options\\Speed"] = 3;
    LoadOptions();
    EXPECT_EQ(factory.registryIntegers.size(), 1u) << "what was read is not written back";
    EXPECT_TRUE(factory.registryBools.empty());
    SetGameSpeed(4);
    SetSoundEffVolume(70);
    SetFullScreenOption(true);
    EXPECT_EQ(factory.registryIntegers["Options\\Speed"], 4u);
    EXPECT_EQ(factory.registryIntegers["Options\\SoundEffVol"], 70u);
    EXPECT_TRUE(factory.registryBools["Options\\FullScreen"]);
}

TEST_F(OptionsTest, SaveWritesEveryOptionToTheRegistry)
{
    SetSoundVolume(33);
    SetSoundEffVolume(44);
    SetGameSpeed(9);
    SetFullScreenOption(true);
    SaveOptions();
    EXPECT_EQ(factory.registryIntegers["Options\\SoundVol"], 33u);
    EXPECT_EQ(factory.registryIntegers["Options\\SoundEffVol"], 44u);
    EXPECT_EQ(factory.registryIntegers["Options\\Speed"], 9u);
    EXPECT_TRUE(factory.registryBools["Options\\FullScreen"]);

    ResetOptions();
    LoadOptions();
    EXPECT_EQ(GetSoundVolume(), 33);
    EXPECT_EQ(GetSoundEffVolume(), 44);
    EXPECT_EQ(GetGameSpeed(), 9);
    EXPECT_TRUE(IsFullScreenOption());
}

TEST_F(OptionsTest, WithoutAFactoryTheOptionsStillWork)
{
    SetOptionsFactory(nullptr);
    LoadOptions();
    SaveOptions();
    SetSoundVolume(50);
    EXPECT_EQ(GetSoundVolume(), 50);
}
