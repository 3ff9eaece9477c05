// A node of the widget tree that can be seen and touched: visibility,
// enabled state, focus, hover and pressed state, a colour table, mouse
// margins, pick rank, tab neighbours, and the event hooks the widget
// manager calls. Buttons, dialogs and the game's bridge derive from it.
//
// Main thread only. A widget deleted while it is in a tree takes itself out
// of it first, so no list or role of the manager is left pointing at it.
#pragma once

#include "framework/graphics/Color.h"
#include "framework/widgets/WidgetContainer.h"
#include "platform/window/VirtualKeys.h"

#include <string>
#include <vector>

namespace Zolt {

class Image;
class WidgetHost;

class Widget : public WidgetContainer {
public:
    static constexpr int kKeyTab = platform::VK_TAB;
    static constexpr int kKeyShift = platform::VK_SHIFT;
    static constexpr int kKeyControl = platform::VK_CONTROL;
    static constexpr int32_t kDefaultPickRank = 500;

    Widget();
    ~Widget() override;

    virtual int32_t GetPickRank();
    // Stored zero-extended, and compared as unsigned in the hit test.
    virtual void SetPickRank(uint16_t rank);
    virtual void OnReordered();
    virtual void SetShown(bool shown);
    // `count` colours of four ints (red, green, blue, alpha) each.
    virtual void SetColorsRgba(const int32_t* table, int count);
    // `count` colours of three ints each, opaque.
    virtual void SetColorsRgb(const int32_t* table, int count);
    virtual void SetColorAt(int index, const Color& color);
    virtual Color GetColorOr(int index, const Color& fallback);
    // Opaque black past the end of the table.
    virtual const Color& GetColorAt(int index);
    virtual void SetDisabledState(bool disabled);
    virtual void ShowHandCursor(bool show);
    virtual void SetBoundsRect(const Rect& rect);
    virtual void SetBounds(int32_t x, int32_t y, int32_t width, int32_t height);
    virtual void MoveTo(int32_t x, int32_t y);
    virtual bool AcceptsFocus();
    virtual void PaintOverlayAt(Graphics* g, int priority);
    virtual void PaintOverlay(Graphics* g);
    virtual void OnFocusGained();
    virtual void OnFocusLost();
    virtual void OnChar(char c);
    // TAB moves the focus to the tab neighbour (the previous one with Shift).
    virtual void OnKeyDown(int key);
    virtual void OnKeyUp(int key);
    virtual void OnMouseEnter();
    virtual void OnMouseLeave();
    virtual void OnMouseMove(int x, int y);
    // Button 0 left, 1 right, 2 middle.
    virtual void OnMouseButtonDown(int x, int y, int button, int clickCount);
    // Click codes: 1 left, 2 left double, -1 right, -2 right double, 3 middle.
    virtual void OnMouseDown(int x, int y, int clickCode);
    virtual void OnMouseButtonUp(int x, int y, int button, int clickCount);
    virtual void OnMouseUp(int x, int y, int clickCode);
    virtual void OnMouseRelease(int x, int y);
    virtual void OnMouseDrag(int x, int y);
    virtual void OnMouseWheel(int delta);
    virtual bool AcceptsPoint(int x, int y);
    virtual void DrawCenteredLineShadowed(Rect& out, Graphics* g, int baseline, const std::string& text,
                                          const Color& textColor, const Color& shadowColor,
                                          const Point& shadowOffset);
    virtual void DrawCenteredLine(Rect& out, Graphics* g, int baseline, const std::string& text);
    virtual int WriteText(Graphics* g, const std::string& text, int x, int y, int width, int justification,
                          bool draw, int first, int count);
    virtual int WriteWrappedText(Graphics* g, const Rect& box, const std::string& text, int lineSpacing,
                                 int justification);
    virtual int MeasureWrappedText(Graphics* g, int width, const std::string& text, int lineSpacing);
    virtual int CountDigits(int n);
    // The strip holds the digits 0 to 9 side by side.
    virtual void DrawNumberFromStrip(Graphics* g, int number, int x, int y, Image* strip, int spacing);
    // In parent coordinates.
    virtual bool ContainsPoint(int x, int y);
    // The rectangle less the mouse margins, in parent coordinates.
    virtual void GetInnerRect(Rect& out);

    bool IsShown() const { return shown_; }
    bool IsMouseVisible() const { return mouseVisible_; }
    void SetMouseVisible(bool visible) { mouseVisible_ = visible; }
    bool IsDisabled() const { return disabled_; }
    bool HasFocus() const { return hasFocus_; }
    bool IsDown() const { return isDown_; }
    void SetDown(bool down) { isDown_ = down; }
    bool IsOver() const { return isOver_; }
    void SetOver(bool over) { isOver_ = over; }
    bool HasTransparentAreas() const { return hasTransparentAreas_; }
    const Margins& GetMouseMargins() const { return mouseMargins_; }
    void SetMouseMargins(const Margins& margins) { mouseMargins_ = margins; }
    bool WantsHandCursor() const { return wantsHandCursor_; }
    void SetWantsHandCursor(bool wants) { wantsHandCursor_ = wants; }
    void SetWantsFocus(bool wants) { wantsFocus_ = wants; }
    Widget* GetTabPrevious() const { return tabPrevious_; }
    Widget* GetTabNext() const { return tabNext_; }
    void SetTabPrevious(Widget* widget) { tabPrevious_ = widget; }
    void SetTabNext(Widget* widget) { tabNext_ = widget; }
    size_t CountColors() const { return colors_.size(); }

    // The default colour, opaque black.
    static const Color kDefaultColor;

protected:
    // The manager's application when attached, else the process-wide one.
    WidgetHost* Host() const;

    int32_t pickRank_ = kDefaultPickRank;
    bool shown_ = true;
    bool mouseVisible_ = true;
    bool disabled_ = false;
    bool hasFocus_ = false;
    bool isDown_ = false;
    bool isOver_ = false;
    bool hasTransparentAreas_ = false;
    std::vector<Color> colors_;
    Margins mouseMargins_;
    bool wantsHandCursor_ = false;
    bool wantsFocus_ = false;
    Widget* tabPrevious_ = nullptr;
    Widget* tabNext_ = nullptr;
};

} // namespace Zolt
