// The table's one-line announcements: the coming board stage, the winner of
// the dealer draw, and that the human cannot go on at this table. They share
// one design: the table's banner (BannerDialog) with a line of large yellow
// text above a "Close" button; the button, or Return while the banner is the
// top dialog, closes it, and the table goes on when it hears of the close.
//
// Each keeps the last text it was given; the stage and dealer banners read
// "Winner" until the table first sets one.
//
// Threads: the main thread.
#pragma once

#include "game/shell/BannerDialog.h"
#include "game/table/TableDialogs.h"

#include <string>

namespace Gamespace {

class AnnouncementPanel : public BannerDialog {
protected:
    // Centred on `centre` of the screen.
    AnnouncementPanel(ControlLibrary::DialogMessageObserver* owner, ControlLibrary::Point centre,
                      const std::string& text);
};

// "Flop", "Turn" or "River", the stage about to be dealt.
class StageDlgImpl final : public AnnouncementPanel, public StageDlg {
public:
    explicit StageDlgImpl(ControlLibrary::DialogMessageObserver* owner);
    void SetCaption(const std::string& text) override { SetText(text); }
};

// The player who drew the highest card deals first.
class DealerSelectDlgImpl final : public AnnouncementPanel, public DealerSelectDlg {
public:
    explicit DealerSelectDlgImpl(ControlLibrary::DialogMessageObserver* owner);
    void SetCaption(const std::string& text) override { SetText(text); }
    void SetDealer(PlayerI& player) override;
};

// The human has no chips left and takes no more.
class BankruptDlgImpl final : public AnnouncementPanel, public BankruptDlg {
public:
    explicit BankruptDlgImpl(ControlLibrary::DialogMessageObserver* owner);
    void SetCaption(const std::string& text) override { SetText(text); }
};

} // namespace Gamespace
