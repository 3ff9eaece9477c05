// The table's one-line announcements: the coming board stage, the dealer
// draw's winner, and that the human cannot go on at this table.
//
// For now bare panels with a close button: the line is not shown. The text
// comes with the announcement dialogs themselves.
//
// Threads: the main thread.
#pragma once

#include "game/shell/BaseDialogImpl.h"
#include "game/table/TableDialogs.h"

namespace Gamespace {

class StageDlgImpl final : public BaseDialogImpl, public StageDlg {
public:
    explicit StageDlgImpl(ControlLibrary::DialogMessageObserver* owner);
    void LayoutControls() override;
    void SetCaption(const std::string& /*text*/) override {}
};

class DealerSelectDlgImpl final : public BaseDialogImpl, public DealerSelectDlg {
public:
    explicit DealerSelectDlgImpl(ControlLibrary::DialogMessageObserver* owner);
    void LayoutControls() override;
    void SetCaption(const std::string& /*text*/) override {}
    void SetDealer(PlayerI& /*player*/) override {}
};

class BankruptDlgImpl final : public BaseDialogImpl, public BankruptDlg {
public:
    explicit BankruptDlgImpl(ControlLibrary::DialogMessageObserver* owner);
    void LayoutControls() override;
    void SetCaption(const std::string& /*text*/) override {}
};

} // namespace Gamespace
