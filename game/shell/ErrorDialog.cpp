#include "game/shell/ErrorDialog.h"

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

ErrorDialog::ErrorDialog(ControlLibrary::DialogMessageObserver* owner, const char* background)
    : BaseDialogImpl(owner)
{
    DialogObject().SetBackgroundImage(background);
    DialogObject().SetSize(400, 200);
    okButton_ = AddButton(LoadFont(profile_looks::kCaptionFont), ControlLibrary::Point{0, -5},
                          profile_looks::kCommonButton, Frames(0, {0, 27, 54, 81}, 108, 27), 108, 27);
    if (okButton_) {
        profile_looks::Silence(*okButton_);
        okButton_->SetTag(1);
        okButton_->SetCaption("Ok");
        UseAsCloseButton(okButton_);
    }
    font_ = LoadFont(profile_looks::kPromptFont);
    for (ControlLibrary::IStringVO*& line : lines_)
        line = AddString(font_, profile_looks::kPromptColour, profile_looks::kTextLayer);
    SetMessage({kMessage});
}

void ErrorDialog::SetMessage(const std::vector<std::string>& lines)
{
    for (size_t i = 0; i < lines_.size(); ++i)
        SetTextOf(lines_[i], i < lines.size() ? FitText(font_, "", lines[i], kLineRoom) : std::string());
    LayoutControls();
}

std::vector<std::string> ErrorDialog::Message() const
{
    std::vector<std::string> lines;
    for (const ControlLibrary::IStringVO* line : lines_)
        if (!TextOf(line).empty())
            lines.push_back(TextOf(line));
    return lines;
}

void ErrorDialog::LayoutControls()
{
    const ControlLibrary::Point centre = Centre();
    if (okButton_)
        okButton_->SetPosition(centre.x, centre.y + 50);
    // One line stands where the name's message always stood; more are
    // spread over the room above the button, a little lower.
    const int32_t count = static_cast<int32_t>(Message().size());
    for (int32_t i = 0; i < static_cast<int32_t>(lines_.size()); ++i)
        if (lines_[i])
            lines_[i]->SetPosition(centre.x, centre.y - 25 + (2 * i - (count - 1)) * kLineStep / 2 +
                                                 std::max(count - 1, 0) * 5);
}

} // namespace Gamespace
