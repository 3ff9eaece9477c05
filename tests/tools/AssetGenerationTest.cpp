// The generator itself: the same sources give the same bytes (so archives
// and their caches never change without a reason), and the scan of the code's
// string literals finds names where the code writes them.
#include "tests/tools/SourceLiterals.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>

namespace fs = std::filesystem;

namespace {

std::string ReadAll(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

TEST(AssetGeneration, GeneratingAgainGivesTheSameBytes)
{
    const fs::path built = fs::path(PELLUCOR_BUILD_DIR) / "assets";
    const fs::path again = fs::temp_directory_path() / ("assetgen-again-" + std::to_string(std::random_device{}()));
    ASSERT_TRUE(fs::is_directory(built)) << "the build made no asset tree";
    const std::string command = std::string(PELLUCOR_ASSETGEN) + " --out " + again.string();
    ASSERT_EQ(std::system(command.c_str()), 0) << command;
    size_t files = 0;
    for (const auto& entry : fs::recursive_directory_iterator(built)) {
        if (!entry.is_regular_file())
            continue;
        ++files;
        const fs::path relative = fs::relative(entry.path(), built);
        ASSERT_TRUE(fs::exists(again / relative)) << relative << " was not made again";
        EXPECT_TRUE(ReadAll(entry.path()) == ReadAll(again / relative)) << relative << " differs";
    }
    size_t againFiles = 0;
    for (const auto& entry : fs::recursive_directory_iterator(again))
        againFiles += entry.is_regular_file();
    EXPECT_EQ(files, againFiles);
    EXPECT_GT(files, 200u);
    fs::remove_all(again);
}

TEST(AssetGeneration, LiteralScanSkipsCommentsAndCharacterLiterals)
{
    const std::string code = "// \"images/commented.png\"\n"
                             "const char q = '\"'; /* \"fonts/x.txt\"\n */ auto a = \"images/a.png\";\n"
                             "Load(\"sounds/cards/\" + n + \".ogg\"); s = \"tab\\\"quote\";\n";
    const std::vector<SourceLiteral> found = ScanLiterals("x.cpp", code);
    ASSERT_EQ(found.size(), 4u);
    EXPECT_EQ(found[0].text, "images/a.png");
    EXPECT_EQ(found[0].line, 3);
    EXPECT_EQ(found[1].text, "sounds/cards/");
    EXPECT_EQ(found[2].text, ".ogg");
    EXPECT_EQ(found[3].text, "tab\"quote");
}

} // namespace
