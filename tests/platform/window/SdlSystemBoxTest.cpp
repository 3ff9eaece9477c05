// SDL's own box, the last resort where the program cannot draw one: what it
// is asked to show for a message box and what its answers become. The box
// itself needs an X server with core fonts; the screen tests show it.
#include "platform/window/SdlSystemBox.h"

#include "platform/window/WindowTypes.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

namespace platform {
namespace {

std::vector<int> Ids(const SystemBoxRequest& request)
{
    std::vector<int> ids;
    for (const MessageBoxButton& button : request.buttons)
        ids.push_back(button.id);
    return ids;
}

// The button Return and Escape each choose (nothing: no button).
std::optional<int> ChosenBy(const SystemBoxRequest& request, bool escape)
{
    std::optional<int> chosen;
    for (const MessageBoxButton& button : request.buttons) {
        const SystemBoxKeys keys = SystemBoxKeysFor(request, button.id);
        if (escape ? keys.escapeKey : keys.returnKey) {
            EXPECT_FALSE(chosen) << "two buttons for one key";
            chosen = button.id;
        }
    }
    return chosen;
}

// The keys and the frame's close answer as the program's own box does,
// except that a question closed from the frame (which SDL cannot refuse)
// is answered No.
TEST(SdlSystemBox, ReturnEscapeAndTheFramesCloseAnswerAsTheProgramsOwnBoxDoes)
{
    struct Case {
        UINT flags;
        std::vector<int> buttons;
        int returnKey;
        std::optional<int> escapeKey;
        int closed;
    };
    const Case cases[] = {
        {MB_OK, {IDOK}, IDOK, IDOK, IDOK},
        {MB_OKCANCEL, {IDOK, IDCANCEL}, IDOK, IDCANCEL, IDCANCEL},
        {MB_OKCANCEL | MB_DEFBUTTON2, {IDOK, IDCANCEL}, IDCANCEL, IDCANCEL, IDCANCEL},
        {MB_YESNO, {IDYES, IDNO}, IDYES, std::nullopt, IDNO},
        {MB_YESNO | MB_DEFBUTTON2, {IDYES, IDNO}, IDNO, std::nullopt, IDNO},
        {MB_YESNOCANCEL, {IDYES, IDNO, IDCANCEL}, IDYES, IDCANCEL, IDCANCEL},
        {MB_ABORTRETRYIGNORE | MB_DEFBUTTON3, {IDABORT, IDRETRY, IDIGNORE}, IDIGNORE, std::nullopt, IDIGNORE},
        {MB_RETRYCANCEL, {IDRETRY, IDCANCEL}, IDRETRY, IDCANCEL, IDCANCEL},
    };
    for (const Case& c : cases) {
        const SystemBoxRequest request = SystemBoxForMessage("Keep it?", "Question", c.flags);
        EXPECT_EQ(request.text, "Keep it?");
        EXPECT_EQ(request.caption, "Question");
        EXPECT_EQ(Ids(request), c.buttons) << "flags " << c.flags;
        EXPECT_EQ(ChosenBy(request, false), c.returnKey) << "Return, flags " << c.flags;
        EXPECT_EQ(ChosenBy(request, true), c.escapeKey) << "Escape, flags " << c.flags;
        // SDL says -1 for the frame's close button.
        EXPECT_EQ(SystemBoxAnswer(request, -1), c.closed) << "closed, flags " << c.flags;
        for (int id : c.buttons)
            EXPECT_EQ(SystemBoxAnswer(request, id), id) << "each button answers itself, flags " << c.flags;
        EXPECT_EQ(SystemBoxAnswer(request, 4711), c.closed) << "no such button, flags " << c.flags;
    }
}

TEST(SdlSystemBox, ItsKindFollowsTheIconAskedFor)
{
    const std::pair<UINT, SystemBoxKind> kinds[] = {
        {MB_OK, SystemBoxKind::Information},
        {MB_ICONINFORMATION, SystemBoxKind::Information},
        {MB_ICONQUESTION, SystemBoxKind::Information},
        {MB_ICONWARNING, SystemBoxKind::Warning},
        {MB_ICONERROR | MB_YESNO, SystemBoxKind::Error},
    };
    for (const auto& [flags, kind] : kinds)
        EXPECT_EQ(SystemBoxKindFor(SystemBoxForMessage("", "", flags)), kind) << "flags " << flags;
}

} // namespace
} // namespace platform
