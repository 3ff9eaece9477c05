// Scene builders of the effect tests: a recording factory, a time system
// stepped pass by pass on the test's thread, an effect system wired to both,
// and an owner that logs every notice it gets (and may react from inside it).
#pragma once

#include "effects/EffectMessageObserver.h"
#include "effects/EffectSystem_impl.h"
#include "tests/support/RecordingFactory.h"
#include "timing/TimeSystem_impl.h"

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

namespace effect_testing {

// Logs notices as "start 1", "step 1", "finish 1", "blocked 1", "spare 1".
class OwnerLog : public EffectLibrary::EffectMessageObserver {
public:
    void OnEffectStart(uint32_t id) override { Add("start", id); }
    void OnEffectSpare(uint32_t id) override { Add("spare", id); }
    void OnEffectFinish(uint32_t id) override { Add("finish", id); }
    void OnEffectStep(uint32_t id) override { Add("step", id); }
    void OnEffectBlocked(uint32_t id) override { Add("blocked", id); }

    // Notices of a kind ("step") or of one effect ("step 3").
    size_t Count(const std::string& notice) const
    {
        return static_cast<size_t>(std::count_if(notices.begin(), notices.end(), [&](const std::string& n) {
            return n == notice || n.rfind(notice + " ", 0) == 0;
        }));
    }
    // The notices so far, joined by ", ", and forgotten.
    std::string Take()
    {
        std::string text;
        for (const std::string& n : notices)
            text += (text.empty() ? "" : ", ") + n;
        notices.clear();
        return text;
    }

    std::vector<std::string> notices;
    // Runs inside each notice, after it was logged.
    std::function<void(const std::string& notice, uint32_t id)> react;

private:
    void Add(const char* notice, uint32_t id)
    {
        notices.push_back(std::string(notice) + " " + std::to_string(id));
        if (react)
            react(notice, id);
    }
};

class EffectScene {
public:
    EffectScene()
    {
        effects.SetTimeSystem(&time);
        effects.SetFactory(&factory);
    }
    ~EffectScene() { effects.DestroyAllEffects(); }

    // `count` passes of the time thread, run here.
    void Pass(int count = 1)
    {
        for (int i = 0; i < count; ++i)
            time.TickAll();
    }

    testing_support::RecordedObject& Record(const ControlLibrary::IVisibleObject* object)
    {
        return *factory.Find(object);
    }

    testing_support::RecordingFactory factory;
    TimeLibrary::TimeSystem_impl time;
    EffectLibrary::EffectSystem_impl effects;
    OwnerLog owner;
};

} // namespace effect_testing
