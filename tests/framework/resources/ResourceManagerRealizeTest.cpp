// Realising resource groups: images with their flags, alpha images and
// grids, sounds, fonts, the group steps, releases and look-ups by id.
#include "ResourceTestSupport.h"

#include "framework/graphics/Color.h"
#include "framework/graphics/Graphics.h"
#include "framework/resources/ImageFont.h"
#include "framework/resources/SysFont.h"
#include "imagelib/ImageLib.h"

#include <gtest/gtest.h>

#include <functional>

using restest::ResourceFixture;
using Zolt::ResourceManagerException;

using Ids = std::vector<std::string>;

namespace {

constexpr uint32_t kRed = 0xFFFF0000;
constexpr uint32_t kBlue = 0xFF0000FF;

std::vector<uint32_t> TwoColors(int w, int h)
{
    std::vector<uint32_t> pixels(size_t(w) * h);
    for (size_t i = 0; i < pixels.size(); ++i)
        pixels[i] = (i % 2) ? kRed : kBlue;
    return pixels;
}

// Grey values whose blue byte gives the alpha wanted.
std::vector<uint32_t> AlphaSource(const std::vector<uint8_t>& alphas)
{
    std::vector<uint32_t> pixels;
    for (uint8_t a : alphas)
        pixels.push_back(0xFF000000u | (uint32_t(a) << 16) | (uint32_t(a) << 8) | a);
    return pixels;
}

std::string ThrownText(const std::function<void()>& call)
{
    try {
        call();
    } catch (const ResourceManagerException& e) {
        return e.text;
    }
    return "<nothing thrown>";
}

} // namespace

class ResourceRealizing : public ResourceFixture {};

TEST_F(ResourceRealizing, ImagesAreSharedAndTakeTheirSettings)
{
    WritePng("cards.png", 4, 2, TwoColors(4, 2));
    ASSERT_TRUE(LoadGroup("<Image id=\"A\" path=\"cards.png\" cols=\"2\" anim=\"once\" a4r4g4b4 minsubdivide/>\n"
                          "<Image id=\"B\" path=\"cards.png\" nopal a8r8g8b8/>\n"));
    ASSERT_TRUE(manager.RealizeGroup("G")) << manager.LastErrorMessage();
    EXPECT_TRUE(manager.IsGroupLoaded("G"));
    EXPECT_EQ(manager.realized, (Ids{"A", "B"}));

    Zolt::SharedImageHandle a = manager.RequireImage("A");
    Zolt::SharedImageHandle b = manager.RequireImage("B");
    ASSERT_NE(a.GetImage(), nullptr);
    EXPECT_EQ(a.GetImage(), b.GetImage());
    EXPECT_EQ(host.diskLoads, 1);
    Zolt::MemoryImage* image = a.GetImage();
    EXPECT_EQ(image->GetTextureHints(), 1 | 4 | 8);
    // One image for both records: the grid of the one realised last holds
    // (a variant keeps images with different grids apart).
    EXPECT_EQ(image->GetCelCols(), 1);
    ASSERT_NE(image->GetAnimation(), nullptr);
    EXPECT_EQ(image->GetAnimation()->type, Zolt::ImageAnimation::Once);
    EXPECT_NE(image->GetAnimation(), &manager.Image("A")->animation) << "the image owns a copy";
    EXPECT_TRUE(image->IsPalettized()) << "two colours fit a palette";
    EXPECT_EQ(host.alphaColorsSeen, (std::vector<int>{0xFFFFFF, 0xFFFFFF}));
}

TEST_F(ResourceRealizing, NoBitsDropsThePixelsAndDdSurfaceTheOpaqueOnes)
{
    WritePng("n.png", 2, 2, TwoColors(2, 2));
    std::vector<uint32_t> translucent = TwoColors(2, 2);
    translucent[0] = 0x80FF0000;
    WritePng("t.png", 2, 2, translucent);
    ASSERT_TRUE(LoadGroup("<Image id=\"N\" path=\"n.png\" nobits nopal/>\n"
                          "<Image id=\"T\" path=\"t.png\" ddsurface nopal/>\n"));
    ASSERT_TRUE(manager.RealizeGroup("G")) << manager.LastErrorMessage();
    Zolt::MemoryImage* n = manager.RequireImage("N").GetImage();
    EXPECT_TRUE(n->IsPurged());
    EXPECT_EQ(n->GetBits(), nullptr);
    Zolt::MemoryImage* t = manager.RequireImage("T").GetImage();
    EXPECT_FALSE(t->IsPurged()) << "a translucent image keeps its pixels";
    EXPECT_NE(t->GetBits(), nullptr);
}

TEST_F(ResourceRealizing, AlphaImagesGiveTheAlphaOfNewImages)
{
    WritePng("base.png", 2, 2, TwoColors(2, 2));
    WritePng("mask.png", 2, 2, AlphaSource({0x00, 0x40, 0x80, 0xFF}));
    WritePng("small.png", 1, 2, AlphaSource({1, 2}));
    ASSERT_TRUE(LoadGroup("<Image id=\"A\" path=\"base.png\" alphaimage=\"mask.png\" alphacolor=\"123456\" nopal/>\n"
                          "<Image id=\"Bad\" path=\"base.png\" variant=\"other\" alphaimage=\"small.png\"/>\n"));
    ASSERT_FALSE(manager.RealizeGroup("G"));
    EXPECT_EQ(manager.LastErrorMessage(),
              "AlphaImage size mismatch between " + Dir() + "base.png and " + Dir() + "small.png");
    const uint32_t* bits = manager.RequireImage("A").GetImage()->RequireBits();
    EXPECT_EQ(bits[0], 0x000000FFu);
    EXPECT_EQ(bits[1], 0x40FF0000u);
    EXPECT_EQ(bits[2], 0x800000FFu);
    EXPECT_EQ(bits[3], 0xFFFF0000u);
    EXPECT_EQ(host.alphaColorsSeen.front(), 0x123456);
    EXPECT_EQ(ImageLib::gAlphaComposeColor, 0xFFFFFF);

    restest::TestManager missing(&host);
    WriteText("res.xml", "<ResourceManifest><Resources id=\"G\"><Image path=\"" + Dir() +
                             "base.png\" variant=\"v2\" alphaimage=\"" + Dir() + "none.png\"/>"
                             "</Resources></ResourceManifest>");
    ASSERT_TRUE(missing.LoadResourceFile(ManifestPath()));
    EXPECT_FALSE(missing.RealizeGroup("G"));
    EXPECT_EQ(missing.LastErrorMessage(), "Failed to load image: " + Dir() + "none.png");
}

TEST_F(ResourceRealizing, AlphaGridRepeatsOneCellOverEveryCell)
{
    // Two cells of 2 x 2 side by side, and a column of odd pixels that no
    // cell covers.
    WritePng("strip.png", 5, 2, std::vector<uint32_t>(10, 0xFF00FF00));
    WritePng("cell.png", 2, 2, AlphaSource({0x11, 0x22, 0x33, 0x44}));
    WritePng("wrong.png", 3, 2, AlphaSource({1, 2, 3, 4, 5, 6}));
    ASSERT_TRUE(LoadGroup("<Image id=\"S\" path=\"strip.png\" cols=\"2\" alphagrid=\"cell.png\" nopal/>\n"));
    ASSERT_TRUE(manager.RealizeGroup("G")) << manager.LastErrorMessage();
    Zolt::MemoryImage* strip = manager.RequireImage("S").GetImage();
    EXPECT_EQ(strip->GetCelCols(), 2);
    EXPECT_EQ(strip->GetCelRows(), 1);
    const uint32_t* bits = strip->RequireBits();
    const uint32_t expected[10] = {0x1100FF00, 0x2200FF00, 0x1100FF00, 0x2200FF00, 0xFF00FF00,
                                   0x3300FF00, 0x4400FF00, 0x3300FF00, 0x4400FF00, 0xFF00FF00};
    for (int i = 0; i < 10; ++i)
        EXPECT_EQ(bits[i], expected[i]) << i;

    restest::TestManager mismatch(&host);
    WriteText("res.xml", "<ResourceManifest><Resources id=\"G\"><Image path=\"" + Dir() +
                             "strip.png\" variant=\"v\" cols=\"2\" alphagrid=\"" + Dir() +
                             "wrong.png\"/></Resources></ResourceManifest>");
    ASSERT_TRUE(mismatch.LoadResourceFile(ManifestPath()));
    EXPECT_FALSE(mismatch.RealizeGroup("G"));
    EXPECT_EQ(mismatch.LastErrorMessage(),
              "GridAlphaImage size mismatch between " + Dir() + "strip.png and " + Dir() + "wrong.png");
}

TEST_F(ResourceRealizing, AFailureStopsTheGroupAndTheNextStartResumesAtIt)
{
    WritePng("a.png", 2, 2, TwoColors(2, 2));
    WritePng("c.png", 2, 2, TwoColors(2, 2));
    ASSERT_TRUE(LoadGroup("<Image path=\"a.png\"/><Image path=\"b.png\"/><Image path=\"c.png\"/>\n"));
    EXPECT_FALSE(manager.RealizeGroup("G"));
    EXPECT_EQ(manager.LastErrorMessage(), "Failed to load image: " + Dir() + "b.png");
    EXPECT_FALSE(manager.IsGroupLoaded("G"));
    EXPECT_EQ(manager.realized, Ids{"a"});
    EXPECT_FALSE(manager.Image("c")->IsLoaded());
    EXPECT_FALSE(manager.RealizeNextInGroup()) << "nothing more once failed";

    manager.BeginGroup("G");
    EXPECT_FALSE(manager.RealizeNextInGroup()) << "b is tried again, a is passed over";
    EXPECT_EQ(manager.realized, Ids{"a"});

    WritePng("b.png", 2, 2, TwoColors(2, 2));
    EXPECT_TRUE(manager.RealizeGroup("G")) << manager.LastErrorMessage();
    EXPECT_EQ(manager.realized, (Ids{"a", "b", "c"}));
}

TEST_F(ResourceRealizing, StepsRealiseOneRecordAtATime)
{
    EXPECT_FALSE(manager.RealizeNextInGroup()) << "no group begun";
    WritePng("a.png", 2, 2, TwoColors(2, 2));
    ASSERT_TRUE(LoadGroup("<Image id=\"P\" path=\"!program\"/><Image path=\"a.png\"/>"
                          "<Image id=\"a2\" path=\"a.png\" variant=\"x\"/>\n"));
    manager.BeginGroup("G");
    EXPECT_TRUE(manager.RealizeNextInGroup());
    EXPECT_EQ(manager.realized, Ids{"a"}) << "the program's record is passed over";
    EXPECT_TRUE(manager.RealizeNextInGroup());
    EXPECT_FALSE(manager.RealizeNextInGroup());
    EXPECT_FALSE(manager.RealizeNextInGroup());
    EXPECT_FALSE(manager.HasFailed());

    manager.BeginGroup("G");
    EXPECT_FALSE(manager.RealizeNextInGroup()) << "all loaded or from the program";
    manager.BeginGroup("Unknown");
    EXPECT_FALSE(manager.RealizeNextInGroup());
}

TEST_F(ResourceRealizing, ReleasingAGroupKeepsItsRecordsForTheNextLoad)
{
    WritePng("a.png", 2, 2, TwoColors(2, 2));
    ASSERT_TRUE(LoadGroup("<Image path=\"a.png\"/><Sound id=\"s\" path=\"s\"/>\n"));
    host.sounds.files = {Dir() + "s"};
    ASSERT_TRUE(manager.RealizeGroup("G")) << manager.LastErrorMessage();

    manager.ReleaseGroup("g");
    EXPECT_TRUE(manager.Image("a")->IsLoaded()) << "group names compare with case";
    EXPECT_TRUE(manager.IsGroupLoaded("G"));

    manager.ReleaseGroup("G");
    EXPECT_FALSE(manager.Image("a")->IsLoaded());
    EXPECT_FALSE(manager.Sound("s")->IsLoaded());
    EXPECT_EQ(host.sounds.freed, std::vector<int>{0});
    EXPECT_FALSE(manager.IsGroupLoaded("G"));
    EXPECT_EQ(ThrownText([&] { manager.RequireImage("a"); }), "Image resource not found: a");

    ASSERT_TRUE(manager.RealizeGroup("G"));
    EXPECT_TRUE(manager.Image("a")->IsLoaded());
    manager.ReleaseRecordData(manager.Images(), "");
    EXPECT_FALSE(manager.Image("a")->IsLoaded());
    EXPECT_TRUE(manager.Sound("s")->IsLoaded()) << "only the map given";
}

TEST_F(ResourceRealizing, SoundsTakeFreeIdsAndTheirDefaults)
{
    ASSERT_TRUE(LoadGroup("<Sound id=\"S0\" path=\"s0\" volume=\"0.0\"/>\n"
                          "<Sound id=\"S1\" path=\"s1\"/>\n"
                          "<Sound id=\"S2\" path=\"s2\" volume=\"0.5\" pan=\"-300\"/>\n"));
    host.sounds.files = {Dir() + "s0", Dir() + "s1", Dir() + "s2"};
    ASSERT_TRUE(manager.RealizeGroup("G")) << manager.LastErrorMessage();
    EXPECT_EQ(manager.RequireSound("S0"), 0);
    EXPECT_EQ(manager.RequireSound("S1"), 1);
    EXPECT_EQ(manager.RequireSound("S2"), 2);
    EXPECT_EQ(host.sounds.volumes, (std::map<int, double>{{0, 0.0}, {2, 0.5}})) << "a volume of 0 is a volume";
    EXPECT_EQ(host.sounds.pans, (std::map<int, int>{{2, -300}}));

    manager.ReleaseGroup("G");
    host.sounds.idLimit = 1;
    EXPECT_FALSE(manager.RealizeGroup("G"));
    EXPECT_EQ(manager.LastErrorMessage(), "Out of free sound ids");

    host.sounds.idLimit = 256;
    host.sounds.files.clear();
    manager.ReleaseGroup("G");
    EXPECT_FALSE(manager.RealizeGroup("G"));
    EXPECT_EQ(manager.LastErrorMessage(), "Failed to load sound: " + Dir() + "s0");

    // An application without a sound manager.
    host.sounds.files = {Dir() + "s0"};
    host.withSounds = false;
    EXPECT_FALSE(manager.RealizeGroup("G"));
    EXPECT_EQ(manager.LastErrorMessage(), "Failed to load sound: " + Dir() + "s0");
}

TEST_F(ResourceRealizing, AManagerWithoutApplicationFailsEveryLoadWithItsMessage)
{
    restest::TestManager alone(nullptr);
    WriteText("res.xml", "<ResourceManifest><Resources id=\"G\"><Image path=\"a.png\"/></Resources>"
                         "<Resources id=\"H\"><Sound path=\"s\"/></Resources></ResourceManifest>");
    ASSERT_TRUE(alone.LoadResourceFile(ManifestPath()));
    EXPECT_FALSE(alone.RealizeGroup("G"));
    EXPECT_EQ(alone.LastErrorMessage(), "Failed to load image: a.png");
    EXPECT_FALSE(alone.RealizeGroup("H"));
    EXPECT_EQ(alone.LastErrorMessage(), "Failed to load sound: s");
}

TEST_F(ResourceRealizing, AThrowingLoaderIsAFailedLoad)
{
    WritePng("a.png", 2, 2, TwoColors(2, 2));
    ASSERT_TRUE(LoadGroup("<Image path=\"a.png\" alphacolor=\"ff\"/>\n"));
    host.throwOnLoad = true;
    EXPECT_FALSE(manager.RealizeGroup("G"));
    EXPECT_EQ(manager.LastErrorMessage(), "Failed to load image: " + Dir() + "a.png");
    EXPECT_EQ(ImageLib::gAlphaComposeColor, 0xFFFFFF);
}

TEST_F(ResourceRealizing, MissingResourcesThrowTheFirstErrorText)
{
    ASSERT_TRUE(LoadGroup("<Image id=\"I\" path=\"!program\"/><Sound id=\"S\" path=\"!program\"/>"
                          "<Font id=\"F\" path=\"!program\"/>\n"));
    EXPECT_EQ(ThrownText([&] { manager.RequireSound("S"); }), "Sound resource not found: S");
    // The flag is still set: the next exception carries the first text.
    EXPECT_EQ(ThrownText([&] { manager.RequireFont("nope"); }), "Sound resource not found: S");
    manager.BeginGroup("G");
    EXPECT_EQ(ThrownText([&] { manager.RequireFont("nope"); }), "Font resource not found: nope");

    manager.SetAllowMissingProgramResources(true);
    EXPECT_EQ(manager.RequireImage("I").GetImage(), nullptr);
    EXPECT_EQ(manager.RequireSound("S"), -1);
    EXPECT_EQ(manager.RequireFont("F"), nullptr);
    EXPECT_EQ(manager.FindFont("F"), nullptr);
    EXPECT_EQ(manager.FindFont("nope"), nullptr);
    EXPECT_EQ(ThrownText([&] { manager.RequireImage("J"); }), "Font resource not found: nope");
    try {
        manager.RequireImage("J");
    } catch (const std::exception& e) {
        EXPECT_STREQ(e.what(), "Font resource not found: nope");
    }
}

TEST_F(ResourceRealizing, FontsFromWidthListsSystemFontsAndReferences)
{
    WriteWidthListFont("w");
    ASSERT_TRUE(LoadManifest("<Resources id=\"G\">\n"
                             "<Font id=\"W\" path=\"" + Dir() + "w.txt\" image=\"" + Dir() + "w.png\" tags=\"Big, red\"/>\n"
                             "<Font id=\"S\" path=\"!sys:Arial\" size=\"12\" shadow/>\n"
                             "</Resources>\n"
                             "<Resources id=\"H\">\n"
                             "<Font id=\"R\" path=\"!ref:W\"/>\n"
                             "</Resources>\n"))
        << manager.LastErrorMessage();
    ASSERT_TRUE(manager.RealizeGroup("G")) << manager.LastErrorMessage();
    ASSERT_TRUE(manager.RealizeGroup("H")) << manager.LastErrorMessage();

    auto* w = dynamic_cast<Zolt::ImageFont*>(manager.RequireFont("W"));
    ASSERT_NE(w, nullptr);
    EXPECT_EQ(w->MeasureText("ab"), 10);
    EXPECT_TRUE(w->ContainsTag("big"));
    EXPECT_TRUE(w->ContainsTag("RED"));
    auto* s = dynamic_cast<Zolt::SysFont*>(manager.RequireFont("S"));
    ASSERT_NE(s, nullptr);
    EXPECT_TRUE(s->HasShadow());

    Zolt::Font* r = manager.FindFont("R");
    ASSERT_NE(r, nullptr);
    EXPECT_NE(r, static_cast<Zolt::Font*>(w));

    // The copy outlives the font it was made from and still draws from the
    // shared glyph image.
    manager.ReleaseGroup("G");
    EXPECT_EQ(manager.FindFont("W"), nullptr);
    Zolt::MemoryImage canvas(nullptr);
    canvas.AssignBits(nullptr, 20, 8, false);
    Zolt::Graphics g(&canvas);
    g.SetFont(r);
    g.SetColor(Zolt::Color(255, 255, 255));
    g.RenderText("ab", 0, 5);
    EXPECT_EQ(r->MeasureText("ab"), 10);
    EXPECT_NE(canvas.RequireBits()[0], 0u) << "a glyph pixel was drawn";
}

TEST_F(ResourceRealizing, FontFailuresNameWhatFailed)
{
    WriteWidthListFont("w");
    WriteText("bad.txt", "CreateLayer A; Bogus\n");
    struct Case {
        std::string element;
        std::string error;
    };
    const std::vector<Case> cases = {
        {"<Font id=\"R\" path=\"!ref:Nope\"/>", "Ref font not found: Nope"},
        {"<Font path=\"missing.txt\"/>", "Failed to load font: " + Dir() + "missing.txt"},
        {"<Font path=\"bad.txt\"/>", "Failed to load font: " + Dir() + "bad.txt"},
        {"<Font path=\"w.txt\" image=\"" + Dir() + "none.png\"/>", "Failed to load image: " + Dir() + "none.png"},
    };
    for (const Case& c : cases) {
        restest::TestManager local(&host);
        WriteText("res.xml", "<ResourceManifest><Resources id=\"G\"><SetDefaults path=\"" + folder.Path() + "\"/>" +
                                 c.element + "</Resources></ResourceManifest>");
        ASSERT_TRUE(local.LoadResourceFile(ManifestPath())) << local.LastErrorMessage();
        EXPECT_FALSE(local.RealizeGroup("G"));
        EXPECT_EQ(local.LastErrorMessage(), c.error);
    }
}

TEST_F(ResourceRealizing, DestroyingTheManagerFreesItsSounds)
{
    host.sounds.files = {Dir() + "s"};
    {
        restest::TestManager local(&host);
        WriteText("res.xml", "<ResourceManifest><Resources id=\"G\"><Sound path=\"" + Dir() +
                                 "s\"/></Resources></ResourceManifest>");
        ASSERT_TRUE(local.LoadResourceFile(ManifestPath()));
        ASSERT_TRUE(local.RealizeGroup("G"));
    }
    EXPECT_EQ(host.sounds.freed, std::vector<int>{0});
}
