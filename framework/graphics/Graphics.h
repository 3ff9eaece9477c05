// The drawing context every painter receives: a destination image, a float
// translation, a scale, a clip rectangle, a colour, a font and a draw mode.
// It turns drawing requests into translated and clipped calls of the
// destination's operations, keeps a stack of saved states, and writes text
// (single runs with colour tags, word-wrapped blocks). A context is used by
// one thread at a time: painters make one on their stack, draw and drop it.
#pragma once

#include "framework/graphics/Color.h"
#include "framework/graphics/Rect.h"

#include <memory>
#include <string>
#include <vector>

namespace Zolt {

class Font;
class Image;

// The state of a context, copied whole by SaveState and by copies.
class GraphicsState {
public:
    void CopyFrom(const GraphicsState& other) { *this = other; }

    Image* destination = nullptr;
    float translateX = 0;
    float translateY = 0;
    float scaleX = 1;
    float scaleY = 1;
    float scaleOriginX = 0;
    float scaleOriginY = 0;
    Rect clip;
    Color color;
    Font* font = nullptr; // not owned
    int32_t drawMode = DrawMode::Normal;
    // Images are drawn tinted by the current colour when set.
    bool tintImages = false;
    // Stretched images use the nearest sample when set, else the filter.
    bool quickStretch = false;
    // '^RRGGBB^' and '^oldclr^' in text change the colour.
    bool colorTags = true;
    bool blendHint = false;
    bool drawingOn3DScreen = false;
};

class Graphics : public GraphicsState {
public:
    // A null destination draws into a shared empty image: nothing happens.
    explicit Graphics(Image* destination = nullptr);
    // Copies the current state; the copy's saved-state stack starts empty.
    Graphics(const Graphics& other);
    Graphics& operator=(const Graphics&) = delete;
    virtual ~Graphics();

    std::unique_ptr<Graphics> Duplicate() const;
    void SaveState();
    // Does nothing when nothing was saved.
    void RestoreState();

    // The shared empty image of contexts made without a destination.
    static Image* BlankImage();
    // Tells whether an image is the display's 3D draw surface; the display
    // installs it, and without it no image is.
    using Screen3DQuery = bool (*)(Image*);
    static void SetScreen3DQuery(Screen3DQuery query);

    Image* GetDestination() const { return destination; }
    Font* GetFont() const { return font; }
    void SetFont(Font* f) { font = f; }
    const Color& GetColor() const { return color; }
    void SetColor(const Color& c) { color = c; }
    int GetDrawMode() const { return drawMode; }
    void SetDrawMode(int mode) { drawMode = mode; }
    bool GetTintImages() const { return tintImages; }
    void SetTintImages(bool tint) { tintImages = tint; }
    void SetQuickStretch(bool quick) { quickStretch = quick; }
    void SetBlendHint(bool hint) { blendHint = hint; }
    const Rect& GetClip() const { return clip; }

    void MoveOrigin(int dx, int dy);
    void NarrowClip(int x, int y, int width, int height);

    void FillRectangle(int x, int y, int width, int height);
    // Covers width + 1 by height + 1 pixels.
    void OutlineRectangle(int x, int y, int width, int height);
    void DrawLineSegment(int x1, int y1, int x2, int y2);
    // Clips a line to the clip rectangle; false when nothing remains.
    bool ClipLineSegment(double& x1, double& y1, double& x2, double& y2) const;

    void PaintImage(Image* image, int x, int y);
    // Draws nothing when the source rect reaches outside the image.
    void PaintImagePart(Image* image, int x, int y, const Rect& sourceRect);
    void PaintImageStretched(Image* image, const Rect& destRect, const Rect& sourceRect);
    void PaintImageRotatedFloat(Image* image, float x, float y, double angle, float centerX, float centerY,
                                const Rect* sourceRect);
    void PaintImageRotated(Image* image, int x, int y, double angle, int centerX, int centerY,
                           const Rect* sourceRect);
    // A nine-part frame: corners as they are, edges and centre tiled.
    void PaintImageFrame(const Rect& sourceRect, const Rect& destRect, Image* image);
    void PaintImageFrame(const Rect& destRect, Image* image);

    // Text; y is the baseline. Nothing without a font.
    void RenderText(const std::string& text, int x, int y);
    // Draws (or only measures) characters first .. first + count of a text
    // with colour tags; justification 1 right, 0 centre, else left.
    int WriteTaggedText(const std::string& text, int x, int y, int width, int justification, bool draw,
                        int first, int count, int oldColour);
    // Word-wraps the text into the box; returns the height used. A
    // charLimit below 0 means no limit; lineWidth, when given, is the x
    // offset of the first line on entry and the last line's width on exit.
    int WriteWrappedText(const Rect& box, const std::string& text, int lineSpacing, int justification,
                         int* maxWidth, int charLimit, int* lineWidth);
    int MeasureWrappedHeight(int width, const std::string& text, int lineSpacing, int* maxWidth);

private:
    const Color& Tint() const { return tintImages ? color : Color::White; }

    std::vector<GraphicsState> saved_;
};

} // namespace Zolt
