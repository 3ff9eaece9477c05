// The rules page: its parts and where they stand, and that only OK closes it.
#include "controls/IButtonVO.h"
#include "controls/IDialogVO.h"
#include "controls/IStringVO.h"
#include "controls/ITextBoxVO.h"
#include "game/shell/RulesDlg.h"
#include "tests/game/shell/ShellDialogScene.h"

#include <string>
#include <vector>

namespace Gamespace {
namespace {

class OwnerLog : public ControlLibrary::DialogMessageObserver {
public:
    void OnDialogShown(uint32_t id, bool shown) override { events.push_back({id, shown}); }
    std::vector<std::pair<uint32_t, bool>> events;
};

class RulesPage : public ShellDialogScene {
protected:
    OwnerLog owner_;
    RulesDlg page_{&owner_};
};

TEST_F(RulesPage, CoversTheScreenWithTitleTextAndOk)
{
    page_.Show(true);
    EXPECT_EQ(page_.DialogObject().GetScreenRect(), (ControlLibrary::Rect{0, 0, 1024, 768}));
    // Below the title (at 384 - 190), not over it.
    EXPECT_EQ(page_.TextBox()->GetScreenRect(), (ControlLibrary::Rect{512 + 10 - 320, 384 - 155, 640, 380}));
    EXPECT_EQ(page_.OkButton()->GetScreenRect(), (ControlLibrary::Rect{512 - 28, 384 + 270 - 18, 56, 36}));
    EXPECT_TRUE(Shown(page_.TextBox()->GetId()));
    bool titleShown = false;
    for (ControlLibrary::IVisibleObject* object : Factory().ShownObjects())
        if (auto* text = dynamic_cast<ControlLibrary::IStringVO*>(object)) {
            std::string title;
            text->GetText(title);
            titleShown = titleShown || title == RulesDlg::kTitle;
        }
    EXPECT_TRUE(titleShown);
}

TEST_F(RulesPage, OnlyOkClosesItAndTellsTheOwner)
{
    page_.Show(true);
    ClickOn(page_.TextBox()->GetId());
    ClickOn(page_.GetId());
    EXPECT_TRUE(page_.IsVisible());
    EXPECT_EQ(Clicks(), 0u);

    ClickOn(page_.OkButton()->GetId());
    EXPECT_FALSE(page_.IsVisible());
    EXPECT_EQ(Clicks(), 1u);
    ASSERT_EQ(owner_.events.size(), 2u);
    EXPECT_EQ(owner_.events.back(), std::make_pair(page_.GetId(), false));
}

} // namespace
} // namespace Gamespace
