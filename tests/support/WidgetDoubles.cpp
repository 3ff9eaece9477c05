#include "tests/support/WidgetDoubles.h"

#include "framework/graphics/Graphics.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace widget_testing {

void BlockFont::RenderText(Zolt::Graphics* g, int x, int y, const std::string& text, const Zolt::Color& color,
                           const Zolt::Rect&)
{
    const Zolt::Color saved = g->GetColor();
    g->SetColor(color);
    for (size_t i = 0; i < text.size(); ++i)
        if (text[i] != ' ')
            g->FillRectangle(x + static_cast<int>(i) * kAdvance, y - ascent_, kAdvance - 1, ascent_);
    g->SetColor(saved);
}

void ProbeWidget::Tick()
{
    Widget::Tick();
    ++ticks;
    if (onTick)
        onTick();
}

void ProbeWidget::Paint(Zolt::Graphics* g)
{
    ++paints;
    if (onPaint)
        onPaint();
    if (fill.alpha > 0) {
        g->SetColor(fill);
        g->FillRectangle(0, 0, width_, height_);
    }
}

WidgetScene::WidgetScene(int width, int height) : screen(std::make_unique<Zolt::MemoryImage>(nullptr))
{
    screen->MakeBlank(width, height);
    ResetScreen();
    manager.SetInputMapping(Zolt::Rect(0, 0, width, height), Zolt::Rect(0, 0, width, height));
    manager.SetScreenImage(screen.get());
}

void WidgetScene::ResetScreen()
{
    std::fill_n(screen->RequireBits(), screen->GetWidth() * screen->GetHeight(), 0xFF000000u);
    screen->MarkBitsChanged();
    screen->ScanAlpha();
}

WidgetScene::~WidgetScene()
{
    // Widgets go before the manager, each taking itself out of the tree.
    while (!widgets_.empty())
        widgets_.pop_back();
}

ProbeWidget& WidgetScene::Add(const std::string& name, Zolt::Rect bounds, Zolt::WidgetContainer* parent)
{
    widgets_.push_back(std::make_unique<ProbeWidget>(name, &log));
    ProbeWidget& widget = *widgets_.back();
    widget.SetBoundsRect(bounds);
    (parent ? parent : &manager)->AddChild(&widget);
    return widget;
}

ProbeWidget& WidgetScene::Get(const std::string& name)
{
    for (auto& widget : widgets_)
        if (widget->Name() == name)
            return *widget;
    ADD_FAILURE() << "no widget " << name;
    return *widgets_.front();
}

std::vector<std::string> WidgetScene::TakeLog()
{
    std::vector<std::string> taken;
    taken.swap(log);
    return taken;
}

void WidgetScene::ClearDirty()
{
    struct Clear {
        static void Tree(Zolt::WidgetContainer* container)
        {
            container->SetDirty(false);
            for (Zolt::Widget* child : container->GetChildren())
                Tree(child);
        }
    };
    for (Zolt::Widget* child : manager.GetChildren())
        Clear::Tree(child);
}

uint32_t WidgetScene::Pixel(int x, int y) const
{
    return screen->RequireBits()[static_cast<size_t>(y) * static_cast<size_t>(screen->GetWidth()) +
                             static_cast<size_t>(x)];
}

} // namespace widget_testing
