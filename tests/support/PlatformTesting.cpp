#include "tests/support/PlatformTesting.h"

#include "platform/core/FileSystem.h"
#include "platform/core/Process.h"

#include <gtest/gtest.h>

#include <random>

namespace platform::testing {

ScopedTempFolder::ScopedTempFolder()
{
    std::optional<std::string> tmp = GetEnvironmentVariable("TMPDIR");
    std::string base = tmp && !tmp->empty() ? *tmp : std::string("/tmp");
    std::random_device random;
    for (int attempt = 0; attempt < 100 && path_.empty(); ++attempt) {
        std::string candidate = base + "/pellucor-test-" + std::to_string(random()) + std::to_string(random());
        if (CreateDirectory(candidate))
            path_ = candidate;
    }
    if (path_.empty())
        ADD_FAILURE() << "cannot make a temporary folder under " << base;
}

ScopedTempFolder::~ScopedTempFolder()
{
    if (!path_.empty())
        DeleteTree(path_);
}

void WriteTestFile(const std::string& path, const std::string& contents)
{
    std::FILE* file = std::fopen(path.c_str(), "wb");
    ASSERT_NE(file, nullptr) << "cannot create " << path;
    EXPECT_EQ(std::fwrite(contents.data(), 1, contents.size(), file), contents.size());
    std::fclose(file);
}

std::string ReadTestFile(const std::string& path)
{
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (!file)
        return "<missing>";
    std::string contents;
    char buffer[4096];
    size_t got;
    while ((got = std::fread(buffer, 1, sizeof buffer, file)) > 0)
        contents.append(buffer, got);
    std::fclose(file);
    return contents;
}

} // namespace platform::testing
