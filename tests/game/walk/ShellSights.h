// What a player finds on the shell's screens and dialogs: the start screen,
// the profile dialogs, the options, the set-up screens with their dialogs,
// the in-game menu with the rules, the exit question and the player files'
// notice; each named as the player would call it.
#pragma once

#include "game/shell/ButtonSheets.h"
#include "game/shell/CustomizeDlg.h"
#include "game/shell/DeletePlayerDialog.h"
#include "game/shell/ExitDialog.h"
#include "game/shell/GameImpl.h"
#include "game/shell/MenuDlgImpl.h"
#include "game/shell/NewPlayerDialog.h"
#include "game/shell/OptionsDialog.h"
#include "game/shell/PlayerFilesNotice.h"
#include "game/shell/ProfilesDialog.h"
#include "game/shell/RulesDlg.h"
#include "game/shell/SetupRulesCash.h"
#include "game/shell/SetupRulesTournament.h"
#include "game/shell/StartMgr.h"
#include "game/shell/StatisticDlg.h"
#include "tests/support/ScreenSight.h"

#include <string>

namespace walk::sights {

// ---- The start screen and the profile dialogs ----
inline const Sight kStartScreen = Image(Gamespace::StartMgr::kBackground).Named("the start screen");
inline const Sight kNoLimit = Image("images/btn_game_modes.png", {0, 0, 108, 52}).Named("No limit");
inline const Sight kPotLimit = Image("images/btn_game_modes.png", {334, 0, 112, 52}).Named("Pot limit");
inline const Sight kLimit = Image("images/btn_game_modes.png", {108, 0, 76, 52}).Named("Limit");
inline const Sight kTournaments = Image("images/btn_game_modes.png", {186, 0, 148, 49}).Named("Tournaments");
inline const Sight kOptionsButton = Image("images/btn_options.png", {0, 2, 100, 41}).Named("Options");
inline const Sight kCloseButton = Image("images/btn_close.png", {0, 0, 32, 32}).Named("the close button");
inline const Sight kHomePage = Image(Gamespace::GameImpl::kHomePageImage).Named("the home-page button");
inline const Sight kNewPlayer = Image(Gamespace::NewPlayerDialog::kBackground).Named("the new-player dialog");
inline const Sight kChooser = Image(Gamespace::ProfilesDialog::kBackground).Named("the player chooser");
inline const Sight kDeletePlayer =
    Image(Gamespace::DeletePlayerDialog::kBackground).Named("the delete-player dialog");
inline const Sight kOk = Image(Gamespace::button_sheets::kOk.image, Gamespace::button_sheets::kOk.frames[0]).Named("OK");
inline const Sight kCancel =
    Image(Gamespace::button_sheets::kCancel.image, Gamespace::button_sheets::kCancel.frames[0]).Named("Cancel");
inline const Sight kNew = Image(Gamespace::button_sheets::kNew.image, Gamespace::button_sheets::kNew.frames[0]).Named("New");
inline const Sight kDelete =
    Image(Gamespace::button_sheets::kDelete.image, Gamespace::button_sheets::kDelete.frames[0]).Named("Delete");

// The line under the title that names the current player.
inline Sight PlayerLine(const std::string& name)
{
    return Caption("if you not " + name + " click here").Named("the player line");
}

// ---- The options dialog (its plus and minus also count the set-up
// screens' players) ----
inline const Sight kOptionsDialog = Image(Gamespace::OptionsDialog::kBackground).Named("the options dialog");
inline const Sight kMinus = Image("images/dialog/options/bt_opt.png", {0, 0, 28, 28}).Named("-");
inline const Sight kPlus = Image("images/dialog/options/bt_opt.png", {28, 0, 28, 28}).Named("+");
inline const Sight kToFullScreen = Image("images/dialog/options/bt_fs.png", {44, 0, 60, 42}).Named("full screen");
inline const Sight kToWindow = Image("images/dialog/options/bt_fs.png", {0, 0, 42, 42}).Named("window");
inline const Sight kOptionsOk = Image("images/dialog/options/bt_fs.png", {104, 0, 52, 42}).Named("the options' OK");

// ---- The set-up screens and their dialogs ----
inline const Sight kStart = Image("images/btn_sel_rules_scr.png", {188, 4, 104, 28}).Named("Start");
inline const Sight kContinue = Image("images/btn_sel_rules_scr.png", {108, 1, 78, 30}).Named("Continue");
inline const Sight kBack = Image("images/btn_sel_rules_scr.png", {0, 1, 106, 30}).Named("Back");
inline const Sight kCustomize = Image("images/btn_customize.png", {0, 0, 135, 32}).Named("Customize");
inline const Sight kStatistics = Image("images/btn_statistic.png", {0, 0, 137, 50}).Named("Statistics");
inline const Sight kTournamentScreen =
    Image(Gamespace::SetupRulesTournament::kBackgroundImage).Named("the tournament set-up screen");
inline const Sight kCustomizeDialog = Image(Gamespace::CustomizeDlg::kBackground).Named("the customize dialog");
inline const Sight kCautious = Image(Gamespace::CustomizeDlg::kStyleImage, {140, 0, 136, 32}).Named("Cautious");
inline const Sight kAggressive = Image(Gamespace::CustomizeDlg::kStyleImage, {420, 0, 136, 32}).Named("Aggressive");
// The shell's yes and no buttons: the customize dialog's toggle, the exit
// question's answers.
inline const Sight kYes = Image(Gamespace::button_sheets::kYes.image, Gamespace::button_sheets::kYes.frames[0]).Named("Yes");
inline const Sight kNo = Image(Gamespace::button_sheets::kNo.image, Gamespace::button_sheets::kNo.frames[0]).Named("No");
inline const Sight kCustomizeOk = kOk;
inline const Sight kStatisticsDialog = Image(Gamespace::StatisticDlg::kBackground).Named("the statistics");

// ---- At the table ----
inline const Sight kMenu = Image(Gamespace::MenuDlgImpl::kBackground).Named("the menu");
inline const Sight kResume = Image(Gamespace::MenuDlgImpl::kButtons, {0, 4, 134, 50}).Named("Resume");
inline const Sight kRules = Image(Gamespace::MenuDlgImpl::kButtons, {134, 4, 102, 50}).Named("Rules");
inline const Sight kMenuOptions = Image(Gamespace::MenuDlgImpl::kButtons, {464, 7, 130, 50}).Named("Options");
// (The menu button and the menu's leave buttons are walk::PlayedTable's.)
inline const Sight kRulesPage = Image(Gamespace::RulesDlg::kBackground).Named("the rules page");
inline const Sight kExitQuestion = Image(Gamespace::ExitDialog::kBackground).Named("the exit question");

// ---- The "Player files" notice, over any screen ----
inline const Sight kNotice = Image(Gamespace::PlayerFilesNotice::kBackground).Named("the notice");
inline const Sight kProblemOk = Caption("Ok").Named("the message's Ok");

} // namespace walk::sights
