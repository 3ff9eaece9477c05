// Test doubles and scenario builders of the resource manager tests: an
// application stand-in that loads images from disk into memory images and
// keeps a table of 256 sound ids, a manager that shows its records, and a
// fixture that writes images, font files and description files into a
// temporary folder.
#pragma once

#include "framework/graphics/MemoryImage.h"
#include "framework/graphics/SharedImage.h"
#include "framework/resources/FontHost.h"
#include "framework/resources/ResourceHost.h"
#include "framework/resources/ResourceManager.h"
#include "framework/sound/SoundManager.h"
#include "tests/support/ImageFixtures.h"

#include <gtest/gtest.h>

#include <array>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <utility>
#include <vector>

namespace restest {

// A table of 256 sound ids; a sound "loads" when its name is in files.
class FakeSoundManager : public Zolt::SoundManager {
public:
    bool IsReady() override { return true; }
    int FindOrLoadSound(const std::string& name) override;
    bool LoadSoundFile(int id, const std::string& name) override;
    void FreeSound(int id) override;
    void SetEffectsVolume(double) override {}
    bool SetDefaultVolume(int id, double volume) override;
    bool SetDefaultPan(int id, int pan) override;
    Zolt::SoundInstance* NewInstance(int) override { return nullptr; }
    void FreeAllSounds() override { names.fill(std::string()); }
    void DeleteAllInstances() override {}
    double ReadMixerVolume() override { return 1.0; }
    void WriteMixerVolume(double) override {}
    void Refresh() override {}
    void AttachWindow(platform::HWND, bool) override {}
    void HaltAllSounds() override {}
    int FirstFreeSoundId() override;
    int CountLoadedSounds() override;

    std::set<std::string> files;
    // Ids at or above this count as taken.
    int idLimit = 256;
    std::array<std::string, 256> names{};
    std::map<int, double> volumes;
    std::map<int, int> pans;
    std::vector<int> freed;
};

class TestResourceHost : public Zolt::ResourceHost, public Zolt::FontHost {
public:
    TestResourceHost() = default;
    TestResourceHost(const TestResourceHost&) = delete;
    TestResourceHost& operator=(const TestResourceHost&) = delete;
    ~TestResourceHost() override;

    // Shared by (path, variant); loads count each image read from disk.
    Zolt::SharedImageHandle AcquireSharedImage(const std::string& fileName, const std::string& variant,
                                               bool* created) override;
    Zolt::MemoryImage* LoadImageFile(const std::string& fileName, bool lookForAlpha) override;
    bool IsIn3DMode() override { return in3D; }
    Zolt::FontHost* GetFontHostForResources() override { return this; }
    void ShowError(const std::string& text) override { errorBoxes.push_back(text); }

    Zolt::SoundManager* GetSoundManager() override { return withSounds ? &sounds : nullptr; }

    bool in3D = false;
    bool throwOnLoad = false;
    int diskLoads = 0;
    // The loader's alpha colour at each shared-image request.
    std::vector<int> alphaColorsSeen;
    std::vector<std::string> errorBoxes;
    std::map<std::pair<std::string, std::string>, std::unique_ptr<Zolt::SharedImage>> shared;

    FakeSoundManager sounds;
    bool withSounds = true;
};

// The manager with its records and groups in view.
class TestManager : public Zolt::ResourceManager {
public:
    using ResourceManager::ResourceManager;
    ImageRes* Image(const std::string& id) { return Find<ImageRes>(images_, id); }
    SoundRes* Sound(const std::string& id) { return Find<SoundRes>(sounds_, id); }
    FontRes* FontRecord(const std::string& id) { return Find<FontRes>(fonts_, id); }
    RecordMap& Images() { return images_; }
    std::vector<std::string> GroupIds(const std::string& group);
    size_t RecordCount() const { return images_.size() + sounds_.size() + fonts_.size(); }

    std::vector<std::string> realized;
    void OnRecordRealized(BaseRes& record) override { realized.push_back(record.id); }

private:
    template <class T>
    static T* Find(RecordMap& map, const std::string& id)
    {
        auto it = map.find(id);
        return it == map.end() ? nullptr : static_cast<T*>(it->second.get());
    }
};

class ResourceFixture : public ::testing::Test {
protected:
    // Writes an RGBA PNG under the folder; returns its full path.
    std::string WritePng(const std::string& name, int w, int h, const std::vector<uint32_t>& pixels);
    std::string WriteText(const std::string& name, const std::string& text);
    // Writes <ResourceManifest> + body + </ResourceManifest> as "res.xml"
    // and loads it.
    bool LoadManifest(const std::string& body);
    // One group "G" whose paths start in the temporary folder.
    bool LoadGroup(const std::string& elements);
    // A width-list font: a 10 x 6 glyph image stem.png and its width file
    // stem.txt; returns the width file's path.
    std::string WriteWidthListFont(const std::string& stem);
    std::string Dir() const { return folder.Path() + "/"; }
    std::string ManifestPath() const { return folder.File("res.xml"); }

    fixtures::TempFolder folder;
    TestResourceHost host;
    TestManager manager{&host};
};

} // namespace restest
