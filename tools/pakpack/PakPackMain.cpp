// pakpack <folder> <out.pak>
//
// Packs every file below <folder> into an archive the file layer reads,
// members named by their path relative to the folder. The output depends
// only on the files' names and contents: members are sorted by name and all
// carry the same file time (SOURCE_DATE_EPOCH when set, else 0).
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "pak/PakFolderPacker.h"
#include "tools/CommandLineHelp.h"
#include "pak/PakFormat.h"
#include "platform/core/FileSystem.h"

namespace {

uint64_t FixedFileTime()
{
    const char* epoch = std::getenv("SOURCE_DATE_EPOCH");
    if (!epoch || !*epoch)
        return 0;
    char* end = nullptr;
    unsigned long long seconds = std::strtoull(epoch, &end, 10);
    if (*end != 0)
        return 0;
    return 116444736000000000ull + seconds * 10000000ull;
}

} // namespace

int main(int argc, char** argv)
{
    constexpr const char* kUsage = "usage: pakpack <folder> <out.pak>\n"
                                   "Packs every file below the folder into one archive.";
    if (tools::AnswerHelp(argc, argv, kUsage))
        return 0;
    if (argc != 3) {
        std::fprintf(stderr, "%s\n", kUsage);
        return 2;
    }
    std::string error;
    std::vector<PakMemberSource> members;
    if (!CollectPakMembers(argv[1], FixedFileTime(), &members, &error)) {
        std::fprintf(stderr, "pakpack: %s\n", error.c_str());
        return 1;
    }
    std::vector<uint8_t> archive;
    if (!BuildPakArchive(members, &archive, &error) ||
        !platform::WriteFileAtomic(argv[2], archive.data(), archive.size(), &error)) {
        std::fprintf(stderr, "pakpack: %s\n", error.c_str());
        return 1;
    }
    std::printf("pakpack: %zu files, %zu bytes -> %s\n", members.size(), archive.size(), argv[2]);
    return 0;
}
