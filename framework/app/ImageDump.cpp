#include "framework/app/ImageDump.h"

#include "framework/base/StringUtils.h"
#include "framework/graphics/DDImage.h"
#include "framework/graphics/MemoryImage.h"
#include "framework/graphics/TextureData.h"
#include "imagelib/ImageLib.h"
#include "platform/core/Clock.h"
#include "platform/core/FileSystem.h"

#include <algorithm>
#include <cstdio>
#include <numeric>
#include <sstream>

namespace Zolt {

namespace {

std::string Sized(int64_t bytes) { return CommaSeparated(int(std::min<int64_t>(bytes, INT32_MAX))); }

// The image's textures as the Direct3D path made them (null when it has
// none it can draw with).
const TextureData* TexturesOf(const MemoryImage& image)
{
    const auto* record = dynamic_cast<const TextureData*>(image.GetTexture());
    return record && record->format != 0 ? record : nullptr;
}

std::string NumberedName(const char* format, int index)
{
    char name[32];
    std::snprintf(name, sizeof name, format, index);
    return name;
}

} // namespace

ImageDump::Sizes ImageDump::Measure(MemoryImage& image)
{
    const int64_t pixels = int64_t(std::max(0, image.GetWidth())) * std::max(0, image.GetHeight());
    auto* surfaceImage = dynamic_cast<DDImage*>(&image);
    const TextureData* textures = TexturesOf(image);
    return Sizes{image.GetBits() ? pixels * 4 : 0,
                 image.GetPalette() ? 1024 + pixels : 0,
                 surfaceImage && surfaceImage->GetSurface() ? pixels * 4 : 0,
                 textures ? int64_t(textures->memoryBytes) : 0,
                 image.GetNativeAlpha() ? pixels * 4 : 0,
                 image.GetRLAlpha() ? pixels : 0,
                 image.GetRLAdditive() ? pixels : 0};
}

void ImageDump::Write(const std::string& folder, const std::vector<MemoryImage*>& images)
{
    platform::DeleteTree(folder);
    for (int i = 0; i < 50 && !platform::MakeDirectories(folder); ++i)
        platform::Sleep(100);
    std::string rows;
    Sizes totals{};
    int index = 0;
    for (MemoryImage* image : images) {
        const Sizes sizes = Measure(*image);
        for (size_t i = 0; i < totals.size(); ++i)
            totals[i] += sizes[i];
        WriteImageFiles(folder, *image, index);
        rows += Row(*image, index, sizes);
        ++index;
    }
    platform::WriteFileAtomic(folder + "/imagelist.html", Page(rows, totals));
}

void ImageDump::WriteImageFiles(const std::string& folder, MemoryImage& image, int index)
{
    const int w = image.GetWidth();
    const int h = image.GetHeight();
    const uint32_t* bits = w > 0 && h > 0 ? image.RequireBits() : nullptr;
    if (!bits)
        return;
    ImageLib::Image copy(w, h);
    std::copy_n(bits, size_t(w) * size_t(h), copy.GetBits());
    ImageLib::SavePngFile(folder + "/" + NumberedName("img%04d.png", index), &copy);
    // Nearest-pixel scaling.
    ImageLib::Image thumb(64, 64);
    for (int y = 0; y < 64; ++y)
        for (int x = 0; x < 64; ++x)
            thumb.GetBits()[y * 64 + x] = bits[size_t(y * h / 64) * size_t(w) + size_t(x * w / 64)];
    ImageLib::SaveJpegFile(folder + "/" + NumberedName("thumb%04d.jpg", index), &thumb);
}

std::string ImageDump::Row(MemoryImage& image, int index, const Sizes& sizes)
{
    std::ostringstream row;
    auto cell = [&row](int64_t size, const char* label) {
        if (size > 0)
            row << "<TD>" << label << Sized(size) << "</TD>";
        else
            row << "<TD>&nbsp;</TD>";
    };
    auto flag = [&row](bool on, const char* label) { row << "<TD>" << (on ? label : "&nbsp;") << "</TD>"; };
    const int w = image.GetWidth();
    const int h = image.GetHeight();
    const int64_t total = std::accumulate(sizes.begin(), sizes.end(), int64_t(0));
    row << "<TR><TD><A HREF=" << NumberedName("img%04d.png", index) << "><IMG SRC="
        << NumberedName("thumb%04d.jpg", index) << " WIDTH=" << w << " HEIGHT=" << h << "></A></TD>";
    char sizeText[96];
    std::snprintf(sizeText, sizeof sizeText, "%d x %d<BR>%s bytes", w, h, Sized(total).c_str());
    row << "<TD ALIGN=RIGHT>" << sizeText << "</TD>";
    cell(sizes[0], "mBits<BR>");
    cell(sizes[1], "Palletized<BR>");
    cell(sizes[2], "DDSurface<BR>");
    const TextureData* textures = TexturesOf(image);
    const std::string textureLabel =
        std::string("Texture<BR>") + (textures ? TextureFormatName(textures->format) : "") + "<BR>";
    cell(sizes[3], textureLabel.c_str());
    flag(image.IsVolatile(), "Volatile");
    flag(image.AlphaFlagsForced(), "Forced");
    flag(image.HasTranslucency(), "HasAlpha");
    flag(image.HasTransparency(), "HasTrans");
    cell(sizes[4], "NativeAlpha<BR>");
    cell(sizes[5], "RLAlpha<BR>");
    cell(sizes[6], "RLAdditive<BR>");
    row << "<TD>&nbsp;</TD></TR>";
    return row.str();
}

std::string ImageDump::Page(const std::string& rows, const Sizes& totals)
{
    const int64_t total = std::accumulate(totals.begin(), totals.end(), int64_t(0));
    std::ostringstream page;
    page << "<HTML><BODY BGCOLOR=EEEEFF><CENTER><FONT SIZE=+2><B>"
         << "Total Image Allocation: " << Sized(total) << " bytes<BR>"
         << "</B></FONT><BR>"
         << "<TABLE BORDER=1 CELLSPACING=0 CELLPADDING=4>" << rows;
    // The totals under their columns; the flag columns stay empty.
    page << "<TR><TD>Totals</TD><TD>&nbsp;</TD>";
    for (int i = 0; i < 4; ++i)
        page << "<TD>" << Sized(totals[size_t(i)]) << "</TD>";
    for (int i = 0; i < 4; ++i)
        page << "<TD>&nbsp;</TD>";
    for (int i = 4; i < 7; ++i)
        page << "<TD>" << Sized(totals[size_t(i)]) << "</TD>";
    page << "<TD>&nbsp;</TD></TR>";
    page << "</TABLE></CENTER></BODY></HTML>";
    return page.str();
}

} // namespace Zolt
