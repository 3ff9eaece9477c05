// The font descriptor: the description-language parser for image fonts. It
// executes each command of a descriptor file and builds the font's layers,
// character map, default point size and named definitions; or it reads the
// older width-list format. Shared by reference count among the image fonts
// copied from one font; loaded once and never changed afterwards, so fonts
// on any thread may read it. The reference count is atomic.
#pragma once

#include "framework/resources/DescParser.h"
#include "framework/resources/FontLayer.h"

#include <array>
#include <atomic>
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace Zolt {

class Color;
class FontHost;
class MemoryImage;

// Its errors come back from the parser it is (as its error sink) and are
// shown through the font host with the descriptor's name in front.
class FontData : public DescParser, private DescErrorSink {
public:
    FontData();
    ~FontData() override;

    // Reads a descriptor; false when already loaded or when a command failed.
    bool Load(FontHost* host, const std::string& fileName);
    // The same with the descriptor's text in memory (fileName names it in
    // messages and is the folder images are found in).
    bool LoadFromText(FontHost* host, const std::string& fileName, const std::string& text);
    // The width-list format: one layer of the image (borrowed: the caller
    // keeps it alive as long as the font data), character widths from the
    // file.
    bool LoadWidthListFont(MemoryImage* image, const std::string& fileName);

    bool ExecuteCommand(ListDataElement& parameters) override;

    bool GetLayer(const DataElement& parameter, FontLayer*& out);
    bool GetColor(const DataElement& parameter, Color& out);

    void AddRef() { ++refCount_; }
    // Deletes the font data when this was the last reference.
    void Release();

    bool IsLoaded() const { return loaded_; }
    int32_t DefaultPointSize() const { return defaultPointSize_; }
    uint8_t MapChar(char c) const { return charMap_[static_cast<uint8_t>(c)]; }
    const std::vector<std::unique_ptr<FontLayer>>& Layers() const { return layers_; }
    // The layer of that name (compared without regard to case), or null.
    FontLayer* FindLayer(const std::string& name) const;
    const std::string& FileName() const { return fileName_; }

private:
    void OnDescError(const std::string& text, int line, const std::string& command) override;
    bool BeginLoad(FontHost* host, const std::string& fileName);
    // Appends a layer under the name; an existing name is reported but the
    // layer stays in the list, unnamed.
    void AddLayer(const std::string& name, std::unique_ptr<FontLayer> layer);
    bool InvalidType() { return ReportError("Invalid Paramater Type"); }
    bool GetInt(const DataElement& parameter, int& out);
    bool GetChar(const std::string& text, uint8_t& out);

    bool CmdDefine(ListDataElement& p);
    bool CmdCreateHorzSpanRectList(ListDataElement& p);
    bool CmdSetCharMap(ListDataElement& p);
    bool CmdCreateLayer(ListDataElement& p, bool fromOther);
    bool CmdLayerTags(ListDataElement& p, bool required);
    bool CmdLayerPointRange(ListDataElement& p);
    bool CmdLayerInt(ListDataElement& p, int32_t FontLayer::*field);
    bool CmdLayerSetImage(ListDataElement& p);
    bool CmdLayerSetDrawMode(ListDataElement& p);
    bool CmdLayerColor(ListDataElement& p, Color FontLayer::*field);
    bool CmdLayerSetOffset(ListDataElement& p);
    bool CmdLayerCharInts(ListDataElement& p, int32_t FontGlyph::*field);
    bool CmdLayerSetImageMap(ListDataElement& p);
    bool CmdLayerSetCharOffsets(ListDataElement& p);
    bool CmdLayerSetKerningPairs(ListDataElement& p);

    bool loaded_ = false;
    std::atomic<int32_t> refCount_{0};
    FontHost* host_ = nullptr;
    int32_t defaultPointSize_ = 0;
    std::array<uint8_t, 256> charMap_{};
    std::vector<std::unique_ptr<FontLayer>> layers_;
    std::map<std::string, FontLayer*> layersByName_;
    std::string fileName_;
    std::string errorPrefix_;
};

} // namespace Zolt
