// Scenario builders for tests of the file layer and its users: a temporary
// folder that removes itself, and archives built from name/contents pairs.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "pak/PakFormat.h"

namespace paktest {

class TempFolder {
public:
    TempFolder()
    {
        std::random_device rd;
        path_ = std::filesystem::temp_directory_path() / ("pellucor-pak-" + std::to_string(rd()) + std::to_string(rd()));
        std::filesystem::create_directories(path_);
    }
    ~TempFolder()
    {
        std::error_code ec;
        std::filesystem::current_path(std::filesystem::temp_directory_path(), ec);
        std::filesystem::remove_all(path_, ec);
    }
    std::string Path() const { return path_.string(); }
    std::string operator/(const std::string& rel) const { return (path_ / rel).string(); }

    std::string Write(const std::string& rel, const std::string& contents) const
    {
        std::filesystem::path p = path_ / rel;
        std::filesystem::create_directories(p.parent_path());
        std::ofstream(p, std::ios::binary) << contents;
        return p.string();
    }
    std::string Write(const std::string& rel, const std::vector<uint8_t>& bytes) const
    {
        return Write(rel, std::string(bytes.begin(), bytes.end()));
    }
    std::string Read(const std::string& rel) const
    {
        std::ifstream in(path_ / rel, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }

private:
    std::filesystem::path path_;
};

inline std::vector<uint8_t> MakeArchive(const std::vector<std::pair<std::string, std::string>>& members,
                                        uint64_t fileTime = 0)
{
    std::vector<PakMemberSource> sources;
    for (const auto& [name, contents] : members)
        sources.push_back(PakMemberSource{name, std::vector<uint8_t>(contents.begin(), contents.end()), fileTime});
    std::vector<uint8_t> out;
    std::string error;
    EXPECT_TRUE(BuildPakArchive(sources, &out, &error)) << error;
    return out;
}

} // namespace paktest
