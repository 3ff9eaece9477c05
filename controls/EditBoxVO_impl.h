// The single-line text field: text typed while it has the focus, shown
// centred in a three-piece frame with a blinking caret; characters are
// filtered by the first edit observer; backspace and Ctrl+V paste work. A
// proposed text (an amount the box offers) is typed over, not typed after.
//
// Threads: typing arrives on the main thread; the caret blinks from a time
// object on the time thread (it only flips a flag and marks the box dirty).
// The text is guarded by the factory lock; observers are called outside it.
// The caret timer is started and stopped only where no factory lock is held.
#pragma once

#include "controls/IEditBoxVO.h"
#include "controls/VisibleObject_impl.h"
#include "timing/TimeObjectMessageObserver.h"

#include <array>
#include <atomic>
#include <string>
#include <vector>

namespace TimeLibrary {
class ITimeObject;
}

namespace ControlLibrary {

class IEditBoxMsgObserver;
class IFont;

class EditBoxVO_impl final : public VisibleObject_impl, public TimeLibrary::TimeObjectMessageObserver {
public:
    static constexpr int kCaretIntervalMs = 500;
    static constexpr size_t kPasteLimit = 20;

    EditBoxVO_impl(Factory_impl& factory, uint32_t id);
    ~EditBoxVO_impl() override;

    void Draw() override;
    void DrawClipped(const std::vector<Rect>& rects) override;
    void SetVisible(bool visible) override;
    void SetFocus(bool focus) override;
    void OnChar(char character) override;
    void OnKeyDown(uint32_t key) override;
    void OnKeyUp(uint32_t key) override;
    void OnTimerTick(uint32_t id) override;

    void AddEditObserver(IEditBoxMsgObserver* observer);
    void SetFont(IFont* font);
    void SetText(const std::string& text);
    void GetText(std::string& out) const;
    void ProposeText(const std::string& text);
    bool IsTextProposed() const;
    void SetTextOffset(int16_t x, int16_t y);
    void SetTextColour(const RGB& colour);
    void SetMaxLength(uint16_t length) { maxLength_ = length; }
    void SetAltLook(bool alternative);
    void SetCaretColour(const RGB& colour) { caretColour_ = colour; }
    void SetFrameImages(const std::array<FrameImageEntry, 3>& normal, const std::array<FrameImageEntry, 3>& alternative);
    void SetFrameRects(const std::array<Rect, 3>& sources) { frameSources_ = sources; }
    void SetFaceHidden(bool hidden) { faceHidden_ = hidden; }
    bool IsCaretShown() const { return caretShown_.load(); }
    // How the text is drawn (tests read them as the player would see them).
    RGB GetTextColour() const { return textColour_; }
    IFont* GetFont() const { return font_; }
    bool IsFaceHidden() const { return faceHidden_; }

private:
    // Whether the first edit observer lets the character in (all pass
    // without observers).
    bool Accepts(char character) const;
    // Appends the pasted clipboard characters the filter lets in; false when
    // the clipboard had no text.
    bool Paste();
    void NotifyTextChanged();
    // Puts what the player typed or pasted after the text, or in place of a
    // proposal. The caller holds the factory's lock.
    void AppendTyped(const std::string& typed);

    std::string text_;
    // The text is a proposal that the next character or paste replaces.
    bool proposed_ = false;
    IFont* font_ = nullptr;
    RGB textColour_{0, 0, 0};
    RGB caretColour_{0, 0, 0};
    int32_t textOffsetX_ = 0;
    int32_t textOffsetY_ = 0;
    uint16_t maxLength_ = 65535;
    bool altLook_ = false;
    std::array<int32_t, 3> frame_{-1, -1, -1};
    std::array<int32_t, 3> altFrame_{-1, -1, -1};
    std::vector<IEditBoxMsgObserver*> editObservers_;
    std::array<Rect, 3> frameSources_{};
    TimeLibrary::ITimeObject* caretTimer_ = nullptr;
    std::atomic<bool> caretShown_{false};
    bool faceHidden_ = false;
    bool controlHeld_ = false;
};

} // namespace ControlLibrary
