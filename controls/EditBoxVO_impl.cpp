#include "controls/EditBoxVO_impl.h"

#include "controls/Factory_impl.h"
#include "controls/IEditBoxMsgObserver.h"
#include "controls/IFont.h"
#include "platform/window/Clipboard.h"
#include "timing/ITimeSystem.h"

#include <algorithm>

namespace ControlLibrary {

namespace {
constexpr uint32_t kBackspace = 8;
constexpr uint32_t kControl = 17;
} // namespace

EditBoxVO_impl::EditBoxVO_impl(Factory_impl& factory, uint32_t id) : VisibleObject_impl(factory, id)
{
    size_ = Size{20, 20};
    colour_ = RGB{255, 255, 255};
    if (TimeLibrary::ITimeSystem* time = factory_.GetTimeSystem()) {
        caretTimer_ = time->CreateTimeObject(this, -1, kCaretIntervalMs);
        if (caretTimer_)
            caretTimer_->SetEndless(true);
    }
}

EditBoxVO_impl::~EditBoxVO_impl()
{
    if (caretTimer_)
        if (TimeLibrary::ITimeSystem* time = factory_.GetTimeSystem())
            time->DestroyTimeObject(caretTimer_);
    for (int32_t& image : frame_)
        factory_.ReleaseImage(image);
    for (int32_t& image : altFrame_)
        factory_.ReleaseImage(image);
    // The font reference is given back like every other kind's.
    factory_.ReleaseFont(font_);
}

void EditBoxVO_impl::AddEditObserver(IEditBoxMsgObserver* observer)
{
    if (std::find(editObservers_.begin(), editObservers_.end(), observer) == editObservers_.end())
        editObservers_.push_back(observer);
}

void EditBoxVO_impl::SetFont(IFont* font)
{
    if (font)
        font->AddRef();
    IFont* previous = font_;
    font_ = font;
    factory_.ReleaseFont(previous);
    if (font)
        SetDirty();
}

void EditBoxVO_impl::SetText(const std::string& text)
{
    platform::CriticalSectionLock lock(factory_.Lock());
    text_ = text;
    proposed_ = false;
    SetDirty();
}

void EditBoxVO_impl::ProposeText(const std::string& text)
{
    platform::CriticalSectionLock lock(factory_.Lock());
    text_ = text;
    proposed_ = true;
    SetDirty();
}

bool EditBoxVO_impl::IsTextProposed() const
{
    platform::CriticalSectionLock lock(factory_.Lock());
    return proposed_;
}

void EditBoxVO_impl::GetText(std::string& out) const
{
    platform::CriticalSectionLock lock(factory_.Lock());
    out = text_;
}

void EditBoxVO_impl::SetTextOffset(int16_t x, int16_t y)
{
    textOffsetX_ = x;
    textOffsetY_ = y;
}

void EditBoxVO_impl::SetTextColour(const RGB& colour)
{
    if (colour == textColour_)
        return;
    textColour_ = colour;
    SetDirty();
}

void EditBoxVO_impl::SetAltLook(bool alternative)
{
    if (alternative == altLook_)
        return;
    altLook_ = alternative;
    SetDirty();
}

void EditBoxVO_impl::SetFrameImages(const std::array<FrameImageEntry, 3>& normal,
                                    const std::array<FrameImageEntry, 3>& alternative)
{
    for (size_t i = 0; i < 3; ++i) {
        int32_t handle = -1;
        factory_.AcquireImage(normal[i].name, handle);
        factory_.ReleaseImage(frame_[i]);
        frame_[i] = handle;
        handle = -1;
        factory_.AcquireImage(alternative[i].name, handle);
        factory_.ReleaseImage(altFrame_[i]);
        altFrame_[i] = handle;
    }
}

void EditBoxVO_impl::NotifyTextChanged()
{
    const auto observers = editObservers_;
    for (IEditBoxMsgObserver* o : observers)
        o->OnTextChanged(id_);
}

void EditBoxVO_impl::AppendTyped(const std::string& typed)
{
    if (proposed_)
        text_.clear();
    proposed_ = false;
    text_ += typed;
}

bool EditBoxVO_impl::Accepts(char character) const
{
    return editObservers_.empty() || editObservers_.front()->AcceptChar(character);
}

void EditBoxVO_impl::OnChar(char character)
{
    const int16_t limit = static_cast<int16_t>(maxLength_);
    size_t length;
    {
        platform::CriticalSectionLock lock(factory_.Lock());
        // A proposal goes when the character comes in: it takes no room.
        length = proposed_ ? 0 : text_.size();
    }
    bool accepted = !(limit >= 0 && length >= static_cast<size_t>(limit));
    if (accepted && !Accepts(character))
        accepted = false;
    if (accepted) {
        {
            platform::CriticalSectionLock lock(factory_.Lock());
            AppendTyped(std::string(1, character));
        }
        NotifyTextChanged();
    }
    SetDirty();
    VisibleObject_impl::OnChar(character);
}

bool EditBoxVO_impl::Paste()
{
    if (!platform::IsClipboardFormatAvailable(platform::CF_TEXT))
        return false;
    if (!platform::OpenClipboard(nullptr))
        return false;
    std::string pasted;
    bool got = false;
    if (platform::HANDLE data = platform::GetClipboardData(platform::CF_TEXT)) {
        const auto block = static_cast<platform::HGLOBAL>(data);
        if (const char* chars = static_cast<const char*>(platform::GlobalLock(block))) {
            // Never read past the block, whether or not it ends in a NUL.
            const size_t size = platform::GlobalSize(block);
            for (size_t i = 0; i < size && i < kPasteLimit && chars[i] != '\0'; ++i)
                pasted += chars[i];
            platform::GlobalUnlock(block);
            got = true;
        }
    }
    platform::CloseClipboard();
    if (!got)
        return false;
    // A pasted character is a typed one: the filter that keeps a digits-only
    // box free of "../x" sees each of them.
    std::erase_if(pasted, [this](char c) { return !Accepts(c); });
    {
        platform::CriticalSectionLock lock(factory_.Lock());
        // A paste takes the place of a proposal as a typed character does;
        // one that brought nothing in leaves it.
        if (!pasted.empty())
            AppendTyped(pasted);
        const int16_t limit = static_cast<int16_t>(maxLength_);
        if (limit >= 1 && text_.size() > static_cast<size_t>(limit))
            text_.resize(static_cast<size_t>(limit));
    }
    NotifyTextChanged();
    return true;
}

void EditBoxVO_impl::OnKeyDown(uint32_t key)
{
    if (key == kBackspace) {
        bool removed = false;
        {
            platform::CriticalSectionLock lock(factory_.Lock());
            // Backspace edits a proposal as any text, and makes it the player's.
            proposed_ = false;
            if (!text_.empty()) {
                text_.pop_back();
                removed = true;
            }
        }
        if (removed)
            NotifyTextChanged();
        SetDirty();
    } else if (key == kControl) {
        controlHeld_ = true;
    } else if ((key == 'V' || key == 'v') && controlHeld_) {
        if (!Paste())
            return;
        SetDirty();
    }
    VisibleObject_impl::OnKeyDown(key);
}

void EditBoxVO_impl::OnKeyUp(uint32_t key)
{
    if (key == kControl)
        controlHeld_ = false;
    VisibleObject_impl::OnKeyUp(key);
}

void EditBoxVO_impl::SetVisible(bool visible)
{
    if (visible)
        controlHeld_ = false;
    VisibleObject_impl::SetVisible(visible);
}

void EditBoxVO_impl::SetFocus(bool focus)
{
    VisibleObject_impl::SetFocus(focus);
    const auto observers = editObservers_;
    if (!focus) {
        // The Ctrl release may go to the box that takes the focus; a Ctrl
        // still latched here would paste on a plain V later.
        controlHeld_ = false;
        if (caretTimer_)
            caretTimer_->Stop();
        caretShown_.store(false);
        SetDirty();
        for (IEditBoxMsgObserver* o : observers)
            o->OnFocusLost(id_);
    } else {
        if (caretTimer_)
            caretTimer_->Start(false, 0);
        for (IEditBoxMsgObserver* o : observers)
            o->OnFocusGained(id_);
    }
}

void EditBoxVO_impl::OnTimerTick(uint32_t)
{
    caretShown_.store(!caretShown_.load());
    SetDirty();
}

void EditBoxVO_impl::Draw()
{
    if (!visible_)
        return;
    const int32_t w = static_cast<int32_t>(size_.w);
    const int32_t h = static_cast<int32_t>(size_.h);
    if (!faceHidden_) {
        const int32_t p = frameSources_[0].w;
        const std::array<Rect, 3> pieces = {MakeRect(screen_.x, screen_.y, static_cast<uint32_t>(p), size_.h),
                                            MakeRect(screen_.x + p, screen_.y, static_cast<uint32_t>(w - 2 * p), size_.h),
                                            MakeRect(screen_.x + w - p, screen_.y, static_cast<uint32_t>(p), size_.h)};
        for (size_t i = 0; i < 3; ++i) {
            if (altLook_ && altFrame_[i] != -1)
                factory_.DrawImage(altFrame_[i], frameSources_[i], pieces[i]);
            else if (frame_[i] == -1)
                factory_.FillRect(pieces[i], colour_);
            else
                factory_.DrawImage(frame_[i], frameSources_[i], pieces[i]);
        }
    }
    if (!font_)
        return;
    const Point centre = GetScreenCentre();
    factory_.DrawString(font_, text_, Point{centre.x + textOffsetX_, centre.y + textOffsetY_}, textColour_, 1, 1);
    if (caretShown_.load()) {
        const int32_t x = centre.x + font_->GetStringWidth(text_) / 2 + 1;
        const int32_t half = h / 2 - 8;
        factory_.DrawLine(Point{x, centre.y - half}, Point{x, centre.y + half}, caretColour_);
    }
}

void EditBoxVO_impl::DrawClipped(const std::vector<Rect>&)
{
    Draw();
}

} // namespace ControlLibrary
