// The crash window as the content of a window of the drawn-window kit
// (platform/window/DrawnWindow.h): the view (CrashWindowView) painted in
// the plain look of a system dialog (the heading, the report box with its
// sunken edge and scroll bar, the buttons) with the window's faces, and
// the window's input handed to the view until the user chooses.
//
// Threads: the viewer's main thread.
#pragma once

#include "platform/crash/CrashWindowView.h"
#include "platform/window/DrawnWindow.h"

#include <memory>
#include <optional>
#include <string>

namespace platform {

class CrashWindowContent final : public DrawnWindowContent {
public:
    // Null when the window's faces (bold "Arial" 9 points, "Courier New"
    // 8 points, at 96 dots per inch) cannot be opened.
    static std::unique_ptr<CrashWindowContent> Make(const std::string& heading, const std::string& report,
                                                    bool offerSend);
    ~CrashWindowContent() override;

    std::optional<CrashWindowChoice> Choice() const { return choice_; }

    int Width() const override { return CrashWindowView::kWidth; }
    int Height() const override { return CrashWindowView::kHeight; }
    void Draw(DrawnCanvas& canvas) const override;
    void PointerMove(int x, int y) override;
    void PointerDown(int x, int y) override;
    void PointerUp(int x, int y) override;
    void Wheel(int notches) override;
    void KeyDown(int vk, bool shift) override;
    void CloseRequested() override;
    bool Done() const override { return choice_.has_value(); }
    bool TakeRedraw() override;

private:
    CrashWindowContent() = default;
    void DrawScrollBar(DrawnCanvas& canvas) const;

    std::string heading_;
    std::unique_ptr<fonts::SystemFontFace> headingFace_;
    std::unique_ptr<fonts::SystemFontFace> reportFace_;
    std::unique_ptr<fonts::SystemFontFace> buttonFace_;
    std::unique_ptr<CrashWindowView> view_;
    std::optional<CrashWindowChoice> choice_;
    bool redraw_ = true;
};

} // namespace platform
