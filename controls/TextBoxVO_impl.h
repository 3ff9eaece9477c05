// Paragraphs of text, each with its own font, colour and alignment, wrapped
// to the box's width and shown one box-height page at a time.
//
// Threads: as VisibleObject_impl; the paragraphs and lines are guarded by the
// factory lock (the drawing pass holds it while it reads them).
#pragma once

#include "controls/VisibleObject_impl.h"

#include <string>
#include <vector>

namespace ControlLibrary {

class IFont;

class TextBoxVO_impl final : public VisibleObject_impl {
public:
    struct Line {
        std::string text;
        int32_t x = 0;
        // The line's bottom, from the top of the box's first line.
        int32_t y = 0;
        IFont* font = nullptr;
        RGB colour;
    };

    TextBoxVO_impl(Factory_impl& factory, uint32_t id);
    ~TextBoxVO_impl() override;

    void Draw() override;
    void DrawClipped(const std::vector<Rect>& rects) override;
    void SetSize(Size size) override;

    void AddText(const std::string& text, IFont* font, uint32_t alignment, const RGB& colour);
    void SetFirstLine(uint16_t page) { page_ = page; }
    void Clear();
    bool ScrollDown();
    bool ScrollUp();
    bool CanScrollDown();
    bool CanScrollUp() const { return page_ > 0; }
    // A copy of the laid-out lines (tests, tools).
    std::vector<Line> GetLines();

private:
    struct Paragraph {
        std::string text;
        uint32_t alignment = 0;
        IFont* font = nullptr;
        RGB colour;
    };

    void Layout();
    void Wrap(const Paragraph& paragraph);
    void MakeLine(const Paragraph& paragraph, const std::string& text);
    // Index of the first line of the page, or -1 when the page is empty.
    int FirstLineOfPage(uint32_t page) const;

    uint16_t page_ = 0;
    std::vector<Line> lines_;
    std::vector<Paragraph> paragraphs_;
};

} // namespace ControlLibrary
