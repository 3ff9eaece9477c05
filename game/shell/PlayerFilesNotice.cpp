#include "game/shell/PlayerFilesNotice.h"

#include "controls/IButtonVO.h"
#include "controls/IDialogVO.h"
#include "controls/IStringVO.h"
#include "game/shell/ProfileDialogLooks.h"

#include <algorithm>

namespace Gamespace {

namespace {

// From one line's middle to the next one's.
constexpr int32_t kLineStep = 22;
// Inside the frame of the background.
constexpr int32_t kLineRoom = 370;

} // namespace

PlayerFilesNotice::PlayerFilesNotice(ControlLibrary::DialogMessageObserver* owner) : KeyDialog(owner)
{
    DialogObject().SetBackgroundImage(kBackground);
    DialogObject().SetSize(400, 200);
    okButton_ = AddOkCloseButton(LoadFont(profile_looks::kCaptionFont));
    font_ = LoadFont(profile_looks::kPromptFont);
    for (ControlLibrary::IStringVO*& line : lines_)
        line = AddString(font_, profile_looks::kPromptColour, profile_looks::kTextLayer);
    LayoutControls();
}

void PlayerFilesNotice::Add(const std::vector<std::string>& lines)
{
    waiting_.push_back(lines);
}

void PlayerFilesNotice::ShowNext()
{
    if (IsVisible() || waiting_.empty())
        return;
    SetMessage(waiting_.front());
    waiting_.pop_front();
    Show(true);
}

void PlayerFilesNotice::SetMessage(const std::vector<std::string>& lines)
{
    for (size_t i = 0; i < lines_.size(); ++i)
        SetTextOf(lines_[i], i < lines.size() ? FitText(font_, "", lines[i], kLineRoom) : std::string());
    LayoutControls();
}

std::vector<std::string> PlayerFilesNotice::Message() const
{
    std::vector<std::string> lines;
    for (const ControlLibrary::IStringVO* line : lines_)
        if (!TextOf(line).empty())
            lines.push_back(TextOf(line));
    return lines;
}

void PlayerFilesNotice::LayoutControls()
{
    const ControlLibrary::Point centre = Centre();
    if (okButton_)
        okButton_->SetPosition(centre.x, centre.y + 50);
    // The lines are spread over the room above the button.
    const int32_t count = static_cast<int32_t>(Message().size());
    for (int32_t i = 0; i < static_cast<int32_t>(lines_.size()); ++i)
        if (lines_[i])
            lines_[i]->SetPosition(centre.x, centre.y - 25 + (2 * i - (count - 1)) * kLineStep / 2 +
                                                 std::max(count - 1, 0) * 5);
}

void PlayerFilesNotice::OnMouseUp(uint32_t id, int32_t button)
{
    if (id == 0 || id != CloseButtonId() || waiting_.empty()) {
        KeyDialog::OnMouseUp(id, button);
        return;
    }
    PlayClick();
    SetMessage(waiting_.front());
    waiting_.pop_front();
}

} // namespace Gamespace
