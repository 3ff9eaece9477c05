#include "game/shell/TrnPlayersDlgImpl.h"

#include "controls/IDialogVO.h"
#include "controls/IStringVO.h"
#include "game/shell/MoneyText.h"
#include "game/shell/ScreenSize.h"
#include "game/shell/TrnStanding.h"
#include "kernel/Kernel.h"
#include "timing/ITimeObject.h"
#include "timing/ITimeSystem.h"

namespace Gamespace {

namespace {

constexpr ControlLibrary::RGB kTextColour{248, 208, 87};
constexpr ControlLibrary::RGB kTitleColour{255, 255, 10};
constexpr ControlLibrary::RGB kHumanColour{25, 250, 25};
constexpr char kGapText[] = "  ...";
constexpr int32_t kRowOffsets[TrnPlayersDlgImpl::kRows] = {-35, -13, 9, 31, 54};
// From a row's left edge to the panel's rim: a longer name is cut short.
constexpr int32_t kRowRoom = 110;

} // namespace

TimeLibrary::ITimeSystem* TrnPlayersDlgImpl::DefaultTimeSystem()
{
    return KernelLibrary::GetTimeSystem();
}

TrnPlayersDlgImpl::TrnPlayersDlgImpl(ControlLibrary::DialogMessageObserver* owner, TimeLibrary::ITimeSystem* time)
    : BaseDialogImpl(owner), time_(time)
{
    ControlLibrary::Size screen;
    GetScreenSize(screen);
    DialogObject().SetBackgroundImage(kBackground);
    DialogObject().SetSize(139, 170);
    // The panel's top-right corner is the screen's.
    DialogObject().SetAlignment(2, 0);
    DialogObject().SetPosition(static_cast<int32_t>(screen.w), 0);
    textFont_ = LoadFont(kTextFont);
    ControlLibrary::IFont* titleFont = LoadFont(kTitleFont);
    title_ = AddString(textFont_, kTextColour, kChildLayer);
    for (ControlLibrary::IStringVO*& row : rows_) {
        row = AddString(textFont_, kTextColour, kChildLayer);
        if (row)
            row->SetAlignment(0, 1);
    }
    if (title_) {
        title_->SetFont(titleFont);
        title_->SetColour(kTitleColour);
        title_->SetText("Players");
    }
    if (time_) {
        timer_ = time_->CreateTimeObject(this, -1, kSwitchMs);
        if (timer_)
            timer_->SetEndless(true);
    }
}

TrnPlayersDlgImpl::~TrnPlayersDlgImpl()
{
    if (time_ && timer_)
        time_->DestroyTimeObject(timer_);
}

void TrnPlayersDlgImpl::LayoutControls()
{
    const ControlLibrary::Point centre = Centre();
    if (title_)
        title_->SetPosition(centre.x, centre.y - 70);
    for (size_t row = 0; row < kRows; ++row)
        if (rows_[row])
            rows_[row]->SetPosition(centre.x - 50, centre.y + kRowOffsets[row]);
}

void TrnPlayersDlgImpl::OnDialogShown(uint32_t dialogId, bool shown)
{
    if (shown && dialogId == GetId()) {
        std::lock_guard<std::mutex> lock(rowsLock_);
        ClearRows();
    }
}

void TrnPlayersDlgImpl::ClearRows()
{
    for (size_t row = 0; row < kRows; ++row) {
        if (rows_[row]) {
            rows_[row]->SetText("");
            rows_[row]->SetColour(kTextColour);
        }
        texts_[row] = RowTexts{};
    }
}

void TrnPlayersDlgImpl::FillPlayerList(const std::vector<PlayerI*>& seats)
{
    Fill(TrnStandings::Rank(seats, true));
}

void TrnPlayersDlgImpl::FillSeatedPlayers(const std::vector<PlayerI*>& seats)
{
    Fill(TrnStandings::Rank(seats, false));
}

void TrnPlayersDlgImpl::Fill(std::vector<TrnStanding> records)
{
    if (timer_)
        timer_->Stop();
    TrnStandings::BringHumanIntoView(records);
    {
        std::lock_guard<std::mutex> lock(rowsLock_);
        ClearRows();
        for (size_t row = 0; row < kRows && row < records.size(); ++row) {
            const TrnStanding& record = records[row];
            const std::string place = std::to_string(record.place);
            if (record.gap) {
                texts_[row] = RowTexts{kGapText, kGapText};
            } else {
                texts_[row].name = FitText(textFont_, place + ".   ", record.name, kRowRoom);
                texts_[row].chips = place + ".     " + MoneyText(record.chips);
            }
            if (rows_[row] && record.human)
                rows_[row]->SetColour(kHumanColour);
        }
        // The rows show their texts at once, not 5 seconds later.
        SwitchRows();
    }
    if (timer_)
        timer_->Start(false, 0);
}

void TrnPlayersDlgImpl::SetPaused(bool paused)
{
    if (timer_)
        timer_->SetPaused(paused);
}

void TrnPlayersDlgImpl::OnTimerTick(uint32_t /*id*/)
{
    std::lock_guard<std::mutex> lock(rowsLock_);
    SwitchRows();
}

void TrnPlayersDlgImpl::SwitchRows()
{
    for (size_t row = 0; row < kRows; ++row)
        if (rows_[row])
            rows_[row]->SetText(showChips_ ? texts_[row].chips : texts_[row].name);
    showChips_ = !showChips_;
}

std::string TrnPlayersDlgImpl::RowText(size_t row) const
{
    return row < kRows ? TextOf(rows_[row]) : std::string();
}

ControlLibrary::RGB TrnPlayersDlgImpl::RowColour(size_t row) const
{
    return row < kRows && rows_[row] ? rows_[row]->GetColour() : ControlLibrary::RGB{};
}

} // namespace Gamespace
