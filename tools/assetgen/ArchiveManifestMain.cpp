// assetmanifest <file.cpp>   the program's table of what its archives hold
//
// Writes, from the asset catalogue, the C++ source of
// Zolt::ProgramArchiveManifest (framework/app/ArchiveManifest.h): every file
// each archive of the program holds. The build makes it beside the program's
// other sources, so the catalogue stays the one list of the game's files and
// the program checks its archives against the files the build packed into
// them. The file is written only when its text changes, so the program is
// not rebuilt for nothing.
#include "tools/CommandLineHelp.h"
#include "tools/assetgen/AssetCatalog.h"

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>

namespace {

constexpr const char* kUsage =
    "usage: assetmanifest <file.cpp>\n"
    "  writes the program's table of the files each of its archives holds, from the asset catalogue";

std::string Quoted(const std::string& text)
{
    std::string out = "\"";
    for (char c : text) {
        if (c == '"' || c == '\\')
            out += '\\';
        out += c;
    }
    return out + "\"";
}

std::string ManifestSource()
{
    const assetgen::Catalog& catalog = assetgen::GetCatalog();
    std::ostringstream out;
    out << "// Made by the build (tools/assetgen/ArchiveManifestMain.cpp) from the asset\n"
           "// catalogue, tools/assetgen/AssetCatalog.cpp: edit that, not this.\n"
           "#include \"framework/app/ArchiveManifest.h\"\n\n"
           "namespace Zolt {\n\n";
    size_t count = 0;
    std::ostringstream rows;
    for (const std::string& archive : catalog.archives)
        for (const std::string& member : assetgen::ArchiveMembers(catalog, archive)) {
            rows << "    {" << Quoted(archive) << ", " << Quoted(member) << "},\n";
            ++count;
        }
    if (count == 0) {
        out << "std::span<const ArchiveMember> ProgramArchiveManifest() { return {}; }\n";
    } else {
        out << "namespace {\n\nconstexpr ArchiveMember kMembers[] = {\n"
            << rows.str() << "};\n\n} // namespace\n\n"
            << "std::span<const ArchiveMember> ProgramArchiveManifest() { return kMembers; }\n";
    }
    out << "\n} // namespace Zolt\n";
    return out.str();
}

} // namespace

int main(int argc, char** argv)
{
    if (tools::AnswerHelp(argc, argv, kUsage))
        return 0;
    if (argc != 2) {
        std::fprintf(stderr, "%s\n", kUsage);
        return 2;
    }
    const std::string text = ManifestSource();
    std::ifstream existing(argv[1], std::ios::binary);
    std::ostringstream before;
    before << existing.rdbuf();
    if (existing && before.str() == text)
        return 0;
    std::ofstream out(argv[1], std::ios::binary | std::ios::trunc);
    out << text;
    out.close();
    if (!out) {
        std::fprintf(stderr, "assetmanifest: cannot write %s\n", argv[1]);
        return 1;
    }
    return 0;
}
