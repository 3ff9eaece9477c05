#include "game/shell/ProfileList.h"

namespace {

ProfileList* gList = nullptr;

bool SameIgnoringAsciiCase(const std::string& a, const std::string& b)
{
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i) {
        char x = a[i], y = b[i];
        if (x >= 'A' && x <= 'Z')
            x = static_cast<char>(x - 'A' + 'a');
        if (y >= 'A' && y <= 'Z')
            y = static_cast<char>(y - 'A' + 'a');
        if (x != y)
            return false;
    }
    return true;
}

Profile& DefaultProfile()
{
    static Profile profile;
    return profile;
}

} // namespace

bool IsProfileNameCharacter(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
}

bool IsValidProfileName(const std::string& name)
{
    if (name.empty() || name.size() > kMaxProfileNameLength)
        return false;
    for (char c : name)
        if (!IsProfileNameCharacter(c))
            return false;
    return true;
}

bool IsTournament()
{
    return IsTournamentGameType(ProfileList::CurrentProfile()->gameType);
}

ProfileList* ProfileList::Instance()
{
    if (!gList)
        gList = new ProfileList();
    return gList;
}

void ProfileList::Free()
{
    delete gList;
    gList = nullptr;
}

Profile* ProfileList::CurrentProfile()
{
    Profile& fallback = DefaultProfile();
    if (gList)
        for (const auto& profile : gList->profiles_)
            if (profile->active != 0)
                return profile.get();
    return &fallback;
}

void ProfileList::ClearActive()
{
    if (!gList)
        return;
    for (const auto& profile : gList->profiles_)
        profile->active = 0;
}

bool ProfileList::IsDefaultProfile(const Profile* profile)
{
    return profile == &DefaultProfile();
}

Profile* ProfileList::FindByName(const std::string& name) const
{
    for (const auto& profile : profiles_)
        if (profile->name == name)
            return profile.get();
    return nullptr;
}

Profile* ProfileList::FindSharingFile(const std::string& name) const
{
    for (const auto& profile : profiles_)
        if (SameIgnoringAsciiCase(profile->name, name))
            return profile.get();
    return nullptr;
}

bool ProfileList::Add(Profile* profile)
{
    if (!profile || IsDefaultProfile(profile) || !IsValidProfileName(profile->name))
        return false;
    // Names differing only in letter case would share one file (file names
    // match without regard to case), and one of the two profiles would be
    // lost at the next load. (A listed profile finds itself.)
    if (FindSharingFile(profile->name))
        return false;
    // Nor may it take the file a listed profile of another name was read
    // from (a file copied or renamed by hand): its saves would replace that
    // player's.
    const std::string file = profile->FilePath();
    for (const auto& listed : profiles_)
        if (SameIgnoringAsciiCase(listed->FilePath(), file))
            return false;
    profiles_.emplace_back(profile);
    return true;
}

std::unique_ptr<Profile> ProfileList::Remove(Profile* profile)
{
    if (!profile)
        return nullptr;
    bool wasActive = profile->active != 0;
    for (auto it = profiles_.begin(); it != profiles_.end(); ++it) {
        if ((*it)->name != profile->name)
            continue;
        std::unique_ptr<Profile> removed = std::move(*it);
        profiles_.erase(it);
        if (wasActive && !profiles_.empty())
            profiles_.front()->SetActive(true);
        return removed;
    }
    return nullptr;
}

void Profile::SetActive(bool value)
{
    ProfileList::ClearActive();
    active = value ? 1 : 0;
}
