#include "tests/support/KeptScene.h"

#include "controls/ButtonFace_impl.h"
#include "controls/ControlHandles.h"
#include "controls/DialogVO_impl.h"
#include "controls/EditBoxVO_impl.h"
#include "controls/Factory_impl.h"
#include "controls/IBridgeToVO.h"
#include "controls/IButtonVO.h"
#include "controls/ICheckBoxVO.h"
#include "controls/IDialogVO.h"
#include "controls/IImageVO.h"
#include "controls/ILinkVO.h"
#include "controls/IRectVO.h"
#include "controls/IStringVO.h"
#include "controls/LinkVO_impl.h"
#include "controls/TextBoxVO_impl.h"
#include "controls/TextVO_impl.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <vector>

namespace testing_support {

namespace {

using ControlLibrary::Factory_impl;
using ControlLibrary::IVisibleObject;
using ControlLibrary::Rect;
using ControlLibrary::RGB;

std::vector<std::string> Lines(const std::string& text)
{
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

std::string Place(const Rect& r)
{
    return std::to_string(r.x) + "," + std::to_string(r.y) + " " + std::to_string(r.w) + "x" + std::to_string(r.h);
}

std::string Colour(const RGB& c)
{
    return std::to_string(c.r) + "," + std::to_string(c.g) + "," + std::to_string(c.b);
}

// One value when every state shares it, else each state's.
std::string OneOrAll(const std::vector<std::string>& values)
{
    if (std::all_of(values.begin(), values.end(), [&](const std::string& v) { return v == values[0]; }))
        return values[0];
    std::string all;
    for (const std::string& value : values)
        all += (all.empty() ? "" : ",") + value;
    return all;
}

// Reads what an object shows through the factory's own tables.
class SceneReader {
public:
    explicit SceneReader(Factory_impl& factory) : factory_(factory) {}

    // The object's line; empty for an object a player cannot see.
    std::string Line(IVisibleObject& object)
    {
        const Rect area = object.GetScreenRect();
        if (area.w <= 0 || area.h <= 0)
            return "";
        auto* bridge = dynamic_cast<ControlLibrary::IBridgeToVO*>(&object);
        ControlLibrary::VisibleObject_impl* impl = bridge ? bridge->GetImpl() : nullptr;
        std::string line = Kind(object, impl) + " " + Place(area);
        if (!object.IsEnabled())
            line += " disabled";
        // The factory's own record of where keys go: an object's flag can
        // outlast its focus.
        if (factory_.GetFocusedId() == object.GetId())
            line += " focused";
        if (factory_.GetHoveredId() == object.GetId())
            line += " under the pointer";
        if (auto* face = dynamic_cast<ControlLibrary::ButtonFace_impl*>(impl))
            return line + FaceLooks(*face);
        if (auto* text = dynamic_cast<ControlLibrary::TextVO_impl*>(impl)) {
            std::string words;
            text->GetText(words);
            auto* link = dynamic_cast<ControlLibrary::LinkVO_impl*>(text);
            return line + " \"" + words + "\" " + Colour(object.GetColour()) +
                   (link ? " hover " + Colour(link->GetHoverColour()) : "") + " " + FontName(text->GetFont());
        }
        if (auto* image = dynamic_cast<ControlLibrary::IImageVO*>(&object)) {
            std::string name;
            image->GetImageName(name);
            const Rect part = image->GetSourceRect();
            return line + " " + name + (part.w > 0 && part.h > 0 ? " part " + Place(part) : "");
        }
        if (auto* dialog = dynamic_cast<ControlLibrary::DialogVO_impl*>(impl))
            return line + (dialog->IsFaceHidden() ? "" : " " + ImageName(dialog->GetBackgroundHandle()));
        if (auto* edit = dynamic_cast<ControlLibrary::EditBoxVO_impl*>(impl)) {
            std::string words;
            edit->GetText(words);
            return line + " \"" + words + "\" " + Colour(edit->GetTextColour()) + " " + FontName(edit->GetFont()) +
                   (edit->IsFaceHidden() ? "" : " framed");
        }
        if (auto* box = dynamic_cast<ControlLibrary::TextBoxVO_impl*>(impl))
            return line + BoxLines(*box, area);
        if (dynamic_cast<ControlLibrary::IRectVO*>(&object))
            return line + " " + Colour(object.GetColour());
        return line;
    }

private:
    static std::string Kind(IVisibleObject& object, ControlLibrary::VisibleObject_impl* impl)
    {
        if (dynamic_cast<ControlLibrary::IButtonVO*>(&object))
            return "button";
        if (dynamic_cast<ControlLibrary::ICheckBoxVO*>(&object))
            return "check box";
        if (dynamic_cast<ControlLibrary::IStringVO*>(&object))
            return "text";
        if (dynamic_cast<ControlLibrary::ILinkVO*>(&object))
            return "link";
        if (dynamic_cast<ControlLibrary::IImageVO*>(&object))
            return "image";
        if (dynamic_cast<ControlLibrary::IDialogVO*>(&object))
            return "dialog";
        if (dynamic_cast<ControlLibrary::IRectVO*>(&object))
            return "rectangle";
        if (dynamic_cast<ControlLibrary::EditBoxVO_impl*>(impl))
            return "edit box";
        if (dynamic_cast<ControlLibrary::TextBoxVO_impl*>(impl))
            return "text box";
        return "object";
    }

    // The face of each state (normal, hover, pressed, disabled): its picture,
    // the size of its parts and where each lies; then the caption, in its
    // font and its five colours.
    std::string FaceLooks(const ControlLibrary::ButtonFace_impl& face)
    {
        std::string looks;
        if (face.IsFaceHidden()) {
            looks = " no face";
        } else {
            std::vector<std::string> images, sizes;
            std::string corners;
            for (size_t state = 0; state < 4; ++state) {
                const Rect part = face.GetSourceRect(state);
                images.push_back(ImageName(face.GetImageHandle(state)));
                sizes.push_back(std::to_string(part.w) + "x" + std::to_string(part.h));
                corners += " " + std::to_string(part.x) + "," + std::to_string(part.y);
            }
            looks = " " + OneOrAll(images) + " " + OneOrAll(sizes) + " @" + corners;
        }
        const std::string caption = face.GetCaption();
        if (caption.empty())
            return looks;
        std::vector<std::string> fonts;
        for (size_t state = 0; state < 4; ++state)
            fonts.push_back(FontName(face.GetFont(state)));
        looks += " \"" + caption + "\" " + OneOrAll(fonts) + " colours";
        for (const RGB& colour : face.GetTextColours())
            looks += " " + Colour(colour);
        return looks;
    }

    // The lines of the page shown, each where it stands in the box.
    std::string BoxLines(ControlLibrary::TextBoxVO_impl& box, const Rect& area)
    {
        std::string looks;
        for (const ControlLibrary::TextBoxVO_impl::Line& line : box.GetLines())
            if (line.y <= area.h)
                looks += "\n  line " + std::to_string(line.x) + "," + std::to_string(line.y) + " \"" + line.text +
                         "\" " + Colour(line.colour) + " " + FontName(line.font);
        return looks + (box.CanScrollDown() ? "\n  more below" : "");
    }

    std::string ImageName(int32_t handle)
    {
        std::string name;
        if (handle >= 0)
            factory_.GetImageName(handle, name);
        return name.empty() ? "-" : name;
    }

    std::string FontName(ControlLibrary::IFont* font)
    {
        auto* loaded = dynamic_cast<ControlLibrary::Font_impl*>(font);
        std::string name;
        if (loaded)
            factory_.GetFontName(loaded->GetIndex(), name);
        return name.empty() ? "no font" : name;
    }

    Factory_impl& factory_;
};

} // namespace

std::string DescribeShownScene()
{
    Factory_impl& factory = *ControlLibrary::GetFactoryImpl();
    SceneReader reader(factory);
    const std::vector<IVisibleObject*> shown = factory.ShownObjects();
    std::string scene;
    for (auto object = shown.rbegin(); object != shown.rend(); ++object) {
        const std::string line = reader.Line(**object);
        if (!line.empty())
            scene += line + "\n";
    }
    return scene;
}

std::string LineDiff(const std::string& kept, const std::string& now, size_t most)
{
    const std::vector<std::string> a = Lines(kept), b = Lines(now);
    // The longest common subsequence of lines, from the ends.
    std::vector<std::vector<size_t>> common(a.size() + 1, std::vector<size_t>(b.size() + 1, 0));
    for (size_t i = a.size(); i-- > 0;)
        for (size_t j = b.size(); j-- > 0;)
            common[i][j] = a[i] == b[j] ? common[i + 1][j + 1] + 1 : std::max(common[i + 1][j], common[i][j + 1]);
    std::ostringstream diff;
    size_t shown = 0;
    auto note = [&](char sign, size_t number, const std::string& line) {
        if (shown++ < most)
            diff << sign << ' ' << number + 1 << ": " << line << '\n';
    };
    size_t i = 0, j = 0;
    while (i < a.size() || j < b.size()) {
        if (i < a.size() && j < b.size() && a[i] == b[j]) {
            ++i;
            ++j;
        } else if (i < a.size() && (j == b.size() || common[i + 1][j] >= common[i][j + 1])) {
            note('-', i, a[i]);
            ++i;
        } else {
            note('+', j, b[j]);
            ++j;
        }
    }
    if (shown > most)
        diff << "... and " << shown - most << " lines more\n";
    return diff.str();
}

void ExpectKeptScene(const std::string& scene, const std::string& file)
{
    const std::string path = std::string(PELLUCOR_TESTS_DIR) + "/" + file;
    const char* keep = std::getenv("PELLUCOR_KEEP_SCENES");
    if (keep != nullptr && std::string(keep) == "1") {
        std::ofstream(path, std::ios::binary) << scene;
        return;
    }
    std::ifstream in(path, std::ios::binary);
    ASSERT_TRUE(in.good()) << "no kept scene " << path;
    std::ostringstream kept;
    kept << in.rdbuf();
    if (kept.str() == scene)
        return;
    ADD_FAILURE() << "the scene differs from " << file << " (PELLUCOR_KEEP_SCENES=1 keeps the new one); "
                  << "- kept, + now, with their line numbers:\n"
                  << LineDiff(kept.str(), scene);
}

} // namespace testing_support
