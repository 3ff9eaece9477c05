#include "framework/resources/XmlReader.h"

#include "tests/support/ImageFixtures.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// Each item as one line: "start Image path=a.png", "end Image", "text a b",
// "pi xml| v=1", "comment  c"; attributes in the order read.
std::string Describe(const XmlElement& e)
{
    switch (e.type) {
    case XmlElement::StartTag: {
        std::string s = "start " + e.name;
        for (const std::string& n : e.attributeOrder)
            s += " " + n + "=" + e.attributes.at(n);
        return s;
    }
    case XmlElement::EndTag:
        return "end " + e.name;
    case XmlElement::Text:
        return "text " + e.name;
    case XmlElement::Instruction:
        return "pi " + e.name + "|" + e.instruction;
    case XmlElement::Comment:
        return "comment " + e.instruction;
    default:
        return "none";
    }
}

struct ReadResult {
    std::vector<std::string> items;
    std::string error;
    int line = 0;
};

ReadResult ReadAll(const std::string& text, bool comments = false)
{
    XmlReader reader;
    reader.SetShowComments(comments);
    reader.OpenText(text, "test.xml");
    ReadResult result;
    XmlElement e;
    while (reader.NextElement(e))
        result.items.push_back(Describe(e));
    result.error = reader.GetErrorText();
    result.line = reader.GetLineNumber();
    return result;
}

using Items = std::vector<std::string>;

} // namespace

TEST(XmlReader, SelfClosingTagsGiveTheirEndTagNext)
{
    EXPECT_EQ(ReadAll("<Image path=\"a.png\"/>").items, (Items{"start Image path=a.png", "end Image"}));
    EXPECT_EQ(ReadAll("<Font/>").items, (Items{"start Font", "end Font"}));
    EXPECT_EQ(ReadAll("<Image path=a.png/>").items, (Items{"start Image path=a.png", "end Image"}));
    // A valueless flag as the last attribute closes the tag just as well.
    EXPECT_EQ(ReadAll("<Image path=\"a.png\" nopal/>").items,
              (Items{"start Image path=a.png nopal=", "end Image"}));
}

TEST(XmlReader, SlashAfterWhiteSpaceIsAnAttributeAndClosesNothing)
{
    XmlReader reader;
    reader.OpenText("<Image path=\"a.png\" /><Sound path=\"b\"></Sound></Image>", "t");
    XmlElement e;
    ASSERT_TRUE(reader.NextElement(e));
    EXPECT_EQ(Describe(e), "start Image path=a.png");
    EXPECT_EQ(e.attributes.count("/"), 1u);
    EXPECT_EQ(e.attributeOrder.size(), 1u);
    ASSERT_TRUE(reader.NextElement(e));
    EXPECT_EQ(Describe(e), "start Sound path=b");
    EXPECT_EQ(e.section, "Image");
}

TEST(XmlReader, QuotedSlashStaysInTheValue)
{
    // A folder written with its separator inside the quotes keeps it, and
    // the element stays open for its explicit end tag.
    const ReadResult r = ReadAll("<SetDefaults path=\"images/\"></SetDefaults>");
    EXPECT_EQ(r.items, (Items{"start SetDefaults path=images/", "end SetDefaults"}));
    EXPECT_EQ(r.error, "");
}

TEST(XmlReader, SectionsFollowTheOpenElements)
{
    XmlReader reader;
    reader.OpenText("<R><G id=\"x\"><Image path=\"p\"/></G></R>", "t");
    std::vector<std::string> sections;
    XmlElement e;
    while (reader.NextElement(e))
        sections.push_back(e.section);
    EXPECT_EQ(sections, (Items{"", "R", "R/G", "R/G/Image", "R/G", "R"}));
    EXPECT_EQ(reader.GetSection(), "");
}

TEST(XmlReader, NestingBeyondAnyDescriptionIsRefusedSoReadingStaysLinear)
{
    // Each item carries the path of the open elements: thousands of levels
    // (or one enormous name with many children) would cost time in the
    // square of the file's size.
    auto nested = [](size_t depth, const std::string& name) {
        std::string text;
        for (size_t i = 0; i < depth; ++i)
            text += "<" + name + ">";
        for (size_t i = 0; i < depth; ++i)
            text += "</" + name + ">";
        return text;
    };
    EXPECT_EQ(ReadAll(nested(256, "a")).error, "");
    const ReadResult deep = ReadAll(nested(5000, "a"));
    EXPECT_EQ(deep.error, "Elements Nested Too Deeply");
    EXPECT_EQ(deep.items.size(), 256u);
    EXPECT_EQ(ReadAll("<" + std::string(5000, 'n') + "><c/></" + std::string(5000, 'n') + ">").error,
              "Elements Nested Too Deeply");
}

TEST(XmlReader, EndTagsMustMatchAndErrorsKeepTheirLine)
{
    ReadResult r = ReadAll("<R>\n<Image path=\"a\">\n</Sound>");
    EXPECT_EQ(r.error, "End 'Sound' Doesn't Match Start 'Image'");
    EXPECT_EQ(r.line, 3);
    EXPECT_EQ(r.items.size(), 2u);

    EXPECT_EQ(ReadAll("</R>").error, "Unexpected End");
    EXPECT_EQ(ReadAll("<R><Image path=\"a\" <x>").error, "Unexpected '<'");
    EXPECT_EQ(ReadAll("<R>a > b</R>").error, "Unexpected '>'");
    EXPECT_EQ(ReadAll("<R>\x01</R>").error, "Illegal Character");
    EXPECT_EQ(ReadAll(std::string("<R>a\0b</R>", 10)).error, "Illegal Character");
    EXPECT_EQ(ReadAll("<R><Image path=\"a").error, "Unexpected End of File");
    EXPECT_EQ(ReadAll("<R>tail").error, "Unexpected End of File");
}

TEST(XmlReader, AnErrorEndsReadingAndKeepsTheFirstText)
{
    XmlReader reader;
    reader.OpenText("</A><B></B>", "t");
    XmlElement e;
    EXPECT_FALSE(reader.NextElement(e));
    EXPECT_FALSE(reader.NextElement(e));
    EXPECT_TRUE(reader.HasFailed());
    EXPECT_EQ(reader.GetErrorText(), "Unexpected End");
}

TEST(XmlReader, EndOfFileBetweenItemsIsNoError)
{
    const ReadResult r = ReadAll("  <A></A>  \n\n");
    EXPECT_EQ(r.items, (Items{"start A", "end A"}));
    EXPECT_EQ(r.error, "");
    EXPECT_EQ(r.line, 3);
    XmlReader closed;
    XmlElement e;
    EXPECT_FALSE(closed.NextElement(e));
    EXPECT_FALSE(closed.HasFailed());
    EXPECT_EQ(closed.GetLineNumber(), 0);
}

TEST(XmlReader, TextKeepsOneSpaceForEachInnerRun)
{
    EXPECT_EQ(ReadAll("<A>  a   b  </A>").items, (Items{"start A", "text a b", "end A"}));
    // Quotes are kept in text and protect what they enclose.
    EXPECT_EQ(ReadAll("<A>say \"x  <y>\"</A>").items, (Items{"start A", "text say \"x  <y>\"", "end A"}));
}

TEST(XmlReader, EntitiesDecodeInValuesAndText)
{
    EXPECT_EQ(ReadAll("<A v=\"&lt;&gt;&amp;&quot;&apos;\"/>").items[0], "start A v=<>&\"'");
    EXPECT_EQ(XmlReader::DecodeEntities("a&foo;b"), "a&b");
    EXPECT_EQ(XmlReader::DecodeEntities("x&nbsp;y&cr;z"), "x y\nz");
    EXPECT_EQ(XmlReader::DecodeEntities("AT&T"), "AT&T");
    // A bare "&" keeps the words that follow it even when a ";" comes later.
    EXPECT_EQ(XmlReader::DecodeEntities("Salt & Pepper; hot &lt;3"), "Salt & Pepper; hot <3");
    // Nor does it take the entity right after it.
    EXPECT_EQ(XmlReader::DecodeEntities("AT&T&amp;Co"), "AT&T&Co");
    EXPECT_EQ(XmlReader::DecodeEntities(std::wstring(L"&lt;b&gt;")), L"<b>");
    EXPECT_EQ(ReadAll("<A>1 &lt; 2</A>").items[1], "text 1 < 2");
}

TEST(XmlReader, CommentsAreSkippedUnlessWanted)
{
    const std::string text = "<A><!-- two \"quoted\" words --><!--tight--></A>";
    EXPECT_EQ(ReadAll(text).items, (Items{"start A", "end A"}));
    EXPECT_EQ(ReadAll(text, true).items,
              (Items{"start A", "comment two \"quoted\" words ", "comment tight", "end A"}));
    // An odd quote inside a comment does not swallow what follows.
    EXPECT_EQ(ReadAll("<!-- 5\" wide --><B/>").items, (Items{"start B", "end B"}));
}

TEST(XmlReader, ProcessingInstructionsKeepTheirText)
{
    EXPECT_EQ(ReadAll("<?xml version=\"1.0\"?><A/>").items, (Items{"pi xml| version=1.0", "start A", "end A"}));
    EXPECT_EQ(ReadAll("<?xml?>").items, (Items{"pi xml|"}));
    EXPECT_EQ(ReadAll("<?xml >").error, "Unexpected '>'");
}

TEST(XmlReader, AttributesKeepOrderAndLastValueWins)
{
    const ReadResult r = ReadAll("<A b = \"2\" a=1 flag c=\"x y\" a=3></A>");
    EXPECT_EQ(r.items[0], "start A b=2 a=3 flag= c=x y");

    XmlElement e;
    EXPECT_TRUE(XmlReader::AddAttribute(e, "k", "1"));
    EXPECT_FALSE(XmlReader::AddAttribute(e, "k", "2"));
    EXPECT_TRUE(XmlReader::AddAttribute(e, "/", ""));
    EXPECT_EQ(e.attributeOrder, (Items{"k"}));
    EXPECT_EQ(XmlReader::GetAttribute(e.attributes, "k"), "2");
    EXPECT_EQ(XmlReader::GetAttribute(e.attributes, "missing"), "");
    EXPECT_EQ(e.attributes.count("missing"), 1u);
}

TEST(XmlReader, ReadsFilesThroughTheFileLayer)
{
    fixtures::TempFolder folder;
    const std::string text = "<R>\n  <Image path=\"a\"/>\n</R>\n";
    const std::string path = folder.Write("res.xml", fixtures::Bytes(text.begin(), text.end()));
    XmlReader reader;
    ASSERT_TRUE(reader.OpenFile(path));
    EXPECT_EQ(reader.GetFileName(), path);
    int count = 0;
    XmlElement e;
    while (reader.NextElement(e))
        ++count;
    EXPECT_EQ(count, 4);
    EXPECT_FALSE(reader.HasFailed());

    XmlReader missing;
    EXPECT_FALSE(missing.OpenFile(folder.File("none.xml")));
    EXPECT_TRUE(missing.HasFailed());
    EXPECT_FALSE(missing.NextElement(e));
}
