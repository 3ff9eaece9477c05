#include "tests/support/ScreenSight.h"

#include "controls/ButtonFace_impl.h"
#include "controls/DialogVO_impl.h"
#include "controls/Factory_impl.h"
#include "controls/IBridgeToVO.h"
#include "controls/IButtonVO.h"
#include "controls/ICheckBoxVO.h"
#include "controls/IDialogVO.h"
#include "controls/IEditBoxVO.h"
#include "controls/IImageVO.h"
#include "controls/ILinkVO.h"
#include "controls/IRectVO.h"
#include "controls/IStringVO.h"
#include "controls/ITextBoxVO.h"

#include <sstream>

namespace walk {

namespace {

using ControlLibrary::Factory_impl;
using ControlLibrary::IVisibleObject;

std::string RectText(const ControlLibrary::Rect& r)
{
    std::ostringstream out;
    out << r.x << "," << r.y << " " << r.w << "x" << r.h;
    return out.str();
}

std::string ImageName(Factory_impl& factory, int32_t handle)
{
    std::string name;
    if (handle >= 0)
        factory.GetImageName(handle, name);
    return name;
}

// The kind of a button-like object and what its face shows.
void ReadFace(Factory_impl& factory, IVisibleObject& object, Seen& seen)
{
    auto* bridge = dynamic_cast<ControlLibrary::IBridgeToVO*>(&object);
    auto* face = bridge ? dynamic_cast<ControlLibrary::ButtonFace_impl*>(bridge->GetImpl()) : nullptr;
    if (!face || face->IsFaceHidden())
        return;
    seen.image = ImageName(factory, face->GetImageHandle(0));
    seen.part = face->GetSourceRect(0);
}

void ReadDialog(Factory_impl& factory, IVisibleObject& object, Seen& seen)
{
    auto* bridge = dynamic_cast<ControlLibrary::IBridgeToVO*>(&object);
    auto* dialog = bridge ? dynamic_cast<ControlLibrary::DialogVO_impl*>(bridge->GetImpl()) : nullptr;
    if (dialog && !dialog->IsFaceHidden())
        seen.image = ImageName(factory, dialog->GetBackgroundHandle());
}

Seen Read(Factory_impl& factory, IVisibleObject& object)
{
    Seen seen;
    seen.id = object.GetId();
    seen.area = object.GetScreenRect();
    seen.enabled = object.IsEnabled();
    if (auto* button = dynamic_cast<ControlLibrary::IButtonVO*>(&object)) {
        seen.kind = "button";
        seen.caption = button->GetCaption();
        ReadFace(factory, object, seen);
    } else if (dynamic_cast<ControlLibrary::ICheckBoxVO*>(&object)) {
        seen.kind = "check box";
        ReadFace(factory, object, seen);
    } else if (auto* text = dynamic_cast<ControlLibrary::IStringVO*>(&object)) {
        seen.kind = "text";
        text->GetText(seen.caption);
    } else if (auto* link = dynamic_cast<ControlLibrary::ILinkVO*>(&object)) {
        seen.kind = "link";
        link->GetText(seen.caption);
    } else if (auto* image = dynamic_cast<ControlLibrary::IImageVO*>(&object)) {
        seen.kind = "image";
        image->GetImageName(seen.image);
        seen.part = image->GetSourceRect();
    } else if (dynamic_cast<ControlLibrary::IDialogVO*>(&object)) {
        seen.kind = "dialog";
        ReadDialog(factory, object, seen);
    } else if (auto* edit = dynamic_cast<ControlLibrary::IEditBoxVO*>(&object)) {
        seen.kind = "edit box";
        edit->GetText(seen.caption);
    } else if (dynamic_cast<ControlLibrary::ITextBoxVO*>(&object)) {
        seen.kind = "text box";
    } else {
        seen.kind = dynamic_cast<ControlLibrary::IRectVO*>(&object) ? "rectangle" : "object";
    }
    return seen;
}

} // namespace

Sight Sight::Named(std::string label) const
{
    Sight named = *this;
    named.name = std::move(label);
    return named;
}

std::string Sight::Describe() const
{
    if (!name.empty())
        return name;
    if (kind == Kind::Caption)
        return "\"" + text + "\"";
    return "image " + text + (part ? " (" + RectText(*part) + ")" : std::string());
}

Sight Caption(std::string text)
{
    return Sight{Sight::Kind::Caption, std::move(text), std::nullopt, std::string()};
}

Sight Image(std::string file)
{
    return Sight{Sight::Kind::Image, std::move(file), std::nullopt, std::string()};
}

Sight Image(std::string file, ControlLibrary::Rect part)
{
    return Sight{Sight::Kind::Image, std::move(file), part, std::string()};
}

bool Seen::Matches(const Sight& sight) const
{
    if (sight.kind == Sight::Kind::Caption)
        return !caption.empty() && caption == sight.text;
    return !image.empty() && image == sight.text && (!sight.part || *sight.part == part);
}

std::string Seen::Describe() const
{
    std::string line = kind + " #" + std::to_string(id) + " at " + RectText(area);
    if (!caption.empty())
        line += " \"" + caption + "\"";
    if (!image.empty())
        line += " " + image + " (" + RectText(part) + ")";
    if (!enabled)
        line += " disabled";
    return line;
}

std::vector<Seen> LookAtScreen()
{
    std::vector<Seen> scene;
    Factory_impl* factory = ControlLibrary::GetFactoryImpl();
    if (!factory)
        return scene;
    platform::CriticalSectionLock lock(factory->Lock());
    const std::vector<IVisibleObject*> shown = factory->ShownObjects();
    for (auto it = shown.rbegin(); it != shown.rend(); ++it)
        scene.push_back(Read(*factory, **it));
    return scene;
}

std::optional<Seen> FindOnScreen(const Sight& sight)
{
    for (const Seen& seen : LookAtScreen())
        if (seen.Matches(sight))
            return seen;
    return std::nullopt;
}

std::string DescribeScreen()
{
    std::string text;
    for (const Seen& seen : LookAtScreen())
        text += "  " + seen.Describe() + "\n";
    return text.empty() ? "  (nothing shown)\n" : text;
}

} // namespace walk
