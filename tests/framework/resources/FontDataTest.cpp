#include "framework/resources/FontData.h"

#include "FontTestHost.h"
#include "tests/support/PlatformTesting.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace Zolt {
namespace {

using testing::FontTestHost;

// A descriptor read from text under the name "fonts/test.txt".
struct Descriptor {
    explicit Descriptor(const std::string& text)
    {
        host.AddImage("fonts/glyphs.png", 20, 10, {});
        loaded = data.LoadFromText(&host, "fonts/test.txt", text);
    }
    ~Descriptor() { data.Release(); }

    FontTestHost host;
    FontData& data = *new FontData();
    bool loaded = false;
};

TEST(FontData, ErrorsNameFileLineAndCommand)
{
    Descriptor d("CreateLayer Main;\n\nLayerSetAscent Main\n  12 13");
    EXPECT_FALSE(d.loaded);
    ASSERT_EQ(d.host.errors.size(), 1u);
    EXPECT_EQ(d.host.errors[0], "Font Descriptor Error in fonts/test.txt\r\nInvalid Number of Parameters on Line 3:"
                                "\r\n\r\nLayerSetAscent Main\n12 13");
    EXPECT_FALSE(d.data.IsLoaded());
}

TEST(FontData, FailingConversionReportsItsOwnTextThenTheCommandsText)
{
    Descriptor d("LayerSetAscent Nowhere 3");
    ASSERT_EQ(d.host.errors.size(), 2u);
    EXPECT_NE(d.host.errors[0].find("\r\nUndefined Layer on Line 1"), std::string::npos);
    EXPECT_NE(d.host.errors[1].find("\r\nInvalid Paramater Type on Line 1"), std::string::npos);
}

TEST(FontData, SimpleFailuresReportTheirText)
{
    const std::pair<const char*, const char*> cases[] = {
        {"CreateLayer L;LayerSetDrawMode L 2", "Invalid Paramater Type"},
        {"SetCharMap ('a' 'b') ('c')", "List Size Mismatch"},
        {"Frobnicate 1", "Unknown Command"},
        {"Define 12 x", "Invalid Paramater Type"},
        {"SetDefaultPointSize twelve", "Invalid Paramater Type"},
        {"CreateLayer L;LayerSetImageMap L ('a') ((0 0 1 1))", "Layer image not set"},
        {"CreateLayer L;LayerSetImage L missing.png", "Failed to Load Image"},
        {"CreateLayer L;LayerSetOffset L (1 2 3)", "Invalid Paramater Type"},
        {"CreateLayer L;LayerSetColorMult L (1 1 1)", "Invalid Paramater Type"},
    };
    for (const auto& [text, error] : cases) {
        Descriptor d(text);
        EXPECT_FALSE(d.loaded) << text;
        EXPECT_EQ(d.data.GetErrorText(), error) << text;
    }
}

TEST(FontData, WithoutAHostErrorsAreOnlyStored)
{
    FontData* data = new FontData();
    EXPECT_FALSE(data->LoadFromText(nullptr, "f.txt", "Bogus"));
    EXPECT_EQ(data->GetErrorText(), "Unknown Command");
    data->Release();
}

TEST(FontData, CommandWordsAndNamesIgnoreCase)
{
    Descriptor d("createlayer Main; LAYERSETIMAGE main glyphs.png; layersetascent MAIN 7;"
                 "SetDefaultPointSize 0x10");
    ASSERT_TRUE(d.loaded) << d.data.GetErrorText();
    FontLayer* layer = d.data.FindLayer("mAiN");
    ASSERT_NE(layer, nullptr);
    EXPECT_EQ(layer->ascent, 7);
    EXPECT_EQ(d.data.DefaultPointSize(), 16);
    // The image is found beside the descriptor and made a palette image on
    // its first load.
    EXPECT_EQ(d.host.requests, (std::vector<std::string>{"fonts/glyphs.png"}));
    EXPECT_TRUE(layer->image.GetImage()->IsPalettized());
}

TEST(FontData, SecondLoadIsRefused)
{
    Descriptor d("CreateLayer A");
    ASSERT_TRUE(d.loaded);
    EXPECT_FALSE(d.data.LoadFromText(&d.host, "other.txt", "CreateLayer B"));
    EXPECT_EQ(d.data.FindLayer("B"), nullptr);
}

TEST(FontData, HorizontalSpanListDefinesRectangles)
{
    Descriptor d("CreateHorzSpanRectList Row (0 0 10 12) (5 6 7)");
    ASSERT_TRUE(d.loaded);
    ASSERT_NE(d.data.FindDefinition("row"), nullptr);
    EXPECT_EQ(DescParser::DataElementToString(*d.data.FindDefinition("ROW")),
              "((0, 0, 5, 12), (5, 0, 6, 12), (11, 0, 7, 12))");
}

TEST(FontData, ImageMapAcceptsRectanglesUpToTheImageEdge)
{
    Descriptor ok("CreateLayer L; LayerSetImage L glyphs.png;"
                  "LayerSetCharOffsets L ('a' 'b') ((0 0) (1 3));"
                  "LayerSetImageMap L ('a' 'b') ((0 0 20 10) (15 2 5 8))");
    ASSERT_TRUE(ok.loaded) << ok.data.GetErrorText();
    FontLayer* layer = ok.data.FindLayer("L");
    EXPECT_EQ(layer->glyphs['b'].imageRect, Rect(15, 2, 5, 8));
    EXPECT_EQ(layer->defaultHeight, 11) << "the tallest rectangle height plus offset y";

    const char* outside[] = {"(0 0 21 10)", "(0 1 20 10)", "(-1 0 2 2)", "(3 0 -2 2)"};
    for (const char* rect : outside) {
        Descriptor bad(std::string("CreateLayer L; LayerSetImage L glyphs.png; LayerSetImageMap L ('a') (") + rect +
                       ")");
        EXPECT_FALSE(bad.loaded) << rect;
        EXPECT_EQ(bad.data.GetErrorText(), "Image rectangle out of bounds") << rect;
    }
}

TEST(FontData, ColoursFromPackedValuesAndFactorLists)
{
    Descriptor d("CreateLayer L; LayerSetColorMult L 0x00FF0000; LayerSetColorAdd L (1.0 0.5 0 1);"
                 "Define Grey (0.5 0.5 0.5 1 9)");
    ASSERT_TRUE(d.loaded) << d.data.GetErrorText();
    FontLayer* layer = d.data.FindLayer("L");
    EXPECT_EQ(layer->colorMult, Color(255, 0, 0, 255));
    EXPECT_EQ(layer->colorAdd, Color(255, 127, 0, 255));
    Color grey;
    SingleDataElement name("grey");
    ASSERT_TRUE(d.data.GetColor(name, grey));
    EXPECT_EQ(grey, Color(127, 127, 127, 255));
}

TEST(FontData, DuplicateLayerNameIsReportedButReadingGoesOn)
{
    Descriptor d("CreateLayer A; LayerSetAscent A 5; CreateLayerFrom B A; CreateLayer a; LayerSetAscent A 6");
    EXPECT_TRUE(d.loaded);
    ASSERT_EQ(d.host.errors.size(), 1u);
    EXPECT_NE(d.host.errors[0].find("Layer Already Exists"), std::string::npos);
    ASSERT_EQ(d.data.Layers().size(), 3u);
    EXPECT_EQ(d.data.Layers()[0]->ascent, 6) << "the name keeps naming the first layer";
    EXPECT_EQ(d.data.Layers()[1]->ascent, 5) << "a copy of the layer as it was";
    EXPECT_EQ(d.data.Layers()[2]->ascent, 0);
}

TEST(FontData, CharacterTablesAndKerningInEightBits)
{
    Descriptor d("CreateLayer L; Define Chars (\"A\" 'B');"
                 "LayerSetCharWidths L Chars (4 5); LayerSetCharOrders L ('A') (-2);"
                 "LayerSetKerningPairs L ('AB' 'BA') (-3 300); SetCharMap ('x') ('A');"
                 "LayerRequireTags L ('bold'); LayerExcludeTags L ('Small'); LayerPointRange L 10 14");
    ASSERT_TRUE(d.loaded) << d.data.GetErrorText();
    const FontLayer& layer = *d.data.FindLayer("L");
    EXPECT_EQ(layer.glyphs['A'].width, 4);
    EXPECT_EQ(layer.glyphs['B'].width, 5);
    EXPECT_EQ(layer.glyphs['A'].order, -2);
    EXPECT_EQ(layer.glyphs['A'].kerning['B'], -3);
    EXPECT_EQ(layer.glyphs['B'].kerning['A'], 44) << "300 kept in 8 bits";
    EXPECT_EQ(d.data.MapChar('x'), 'A');
    EXPECT_EQ(d.data.MapChar('y'), 'y');
    EXPECT_EQ(layer.requiredTags, (std::vector<std::string>{"BOLD"}));
    EXPECT_EQ(layer.excludedTags, (std::vector<std::string>{"SMALL"}));
    EXPECT_EQ(layer.minPointSize, 10);
    EXPECT_EQ(layer.maxPointSize, 14);
}

TEST(FontData, GoodEntriesOfAListApplyBeforeTheBadOneIsReported)
{
    Descriptor d("CreateLayer L; LayerSetCharWidths L ('a' 'bc' 'd') (1 2 3)");
    EXPECT_FALSE(d.loaded);
    EXPECT_EQ(d.data.GetErrorText(), "Invalid Paramater Type");
    const FontLayer& layer = *d.data.FindLayer("L");
    EXPECT_EQ(layer.glyphs['a'].width, 1);
    EXPECT_EQ(layer.glyphs['d'].width, 3);
}

TEST(FontData, DefinitionsCopyWhatTheyName)
{
    Descriptor d("Define One (1 2); Define Two One; Define One 5; Define Text \"a b\"");
    ASSERT_TRUE(d.loaded);
    EXPECT_EQ(DescParser::DataElementToString(*d.data.FindDefinition("two")), "(1, 2)");
    EXPECT_EQ(DescParser::DataElementToString(*d.data.FindDefinition("one")), "5");
    EXPECT_EQ(DescParser::DataElementToString(*d.data.FindDefinition("text")), "\"a b\"");

    Descriptor bad("Define X (1 Missing)");
    EXPECT_FALSE(bad.loaded);
    ASSERT_EQ(bad.host.errors.size(), 2u);
    EXPECT_NE(bad.host.errors[0].find("Unable to Dereference \"Missing\""), std::string::npos);
}

TEST(FontData, WidthListFontLaysCharactersSideBySide)
{
    platform::testing::ScopedTempFolder folder;
    platform::testing::WriteTestFile(folder / "w.txt", "3 9\na 4\nb 5\nC 2\n");
    auto image = std::make_unique<MemoryImage>(nullptr);
    image->MakeBlank(11, 12);
    FontData* data = new FontData();
    ASSERT_TRUE(data->LoadWidthListFont(image.get(), folder / "w.txt"));
    EXPECT_TRUE(data->IsLoaded());
    const FontLayer& layer = *data->FindLayer("");
    EXPECT_EQ(layer.ascent, 9);
    EXPECT_EQ(layer.defaultHeight, 12);
    EXPECT_EQ(layer.glyphs[' '].width, 3);
    EXPECT_EQ(layer.glyphs['a'].imageRect, Rect(0, 0, 4, 12));
    EXPECT_EQ(layer.glyphs['b'].imageRect, Rect(4, 0, 5, 12));
    EXPECT_EQ(layer.glyphs['C'].imageRect, Rect(9, 0, 2, 12));
    EXPECT_EQ(data->MapChar('A'), 'a');
    EXPECT_EQ(data->MapChar('c'), 'C');
    EXPECT_EQ(data->MapChar('D'), 'D');
    EXPECT_FALSE(data->LoadWidthListFont(image.get(), folder / "w.txt")) << "loaded once";
    data->Release();

    FontData* missing = new FontData();
    EXPECT_FALSE(missing->LoadWidthListFont(image.get(), folder / "none.txt"));
    missing->Release();
    platform::testing::WriteTestFile(folder / "junk.txt", "x y z");
    FontData* junk = new FontData();
    EXPECT_FALSE(junk->LoadWidthListFont(image.get(), folder / "junk.txt"));
    junk->Release();
}

} // namespace
} // namespace Zolt
