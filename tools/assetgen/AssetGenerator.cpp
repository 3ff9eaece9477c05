#include "tools/assetgen/AssetGenerator.h"

#include "tools/assetgen/SoundSynth.h"

#include <filesystem>
#include <fstream>

namespace assetgen {

namespace fs = std::filesystem;

namespace {

bool WriteBytes(const std::string& path, const void* data, size_t size, std::string* error)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(static_cast<const char*>(data), static_cast<std::streamsize>(size));
    if (!out) {
        *error = "cannot write " + path;
        return false;
    }
    return true;
}

bool MakeParent(const std::string& path, std::string* error)
{
    std::error_code ec;
    fs::create_directories(fs::path(path).parent_path(), ec);
    if (ec) {
        *error = "cannot create the folder of " + path + ": " + ec.message();
        return false;
    }
    return true;
}

bool EndsWith(const std::string& text, const std::string& tail)
{
    return text.size() >= tail.size() && text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}

} // namespace

std::string ArchiveFolder(const std::string& outFolder, const std::string& archive)
{
    const size_t dot = archive.rfind('.');
    return outFolder + "/" + archive.substr(0, dot);
}

AssetGenerator::AssetGenerator(const Typefaces& faces)
    : faces_(faces), buttons_(faces), plates_(faces), backgrounds_(faces), pieces_(faces), cards_(faces),
      fonts_(faces)
{
}

std::unique_ptr<Canvas> AssetGenerator::PaintImage(const ImageAsset& image) const
{
    auto canvas = std::make_unique<Canvas>(image.width, image.height);
    switch (image.painter) {
    case Painter::ButtonSheet:
        buttons_.PaintSheet(image, *canvas);
        break;
    case Painter::StakeFrame:
        plates_.PaintStakeFrame(image, *canvas);
        break;
    case Painter::Tick:
        plates_.PaintTick(*canvas);
        break;
    case Painter::Plate:
        plates_.PaintPlate(image, *canvas);
        break;
    case Painter::Background:
        backgrounds_.Paint(image, *canvas);
        break;
    case Painter::CardFace:
        cards_.PaintFace(*canvas, image.variant / 52 + 1, image.variant % 52 / 4, image.variant % 4);
        break;
    case Painter::CardBack:
        cards_.PaintBack(*canvas);
        break;
    case Painter::CardMask:
        cards_.PaintMask(*canvas);
        break;
    default:
        pieces_.Paint(image, *canvas);
        break;
    }
    return canvas;
}

bool AssetGenerator::WriteImage(const ImageAsset& image, const std::string& path, std::string* error) const
{
    std::unique_ptr<Canvas> canvas = PaintImage(image);
    if (EndsWith(path, ".jpg"))
        return canvas->WriteJpeg(path, 90, error);
    return canvas->WritePng(path, error);
}

bool AssetGenerator::WriteFont(const FontAsset& font, const std::string& root, std::string* error) const
{
    const BakedFont baked = fonts_.Bake(font);
    const std::string descriptor = root + "/" + font.descriptor;
    const std::string atlas = root + "/" + font.atlas;
    return MakeParent(descriptor, error) &&
           WriteBytes(descriptor, baked.descriptorText.data(), baked.descriptorText.size(), error) &&
           baked.atlas->WritePng(atlas, error);
}

bool AssetGenerator::WriteSound(const SoundAsset& sound, size_t index, const std::string& path,
                                std::string* error) const
{
    const Sound samples = Synthesize(sound.recipe, sound.variant);
    std::vector<uint8_t> bytes;
    if (EndsWith(path, ".wav"))
        bytes = EncodeWav(samples);
    // Each stream gets its own fixed serial number.
    else if (!EncodeOgg(samples, sound.recipe == SoundRecipe::TableMusic ? 0.2f : 0.4f,
                        0x50454C00u + static_cast<uint32_t>(index), &bytes, error))
        return false;
    return WriteBytes(path, bytes.data(), bytes.size(), error);
}

bool AssetGenerator::Generate(const std::string& outFolder, std::string* error) const
{
    const Catalog& catalog = GetCatalog();
    std::error_code ec;
    fs::remove_all(outFolder, ec);
    for (const std::string& archive : catalog.archives) {
        fs::create_directories(ArchiveFolder(outFolder, archive), ec);
        if (ec) {
            *error = "cannot create " + ArchiveFolder(outFolder, archive) + ": " + ec.message();
            return false;
        }
    }
    for (const ImageAsset& image : catalog.images) {
        const std::string path = ArchiveFolder(outFolder, image.archive) + "/" + image.path;
        if (!MakeParent(path, error) || !WriteImage(image, path, error))
            return false;
    }
    for (const FontAsset& font : catalog.fonts)
        if (!WriteFont(font, ArchiveFolder(outFolder, font.archive), error))
            return false;
    for (size_t i = 0; i < catalog.sounds.size(); ++i) {
        const SoundAsset& sound = catalog.sounds[i];
        const std::string path = ArchiveFolder(outFolder, sound.archive) + "/" + sound.path;
        if (!MakeParent(path, error) || !WriteSound(sound, i, path, error))
            return false;
    }
    return true;
}

} // namespace assetgen
