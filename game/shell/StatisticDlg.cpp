#include "game/shell/StatisticDlg.h"

#include "controls/IDialogVO.h"
#include "controls/IStringVO.h"
#include "game/shell/MoneyText.h"
#include "game/shell/ProfileList.h"
#include "game/shell/ScreenSize.h"

namespace Gamespace {

namespace {

// Where each row of the grid reads its buy-in and cash-out totals in the
// profile's money (pairs in the order limit, no limit, pot limit).
constexpr size_t kBuyInOfRow[] = {0, 4, 2};
constexpr int32_t kRowDy[] = {-35, 10, 55};
constexpr int32_t kColumnDx[] = {-50, 100, 250};
constexpr int32_t kRowTitleDx = -250;
constexpr int32_t kColumnTitleDy = -100;
constexpr ControlLibrary::RGB kLabelColour{255, 255, 10};

} // namespace

StatisticDlg::StatisticDlg(ControlLibrary::DialogMessageObserver* owner) : KeyDialog(owner)
{
    DialogObject().SetBackgroundImage(kBackground);
    DialogObject().SetSize(700, 340);
    // In the middle across, and a little low, under the screen's title.
    ControlLibrary::Size screen;
    GetScreenSize(screen);
    DialogObject().SetPosition(int32_t(screen.w / 2), 410);
    AddCloseButton();
    ControlLibrary::IFont* font = LoadFont(kFont);
    const char* rowTitles[] = {"Limit", "Pot Limit", "No Limit"};
    const char* columnTitles[] = {"Buy In", "Cash out", "Profit"};
    for (size_t i = 0; i < 3; ++i)
        rowTitles_[i] = AddLabel(rowTitles[i], font);
    for (size_t i = 0; i < 3; ++i)
        columnTitles_[i] = AddLabel(columnTitles[i], font);
    for (auto& row : figures_)
        for (auto& figure : row)
            figure = AddLabel("", font);
    // Row titles start at their point; everything else is centred on it.
    for (ControlLibrary::IStringVO* title : rowTitles_)
        if (title)
            title->SetAlignment(0, 1);
}

ControlLibrary::IStringVO* StatisticDlg::AddLabel(const std::string& text, ControlLibrary::IFont* font)
{
    ControlLibrary::IStringVO* label = AddString(font, kLabelColour, kChildLayer);
    if (label)
        label->SetText(text);
    return label;
}

void StatisticDlg::LayoutControls()
{
    const ControlLibrary::Point centre = Centre();
    for (size_t row = 0; row < 3; ++row) {
        if (rowTitles_[row])
            rowTitles_[row]->SetPosition(centre.x + kRowTitleDx, centre.y + kRowDy[row]);
        for (size_t column = 0; column < 3; ++column)
            if (figures_[row][column])
                figures_[row][column]->SetPosition(centre.x + kColumnDx[column], centre.y + kRowDy[row]);
    }
    for (size_t column = 0; column < 3; ++column)
        if (columnTitles_[column])
            columnTitles_[column]->SetPosition(centre.x + kColumnDx[column], centre.y + kColumnTitleDy);
    const int32_t height = int32_t(DialogObject().GetSize().h);
    PlaceCloseButton(0, height / 2 - 50);
}

void StatisticDlg::OnDialogShown(uint32_t dialogId, bool shown)
{
    if (shown && dialogId == GetId())
        FillFigures();
}

void StatisticDlg::FillFigures()
{
    const Profile& profile = *ProfileList::CurrentProfile();
    for (size_t row = 0; row < 3; ++row) {
        const double buyIn = profile.money[kBuyInOfRow[row]];
        const double cashOut = profile.money[kBuyInOfRow[row] + 1];
        const double values[] = {buyIn, cashOut, cashOut - buyIn};
        for (size_t column = 0; column < 3; ++column)
            if (figures_[row][column])
                figures_[row][column]->SetText(AmountText(values[column]));
    }
}

std::string StatisticDlg::Figure(Row row, Column column) const
{
    std::string text;
    if (const ControlLibrary::IStringVO* figure = figures_[size_t(row)][size_t(column)])
        figure->GetText(text);
    return text;
}

} // namespace Gamespace
