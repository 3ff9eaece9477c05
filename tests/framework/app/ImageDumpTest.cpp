// The developer's image dump without an application: the memory counted
// per kind of data, the page's rows and totals, and the folder it leaves.
#include "framework/app/ImageDump.h"

#include "framework/graphics/MemoryImage.h"
#include "platform/core/FileSystem.h"
#include "tests/support/PlatformTesting.h"

#include <gtest/gtest.h>

using Zolt::ImageDump;
using Zolt::MemoryImage;

namespace {

std::unique_ptr<MemoryImage> Blank(int w, int h)
{
    auto image = std::make_unique<MemoryImage>(nullptr);
    image->MakeBlank(w, h);
    image->RequireBits();
    return image;
}

size_t Count(const std::string& text, const std::string& part)
{
    size_t n = 0;
    for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1))
        ++n;
    return n;
}

} // namespace

TEST(ImageDump, MemoryIsCountedForTheDataAnImageHolds)
{
    auto image = Blank(30, 20);
    ImageDump::Sizes sizes = ImageDump::Measure(*image);
    EXPECT_EQ(sizes[0], 30 * 20 * 4) << "its pixels";
    EXPECT_EQ(sizes[2], 0) << "no surface without a display";
    image->RequireRLAlpha();
    EXPECT_EQ(ImageDump::Measure(*image)[5], 30 * 20);
    MemoryImage empty(nullptr);
    EXPECT_EQ(ImageDump::Measure(empty), ImageDump::Sizes{});
}

TEST(ImageDump, PageListsEachImageWithItsSizeAndTotalsEveryColumn)
{
    auto image = Blank(30, 20);
    ImageDump::Sizes sizes{2400, 0, 0, 0, 0, 600, 0};
    const std::string row = ImageDump::Row(*image, 7, sizes);
    EXPECT_EQ(row.rfind("<TR><TD><A HREF=img0007.png><IMG SRC=thumb0007.jpg WIDTH=30 HEIGHT=20></A></TD>", 0), 0u);
    EXPECT_NE(row.find("<TD ALIGN=RIGHT>30 x 20<BR>3,000 bytes</TD><TD>mBits<BR>2,400</TD><TD>&nbsp;</TD>"),
              std::string::npos);
    EXPECT_NE(row.find("<TD>RLAlpha<BR>600</TD><TD>&nbsp;</TD><TD>&nbsp;</TD></TR>"), std::string::npos);
    EXPECT_EQ(Count(row, "<TD"), 14u) << "image, size, seven kinds, four flags and a last cell";

    const std::string page = ImageDump::Page(row + row, ImageDump::Sizes{4800, 0, 0, 0, 0, 1200, 0});
    EXPECT_EQ(page.rfind("<HTML><BODY BGCOLOR=EEEEFF><CENTER><FONT SIZE=+2><B>Total Image Allocation: 6,000 bytes<BR>",
                         0),
              0u);
    EXPECT_NE(page.find("<TR><TD>Totals</TD><TD>&nbsp;</TD><TD>4,800</TD><TD>0</TD><TD>0</TD><TD>0</TD>"
                        "<TD>&nbsp;</TD><TD>&nbsp;</TD><TD>&nbsp;</TD><TD>&nbsp;</TD><TD>0</TD><TD>1,200</TD>"
                        "<TD>0</TD><TD>&nbsp;</TD></TR>"),
              std::string::npos);
    EXPECT_EQ(page.substr(page.size() - 31), "</TABLE></CENTER></BODY></HTML>");
}

TEST(ImageDump, FolderHoldsEachImageItsThumbnailAndThePageAndNothingOlder)
{
    platform::testing::ScopedTempFolder folder;
    const std::string dump = folder / "_dump";
    platform::MakeDirectories(dump);
    platform::testing::WriteTestFile(dump + "/stale.txt", "old");
    auto first = Blank(30, 20);
    auto second = Blank(1, 1);
    ImageDump::Write(dump, {first.get(), second.get()});
    EXPECT_FALSE(platform::FileExists(dump + "/stale.txt"));
    for (const char* name : {"img0000.png", "thumb0000.jpg", "img0001.png", "thumb0001.jpg", "imagelist.html"})
        EXPECT_TRUE(platform::FileExists(dump + "/" + name)) << name;
    EXPECT_EQ(Count(platform::testing::ReadTestFile(dump + "/imagelist.html"), "<TR><TD><A HREF="), 2u);
}
