// Reading resource descriptions: records, ids, defaults, groups and the
// errors of bad descriptions.
#include "ResourceTestSupport.h"

#include "framework/resources/XmlReader.h"

#include <gtest/gtest.h>

using restest::ResourceFixture;
using Zolt::ImageAnimation;

using Ids = std::vector<std::string>;

class ResourceReading : public ResourceFixture {};

TEST_F(ResourceReading, RecordsTakeIdsPrefixesAndGroups)
{
    ASSERT_TRUE(LoadManifest("<Resources id=\"Start\">\n"
                             "  <SetDefaults path=\"images\\\" idprefix=\"IMAGE_\"/>\n"
                             "  <Image path=\"cards/deck.png\"/>\n"
                             "  <Image id=\"LOGO\" path=\"logo\"/>\n"
                             "  <Sound path=\"!program\"/>\n"
                             "</Resources>\n"
                             "<Resources id=\"Table\">\n"
                             "  <Sound path=\"sounds/chip\"/>\n"
                             "  <Font id=\"F\" path=\"!sys:Arial\" size=\"12\" bold=\"\"/>\n"
                             "</Resources>\n"))
        << manager.LastErrorMessage();

    EXPECT_EQ(manager.GroupIds("Start"), (Ids{"IMAGE_deck", "IMAGE_LOGO", "IMAGE_!program"}));
    EXPECT_EQ(manager.GroupIds("Table"), (Ids{"chip", "F"}));
    EXPECT_EQ(manager.Image("IMAGE_deck")->path, "images/cards/deck.png");
    EXPECT_EQ(manager.Image("IMAGE_deck")->group, "Start");
    // "!program" is kept as written and marks the record.
    EXPECT_EQ(manager.Sound("IMAGE_!program")->path, "!program");
    EXPECT_TRUE(manager.Sound("IMAGE_!program")->fromProgram);
    // Defaults end with their group.
    EXPECT_EQ(manager.Sound("chip")->path, "sounds/chip");
    EXPECT_EQ(manager.Sound("chip")->attributes.at("path"), "sounds/chip");
    auto* font = manager.FontRecord("F");
    EXPECT_TRUE(font->sysFont);
    EXPECT_EQ(font->path, "Arial");
    EXPECT_EQ(font->size, 12);
    EXPECT_TRUE(font->bold);
    EXPECT_FALSE(font->italic);
    EXPECT_FALSE(manager.IsGroupLoaded("Start"));
}

TEST_F(ResourceReading, EmptyDefaultPathMeansNoPrefix)
{
    ASSERT_TRUE(LoadManifest("<Resources id=\"G\">\n"
                             "<SetDefaults path=\"a/\"/><Image path=\"x\"/>\n"
                             "<SetDefaults path=\"\"/><Image path=\"y\"/>\n"
                             "</Resources>\n"));
    EXPECT_EQ(manager.Image("x")->path, "a/x");
    EXPECT_EQ(manager.Image("y")->path, "y");
}

TEST_F(ResourceReading, ImageAttributesFillTheRecord)
{
    ASSERT_TRUE(LoadGroup("<Image id=\"A\" path=\"a\" nopal a8r8g8b8 minsubdivide noalpha alphacolor=\"ff00\" "
                          "variant=\"v\" alphaimage=\"a_\" alphagrid=\"g\" rows=\"2\" cols=\"3\" anim=\"LOOP\" "
                          "framedelay=\"5\" perframedelay=\"1,2,3\"/>\n"
                          "<Image id=\"B\" path=\"b\" cols=\"4\" anim=\"PingPong\"/>\n"
                          "<Image id=\"C\" path=\"c\" nobits2d nobits3d framedelay=\"9\"/>\n"))
        << manager.LastErrorMessage();
    auto* a = manager.Image("A");
    EXPECT_FALSE(a->mayPalettize);
    EXPECT_TRUE(a->a8r8g8b8 && a->minSubdivide);
    EXPECT_FALSE(a->a4r4g4b4 || a->ddSurface);
    EXPECT_FALSE(a->useAlpha);
    EXPECT_EQ(a->alphaColor, 0xFF00u);
    EXPECT_EQ(a->variant, "v");
    EXPECT_EQ(a->alphaImagePath, Dir() + "a_");
    EXPECT_EQ(a->alphaGridPath, Dir() + "g");
    EXPECT_EQ(a->rows, 2);
    EXPECT_EQ(a->cols, 3);
    EXPECT_EQ(a->animation.type, ImageAnimation::Loop);
    EXPECT_EQ(a->animation.frameDelay, 5);
    EXPECT_EQ(a->animation.frameCount, 3);
    EXPECT_EQ(a->animation.perFrameDelays, (std::vector<int32_t>{1, 2, 3}));

    auto* b = manager.Image("B");
    EXPECT_EQ(b->animation.type, ImageAnimation::PingPong);
    EXPECT_EQ(b->animation.frameMap, (std::vector<int32_t>{0, 1, 2, 3, 2, 1}));

    auto* c = manager.Image("C");
    EXPECT_EQ(c->animation.type, ImageAnimation::None);
    EXPECT_EQ(c->animation.frameDelay, 1) << "frame delays are read only for animations";
    EXPECT_TRUE(c->noBits) << "2D display: nobits2d applies";
    EXPECT_EQ(c->alphaColor, 0xFFFFFFu);
}

TEST_F(ResourceReading, NoBitsFollowsTheDisplayMode)
{
    host.in3D = true;
    ASSERT_TRUE(LoadGroup("<Image id=\"A\" path=\"a\" nobits2d/><Image id=\"B\" path=\"b\" nobits3d/>"
                          "<Image id=\"C\" path=\"c\" nobits/>"));
    EXPECT_FALSE(manager.Image("A")->noBits);
    EXPECT_TRUE(manager.Image("B")->noBits);
    EXPECT_TRUE(manager.Image("C")->noBits);
}

TEST_F(ResourceReading, BadElementsFailWithLineAndFileAndAreNotKept)
{
    struct Case {
        std::string elements;
        std::string error;
        int line;
    };
    const std::vector<Case> cases = {
        {"<Image path=\"a\"/>\n<Image path=\"dir/a.png\"/>\n", "Resource already defined.", 5},
        {"<Image id=\"x\"/>\n", "No path specified.", 4},
        {"<Sound path=\"\"/>\n", "No path specified.", 4},
        {"<Image path=\"a\" anim=\"spin\"/>\n", "Invalid animation type.", 4},
        {"<Image path=\"a\" rows=\"0\"/>\n", "Invalid rows or cols.", 4},
        {"<Image path=\"a\" cols=\"-2\"/>\n", "Invalid rows or cols.", 4},
        {"<Image path=\"a\" rows=\"100000\" cols=\"100000\" anim=\"pingpong\"/>\n", "Invalid rows or cols.", 4},
        {"<Image path=\"a\" rows=\"2\" cols=\"3\" anim=\"once\" framemap=\"0,6\"/>\n", "Invalid frame map.", 4},
        {"<Image path=\"a\" anim=\"once\" framemap=\"-1\"/>\n", "Invalid frame map.", 4},
        {"<Image path=\"a\" cols=\"3\" anim=\"loop\" framedelay=\"1000000000\"/>\n", "Invalid frame delay.", 4},
        {"<Image path=\"a\" anim=\"loop\" perframedelay=\"2000000000,2000000000\" framemap=\"0,0\"/>\n",
         "Invalid frame delay.", 4},
        {"<Font path=\"!sys:Arial\" size=\"0\"/>\n", "SysFont needs point size", 4},
        {"<Font path=\"!sys:Arial\"/>\n", "SysFont needs point size", 4},
        {"<Picture path=\"a\"/>\n", "Invalid Section 'Picture'", 4},
        {"stray words\n", "Element Not Expected 'stray words'", 5},
        {"<Image path=\"a\"><Image path=\"b\"/></Image>\n", "Unexpected element found.", 4},
        {"<Image path=\"a\" />\n<Image path=\"b\"/>\n", "Unexpected element found.", 5},
    };
    for (const Case& c : cases) {
        restest::TestResourceHost localHost;
        restest::TestManager local(&localHost);
        WriteText("res.xml", "<ResourceManifest>\n<Resources id=\"G\">\n<SetDefaults path=\"d\"/>\n" + c.elements +
                                 "</Resources>\n</ResourceManifest>\n");
        EXPECT_FALSE(local.LoadResourceFile(ManifestPath())) << c.elements;
        EXPECT_TRUE(local.HasFailed());
        EXPECT_EQ(local.LastErrorMessage(),
                  c.error + " on Line " + std::to_string(c.line) + " in File '" + ManifestPath() + "'")
            << c.elements;
        EXPECT_LE(local.RecordCount(), 1u) << c.elements;
    }
}

TEST_F(ResourceReading, MalformedFilesGiveTheirFaultWithLineAndFile)
{
    struct Case {
        std::string text;
        std::string error;
    };
    const std::vector<Case> cases = {
        {"<ResourceManifest>\n<Resources id=\"G\">\n<Image path=\"a\"/>\n</Sound>\n",
         "End 'Sound' Doesn't Match Start 'Resources' on Line 4"},
        {"<ResourceManifest>\n<Resources id=\"G\">\n<Image path=\"a", "Unexpected End of File on Line 3"},
        {"<ResourceManifest>\n<Resources id=\"G\">\n<Image path=\"a\"/>\n", "Unexpected End of File on Line 4"},
        {"<ResourceManifest>\n<Resources id=\"G\">\n<Image <path=\"a\"/>\n", "Unexpected '<' on Line 3"},
        {"<ResourceManifest>\n<Resources id=\"G\">\n\x01\n", "Illegal Character on Line 3"},
        {"<ResourceManifest>\n<Resources>\n</Resources>\n</ResourceManifest>\n", "No id specified. on Line 2"},
        {"<Manifest>\n</Manifest>\n", "Invalid Section 'Manifest' on Line 1"},
        {"", "No ResourceManifest found. on Line 1"},
        {"<ResourceManifest>\n</ResourceManifest>\n<ResourceManifest/>", "Invalid Section 'ResourceManifest' on Line 3"},
    };
    for (const Case& c : cases) {
        restest::TestManager local(&host);
        WriteText("res.xml", c.text);
        EXPECT_FALSE(local.LoadResourceFile(ManifestPath()));
        EXPECT_EQ(local.LastErrorMessage(), c.error + " in File '" + ManifestPath() + "'") << c.text;
    }
    restest::TestManager missing(&host);
    EXPECT_FALSE(missing.LoadResourceFile(folder.File("none.xml")));
    EXPECT_EQ(missing.LastErrorMessage(), "Unable to open file in File '" + folder.File("none.xml") + "'");
}

TEST_F(ResourceReading, GroupsReadBeforeAFaultStay)
{
    EXPECT_FALSE(LoadManifest("<Resources id=\"A\"><Image path=\"x\"/></Resources>\n"
                              "<Resources id=\"B\"><Image path=\"y\"/><Oops/></Resources>\n"));
    EXPECT_EQ(manager.GroupIds("A"), (Ids{"x"}));
    EXPECT_EQ(manager.GroupIds("B"), (Ids{"y"}));
}

TEST_F(ResourceReading, RedefinitionUpdatesTheFirstRecord)
{
    manager.SetAllowRedefinition(true);
    ASSERT_TRUE(LoadManifest("<Resources id=\"A\">\n"
                             "<Image id=\"X\" path=\"one\" nopal rows=\"2\"/>\n"
                             "</Resources>\n"
                             "<Resources id=\"B\">\n"
                             "<Image id=\"X\" path=\"two\" cols=\"3\"/>\n"
                             "</Resources>\n"))
        << manager.LastErrorMessage();
    auto* x = manager.Image("X");
    EXPECT_EQ(x->path, "two");
    EXPECT_EQ(x->group, "A");
    EXPECT_TRUE(x->mayPalettize) << "the new attributes apply as a whole";
    EXPECT_EQ(x->rows, 1);
    EXPECT_EQ(x->cols, 3);
    EXPECT_EQ(manager.GroupIds("B"), Ids{});
    EXPECT_FALSE(manager.HasFailed());

    // A redefinition whose own attributes are bad changes nothing.
    restest::TestManager strict(&host);
    strict.SetAllowRedefinition(true);
    WriteText("res.xml", "<ResourceManifest><Resources id=\"A\"><Image id=\"X\" path=\"one\"/>"
                         "<Image id=\"X\" path=\"two\" anim=\"bad\"/></Resources></ResourceManifest>");
    EXPECT_FALSE(strict.LoadResourceFile(ManifestPath()));
    EXPECT_EQ(strict.Image("X")->path, "one");
}

TEST_F(ResourceReading, ErrorsOutsideADescriptionCarryNoLineOrFile)
{
    EXPECT_FALSE(manager.Fail("First"));
    EXPECT_FALSE(manager.Fail("Second"));
    EXPECT_EQ(manager.LastErrorMessage(), "First");

    // A reader with nothing open reports line 0 and no file: both omitted.
    XmlReader idle;
    restest::TestManager withReader(&host);
    withReader.SetXmlReader(&idle);
    withReader.Fail("Bare");
    EXPECT_EQ(withReader.LastErrorMessage(), "Bare");

    restest::TestManager noReader(&host);
    EXPECT_FALSE(noReader.ReadGroupElement());
    EXPECT_TRUE(noReader.HasFailed());
}
