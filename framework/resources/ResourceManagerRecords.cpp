// The resource manager's records, its error keeping, the group steps and the
// look-ups by id.
#include "framework/graphics/Font.h"
#include "framework/resources/ResourceHost.h"
#include "framework/resources/ResourceManager.h"
#include "framework/resources/XmlReader.h"

#include "framework/base/StringUtils.h"
#include "framework/graphics/MemoryImage.h"
#include "framework/sound/SoundManager.h"

namespace Zolt {

ResourceManagerException::ResourceManagerException(const std::string& message) : std::exception(), text(message) {}

ResourceManagerException::~ResourceManagerException() = default;

const char* ResourceManagerException::what() const noexcept { return text.c_str(); }

void ResourceManager::SoundRes::ReleaseData()
{
    if (soundId >= 0 && host)
        if (SoundManager* sounds = host->GetSoundManager())
            sounds->FreeSound(soundId);
    soundId = -1;
}

ResourceManager::FontRes::~FontRes() { ReleaseData(); }

void ResourceManager::FontRes::ReleaseData()
{
    // The font draws from the image: it goes first.
    font.reset();
    image.reset();
}

ResourceManager::ResourceManager(ResourceHost* host) : host_(host) {}

ResourceManager::~ResourceManager()
{
    for (RecordMap* map : {&images_, &sounds_, &fonts_}) {
        for (auto& [id, record] : *map)
            record->ReleaseData();
        map->clear();
    }
    groups_.clear();
    loadedGroups_.clear();
    realizeList_ = nullptr;
}

bool ResourceManager::Fail(const std::string& text)
{
    if (failed_)
        return false;
    failed_ = true;
    errorText_ = text;
    if (reader_) {
        if (reader_->GetLineNumber() >= 1)
            errorText_ += " on Line " + std::to_string(reader_->GetLineNumber());
        const std::string file = reader_->GetFileName();
        if (!file.empty())
            errorText_ += " in File '" + file + "'";
    }
    return false;
}

void ResourceManager::ReleaseRecordData(RecordMap& map, const std::string& group)
{
    for (auto& [id, record] : map)
        if (group.empty() || record->group == group)
            record->ReleaseData();
}

void ResourceManager::ReleaseGroup(const std::string& group)
{
    ReleaseRecordData(images_, group);
    ReleaseRecordData(sounds_, group);
    ReleaseRecordData(fonts_, group);
    loadedGroups_.erase(group);
}

void ResourceManager::BeginGroup(const std::string& group)
{
    errorText_.clear();
    failed_ = false;
    currentGroup_ = group;
    realizeList_ = &groups_[group];
    realizeCursor_ = 0;
}

bool ResourceManager::RealizeNextInGroup()
{
    if (HasFailed() || !realizeList_)
        return false;
    // An index, not an iterator: reading more of the group may grow the list.
    while (realizeCursor_ < realizeList_->size()) {
        BaseRes* record = (*realizeList_)[realizeCursor_++];
        if (record->fromProgram)
            continue;
        switch (record->type) {
        case kImage: {
            auto& image = static_cast<ImageRes&>(*record);
            if (image.IsLoaded())
                continue;
            return RealizeImage(image);
        }
        case kSound: {
            auto& sound = static_cast<SoundRes&>(*record);
            if (sound.IsLoaded())
                continue;
            return RealizeSound(sound);
        }
        case kFont: {
            auto& font = static_cast<FontRes&>(*record);
            if (font.IsLoaded())
                continue;
            return RealizeFont(font);
        }
        default:
            continue;
        }
    }
    return false;
}

bool ResourceManager::RealizeGroup(const std::string& group)
{
    errorText_.clear();
    failed_ = false;
    BeginGroup(group);
    while (RealizeNextInGroup()) {
    }
    if (HasFailed())
        return false;
    loadedGroups_.insert(group);
    return true;
}

Font* ResourceManager::FindFont(const std::string& id) const
{
    const auto it = fonts_.find(id);
    if (it == fonts_.end())
        return nullptr;
    return static_cast<const FontRes&>(*it->second).font.get();
}

SharedImageHandle ResourceManager::RequireImage(const std::string& id)
{
    const auto it = images_.find(id);
    if (it != images_.end()) {
        auto& record = static_cast<ImageRes&>(*it->second);
        if (record.IsLoaded())
            return record.image;
        if (record.fromProgram && allowMissingProgram_)
            return SharedImageHandle();
    }
    Fail(FormatString("Image resource not found: %s", id.c_str()));
    throw ResourceManagerException(LastErrorMessage());
}

int ResourceManager::RequireSound(const std::string& id)
{
    const auto it = sounds_.find(id);
    if (it != sounds_.end()) {
        auto& record = static_cast<SoundRes&>(*it->second);
        if (record.IsLoaded())
            return record.soundId;
        if (record.fromProgram && allowMissingProgram_)
            return -1;
    }
    Fail(FormatString("Sound resource not found: %s", id.c_str()));
    throw ResourceManagerException(LastErrorMessage());
}

Font* ResourceManager::RequireFont(const std::string& id)
{
    const auto it = fonts_.find(id);
    if (it != fonts_.end()) {
        auto& record = static_cast<FontRes&>(*it->second);
        if (record.IsLoaded())
            return record.font.get();
        if (record.fromProgram && allowMissingProgram_)
            return nullptr;
    }
    Fail(FormatString("Font resource not found: %s", id.c_str()));
    throw ResourceManagerException(LastErrorMessage());
}

} // namespace Zolt
