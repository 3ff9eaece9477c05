#include "game/shell/RulesDlg.h"

#include "controls/IButtonVO.h"
#include "controls/IDialogVO.h"
#include "game/shell/ButtonSheets.h"
#include "controls/IFactory.h"
#include "controls/IStringVO.h"
#include "controls/ITextBoxVO.h"

namespace Gamespace {

namespace {

constexpr char kCaptionFont[] = "fonts/MonotypeCorsiva14Italics.txt";
constexpr char kTitleFont[] = "fonts/ArtNouveau-Bistro26Bold.txt";
constexpr char kTextFont[] = "fonts/Pristina18.txt";
constexpr ControlLibrary::RGB kTitleColour{25, 25, 250};
constexpr ControlLibrary::RGB kTextColour{248, 208, 87};
// The text starts under the title's cartouche (a box reaching up into it
// would write over the title) and ends at the bottom of the panel.
constexpr int32_t kTextTop = -155; // from the page's middle
constexpr uint32_t kTextWidth = 640;
constexpr uint32_t kTextHeight = 380;

// Each paragraph opens with four blanks, the page's indent.
constexpr const char* kParagraphs[] = {
    "    The dealer button marks the player who deals. After every hand it moves one seat to the left, "
    "clockwise round the table, and the two blinds move on with it.",
    "    Each hand begins with two forced bets. The player to the left of the dealer posts the small blind, "
    "which is usually half of the big blind; the next player to the left posts the big blind. Then every "
    "player is dealt two cards face down.",
    "    In limit hold'em every bet and raise in the first two betting rounds, before and after the flop, "
    "equals the big blind: the small bet. On the turn and the river, the last two rounds, each bet and "
    "raise is twice the big blind: the big bet.",
    "    No-limit hold'em is the game most often seen in televised tournaments. A player may bet or raise any "
    "amount from the minimum raise up to all of his chips, which is called going all-in. The minimum raise "
    "equals the big blind.",
};

} // namespace

RulesDlg::RulesDlg(ControlLibrary::DialogMessageObserver* owner) : BaseDialogImpl(owner)
{
    DialogObject().SetSize(1024, 768);
    DialogObject().SetBackgroundImage(kBackground);
    ControlLibrary::IFont* titleFont = LoadFont(kTitleFont);
    ControlLibrary::IFont* textFont = LoadFont(kTextFont);
    okButton_ = AddButton(LoadFont(kCaptionFont), ControlLibrary::Point{-2, -5}, 94, 26);
    if (okButton_) {
        SetButtonLook(*okButton_, button_sheets::kOk);
        UseAsCloseButton(okButton_);
    }
    title_ = AddString(titleFont, kTitleColour, kChildLayer);
    if (title_)
        title_->SetText(kTitle);
    textBox_ = Factory().CreateTextBoxVO();
    if (textBox_) {
        textBox_->SetAlignment(1, 1);
        textBox_->SetLayer(kChildLayer);
        textBox_->SetSize(kTextWidth, kTextHeight);
        for (const char* paragraph : kParagraphs)
            textBox_->AddText(paragraph, textFont, 0, kTextColour);
        AddChild(textBox_);
    }
    LayoutControls();
}

void RulesDlg::LayoutControls()
{
    const ControlLibrary::Point centre = Centre();
    if (title_)
        title_->SetPosition(centre.x, centre.y - 190);
    if (textBox_)
        textBox_->SetPosition(centre.x + 10, centre.y + kTextTop + kTextHeight / 2);
    if (okButton_)
        okButton_->SetPosition(centre.x, centre.y + 270);
}

} // namespace Gamespace
