// The options dialog: the two sound volumes in steps of 10 percent, the game
// speed in steps of 1, and the switch between a window and the full screen.
// Every change takes effect at once through the option setters (nothing is
// confirmed or undone); the labels of the rows are part of the background,
// the dialog shows the current values. OK and Escape close it.
//
// The start screen, the in-game menu and the set-up screens each own one.
//
// Threads: the main thread.
#pragma once

#include "game/shell/KeyDialog.h"

#include <array>
#include <string>

namespace ControlLibrary {
class IButtonVO;
class IFactory;
class IStringVO;
} // namespace ControlLibrary

namespace Gamespace {

// Whether the game covers the screen: full screen chosen, or a desktop that
// cannot hold the window (full screen whatever the option says).
bool GameCoversTheScreen(ControlLibrary::IFactory& factory);

class OptionsDialog final : public KeyDialog {
public:
    static constexpr char kBackground[] = "images/dialog/options/dlg.png";
    static constexpr uint16_t kVolumeStep = 10;

    enum Button { kOk, kSoundPlus, kSoundMinus, kEffectsPlus, kEffectsMinus, kSpeedPlus, kSpeedMinus, kWindowed,
                  kFullScreen, kButtonCount };
    enum Row { kSoundRow, kEffectsRow, kSpeedRow, kRowCount };

    explicit OptionsDialog(ControlLibrary::DialogMessageObserver* owner);

    void LayoutControls() override;
    // Shown: every row shows the options as they are now.
    void OnDialogShown(uint32_t dialogId, bool shown) override;
    void OnMouseUp(uint32_t id, int32_t button) override;
    // Escape closes the dialog; nothing else changes.
    void OnSysKeyDown(uint32_t key) override;

    // For tests and walks; null when the factory had no room.
    ControlLibrary::IButtonVO* GetButton(Button which) const { return buttons_[which]; }
    ControlLibrary::IStringVO* GetRowText(Row which) const { return texts_[which]; }

private:
    // The row's text shows `value` (and " %" after a volume); its minus and
    // plus buttons are enabled unless the value is at the end they move to.
    void ShowRow(Row row, uint16_t value, uint16_t lowest, uint16_t highest);
    // The button to the other mode; where the desktop cannot hold the
    // window, the way to it shows disabled.
    void ShowDisplayRow();
    // The button with this id, or kButtonCount.
    Button Which(uint32_t id) const;

    std::array<ControlLibrary::IButtonVO*, kButtonCount> buttons_{};
    std::array<ControlLibrary::IStringVO*, kRowCount> texts_{};
};

} // namespace Gamespace
