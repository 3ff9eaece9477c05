// Two choices of the current profile, made before a game: how the computer
// opponents play (random per seat, or one of three fixed styles for all) and
// whether each board stage is announced before it is dealt. The dialog reads
// both from the profile when it is shown and writes them back when it is
// hidden, however it is hidden; the table reads them when it opens. Each
// set-up screen owns one.
//
// Threads: the main thread.
#pragma once

#include "game/shell/BaseDialogImpl.h"

#include <array>
#include <cstdint>

namespace ControlLibrary {
class IButtonVO;
class IImageVO;
} // namespace ControlLibrary

namespace Gamespace {

class CustomizeDlg final : public BaseDialogImpl {
public:
    static constexpr char kBackground[] = "images/dialog/customize/dlg.png";
    static constexpr char kStyleImage[] = "images/dialog/customize/btn_cust.png";
    static constexpr char kTickImage[] = "images/dialog/customize/btn_check.png";
    static constexpr size_t kStyles = 4;

    explicit CustomizeDlg(ControlLibrary::DialogMessageObserver* owner);

    void LayoutControls() override;
    void OnMouseUp(uint32_t id, int32_t button) override;
    void OnDialogShown(uint32_t dialogId, bool shown) override;

    // The yes/no button's picture.
    void SetYesLook();
    void SetNoLook();

    // What tests and tools look at.
    uint32_t StyleButtonId(size_t style) const;
    uint32_t YesNoButtonId() const;
    uint32_t OkButtonId() const;
    ControlLibrary::IImageVO* Tick() const { return tick_; }
    uint16_t ChosenStyle() const { return style_; }
    bool AnnouncesStages() const { return flag_ != 0; }

private:
    void ChooseStyle(size_t style);

    ControlLibrary::IImageVO* tick_ = nullptr;
    std::array<ControlLibrary::IButtonVO*, kStyles> styleButtons_{};
    ControlLibrary::IButtonVO* yesNoButton_ = nullptr;
    ControlLibrary::IButtonVO* okButton_ = nullptr;
    uint8_t flag_ = 1;
    uint16_t style_ = 0;
};

} // namespace Gamespace
