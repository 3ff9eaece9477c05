#include "game/shell/ProfileTableShell.h"

#include "game/shell/Options.h"
#include "game/shell/ProfileFile.h"
#include "game/shell/ProfileList.h"
#include "game/shell/ProfileSaving.h"

namespace Gamespace {

std::string ProfileTableShell::GetPlayerName()
{
    return ProfileList::CurrentProfile()->name;
}

GameType ProfileTableShell::GetGameType()
{
    return ProfileList::CurrentProfile()->gameType;
}

TableChoice ProfileTableShell::GetTableChoice()
{
    const Profile& profile = *ProfileList::CurrentProfile();
    return profile.TableChoiceFor(profile.gameType);
}

uint32_t ProfileTableShell::GetComputerStyle()
{
    return ProfileList::CurrentProfile()->computerStyle;
}

bool ProfileTableShell::AnnouncesStages()
{
    return ProfileList::CurrentProfile()->announceStages != 0;
}

SavedGame* ProfileTableShell::GetCurrentSavedGame()
{
    return ProfileList::CurrentProfile()->GetCurrentSavedGame();
}

void ProfileTableShell::KeepProgress()
{
    SaveCurrentProfile();
}

void ProfileTableShell::KeepDraw()
{
    // A failure here is one the entry's save has most likely told already:
    // the reporter tells it again only for a new reason.
    SaveCurrentProfile();
}

uint16_t ProfileTableShell::GetGameSpeed()
{
    return Gamespace::GetGameSpeed();
}

void ProfileTableShell::AddOptionObserver(IOptionObserver* observer)
{
    Gamespace::AddOptionObserver(observer);
}

} // namespace Gamespace
