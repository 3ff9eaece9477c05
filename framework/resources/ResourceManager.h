// The resource manager: turns XML resource descriptions into named records
// of images, sounds and fonts, kept in groups, and realises ("loads") one
// group at a time: images through the application's shared-image cache,
// sounds through its sound manager, fonts as image fonts or system fonts.
// Callers then ask for a loaded resource by its id; a missing one throws
// ResourceManagerException.
//
// A description file (LoadResourceFile) is one "ResourceManifest" element
// holding "Resources" elements, each naming its group with "id" and holding
// "Image", "Sound", "Font" and "SetDefaults" elements:
//   <ResourceManifest>
//     <Resources id="Start">
//       <SetDefaults path="images" idprefix="IMAGE_"/>
//       <Image path="table" nopal/>
//     </Resources>
//   </ResourceManifest>
// "SetDefaults" holds until the end of its group.
//
// Errors: the first failure since the last reset (BeginGroup, RealizeGroup,
// LoadResourceFile) is kept, with " on Line N in File 'name'" added while a
// description is being read; later failures are dropped.
//
// Thread: one thread at a time uses a manager (the main thread, or the
// loading thread while it loads groups); no locks of its own.
#pragma once

#include "framework/graphics/Font.h"
#include "framework/graphics/ImageAnimation.h"
#include "framework/graphics/SharedImage.h"
#include "framework/resources/ResourceManagerException.h"

#include <cstdint>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

struct XmlElement;
class XmlReader;

namespace Zolt {

class MemoryImage;
class ResourceHost;

class ResourceManager {
public:
    enum ResType : int32_t { kImage = 0, kSound = 1, kFont = 2 };

    // One resource of the description. Its loaded data starts empty;
    // ReleaseData returns it to that state.
    struct BaseRes {
        virtual ~BaseRes() = default;
        virtual void ReleaseData() {}

        int32_t type = kImage;
        std::string id;
        std::string group;
        // What the loaders open and the messages print.
        std::string path;
        std::map<std::string, std::string> attributes;
        // The path is exactly "!program": the program supplies the data.
        bool fromProgram = false;
    };

    struct ImageRes : BaseRes {
        ImageRes() { type = kImage; }
        void ReleaseData() override { image.Release(); }
        bool IsLoaded() const { return image.GetImage() != nullptr; }

        SharedImageHandle image;
        std::string alphaImagePath;
        std::string alphaGridPath;
        std::string variant;
        bool useAlpha = true;
        bool mayPalettize = true;
        bool a4r4g4b4 = false;
        bool a8r8g8b8 = false;
        bool ddSurface = false;
        bool noBits = false;
        bool minSubdivide = false;
        int32_t rows = 1;
        int32_t cols = 1;
        uint32_t alphaColor = 0xFFFFFF;
        ImageAnimation animation;
    };

    struct SoundRes : BaseRes {
        explicit SoundRes(ResourceHost* owner) : host(owner) { type = kSound; }
        // Frees the id in the application's sound manager.
        void ReleaseData() override;
        bool IsLoaded() const { return soundId != -1; }

        ResourceHost* host;
        int32_t soundId = -1;
        // Below 0: not set.
        double volume = -1.0;
        int32_t pan = 0;
    };

    struct FontRes : BaseRes {
        FontRes() { type = kFont; }
        FontRes(const FontRes&) = delete;
        FontRes& operator=(const FontRes&) = delete;
        ~FontRes() override;
        // Deletes the font, then lets go of its image.
        void ReleaseData() override;
        bool IsLoaded() const { return font != nullptr; }

        std::unique_ptr<Font> font;
        // The image of a width-list font. The font and every font cloned
        // from it ("!ref:") draw from it, so each of their records holds a
        // share and the image lives as long as the last of them.
        std::shared_ptr<MemoryImage> image;
        std::string imagePath;
        std::string tags;
        bool sysFont = false;
        bool bold = false;
        bool italic = false;
        bool underline = false;
        bool shadow = false;
        int32_t size = 0;
    };

    using RecordMap = std::map<std::string, std::unique_ptr<BaseRes>>;

    // The host may be null: nothing can then be loaded, and every
    // realisation fails with its message.
    explicit ResourceManager(ResourceHost* host = nullptr);
    ResourceManager(const ResourceManager&) = delete;
    ResourceManager& operator=(const ResourceManager&) = delete;

    virtual bool ReadCommonAttributes(const XmlElement& element, BaseRes* record, RecordMap& map);
    virtual bool ReadSoundElement(const XmlElement& element);
    virtual bool ReadImageElement(const XmlElement& element);
    virtual bool ReadFontElement(const XmlElement& element);
    virtual bool ReadDefaultsElement(const XmlElement& element);
    // Reads the current group's elements up to the group's end tag; the
    // reader stands just after the group's start tag.
    virtual bool ReadGroupElement();
    virtual void ReleaseGroup(const std::string& group);
    // Releases the loaded data of the map's records of the group (of every
    // record when the name is empty); the records stay.
    virtual void ReleaseRecordData(RecordMap& map, const std::string& group);
    virtual bool RealizeImage(ImageRes& record);
    virtual bool RealizeFont(FontRes& record);
    virtual bool RealizeSound(SoundRes& record);
    virtual ~ResourceManager();
    // Realises the next record of the current group that is not loaded;
    // false at the end of the group or once a failure is recorded.
    virtual bool RealizeNextInGroup();
    virtual void OnRecordRealized(BaseRes& record) { (void)record; }
    virtual void BeginGroup(const std::string& group);
    virtual bool RealizeGroup(const std::string& group);
    virtual SharedImageHandle RequireImage(const std::string& id);
    virtual int RequireSound(const std::string& id);
    // The manager keeps the font.
    virtual Font* RequireFont(const std::string& id);

    bool HasFailed() const { return failed_; }
    std::string LastErrorMessage() const { return errorText_; }
    // The loaded font of the record, or null (no error is recorded).
    Font* FindFont(const std::string& id) const;
    // Records the first failure (see the class comment); always false.
    bool Fail(const std::string& text);

    // Reads a whole description file (see the class comment). False with the
    // error text when the file cannot be read or is malformed; the records
    // of the groups read before the fault stay.
    bool LoadResourceFile(const std::string& fileName);

    // The reader of the description being read; not owned, may be null.
    void SetXmlReader(XmlReader* reader) { reader_ = reader; }
    XmlReader* GetXmlReader() const { return reader_; }
    // RequireImage, RequireSound and RequireFont return an empty result
    // for a "!program" record that is not loaded instead of throwing.
    void SetAllowMissingProgramResources(bool allow) { allowMissingProgram_ = allow; }
    // A repeated id updates the existing record instead of failing.
    void SetAllowRedefinition(bool allow) { allowRedefinition_ = allow; }
    bool IsGroupLoaded(const std::string& group) const { return loadedGroups_.count(group) != 0; }
    ResourceHost* GetHost() const { return host_; }

protected:
    // Fills a record's own settings from the element's attributes.
    bool ReadImageSettings(const XmlElement& element, ImageRes& record);
    bool ReadSoundSettings(const XmlElement& element, SoundRes& record);
    bool ReadFontSettings(const XmlElement& element, FontRes& record);
    // After ReadCommonAttributes failed: true when the failure was a
    // repeated id that may update the record already there.
    bool MayRedefine();
    bool ApplyAlphaImage(ImageRes& record, MemoryImage& image);
    bool ApplyAlphaGrid(ImageRes& record, MemoryImage& image);
    // The reader's own error, or the end of the file where more was due.
    bool FailFromReader();
    // Expects the end tag that closes an element just read.
    bool ExpectEndTag();

    std::set<std::string> loadedGroups_;
    RecordMap images_;
    RecordMap sounds_;
    RecordMap fonts_;
    XmlReader* reader_ = nullptr;
    std::string errorText_;
    bool failed_ = false;
    ResourceHost* host_;
    std::string currentGroup_;
    std::string defaultPathPrefix_;
    std::string defaultIdPrefix_;
    bool allowMissingProgram_ = false;
    bool allowRedefinition_ = false;
    bool lastWasDuplicate_ = false;
    std::map<std::string, std::vector<BaseRes*>> groups_;
    // The group being realised and the position of its next record.
    std::vector<BaseRes*>* realizeList_ = nullptr;
    size_t realizeCursor_ = 0;
};

} // namespace Zolt
