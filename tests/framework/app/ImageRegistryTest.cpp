// The register of live images and the shared-image cache, without an
// application: records made once per file and variant, deleted only at a
// clean-up after their last handle, and the lock the register is walked
// under.
#include "framework/app/ImageRegistry.h"

#include "framework/graphics/MemoryImage.h"
#include "tests/framework/graphics/TestImageHost.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

namespace {

using Zolt::ImageRegistry;
using Zolt::MemoryImage;
using Zolt::SharedImageHandle;

// An application stand-in whose images register with the registry, as the
// application's do.
struct RegistryHost : Zolt::testing::TestImageHost {
    explicit RegistryHost(ImageRegistry& r) : registry(r) {}
    void RegisterImage(MemoryImage* image) override { registry.Add(image); }
    void UnregisterImage(MemoryImage* image) override { registry.Remove(image); }
    void RequestSharedImageCleanup() override { registry.RequestCleanup(); }
    ImageRegistry& registry;
};

class ImageRegistryTest : public ::testing::Test {
protected:
    // The shared images go while their host still stands, as in the
    // application.
    ~ImageRegistryTest() override { registry.DeleteAllShared(); }

    // Makes a 2 x 2 image for any name but "missing.png", counting the calls.
    ImageRegistry::ImageMaker Maker()
    {
        return [this](const std::string& name) -> MemoryImage* {
            ++made;
            if (name == "missing.png")
                return nullptr;
            auto* image = new MemoryImage(&host);
            image->MakeBlank(2, 2);
            return image;
        };
    }

    ImageRegistry registry;
    RegistryHost host{registry};
    // Handles ask the process-wide application for the clean-up.
    Zolt::testing::ScopedImageHost scopedHost_{&host};
    int made = 0;
};

} // namespace

TEST_F(ImageRegistryTest, SharedImageIsMadeOncePerFileAndVariant)
{
    bool created = false;
    SharedImageHandle one = registry.AcquireShared("a.png", "", &created, Maker());
    EXPECT_TRUE(created);
    SharedImageHandle two = registry.AcquireShared("a.png", "", &created, Maker());
    EXPECT_FALSE(created);
    EXPECT_EQ(one.GetImage(), two.GetImage());
    SharedImageHandle other = registry.AcquireShared("a.png", "tinted", &created, Maker());
    EXPECT_TRUE(created);
    EXPECT_NE(other.GetImage(), one.GetImage());
    EXPECT_EQ(made, 2);
    EXPECT_EQ(registry.SharedCount(), 2u);
    EXPECT_EQ(registry.Count(), 2u) << "shared images are live images too";
}

TEST_F(ImageRegistryTest, RecordOutlivesItsLastHandleUntilTheNextCleanUp)
{
    {
        SharedImageHandle held = registry.AcquireShared("a.png", "", nullptr, Maker());
        SharedImageHandle dropped = registry.AcquireShared("b.png", "", nullptr, Maker());
        registry.CleanUpIfRequested();
        EXPECT_EQ(registry.SharedCount(), 2u) << "both still referenced";
        dropped.Release();
        EXPECT_EQ(registry.SharedCount(), 2u) << "nothing goes before the clean-up";
        registry.CleanUpIfRequested();
        EXPECT_EQ(registry.SharedCount(), 1u);
        EXPECT_EQ(registry.Count(), 1u) << "the deleted image left the register";
    }
    registry.CleanUpIfRequested();
    EXPECT_EQ(registry.SharedCount(), 0u);
    EXPECT_EQ(registry.Count(), 0u);
}

TEST_F(ImageRegistryTest, ImageThatCannotBeMadeGivesAnEmptyHandleAndIsTriedAgainLater)
{
    bool created = false;
    SharedImageHandle missing = registry.AcquireShared("missing.png", "", &created, Maker());
    EXPECT_TRUE(created);
    EXPECT_EQ(missing.GetImage(), nullptr);
    registry.CleanUpIfRequested();
    EXPECT_EQ(registry.SharedCount(), 0u);
    registry.AcquireShared("missing.png", "", &created, Maker());
    EXPECT_EQ(made, 2) << "a failed load is not remembered as a result";
}

TEST_F(ImageRegistryTest, RegisterIsWalkedUnderTheLockItWasGiven)
{
    std::vector<std::unique_ptr<MemoryImage>> images;
    for (int i = 0; i < 3; ++i)
        images.push_back(std::make_unique<MemoryImage>(&host));
    EXPECT_EQ(registry.Count(), 3u);

    Zolt::CriticalSection displayLock;
    registry.UseLock(&displayLock);
    int visited = 0;
    std::atomic<bool> heldElsewhere{false};
    registry.ForEach([&](MemoryImage*) {
        ++visited;
        // Another thread cannot take the display's lock while the walk runs.
        std::thread([&] {
            if (displayLock.TryEnter()) {
                displayLock.Leave();
            } else {
                heldElsewhere = true;
            }
        }).join();
    });
    EXPECT_EQ(visited, 3);
    EXPECT_TRUE(heldElsewhere);

    images.pop_back();
    registry.UseLock(nullptr);
    EXPECT_EQ(registry.Snapshot().size(), 2u);
}
