// The base of every game dialog of the shell: the exit, rules, options and
// profile dialogs, the table's result and information dialogs, the in-game
// menu and the human's action dialogs.
//
// It owns one dialog object (ControlLibrary::IDialogVO) in the middle of the
// screen, at layer 1000, modal, hidden until shown, with the dialog itself
// and then its owner (when one is given) as dialog observers: that is how an
// owner learns that a dialog closed (OnDialogShown(GetId(), false)). Show
// lays the children out (LayoutControls) and shows or hides the dialog
// object, which shows and hides the children with it.
//
// A dialog builds its children in its constructor through the helpers
// below; they become children of the dialog object, the dialog observes
// their mouse messages (OnMouseUp is its button handler), and the base
// releases them, and the fonts it loaded, through the factory when the
// dialog goes. Every button of a dialog plays the dialog's click sound.
//
// The toolkit comes from the kernel (KernelLibrary::GetFactory), which must
// exist for as long as the dialog does.
//
// Threads: built, shown, hidden and destroyed on the main thread; no lock of
// its own (the factory guards its tables).
#pragma once

#include "controls/Point.h"
#include "controls/RGB.h"
#include "controls/Rect.h"
#include "game/table/ClickSound.h"
#include "game/table/BaseDialog.h"

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace ControlLibrary {
class IButtonVO;
class IDialogVO;
class IFactory;
class IFont;
class IStringVO;
class IVisibleObject;
} // namespace ControlLibrary

namespace Gamespace {

struct SheetButton;

class BaseDialogImpl : public virtual BaseDialog {
public:
    static constexpr uint16_t kDialogLayer = 1000;
    static constexpr uint16_t kChildLayer = 300;
    static constexpr uint32_t kInitialSize = 200;

    // `owner` (may be null) hears every show and close after the dialog.
    explicit BaseDialogImpl(ControlLibrary::DialogMessageObserver* owner);
    ~BaseDialogImpl() override;
    BaseDialogImpl(const BaseDialogImpl&) = delete;
    BaseDialogImpl& operator=(const BaseDialogImpl&) = delete;

    // Lays the children out, then shows or hides the dialog object; a show of
    // a shown dialog lays it out again and tells nobody.
    void Show(bool show) override;
    bool IsVisible() const override;
    uint32_t GetId() const override;
    // The simple dialogs' button handler: the close button closes the dialog.
    void OnMouseUp(uint32_t id, int32_t button) override;

    // Places the children relative to the dialog's top-left corner, from its
    // middle (Centre).
    virtual void LayoutControls() = 0;

    ControlLibrary::IDialogVO& DialogObject() const { return *dialog_; }

protected:
    ControlLibrary::IFactory& Factory() const { return *factory_; }
    // The middle of the dialog in its own coordinates: half its screen
    // rectangle's width and height.
    ControlLibrary::Point Centre() const;

    // A font loaded from `descriptor`.
    ControlLibrary::IFont* LoadFont(const std::string& descriptor);
    // Makes `child` a child of the dialog, released with it.
    void AddChild(ControlLibrary::IVisibleObject* child);
    // The text a line shows ("" for none), and a change of it (none: nothing).
    static std::string TextOf(const ControlLibrary::IStringVO* text);
    static void SetTextOf(ControlLibrary::IStringVO* text, const std::string& value);
    // `fixed` + `cut`, with `cut` shortened and ended by "..." as far as it
    // must be for the whole to be at most `width` pixels wide in `font`.
    static std::string FitText(ControlLibrary::IFont* font, const std::string& fixed, const std::string& cut,
                               int32_t width);
    // A button in the shell's common look ("images/btn_def.png", white
    // caption in `font`), centred on its position, at layer 300, of the
    // given size, a child of the dialog, with the dialog as its mouse
    // observer.
    ControlLibrary::IButtonVO* AddButton(ControlLibrary::IFont* font, ControlLibrary::Point captionOffset, uint32_t w,
                                         uint32_t h);
    // Gives a button its own look: one image for all four states, the part of
    // it each state shows, and the size.
    static void SetButtonLook(ControlLibrary::IButtonVO& button, const std::string& image,
                              const std::array<ControlLibrary::Rect, 4>& sources, uint32_t w, uint32_t h);
    // The same with one button of a shared sheet (ButtonSheets.h).
    static void SetButtonLook(ControlLibrary::IButtonVO& button, const SheetButton& look);
    // A common button (AddButton, 108 x 27) given its own look at once
    // (SetButtonLook).
    ControlLibrary::IButtonVO* AddButton(ControlLibrary::IFont* font, ControlLibrary::Point captionOffset,
                                         const std::string& image, const std::array<ControlLibrary::Rect, 4>& sources,
                                         uint32_t w, uint32_t h);
    ControlLibrary::IButtonVO* AddButton(ControlLibrary::IFont* font, ControlLibrary::Point captionOffset,
                                         const SheetButton& look);
    // The four state parts of a button, w x h each, from one column of its
    // image: at x, one below the other at the four tops.
    static std::array<ControlLibrary::Rect, 4> Frames(int32_t x, const std::array<int32_t, 4>& tops, int16_t w,
                                                      int16_t h);
    // A line of text in `font` and `colour`, centred on its position, at
    // `layer`, a child of the dialog.
    ControlLibrary::IStringVO* AddString(ControlLibrary::IFont* font, ControlLibrary::RGB colour, uint16_t layer);
    // A common button in `font` switched to the dialogs' own look: only the
    // caption is drawn, over the part of "images/dialog/btn_ok.png" it
    // takes (76 x 20).
    ControlLibrary::IButtonVO* AddCaptionButton(ControlLibrary::IFont* font, const std::string& caption);
    // The close button of the result dialogs: a caption button reading
    // "Close" in "fonts/a_BosaNova14.txt".
    ControlLibrary::IButtonVO* AddCloseButton();
    // The small "Ok" of the message dialogs: a common 108 x 27 button with
    // its caption in `font`, silent (the dialog plays the click), the
    // dialog's close button.
    ControlLibrary::IButtonVO* AddOkCloseButton(ControlLibrary::IFont* font);
    // Makes a button of the dialog's own its close button: a click plays
    // the click and closes the dialog (OnMouseUp of this base).
    void UseAsCloseButton(ControlLibrary::IButtonVO* button) { closeButton_ = button; }
    // Puts the close button at (dx, dy) from the dialog's middle.
    void PlaceCloseButton(int32_t dx, int32_t dy);
    // 0 when the dialog has no close button.
    uint32_t CloseButtonId() const;
    void PlayClick() { click_.Play(); }

private:
    ControlLibrary::IFactory* factory_;
    ControlLibrary::IDialogVO* dialog_ = nullptr;
    std::vector<ControlLibrary::IVisibleObject*> children_;
    std::vector<ControlLibrary::IFont*> fonts_;
    ControlLibrary::IButtonVO* closeButton_ = nullptr;
    ClickSound click_;
};

} // namespace Gamespace
