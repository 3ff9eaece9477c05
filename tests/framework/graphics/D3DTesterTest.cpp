// The 3D capability test on the headless machine: its verdicts on capable
// and doubtful cards, the cache and when it goes stale, video memory, the
// card lists and the driver's age, the picture tests under narrowed blend
// caps and texture formats, injected failures, demo playback, and the
// display's decision taken from the verdict.
#include "D3DTestSupport.h"

#include "framework/graphics/D3DTester.h"
#include "framework/graphics/DirectXErrorName.h"
#include "platform/core/ModuleRegistry.h"
#include "platform/core/Testing.h"
#include "platform/d3d/DeviceProfile.h"

using namespace d3dtest;
using Zolt::D3DTester;

namespace {

constexpr platform::GUID kOtherAdapter = {0x11111111, 0x2222, 0x3333, {1, 2, 3, 4, 5, 6, 7, 8}};

class Tester3D : public ::testing::Test {
protected:
    void SetUp() override
    {
        platform::UseHeadlessBackend(true);
        platform::ddraw::testing::ResetDisplay();
        platform::testing::ClearFailures();
        platform::testing::ClearModuleHiding();
        machine = std::make_unique<IsolatedMachine>();
    }
    void TearDown() override
    {
        machine.reset();
        platform::ddraw::testing::ResetDisplay();
        platform::testing::ClearFailures();
        platform::testing::ClearModuleHiding();
    }

    // Runs a fresh tester with the given thresholds.
    std::unique_ptr<D3DTester> RunTest(int minMB = 6, int recommendedMB = 14)
    {
        auto tester = std::make_unique<D3DTester>(&host);
        tester->SetMemoryThresholds(minMB, recommendedMB);
        tester->Run(displaytest::TestWindow(), nullptr);
        return tester;
    }
    void AcceptStockCard() { machine->WriteWorkFile("vhw.dat", "  Pellucor software  \n\nsome other card\n"); }

    // A value of the cache ("" when missing); numbers as decimal text.
    std::string Cached(const char* name)
    {
        platform::HKEY key = nullptr;
        if (platform::RegOpenKeyExA(platform::HKEY_CURRENT_USER, "SOFTWARE\\PellucorTest\\Test3D", 0,
                                    platform::KEY_READ, &key) != platform::ERROR_SUCCESS)
            return "";
        char buffer[4200] = {};
        platform::DWORD type = 0;
        platform::DWORD size = sizeof buffer;
        const bool ok = platform::RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<platform::BYTE*>(buffer),
                                                   &size) == platform::ERROR_SUCCESS;
        platform::RegCloseKey(key);
        if (!ok)
            return "";
        if (type == platform::REG_DWORD)
            return std::to_string(*reinterpret_cast<uint32_t*>(buffer));
        if (type == platform::REG_BINARY)
            return "binary " + std::to_string(size);
        return std::string(buffer);
    }

    static void Fail(const char* operation) { platform::testing::FailNext(operation, int64_t(platform::DDERR_GENERIC)); }
    static std::string Name() { return DirectXErrorName(platform::DDERR_GENERIC); }

    RecordingD3DHost host;
    std::unique_ptr<IsolatedMachine> machine;
};

} // namespace

TEST_F(Tester3D, AcceptedCapableCardPassesAndTheVerdictIsCached)
{
    AcceptStockCard();
    auto tester = RunTest();
    EXPECT_EQ(tester->GetFailureReason(), "");
    EXPECT_EQ(tester->GetWarning(), "");
    EXPECT_TRUE(tester->IsFresh());
    EXPECT_EQ(Cached("Version"), "2");
    EXPECT_EQ(Cached("MinVidMemory"), "6");
    EXPECT_EQ(Cached("RecVidMemory"), "14");
    EXPECT_EQ(Cached("DisplayGUID"), "binary 16");
    EXPECT_EQ(Cached("Warning"), "");
    EXPECT_EQ(host.relays, 1);
}

TEST_F(Tester3D, UnlistedCardWithoutADatedDriverIsWarnedAbout)
{
    auto tester = RunTest();
    EXPECT_EQ(tester->GetFailureReason(), "");
    EXPECT_EQ(tester->GetWarning(), "Unsupported video card: Pellucor software display");
    EXPECT_EQ(Cached("Warning"), "Unsupported video card: Pellucor software display");
}

TEST_F(Tester3D, MatchingCacheSkipsThePicturesAndKeepsItsWarning)
{
    RunTest();
    // Were the device made again, this would fail the test.
    Fail("CreateDevice");
    auto tester = RunTest();
    EXPECT_EQ(tester->GetFailureReason(), "");
    EXPECT_EQ(tester->GetWarning(), "Unsupported video card: Pellucor software display");
    EXPECT_FALSE(tester->IsFresh());
}

TEST_F(Tester3D, NewThresholdsOrANewAdapterMakeTheCacheStale)
{
    AcceptStockCard();
    RunTest();
    auto tester = RunTest(8, 16);
    EXPECT_TRUE(tester->IsFresh());
    EXPECT_EQ(Cached("MinVidMemory"), "8");
    EXPECT_EQ(Cached("RecVidMemory"), "16");

    platform::ddraw::testing::SetAdapter("Radeon of another make", "other.drv", kOtherAdapter);
    Fail("CreateDevice");
    tester = RunTest(8, 16);
    EXPECT_TRUE(tester->IsFresh());
    EXPECT_EQ(tester->GetFailureReason(), "DXError - CreateDevice: " + Name());
    EXPECT_EQ(Cached("FailureReason"), "DXError - CreateDevice: " + Name());
}

TEST_F(Tester3D, VideoMemoryBelowTheThresholdsFailsOrWarns)
{
    AcceptStockCard();
    // A 640 x 480 16-bit desktop holds 600 KB.
    platform::ddraw::testing::SetDesktop(640, 480, 16, 60);
    platform::ddraw::testing::SetVideoMemory(4608 * 1024, 4608 * 1024); // 5 MB in all
    auto tester = RunTest(6, 14);
    EXPECT_EQ(tester->GetFailureReason(), "Not enough video memory.");
    EXPECT_TRUE(tester->IsFresh());
    EXPECT_EQ(Cached("FailureReason"), "Not enough video memory.");

    platform::ddraw::testing::SetVideoMemory(9824 * 1024, 9824 * 1024); // 10 MB in all
    tester = RunTest(6, 14);
    EXPECT_EQ(tester->GetFailureReason(), "");
    EXPECT_EQ(tester->GetWarning(), "Low video memory.");

    Fail("GetAvailableVidMem");
    tester = RunTest(6, 15);
    EXPECT_EQ(tester->GetWarning(), "GetAvailableVidMem failed: " + Name());
}

TEST_F(Tester3D, TwentyFourBitDesktopCannotBeTested)
{
    AcceptStockCard();
    platform::ddraw::testing::SetDesktop(1024, 768, 24, 60);
    auto tester = RunTest();
    EXPECT_EQ(tester->GetFailureReason(), "Can't test 24-bit mode.");
}

TEST_F(Tester3D, CardThatCannotBlendFailsTheFirstPictureItGetsWrong)
{
    AcceptStockCard();
    platform::d3d::testing::SetBlendCaps(platform::kD3DAllBlendCaps,
                                         platform::kD3DAllBlendCaps & ~platform::D3DPBLENDCAPS_INVSRCALPHA);
    EXPECT_EQ(RunTest()->GetFailureReason(), "Alpha blend Not Supported");

    platform::d3d::testing::SetBlendCaps(platform::kD3DAllBlendCaps,
                                         platform::kD3DAllBlendCaps & ~platform::D3DPBLENDCAPS_ONE);
    EXPECT_EQ(RunTest(6, 15)->GetFailureReason(), "Additive blend not supported.");

    platform::d3d::testing::ResetDevice();
    platform::d3d::testing::SetAlphaBlending(false);
    EXPECT_EQ(RunTest(6, 16)->GetFailureReason(), "Alpha blend Not Supported");
}

TEST_F(Tester3D, MissingTextureFormatsWarnOrFail)
{
    AcceptStockCard();
    platform::d3d::testing::SetTextureFormats(platform::d3d::kTextureA4R4G4B4 | platform::d3d::kTextureR5G6B5);
    auto tester = RunTest();
    EXPECT_EQ(tester->GetFailureReason(), "");
    EXPECT_EQ(tester->GetWarning(), "A8R8G8B8 texture format not supported.");

    platform::d3d::testing::SetTextureFormats(platform::d3d::kTextureR5G6B5);
    tester = RunTest(6, 15);
    EXPECT_EQ(tester->GetFailureReason(), "A4R4G4B4 and A8R8G8B8 texture formats not supported.");
}

TEST_F(Tester3D, FailedCallsNameTheirStep)
{
    AcceptStockCard();
    struct Case {
        const char* operation;
        const char* step;
    };
    const Case cases[] = {
        {"CreateDevice", "CreateDevice"},
        {"CreateTexture", "CreateSurface (TextureSurface1)"},
        {"EnumTextureFormats", "EnumTextureFormats"},
        {"DrawPrimitive", "DrawPrimitive"},
        {"BeginScene", "BeginScene"},
    };
    int thresholds = 20;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.operation);
        Fail(c.operation);
        EXPECT_EQ(RunTest(6, ++thresholds)->GetFailureReason(), std::string("DXError - ") + c.step + ": " + Name());
    }
    platform::testing::HideModuleEntry("ddraw.dll", "DirectDrawCreateEx");
    EXPECT_EQ(RunTest(6, ++thresholds)->GetFailureReason(), "No DirectDrawCreateEx");
}

TEST_F(Tester3D, CardListsAndTheDriversAgeDecideSupport)
{
    D3DTester tester(&host);
    machine->WriteWorkFile("vhw.dat", "GeForce\n");
    machine->WriteWorkFile("vhwb.dat", "geforce 2 mx\n");
    EXPECT_TRUE(tester.IsCardSupported("NVIDIA GeForce 4 Ti"));
    EXPECT_FALSE(tester.IsCardSupported("NVIDIA GeForce 2 MX 400")) << "refused even though accepted";
    EXPECT_FALSE(tester.IsCardSupported("Matrox G400"));

    platform::DeleteFile(machine->WorkFolder() + "/vhw.dat");
    tester.SetDriverYear(2001);
    EXPECT_FALSE(tester.IsCardSupported("Matrox G400"));
    EXPECT_TRUE(tester.IsCardSupported("ATI Rage 128 Pro"));
    EXPECT_TRUE(tester.IsCardSupported("RADEON 7000"));
    EXPECT_FALSE(tester.IsCardSupported("Mobility RageATI")) << "\"ati \" needs its space";
    tester.SetDriverYear(2002);
    EXPECT_TRUE(tester.IsCardSupported("Matrox G400"));
}

TEST_F(Tester3D, DriverFoundInTheSystemFolderGivesItsYear)
{
    platform::testing::ScopedTempFolder system;
    platform::testing::WriteTestFile(system / "pellucor_display.drv", "driver");
    host.systemDirectory = system.Path();
    auto tester = RunTest();
    EXPECT_GE(tester->GetDriverYear(), 2024);
    EXPECT_EQ(tester->GetWarning(), "") << "a recent driver needs no list";
}

TEST_F(Tester3D, PlayedBackDemoTakesTheRecordedVerdict)
{
    host.playing = true;
    host.recordedFailure = "Not enough video memory.";
    host.recordedFresh = true;
    auto tester = RunTest();
    EXPECT_EQ(tester->GetFailureReason(), "Not enough video memory.");
    EXPECT_TRUE(tester->IsFresh());
    EXPECT_EQ(Cached("Version"), "") << "nothing tested, nothing stored";
}

namespace {
class AutoDetectingHost : public displaytest::TestHost {
public:
    bool WantsAuto3DDetection() override { return true; }
    void OnDisplayInitHook() override { ++hooks; }
    int hooks = 0;
};
} // namespace

TEST_F(Tester3D, DisplayTurns3DOnOnlyForACleanVerdict)
{
    for (bool accepted : {true, false}) {
        SCOPED_TRACE(accepted);
        if (accepted)
            AcceptStockCard();
        else
            platform::DeleteFile(machine->WorkFolder() + "/vhw.dat");
        host.registryKey = accepted ? "PellucorAccepted" : "PellucorRefused"; // no cached verdict
        AutoDetectingHost displayHost;
        auto made = std::make_unique<Zolt::D3DInterface>(&host);
        Zolt::D3DInterface* path = made.get();
        Zolt::DDInterface display(&displayHost, std::move(made));
        ASSERT_EQ(display.Initialize(displaytest::TestWindow(), true), Zolt::DDInterface::RESULT_OK);
        ASSERT_NE(path->GetTester(), nullptr);
        EXPECT_EQ(display.IsIn3DMode(), accepted);
        EXPECT_EQ(display.GetScreenImage()->IsScreen3D(), accepted);
        EXPECT_EQ(displayHost.hooks, 1) << "a fresh verdict calls the hook";
    }
}
