// What buttons and check boxes share: four images with their source areas,
// three sounds, five background and five text colours, four fonts, a caption
// with its offset and the face-hidden switch. Sounds and fonts are held with
// a reference; images are entries of the factory's image table.
#pragma once

#include "controls/IButtonVO.h"
#include "controls/VisibleObject_impl.h"

#include <array>
#include <string>

namespace ControlLibrary {

class ButtonFace_impl : public VisibleObject_impl {
public:
    ButtonFace_impl(Factory_impl& factory, uint32_t id);
    ~ButtonFace_impl() override;

    void SetSounds(const ButtonSounds& sounds);
    void SetBackColours(const std::array<RGB, 5>& colours) { back_ = colours; }
    void SetFonts(const std::array<IFont*, 4>& fonts);
    void SetSourceRects(const std::array<Rect, 4>& sources) { sources_ = sources; }
    void SetCaption(const std::string& caption);
    std::string GetCaption() const;
    void SetCaptionOffset(const Point& offset) { captionOffset_ = offset; }
    void SetFaceHidden(bool hidden) { faceHidden_ = hidden; }
    bool IsFaceHidden() const { return faceHidden_; }
    // What state `state` (0..3) shows: its image (-1: none) and the part of it.
    int32_t GetImageHandle(size_t state) const { return state < images_.size() ? images_[state] : -1; }
    Rect GetSourceRect(size_t state) const { return state < sources_.size() ? sources_[state] : Rect{}; }
    // The caption's font in state `state` (0..3); null: none.
    IFont* GetFont(size_t state) const { return state < fonts_.size() ? fonts_[state] : nullptr; }
    // The caption's colours, in the order SetTextColours takes them.
    const std::array<RGB, 5>& GetTextColours() const { return text_; }

protected:
    // The first name goes into image 0; each later one, or the first when it
    // is empty, into its own slot.
    void LoadImages(const std::array<std::string, 4>& names);
    void PlayOnce(ISound* sound);
    // Draws image `index` (or fills with the colour when it has none).
    void DrawFace(const Rect& area, int imageIndex, const RGB& fill);

    std::array<int32_t, 4> images_{-1, -1, -1, -1};
    ButtonSounds sounds_;
    std::array<Rect, 4> sources_{};
    std::array<RGB, 5> back_{};
    std::array<RGB, 5> text_{};
    std::array<IFont*, 4> fonts_{};
    std::string caption_;
    Point captionOffset_;
    bool faceHidden_ = false;
};

} // namespace ControlLibrary
