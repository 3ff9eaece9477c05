// The "Player files" notice: how the game tells the player about a problem
// with the player's files or settings (a profile not saved or not deleted,
// a profile skipped or kept aside, settings not kept), in up to three short
// lines: what happened, why, and what becomes of it.
//
// Messages told while one shows wait their turn, so that none is lost under
// the next: its Ok button, or Return while it is the top dialog, shows the
// next one, and closes the notice after the last. The game object holds the
// table, its clock included, while the notice shows.
//
// Threads: the main thread.
#pragma once

#include "game/shell/KeyDialog.h"

#include <array>
#include <deque>
#include <string>
#include <vector>

namespace ControlLibrary {
class IButtonVO;
class IFont;
class IStringVO;
} // namespace ControlLibrary

namespace Gamespace {

class PlayerFilesNotice final : public KeyDialog {
public:
    static constexpr char kBackground[] = "images/dialog/profiles/player_files.png";
    static constexpr size_t kMaxLines = 3;

    explicit PlayerFilesNotice(ControlLibrary::DialogMessageObserver* owner);

    // Adds a message after those waiting (the first kMaxLines lines, each
    // cut to the notice's width); shows nothing by itself.
    void Add(const std::vector<std::string>& lines);
    // A message waits to be shown.
    bool HasWaiting() const { return !waiting_.empty(); }
    // Shows the first message waiting, unless the notice shows already.
    void ShowNext();

    std::vector<std::string> Message() const;

    void LayoutControls() override;
    // Ok: the next message, or the notice closes after the last.
    void OnMouseUp(uint32_t id, int32_t button) override;

private:
    void SetMessage(const std::vector<std::string>& lines);

    ControlLibrary::IButtonVO* okButton_ = nullptr;
    ControlLibrary::IFont* font_ = nullptr;
    std::array<ControlLibrary::IStringVO*, kMaxLines> lines_{};
    std::deque<std::vector<std::string>> waiting_;
};

} // namespace Gamespace
