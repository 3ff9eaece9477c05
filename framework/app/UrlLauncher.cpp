#include "framework/app/UrlLauncher.h"

namespace Zolt {

bool UrlLauncher::Begin(const std::string& url, bool quitAfter, uint32_t now)
{
    if (pending_ && url == url_)
        return false;
    quitAfter_ = quitAfter;
    pending_ = true;
    url_ = url;
    launchTime_ = now;
    return true;
}

UrlLauncher::Verdict UrlLauncher::Judge(uint32_t now, uint32_t tickRunStart, bool active) const
{
    if (!pending_ || now - tickRunStart <= 5000)
        return Verdict::Waiting;
    if (!active && now - launchTime_ >= 8001)
        return Verdict::Launched;
    if (active && now - launchTime_ >= 12001)
        return Verdict::Failed;
    return Verdict::Waiting;
}

} // namespace Zolt
