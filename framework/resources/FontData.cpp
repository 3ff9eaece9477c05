#include "framework/resources/FontData.h"

#include "framework/base/PathUtils.h"
#include "framework/base/StringUtils.h"
#include "framework/graphics/Color.h"
#include "framework/graphics/MemoryImage.h"
#include "framework/resources/FontHost.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>

namespace Zolt {

namespace {

const SingleDataElement& AsSingle(const DataElement& element)
{
    return static_cast<const SingleDataElement&>(element);
}

// A factor of a list colour: value x 255, truncated, kept inside the int
// range so that a huge factor cannot overflow.
int32_t ColorComponent(double factor)
{
    const double scaled = std::trunc(factor * 255.0);
    if (!(scaled > std::numeric_limits<int32_t>::min()))
        return std::numeric_limits<int32_t>::min();
    if (scaled >= std::numeric_limits<int32_t>::max())
        return std::numeric_limits<int32_t>::max();
    return static_cast<int32_t>(scaled);
}

// The whole text of a disk file, read through the C runtime; false when it
// cannot be opened.
bool ReadDiskFile(const std::string& fileName, std::string& out)
{
    std::string path = fileName;
    std::replace(path.begin(), path.end(), '\\', '/');
    std::FILE* file = std::fopen(path.c_str(), "r");
    if (!file)
        return false;
    char buffer[4096];
    size_t got = 0;
    while ((got = std::fread(buffer, 1, sizeof buffer, file)) > 0)
        out.append(buffer, got);
    std::fclose(file);
    return true;
}

// Reads like the C runtime's scanf directives over a text: "%d" and "%1s".
class WidthListReader {
public:
    explicit WidthListReader(const std::string& text) : text_(text) {}

    bool ReadInt(int& out)
    {
        SkipBlanks();
        size_t at = pos_;
        bool negative = false;
        if (at < text_.size() && (text_[at] == '-' || text_[at] == '+'))
            negative = text_[at++] == '-';
        if (at >= text_.size() || !IsDigit(text_[at]))
            return false;
        int64_t value = 0;
        while (at < text_.size() && IsDigit(text_[at])) {
            value = std::min<int64_t>(value * 10 + (text_[at] - '0'), int64_t(1) << 40);
            ++at;
        }
        pos_ = at;
        value = negative ? -value : value;
        out = static_cast<int>(std::clamp<int64_t>(value, std::numeric_limits<int>::min(),
                                                   std::numeric_limits<int>::max()));
        return true;
    }
    bool ReadChar(char& out)
    {
        SkipBlanks();
        if (pos_ >= text_.size())
            return false;
        out = text_[pos_++];
        return true;
    }

private:
    static bool IsDigit(char c) { return c >= '0' && c <= '9'; }
    static bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f'; }
    void SkipBlanks()
    {
        while (pos_ < text_.size() && IsBlank(text_[pos_]))
            ++pos_;
    }

    const std::string& text_;
    size_t pos_ = 0;
};

} // namespace

FontData::FontData()
{
    SetErrorSink(this);
    for (size_t i = 0; i < charMap_.size(); ++i)
        charMap_[i] = static_cast<uint8_t>(i);
}

FontData::~FontData() = default;

void FontData::Release()
{
    if (--refCount_ <= 0)
        delete this;
}

FontLayer* FontData::FindLayer(const std::string& name) const
{
    auto it = layersByName_.find(UpperCased(name));
    return it == layersByName_.end() ? nullptr : it->second;
}

bool FontData::BeginLoad(FontHost* host, const std::string& fileName)
{
    if (loaded_)
        return false;
    host_ = host;
    errorPrefix_ = "Font Descriptor Error in " + fileName + "\r\n";
    fileName_ = fileName;
    return true;
}

bool FontData::Load(FontHost* host, const std::string& fileName)
{
    if (!BeginLoad(host, fileName))
        return false;
    loaded_ = LoadDescriptor(fileName);
    return loaded_;
}

bool FontData::LoadFromText(FontHost* host, const std::string& fileName, const std::string& text)
{
    if (!BeginLoad(host, fileName))
        return false;
    loaded_ = LoadDescriptorText(text);
    return loaded_;
}

void FontData::OnDescError(const std::string& text, int line, const std::string& command)
{
    if (!host_)
        return;
    std::string message = errorPrefix_ + text;
    if (!command.empty())
        message += " on Line " + std::to_string(line) + ":\r\n\r\n" + command;
    host_->ShowError(message);
}

void FontData::AddLayer(const std::string& name, std::unique_ptr<FontLayer> layer)
{
    layers_.push_back(std::move(layer));
    const std::string key = UpperCased(name);
    if (layersByName_.count(key)) {
        // Reported, yet the command goes on: the new layer stays in the list
        // and the name keeps naming the earlier one.
        ReportError("Layer Already Exists");
        return;
    }
    layersByName_[key] = layers_.back().get();
}

bool FontData::LoadWidthListFont(MemoryImage* image, const std::string& fileName)
{
    if (loaded_ || layersByName_.count(""))
        return false;
    std::string text;
    if (!ReadDiskFile(fileName, text))
        return false;
    WidthListReader reader(text);
    int spaceWidth = 0;
    int ascent = 0;
    // A file whose first line holds no two numbers is not a width list.
    if (!reader.ReadInt(spaceWidth) || !reader.ReadInt(ascent))
        return false;

    auto layer = std::make_unique<FontLayer>(this);
    layer->image = image;
    const int imageHeight = image ? image->GetHeight() : 0;
    layer->ascent = ascent;
    layer->defaultHeight = imageHeight;
    layer->glyphs[' '].width = spaceWidth;

    std::array<bool, 256> hasWidth{};
    hasWidth[' '] = true;
    int64_t x = 0;
    char c = 0;
    int width = 0;
    // A character without a width after it ends the list like the end of
    // the file does.
    while (reader.ReadChar(c) && reader.ReadInt(width)) {
        FontGlyph& glyph = layer->glyphs[static_cast<uint8_t>(c)];
        const int32_t left = static_cast<int32_t>(std::clamp<int64_t>(x, 0, std::numeric_limits<int32_t>::max()));
        glyph.imageRect = Rect(left, 0, width, imageHeight);
        glyph.width = width;
        hasWidth[static_cast<uint8_t>(c)] = true;
        x += width;
    }
    for (char upper = 'A'; upper <= 'Z'; ++upper) {
        const char lower = static_cast<char>(upper - 'A' + 'a');
        if (!hasWidth[static_cast<uint8_t>(upper)] && hasWidth[static_cast<uint8_t>(lower)])
            charMap_[static_cast<uint8_t>(upper)] = static_cast<uint8_t>(lower);
        else if (!hasWidth[static_cast<uint8_t>(lower)] && hasWidth[static_cast<uint8_t>(upper)])
            charMap_[static_cast<uint8_t>(lower)] = static_cast<uint8_t>(upper);
    }
    layers_.push_back(std::move(layer));
    layersByName_[""] = layers_.back().get();
    fileName_ = fileName;
    loaded_ = true;
    return true;
}

// ---- Parameter conversions ----

bool FontData::GetLayer(const DataElement& parameter, FontLayer*& out)
{
    out = nullptr;
    if (parameter.isList)
        return false;
    out = FindLayer(AsSingle(parameter).value);
    if (!out)
        return ReportError("Undefined Layer");
    return true;
}

bool FontData::GetInt(const DataElement& parameter, int& out)
{
    out = 0;
    return !parameter.isList && ParseInt(AsSingle(parameter).value, out);
}

bool FontData::GetChar(const std::string& text, uint8_t& out)
{
    if (text.size() != 1)
        return false;
    out = static_cast<uint8_t>(text[0]);
    return true;
}

bool FontData::GetColor(const DataElement& parameter, Color& out)
{
    int packed = 0;
    if (!parameter.isList && ParseInt(AsSingle(parameter).value, packed)) {
        out = Color(static_cast<uint32_t>(packed));
        return true;
    }
    std::vector<double> factors;
    if (!GetDoubleList(parameter, factors) || factors.size() < 4)
        return false;
    out = Color(ColorComponent(factors[0]), ColorComponent(factors[1]), ColorComponent(factors[2]),
                ColorComponent(factors[3]));
    return true;
}

// ---- Commands ----

bool FontData::ExecuteCommand(ListDataElement& parameters)
{
    using Handler = bool (FontData::*)(ListDataElement&);
    struct Command {
        const char* word;
        size_t count;
        Handler handler;
    };
    static const Command kCommands[] = {
        {"DEFINE", 3, &FontData::CmdDefine},
        {"CREATEHORZSPANRECTLIST", 4, &FontData::CmdCreateHorzSpanRectList},
        {"SETCHARMAP", 3, &FontData::CmdSetCharMap},
        {"LAYERPOINTRANGE", 4, &FontData::CmdLayerPointRange},
        {"LAYERSETIMAGE", 3, &FontData::CmdLayerSetImage},
        {"LAYERSETDRAWMODE", 3, &FontData::CmdLayerSetDrawMode},
        {"LAYERSETOFFSET", 3, &FontData::CmdLayerSetOffset},
        {"LAYERSETIMAGEMAP", 4, &FontData::CmdLayerSetImageMap},
        {"LAYERSETCHAROFFSETS", 4, &FontData::CmdLayerSetCharOffsets},
        {"LAYERSETKERNINGPAIRS", 4, &FontData::CmdLayerSetKerningPairs},
    };
    const std::string word = UpperCased(AsSingle(*parameters.elements.front()).value);
    const size_t count = parameters.Size();
    auto expect = [&](size_t wanted) { return count == wanted || ReportError("Invalid Number of Parameters"); };

    for (const Command& command : kCommands)
        if (word == command.word)
            return expect(command.count) && (this->*command.handler)(parameters);

    if (word == "SETDEFAULTPOINTSIZE") {
        if (!expect(2))
            return false;
        return GetInt(parameters.At(1), defaultPointSize_) || InvalidType();
    }
    if (word == "CREATELAYER")
        return expect(2) && CmdCreateLayer(parameters, false);
    if (word == "CREATELAYERFROM")
        return expect(3) && CmdCreateLayer(parameters, true);
    if (word == "LAYERREQUIRETAGS")
        return expect(3) && CmdLayerTags(parameters, true);
    if (word == "LAYEREXCLUDETAGS")
        return expect(3) && CmdLayerTags(parameters, false);
    if (word == "LAYERSETCOLORMULT")
        return expect(3) && CmdLayerColor(parameters, &FontLayer::colorMult);
    if (word == "LAYERSETCOLORADD")
        return expect(3) && CmdLayerColor(parameters, &FontLayer::colorAdd);
    if (word == "LAYERSETCHARWIDTHS")
        return expect(4) && CmdLayerCharInts(parameters, &FontGlyph::width);
    if (word == "LAYERSETCHARORDERS")
        return expect(4) && CmdLayerCharInts(parameters, &FontGlyph::order);

    static const std::pair<const char*, int32_t FontLayer::*> kIntCommands[] = {
        {"LAYERSETPOINTSIZE", &FontLayer::pointSize},
        {"LAYERSETHEIGHT", &FontLayer::height},
        {"LAYERSETASCENT", &FontLayer::ascent},
        {"LAYERSETASCENTPADDING", &FontLayer::ascentPadding},
        {"LAYERSETLINESPACINGOFFSET", &FontLayer::lineSpacingOffset},
        {"LAYERSETSPACING", &FontLayer::spacing},
        {"LAYERSETBASEORDER", &FontLayer::baseOrder},
    };
    for (const auto& [name, field] : kIntCommands)
        if (word == name)
            return expect(3) && CmdLayerInt(parameters, field);

    return ReportError("Unknown Command");
}

bool FontData::CmdDefine(ListDataElement& p)
{
    const DataElement& name = p.At(1);
    if (name.isList || IsLiteralValue(AsSingle(name).value))
        return InvalidType();
    const DataElement& value = p.At(2);
    std::unique_ptr<DataElement> stored;
    if (value.isList) {
        auto list = std::make_unique<ListDataElement>();
        if (!DereferenceList(static_cast<const ListDataElement&>(value), *list))
            return InvalidType();
        stored = std::move(list);
    } else if (DataElement* definition = FindDefinition(AsSingle(value).value)) {
        stored = definition->Clone();
    } else {
        stored = value.Clone();
    }
    SetDefinition(AsSingle(name).value, std::move(stored));
    return true;
}

bool FontData::CmdCreateHorzSpanRectList(ListDataElement& p)
{
    const DataElement& name = p.At(1);
    std::vector<int> rect;
    std::vector<int> widths;
    if (name.isList || !GetIntList(p.At(2), rect) || rect.size() != 4 || !GetIntList(p.At(3), widths))
        return InvalidType();
    auto list = std::make_unique<ListDataElement>();
    int64_t x = rect[0];
    for (int width : widths) {
        auto entry = std::make_unique<ListDataElement>();
        for (int64_t value : {x, int64_t(rect[1]), int64_t(width), int64_t(rect[3])})
            entry->Add(std::make_unique<SingleDataElement>(std::to_string(value)));
        list->Add(std::move(entry));
        x += width;
    }
    SetDefinition(AsSingle(name).value, std::move(list));
    return true;
}

bool FontData::CmdSetCharMap(ListDataElement& p)
{
    std::vector<std::string> from;
    std::vector<std::string> to;
    if (!GetStringList(p.At(1), from) || !GetStringList(p.At(2), to))
        return InvalidType();
    if (from.size() != to.size())
        return ReportError("List Size Mismatch");
    bool bad = false;
    for (size_t i = 0; i < from.size(); ++i) {
        uint8_t a = 0;
        uint8_t b = 0;
        if (GetChar(from[i], a) && GetChar(to[i], b))
            charMap_[a] = b;
        else
            bad = true;
    }
    return !bad || InvalidType();
}

bool FontData::CmdCreateLayer(ListDataElement& p, bool fromOther)
{
    const DataElement& name = p.At(1);
    if (name.isList)
        return InvalidType();
    std::unique_ptr<FontLayer> layer;
    if (fromOther) {
        FontLayer* source = nullptr;
        if (!GetLayer(p.At(2), source))
            return InvalidType();
        layer = std::make_unique<FontLayer>(*source);
    } else {
        layer = std::make_unique<FontLayer>(this);
    }
    AddLayer(AsSingle(name).value, std::move(layer));
    return true;
}

bool FontData::CmdLayerTags(ListDataElement& p, bool required)
{
    FontLayer* layer = nullptr;
    std::vector<std::string> tags;
    if (!GetLayer(p.At(1), layer) || !GetStringList(p.At(2), tags))
        return InvalidType();
    auto& target = required ? layer->requiredTags : layer->excludedTags;
    for (const auto& tag : tags)
        target.push_back(UpperCased(tag));
    return true;
}

bool FontData::CmdLayerPointRange(ListDataElement& p)
{
    FontLayer* layer = nullptr;
    int low = 0;
    int high = 0;
    if (!GetLayer(p.At(1), layer) || !GetInt(p.At(2), low) || !GetInt(p.At(3), high))
        return InvalidType();
    layer->minPointSize = low;
    layer->maxPointSize = high;
    return true;
}

bool FontData::CmdLayerInt(ListDataElement& p, int32_t FontLayer::*field)
{
    FontLayer* layer = nullptr;
    int value = 0;
    if (!GetLayer(p.At(1), layer) || !GetInt(p.At(2), value))
        return InvalidType();
    layer->*field = value;
    return true;
}

bool FontData::CmdLayerSetImage(ListDataElement& p)
{
    FontLayer* layer = nullptr;
    std::string file;
    if (!GetLayer(p.At(1), layer) || !GetStringValue(p.At(2), file))
        return InvalidType();
    const std::string path = ResolveRelativePath(file, PathDirectory(fileName_, false));
    bool created = false;
    SharedImageHandle handle;
    if (host_)
        handle = host_->AcquireSharedImage(path, "", &created);
    MemoryImage* image = handle.GetImage();
    if (!image)
        return ReportError("Failed to Load Image");
    if (created)
        image->ConvertToPalette();
    layer->image = handle;
    return true;
}

bool FontData::CmdLayerSetDrawMode(ListDataElement& p)
{
    FontLayer* layer = nullptr;
    int mode = 0;
    if (!GetLayer(p.At(1), layer) || !GetInt(p.At(2), mode) || (mode != 0 && mode != 1))
        return InvalidType();
    layer->drawMode = mode;
    return true;
}

bool FontData::CmdLayerColor(ListDataElement& p, Color FontLayer::*field)
{
    FontLayer* layer = nullptr;
    Color color;
    if (!GetLayer(p.At(1), layer) || !GetColor(p.At(2), color))
        return InvalidType();
    layer->*field = color;
    return true;
}

bool FontData::CmdLayerSetOffset(ListDataElement& p)
{
    FontLayer* layer = nullptr;
    std::vector<int> offset;
    if (!GetLayer(p.At(1), layer) || !GetIntList(p.At(2), offset) || offset.size() != 2)
        return InvalidType();
    layer->offsetX = offset[0];
    layer->offsetY = offset[1];
    return true;
}

bool FontData::CmdLayerCharInts(ListDataElement& p, int32_t FontGlyph::*field)
{
    FontLayer* layer = nullptr;
    std::vector<std::string> chars;
    std::vector<int> values;
    if (!GetLayer(p.At(1), layer) || !GetStringList(p.At(2), chars) || !GetIntList(p.At(3), values))
        return InvalidType();
    if (chars.size() != values.size())
        return ReportError("List Size Mismatch");
    bool bad = false;
    for (size_t i = 0; i < chars.size(); ++i) {
        uint8_t c = 0;
        if (GetChar(chars[i], c))
            layer->glyphs[c].*field = values[i];
        else
            bad = true;
    }
    return !bad || InvalidType();
}

bool FontData::CmdLayerSetImageMap(ListDataElement& p)
{
    FontLayer* layer = nullptr;
    std::vector<std::string> chars;
    ListDataElement rects;
    if (!GetLayer(p.At(1), layer) || !GetStringList(p.At(2), chars) || !DataToList(p.At(3), rects))
        return InvalidType();
    if (chars.size() != rects.Size())
        return ReportError("List Size Mismatch");
    MemoryImage* image = layer->image.GetImage();
    if (!image)
        return ReportError("Layer image not set");
    const int64_t imageWidth = image->GetWidth();
    const int64_t imageHeight = image->GetHeight();
    bool bad = false;
    for (size_t i = 0; i < chars.size(); ++i) {
        std::vector<int> r;
        uint8_t c = 0;
        if (!GetIntList(rects.At(i), r) || r.size() != 4 || !GetChar(chars[i], c)) {
            bad = true;
            continue;
        }
        // A cell of negative size would reach outside the image as surely
        // as one that ends past its edge.
        if (r[0] < 0 || r[1] < 0 || r[2] < 0 || r[3] < 0 || int64_t(r[0]) + r[2] > imageWidth ||
            int64_t(r[1]) + r[3] > imageHeight)
            return ReportError("Image rectangle out of bounds");
        layer->glyphs[c].imageRect = Rect(r[0], r[1], r[2], r[3]);
    }
    int64_t tallest = 0;
    for (const FontGlyph& glyph : layer->glyphs)
        tallest = std::max<int64_t>(tallest, int64_t(glyph.imageRect.height) + glyph.offsetY);
    layer->defaultHeight = static_cast<int32_t>(std::min<int64_t>(tallest, std::numeric_limits<int32_t>::max()));
    return !bad || InvalidType();
}

bool FontData::CmdLayerSetCharOffsets(ListDataElement& p)
{
    FontLayer* layer = nullptr;
    std::vector<std::string> chars;
    ListDataElement pairs;
    if (!GetLayer(p.At(1), layer) || !GetStringList(p.At(2), chars) || !DataToList(p.At(3), pairs))
        return InvalidType();
    if (chars.size() != pairs.Size())
        return ReportError("List Size Mismatch");
    bool bad = false;
    for (size_t i = 0; i < chars.size(); ++i) {
        std::vector<int> offset;
        uint8_t c = 0;
        if (!GetIntList(pairs.At(i), offset) || offset.size() != 2 || !GetChar(chars[i], c)) {
            bad = true;
            continue;
        }
        layer->glyphs[c].offsetX = offset[0];
        layer->glyphs[c].offsetY = offset[1];
    }
    return !bad || InvalidType();
}

bool FontData::CmdLayerSetKerningPairs(ListDataElement& p)
{
    FontLayer* layer = nullptr;
    std::vector<std::string> pairs;
    std::vector<int> values;
    if (!GetLayer(p.At(1), layer) || !GetStringList(p.At(2), pairs) || !GetIntList(p.At(3), values))
        return InvalidType();
    if (pairs.size() != values.size())
        return ReportError("List Size Mismatch");
    bool bad = false;
    for (size_t i = 0; i < pairs.size(); ++i) {
        if (pairs[i].size() != 2) {
            bad = true;
            continue;
        }
        const uint8_t a = static_cast<uint8_t>(pairs[i][0]);
        const uint8_t b = static_cast<uint8_t>(pairs[i][1]);
        layer->glyphs[a].kerning[b] = static_cast<int8_t>(static_cast<uint8_t>(values[i] & 0xFF));
    }
    return !bad || InvalidType();
}

} // namespace Zolt
