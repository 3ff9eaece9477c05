// Reading resource descriptions into records.
#include "framework/resources/ResourceManager.h"

#include "framework/base/PathUtils.h"
#include "framework/base/StringUtils.h"
#include "framework/resources/ResourceHost.h"
#include "framework/resources/XmlReader.h"
#include "imagelib/Image.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <limits>

namespace Zolt {

namespace {

const std::string* FindAttribute(const XmlElement& element, const char* name)
{
    const auto it = element.attributes.find(name);
    return it == element.attributes.end() ? nullptr : &it->second;
}

bool Has(const XmlElement& element, const char* name) { return FindAttribute(element, name) != nullptr; }

// Appends each comma-separated piece, read as a decimal number.
void AppendNumberList(const std::string& text, std::vector<int32_t>& out)
{
    size_t start = 0;
    for (;;) {
        const size_t comma = text.find(',', start);
        out.push_back(std::atoi(text.substr(start, comma - start).c_str()));
        if (comma == std::string::npos)
            break;
        start = comma + 1;
    }
}

// The animation's total time is a 32-bit sum of its frames' delays, worked
// out the way the animation set-up will: true when it fits.
bool AnimationTimeFits(const ImageAnimation& anim, int32_t cels, int32_t beginDelay, int32_t endDelay)
{
    int64_t frames = cels < 1 ? 1 : cels;
    if (anim.type == ImageAnimation::PingPong && frames >= 2)
        frames = 2 * frames - 2;
    else if (!anim.frameMap.empty())
        frames = static_cast<int64_t>(anim.frameMap.size());
    const int64_t base = anim.frameDelay < 1 ? 1 : anim.frameDelay;
    int64_t total = 0;
    for (int64_t i = 0; i < frames; ++i) {
        int64_t delay = base;
        if (i < static_cast<int64_t>(anim.perFrameDelays.size()) && anim.perFrameDelays[size_t(i)] >= 1)
            delay = anim.perFrameDelays[size_t(i)];
        if (i == 0 && beginDelay > 0)
            delay = beginDelay;
        if (i == frames - 1 && endDelay > 0)
            delay = endDelay;
        total += delay;
        if (total > std::numeric_limits<int32_t>::max())
            return false;
    }
    return true;
}

} // namespace

bool ResourceManager::ReadCommonAttributes(const XmlElement& element, BaseRes* record, RecordMap& map)
{
    lastWasDuplicate_ = false;
    const std::string* path = FindAttribute(element, "path");
    if (!path || path->empty())
        return Fail("No path specified.");

    record->attributes = element.attributes;
    record->fromProgram = false;
    if ((*path)[0] != '!') {
        record->path = defaultPathPrefix_ + *path;
    } else {
        record->path = *path;
        record->fromProgram = *path == "!program";
    }

    if (const std::string* id = FindAttribute(element, "id"))
        record->id = defaultIdPrefix_ + *id;
    else
        record->id = defaultIdPrefix_ + PathFileName(record->path, true);

    record->group = currentGroup_;
    if (map.count(record->id)) {
        lastWasDuplicate_ = true;
        return Fail("Resource already defined.");
    }
    return true;
}

bool ResourceManager::MayRedefine()
{
    if (!lastWasDuplicate_ || !allowRedefinition_)
        return false;
    errorText_.clear();
    failed_ = false;
    return true;
}

bool ResourceManager::ReadImageSettings(const XmlElement& element, ImageRes& record)
{
    record.mayPalettize = !Has(element, "nopal");
    record.a4r4g4b4 = Has(element, "a4r4g4b4");
    record.a8r8g8b8 = Has(element, "a8r8g8b8");
    record.ddSurface = Has(element, "ddsurface");
    record.minSubdivide = Has(element, "minsubdivide");
    record.useAlpha = !Has(element, "noalpha");
    if (Has(element, "nobits")) {
        record.noBits = true;
    } else {
        const bool in3D = host_ && host_->IsIn3DMode();
        record.noBits = in3D ? Has(element, "nobits3d") : Has(element, "nobits2d");
    }
    if (const std::string* v = FindAttribute(element, "alphaimage"))
        record.alphaImagePath = defaultPathPrefix_ + *v;
    if (const std::string* v = FindAttribute(element, "alphacolor"))
        std::sscanf(v->c_str(), "%x", &record.alphaColor);
    if (const std::string* v = FindAttribute(element, "variant"))
        record.variant = *v;
    if (const std::string* v = FindAttribute(element, "alphagrid"))
        record.alphaGridPath = defaultPathPrefix_ + *v;

    // A cel is the image's width / cols by height / rows: a grid of no
    // rows or columns has no cels to draw and would divide by zero.
    const std::string* rows = FindAttribute(element, "rows");
    const std::string* cols = FindAttribute(element, "cols");
    record.rows = rows ? std::atoi(rows->c_str()) : 1;
    record.cols = cols ? std::atoi(cols->c_str()) : 1;
    if (record.rows < 1 || record.cols < 1 ||
        int64_t(record.rows) * int64_t(record.cols) > ImageLib::kMaxImagePixels)
        return Fail("Invalid rows or cols.");

    ImageAnimation& anim = record.animation;
    anim = ImageAnimation();
    if (const std::string* v = FindAttribute(element, "anim")) {
        const std::string kind = LowerCased(*v);
        if (kind == "none")
            anim.type = ImageAnimation::None;
        else if (kind == "once")
            anim.type = ImageAnimation::Once;
        else if (kind == "pingpong")
            anim.type = ImageAnimation::PingPong;
        else if (kind == "loop")
            anim.type = ImageAnimation::Loop;
        else
            return Fail("Invalid animation type.");
    }
    if (anim.type != ImageAnimation::None) {
        int32_t beginDelay = 0;
        int32_t endDelay = 0;
        if (const std::string* v = FindAttribute(element, "framedelay"))
            anim.frameDelay = std::atoi(v->c_str());
        if (const std::string* v = FindAttribute(element, "begindelay"))
            beginDelay = std::atoi(v->c_str());
        if (const std::string* v = FindAttribute(element, "enddelay"))
            endDelay = std::atoi(v->c_str());
        if (const std::string* v = FindAttribute(element, "perframedelay"))
            AppendNumberList(*v, anim.perFrameDelays);
        if (const std::string* v = FindAttribute(element, "framemap"))
            AppendNumberList(*v, anim.frameMap);
        // Each frame shows one cel of the grid.
        const int64_t cels = int64_t(record.rows) * int64_t(record.cols);
        for (int32_t cel : anim.frameMap)
            if (cel < 0 || cel >= cels)
                return Fail("Invalid frame map.");
        const int32_t frameCount = std::max(record.rows, record.cols);
        if (!AnimationTimeFits(anim, frameCount, beginDelay, endDelay))
            return Fail("Invalid frame delay.");
        anim.Prepare(frameCount, beginDelay, endDelay);
    }
    return true;
}

bool ResourceManager::ReadSoundSettings(const XmlElement& element, SoundRes& record)
{
    if (const std::string* v = FindAttribute(element, "volume"))
        std::sscanf(v->c_str(), "%lf", &record.volume);
    if (const std::string* v = FindAttribute(element, "pan"))
        std::sscanf(v->c_str(), "%d", &record.pan);
    return true;
}

bool ResourceManager::ReadFontSettings(const XmlElement& element, FontRes& record)
{
    if (const std::string* v = FindAttribute(element, "image"))
        record.imagePath = *v;
    if (const std::string* v = FindAttribute(element, "tags"))
        record.tags = *v;
    if (const std::string* v = FindAttribute(element, "size"))
        record.size = std::atoi(v->c_str());
    record.bold = Has(element, "bold");
    record.italic = Has(element, "italic");
    record.shadow = Has(element, "shadow");
    record.underline = Has(element, "underline");
    if (record.path.compare(0, 5, "!sys:") == 0) {
        record.sysFont = true;
        record.path = record.path.substr(5);
        if (record.size <= 0)
            return Fail("SysFont needs point size");
    }
    return true;
}

// The three element readers share one shape: a new record filled from the
// element, kept when its id is new. A repeated id with redefinition allowed
// hands the new path, attributes and settings to the record already there
// (its loaded data, group and place in its group stay), and only once the
// whole element has been read without a fault.
bool ResourceManager::ReadImageElement(const XmlElement& element)
{
    auto record = std::make_unique<ImageRes>();
    const bool fresh = ReadCommonAttributes(element, record.get(), images_);
    if (!fresh && !MayRedefine())
        return false;
    if (!ReadImageSettings(element, *record))
        return false;
    if (fresh) {
        groups_[currentGroup_].push_back(record.get());
        images_[record->id] = std::move(record);
        return true;
    }
    auto& old = static_cast<ImageRes&>(*images_[record->id]);
    const std::string group = old.group;
    static_cast<BaseRes&>(old) = static_cast<BaseRes&>(*record);
    old.group = group;
    old.alphaImagePath = record->alphaImagePath;
    old.alphaGridPath = record->alphaGridPath;
    old.variant = record->variant;
    old.useAlpha = record->useAlpha;
    old.mayPalettize = record->mayPalettize;
    old.a4r4g4b4 = record->a4r4g4b4;
    old.a8r8g8b8 = record->a8r8g8b8;
    old.ddSurface = record->ddSurface;
    old.noBits = record->noBits;
    old.minSubdivide = record->minSubdivide;
    old.rows = record->rows;
    old.cols = record->cols;
    old.alphaColor = record->alphaColor;
    old.animation = record->animation;
    return true;
}

bool ResourceManager::ReadSoundElement(const XmlElement& element)
{
    auto record = std::make_unique<SoundRes>(host_);
    const bool fresh = ReadCommonAttributes(element, record.get(), sounds_);
    if (!fresh && !MayRedefine())
        return false;
    if (!ReadSoundSettings(element, *record))
        return false;
    if (fresh) {
        groups_[currentGroup_].push_back(record.get());
        sounds_[record->id] = std::move(record);
        return true;
    }
    auto& old = static_cast<SoundRes&>(*sounds_[record->id]);
    const std::string group = old.group;
    static_cast<BaseRes&>(old) = static_cast<BaseRes&>(*record);
    old.group = group;
    old.volume = record->volume;
    old.pan = record->pan;
    return true;
}

bool ResourceManager::ReadFontElement(const XmlElement& element)
{
    auto record = std::make_unique<FontRes>();
    const bool fresh = ReadCommonAttributes(element, record.get(), fonts_);
    if (!fresh && !MayRedefine())
        return false;
    if (!ReadFontSettings(element, *record))
        return false;
    if (fresh) {
        groups_[currentGroup_].push_back(record.get());
        fonts_[record->id] = std::move(record);
        return true;
    }
    auto& old = static_cast<FontRes&>(*fonts_[record->id]);
    const std::string group = old.group;
    static_cast<BaseRes&>(old) = static_cast<BaseRes&>(*record);
    old.group = group;
    old.imagePath = record->imagePath;
    old.tags = record->tags;
    old.sysFont = record->sysFont;
    old.bold = record->bold;
    old.italic = record->italic;
    old.underline = record->underline;
    old.shadow = record->shadow;
    old.size = record->size;
    return true;
}

bool ResourceManager::ReadDefaultsElement(const XmlElement& element)
{
    if (const std::string* path = FindAttribute(element, "path")) {
        // An empty path means no prefix, not the root folder.
        const std::string folder = DropTrailingSeparator(*path);
        defaultPathPrefix_ = folder.empty() ? std::string() : folder + "/";
    }
    if (const std::string* prefix = FindAttribute(element, "idprefix"))
        defaultIdPrefix_ = *prefix;
    return true;
}

bool ResourceManager::FailFromReader()
{
    if (reader_ && reader_->HasFailed())
        return Fail(reader_->GetErrorText());
    return Fail("Unexpected End of File");
}

bool ResourceManager::ExpectEndTag()
{
    XmlElement next;
    if (!reader_->NextElement(next))
        return FailFromReader();
    if (next.type != XmlElement::EndTag)
        return Fail("Unexpected element found.");
    return true;
}

bool ResourceManager::ReadGroupElement()
{
    if (!reader_)
        return Fail("No resource description is being read.");
    XmlElement element;
    for (;;) {
        if (!reader_->NextElement(element))
            return FailFromReader();
        switch (element.type) {
        case XmlElement::StartTag: {
            bool ok;
            if (element.name == "Image")
                ok = ReadImageElement(element);
            else if (element.name == "Sound")
                ok = ReadSoundElement(element);
            else if (element.name == "Font")
                ok = ReadFontElement(element);
            else if (element.name == "SetDefaults")
                ok = ReadDefaultsElement(element);
            else
                return Fail("Invalid Section '" + element.name + "'");
            if (!ok || !ExpectEndTag())
                return false;
            break;
        }
        case XmlElement::EndTag:
            return true;
        case XmlElement::Text:
            return Fail("Element Not Expected '" + element.name + "'");
        default:
            break; // instructions and comments
        }
    }
}

bool ResourceManager::LoadResourceFile(const std::string& fileName)
{
    errorText_.clear();
    failed_ = false;
    XmlReader reader;
    XmlReader* const previous = reader_;
    reader_ = &reader;
    struct RestoreReader {
        ResourceManager* manager;
        XmlReader* previous;
        ~RestoreReader() { manager->reader_ = previous; }
    } restore{this, previous};

    if (!reader.OpenFile(fileName))
        return FailFromReader();

    bool inManifest = false;
    bool sawManifest = false;
    XmlElement element;
    for (;;) {
        if (!reader.NextElement(element)) {
            if (reader.HasFailed() || inManifest)
                return FailFromReader();
            if (!sawManifest)
                return Fail("No ResourceManifest found.");
            return true;
        }
        switch (element.type) {
        case XmlElement::StartTag:
            if (!inManifest && !sawManifest && element.name == "ResourceManifest") {
                inManifest = sawManifest = true;
            } else if (inManifest && element.name == "Resources") {
                const std::string* id = FindAttribute(element, "id");
                if (!id || id->empty())
                    return Fail("No id specified.");
                BeginGroup(*id);
                defaultPathPrefix_.clear();
                defaultIdPrefix_.clear();
                const bool ok = ReadGroupElement();
                defaultPathPrefix_.clear();
                defaultIdPrefix_.clear();
                if (!ok)
                    return false;
            } else {
                return Fail("Invalid Section '" + element.name + "'");
            }
            break;
        case XmlElement::EndTag:
            inManifest = false;
            break;
        case XmlElement::Text:
            return Fail("Element Not Expected '" + element.name + "'");
        default:
            break;
        }
    }
}

} // namespace Zolt
