#include "ResourceTestSupport.h"

#include "imagelib/ImageLib.h"
#include "tests/support/ImageFixtures.h"

#include <stdexcept>

namespace restest {

TestResourceHost::~TestResourceHost()
{
    for (auto& [key, record] : shared)
        delete record->image;
}

Zolt::SharedImageHandle TestResourceHost::AcquireSharedImage(const std::string& fileName,
                                                             const std::string& variant, bool* created)
{
    alphaColorsSeen.push_back(ImageLib::gAlphaComposeColor);
    if (created)
        *created = false;
    const auto key = std::make_pair(fileName, variant);
    auto it = shared.find(key);
    if (it == shared.end()) {
        Zolt::MemoryImage* image = LoadImageFile(fileName, true);
        if (!image)
            return Zolt::SharedImageHandle();
        auto record = std::make_unique<Zolt::SharedImage>();
        record->image = image;
        it = shared.emplace(key, std::move(record)).first;
        if (created)
            *created = true;
    }
    return Zolt::SharedImageHandle(it->second.get());
}

Zolt::MemoryImage* TestResourceHost::LoadImageFile(const std::string& fileName, bool lookForAlpha)
{
    if (throwOnLoad)
        throw std::runtime_error("loader threw");
    std::unique_ptr<ImageLib::Image> loaded(ImageLib::LoadImageFile(fileName, lookForAlpha));
    if (!loaded)
        return nullptr;
    ++diskLoads;
    auto* image = new Zolt::MemoryImage(nullptr);
    image->AssignBits(loaded->GetBits(), loaded->GetWidth(), loaded->GetHeight(), true);
    return image;
}

int FakeSoundManager::FirstFreeSoundId()
{
    for (int id = 0; id < idLimit && id < 256; ++id)
        if (names[id].empty())
            return id;
    return -1;
}

int FakeSoundManager::FindOrLoadSound(const std::string& name)
{
    for (int id = 0; id < 256; ++id)
        if (names[id] == name)
            return id;
    const int id = FirstFreeSoundId();
    return id >= 0 && LoadSoundFile(id, name) ? id : -1;
}

bool FakeSoundManager::LoadSoundFile(int id, const std::string& name)
{
    if (id < 0 || id >= 256 || !files.count(name))
        return false;
    names[id] = name;
    return true;
}

bool FakeSoundManager::SetDefaultVolume(int id, double volume)
{
    volumes[id] = volume;
    return true;
}

bool FakeSoundManager::SetDefaultPan(int id, int pan)
{
    pans[id] = pan;
    return true;
}

void FakeSoundManager::FreeSound(int id)
{
    freed.push_back(id);
    if (id >= 0 && id < 256)
        names[id].clear();
}

int FakeSoundManager::CountLoadedSounds()
{
    int count = 0;
    for (const std::string& name : names)
        count += name.empty() ? 0 : 1;
    return count;
}

std::vector<std::string> TestManager::GroupIds(const std::string& group)
{
    std::vector<std::string> ids;
    auto it = groups_.find(group);
    if (it != groups_.end())
        for (BaseRes* record : it->second)
            ids.push_back(record->id);
    return ids;
}

std::string ResourceFixture::WritePng(const std::string& name, int w, int h, const std::vector<uint32_t>& pixels)
{
    return folder.Write(name, fixtures::MakeRgbaPng(w, h, pixels));
}

std::string ResourceFixture::WriteText(const std::string& name, const std::string& text)
{
    return folder.Write(name, fixtures::Bytes(text.begin(), text.end()));
}

bool ResourceFixture::LoadManifest(const std::string& body)
{
    WriteText("res.xml", "<ResourceManifest>\n" + body + "</ResourceManifest>\n");
    return manager.LoadResourceFile(ManifestPath());
}

bool ResourceFixture::LoadGroup(const std::string& elements)
{
    return LoadManifest("<Resources id=\"G\">\n<SetDefaults path=\"" + folder.Path() + "\"/>\n" + elements +
                        "</Resources>\n");
}

std::string ResourceFixture::WriteWidthListFont(const std::string& stem)
{
    // Glyphs a (4 wide) and b (6 wide), opaque white on clear.
    std::vector<uint32_t> pixels(10 * 6, 0xFFFFFFFFu);
    WritePng(stem + ".png", 10, 6, pixels);
    return WriteText(stem + ".txt", "3 5\na 4\nb 6\n");
}

} // namespace restest
