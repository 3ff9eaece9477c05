// What the shell's screens and dialogs show, object by object, held against
// a sheet of each kept under tests/game/shell/scenes/: every shown object, the top
// one first, with its kind, layer, place and size, its words, the part of its
// picture each state shows, its colours, and a hash of the pixels it covers
// in a drawn frame. The pictures are the game's own sizes, each filled with
// a pattern whose pixels all differ, so that a moved or resized object, a
// wrong frame of a sprite sheet, another colour or a missing font all change
// a line of the sheet, and the failure names the object.
//
// PELLUCOR_KEEP_SCENES=1 writes the sheets from the program as it is; look
// at the screens (the walks' screenshots) before keeping a changed sheet.
#include "controls/ButtonFace_impl.h"
#include "controls/DialogVO_impl.h"
#include "controls/IButtonVO.h"
#include "controls/IDialogVO.h"
#include "controls/IImageVO.h"
#include "controls/ILinkVO.h"
#include "controls/IStringVO.h"
#include "controls/ITextBoxVO.h"
#include "framework/graphics/Graphics.h"
#include "framework/graphics/MemoryImage.h"
#include "game/shell/CustomizeDlg.h"
#include "game/shell/ExitDialog.h"
#include "game/shell/Options.h"
#include "game/shell/OptionsDialog.h"
#include "game/shell/RulesDlg.h"
#include "game/shell/SetupRulesMgr.h"
#include "game/shell/StartMgr.h"
#include "game/shell/StatisticDlg.h"
#include "game/shell/TournamentEntry.h"
#include "game/table/Tournament.h"
#include "tests/game/shell/ProfileTestSupport.h"
#include "tests/game/shell/SetupScene.h"
#include "tests/support/KeptScene.h"
#include "tests/support/WaitUntil.h"
#include "timing/TimeSystem_impl.h"
#include "tools/assetgen/AssetCatalog.h"

#include <algorithm>
#include <iomanip>
#include <sstream>

namespace Gamespace {
namespace {

using ControlLibrary::IVisibleObject;
using ControlLibrary::Rect;
using ControlLibrary::RGB;

constexpr int kScreenW = 1024;
constexpr int kScreenH = 768;

std::string Text(const Rect& r)
{
    std::ostringstream out;
    out << r.x << "," << r.y << " " << r.w << "x" << r.h;
    return out.str();
}

std::string Text(const RGB& c)
{
    return std::to_string(c.r) + "," + std::to_string(c.g) + "," + std::to_string(c.b);
}

class NoGame : public GameModuleObserver {
public:
    std::string GetNewsText() override { return "tovrelly_text: Spring cup"; }
};

class ScreenSheet : public SetupScene {
protected:
    ScreenSheet()
    {
        for (const assetgen::ImageAsset& image : assetgen::GetCatalog().images)
            host_->AddPatternImage(image.path, image.width, image.height);
    }

    // The sheet of what is shown now, against tests/game/shell/scenes/NAME.txt.
    void ExpectSheet(const std::string& name)
    {
        testing_support::ExpectKeptScene(Sheet(), "game/shell/scenes/" + name + ".txt");
    }

private:
    // One line per shown object, the top one first.
    std::string Sheet()
    {
        // A blank frame each time: what an earlier sheet drew never shows through.
        frame_.MakeBlank(kScreenW, kScreenH);
        Zolt::Graphics graphics(&frame_);
        Factory().DrawAll(&graphics);
        std::string sheet;
        const std::vector<IVisibleObject*> shown = Factory().ShownObjects();
        for (auto it = shown.rbegin(); it != shown.rend(); ++it)
            sheet += Line(**it) + "\n";
        return sheet;
    }

    std::string Line(IVisibleObject& object)
    {
        std::ostringstream out;
        out << Kind(object) << " L" << object.GetAbsoluteLayer() << " " << Text(object.GetScreenRect());
        if (!object.IsEnabled())
            out << " disabled";
        if (object.HasFocus())
            out << " focused";
        out << Looks(object) << " px " << std::hex << std::setw(8) << std::setfill('0') << Hash(object.GetScreenRect());
        return out.str();
    }

    static std::string Kind(IVisibleObject& object)
    {
        if (dynamic_cast<ControlLibrary::IButtonVO*>(&object))
            return "button";
        if (dynamic_cast<ControlLibrary::IStringVO*>(&object))
            return "text";
        if (dynamic_cast<ControlLibrary::ILinkVO*>(&object))
            return "link";
        if (dynamic_cast<ControlLibrary::IImageVO*>(&object))
            return "image";
        if (dynamic_cast<ControlLibrary::IDialogVO*>(&object))
            return "dialog";
        if (dynamic_cast<ControlLibrary::ITextBoxVO*>(&object))
            return "text box";
        return "object";
    }

    std::string Looks(IVisibleObject& object)
    {
        std::string looks;
        auto* bridge = dynamic_cast<ControlLibrary::IBridgeToVO*>(&object);
        if (auto* button = dynamic_cast<ControlLibrary::IButtonVO*>(&object)) {
            looks += " \"" + button->GetCaption() + "\"";
            if (auto* face = bridge ? dynamic_cast<ControlLibrary::ButtonFace_impl*>(bridge->GetImpl()) : nullptr)
                looks += FaceLooks(*face);
        } else if (auto* text = dynamic_cast<ControlLibrary::IStringVO*>(&object)) {
            std::string words;
            text->GetText(words);
            looks += " \"" + words + "\" " + Text(object.GetColour());
        } else if (auto* link = dynamic_cast<ControlLibrary::ILinkVO*>(&object)) {
            std::string words;
            link->GetText(words);
            looks += " \"" + words + "\" " + Text(object.GetColour());
        } else if (auto* image = dynamic_cast<ControlLibrary::IImageVO*>(&object)) {
            std::string name;
            image->GetImageName(name);
            looks += " " + name + " " + Text(image->GetSourceRect());
        } else if (auto* dialog = bridge ? dynamic_cast<ControlLibrary::DialogVO_impl*>(bridge->GetImpl()) : nullptr) {
            looks += " " + ImageName(dialog->GetBackgroundHandle());
        }
        return looks;
    }

    // The pictures of the four states (normal, hover, pressed, disabled):
    // their images, the size of the parts and where each part lies; then the
    // five caption colours.
    std::string FaceLooks(const ControlLibrary::ButtonFace_impl& face)
    {
        std::vector<std::string> images, sizes;
        std::string corners;
        for (size_t state = 0; state < 4; ++state) {
            const Rect part = face.GetSourceRect(state);
            images.push_back(ImageName(face.GetImageHandle(state)));
            sizes.push_back(std::to_string(part.w) + "x" + std::to_string(part.h));
            corners += " " + std::to_string(part.x) + "," + std::to_string(part.y);
        }
        std::string looks = face.IsFaceHidden() ? " no face" : " " + OneOrAll(images) + " " + OneOrAll(sizes) + " @" + corners;
        looks += " captions";
        for (const RGB& colour : face.GetTextColours())
            looks += " " + Text(colour);
        return looks;
    }

    // One value when the states share it, else every state's.
    static std::string OneOrAll(const std::vector<std::string>& values)
    {
        if (std::all_of(values.begin(), values.end(), [&](const std::string& v) { return v == values[0]; }))
            return values[0];
        std::string all;
        for (const std::string& value : values)
            all += (all.empty() ? "" : ",") + value;
        return all;
    }

    std::string ImageName(int32_t handle)
    {
        std::string name;
        if (handle >= 0)
            Factory().GetImageName(handle, name);
        return name.empty() ? "-" : name;
    }

    // FNV-1a over the colours drawn in `area` (clipped to the screen); the
    // frame's own alpha is never shown, so it is left out.
    uint32_t Hash(const Rect& area) const
    {
        uint32_t hash = 2166136261u;
        const uint32_t* bits = frame_.GetBits();
        for (int y = std::max(0, int(area.y)); y < std::min(kScreenH, int(area.y + area.h)); ++y)
            for (int x = std::max(0, int(area.x)); x < std::min(kScreenW, int(area.x + area.w)); ++x) {
                hash ^= bits[y * kScreenW + x] & 0x00FFFFFFu;
                hash *= 16777619u;
            }
        return hash;
    }

    Zolt::MemoryImage frame_{nullptr};
};

TEST_F(ScreenSheet, StartScreen)
{
    ScopedProfileFolder folder;
    auto ann = std::make_unique<Profile>();
    ann->name = "Ann";
    ProfileList::Instance()->Add(ann.get());
    ann.release()->SetActive(true);
    TimeLibrary::TimeSystem_impl* time = TimeLibrary::CreateTimeSystem();
    SetFullScreenOption(true);
    NoGame game;
    StartMgr screen(&game, StartMgr::kModuleId);
    screen.Create();
    screen.Show();
    for (int t = 0; t <= StartMgr::kNewsStartMs; t += TimeLibrary::TimeSystem_impl::kPassMs) {
        time->TickAll();
        screen.ProcessEvents();
    }
    ASSERT_TRUE(test_support::WaitUntil([&] { return screen.GetNewsFetcher()->Fetched(); }));
    screen.ProcessEvents();
    // The pointer on the news line: it takes its hover colour.
    const Rect news = screen.GetNewsLink()->GetScreenRect();
    Factory().DispatchMouseMove(news.x + news.w / 2, news.y + news.h / 2);
    ExpectSheet("start");
    // The player line opens the chooser over the screen.
    ClickOn(screen.GetButton(StartMgr::kProfile)->GetId());
    ExpectSheet("start-players");
    screen.Release();
    TimeLibrary::DestroyTimeSystem();
    ResetOptions();
}

TEST_F(ScreenSheet, SetupScreens)
{
    NoGame game;
    SetupRulesMgr module(&game, SetupRulesMgr::kModuleId);
    module.Create();
    const std::pair<GameType, const char*> screens[] = {
        {kGameLimit, "limit"}, {kGamePotLimit, "pot-limit"}, {kGameNoLimit, "no-limit"}, {3, "tournaments"}};
    for (const auto& [gameType, name] : screens) {
        Ann().gameType = gameType;
        if (gameType == 3) { // with a game to continue
            Tournament record;
            ASSERT_TRUE(FindTournament(1, record));
            StartTournament(Ann(), record);
        }
        module.Show();
        ExpectSheet(name);
        module.Hide();
    }
    module.Release();
}

TEST_F(ScreenSheet, Dialogs)
{
    {
        OptionsDialog options(nullptr);
        options.Show(true);
        ExpectSheet("options");
        options.Show(false);
        SetFullScreenOption(true);
        options.Show(true);
        ExpectSheet("options-full-screen");
        ResetOptions();
    }
    {
        CustomizeDlg customize(nullptr);
        customize.Show(true);
        ExpectSheet("customize");
    }
    {
        Ann().money = {400, 250, 100, 2600000, 30.5, 10};
        StatisticDlg statistics(nullptr);
        statistics.Show(true);
        ExpectSheet("statistics");
    }
    {
        RulesDlg rules(nullptr);
        rules.Show(true);
        ExpectSheet("rules");
    }
    {
        ExitDialog exit(nullptr);
        exit.Show(true);
        ExpectSheet("exit");
    }
}

} // namespace
} // namespace Gamespace
