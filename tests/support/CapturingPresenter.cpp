#include "tests/support/CapturingPresenter.h"

#include "imagelib/Image.h"
#include "imagelib/ImageLib.h"
#include "platform/ddraw/DisplayMachine.h"

#include <algorithm>

namespace testing_support {

CapturingPresenter::CapturingPresenter(std::unique_ptr<platform::ddraw::DisplayPresenter> inner)
    : inner_(std::move(inner))
{
}

CapturingPresenter* CapturingPresenter::Install(std::unique_ptr<platform::ddraw::DisplayPresenter> inner)
{
    auto presenter = std::make_unique<CapturingPresenter>(std::move(inner));
    CapturingPresenter* kept = presenter.get();
    platform::ddraw::DisplayMachine::Instance().InstallPresenter(std::move(presenter));
    return kept;
}

CapturingPresenter::Frame CapturingPresenter::LastFrame() const
{
    std::lock_guard<std::mutex> lock(mutex_);
    return frame_;
}

int CapturingPresenter::FrameCount() const
{
    std::lock_guard<std::mutex> lock(mutex_);
    return frame_.number;
}

bool CapturingPresenter::SavePng(const std::string& path) const
{
    const Frame frame = LastFrame();
    if (frame.width <= 0 || frame.height <= 0)
        return false;
    ImageLib::Image image(frame.width, frame.height);
    // The screen's pixels carry no alpha of their own.
    std::transform(frame.pixels.begin(), frame.pixels.end(), image.GetBits(),
                   [](uint32_t argb) { return argb | 0xFF000000u; });
    return ImageLib::SavePngFile(path, &image);
}

bool CapturingPresenter::GetClientArea(platform::HWND window, platform::RECT& area)
{
    return inner_->GetClientArea(window, area);
}

void CapturingPresenter::SetFullScreen(platform::HWND window, bool fullScreen, int width, int height)
{
    inner_->SetFullScreen(window, fullScreen, width, height);
}

void CapturingPresenter::Present(platform::HWND window, const platform::ddraw::SurfaceView& primary,
                                 const platform::RECT& source, bool fullScreen)
{
    // A present of no area (a window between two sizes while it is made
    // anew) shows nothing: the last picture stays the one shown.
    if (source.right > source.left && source.bottom > source.top) {
        std::lock_guard<std::mutex> lock(mutex_);
        frame_.width = source.right - source.left;
        frame_.height = source.bottom - source.top;
        frame_.pixels.resize(size_t(std::max(frame_.width, 0)) * size_t(std::max(frame_.height, 0)));
        if (!frame_.pixels.empty())
            platform::ddraw::ConvertRows(primary, source, frame_.pixels.data());
        ++frame_.number;
    }
    inner_->Present(window, primary, source, fullScreen);
}

} // namespace testing_support
