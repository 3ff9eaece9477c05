#include "tests/support/ControlTestHost.h"

#include "controls/IFont.h"

namespace testing_support {

bool RecordingMusic::LoadMusicFile(int id, const std::string& fileName)
{
    if (fileName.find("missing") != std::string::npos)
        return false;
    loaded[id] = fileName;
    return true;
}

void RecordingMusic::StartTrackAtVolume(int id, double volume, int offset, bool noLoop)
{
    starts.push_back(Start{id, volume, offset, noLoop});
    playing[id] = true;
}

void RecordingMusic::DropTrack(int id)
{
    dropped.push_back(id);
    loaded.erase(id);
}

ControlTestHost::ControlTestHost() : widgets_(std::make_unique<Zolt::WidgetManager>(&widgetHost_)) {}

ControlTestHost::~ControlTestHost() = default;

void ControlTestHost::AddImage(const std::string& name, int w, int h, uint32_t argb)
{
    pictures_[name] = Picture{w, h, argb};
}

void ControlTestHost::AddPatternImage(const std::string& name, int w, int h)
{
    pictures_[name] = Picture{w, h, 0, true};
}

std::unique_ptr<Zolt::Image> ControlTestHost::LoadImageFile(const std::string& fileName, bool)
{
    imageLoads.push_back(fileName);
    auto it = pictures_.find(fileName);
    if (it == pictures_.end())
        return nullptr;
    auto image = std::make_unique<Zolt::MemoryImage>(nullptr);
    image->MakeBlank(it->second.w, it->second.h);
    uint32_t* bits = image->RequireBits();
    const Picture& p = it->second;
    for (int i = 0; i < p.w * p.h; ++i) {
        const uint32_t x = uint32_t(i % p.w), y = uint32_t(i / p.w);
        // Every pixel its own colour, and every fourth row half see-through.
        bits[i] = p.patterned ? ((y % 4 == 3 ? 0x80u : 0xFFu) << 24) | ((x * 37 + y * 11) & 0xFF) << 16 |
                                    ((x * 5 + y * 53) & 0xFF) << 8 | ((x ^ y) * 29 & 0xFF)
                              : p.argb;
    }
    image->MarkBitsChanged();
    return image;
}

std::unique_ptr<Zolt::Font> ControlTestHost::LoadFont(const std::string& descriptorFile)
{
    fontLoads.push_back(descriptorFile);
    if (descriptorFile.find("missing") != std::string::npos)
        return nullptr;
    return std::make_unique<widget_testing::BlockFont>(kFontAscent, kFontHeight);
}

bool ControlTestHost::OnChangeDirectory(const std::string& directory)
{
    directoryHooks.push_back(directory);
    return true;
}

void ControlTestHost::ChangeDisplayMode(bool w, bool use3D, bool force)
{
    displayModes.push_back(std::to_string(w) + "/" + std::to_string(use3D) + "/" + std::to_string(force));
}

bool ControlTestHost::RegReadText(const std::string& name, std::string& out)
{
    auto it = texts.find(name);
    if (it == texts.end())
        return false;
    out = it->second;
    return true;
}

bool ControlTestHost::RegReadNumber(const std::string& name, int& out)
{
    auto it = numbers.find(name);
    if (it == numbers.end())
        return false;
    out = it->second;
    return true;
}

bool ControlTestHost::RegReadFlag(const std::string& name, bool& out)
{
    int value = 0;
    if (!RegReadNumber(name, value))
        return false;
    out = value != 0;
    return true;
}

bool ControlTestHost::RegWriteText(const std::string& name, const std::string& text)
{
    texts[name] = text;
    return true;
}

bool ControlTestHost::RegWriteNumber(const std::string& name, int value)
{
    numbers[name] = value;
    return true;
}

bool ControlTestHost::RegWriteFlag(const std::string& name, bool value)
{
    numbers[name] = value ? 1 : 0;
    return true;
}

ControlScene::ControlScene(int screenW, int screenH) : time_(std::make_unique<TimeLibrary::TimeSystem_impl>())
{
    auto host = std::make_unique<ControlTestHost>();
    host_ = host.get();
    factory_ = std::make_unique<ControlLibrary::Factory_impl>(std::move(host), time_.get());
    screen_ = std::make_unique<Zolt::MemoryImage>(nullptr);
    screen_->MakeBlank(screenW, screenH);
    graphics_ = std::make_unique<Zolt::Graphics>(screen_.get());
    Paint(0xFF000000u);
}

ControlScene::~ControlScene()
{
    if (font_)
        factory_->ReleaseFont(font_);
    factory_.reset();
    time_.reset();
}

void ControlScene::Draw()
{
    factory_->DrawAll(graphics_.get());
}

bool ControlScene::DrawChanges(std::vector<Zolt::Rect>& changed)
{
    return factory_->DrawChanges(graphics_.get(), changed);
}

std::vector<uint32_t> ControlScene::Pixels() const
{
    const uint32_t* bits = screen_->GetBits();
    return std::vector<uint32_t>(bits, bits + size_t(screen_->GetWidth()) * size_t(screen_->GetHeight()));
}

void ControlScene::Step(int ms)
{
    for (int t = 0; t < ms; t += TimeLibrary::TimeSystem_impl::kPassMs)
        time_->TickAll();
}

uint32_t ControlScene::Pixel(int x, int y) const
{
    return screen_->GetBits()[y * screen_->GetWidth() + x] | 0xFF000000u;
}

void ControlScene::Paint(uint32_t argb)
{
    uint32_t* bits = screen_->RequireBits();
    for (int i = 0; i < screen_->GetWidth() * screen_->GetHeight(); ++i)
        bits[i] = argb;
    screen_->MarkBitsChanged();
}

ControlLibrary::IFont* ControlScene::Font()
{
    if (!font_) {
        font_ = factory_->CreateFont();
        font_->Load("fonts/Block10.txt");
    }
    return font_;
}

} // namespace testing_support
