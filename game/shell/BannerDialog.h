// The table's small banner, "images/dialog/finish.png" (500 x 90): a line of
// large yellow text, and below it a row of caption buttons. The one-line
// announcements (a "Close" button) and the re-buy question ("Yes" and "No")
// are such banners.
//
// The larger dialogs' caption buttons stand on beds their backgrounds carry,
// and draw only their captions. This banner serves buttons in different
// places, so it carries no bed: each of its buttons draws its own face, the
// same lozenge, and shows its state.
//
// Threads: the main thread.
#pragma once

#include "controls/Point.h"
#include "game/shell/KeyDialog.h"

#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

namespace ControlLibrary {
class IButtonVO;
class IStringVO;
} // namespace ControlLibrary

namespace Gamespace {

class BannerDialog : public KeyDialog {
public:
    static constexpr char kBackground[] = "images/dialog/finish.png";
    static constexpr char kFont[] = "fonts/a_BosaNova20.txt";
    static constexpr char kButtonFont[] = "fonts/a_BosaNova14.txt";

    // One button of the row: its caption, and how far right of the banner's
    // middle it stands.
    struct RowButton {
        const char* caption;
        int32_t dx;
    };

    // The text above the middle, the buttons 25 below it.
    void LayoutControls() override;
    std::string Text() const;

protected:
    // Centred on `centre` of the screen, with the buttons in `row`, in order.
    BannerDialog(ControlLibrary::DialogMessageObserver* owner, ControlLibrary::Point centre,
                 std::initializer_list<RowButton> row);
    void SetText(const std::string& text);
    // The row's button `index` (null when it could not be made).
    ControlLibrary::IButtonVO* Button(size_t index) const { return buttons_.at(index); }

private:
    std::vector<RowButton> row_;
    std::vector<ControlLibrary::IButtonVO*> buttons_;
    ControlLibrary::IStringVO* text_ = nullptr;
};

} // namespace Gamespace
