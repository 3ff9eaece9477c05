// What the program's own archives must hold: each file the game and the
// framework name, in the archive the build packs it into. The table is
// written at build time from the asset catalogue that the build paints the
// files from (tools/assetgen/AssetCatalog.cpp), so it is the same list and
// nobody keeps a second one by hand.
//
// An archive that opens but lacks some of them (or holds them empty) would
// give a game of blank cards and missing buttons that ends as if all were
// well: the application checks each archive it adds against this table and
// refuses one that does not hold its files, naming them.
//
// Threads: constant data, any thread.
#pragma once

#include <span>

namespace Zolt {

struct ArchiveMember {
    const char* archive; // the archive's file name, "data.pak"
    const char* path;    // the member, "images/cards/2s.png"
};

std::span<const ArchiveMember> ProgramArchiveManifest();

} // namespace Zolt
