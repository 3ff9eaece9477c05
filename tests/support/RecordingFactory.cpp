#include "tests/support/RecordingFactory.h"

#include "controls/DialogMessageObserver.h"
#include "controls/IEditBoxMsgObserver.h"
#include "controls/KeybdMessageObserver.h"
#include "controls/KeybdSysMessageObserver.h"
#include "controls/MouseMessageObserver.h"

#include <algorithm>
#include <sstream>

namespace testing_support {

using namespace ControlLibrary;

namespace {

void Put(std::ostringstream& out, const std::string& v) { out << v; }
void Put(std::ostringstream& out, bool v) { out << (v ? 1 : 0); }
void Put(std::ostringstream& out, double v) { out << v; }
void Put(std::ostringstream& out, const Point& p) { out << p.x << ' ' << p.y; }
void Put(std::ostringstream& out, const Size& s) { out << s.w << ' ' << s.h; }
void Put(std::ostringstream& out, const RGB& c) { out << int(c.r) << ' ' << int(c.g) << ' ' << int(c.b); }
void Put(std::ostringstream& out, const Rect& r) { out << r.x << ' ' << r.y << ' ' << r.w << ' ' << r.h; }
void Put(std::ostringstream& out, const void* p) { out << (p ? "object" : "null"); }
template <class T> void Put(std::ostringstream& out, T v) requires std::is_integral_v<T> { out << static_cast<long long>(v); }

// "Name(a,b,...)".
template <class... Args> std::string Call(const char* name, const Args&... args)
{
    std::ostringstream out;
    out << name << '(';
    bool first = true;
    ((out << (first ? "" : ","), first = false, Put(out, args)), ...);
    out << ')';
    return out.str();
}

int32_t Aligned(int32_t at, uint32_t extent, uint32_t alignment)
{
    if (alignment == 1)
        return at - static_cast<int32_t>(extent / 2);
    if (alignment == 2)
        return at - static_cast<int32_t>(extent);
    return at;
}

// The behaviour shared by every recorded kind.
template <class Interface> class RecordingVO : public Interface {
public:
    RecordingVO(RecordingFactory& factory, RecordedObject& record) : factory_(factory), r_(record) {}

    uint32_t GetId() const override { return r_.id; }
    void AddRef() override
    {
        Log(Call("AddRef"));
        ++r_.refCount;
    }
    int16_t Release() override
    {
        Log(Call("Release"));
        if (r_.refCount >= 1)
            --r_.refCount;
        return r_.refCount;
    }
    void SetPosition(int32_t x, int32_t y) override { SetPosition(Point{x, y}); }
    void SetPosition(Point position) override
    {
        Log(Call("SetPosition", position));
        r_.position = position;
    }
    Point GetPosition() const override { return r_.position; }
    Point GetScreenPosition() const override
    {
        Point at{Aligned(r_.position.x, r_.size.w, r_.hAlign), Aligned(r_.position.y, r_.size.h, r_.vAlign)};
        if (r_.parent != nullptr) {
            const Rect parent = r_.parent->GetScreenRect();
            at.x += parent.x;
            at.y += parent.y;
        }
        return at;
    }
    void SetSize(uint32_t w, uint32_t h) override { SetSize(Size{w, h}); }
    void SetSize(const Size& size) override
    {
        Log(Call("SetSize", size));
        r_.size = size;
    }
    Size GetSize() const override { return r_.size; }
    void SetColour(const RGB& colour) override
    {
        Log(Call("SetColour", colour));
        r_.colour = colour;
    }
    RGB GetColour() const override { return r_.colour; }
    void SetAlignment(uint32_t h, uint32_t v) override
    {
        Log(Call("SetAlignment", h, v));
        r_.hAlign = h;
        r_.vAlign = v;
    }
    uint32_t GetHAlign() const override { return r_.hAlign; }
    uint32_t GetVAlign() const override { return r_.vAlign; }
    Rect GetRect() const override
    {
        return Rect{r_.position.x, r_.position.y, static_cast<int16_t>(r_.size.w), static_cast<int16_t>(r_.size.h)};
    }
    Rect GetScreenRect() const override
    {
        const Point at = GetScreenPosition();
        return Rect{at.x, at.y, static_cast<int16_t>(r_.size.w), static_cast<int16_t>(r_.size.h)};
    }
    void SetVisible(bool visible) override
    {
        Log(Call("SetVisible", visible));
        r_.visible = visible;
    }
    bool IsVisible() const override { return r_.visible; }
    void SetShowWithDialog(bool show) override
    {
        Log(Call("SetShowWithDialog", show));
        r_.showWithDialog = show;
    }
    bool GetShowWithDialog() const override { return r_.showWithDialog; }
    void SetEnabled(bool enabled) override
    {
        Log(Call("SetEnabled", enabled));
        r_.enabled = enabled;
    }
    bool IsEnabled() const override { return r_.enabled; }
    void SetLayer(uint16_t layer) override
    {
        Log(Call("SetLayer", layer));
        r_.layer = layer;
    }
    uint32_t GetAbsoluteLayer() const override
    {
        return r_.layer + (r_.parent != nullptr ? r_.parent->GetAbsoluteLayer() : 0);
    }
    void SetCursor(ICursor* cursor) override { Log(Call("SetCursor", static_cast<const void*>(cursor))); }
    void SetToolTip(IToolTip* toolTip) override
    {
        Log(Call("SetToolTip", static_cast<const void*>(toolTip)));
        toolTip_ = toolTip;
    }
    IToolTip* GetToolTip() const override { return toolTip_; }
    void SetFocusable(bool focusable) override
    {
        Log(Call("SetFocusable", focusable));
        r_.focusable = focusable;
        if (!focusable)
            r_.focused = false;
    }
    bool CanTakeFocus() const override { return r_.focusable && r_.visible && r_.enabled; }
    void SetFocus(bool focus) override
    {
        Log(Call("SetFocus", focus));
        if (CanTakeFocus())
            r_.focused = focus;
    }
    bool HasFocus() const override { return r_.focused; }
    void SetTag(uint16_t tag) override
    {
        Log(Call("SetTag", tag));
        r_.tag = tag;
    }
    void AddMouseObserver(MouseMessageObserver* observer) override
    {
        Log(Call("AddMouseObserver"));
        r_.mouseObservers.push_back(observer);
    }
    void AddKeybdObserver(KeybdMessageObserver* observer) override
    {
        Log(Call("AddKeybdObserver"));
        r_.keybdObservers.push_back(observer);
    }
    void SetModalExempt(bool exempt) override
    {
        Log(Call("SetModalExempt", exempt));
        r_.modalExempt = exempt;
    }
    bool GetModalExempt() const override { return r_.modalExempt; }
    void SetParent(IVisibleObject* parent) override
    {
        Log(Call("SetParent", static_cast<const void*>(parent)));
        r_.parent = parent;
    }
    void SetUserData(uint32_t data) override
    {
        Log(Call("SetUserData", data));
        r_.userData = data;
    }
    uint32_t GetUserData() const override { return r_.userData; }
    void SetAlwaysRepaint(bool always) override
    {
        Log(Call("SetAlwaysRepaint", always));
        r_.alwaysRepaint = always;
    }

protected:
    void Log(const std::string& call)
    {
        if (r_.released)
            factory_.NoteFault("#" + std::to_string(r_.id) + " used after release: " + call);
        r_.calls.push_back(call);
    }
    void HoldFont(IFont* font)
    {
        if (font != nullptr)
            font->AddRef();
        if (r_.font != nullptr)
            r_.font->DropRef();
        r_.font = font;
    }

    RecordingFactory& factory_;
    RecordedObject& r_;
    IToolTip* toolTip_ = nullptr;
};

class ImageVO final : public RecordingVO<IImageVO> {
public:
    using RecordingVO::RecordingVO;
    bool SetImage(const std::string& name, bool autosize) override
    {
        Log(Call("SetImage", name, autosize));
        if (name.empty() || !factory_.ImageLoads(name))
            return false;
        r_.image = name;
        if (autosize)
            r_.size = factory_.ImageSize(name);
        return true;
    }
    void SetSourceRect(const Rect& source) override
    {
        Log(Call("SetSourceRect", source));
        source_ = source;
    }
    void SetRotation(double angle, const Point& centre) override { Log(Call("SetRotation", angle, centre)); }
    void SetDrawOffset(const Point& offset) override { Log(Call("SetDrawOffset", offset)); }
    void GetImageName(std::string& out) const override { out = r_.image; }
    Rect GetSourceRect() const override { return source_; }

private:
    Rect source_;
};

class StringVO final : public RecordingVO<IStringVO> {
public:
    using RecordingVO::RecordingVO;
    void SetFont(IFont* font) override
    {
        Log(Call("SetFont", static_cast<const void*>(font)));
        HoldFont(font);
    }
    void SetText(const std::string& text) override
    {
        Log(Call("SetText", text));
        r_.text = text;
    }
    void GetText(std::string& out) const override { out = r_.text; }
    void SetShadow(bool shadow) override { Log(Call("SetShadow", shadow)); }
    void SetShadowOffset(uint16_t dx, uint16_t dy) override { Log(Call("SetShadowOffset", dx, dy)); }
    void SetShadowColour(const RGB& colour) override { Log(Call("SetShadowColour", colour)); }
};

class LinkVO final : public RecordingVO<ILinkVO> {
public:
    using RecordingVO::RecordingVO;
    void SetFont(IFont* font) override
    {
        Log(Call("SetFont", static_cast<const void*>(font)));
        HoldFont(font);
    }
    void SetText(const std::string& text) override
    {
        Log(Call("SetText", text));
        r_.text = text;
    }
    void GetText(std::string& out) const override { out = r_.text; }
    void SetUrl(const std::string& url) override
    {
        Log(Call("SetUrl", url));
        r_.url = url;
    }
    void SetHoverColour(const RGB& colour) override { Log(Call("SetHoverColour", colour)); }
};

class RectVO final : public RecordingVO<IRectVO> {
public:
    using RecordingVO::RecordingVO;
    void SetStyle(uint32_t style) override
    {
        Log(Call("SetStyle", style));
        r_.style = style;
    }
};

class ButtonVO final : public RecordingVO<IButtonVO> {
public:
    using RecordingVO::RecordingVO;
    void SetSounds(const ButtonSounds&) override { Log(Call("SetSounds")); }
    void SetBackColours(const std::array<RGB, 5>&) override { Log(Call("SetBackColours")); }
    void SetFonts(const std::array<IFont*, 4>& fonts) override
    {
        Log(Call("SetFonts"));
        HoldFont(fonts[0]);
    }
    void SetImages(const std::array<std::string, 4>& names) override
    {
        Log(Call("SetImages", names[0], names[1], names[2], names[3]));
        r_.image = names[0];
    }
    void SetSourceRects(const std::array<Rect, 4>& parts) override
    {
        Log(Call("SetSourceRects", parts[0], parts[1], parts[2], parts[3]));
    }
    void SetTextColours(const std::array<RGB, 5>&) override { Log(Call("SetTextColours")); }
    void SetCaption(const std::string& caption) override
    {
        Log(Call("SetCaption", caption));
        r_.text = caption;
    }
    void SetCaptionOffset(const Point& offset) override { Log(Call("SetCaptionOffset", offset)); }
    void SetFaceHidden(bool hidden) override { Log(Call("SetFaceHidden", hidden)); }
    std::string GetCaption() const override { return r_.text; }
    void PerformClick() override
    {
        Log(Call("PerformClick"));
        factory_.Click(this);
    }
};

class CheckBoxVO final : public RecordingVO<ICheckBoxVO> {
public:
    using RecordingVO::RecordingVO;
    void SetSounds(const ButtonSounds&) override { Log(Call("SetSounds")); }
    void SetBackColours(const std::array<RGB, 5>&) override { Log(Call("SetBackColours")); }
    void SetFonts(const std::array<IFont*, 4>& fonts) override
    {
        Log(Call("SetFonts"));
        HoldFont(fonts[0]);
    }
    void SetImages(const std::array<std::string, 4>& names) override
    {
        Log(Call("SetImages", names[0], names[1], names[2], names[3]));
        r_.image = names[0];
    }
    void SetSourceRects(const std::array<Rect, 4>&) override { Log(Call("SetSourceRects")); }
    void SetTextColours(const std::array<RGB, 5>&) override { Log(Call("SetTextColours")); }
    void SetBoxSize(uint32_t w, uint32_t h) override { Log(Call("SetBoxSize", w, h)); }
    void SetCaption(const std::string& caption) override
    {
        Log(Call("SetCaption", caption));
        r_.text = caption;
    }
    void SetCaptionOffset(const Point& offset) override { Log(Call("SetCaptionOffset", offset)); }
    void SetFaceHidden(bool hidden) override { Log(Call("SetFaceHidden", hidden)); }
    void PerformClick() override
    {
        Log(Call("PerformClick"));
        r_.checked = !r_.checked;
        factory_.Click(this);
    }
    void SetChecked(bool checked) override
    {
        Log(Call("SetChecked", checked));
        r_.checked = checked;
    }
    bool IsChecked() const override { return r_.checked; }
};

class EditBoxVO final : public RecordingVO<IEditBoxVO> {
public:
    using RecordingVO::RecordingVO;
    void AddEditObserver(IEditBoxMsgObserver* observer) override
    {
        Log(Call("AddEditObserver"));
        if (std::find(r_.editObservers.begin(), r_.editObservers.end(), observer) == r_.editObservers.end())
            r_.editObservers.push_back(observer);
    }
    void SetFont(IFont* font) override
    {
        Log(Call("SetFont", static_cast<const void*>(font)));
        HoldFont(font);
    }
    void SetText(const std::string& text) override
    {
        Log(Call("SetText", text));
        r_.text = text;
        r_.textProposed = false;
    }
    void GetText(std::string& out) const override { out = r_.text; }
    void ProposeText(const std::string& text) override
    {
        Log(Call("ProposeText", text));
        r_.text = text;
        r_.textProposed = true;
    }
    bool IsTextProposed() const override { return r_.textProposed; }
    void SetTextOffset(int16_t x, int16_t y) override { Log(Call("SetTextOffset", x, y)); }
    void SetTextColour(const RGB& colour) override { Log(Call("SetTextColour", colour)); }
    void SetMaxLength(uint16_t length) override { Log(Call("SetMaxLength", length)); }
    void SetAltLook(bool alternative) override { Log(Call("SetAltLook", alternative)); }
    void SetCaretColour(const RGB& colour) override { Log(Call("SetCaretColour", colour)); }
    void SetFrameImages(const std::array<FrameImageEntry, 3>& normal, const std::array<FrameImageEntry, 3>&) override
    {
        Log(Call("SetFrameImages", normal[0].name, normal[1].name, normal[2].name));
    }
    void SetFrameRects(const std::array<Rect, 3>&) override { Log(Call("SetFrameRects")); }
    void SetFaceHidden(bool hidden) override { Log(Call("SetFaceHidden", hidden)); }
};

class TextBoxVO final : public RecordingVO<ITextBoxVO> {
public:
    using RecordingVO::RecordingVO;
    void AddText(const std::string& text, IFont* font, uint32_t alignment, const RGB& colour) override
    {
        Log(Call("AddText", text, static_cast<const void*>(font), alignment, colour));
        if (font != nullptr)
            r_.paragraphs.push_back(text);
    }
    void SetFirstLine(uint16_t page) override { Log(Call("SetFirstLine", page)); }
    void Clear() override
    {
        Log(Call("Clear"));
        r_.paragraphs.clear();
    }
    bool ScrollDown() override
    {
        Log(Call("ScrollDown"));
        return false;
    }
    bool ScrollUp() override
    {
        Log(Call("ScrollUp"));
        return false;
    }
    bool CanScrollDown() override { return false; }
    bool CanScrollUp() override { return false; }
};

class DialogVO final : public RecordingVO<IDialogVO> {
public:
    using RecordingVO::RecordingVO;
    void AddDialogObserver(DialogMessageObserver* observer) override
    {
        Log(Call("AddDialogObserver"));
        r_.dialogObservers.push_back(observer);
    }
    void SetModeless(uint32_t modeless) override
    {
        Log(Call("SetModeless", modeless));
        r_.modeless = modeless;
    }
    bool SetBackgroundImage(const std::string& name) override
    {
        Log(Call("SetBackgroundImage", name));
        if (name.empty() || !factory_.ImageLoads(name))
            return false;
        r_.image = name;
        return true;
    }
    void SetBackgroundRect(const Rect& source) override { Log(Call("SetBackgroundRect", source)); }
    void SetFaceHidden(bool hidden) override { Log(Call("SetFaceHidden", hidden)); }
    void AddChild(IVisibleObject* child) override
    {
        Log(Call("AddChild", static_cast<const void*>(child)));
        if (child == nullptr)
            return;
        child->AddRef();
        child->SetParent(this);
        r_.children.push_back(child);
    }
    // As the toolkit's dialog: children come and go with it and the observers
    // hear of every change.
    void SetVisible(bool visible) override
    {
        Log(Call("SetVisible", visible));
        if (visible == r_.visible)
            return;
        r_.visible = visible;
        for (IVisibleObject* child : r_.children) {
            if (!visible || child->GetShowWithDialog())
                child->SetVisible(visible);
        }
        const std::vector<DialogMessageObserver*> observers = r_.dialogObservers;
        for (DialogMessageObserver* observer : observers)
            observer->OnDialogShown(r_.id, visible);
    }
};

} // namespace

struct RecordingFactory::Entry {
    RecordedObject record;
    std::unique_ptr<IVisibleObject> object;
};

RecordingFactory::RecordingFactory() = default;
RecordingFactory::~RecordingFactory() = default;

template <class Object> Object* RecordingFactory::Make(const char* kind)
{
    if (failCreations_ > 0) {
        --failCreations_;
        return nullptr;
    }
    auto entry = std::make_unique<Entry>();
    entry->record.id = nextId_++;
    entry->record.kind = kind;
    auto object = std::make_unique<Object>(*this, entry->record);
    Object* raw = object.get();
    if (std::string(kind) == "Image" || std::string(kind) == "Rect")
        entry->record.size = Size{20, 20};
    entry->object = std::move(object);
    objects_.push_back(std::move(entry));
    return raw;
}

void RecordingFactory::ReleaseObject(IVisibleObject* object)
{
    if (object == nullptr)
        return;
    RecordedObject* record = Find(object);
    if (record == nullptr) {
        NoteFault("release of an object this factory did not make");
        return;
    }
    if (record->released) {
        NoteFault("#" + std::to_string(record->id) + " released twice");
        return;
    }
    record->calls.push_back("ReleaseVO()");
    if (record->refCount >= 1)
        --record->refCount;
    if (record->refCount == 0) {
        record->released = true;
        record->visible = false;
    }
}

IRectVO* RecordingFactory::CreateRectVO() { return Make<RectVO>("Rect"); }
IImageVO* RecordingFactory::CreateImageVO() { return Make<ImageVO>("Image"); }
IStringVO* RecordingFactory::CreateStringVO() { return Make<StringVO>("String"); }
ILinkVO* RecordingFactory::CreateLinkVO() { return Make<LinkVO>("Link"); }
IButtonVO* RecordingFactory::CreateButtonVO() { return Make<ButtonVO>("Button"); }
ICheckBoxVO* RecordingFactory::CreateCheckBoxVO() { return Make<CheckBoxVO>("CheckBox"); }
IEditBoxVO* RecordingFactory::CreateEditBoxVO() { return Make<EditBoxVO>("EditBox"); }
ITextBoxVO* RecordingFactory::CreateTextBoxVO() { return Make<TextBoxVO>("TextBox"); }
IDialogVO* RecordingFactory::CreateDialogVO() { return Make<DialogVO>("Dialog"); }

void RecordingFactory::ReleaseVO(IDialogVO* object) { ReleaseObject(object); }
void RecordingFactory::ReleaseVO(ITextBoxVO* object) { ReleaseObject(object); }
void RecordingFactory::ReleaseVO(IEditBoxVO* object) { ReleaseObject(object); }
void RecordingFactory::ReleaseVO(ICheckBoxVO* object) { ReleaseObject(object); }
void RecordingFactory::ReleaseVO(IButtonVO* object) { ReleaseObject(object); }
void RecordingFactory::ReleaseVO(ILinkVO* object) { ReleaseObject(object); }
void RecordingFactory::ReleaseVO(IStringVO* object) { ReleaseObject(object); }
void RecordingFactory::ReleaseVO(IImageVO* object) { ReleaseObject(object); }
void RecordingFactory::ReleaseVO(IRectVO* object) { ReleaseObject(object); }

template <class Handle>
void RecordingFactory::ReleaseHandle(Handle* handle, std::vector<std::unique_ptr<Handle>>& owned, const char* what)
{
    if (handle == nullptr)
        return;
    const bool ours = std::any_of(owned.begin(), owned.end(), [&](const auto& h) { return h.get() == handle; });
    if (!ours) {
        NoteFault(std::string("release of a ") + what + " this factory did not make");
        return;
    }
    if (IsHandleDeleted(handle)) {
        NoteFault(std::string(what) + " released after it was deleted");
        return;
    }
    if (handle->DropRef() <= 0)
        deletedHandles_.insert(handle);
}

IFont* RecordingFactory::CreateFont()
{
    fonts_.push_back(std::make_unique<RecordingFont>());
    return fonts_.back().get();
}

void RecordingFactory::ReleaseFont(IFont* font)
{
    ReleaseHandle(static_cast<RecordingFont*>(font), fonts_, "font");
}

IToolTip* RecordingFactory::CreateToolTip()
{
    toolTips_.push_back(std::make_unique<RecordingToolTip>());
    return toolTips_.back().get();
}

void RecordingFactory::ReleaseToolTip(IToolTip* toolTip)
{
    ReleaseHandle(static_cast<RecordingToolTip*>(toolTip), toolTips_, "tooltip");
}

ICursor* RecordingFactory::CreateCursor()
{
    cursors_.push_back(std::make_unique<RecordingCursor>());
    return cursors_.back().get();
}

void RecordingFactory::ReleaseCursor(ICursor* cursor)
{
    ReleaseHandle(static_cast<RecordingCursor*>(cursor), cursors_, "cursor");
}

ISound* RecordingFactory::CreateSound(bool music)
{
    sounds_.push_back(std::make_unique<RecordingSound>(*this, nextSoundHandle_++, music));
    return sounds_.back().get();
}

void RecordingFactory::ReleaseSound(ISound* sound)
{
    if (sound == nullptr)
        return;
    auto it = std::find_if(sounds_.begin(), sounds_.end(), [&](const auto& s) { return s.get() == sound; });
    if (it == sounds_.end()) {
        NoteFault("release of a sound this factory did not make");
        return;
    }
    if (deletedHandles_.count(sound) != 0) {
        NoteFault("sound released twice");
        return;
    }
    deletedHandles_.insert(sound);
}

int32_t RecordingSound::Load(const std::string& name)
{
    file = name;
    track = factory_.SoundLoads(name) ? factory_.NextTrack() : -1;
    return track;
}

void RecordingSound::Play(bool loop)
{
    if (factory_.IsHandleDeleted(this))
        factory_.NoteFault("sound played after release");
    ++plays;
    playing = true;
    looping = loop;
}

void RecordingFactory::AddSysObserver(KeybdSysMessageObserver* observer)
{
    if (std::find(sysObservers.begin(), sysObservers.end(), observer) == sysObservers.end())
        sysObservers.push_back(observer);
}

void RecordingFactory::RemoveSysObserver(KeybdSysMessageObserver* observer)
{
    auto it = std::find(sysObservers.begin(), sysObservers.end(), observer);
    if (it != sysObservers.end())
        sysObservers.erase(it);
}

bool RecordingFactory::ReadRegistryString(const std::string& name, std::string& out)
{
    auto it = registryStrings.find(name);
    if (it == registryStrings.end())
        return false;
    out = it->second;
    return true;
}

bool RecordingFactory::ReadRegistryInteger(const std::string& name, uint32_t& out)
{
    auto it = registryIntegers.find(name);
    if (it == registryIntegers.end())
        return false;
    out = it->second;
    return true;
}

bool RecordingFactory::ReadRegistryBool(const std::string& name, bool& out)
{
    auto it = registryBools.find(name);
    if (it == registryBools.end())
        return false;
    out = it->second;
    return true;
}

bool RecordingFactory::WriteRegistryString(const std::string& name, const std::string& value)
{
    registryStrings[name] = value;
    return true;
}

bool RecordingFactory::WriteRegistryInteger(const std::string& name, uint32_t value)
{
    registryIntegers[name] = value;
    return true;
}

bool RecordingFactory::WriteRegistryBool(const std::string& name, bool value)
{
    registryBools[name] = value;
    return true;
}

RecordedObject* RecordingFactory::Find(const IVisibleObject* object)
{
    for (auto& entry : objects_) {
        if (entry->object.get() == object)
            return &entry->record;
    }
    return nullptr;
}

RecordedObject* RecordingFactory::FindById(uint32_t id)
{
    for (auto& entry : objects_) {
        if (entry->record.id == id)
            return &entry->record;
    }
    return nullptr;
}

std::vector<RecordedObject*> RecordingFactory::Objects()
{
    std::vector<RecordedObject*> all;
    for (auto& entry : objects_)
        all.push_back(&entry->record);
    return all;
}

std::vector<RecordedObject*> RecordingFactory::ObjectsOfKind(const std::string& kind)
{
    std::vector<RecordedObject*> found;
    for (auto& entry : objects_) {
        if (entry->record.kind == kind)
            found.push_back(&entry->record);
    }
    return found;
}

size_t RecordingFactory::LiveObjectCount() const
{
    return static_cast<size_t>(
        std::count_if(objects_.begin(), objects_.end(), [](const auto& e) { return !e->record.released; }));
}

size_t RecordingFactory::LiveSoundCount() const
{
    return static_cast<size_t>(std::count_if(sounds_.begin(), sounds_.end(),
                                             [&](const auto& s) { return deletedHandles_.count(s.get()) == 0; }));
}

Size RecordingFactory::ImageSize(const std::string& name) const
{
    auto it = imageSizes_.find(name);
    return it == imageSizes_.end() ? Size{20, 20} : it->second;
}

void RecordingFactory::Click(IVisibleObject* object, int32_t button)
{
    RecordedObject* record = Find(object);
    if (record == nullptr || !record->enabled)
        return;
    const std::vector<MouseMessageObserver*> observers = record->mouseObservers;
    for (MouseMessageObserver* observer : observers)
        observer->OnMouseDown(record->id, button);
    for (MouseMessageObserver* observer : observers)
        observer->OnMouseUp(record->id, button);
}

} // namespace testing_support
