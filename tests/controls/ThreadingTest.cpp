// The toolkit with a running time thread: timer callbacks create, show, move,
// hide and release objects while the main thread draws and routes input.
// Run under the sanitizers, this catches objects deleted under a drawing
// pass or an input callback.
#include "controls/BaseVO_bridge.h"
#include "controls/Factory_impl.h"
#include "platform/core/Clock.h"
#include "tests/support/ControlTestHost.h"

#include <gtest/gtest.h>

#include <atomic>

using namespace ControlLibrary;
using testing_support::ControlScene;

namespace {

// Keeps a few objects alive and churns them on every tick.
class Churn : public TimeLibrary::TimeObjectMessageObserver {
public:
    explicit Churn(Factory_impl& f) : f_(f) {}
    ~Churn() override
    {
        for (IImageVO*& o : objects_)
            if (o)
                f_.ReleaseVO(o);
        if (edit_)
            f_.ReleaseVO(edit_);
    }
    void OnTimerTick(uint32_t) override
    {
        const int n = ticks.fetch_add(1);
        IImageVO*& slot = objects_[static_cast<size_t>(n) % objects_.size()];
        if (slot)
            f_.ReleaseVO(slot);
        slot = f_.CreateImageVO();
        slot->SetPosition(n % 50, n % 40);
        slot->SetVisible(true);
        slot->SetLayer(static_cast<uint16_t>(n % 3));
        if (n % 7 == 0) {
            if (edit_)
                f_.ReleaseVO(edit_);
            edit_ = f_.CreateEditBoxVO();
            edit_->SetVisible(true);
            edit_->SetFocus(true);
        }
    }
    std::atomic<int> ticks{0};

private:
    Factory_impl& f_;
    std::array<IImageVO*, 4> objects_{};
    IEditBoxVO* edit_ = nullptr;
};

} // namespace

TEST(Threading, TimerCallbacksChurnObjectsWhileTheMainThreadDrawsAndRoutesInput)
{
    ControlScene scene;
    Factory_impl& f = scene.Factory();
    Churn churn(f);
    TimeLibrary::ITimeObject* timer = scene.Time().CreateTimeObject(&churn, -1, 5);
    ASSERT_NE(timer, nullptr);
    timer->SetEndless(true);
    ASSERT_TRUE(timer->Start(false, 0));
    ASSERT_TRUE(scene.Time().StartTicking());
    int passes = 0;
    while (churn.ticks.load() < 200) {
        f.DispatchMouseMove(passes % 60, passes % 45);
        f.DispatchMouseDown(passes % 60, passes % 45, 1, 1);
        f.DispatchMouseUp(passes % 60, passes % 45, 0, 1);
        f.DispatchChar('a');
        f.TakeRepaintRequest();
        scene.Draw();
        ++passes;
        platform::Sleep(0);
    }
    scene.Time().StopTicking();
    scene.Time().DestroyTimeObject(timer);
    EXPECT_GT(passes, 0);
}
