#include "platform/registry/RegistryFile.h"

#include <gtest/gtest.h>

namespace platform::registry {
namespace {

TEST(RegistryFile, WordsEscapeEveryByteThatCouldSplitOrConfuseALine)
{
    std::string all;
    for (int b = 0; b < 256; ++b)
        all += static_cast<char>(b);
    const std::string word = EncodeWord(all);
    EXPECT_EQ(word.find(' '), std::string::npos);
    EXPECT_EQ(word.find('\n'), std::string::npos);
    std::string back;
    ASSERT_TRUE(DecodeWord(word, &back));
    EXPECT_EQ(back, all);
    ASSERT_TRUE(DecodeWord(EncodeWord(""), &back));
    EXPECT_EQ(back, "");
}

TEST(RegistryFile, BrokenEscapesAreRejectedWithoutReadingPastTheWord)
{
    std::string out;
    for (const char* bad : {"%", "%4", "%G0", "ab%", "a%0"}) {
        if (std::string(bad) == "%")
            continue; // the empty word
        EXPECT_FALSE(DecodeWord(bad, &out)) << bad;
    }
    EXPECT_FALSE(DecodeWord("", &out));
    // A word that is a view into a longer line ends where the view ends.
    EXPECT_FALSE(DecodeWord(std::string_view("%41", 2), &out));
    EXPECT_FALSE(DecodeWord(std::string_view("a%4142", 3), &out));
}

TEST(RegistryFile, PrintableTextIsStoredAsItselfSoTheFileCanBeEditedByHand)
{
    EXPECT_EQ(EncodeWord("Tahoma!~{}"), "Tahoma!~{}");
    EXPECT_EQ(EncodeWord("a b%"), "a%20b%25");
    std::string out;
    ASSERT_TRUE(DecodeWord("%aF%fA%09%90", &out)) << "escapes written by hand may use either case";
    EXPECT_EQ(out, "\xAF\xFA\x09\x90");
}

TEST(RegistryFile, RawBytesThatEncodingWouldEscapeAreRefused)
{
    std::string out;
    for (const char* bad : {"a b", "a\tb", "\x1F", "a\x7F", "a\x80", "\xFF"})
        EXPECT_FALSE(DecodeWord(bad, &out)) << static_cast<int>(static_cast<unsigned char>(bad[1]));
}

TEST(RegistryFile, AFileEditedByHandStillReads)
{
    // Windows line ends, blank lines, no newline after the last line.
    const std::string text = "pellucor-registry 1\r\n\r\nkey A\r\n\nvalue n 4 %01%00%00%00\r\nvalue m 1 x";
    Key root;
    std::string error;
    ASSERT_TRUE(Parse(text, &root, &error)) << error;
    ASSERT_TRUE(root.subKeys.count("a"));
    const Key& a = *root.subKeys["a"];
    EXPECT_EQ(a.name, "A");
    ASSERT_TRUE(a.values.count("n") && a.values.count("m"));
    EXPECT_EQ(a.values.at("n").data, (std::vector<uint8_t>{1, 0, 0, 0}));
    EXPECT_EQ(a.values.at("m").data, (std::vector<uint8_t>{'x'}));
}

TEST(RegistryFile, ATypeOfTwoDigitsReadsWhole)
{
    // REG_QWORD is 11; its word is longer than the name and the data here.
    Key root;
    std::string error;
    ASSERT_TRUE(Parse("pellucor-registry 1\nkey A\nvalue q 11 %\n", &root, &error)) << error;
    EXPECT_EQ(root.subKeys["a"]->values.at("q").type, 11u);
}

TEST(RegistryFile, ParseNamesTheLineOfTheFirstProblemAndLeavesNothingBehind)
{
    struct Case {
        const char* text;
        const char* line;
    } cases[] = {
        {"", "line 1: the file is empty"},
        {"pellucor-registry 1\nkey A \n", "line 2"}, // an empty word is "%", never nothing
        {"pellucor-registry 1\nkey %\nvalue a 4 %00%00%00%00\nbogus\n", "line 4"},
        {"something else\n", "line 1"},
        {"pellucor-registry 1\nvalue a 4 %00%00%00%00\n", "line 2"},
        {"pellucor-registry 1\nkey A\nvalue a x 00\n", "line 3"},
        {"pellucor-registry 1\nkey A\nvalue a 4x %00\n", "line 3"},
        {"pellucor-registry 1\nkey A\nvalue a 4\n", "line 3"},
        {"pellucor-registry 1\nkey A\\\\B\n", "line 2"},
        {"pellucor-registry 1\nkey A\nbogus\n", "line 3"},
    };
    for (const Case& c : cases) {
        Key root;
        std::string error;
        EXPECT_FALSE(Parse(c.text, &root, &error)) << c.text;
        EXPECT_EQ(error.rfind(c.line, 0), 0u) << c.text << " -> " << error;
        EXPECT_TRUE(root.subKeys.empty());
        EXPECT_TRUE(root.values.empty());
    }
}

TEST(RegistryFile, AProblemIsNamedByTheWordThatCausedIt)
{
    Key root;
    std::string error;
    EXPECT_FALSE(Parse("pellucor-registry 1\nkey A\nvalue name 4x %00\n", &root, &error));
    EXPECT_NE(error.find("\"4x\""), std::string::npos) << error;
    const std::string longWord(60, 'w');
    EXPECT_FALSE(Parse("pellucor-registry 1\n" + longWord + "\n", &root, &error));
    EXPECT_NE(error.find("\"" + std::string(40, 'w') + "\""), std::string::npos) << "cut to 40 characters: " << error;
}

TEST(RegistryFile, ASerializedTreeParsesBackTheSame)
{
    Key root;
    auto& software = root.subKeys["SOFTWARE"];
    software = std::make_unique<Key>();
    software->name = "SOFTWARE";
    Value v;
    v.name = "With space";
    v.type = 3;
    v.data = {0, 10, 13, 32, 37};
    software->values[v.name] = v;
    auto& empty = software->subKeys["Empty Key"];
    empty = std::make_unique<Key>();
    empty->name = "Empty Key";

    Key parsed;
    std::string error;
    ASSERT_TRUE(Parse(Serialize(root), &parsed, &error)) << error;
    ASSERT_TRUE(parsed.subKeys.count("software"));
    const Key& s = *parsed.subKeys["software"];
    EXPECT_EQ(s.name, "SOFTWARE");
    ASSERT_TRUE(s.values.count("WITH SPACE"));
    EXPECT_EQ(s.values.at("with space").data, v.data);
    EXPECT_TRUE(s.subKeys.count("empty key")) << "keys without values are kept";
}

TEST(RegistryFile, AFileCutShortAtAnyLineEndIsNoticed)
{
    Key root;
    for (const char* name : {"A", "B"}) {
        auto& key = root.subKeys[name];
        key = std::make_unique<Key>();
        key->name = name;
        key->values["v"] = Value{"v", 4, {1, 0, 0, 0}};
    }
    const std::string whole = Serialize(root);
    Key parsed;
    std::string error;
    ASSERT_TRUE(Parse(whole, &parsed, &error)) << error;
    for (size_t end = whole.find('\n'); end + 1 < whole.size(); end = whole.find('\n', end + 1)) {
        const std::string cut = whole.substr(0, end + 1);
        Key part;
        EXPECT_FALSE(Parse(cut, &part, &error)) << cut;
        EXPECT_NE(error.find("cut short"), std::string::npos) << error;
    }
    EXPECT_FALSE(Parse(whole + "key C\n", &parsed, &error)) << "nothing follows the end line";
    EXPECT_NE(error.find("after the end"), std::string::npos) << error;
}

} // namespace
} // namespace platform::registry

#include <random>

namespace platform::registry {
namespace {

TEST(RegistryFile, DamagedFilesAreRefusedOrReadButNeverCrash)
{
    const std::string good = "pellucor-registry 1\nkey SOFTWARE\\Zolt\\Pellucor\nvalue MusicVolume 4 U%00%00%00\n"
                             "value Name 1 Tahoma%208%00\nkey SOFTWARE\\Zolt\\Pellucor\\Test3D\nvalue % 3 %FF%00%25\n";
    std::mt19937 random(20261207);
    for (int round = 0; round < 3000; ++round) {
        std::string damaged = good;
        const int edits = 1 + static_cast<int>(random() % 4);
        for (int e = 0; e < edits; ++e) {
            const size_t at = random() % damaged.size();
            switch (random() % 3) {
            case 0: damaged[at] = static_cast<char>(random() % 256); break;
            case 1: damaged.erase(at, 1 + random() % 5); break;
            default: damaged.resize(at); break;
            }
            if (damaged.empty())
                break;
        }
        Key root;
        std::string error;
        if (!Parse(damaged, &root, &error)) {
            EXPECT_FALSE(error.empty());
            EXPECT_TRUE(root.subKeys.empty() && root.values.empty());
        }
    }
}

} // namespace
} // namespace platform::registry
