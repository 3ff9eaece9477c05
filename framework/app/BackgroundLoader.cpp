#include "framework/app/BackgroundLoader.h"

#include <utility>

namespace Zolt {

bool BackgroundLoader::Launch(std::function<void()> body)
{
    if (started_)
        return false;
    running_ = true;
    started_ = true;
    const bool onThread = thread_.Start(
        [this, body] {
            body();
            finished_ = true;
        },
        platform::ThreadPriority::Normal, "loader");
    if (!onThread) {
        body();
        finished_ = true;
    }
    return true;
}

void BackgroundLoader::MarkCompletionApplied()
{
    completionApplied_ = true;
    running_ = false;
    Join();
}

void BackgroundLoader::Join()
{
    if (thread_.Joinable())
        thread_.Join();
}

double BackgroundLoader::Fraction(int done, int total) const
{
    if (completionApplied_)
        return 1.0;
    if (!started_ || total == 0)
        return 0.0;
    const double fraction = double(done) / double(total);
    return fraction > 1.0 ? 1.0 : fraction;
}

} // namespace Zolt
