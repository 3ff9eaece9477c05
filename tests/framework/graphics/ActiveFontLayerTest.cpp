#include "TestImageHost.h"

#include "framework/graphics/ActiveFontLayer.h"

#include <gtest/gtest.h>

#include <vector>

namespace Zolt {
namespace {

using testing::MakeFilled;
using testing::PixelAt;
using testing::ScopedImageHost;
using testing::TestImageHost;

TEST(ActiveFontLayer, CopyOfBorrowedImageSharesItAndNeverDeletesIt)
{
    auto image = MakeFilled(2, 2, 0xFF102030);
    {
        ActiveFontLayer a;
        a.image = image.get();
        a.rects[65] = Rect(1, 2, 3, 4);
        ActiveFontLayer b(a);
        EXPECT_EQ(b.image, image.get());
        EXPECT_EQ(b.rects[65], Rect(1, 2, 3, 4));
    }
    EXPECT_EQ(PixelAt(*image, 1, 1), 0xFF102030u); // still alive (ASan would tell)
}

TEST(ActiveFontLayer, CopyOfOwnedImageOwnsASeparateDuplicate)
{
    TestImageHost host;
    ScopedImageHost scoped(&host);
    auto first = std::make_unique<ActiveFontLayer>();
    first->image = MakeFilled(2, 1, 0xFF00FF00).release();
    first->ownsImage = true;
    ActiveFontLayer copy(*first);
    EXPECT_EQ(host.duplicates, 1);
    ASSERT_NE(copy.image, nullptr);
    EXPECT_NE(copy.image, first->image);
    first.reset();
    EXPECT_EQ(PixelAt(*static_cast<MemoryImage*>(copy.image), 1, 0), 0xFF00FF00u);
}

TEST(ActiveFontLayer, WithoutApplicationAMemoryImageIsCopiedDirectly)
{
    ActiveFontLayer a;
    a.image = MakeFilled(1, 1, 0xFF0000FF).release();
    a.ownsImage = true;
    std::vector<ActiveFontLayer> list;
    list.push_back(a);
    list.push_back(a);
    ASSERT_NE(list[0].image, list[1].image);
    ActiveFontLayer assigned;
    assigned = list[0];
    EXPECT_NE(assigned.image, list[0].image);
}

TEST(ActiveFontLayer, OwnedNullImageIsDestroyedQuietly)
{
    ActiveFontLayer a;
    a.ownsImage = true;
    ActiveFontLayer b(a);
    EXPECT_EQ(b.image, nullptr);
}

} // namespace
} // namespace Zolt
