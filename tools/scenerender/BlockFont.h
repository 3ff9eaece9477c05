// A small blocky font for the scene renderer: capitals, digits and a few
// signs from 3 x 5 patterns, each dot drawn as a square of `scale` pixels.
#pragma once

#include "framework/graphics/Font.h"

namespace scenerender {

class BlockFont : public Zolt::Font {
public:
    explicit BlockFont(int scale);

    int32_t MeasureText(const std::string& text) override;
    int32_t MeasureCharAfter(char c, char previous) override;
    void RenderText(Zolt::Graphics* g, int x, int y, const std::string& text, const Zolt::Color& color,
                    const Zolt::Rect& clip) override;
    Zolt::Font* Clone() override { return new BlockFont(*this); }

private:
    int scale_;
};

} // namespace scenerender
