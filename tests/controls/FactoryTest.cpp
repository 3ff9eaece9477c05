// The factory's life, its tables of objects, images and fonts, its handles,
// sounds and volumes, and the services it forwards.
#include "controls/BaseVO_bridge.h"
#include "controls/ControlHandles.h"
#include "controls/Factory_impl.h"
#include "tests/support/ControlTestHost.h"

#include <gtest/gtest.h>

using namespace ControlLibrary;
using testing_support::ControlScene;
using testing_support::ControlTestHost;

TEST(Factory, SingletonRefusesAnApplicationWithoutWidgetManagerAndLivesUntilDestroyed)
{
    TimeLibrary::TimeSystem_impl time;
    auto bare = std::make_unique<ControlTestHost>();
    bare->withWidgetManager = false;
    EXPECT_EQ(CreateFactory(std::move(bare), &time), nullptr);
    EXPECT_EQ(GetFactory(), nullptr);
    EXPECT_EQ(CreateFactory(nullptr, &time), nullptr);

    TimeLibrary::ITimeObject* probe = time.CreateTimeObject(nullptr, 10, 5);
    const uint32_t firstFree = probe->GetId();
    time.DestroyTimeObject(probe);
    IFactory* factory = CreateFactory(std::make_unique<ControlTestHost>(), &time);
    ASSERT_NE(factory, nullptr);
    EXPECT_EQ(GetFactory(), factory);
    DestroyFactory();
    EXPECT_EQ(GetFactory(), nullptr);
    probe = time.CreateTimeObject(nullptr, 10, 5);
    EXPECT_EQ(probe->GetId(), firstFree) << "the factory gave its time object back";
    time.DestroyTimeObject(probe);
}

TEST(Factory, GivenNoTimeSystemItPollsOnTheProcesss)
{
    TimeLibrary::TimeSystem_impl* time = TimeLibrary::CreateTimeSystem();
    ASSERT_NE(time, nullptr);
    TimeLibrary::ITimeObject* probe = time->CreateTimeObject(nullptr, 10, 5);
    const uint32_t firstFree = probe->GetId();
    time->DestroyTimeObject(probe);
    EXPECT_NE(CreateFactory(std::make_unique<ControlTestHost>(), nullptr), nullptr);
    probe = time->CreateTimeObject(nullptr, 10, 5);
    EXPECT_NE(probe->GetId(), firstFree) << "the factory's poll holds the first free slot";
    time->DestroyTimeObject(probe);
    DestroyFactory();
    TimeLibrary::DestroyTimeSystem();
}

TEST(Factory, IdsStartAtTwoAndAreNeverGivenOutTwice)
{
    ControlScene scene;
    Factory_impl& f = scene.Factory();
    IRectVO* a = f.CreateRectVO();
    IImageVO* b = f.CreateImageVO();
    EXPECT_EQ(a->GetId(), 2u);
    EXPECT_EQ(b->GetId(), 3u);
    f.ReleaseVO(a);
    IDialogVO* c = f.CreateDialogVO();
    EXPECT_EQ(c->GetId(), 4u);
    EXPECT_EQ(f.FindObject(2), nullptr);
    EXPECT_EQ(f.FindObject(4), c);
    f.ReleaseVO(b);
    f.ReleaseVO(c);
}

TEST(Factory, CreatorsReturnNullOnceTheIdsReachTheEndOfTheTable)
{
    ControlScene scene;
    Factory_impl& f = scene.Factory();
    std::vector<IRectVO*> objects;
    for (uint32_t id = 2; id < Factory_impl::kObjectSlots; ++id) {
        objects.push_back(f.CreateRectVO());
        ASSERT_NE(objects.back(), nullptr) << id;
    }
    for (IRectVO* o : objects)
        f.ReleaseVO(o);
    EXPECT_EQ(f.FindObject(5), nullptr);
    EXPECT_EQ(f.FindObject(Factory_impl::kObjectSlots - 1), nullptr);
    EXPECT_EQ(f.CreateRectVO(), nullptr);
    EXPECT_EQ(f.CreateEditBoxVO(), nullptr);
}

TEST(Factory, ReleaseDeletesOnlyWhenTheLastReferenceGoes)
{
    ControlScene scene;
    Factory_impl& f = scene.Factory();
    IRectVO* rect = f.CreateRectVO();
    rect->SetVisible(true);
    rect->AddRef();
    f.ReleaseVO(rect);
    EXPECT_EQ(f.FindObject(rect->GetId()), rect);
    EXPECT_EQ(f.GetLayerCount(), 1);
    f.ReleaseVO(rect);
    EXPECT_EQ(f.GetLayerCount(), 0);
    EXPECT_EQ(f.FindObject(2), nullptr);

    // Each kind goes through its own release.
    std::vector<uint32_t> ids;
    const auto made = [&](IVisibleObject* o) {
        ids.push_back(o->GetId());
        return o;
    };
    f.ReleaseVO(static_cast<IDialogVO*>(made(f.CreateDialogVO())));
    f.ReleaseVO(static_cast<ITextBoxVO*>(made(f.CreateTextBoxVO())));
    f.ReleaseVO(static_cast<IEditBoxVO*>(made(f.CreateEditBoxVO())));
    f.ReleaseVO(static_cast<ICheckBoxVO*>(made(f.CreateCheckBoxVO())));
    f.ReleaseVO(static_cast<IButtonVO*>(made(f.CreateButtonVO())));
    f.ReleaseVO(static_cast<ILinkVO*>(made(f.CreateLinkVO())));
    f.ReleaseVO(static_cast<IStringVO*>(made(f.CreateStringVO())));
    f.ReleaseVO(static_cast<IImageVO*>(made(f.CreateImageVO())));
    f.ReleaseVO(static_cast<IRectVO*>(made(f.CreateRectVO())));
    for (uint32_t id : ids)
        EXPECT_EQ(f.FindObject(id), nullptr) << id;
}

TEST(Factory, OneImageNameSharesOneEntryUntilItsLastRelease)
{
    ControlScene scene;
    Factory_impl& f = scene.Factory();
    scene.Host().AddImage("images/card.png", 8, 6, 0xFF102030);
    int32_t first = -1, second = -1;
    ASSERT_TRUE(f.AcquireImage("images/card.png", first));
    ASSERT_TRUE(f.AcquireImage("images/card.png", second));
    EXPECT_EQ(first, second);
    EXPECT_EQ(f.GetImageRefCount(first), 2);
    EXPECT_EQ(scene.Host().imageLoads.size(), 1u);
    const int32_t kept = first;
    EXPECT_TRUE(f.ReleaseImage(first));
    EXPECT_EQ(first, -1);
    EXPECT_EQ(f.GetImageRefCount(kept), 1);
    EXPECT_TRUE(f.ReleaseImage(second));
    EXPECT_EQ(f.GetImageRefCount(kept), 0);
    EXPECT_FALSE(f.ReleaseImage(second));

    int32_t none = -1;
    EXPECT_FALSE(f.AcquireImage("", none));
    EXPECT_FALSE(f.AcquireImage("images/absent.png", none));
    EXPECT_EQ(none, -1);
    int32_t outside = 6000;
    EXPECT_FALSE(f.ReleaseImage(outside));
    EXPECT_EQ(outside, 6000);
}

TEST(Factory, FontHandlesOfOneDescriptorShareAnEntryAndFailedLoadsKeepTheFont)
{
    ControlScene scene;
    Factory_impl& f = scene.Factory();
    IFont* a = f.CreateFont();
    IFont* b = f.CreateFont();
    EXPECT_EQ(a->GetHeight(), 0);
    ASSERT_TRUE(a->Load("fonts/Block10.txt"));
    ASSERT_TRUE(b->Load("fonts/Block10.txt"));
    const int32_t index = static_cast<Font_impl*>(a)->GetIndex();
    EXPECT_EQ(index, static_cast<Font_impl*>(b)->GetIndex());
    EXPECT_EQ(f.GetFontRefCount(index), 2);
    EXPECT_EQ(scene.Host().fontLoads.size(), 1u);
    EXPECT_EQ(a->GetHeight(), testing_support::kFontHeight);
    EXPECT_EQ(a->GetStringWidth("abc"), 3 * testing_support::kFontAdvance);

    EXPECT_FALSE(a->Load("fonts/missing.txt"));
    EXPECT_EQ(a->GetHeight(), testing_support::kFontHeight);
    f.ReleaseFont(a);
    EXPECT_EQ(f.GetFontRefCount(index), 1);
    f.ReleaseFont(b);
    EXPECT_EQ(f.GetFontRefCount(index), 0);
    f.ReleaseFont(nullptr);
}

TEST(Factory, FontHeldByATextObjectOutlivesTheOwnersRelease)
{
    ControlScene scene;
    Factory_impl& f = scene.Factory();
    IFont* font = f.CreateFont();
    font->Load("fonts/Block10.txt");
    IStringVO* label = f.CreateStringVO();
    label->SetFont(font);
    f.ReleaseFont(font);
    EXPECT_EQ(font->GetRefCount(), 1);
    EXPECT_EQ(font->GetHeight(), testing_support::kFontHeight);
    label->SetText("ab");
    EXPECT_EQ(label->GetSize(), (Size{2u * testing_support::kFontAdvance + 2, testing_support::kFontHeight + 4}));
    f.ReleaseVO(label);
}

TEST(Factory, VolumesReachOnlySoundsOfTheirKindAndPlayStartsAtThem)
{
    ControlScene scene;
    Factory_impl& f = scene.Factory();
    auto& music = scene.Host().music;
    ISound* tune = f.CreateSound(true);
    ISound* click = f.CreateSound(false);
    EXPECT_EQ(tune->GetHandle(), 2u);
    EXPECT_EQ(click->GetHandle(), 3u);
    const int32_t track = tune->Load("music/theme.ogg");
    EXPECT_EQ(track, 4);
    click->Load("sounds/click.wav");

    f.SetMusicVolume(50);
    EXPECT_DOUBLE_EQ(static_cast<Sound_impl*>(tune)->GetVolume(), 0.5);
    EXPECT_DOUBLE_EQ(static_cast<Sound_impl*>(click)->GetVolume(), 1.0);
    EXPECT_DOUBLE_EQ(music.volumes[track], 0.5);

    f.SetMusicVolume(40);
    tune->Play(true);
    ASSERT_EQ(music.starts.size(), 1u);
    EXPECT_EQ(music.starts[0].id, track);
    EXPECT_DOUBLE_EQ(music.starts[0].volume, 0.4);
    EXPECT_FALSE(music.starts[0].noLoop);
    f.SetEffectsVolume(60);
    click->Play(false);
    EXPECT_DOUBLE_EQ(music.starts[1].volume, 0.6);
    EXPECT_TRUE(music.starts[1].noLoop);

    EXPECT_EQ(click->Load("sounds/missing.wav"), -1);
    f.ReleaseSound(tune);
    EXPECT_EQ(music.dropped.back(), track);
    f.ReleaseSound(click);
    f.ReleaseSound(nullptr);
    EXPECT_EQ(f.CountSounds(), 0u);
}

TEST(Factory, SoundHeldByAButtonStaysAliveAfterItsOwnerReleasesIt)
{
    ControlScene scene;
    Factory_impl& f = scene.Factory();
    ISound* click = f.CreateSound(false);
    click->Load("sounds/click.wav");
    IButtonVO* button = f.CreateButtonVO();
    button->SetSounds(ButtonSounds{click, nullptr, nullptr});
    f.ReleaseSound(click);
    EXPECT_EQ(f.CountSounds(), 1u);
    button->SetSize(10, 10);
    button->SetVisible(true);
    f.DispatchMouseMove(5, 5);
    EXPECT_EQ(scene.Host().music.starts.size(), 1u);
    f.ReleaseVO(button);
    EXPECT_EQ(f.CountSounds(), 0u);
}

TEST(Factory, ForwardsRegistryScreenModeFolderAndSysObservers)
{
    ControlScene scene;
    Factory_impl& f = scene.Factory();
    uint32_t number = 7;
    EXPECT_FALSE(f.ReadRegistryInteger("Options\\Speed", number));
    EXPECT_EQ(number, 7u);
    EXPECT_TRUE(f.WriteRegistryInteger("Options\\Speed", 6));
    EXPECT_TRUE(f.ReadRegistryInteger("Options\\Speed", number));
    EXPECT_EQ(number, 6u);
    EXPECT_TRUE(f.WriteRegistryBool("Options\\FullScreen", true));
    bool flag = false;
    EXPECT_TRUE(f.ReadRegistryBool("Options\\FullScreen", flag));
    EXPECT_TRUE(flag);
    std::string text;
    EXPECT_TRUE(f.WriteRegistryString("Name", "Ann"));
    EXPECT_TRUE(f.ReadRegistryString("Name", text));
    EXPECT_EQ(text, "Ann");

    scene.Host().windowed = true;
    scene.Host().in3D = true;
    f.ToggleScreenMode();
    EXPECT_EQ(scene.Host().displayModes, std::vector<std::string>{"0/1/0"});
    EXPECT_EQ(f.GetAppDataFolder(), "appdata\\");
    f.AddPakArchive(0, "no-such.pak");
    EXPECT_EQ(scene.Host().directoryHooks.size(), 1u);
}

TEST(Factory, PlainHostIsTheNullApplication)
{
    FactoryHost plain;
    Point mouse{3, 4};
    EXPECT_FALSE(plain.GetMousePosition(mouse));
    EXPECT_EQ(plain.GetMusicInterface(), nullptr);
    EXPECT_EQ(plain.LoadImageFile("images/card.png", true), nullptr);
    EXPECT_EQ(plain.LoadFont("fonts/no-such-descriptor.txt"), nullptr);
    std::string text;
    EXPECT_FALSE(plain.RegReadText("Name", text));
}
