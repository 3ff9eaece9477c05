#include "tests/support/KeptScene.h"

#include "controls/ButtonFace_impl.h"
#include "controls/EditBoxVO_impl.h"
#include "controls/Factory_impl.h"
#include "controls/IBridgeToVO.h"
#include "tests/support/RecordingFactory.h"
#include "tests/support/ScreenSight.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <vector>

namespace testing_support {

namespace {

using ControlLibrary::IVisibleObject;

std::vector<std::string> Lines(const std::string& text)
{
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

std::string FontName(const ControlLibrary::IFont* font)
{
    const auto* recorded = dynamic_cast<const RecordingFont*>(font);
    return recorded ? recorded->descriptor : std::string();
}

// The last call of the object whose name starts with `name`, as logged.
std::string LastCall(const RecordedObject& object, const std::string& name)
{
    for (auto call = object.calls.rbegin(); call != object.calls.rend(); ++call)
        if (call->rfind(name + "(", 0) == 0)
            return " " + *call;
    return "";
}

} // namespace

std::string DescribeRecordedScene(RecordingFactory& factory)
{
    std::ostringstream out;
    for (const RecordedObject* object : factory.Objects()) {
        if (object->released)
            continue;
        out << object->kind << " L" << object->layer << " at " << object->position.x << ',' << object->position.y
            << " align " << object->hAlign << ',' << object->vAlign << " size " << object->size.w << 'x'
            << object->size.h << (object->visible ? " shown" : " hidden") << (object->enabled ? "" : " disabled");
        if (!object->image.empty())
            out << " image " << object->image;
        if (!object->text.empty())
            out << " \"" << object->text << '"';
        if (object->font != nullptr)
            out << " font " << FontName(object->font);
        if (object->kind != "Image")
            out << " colour " << int(object->colour.r) << ',' << int(object->colour.g) << ','
                << int(object->colour.b);
        out << LastCall(*object, "SetSourceRect") << LastCall(*object, "SetSourceRects") << '\n';
    }
    return out.str();
}

std::string DescribeShownScene()
{
    std::ostringstream out;
    ControlLibrary::Factory_impl& factory = *ControlLibrary::GetFactoryImpl();
    for (const walk::Seen& seen : walk::LookAtScreen()) {
        out << seen.kind << " at " << seen.area.x << ',' << seen.area.y << ' ' << seen.area.w << 'x' << seen.area.h;
        if (!seen.caption.empty())
            out << " \"" << seen.caption << '"';
        if (!seen.image.empty())
            out << ' ' << seen.image;
        IVisibleObject* object = factory.FindObject(seen.id);
        auto* bridge = dynamic_cast<ControlLibrary::IBridgeToVO*>(object);
        auto* face = bridge ? dynamic_cast<ControlLibrary::ButtonFace_impl*>(bridge->GetImpl()) : nullptr;
        if (face != nullptr && !face->IsFaceHidden())
            for (size_t state = 0; state < 4; ++state) {
                const ControlLibrary::Rect part = face->GetSourceRect(state);
                out << (state == 0 ? " parts " : ",") << part.x << ' ' << part.y << ' ' << part.w << ' ' << part.h;
            }
        else if (seen.kind == "image")
            out << " part " << seen.part.x << ' ' << seen.part.y << ' ' << seen.part.w << ' ' << seen.part.h;
        auto* edit = bridge ? dynamic_cast<ControlLibrary::EditBoxVO_impl*>(bridge->GetImpl()) : nullptr;
        if (edit != nullptr) {
            const ControlLibrary::RGB colour = edit->GetTextColour();
            out << " text colour " << int(colour.r) << ',' << int(colour.g) << ',' << int(colour.b)
                << (edit->GetFont() != nullptr ? "" : " no font") << (edit->IsFaceHidden() ? "" : " framed");
        }
        if (seen.kind == "text" || seen.kind == "link") {
            const ControlLibrary::RGB colour = object->GetColour();
            out << " colour " << int(colour.r) << ',' << int(colour.g) << ',' << int(colour.b);
        }
        out << (seen.enabled ? "" : " disabled") << '\n';
    }
    return out.str();
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
    const std::vector<std::string> want = Lines(kept.str()), got = Lines(scene);
    std::ostringstream differences;
    size_t shown = 0;
    for (size_t i = 0; i < std::max(want.size(), got.size()) && shown < 20; ++i) {
        const std::string a = i < want.size() ? want[i] : "(none)", b = i < got.size() ? got[i] : "(none)";
        if (a == b)
            continue;
        ++shown;
        differences << "line " << i + 1 << "\n  kept: " << a << "\n  now:  " << b << '\n';
    }
    ADD_FAILURE() << "the scene differs from " << file << " (PELLUCOR_KEEP_SCENES=1 keeps the new one)\n"
                  << differences.str();
}

} // namespace testing_support
