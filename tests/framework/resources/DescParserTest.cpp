#include "framework/resources/DescParser.h"

#include "tests/support/PlatformTesting.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace Zolt {
namespace {

// Records every command as text with its line; "FAIL" commands fail, and
// "DEF name value" defines a name.
class RecordingParser : public DescParser {
public:
    bool ExecuteCommand(ListDataElement& parameters) override
    {
        commands.push_back(DataElementToString(parameters));
        lines.push_back(CurrentLine());
        texts.push_back(CurrentCommand());
        const std::string word = static_cast<SingleDataElement&>(*parameters.elements[0]).value;
        if (word == "FAIL")
            return ReportError("failed here");
        if (word == "DEF" && parameters.Size() == 3) {
            const DataElement& value = parameters.At(2);
            if (!value.isList) {
                SetDefinition(DataElementToString(parameters.At(1)), value.Clone());
                return true;
            }
            auto list = std::make_unique<ListDataElement>();
            if (!DereferenceList(static_cast<const ListDataElement&>(value), *list))
                return false;
            SetDefinition(DataElementToString(parameters.At(1)), std::move(list));
            return true;
        }
        return true;
    }

    std::vector<std::string> commands;
    std::vector<int> lines;
    std::vector<std::string> texts;
};

TEST(DescParser, SemicolonsSplitCommandsExceptInsideQuotes)
{
    RecordingParser parser;
    ASSERT_TRUE(parser.LoadDescriptorText("A 1;B 2;\nC 'x;y' \"p;q\""));
    EXPECT_EQ(parser.commands, (std::vector<std::string>{"(A, 1)", "(B, 2)", "(C, 'x;y', \"p;q\")"}));
}

TEST(DescParser, ListsBecomeNestedElements)
{
    RecordingParser parser;
    ListDataElement out;
    ASSERT_TRUE(parser.Tokenize("X (1 2) (3, 4) ((5))", out, false));
    EXPECT_EQ(DescParser::DataElementToString(out), "(X, (1, 2), (3, 4), ((5)))");
    ASSERT_EQ(out.Size(), 4u);
    EXPECT_TRUE(out.At(1).isList);
}

TEST(DescParser, MalformedListsAndQuotesAreReported)
{
    const std::pair<const char*, const char*> cases[] = {
        {"X (1 2", "Unterminated List"},       {"X 1)", "Unexpected List End"},
        {"X a(1)", "Unexpected List Start"},   {"X 'abc", "Unterminated Single Quotes"},
        {"X \"abc", "Unterminated Double Quotes"}, {"(1) X", "Missing Command"},
    };
    for (const auto& [text, error] : cases) {
        RecordingParser parser;
        EXPECT_FALSE(parser.ExecuteLine(text)) << text;
        EXPECT_EQ(parser.GetErrorText(), error) << text;
    }
}

TEST(DescParser, QuotesAndEscapesSurviveIntoValues)
{
    RecordingParser parser;
    ListDataElement out;
    ASSERT_TRUE(parser.Tokenize("'it''s' a\\ b 'say \\'hi\\'' 'say \"hi\"'", out, false));
    ASSERT_EQ(out.Size(), 4u);
    std::string value;
    ASSERT_TRUE(parser.GetStringValue(out.At(0), value));
    EXPECT_EQ(value, "it's");
    ASSERT_TRUE(parser.GetStringValue(out.At(1), value));
    EXPECT_EQ(value, "a b");
    // The escaped quotes stay in the token and do not end it.
    EXPECT_EQ(DescParser::DataElementToString(out.At(2)), "'say 'hi''");
    ASSERT_TRUE(parser.GetStringValue(out.At(3), value));
    EXPECT_EQ(value, "say \"hi\"");
}

TEST(DescParser, ReaderKeepsEscapedQuotesFromEndingAString)
{
    RecordingParser parser;
    ASSERT_TRUE(parser.LoadDescriptorText("A 'x\\';y';B"));
    ASSERT_EQ(parser.commands.size(), 2u);
    EXPECT_EQ(parser.texts[0], "A 'x\\';y'");
}

TEST(DescParser, AFileCutAfterABackslashInQuotesIsReportedAsItIsWritten)
{
    struct Sink : DescErrorSink {
        void OnDescError(const std::string& text, int line, const std::string& command) override
        {
            errors.push_back(text + " | " + std::to_string(line) + " | " + command);
        }
        std::vector<std::string> errors;
    } sink;
    RecordingParser parser;
    parser.SetErrorSink(&sink);
    EXPECT_FALSE(parser.LoadDescriptorText("A 1;\nB 'dir\\"));
    EXPECT_EQ(parser.commands, std::vector<std::string>{"(A, 1)"});
    EXPECT_EQ(sink.errors, std::vector<std::string>{"Unterminated Single Quotes | 2 | B 'dir\\"});
}

TEST(DescParser, CommentsOnlyAtTheStartOfALineOrAfterASemicolon)
{
    RecordingParser parser;
    ASSERT_TRUE(parser.LoadDescriptorText("# whole line\n  # indented comment\nA 1; # rest\nB a#b\n"));
    EXPECT_EQ(parser.commands, (std::vector<std::string>{"(A, 1)", "(B, a#b)"}));
}

TEST(DescParser, CommandsRunOverLinesAndKnowWhereTheyStarted)
{
    RecordingParser parser;
    ASSERT_TRUE(parser.LoadDescriptorText("\n\nA (1\n 2)\r\nB 3\n"));
    // Without a ";" the newline is only white space: all of it is one command.
    ASSERT_EQ(parser.commands.size(), 1u);
    EXPECT_EQ(parser.commands[0], "(A, (1, 2), B, 3)");
    EXPECT_EQ(parser.lines[0], 3);

    RecordingParser columns;
    columns.SetFlags(DescParser::kSemicolonEndsCommand | DescParser::kColumnZeroEndsCommand);
    ASSERT_TRUE(columns.LoadDescriptorText("A (1\n 2)\nB 3\n"));
    EXPECT_EQ(columns.commands, (std::vector<std::string>{"(A, (1, 2))", "(B, 3)"}));
    EXPECT_EQ(columns.lines, (std::vector<int>{1, 3}));
}

TEST(DescParser, FirstFailingCommandStopsTheReading)
{
    RecordingParser parser;
    EXPECT_FALSE(parser.LoadDescriptorText("A;FAIL 1;B"));
    EXPECT_EQ(parser.commands.size(), 2u);
    EXPECT_EQ(parser.GetErrorText(), "failed here");
}

TEST(DescParser, EmptyAndMissingFiles)
{
    RecordingParser parser;
    EXPECT_TRUE(parser.LoadDescriptorText(""));
    EXPECT_TRUE(parser.LoadDescriptorText("  \n# nothing\n;;\n"));
    EXPECT_TRUE(parser.commands.empty());

    platform::testing::ScopedTempFolder folder;
    EXPECT_FALSE(parser.LoadDescriptor(folder / "absent.txt"));
    EXPECT_EQ(parser.GetErrorText(), "");
    platform::testing::WriteTestFile(folder / "one.txt", "A 1;B 2");
    EXPECT_TRUE(parser.LoadDescriptor(folder / "one.txt"));
    EXPECT_EQ(parser.commands.size(), 2u);
}

TEST(DescParser, NamesResolveThroughDefinitionsWithoutRegardToCase)
{
    RecordingParser parser;
    ASSERT_TRUE(parser.LoadDescriptorText("DEF Pair (1 2);DEF Word 'hello'"));
    ListDataElement source;
    ASSERT_TRUE(parser.Tokenize("pair 'q' 7 WORD", source, false));
    ListDataElement out;
    ASSERT_TRUE(parser.DereferenceList(source, out));
    EXPECT_EQ(DescParser::DataElementToString(out), "((1, 2), q, 7, 'hello')");

    std::vector<int> ints;
    ASSERT_TRUE(parser.GetIntList(source.At(0), ints));
    EXPECT_EQ(ints, (std::vector<int>{1, 2}));
    std::string text;
    ASSERT_TRUE(parser.GetStringValue(source.At(3), text));
    EXPECT_EQ(text, "hello");
    EXPECT_FALSE(parser.GetStringValue(source.At(0), text)) << "a name of a list is no string";

    ListDataElement undefined;
    ASSERT_TRUE(parser.Tokenize("(1 Nope)", undefined, false));
    ListDataElement ignored;
    EXPECT_FALSE(parser.DereferenceList(static_cast<const ListDataElement&>(undefined.At(0)), ignored));
    EXPECT_EQ(parser.GetErrorText(), "Unable to Dereference \"Nope\"");
}

TEST(DescParser, ListConversionsFailWholeOnOneBadEntry)
{
    RecordingParser parser;
    ListDataElement source;
    ASSERT_TRUE(parser.Tokenize("(1 x2 3) (1.5 -2) ((1) 2)", source, false));
    std::vector<int> ints{9};
    EXPECT_FALSE(parser.GetIntList(source.At(0), ints));
    EXPECT_TRUE(ints.empty());
    std::vector<double> doubles;
    ASSERT_TRUE(parser.GetDoubleList(source.At(1), doubles));
    EXPECT_EQ(doubles, (std::vector<double>{1.5, -2}));
    std::vector<std::string> strings;
    EXPECT_FALSE(parser.GetStringList(source.At(2), strings));
    EXPECT_FALSE(parser.GetStringList(source.At(0), strings)) << "x2 is undefined";
}

TEST(DescParser, HostileNestingAndGrowthAreRefusedNotFollowed)
{
    RecordingParser deep;
    EXPECT_FALSE(deep.ExecuteLine("X " + std::string(100000, '(')));
    EXPECT_EQ(deep.GetErrorText(), "Lists Nested Too Deeply");

    // Each definition doubles the one before: the dereference stops at the
    // element limit instead of exhausting the memory.
    RecordingParser growth;
    ASSERT_TRUE(growth.ExecuteLine("DEF A (1 1 1 1 1 1 1 1)"));
    bool failed = false;
    for (int i = 0; i < 40 && !failed; ++i)
        failed = !growth.ExecuteLine("DEF A (A A)");
    EXPECT_TRUE(failed);
    EXPECT_EQ(growth.GetErrorText(), "List Too Large");
}

} // namespace
} // namespace Zolt
