// The control factory's drawing pass over a table-sized scene: a background,
// a hundred labels and images, a dialog with buttons. Measures the full pass,
// the dirty-rectangle pass when one object moved, and the dirty poll.
#include "controls/BaseVO_bridge.h"
#include "controls/Factory_impl.h"
#include "controls/FactoryHost.h"
#include "framework/graphics/Graphics.h"
#include "framework/graphics/MemoryImage.h"
#include "framework/widgets/WidgetHost.h"
#include "framework/widgets/WidgetManager.h"
#include "timing/TimeSystem_impl.h"

#include <benchmark/benchmark.h>

#include <memory>
#include <vector>

using namespace ControlLibrary;

namespace {

class BenchHost final : public FactoryHost {
public:
    BenchHost() : widgets_(std::make_unique<Zolt::WidgetManager>(&widgetHost_)) {}
    Zolt::WidgetManager* GetWidgetManager() override { return widgets_.get(); }
    std::unique_ptr<Zolt::Image> LoadImageFile(const std::string&, bool) override
    {
        auto image = std::make_unique<Zolt::MemoryImage>(nullptr);
        image->MakeBlank(64, 48);
        uint32_t* bits = image->RequireBits();
        for (int i = 0; i < 64 * 48; ++i)
            bits[i] = 0xFF208040u + static_cast<uint32_t>(i & 0x3F);
        image->MarkBitsChanged();
        return image;
    }

private:
    Zolt::WidgetHost widgetHost_;
    std::unique_ptr<Zolt::WidgetManager> widgets_;
};

struct Scene {
    Scene()
    {
        factory = std::make_unique<Factory_impl>(std::make_unique<BenchHost>(), &time);
        screen.MakeBlank(1024, 768);
        graphics = std::make_unique<Zolt::Graphics>(&screen);
        IImageVO* background = factory->CreateImageVO();
        background->SetImage("images/table.png", false);
        background->SetSize(1024, 768);
        background->SetVisible(true);
        objects.push_back(background);
        for (int i = 0; i < 100; ++i) {
            IImageVO* o = factory->CreateImageVO();
            o->SetImage("images/card" + std::to_string(i % 10) + ".png", true);
            o->SetPosition((i * 97) % 960, (i * 53) % 720);
            o->SetLayer(static_cast<uint16_t>(1 + i % 5));
            o->SetVisible(true);
            objects.push_back(o);
        }
        IDialogVO* dialog = factory->CreateDialogVO();
        dialog->SetSize(400, 300);
        dialog->SetPosition(312, 234);
        for (int i = 0; i < 6; ++i) {
            IButtonVO* b = factory->CreateButtonVO();
            b->SetSize(100, 30);
            b->SetPosition(20 + (i % 3) * 120, 200 + (i / 3) * 40);
            dialog->AddChild(b);
            objects.push_back(b);
        }
        dialog->SetVisible(true);
        objects.push_back(dialog);
        factory->DrawAll(graphics.get());
    }
    ~Scene()
    {
        for (IVisibleObject* o : objects)
            factory->ReleaseObject(o);
        factory.reset();
    }
    TimeLibrary::TimeSystem_impl time;
    std::unique_ptr<Factory_impl> factory;
    Zolt::MemoryImage screen{nullptr};
    std::unique_ptr<Zolt::Graphics> graphics;
    std::vector<IVisibleObject*> objects;
};

void BM_FullPass(benchmark::State& state)
{
    Scene scene;
    for (auto _ : state) {
        scene.factory->InvalidateAll();
        scene.factory->DrawAll(scene.graphics.get());
    }
}
BENCHMARK(BM_FullPass)->Unit(benchmark::kMicrosecond);

void BM_DirtyPassOneMove(benchmark::State& state)
{
    Scene scene;
    for (int i = 1; i < 1 + 100; ++i)
        scene.objects[static_cast<size_t>(i)]->SetAlwaysRepaint(false);
    scene.objects[0]->SetAlwaysRepaint(false);
    int x = 0;
    for (auto _ : state) {
        scene.objects[50]->SetPosition(100 + (x++ % 200), 300);
        scene.factory->DrawAll(scene.graphics.get());
    }
}
BENCHMARK(BM_DirtyPassOneMove)->Unit(benchmark::kMicrosecond);

void BM_DirtyPoll(benchmark::State& state)
{
    Scene scene;
    for (auto _ : state) {
        scene.factory->OnTimerTick(0);
        benchmark::DoNotOptimize(scene.factory->TakeRepaintRequest());
    }
}
BENCHMARK(BM_DirtyPoll);

} // namespace
