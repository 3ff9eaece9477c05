// The game's archives as the build packs them: every asset file that the
// program's code names is in them (found by reading the code's string
// literals, so a file that a new screen names and the generator forgot fails
// here), every image has the size its source rectangles and its dialog need
// and crops clean frames, every image font parses and covers printable
// ASCII, and every sound decodes through the program's own readers.
#include "framework/base/PathUtils.h"
#include "framework/graphics/Graphics.h"
#include "framework/resources/FontData.h"
#include "framework/resources/ImageFont.h"
#include "framework/sound/DSoundManager.h"
#include "imagelib/ImageLib.h"
#include "pak/PakFileFunctions.h"
#include "pak/PakFormat.h"
#include "pak/PakInterface.h"
#include "platform/ddraw/DDrawTesting.h"
#include "platform/dsound/DSoundTesting.h"
#include "tests/framework/graphics/TestImageHost.h"
#include "tests/framework/resources/FontTestHost.h"
#include "tests/tools/SourceLiterals.h"
#include "tools/assetgen/AssetCatalog.h"
#include "tools/assetgen/FramePlan.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <map>
#include <memory>
#include <set>

namespace {

using assetgen::GetCatalog;

// Where the build packs the archives.
std::string BinaryDir()
{
    return PELLUCOR_BUILD_DIR;
}

std::string SourceDir()
{
    const char* dir = std::getenv("PELLUCOR_SOURCE_DIR");
    return dir ? dir : "..";
}

// The normalised member names of each archive, read from its directory, and
// the archives added to the program's file layer.
class PackedArchives : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        for (const std::string& archive : GetCatalog().archives) {
            const std::string path = BinaryDir() + "/" + archive;
            std::ifstream in(path, std::ios::binary);
            std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
            std::vector<PakDirectoryRecord> records;
            std::string error;
            EXPECT_TRUE(ReadPakDirectory(bytes.data(), bytes.size(), &records, &error) &&
                        GetProcessPakInterface()->AddPakArchive(path))
                << archive << " is missing or damaged in " << BinaryDir() << ": " << error;
            for (const PakDirectoryRecord& r : records)
                members_[archive].insert(NormalizePakPath(r.name));
        }
    }

    static bool Holds(const std::string& archive, const std::string& name)
    {
        return members_[archive].count(NormalizePakPath(name)) > 0;
    }
    static bool HoldsAnywhere(const std::string& name)
    {
        return std::any_of(members_.begin(), members_.end(),
                           [&](const auto& a) { return a.second.count(NormalizePakPath(name)) > 0; });
    }
    static bool HoldsWithPrefix(const std::string& prefix)
    {
        const std::string key = NormalizePakPath(prefix);
        for (const auto& [archive, names] : members_)
            for (const std::string& n : names)
                if (n.compare(0, key.size(), key) == 0 && n.size() > key.size())
                    return true;
        return false;
    }
    static bool HoldsWithSuffix(const std::string& suffix)
    {
        const std::string key = "\\" + NormalizePakPath(suffix);
        for (const auto& [archive, names] : members_)
            for (const std::string& n : names)
                if (n.size() > key.size() && n.compare(n.size() - key.size(), key.size(), key) == 0)
                    return true;
        return false;
    }

    static std::map<std::string, std::set<std::string>> members_;
};

std::map<std::string, std::set<std::string>> PackedArchives::members_;

// A literal under an asset folder names a file ("images/x.png") or, when the
// code adds the rest at run time, the start of one ("sounds/cards/"); a bare
// file name with an asset's extension ("check.png") is the end of one.
TEST_F(PackedArchives, EveryAssetTheCodeNamesIsPacked)
{
    const std::vector<std::string> folders = {"game", "kernel", "controls", "effects", "framework"};
    const std::vector<std::string> extensions = {".png", ".jpg", ".txt", ".wav", ".ogg"};
    auto hasExtension = [&](const std::string& s) {
        return std::any_of(extensions.begin(), extensions.end(), [&](const std::string& e) {
            return s.size() > e.size() && s.compare(s.size() - e.size(), e.size(), e) == 0;
        });
    };
    size_t named = 0;
    for (const SourceLiteral& literal : CollectSourceLiterals(SourceDir(), folders)) {
        const std::string& s = literal.text;
        const std::string where = literal.file + ":" + std::to_string(literal.line) + " names \"" + s + "\"";
        const bool underRoot = std::any_of(GetCatalog().assetRoots.begin(), GetCatalog().assetRoots.end(),
                                           [&](const std::string& root) { return s.rfind(root, 0) == 0; });
        if (underRoot) {
            ++named;
            if (hasExtension(s))
                EXPECT_TRUE(HoldsAnywhere(s)) << where;
            else
                EXPECT_TRUE(HoldsWithPrefix(s)) << where << ": no packed file starts so";
        } else if (hasExtension(s) && s.find_first_of("%*\\ ") == std::string::npos && s[0] != '.' &&
                   s.find(".txt") == std::string::npos) {
            // A file name the code puts after a folder of its own.
            ++named;
            EXPECT_TRUE(HoldsWithSuffix(s)) << where << ": no packed file ends so";
        }
    }
    EXPECT_GT(named, 20u) << "the scan found almost no asset names: is PELLUCOR_SOURCE_DIR right?";
}

std::unique_ptr<ImageLib::Image> LoadPacked(const std::string& path)
{
    return std::unique_ptr<ImageLib::Image>(ImageLib::LoadImageFile(path, false));
}

TEST_F(PackedArchives, ImagesHaveTheirSizesAndSheetsCropCleanFrames)
{
    for (const assetgen::ImageAsset& asset : GetCatalog().images) {
        std::unique_ptr<ImageLib::Image> image = LoadPacked(asset.path);
        ASSERT_TRUE(image) << asset.path << " does not load";
        EXPECT_EQ(image->GetWidth(), asset.width) << asset.path;
        EXPECT_EQ(image->GetHeight(), asset.height) << asset.path;
        const assetgen::Rect extent = assetgen::FramesExtent(asset);
        EXPECT_GE(image->GetWidth(), extent.w) << asset.path << " is narrower than its source rectangles";
        EXPECT_GE(image->GetHeight(), extent.h) << asset.path << " is shorter than its source rectangles";
        const uint32_t* bits = image->GetBits();
        auto alpha = [&](int x, int y) { return bits[size_t(y) * image->GetWidth() + x] >> 24; };
        for (const auto& button : asset.buttons)
            for (const auto& frame : button.frames) {
                const assetgen::Rect& r = frame.rect;
                // The outermost ring of every crop is clear, so no neighbour
                // bleeds in; the inside shows a picture.
                int ring = 0, inside = 0;
                for (int y = r.y; y < r.Bottom(); ++y)
                    for (int x = r.x; x < r.Right(); ++x) {
                        const bool edge = x == r.x || y == r.y || x == r.Right() - 1 || y == r.Bottom() - 1;
                        (edge ? ring : inside) += alpha(x, y) > 24 ? 1 : 0;
                    }
                EXPECT_EQ(ring, 0) << asset.path << " frame at " << r.x << "," << r.y << " touches its edge";
                EXPECT_GT(inside, r.w * r.h / 3) << asset.path << " frame at " << r.x << "," << r.y << " is empty";
            }
    }
}

TEST_F(PackedArchives, DialogPlatesAndBackgroundsAreOpaqueAtTheirExactSize)
{
    for (const assetgen::ImageAsset& asset : GetCatalog().images) {
        if (asset.painter != assetgen::Painter::Plate && asset.painter != assetgen::Painter::Background)
            continue;
        std::unique_ptr<ImageLib::Image> image = LoadPacked(asset.path);
        ASSERT_TRUE(image) << asset.path;
        EXPECT_TRUE(asset.exactSize);
        // The centre is solid: the dialog's texts stand on it.
        const uint32_t centre = image->GetBits()[size_t(asset.height / 2) * asset.width + asset.width / 2];
        EXPECT_EQ(centre >> 24, 0xFFu) << asset.path;
    }
}

TEST_F(PackedArchives, FontDescriptorsParseAndCoverPrintableAscii)
{
    for (const assetgen::FontAsset& font : GetCatalog().fonts) {
        Zolt::testing::FontTestHost host;
        auto data = std::make_unique<Zolt::FontData>();
        data->AddRef();
        ASSERT_TRUE(data->Load(&host, font.descriptor)) << (host.errors.empty() ? font.descriptor : host.errors.front());
        EXPECT_TRUE(host.errors.empty()) << font.descriptor;
        EXPECT_EQ(data->DefaultPointSize(), font.pixelSize);
        ASSERT_FALSE(data->Layers().empty());
        const Zolt::FontLayer& layer = *data->Layers().front();
        int kerned = 0;
        for (int c = 0x20; c <= 0x7E; ++c) {
            const Zolt::FontGlyph& g = layer.glyphs[static_cast<size_t>(data->MapChar(static_cast<char>(c)))];
            EXPECT_GT(g.width, 0) << font.descriptor << " has no advance for '" << char(c) << "'";
            if (c != ' ') {
                EXPECT_GT(g.imageRect.width * g.imageRect.height, 0)
                    << font.descriptor << " has no picture for '" << char(c) << "'";
            }
            for (int8_t k : g.kerning)
                kerned += k != 0;
        }
        EXPECT_GT(kerned, 0) << font.descriptor << " has no kerning pairs";
        data.release()->Release();
    }
}

// The controls draw a caption's baseline one line height below the top of a
// box centred on the control, lifted 5 pixels: with every font the capitals
// land in the middle of the button, edit box or list row.
TEST_F(PackedArchives, CaptionCapitalsStandInTheMiddleOfTheirControl)
{
    constexpr int kMiddle = 60;
    constexpr int kLift = 5;
    for (const assetgen::FontAsset& asset : GetCatalog().fonts) {
        Zolt::testing::FontTestHost host;
        Zolt::ImageFont font(&host, asset.descriptor);
        ASSERT_TRUE(font.GetFontData()->IsLoaded()) << asset.descriptor;
        auto canvas = Zolt::testing::MakeFilled(200, 120, 0xFF000000);
        Zolt::Graphics g(canvas.get());
        const int height = font.QueryHeight();
        const int top = kMiddle - kLift - height / 2;
        font.RenderText(&g, 10, top + height, "HEH", Zolt::Color(255, 255, 255), Zolt::Rect(0, 0, 0, 0));
        int first = -1, last = -1;
        for (int y = 0; y < 120; ++y)
            for (int x = 0; x < 200; ++x)
                if ((Zolt::testing::PixelAt(*canvas, x, y) & 0xFF) > 128) {
                    first = first < 0 ? y : first;
                    last = y;
                }
        ASSERT_GE(first, 0) << asset.descriptor << " drew nothing";
        EXPECT_NEAR((first + last + 1) / 2.0, kMiddle, 2.0)
            << asset.descriptor << ": capitals from row " << first << " to " << last;
    }
}

// The mean difference, per channel, of a crop of one image and a crop of
// another (or the same), over their common size.
double Difference(const ImageLib::Image& first, const assetgen::Rect& a, const ImageLib::Image& second,
                  const assetgen::Rect& b)
{
    const int w = std::min(a.w, b.w), h = std::min(a.h, b.h);
    double sum = 0;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const uint32_t p = first.GetBits()[size_t(a.y + y) * first.GetWidth() + a.x + x];
            const uint32_t q = second.GetBits()[size_t(b.y + y) * second.GetWidth() + b.x + x];
            for (int shift = 0; shift < 32; shift += 8)
                sum += std::abs(int((p >> shift) & 0xFF) - int((q >> shift) & 0xFF));
        }
    return sum / (4.0 * w * h);
}

assetgen::Rect Whole(const ImageLib::Image& image)
{
    return {0, 0, image.GetWidth(), image.GetHeight()};
}

// A player tells a button's states apart: each frame of a button differs
// from its others (frames that share their rectangle are one picture), and
// so do the stake tables' frames, each an image of its own.
TEST_F(PackedArchives, EveryStateOfAButtonLooksItsOwn)
{
    constexpr double kDistinct = 2.0;
    std::vector<std::pair<std::string, assetgen::State>> stakeFrames;
    for (const assetgen::ImageAsset& asset : GetCatalog().images) {
        if (asset.painter == assetgen::Painter::StakeFrame)
            stakeFrames.emplace_back(asset.path, static_cast<assetgen::State>(asset.variant));
        if (asset.buttons.empty())
            continue;
        std::unique_ptr<ImageLib::Image> image = LoadPacked(asset.path);
        ASSERT_TRUE(image) << asset.path;
        for (const auto& button : asset.buttons)
            for (size_t i = 0; i < button.frames.size(); ++i)
                for (size_t j = i + 1; j < button.frames.size(); ++j) {
                    const assetgen::Frame& a = button.frames[i];
                    const assetgen::Frame& b = button.frames[j];
                    if (a.state == b.state || std::abs(a.rect.y - b.rect.y) < a.rect.h / 2)
                        continue;
                    EXPECT_GT(Difference(*image, a.rect, *image, b.rect), kDistinct)
                        << asset.path << ": frames at y " << a.rect.y << " and " << b.rect.y << " look alike";
                }
    }
    ASSERT_EQ(stakeFrames.size(), 4u) << "clear, under the pointer, chosen and held back";
    for (size_t i = 0; i < stakeFrames.size(); ++i)
        for (size_t j = i + 1; j < stakeFrames.size(); ++j) {
            auto a = LoadPacked(stakeFrames[i].first), b = LoadPacked(stakeFrames[j].first);
            ASSERT_TRUE(a && b);
            EXPECT_GT(Difference(*a, Whole(*a), *b, Whole(*b)), kDistinct)
                << stakeFrames[i].first << " and " << stakeFrames[j].first;
        }
}

// The headless audio device and a pretend window, as the sound tests use.
class PackedSounds : public PackedArchives {
protected:
    void SetUp() override
    {
        platform::dsound::testing::ResetAudio();
        window_ = platform::ddraw::testing::CreateWindow(0, 0, 640, 480);
        SetAppDataFolder("");
    }

    std::vector<int16_t> Samples(Zolt::DSoundManager& manager, int id)
    {
        platform::DirectSoundBuffer* buffer = manager.SoundBuffer(id);
        void* data = nullptr;
        platform::DWORD size = 0;
        if (!buffer || platform::FAILED(buffer->Lock(0, manager.DataSize(id), &data, &size, nullptr, nullptr, 0)))
            return {};
        std::vector<int16_t> out(size / 2);
        std::memcpy(out.data(), data, out.size() * 2);
        buffer->Unlock(data, size, nullptr, 0);
        return out;
    }

    platform::HWND window_ = nullptr;
};

TEST_F(PackedSounds, EverySoundDecodesThroughTheSoundReaders)
{
    Zolt::DSoundManager manager(window_, false);
    int id = 0;
    for (const assetgen::SoundAsset& sound : GetCatalog().sounds) {
        const bool wav = sound.path.size() > 4 && sound.path.compare(sound.path.size() - 4, 4, ".wav") == 0;
        ++id;
        ASSERT_TRUE(wav ? manager.ReadWavFile(id, sound.path) : manager.ReadOggFile(id, sound.path)) << sound.path;
        const std::vector<int16_t> samples = Samples(manager, id);
        ASSERT_FALSE(samples.empty()) << sound.path;
        const int peak = std::abs(*std::max_element(samples.begin(), samples.end(), [](int16_t a, int16_t b) {
            return std::abs(int(a)) < std::abs(int(b));
        }));
        EXPECT_GT(peak, 3000) << sound.path << " is nearly silent";
        EXPECT_LT(peak, 32767) << sound.path << " clips";
    }
}

TEST_F(PackedSounds, TableMusicLoopsForHalfAMinuteWithoutAStep)
{
    Zolt::DSoundManager manager(window_, false);
    ASSERT_TRUE(manager.ReadOggFile(1, "sounds/main.ogg"));
    platform::WAVEFORMATEX format{};
    ASSERT_EQ(manager.SoundBuffer(1)->GetFormat(&format, sizeof format, nullptr), platform::DS_OK);
    const std::vector<int16_t> s = Samples(manager, 1);
    const size_t channels = format.nChannels;
    const size_t frames = s.size() / channels;
    EXPECT_GE(frames, size_t(30) * format.nSamplesPerSec);
    // The jump from the last frame to the first is no larger than the
    // music's ordinary steps from one frame to the next.
    std::vector<int> steps;
    for (size_t i = channels; i < s.size(); ++i)
        steps.push_back(std::abs(s[i] - s[i - channels]));
    std::sort(steps.begin(), steps.end());
    const int usual = steps[steps.size() * 99 / 100];
    for (size_t c = 0; c < channels; ++c)
        EXPECT_LE(std::abs(s[c] - s[(frames - 1) * channels + c]), usual) << "channel " << c;
}

} // namespace
