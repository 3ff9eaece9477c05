// assetgen --out <folder>            every asset, one sub-folder per archive
// assetgen --contact-sheet <file>    one PNG showing every image and font
// assetgen --mock <folder>           the table, start and set-up screens
//                                    composed from the assets, as PNGs
//
// Draws with the faces the set-up script installs; fails with a message when
// one is missing.
#include "tools/assetgen/AssetGenerator.h"
#include "tools/assetgen/ContactSheet.h"
#include "tools/CommandLineHelp.h"

#include <cairo.h>
#include <fontconfig/fontconfig.h>

#include <cstdio>
#include <cstring>
#include <string>

namespace {

constexpr const char* kUsage =
    "usage: assetgen --out <folder> | --contact-sheet <file.png> | --mock <folder>\n"
    "  --out            every asset, one sub-folder per archive\n"
    "  --contact-sheet  one PNG showing every image and font\n"
    "  --mock           the table, start and set-up screens composed from the assets, as PNGs";

int Run(int argc, char** argv)
{
    if (tools::AnswerHelp(argc, argv, kUsage))
        return 0;
    if (argc != 3 || (std::strcmp(argv[1], "--out") != 0 && std::strcmp(argv[1], "--contact-sheet") != 0 &&
                      std::strcmp(argv[1], "--mock") != 0)) {
        std::fprintf(stderr, "%s\n", kUsage);
        return 2;
    }
    assetgen::Typefaces faces;
    if (!faces.Load()) {
        std::fprintf(stderr, "assetgen: %s\n", faces.Error().c_str());
        return 1;
    }
    assetgen::AssetGenerator generator(faces);
    std::string error;
    bool ok = false;
    if (std::strcmp(argv[1], "--out") == 0)
        ok = generator.Generate(argv[2], &error);
    else if (std::strcmp(argv[1], "--contact-sheet") == 0)
        ok = assetgen::WriteContactSheet(generator, faces, argv[2], &error);
    else
        ok = assetgen::WriteMockScreens(generator, faces, argv[2], &error);
    if (!ok) {
        std::fprintf(stderr, "assetgen: %s\n", error.c_str());
        return 1;
    }
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    const int result = Run(argc, argv);
    // Give back the libraries' caches, so that a leak check of the
    // generator shows only its own.
    cairo_debug_reset_static_data();
    FcFini();
    return result;
}
