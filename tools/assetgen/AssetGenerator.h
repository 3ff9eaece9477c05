// Makes every asset of the catalog: paints each image, bakes each image font
// and synthesises each sound, and writes them into one folder per archive
// below the output folder (out/data/images/..., out/main/...), ready for the
// archive packer. The output folder is emptied first, so no stale file is
// ever packed. The same catalog and the same installed faces always give the
// same bytes.
//
// One instance per run, on the generator's only thread.
#pragma once

#include "tools/assetgen/AssetCatalog.h"
#include "tools/assetgen/BackgroundPainter.h"
#include "tools/assetgen/ButtonPainter.h"
#include "tools/assetgen/CardPainter.h"
#include "tools/assetgen/FontBaker.h"
#include "tools/assetgen/PlatePainter.h"
#include "tools/assetgen/TablePieces.h"

#include <memory>
#include <string>

namespace assetgen {

class AssetGenerator {
public:
    explicit AssetGenerator(const Typefaces& faces);

    bool Generate(const std::string& outFolder, std::string* error) const;

    std::unique_ptr<Canvas> PaintImage(const ImageAsset& image) const;
    BakedFont BakeFont(const FontAsset& font) const { return fonts_.Bake(font); }
    const ButtonPainter& Buttons() const { return buttons_; }

private:
    bool WriteImage(const ImageAsset& image, const std::string& path, std::string* error) const;
    bool WriteFont(const FontAsset& font, const std::string& root, std::string* error) const;
    bool WriteSound(const SoundAsset& sound, size_t index, const std::string& path, std::string* error) const;

    const Typefaces& faces_;
    ButtonPainter buttons_;
    PlatePainter plates_;
    BackgroundPainter backgrounds_;
    TablePieces pieces_;
    CardPainter cards_;
    FontBaker fonts_;
};

// The folder of an archive's files below the output folder ("data.pak" ->
// out + "/data").
std::string ArchiveFolder(const std::string& outFolder, const std::string& archive);

} // namespace assetgen
