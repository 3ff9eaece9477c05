// Input routing: hover by hit test in layer order, presses and releases,
// focus, keys to the focused object and the screen-wide observers, modality.
#include "controls/Factory_impl.h"
#include "controls/IButtonVO.h"
#include "controls/ICursor.h"
#include "controls/IDialogVO.h"
#include "controls/IEditBoxMsgObserver.h"
#include "controls/IEditBoxVO.h"
#include "controls/IRectVO.h"
#include "controls/IToolTip.h"
#include "controls/KeybdMessageObserver.h"
#include "controls/KeybdSysMessageObserver.h"
#include "controls/MouseMessageObserver.h"
#include "platform/window/Cursor.h"
#include "tests/support/ControlTestHost.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

using namespace ControlLibrary;
using testing_support::ControlScene;

namespace {

struct Log : MouseMessageObserver, KeybdMessageObserver {
    void OnMouseDown(uint32_t id, int32_t b) override { Add("down", id, b); }
    void OnMouseUp(uint32_t id, int32_t b) override
    {
        Add("up", id, b);
        if (onUp)
            onUp(id);
    }
    void OnMouseEnter(uint32_t id) override { Add("enter", id); }
    void OnMouseLeave(uint32_t id) override { Add("leave", id); }
    void OnMouseMove(uint32_t id, int32_t x, int32_t y) override
    {
        entries.push_back("move:" + std::to_string(id) + ":" + std::to_string(x) + "," + std::to_string(y));
    }
    void OnChar(uint32_t id, char c) override { Add("char", id, c); }
    void OnKeyDown(uint32_t id, uint32_t k) override { Add("key", id, static_cast<int>(k)); }
    void OnKeyUp(uint32_t id, uint32_t k) override { Add("keyup", id, static_cast<int>(k)); }
    void Add(const std::string& what, uint32_t id, int extra = -1)
    {
        entries.push_back(what + ":" + std::to_string(id) + (extra >= 0 ? ":" + std::to_string(extra) : ""));
    }
    std::vector<std::string> entries;
    std::function<void(uint32_t)> onUp;
};

struct SysLog : KeybdSysMessageObserver {
    void OnSysKeyDown(uint32_t k) override { entries.push_back("down:" + std::to_string(k)); }
    void OnSysKeyUp(uint32_t k) override { entries.push_back("up:" + std::to_string(k)); }
    void OnSysMouseMove(Point p) override { entries.push_back("move:" + std::to_string(p.x)); }
    bool IsSysInputEnabled() override { return enabled; }
    bool enabled = true;
    std::vector<std::string> entries;
};

IRectVO* Shown(Factory_impl& f, Log& log, int x, int y, int w, int h)
{
    IRectVO* r = f.CreateRectVO();
    r->SetPosition(x, y);
    r->SetSize(w, h);
    r->AddMouseObserver(&log);
    r->AddKeybdObserver(&log);
    r->SetVisible(true);
    return r;
}

} // namespace

TEST(Input, EdgesHitAndTheLaterOfEqualLayersTakesTheHoverLeaveBeforeEnter)
{
    ControlScene scene;
    Factory_impl& f = scene.Factory();
    Log log;
    IRectVO* a = Shown(f, log, 0, 0, 40, 10);  // id 2, wide
    IRectVO* b = Shown(f, log, 30, 0, 10, 30); // id 3, tall, over a's right end
    f.DispatchMouseMove(20, 5);
    f.DispatchMouseMove(35, 8);
    f.DispatchMouseMove(40, 30);
    f.DispatchMouseMove(41, 30);
    EXPECT_EQ(log.entries,
              (std::vector<std::string>{"enter:2", "leave:2", "enter:3", "move:3:40,30", "leave:3"}));
    EXPECT_EQ(f.GetHoveredId(), 0u);
    f.ReleaseVO(a);
    f.ReleaseVO(b);
}

TEST(Input, ReleaseGoesToWhateverIsUnderThePointerAndDisabledObjectsStaySilent)
{
    ControlScene scene;
    Factory_impl& f = scene.Factory();
    Log log;
    IRectVO* a = Shown(f, log, 0, 0, 10, 10);
    IRectVO* b = Shown(f, log, 50, 0, 10, 10);
    f.DispatchMouseMove(5, 5);
    f.DispatchMouseDown(5, 5, 1, 1);
    EXPECT_EQ(f.GetFocusedId(), a->GetId());
    f.DispatchMouseMove(55, 5);
    f.DispatchMouseUp(55, 5, 0, 1);
    EXPECT_EQ(log.entries, (std::vector<std::string>{"enter:2", "down:2:1", "leave:2", "enter:3", "up:3:0"}));

    log.entries.clear();
    b->SetEnabled(false);
    f.DispatchMouseDown(55, 5, 1, 1);
    f.DispatchMouseUp(55, 5, 0, 1);
    f.DispatchMouseMove(80, 80);
    EXPECT_EQ(log.entries, (std::vector<std::string>{"leave:3"}));
    EXPECT_EQ(f.GetFocusedId(), a->GetId());
    f.ReleaseVO(a);
    f.ReleaseVO(b);
}

TEST(Input, KeysReachTheFocusedObjectAndTheSysObserversOfTheKeyDownSnapshot)
{
    ControlScene scene;
    Factory_impl& f = scene.Factory();
    Log log;
    SysLog open, shut, late;
    shut.enabled = false;
    f.AddSysObserver(&open);
    f.AddSysObserver(&shut);
    f.AddSysObserver(&open);
    f.AddSysObserver(&late);
    IRectVO* a = Shown(f, log, 0, 0, 10, 10);
    f.DispatchChar('x');
    a->SetFocus(true);
    f.DispatchKeyDown(13);
    shut.enabled = true;
    f.DispatchKeyUp(13);
    f.DispatchChar('y');
    f.DispatchMouseMove(100, 100);
    EXPECT_EQ(open.entries, (std::vector<std::string>{"down:13", "up:13", "move:100"}));
    EXPECT_EQ(shut.entries, (std::vector<std::string>{"move:100"}));
    EXPECT_EQ(late.entries, open.entries);
    EXPECT_EQ(log.entries, (std::vector<std::string>{"key:2:13", "keyup:2:13", "char:2:121"}));
    f.RemoveSysObserver(&open);
    f.RemoveSysObserver(&shut);
    f.RemoveSysObserver(&late);
    f.ReleaseVO(a);
}

TEST(Input, AnObserverRemovedByAnEarlierOneIsNotCalledAfterwards)
{
    ControlScene scene;
    Factory_impl& f = scene.Factory();
    // Takes the victim out of the list when the named callback reaches it.
    struct Remover : KeybdSysMessageObserver {
        void OnSysKeyDown(uint32_t) override { Remove("down"); }
        void OnSysKeyUp(uint32_t) override { Remove("up"); }
        void OnSysMouseMove(Point) override { Remove("move"); }
        void Remove(const char* now)
        {
            if (when == now)
                factory->RemoveSysObserver(victim);
        }
        std::string when;
        Factory_impl* factory = nullptr;
        KeybdSysMessageObserver* victim = nullptr;
    } remover;
    for (const char* when : {"down", "up", "move"}) {
        SCOPED_TRACE(when);
        SysLog victim;
        remover = Remover{};
        remover.when = when;
        remover.factory = &f;
        remover.victim = &victim;
        f.AddSysObserver(&remover);
        f.AddSysObserver(&victim);
        f.DispatchKeyDown(27);
        f.DispatchKeyUp(27);
        f.DispatchMouseMove(3, 4);
        const std::vector<std::string> heard =
            when == std::string("down") ? std::vector<std::string>{}
            : when == std::string("up") ? std::vector<std::string>{"down:27"}
                                        : std::vector<std::string>{"down:27", "up:27"};
        EXPECT_EQ(victim.entries, heard);
        f.RemoveSysObserver(&remover);
        f.RemoveSysObserver(&victim);
    }
}

TEST(Input, AClickThatReleasesItsOwnButtonIsSafe)
{
    ControlScene scene;
    Factory_impl& f = scene.Factory();
    IButtonVO* button = f.CreateButtonVO();
    button->SetSize(20, 20);
    button->SetVisible(true);
    Log log;
    button->AddMouseObserver(&log);
    log.onUp = [&](uint32_t) { f.ReleaseVO(button); };
    f.DispatchMouseMove(5, 5);
    f.DispatchMouseDown(5, 5, 1, 1);
    f.DispatchMouseUp(5, 5, 0, 1);
    EXPECT_EQ(f.FindObject(2), nullptr);
    EXPECT_EQ(f.GetHoveredId(), 0u);
    EXPECT_EQ(f.GetFocusedId(), 0u);
    f.DispatchMouseMove(6, 6);
    f.DispatchMouseDown(6, 6, 1, 1);
    EXPECT_EQ(log.entries, (std::vector<std::string>{"enter:2", "down:2:1", "up:2:0"}));
}

// A timer thread may release the pressed box while its press is still being
// handled (the box stays alive until the press returns); a focus that comes
// to it after that must not stay on it, or the next key goes to freed
// memory. The release and the focus are made here by the press itself, in
// the order the two threads can interleave them.
TEST(Input, ABoxReleasedDuringItsPressNeverKeepsTheFocus)
{
    ControlScene scene;
    Factory_impl& f = scene.Factory();
    IEditBoxVO* box = f.CreateEditBoxVO();
    box->SetSize(20, 20);
    box->SetVisible(true);
    struct ReleaseThenFocus : MouseMessageObserver {
        std::function<void()> action;
        void OnMouseDown(uint32_t, int32_t) override { action(); }
    } observer;
    observer.action = [&] {
        f.ReleaseVO(box);
        box->SetFocus(true);
    };
    box->AddMouseObserver(&observer);
    const uint32_t id = box->GetId();

    f.DispatchMouseMove(5, 5);
    f.DispatchMouseDown(5, 5, 1, 1);
    EXPECT_EQ(f.FindObject(id), nullptr);
    EXPECT_EQ(f.GetFocusedId(), 0u);
    f.DispatchChar('a'); // reaches nobody
}

TEST(Input, ADoubleClickOnAButtonThatClosesItsDialogActsOnceAndThePressFindsWhatIsBeneath)
{
    ControlScene scene;
    Factory_impl& f = scene.Factory();
    Log beneathLog;
    IRectVO* beneath = Shown(f, beneathLog, 0, 0, 40, 40); // id 2
    IDialogVO* dialog = f.CreateDialogVO();                // id 3
    IButtonVO* ok = f.CreateButtonVO();                    // id 4
    ok->SetSize(20, 20);
    dialog->AddChild(ok);
    Log okLog;
    ok->AddMouseObserver(&okLog);
    okLog.onUp = [&](uint32_t) { dialog->SetVisible(false); };
    dialog->SetVisible(true);

    f.DispatchMouseMove(5, 5);
    f.DispatchMouseDown(5, 5, 1, 1);
    f.DispatchMouseUp(5, 5, 0, 1);
    // The second click of the pair comes without a move in between.
    f.DispatchMouseDown(5, 5, 1, 2);
    f.DispatchMouseUp(5, 5, 0, 2);
    EXPECT_EQ(okLog.entries, (std::vector<std::string>{"enter:4", "down:4:1", "up:4:0", "leave:4"}));
    EXPECT_EQ(beneathLog.entries, (std::vector<std::string>{"enter:2", "down:2:1", "up:2:0"}));
    EXPECT_EQ(f.GetHoveredId(), beneath->GetId());
    f.ReleaseVO(ok);
    f.ReleaseVO(dialog);
    f.ReleaseVO(beneath);
}

TEST(Input, AnObjectHiddenUnderTheStillPointerGetsNeitherPressNorRelease)
{
    ControlScene scene;
    Factory_impl& f = scene.Factory();
    Log log;
    IRectVO* a = Shown(f, log, 0, 0, 10, 10);
    f.DispatchMouseMove(5, 5);
    f.DispatchMouseDown(5, 5, 1, 1);
    a->SetVisible(false); // as a timer on the time thread may do
    f.DispatchMouseUp(5, 5, 0, 1);
    a->SetVisible(true);
    a->SetVisible(false);
    f.DispatchMouseDown(5, 5, 1, 1);
    f.DispatchMouseUp(5, 5, 0, 1);
    EXPECT_EQ(log.entries, (std::vector<std::string>{"enter:2", "down:2:1", "leave:2"}));
    EXPECT_EQ(f.GetHoveredId(), 0u);
    f.ReleaseVO(a);
}

TEST(Input, NestedModalDialogsReenableExactlyWhatWasEnabledBefore)
{
    ControlScene scene;
    Factory_impl& f = scene.Factory();
    Log log;
    IRectVO* enabled = Shown(f, log, 0, 0, 10, 10);
    IRectVO* disabled = Shown(f, log, 20, 0, 10, 10);
    IRectVO* exempt = Shown(f, log, 40, 0, 10, 10);
    disabled->SetEnabled(false);
    exempt->SetModalExempt(true);
    IDialogVO* first = f.CreateDialogVO();
    IDialogVO* second = f.CreateDialogVO();
    first->SetVisible(true);
    EXPECT_FALSE(enabled->IsEnabled());
    EXPECT_TRUE(exempt->IsEnabled());
    EXPECT_TRUE(first->IsEnabled());
    second->SetVisible(true);
    EXPECT_FALSE(first->IsEnabled());
    EXPECT_EQ(f.GetModalDepth(), 2u);
    second->SetVisible(false);
    EXPECT_TRUE(first->IsEnabled());
    EXPECT_FALSE(enabled->IsEnabled());
    first->SetVisible(false);
    EXPECT_TRUE(enabled->IsEnabled());
    EXPECT_FALSE(disabled->IsEnabled());
    EXPECT_EQ(f.GetModalDepth(), 0u);
    f.LeaveModal();

    // An object released while a modal dialog holds it disabled goes when
    // the dialog closes.
    first->SetVisible(true);
    f.ReleaseVO(enabled);
    EXPECT_NE(f.FindObject(2), nullptr);
    first->SetVisible(false);
    EXPECT_EQ(f.FindObject(2), nullptr);
    for (IVisibleObject* o : std::initializer_list<IVisibleObject*>{disabled, exempt, first, second})
        f.ReleaseObject(o);
}

// Game code often releases the object whose callback it runs in (a button
// that closes its own screen). The object lives until its callback is back,
// then goes; an object made later, perhaps where it was in memory, is not
// taken for it.
TEST(Input, AnObjectReleasedInsideItsOwnCallbackGoesWhenTheCallbackReturns)
{
    ControlScene scene;
    Factory_impl& f = scene.Factory();
    ICursor* cursor = f.CreateCursor(); // count the objects that hold them
    IToolTip* tip = f.CreateToolTip();
    struct Releaser : MouseMessageObserver, KeybdMessageObserver {
        void OnMouseEnter(uint32_t) override { On("enter"); }
        void OnMouseMove(uint32_t, int32_t, int32_t) override { On("move"); }
        void OnMouseLeave(uint32_t) override { On("leave"); }
        void OnMouseDown(uint32_t, int32_t) override { On("down"); }
        void OnMouseUp(uint32_t, int32_t) override { On("up"); }
        void OnChar(uint32_t, char) override { On("char"); }
        void OnKeyDown(uint32_t, uint32_t) override { On("key"); }
        void OnKeyUp(uint32_t, uint32_t) override { On("keyup"); }
        void On(const std::string& now)
        {
            if (now != when || !object)
                return;
            factory->ReleaseVO(object);
            object = nullptr;
            countInside = cursor->GetRefCount();
        }
        std::string when;
        Factory_impl* factory = nullptr;
        IRectVO* object = nullptr;
        ICursor* cursor = nullptr;
        int countInside = 0;
    };
    const auto make = [&](Releaser& releaser) {
        IRectVO* r = f.CreateRectVO();
        r->SetSize(10, 10);
        r->SetCursor(cursor);
        r->SetToolTip(tip);
        r->AddMouseObserver(&releaser);
        r->AddKeybdObserver(&releaser);
        r->SetVisible(true);
        return r;
    };
    for (const char* when : {"enter", "move", "leave", "down", "up", "char", "key", "keyup"}) {
        SCOPED_TRACE(when);
        Releaser releaser;
        releaser.when = when;
        releaser.factory = &f;
        releaser.cursor = cursor;
        releaser.object = make(releaser);
        const uint32_t id = releaser.object->GetId();
        releaser.object->SetFocus(true);
        f.DispatchMouseMove(5, 5);
        f.DispatchMouseMove(6, 6);
        f.DispatchMouseDown(6, 6, 1, 1);
        f.DispatchMouseUp(6, 6, 0, 1);
        f.DispatchChar('a');
        f.DispatchKeyDown(13);
        f.DispatchKeyUp(13);
        f.DispatchMouseMove(50, 50);
        EXPECT_EQ(releaser.countInside, 2) << "alive while its callback runs";
        EXPECT_EQ(cursor->GetRefCount(), 1) << "gone once it returned";
        EXPECT_EQ(tip->GetRefCount(), 1);
        EXPECT_EQ(f.FindObject(id), nullptr);
        EXPECT_EQ(f.GetHoveredId(), 0u);
        EXPECT_EQ(f.GetFocusedId(), 0u);

        // The next object lives through a whole click.
        Releaser none;
        IRectVO* next = make(none);
        f.DispatchMouseMove(5, 5);
        f.DispatchMouseDown(5, 5, 1, 1);
        f.DispatchMouseUp(5, 5, 0, 1);
        f.DispatchMouseMove(50, 50);
        EXPECT_EQ(cursor->GetRefCount(), 2);
        f.ReleaseVO(next);
    }
    // Entered from a neighbour that is still held while it is left: the one
    // released goes all the same.
    Releaser none, entered;
    entered.when = "enter";
    entered.factory = &f;
    entered.cursor = cursor;
    IRectVO* left = make(none);
    entered.object = make(entered);
    entered.object->SetPosition(20, 0);
    f.DispatchMouseMove(5, 5);
    f.DispatchMouseMove(25, 5);
    EXPECT_EQ(cursor->GetRefCount(), 2) << "only the neighbour holds it";
    f.ReleaseVO(left);

    // A box given the focus by a press's handler, which the press then takes
    // back for what was pressed: the box releases itself as it hears so.
    struct ReleaseOnFocusLost : IEditBoxMsgObserver {
        void OnFocusGained(uint32_t) override { ++gained; }
        void OnFocusLost(uint32_t) override
        {
            factory->ReleaseVO(box);
            countInside = cursor->GetRefCount();
        }
        Factory_impl* factory = nullptr;
        IEditBoxVO* box = nullptr;
        ICursor* cursor = nullptr;
        int countInside = 0;
        int gained = 0;
    } losing;
    losing.factory = &f;
    losing.cursor = cursor;
    losing.box = f.CreateEditBoxVO();
    losing.box->SetSize(10, 10);
    losing.box->SetCursor(cursor);
    losing.box->AddEditObserver(&losing);
    losing.box->SetVisible(true);
    IRectVO* taking = f.CreateRectVO();
    taking->SetSize(10, 10);
    taking->SetPosition(20, 0);
    taking->SetVisible(true);
    struct FocusTheBox : MouseMessageObserver {
        void OnMouseDown(uint32_t, int32_t) override { box->SetFocus(true); }
        IEditBoxVO* box = nullptr;
    } handler;
    handler.box = losing.box;
    taking->AddMouseObserver(&handler);
    f.DispatchMouseMove(25, 5);
    f.DispatchMouseDown(25, 5, 1, 1);
    EXPECT_EQ(losing.countInside, 2) << "alive while it hears of the focus it lost";
    EXPECT_EQ(losing.gained, 1) << "the focus is taken from it, never given again";
    EXPECT_EQ(cursor->GetRefCount(), 1);
    EXPECT_EQ(f.GetFocusedId(), taking->GetId());
    f.ReleaseVO(taking);
    f.ReleaseCursor(cursor);
    f.ReleaseToolTip(tip);
}

TEST(Input, APressLeavesTheFocusOnWhatWasPressedEvenWhenItsHandlerMovedIt)
{
    ControlScene scene;
    Factory_impl& f = scene.Factory();
    Log log;
    IRectVO* pressed = Shown(f, log, 0, 0, 10, 10);
    IRectVO* elsewhere = Shown(f, log, 50, 0, 10, 10);
    struct Mover : MouseMessageObserver {
        void OnMouseDown(uint32_t, int32_t) override { target->SetFocus(true); }
        IRectVO* target = nullptr;
    } mover;
    mover.target = elsewhere;
    pressed->AddMouseObserver(&mover);
    f.DispatchMouseMove(5, 5);
    f.DispatchMouseDown(5, 5, 1, 1);
    EXPECT_EQ(f.GetFocusedId(), pressed->GetId());
    EXPECT_TRUE(pressed->HasFocus());
    EXPECT_FALSE(elsewhere->HasFocus());
    f.ReleaseVO(pressed);
    f.ReleaseVO(elsewhere);
}

// While the toolkit draws a cursor the system's pointer hides; without one
// it shows. An object's cursor gives way to the default one, also when the
// object goes while hovered.
TEST(Input, TheSystemPointerShowsOnlyWhileTheToolkitDrawsNoCursor)
{
    platform::testing::ResetCursors();
    {
        ControlScene scene;
        Factory_impl& f = scene.Factory();
        ICursor* arrow = f.CreateCursor();
        ICursor* hand = f.CreateCursor();
        IToolTip* tip = f.CreateToolTip();
        Log log;
        IRectVO* target = Shown(f, log, 0, 0, 10, 10);
        IRectVO* other = Shown(f, log, 50, 0, 10, 10);
        target->SetCursor(hand);
        target->SetToolTip(tip);
        const auto over = [&](int x) {
            f.DispatchMouseMove(x, 5);
            return f.GetCurrentCursor();
        };
        EXPECT_EQ(over(5), hand);
        EXPECT_FALSE(platform::testing::CursorShown());
        EXPECT_EQ(over(30), nullptr);
        EXPECT_TRUE(platform::testing::CursorShown());
        f.SetDefaultCursor(arrow);
        EXPECT_FALSE(platform::testing::CursorShown());
        EXPECT_EQ(over(5), hand);
        EXPECT_EQ(over(30), arrow);

        // Another object goes: the hover stays. The hovered one goes: its
        // cursor and tooltip with it.
        EXPECT_EQ(over(5), hand);
        f.ReleaseVO(other);
        EXPECT_EQ(f.GetCurrentCursor(), hand);
        EXPECT_EQ(f.GetCurrentToolTip(), tip);
        f.ReleaseVO(target);
        EXPECT_EQ(f.GetCurrentCursor(), arrow);
        EXPECT_EQ(f.GetCurrentToolTip(), nullptr);
        EXPECT_FALSE(platform::testing::CursorShown());
        f.SetDefaultCursor(nullptr);
        f.SetCurrentCursor(nullptr);
        EXPECT_TRUE(platform::testing::CursorShown());
        for (ICursor* c : {arrow, hand})
            f.ReleaseCursor(c);
        f.ReleaseToolTip(tip);
    }
    platform::testing::ResetCursors();
}
