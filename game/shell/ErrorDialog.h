// The message that a new player's name cannot be used, over the new-player
// dialog that owns it. Its Ok button closes it; the owner then clears the
// name and lets the player try again.
//
// The game object shows the same dialog, with a message of up to three
// lines of its own and a heading that names no name (kProblemBackground),
// when a player's profile could not be saved or deleted.
//
// Threads: the main thread.
#pragma once

#include "game/shell/BaseDialogImpl.h"

#include <array>
#include <string>
#include <vector>

namespace ControlLibrary {
class IButtonVO;
class IStringVO;
} // namespace ControlLibrary

namespace Gamespace {

class ErrorDialog final : public BaseDialogImpl {
public:
    static constexpr char kBackground[] = "images/dialog_add_del.png";
    static constexpr char kMessage[] = "Player with this name already exist!";
    static constexpr char kProblemBackground[] = "images/dialog/profiles/player_files.png";

    static constexpr size_t kMaxLines = 3;

    // Says kMessage, on `background` (of kBackground's size).
    explicit ErrorDialog(ControlLibrary::DialogMessageObserver* owner, const char* background = kBackground);

    // Says `lines` instead (the first kMaxLines, each cut to the dialog's
    // width).
    void SetMessage(const std::vector<std::string>& lines);
    std::vector<std::string> Message() const;

    void LayoutControls() override;

    ControlLibrary::IButtonVO* OkButton() const { return okButton_; }

private:
    ControlLibrary::IButtonVO* okButton_ = nullptr;
    ControlLibrary::IFont* font_ = nullptr;
    std::array<ControlLibrary::IStringVO*, kMaxLines> lines_{};
};

} // namespace Gamespace
