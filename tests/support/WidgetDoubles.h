// Test doubles for the widget tree: a block font with fixed metrics, an
// application that records what widgets ask of it, a widget that logs every
// hook and paints a solid colour, and a scene builder that puts such
// widgets into a widget manager in a few lines.
#pragma once

#include "framework/graphics/Font.h"
#include "framework/graphics/MemoryImage.h"
#include "framework/widgets/Widget.h"
#include "framework/widgets/WidgetHost.h"
#include "framework/widgets/WidgetManager.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace widget_testing {

// Every character is 6 pixels wide; a drawn character is a 5 x ascent block
// standing on the baseline (spaces draw nothing).
class BlockFont : public Zolt::Font {
public:
    static constexpr int kAdvance = 6;
    BlockFont(int ascent = 8, int height = 10, int padding = 1, int lineGap = 2)
    {
        ascent_ = ascent;
        height_ = height;
        ascentPadding_ = padding;
        lineSpacingOffset_ = lineGap;
    }
    int32_t MeasureText(const std::string& text) override { return kAdvance * static_cast<int32_t>(text.size()); }
    void RenderText(Zolt::Graphics* g, int x, int y, const std::string& text, const Zolt::Color& color,
                    const Zolt::Rect& clip) override;
    Zolt::Font* Clone() override { return new BlockFont(*this); }
};

// Records what the widgets ask of the application.
class FakeWidgetHost : public Zolt::WidgetHost {
public:
    void SetCursorIndex(int index) override { cursors.push_back(index); }
    bool IsIn3DMode() override { return in3D; }
    bool BeginScreenPaint(Zolt::Image*) override
    {
        ++locks;
        return true;
    }
    void EndScreenPaint(Zolt::Image*) override { ++unlocks; }
    bool RunLoopIteration() override { return loop ? loop() : false; }
    bool CloseDialog(int id) override
    {
        closed.push_back(id);
        return onClose ? onClose(id) : false;
    }
    Zolt::DialogListener* GetDialogListener() override { return dialogListener; }
    std::unique_ptr<Zolt::Font> MakeSystemFont(const std::string& face, int points, int charset, bool, bool,
                                               bool) override
    {
        fonts.push_back(face + "/" + std::to_string(points) + "/" + std::to_string(charset));
        return std::make_unique<BlockFont>();
    }

    std::vector<int> cursors;
    bool in3D = false;
    int locks = 0;
    int unlocks = 0;
    std::function<bool()> loop;
    std::function<bool(int)> onClose;
    std::vector<int> closed;
    Zolt::DialogListener* dialogListener = nullptr;
    std::vector<std::string> fonts;
};

// Logs each hook as "name:event" into a shared log and paints a solid fill.
class ProbeWidget : public Zolt::Widget {
public:
    ProbeWidget(std::string name, std::vector<std::string>* log) : name_(std::move(name)), log_(log) {}

    void Tick() override;
    void Paint(Zolt::Graphics* g) override;
    void PaintOverlayAt(Zolt::Graphics*, int priority) override { Record("overlay" + std::to_string(priority)); }
    void OnFocusGained() override { Widget::OnFocusGained(), Record("focus"); }
    void OnFocusLost() override { Widget::OnFocusLost(), Record("blur"); }
    void OnChar(char c) override { Record(std::string("char ") + c); }
    void OnKeyDown(int key) override { Record("keydown " + std::to_string(key)), Widget::OnKeyDown(key); }
    void OnKeyUp(int key) override { Record("keyup " + std::to_string(key)); }
    void OnMouseEnter() override { Record("enter"); }
    void OnMouseLeave() override { Record("leave"); }
    void OnMouseMove(int x, int y) override { Record("move " + Pair(x, y)); }
    void OnMouseDown(int x, int y, int code) override { Record("down " + Pair(x, y) + " " + std::to_string(code)); }
    void OnMouseUp(int x, int y, int code) override { Record("up " + Pair(x, y) + " " + std::to_string(code)); }
    void OnMouseDrag(int x, int y) override { Record("drag " + Pair(x, y)); }
    void OnMouseWheel(int delta) override { Record("wheel " + std::to_string(delta)); }
    bool AcceptsPoint(int x, int y) override { return acceptsPoint ? acceptsPoint(x, y) : true; }

    const std::string& Name() const { return name_; }
    void SetHasAlpha(bool alpha) { hasAlpha_ = alpha; }
    void SetTransparentAreas(bool transparent) { hasTransparentAreas_ = transparent; }

    Zolt::Color fill{0, 0, 0, 0};
    int ticks = 0;
    int paints = 0;
    std::function<void()> onTick;
    std::function<void()> onPaint;
    std::function<bool(int, int)> acceptsPoint;

private:
    static std::string Pair(int x, int y) { return std::to_string(x) + "," + std::to_string(y); }
    void Record(const std::string& event)
    {
        if (log_)
            log_->push_back(name_ + ":" + event);
    }
    std::string name_;
    std::vector<std::string>* log_;
};

// A widget manager over an opaque black 200 x 150 screen with a fake
// application.
class WidgetScene {
public:
    explicit WidgetScene(int width = 200, int height = 150);
    ~WidgetScene();

    // A top-level widget (or a child of `parent`).
    ProbeWidget& Add(const std::string& name, Zolt::Rect bounds, Zolt::WidgetContainer* parent = nullptr);
    ProbeWidget& Get(const std::string& name);
    // Everything logged since the last call, then cleared.
    std::vector<std::string> TakeLog();
    // Opaque black again (an opaque screen copies opaque pixels exactly).
    void ResetScreen();
    // Clears every dirty flag without painting.
    void ClearDirty();
    uint32_t Pixel(int x, int y) const;

    FakeWidgetHost host;
    Zolt::WidgetManager manager{&host};
    std::unique_ptr<Zolt::MemoryImage> screen;
    std::vector<std::string> log;

private:
    std::vector<std::unique_ptr<ProbeWidget>> widgets_;
};

// Makes a host the process-wide one for the lifetime of the guard.
class ScopedWidgetHost {
public:
    explicit ScopedWidgetHost(Zolt::WidgetHost* host) { Zolt::SetWidgetHost(host); }
    ~ScopedWidgetHost() { Zolt::SetWidgetHost(nullptr); }
    ScopedWidgetHost(const ScopedWidgetHost&) = delete;
    ScopedWidgetHost& operator=(const ScopedWidgetHost&) = delete;
};

// 0xAARRGGBB of an opaque colour.
constexpr uint32_t Opaque(uint32_t rgb)
{
    return 0xFF000000u | rgb;
}

} // namespace widget_testing
