// Test double: an observer that logs every notice as "S<id>@<pass>" (start),
// "T" (tick) or "F" (finish), and may react from inside the callback.
#pragma once

#include "timing/TimeObjectMessageObserver.h"

#include <functional>
#include <string>

namespace TimeLibrary::testing {

class TimerLog : public TimeObjectMessageObserver {
public:
    explicit TimerLog(const int* pass = nullptr) : pass_(pass) {}
    void OnTimerStart(uint32_t id) override { Add('S', id); }
    void OnTimerFinish(uint32_t id) override { Add('F', id); }
    void OnTimerTick(uint32_t id) override { Add('T', id); }

    std::string text;
    std::function<void(char kind, uint32_t id)> react;

private:
    void Add(char kind, uint32_t id)
    {
        text += (text.empty() ? "" : " ") + std::string(1, kind) + std::to_string(id) + "@" +
                std::to_string(pass_ ? *pass_ : 0);
        if (react)
            react(kind, id);
    }
    const int* pass_;
};

} // namespace TimeLibrary::testing
