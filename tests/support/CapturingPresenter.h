// A display presenter that keeps a copy of every frame it passes on to the
// real one (the SDL window or the headless presenter), so that a test can
// save what the window showed, whichever back end it runs on.
//
// Threads: Present runs under the display machine's lock on the thread that
// draws; LastFrame may be called from any thread (its own mutex guards the
// copy).
#pragma once

#include "platform/ddraw/DisplayPresenter.h"

#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace testing_support {

class CapturingPresenter final : public platform::ddraw::DisplayPresenter {
public:
    struct Frame {
        int width = 0;
        int height = 0;
        std::vector<uint32_t> pixels; // 0xAARRGGBB rows from the top
        int number = 0;               // presents so far, 0 before the first
    };

    explicit CapturingPresenter(std::unique_ptr<platform::ddraw::DisplayPresenter> inner);

    // Makes one around `inner` and installs it in the display machine; the
    // machine owns it, the pointer stays valid for the process.
    static CapturingPresenter* Install(std::unique_ptr<platform::ddraw::DisplayPresenter> inner);

    Frame LastFrame() const;
    // How many frames were presented so far.
    int FrameCount() const;
    // Writes the last frame as an opaque PNG; false when there is none or
    // the file cannot be written.
    bool SavePng(const std::string& path) const;

    bool GetClientArea(platform::HWND window, platform::RECT& area) override;
    void SetFullScreen(platform::HWND window, bool fullScreen, int width, int height) override;
    void Present(platform::HWND window, const platform::ddraw::SurfaceView& primary, const platform::RECT& source,
                 bool fullScreen) override;

private:
    std::unique_ptr<platform::ddraw::DisplayPresenter> inner_;
    mutable std::mutex mutex_;
    Frame frame_;
};

} // namespace testing_support
