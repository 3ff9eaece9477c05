// The table's own screen objects: background, main pot picture, the three
// stage pictures, the pot caption and label, the menu button, and its sounds
// (click, music, three shuffle variants chosen once). Without a control
// factory every operation does nothing.
//
// Threads: the main thread.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>

namespace ControlLibrary {
class IButtonVO;
class IFactory;
class IFont;
class IImageVO;
class ISound;
class IStringVO;
class MouseMessageObserver;
} // namespace ControlLibrary

namespace Gamespace {

class ClickSound;

class TableScreen {
public:
    // `menuObserver` hears the menu button's clicks.
    TableScreen(ControlLibrary::IFactory* factory, ControlLibrary::MouseMessageObserver* menuObserver);
    ~TableScreen();
    TableScreen(const TableScreen&) = delete;
    TableScreen& operator=(const TableScreen&) = delete;

    void ShowTable(bool on);
    // Exactly the picture of `stage` (1 flop, 2 turn, 3 river) is shown.
    void UpdateStageImages(uint32_t stage);
    void ShowPotLabel(bool on);
    // "$" and the whole part of the pot.
    void SetPot(double totalPot);
    void ClearPotLabel();
    std::string GetPotText() const { return potText_; }
    void PlayShuffleSound(uint32_t index);
    // The click of the table's buttons.
    void PlayClick();
    void PlayMusic(bool on);
    // The menu button's id; 0 without one.
    uint32_t MenuButtonId() const;

    static std::string PotText(double totalPot);

    // The middle of the main pot picture.
    static constexpr int32_t kPotPlateX = 780;
    static constexpr int32_t kPotPlateY = 320;

private:
    ControlLibrary::IFactory* factory_;
    ControlLibrary::IImageVO* background_ = nullptr;
    ControlLibrary::IImageVO* mainPot_ = nullptr;
    std::array<ControlLibrary::IImageVO*, 3> stages_{};
    ControlLibrary::IStringVO* potCaption_ = nullptr;
    ControlLibrary::IStringVO* potLabel_ = nullptr;
    ControlLibrary::IButtonVO* menuButton_ = nullptr;
    ControlLibrary::IFont* captionFont_ = nullptr;
    ControlLibrary::IFont* potFont_ = nullptr;
    ControlLibrary::IFont* buttonFont_ = nullptr;
    std::unique_ptr<ClickSound> click_;
    ControlLibrary::ISound* music_ = nullptr;
    std::array<ControlLibrary::ISound*, 3> shuffles_{};
    std::string potText_;
};

} // namespace Gamespace
