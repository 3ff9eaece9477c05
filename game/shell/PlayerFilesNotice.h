// The "Player files" notice: how the game tells the player about a problem
// with the player's files or settings (a profile not saved or not deleted,
// a profile skipped or kept aside, settings not kept): what happened, why,
// and what becomes of it.
//
// Every word of a message is shown: each of its lines is wrapped over as
// many lines of the notice as it takes. Only when a message would still not
// fit are the paths in it shortened to the names of their files (the reason
// and the outcome are never cut), and, at the very last, a single word too
// long for a whole line loses its middle.
//
// Messages told while one shows wait their turn, so that none is lost under
// the next: its Ok button, or Return while it is the top dialog, shows the
// next one, and closes the notice after the last. A message the same as the
// one shown or one waiting is not queued again: one Return answers it. The
// game object holds the table, its clock included, while the notice shows.
//
// Threads: the main thread.
#pragma once

#include "game/shell/KeyDialog.h"

#include <array>
#include <cstdint>
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
    static constexpr int32_t kWidth = 540;
    static constexpr int32_t kHeight = 300;
    // Lines of the notice, and the width of each, inside the frame.
    static constexpr size_t kMaxLines = 8;
    static constexpr int32_t kLineRoom = 480;

    explicit PlayerFilesNotice(ControlLibrary::DialogMessageObserver* owner);

    // Adds a message after those waiting, unless it is the one shown or
    // one waiting already; shows nothing by itself.
    void Add(const std::vector<std::string>& lines);
    // A message waits to be shown.
    bool HasWaiting() const { return !waiting_.empty(); }
    // Shows the first message waiting, unless the notice shows already.
    void ShowNext();
    // Where the notice stands: in the middle of the screen when its lower
    // edge stays above `edge` there, else raised until it does (the table
    // keeps its hand result below it in sight).
    void StandAbove(int32_t edge);

    // The lines shown, as wrapped.
    std::vector<std::string> Message() const;
    // `lines` as the notice shows them, in `font`, each line at most
    // `room` pixels wide, at most `maxLines` lines.
    static std::vector<std::string> Wrap(ControlLibrary::IFont* font, const std::vector<std::string>& lines,
                                         int32_t room, size_t maxLines);

    void LayoutControls() override;
    // Ok: the next message, or the notice closes after the last.
    void OnMouseUp(uint32_t id, int32_t button) override;

private:
    void SetMessage(const std::vector<std::string>& lines);

    ControlLibrary::IButtonVO* okButton_ = nullptr;
    ControlLibrary::IFont* font_ = nullptr;
    std::array<ControlLibrary::IStringVO*, kMaxLines> lines_{};
    // The message shown (as told, before wrapping), and those waiting.
    std::vector<std::string> shown_;
    std::deque<std::vector<std::string>> waiting_;
};

} // namespace Gamespace
