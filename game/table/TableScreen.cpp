#include "game/table/TableScreen.h"

#include "controls/IButtonVO.h"
#include "controls/IFactory.h"
#include "controls/IFont.h"
#include "controls/IImageVO.h"
#include "controls/ISound.h"
#include "controls/IStringVO.h"
#include "game/table/ClickSound.h"
#include "common/RandomHelpers.h"
#include "common/TextHelpers.h"

#include <algorithm>

namespace Gamespace {

namespace {
constexpr int32_t kScreenWidth = 1024;
constexpr int32_t kScreenHeight = 768;
// Below the dialogs (1000), above the seats.
constexpr uint16_t kMenuButtonLayer = 700;
constexpr int16_t kMenuButtonWidth = 108;
constexpr int16_t kMenuButtonHeight = 27;

ControlLibrary::IFont* LoadFont(ControlLibrary::IFactory* factory, const char* file)
{
    ControlLibrary::IFont* font = factory->CreateFont();
    if (font != nullptr)
        font->Load(file);
    return font;
}

ControlLibrary::IImageVO* NewImage(ControlLibrary::IFactory* factory, const char* file, int32_t x, int32_t y,
                                   uint16_t layer)
{
    ControlLibrary::IImageVO* image = factory->CreateImageVO();
    if (image == nullptr)
        return nullptr;
    image->SetAlignment(1, 1);
    image->SetLayer(layer);
    image->SetPosition(x, y);
    if (file != nullptr)
        image->SetImage(file, true);
    return image;
}

template <typename T>
void SetVisible(T* object, bool on)
{
    if (object != nullptr)
        object->SetVisible(on);
}
} // namespace

TableScreen::TableScreen(ControlLibrary::IFactory* factory, ControlLibrary::MouseMessageObserver* menuObserver)
    : factory_(factory)
{
    if (factory_ == nullptr)
        return;
    captionFont_ = LoadFont(factory_, "fonts/Sylfaen19Bold.txt");
    potFont_ = LoadFont(factory_, "fonts/a_BosaNova14.txt");
    buttonFont_ = LoadFont(factory_, "fonts/MonotypeCorsiva14Italics.txt");

    background_ = NewImage(factory_, nullptr, kScreenWidth / 2, kScreenHeight / 2, 0);
    mainPot_ = NewImage(factory_, "images/main_pot.png", kPotPlateX, kPotPlateY, 50);
    const char* stageFiles[] = {"images/stages/flop.png", "images/stages/turn.png", "images/stages/river.png"};
    for (size_t i = 0; i < stages_.size(); ++i)
        stages_[i] = NewImage(factory_, stageFiles[i], 512, 400, 50);

    potCaption_ = factory_->CreateStringVO();
    if (potCaption_ != nullptr) {
        if (captionFont_ != nullptr)
            potCaption_->SetFont(captionFont_);
        potCaption_->SetPosition(75, kScreenHeight / 2 - 127);
    }
    potLabel_ = factory_->CreateStringVO();
    if (potLabel_ != nullptr) {
        if (potFont_ != nullptr)
            potLabel_->SetFont(potFont_);
        potLabel_->SetAlignment(1, 1);
        potLabel_->SetLayer(60);
        potLabel_->SetPosition(775, 320);
    }
    menuButton_ = factory_->CreateButtonVO();
    if (menuButton_ != nullptr) {
        // The shell's common button, switched to the menu's own face: the
        // word is painted on each of its four frames, so it needs no caption.
        menuButton_->SetAlignment(1, 1);
        menuButton_->SetLayer(kMenuButtonLayer);
        menuButton_->SetFonts({buttonFont_, nullptr, nullptr, nullptr});
        menuButton_->SetImages({"images/btn_menu.png", "", "", ""});
        std::array<ControlLibrary::Rect, 4> frames{};
        for (int16_t i = 0; i < 4; ++i)
            frames[size_t(i)] = ControlLibrary::Rect{0, i * kMenuButtonHeight, kMenuButtonWidth, kMenuButtonHeight};
        menuButton_->SetSourceRects(frames);
        menuButton_->SetSize(kMenuButtonWidth, kMenuButtonHeight);
        menuButton_->SetPosition(90, 730);
        if (menuObserver != nullptr)
            menuButton_->AddMouseObserver(menuObserver);
    }
    click_ = std::make_unique<ClickSound>(factory_);
    music_ = factory_->CreateSound(false);
    if (music_ != nullptr)
        music_->Load("sounds/main.ogg");
    for (auto& shuffle : shuffles_) {
        shuffle = factory_->CreateSound(false);
        if (shuffle != nullptr)
            shuffle->Load("sounds/table/card_deck_mix" + std::to_string(RandomInRange(0, 5)) + ".ogg");
    }
}

TableScreen::~TableScreen()
{
    if (factory_ == nullptr)
        return;
    for (ControlLibrary::IImageVO* image : {background_, mainPot_, stages_[0], stages_[1], stages_[2]})
        if (image != nullptr)
            factory_->ReleaseVO(image);
    for (ControlLibrary::IStringVO* text : {potCaption_, potLabel_})
        if (text != nullptr)
            factory_->ReleaseVO(text);
    if (menuButton_ != nullptr)
        factory_->ReleaseVO(menuButton_);
    click_.reset();
    factory_->ReleaseSound(music_);
    for (ControlLibrary::ISound* shuffle : shuffles_)
        factory_->ReleaseSound(shuffle);
    for (ControlLibrary::IFont* font : {captionFont_, potFont_, buttonFont_})
        factory_->ReleaseFont(font);
}

void TableScreen::ShowTable(bool on)
{
    if (on && background_ != nullptr)
        background_->SetImage("images/game_fon/redtable.jpg", true);
    SetVisible(background_, on);
    SetVisible(mainPot_, on);
    SetVisible(menuButton_, on);
    SetVisible(potCaption_, on);
    if (!on) {
        SetVisible(potLabel_, false);
        UpdateStageImages(0);
    }
}

void TableScreen::UpdateStageImages(uint32_t stage)
{
    for (size_t i = 0; i < stages_.size(); ++i)
        SetVisible(stages_[i], stage == i + 1);
}

void TableScreen::ShowPotLabel(bool on)
{
    SetVisible(potLabel_, on);
}

std::string TableScreen::PotText(double totalPot)
{
    return "$" + AmountToString(std::max(0.0, totalPot));
}

void TableScreen::SetPot(double totalPot)
{
    potText_ = PotText(totalPot);
    if (potLabel_ != nullptr)
        potLabel_->SetText(potText_);
}

void TableScreen::ClearPotLabel()
{
    potText_.clear();
    if (potLabel_ != nullptr)
        potLabel_->SetText("");
}

void TableScreen::PlayShuffleSound(uint32_t index)
{
    if (index < shuffles_.size() && shuffles_[index] != nullptr)
        shuffles_[index]->Play(false);
}

void TableScreen::PlayClick()
{
    if (click_ != nullptr)
        click_->Play();
}

void TableScreen::PlayMusic(bool on)
{
    if (music_ == nullptr)
        return;
    if (on)
        music_->Play(true);
    else
        music_->Stop();
}

uint32_t TableScreen::MenuButtonId() const
{
    return menuButton_ != nullptr ? menuButton_->GetId() : 0;
}

} // namespace Gamespace
