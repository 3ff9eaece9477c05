// A push button drawn from state images or as a plain bevelled face, with an
// optional label, a fading hover image, and a listener told of presses,
// clicks, holds and hovering.
//
// Main thread only. The button owns its label font; its images and its
// listener are not owned.
#pragma once

#include "framework/widgets/ButtonListener.h"
#include "framework/widgets/Widget.h"

#include <memory>
#include <string>

namespace Zolt {

class Font;

class ButtonWidget : public Widget {
public:
    enum ColorIndex { kLabel = 0, kLabelOver = 1, kDarkEdge = 2, kLightEdge = 3, kShadow = 4, kFace = 5 };

    ButtonWidget(int id, ButtonListener* listener);
    ~ButtonWidget() override;

    void Tick() override;
    void Paint(Graphics* g) override;
    void SetDisabledState(bool disabled) override;
    void OnMouseEnter() override;
    void OnMouseLeave() override;
    void OnMouseMove(int x, int y) override;
    void OnMouseButtonDown(int x, int y, int button, int clickCount) override;
    void OnMouseButtonUp(int x, int y, int button, int clickCount) override;

    // Draws that part of the normal image when the part has a width, else
    // the whole state image.
    virtual void DrawButtonPart(Graphics* g, Image* stateImage, const Rect& part, int x, int y);
    // Keeps a copy of the font (none for null) and deletes the old one.
    virtual void SetLabelFont(Font* font);
    virtual bool ShowsPressed();

    // A state has an image when its own image is set or its source rect
    // has a width.
    bool HasStateImage(Image* image, const Rect& part) const;

    int GetId() const { return id_; }
    const std::string& GetLabel() const { return label_; }
    void SetLabel(const std::string& label)
    {
        label_ = label;
        Invalidate();
    }
    void SetLabelJustification(int justification) { labelJustification_ = justification; }
    Font* GetLabelFont() const { return labelFont_.get(); }
    ButtonListener* GetListener() const { return listener_; }
    void SetListener(ButtonListener* listener) { listener_ = listener; }

    Image* normalImage = nullptr;
    Image* overImage = nullptr;
    Image* downImage = nullptr;
    Image* disabledImage = nullptr;
    Rect normalRect;
    Rect overRect;
    Rect downRect;
    Rect disabledRect;
    bool pressedLookInverted = false;
    bool hiddenFace = false;
    bool noFrame = false;
    double overFade = 0.0;
    double fadeOutStep = 0.0;
    double fadeInStep = 0.0;

protected:
    // Creates the default label font when there is a label and no font.
    void EnsureLabelFont();
    // Label x and y for the current font and size.
    int LabelX() const;
    int LabelY() const;
    const Color& LabelColor() { return GetColorAt(isOver_ ? kLabelOver : kLabel); }
    void DrawLabel(Graphics* g, int x, int y);
    // The normal image, then the over image tinted by the fade; false when
    // no fade is under way.
    bool PaintFade(Graphics* g);

    int id_;
    std::string label_;
    int labelJustification_ = 0;
    std::unique_ptr<Font> labelFont_;
    ButtonListener* listener_;
    // The default label font: system font at this size and character set.
    int defaultFontPoints_ = 10;
    int defaultFontCharset_ = 0;
};

} // namespace Zolt
