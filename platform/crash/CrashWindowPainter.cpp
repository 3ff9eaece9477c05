#include "platform/crash/CrashWindowPainter.h"

#include <algorithm>

namespace platform {

namespace {

constexpr int kW = CrashWindowView::kWidth;
constexpr int kH = CrashWindowView::kHeight;

constexpr uint32_t kFace = 0xF0F0F0;
constexpr uint32_t kText = 0x000000;
constexpr uint32_t kPaper = 0xFFFFFF;
constexpr uint32_t kShadow = 0xA0A0A0;
constexpr uint32_t kDarkShadow = 0x696969;
constexpr uint32_t kLight = 0xE3E3E3;
constexpr uint32_t kHighlight = 0xFFFFFF;
constexpr uint32_t kTrack = 0xE8E8E8;
constexpr uint32_t kBarButton = 0xDADADA;
constexpr uint32_t kThumb = 0xC2C2C2;
constexpr uint32_t kArrow = 0x505050;
constexpr uint32_t kDisabledArrow = 0xB0B0B0;
constexpr uint32_t kButtonFace = 0xE1E1E1;
constexpr uint32_t kButtonPressed = 0xCCE4F7;
constexpr uint32_t kButtonEdge = 0xADADAD;
constexpr uint32_t kFocusEdge = 0x0078D7;

// MulDiv(points, 96, 72), rounded as it rounds.
int PointsToPixels(int points) { return (points * 96 + 36) / 72; }

class Canvas {
public:
    explicit Canvas(uint32_t* pixels) : pixels_(pixels) {}

    void Fill(const CrashWindowBox& box, uint32_t rgb)
    {
        const int x0 = std::max(0, box.x), y0 = std::max(0, box.y);
        const int x1 = std::min(kW, box.x + box.w), y1 = std::min(kH, box.y + box.h);
        for (int y = y0; y < y1; ++y)
            for (int x = x0; x < x1; ++x)
                pixels_[y * kW + x] = 0xFF000000u | rgb;
    }
    // A one-pixel frame: top and left in one colour, bottom and right in
    // the other (raised or sunken by the order).
    void Edge(const CrashWindowBox& b, uint32_t topLeft, uint32_t bottomRight)
    {
        Fill({b.x, b.y, b.w, 1}, topLeft);
        Fill({b.x, b.y, 1, b.h}, topLeft);
        Fill({b.x, b.y + b.h - 1, b.w, 1}, bottomRight);
        Fill({b.x + b.w - 1, b.y, 1, b.h}, bottomRight);
    }
    // A small triangle pointing up or down, centred in the box.
    void Arrow(const CrashWindowBox& b, bool up, uint32_t rgb)
    {
        const int cx = b.x + b.w / 2;
        const int top = b.y + b.h / 2 - 2;
        for (int row = 0; row < 4; ++row) {
            const int half = up ? row : 3 - row;
            Fill({cx - half, top + row, 2 * half + 1, 1}, rgb);
        }
    }
    void Text(const fonts::SystemFontFace* face, const CrashWindowBox& clip, int x, int top, const std::string& text)
    {
        if (!face)
            return;
        const fonts::ClipBox box{clip.x, clip.y, clip.x + clip.w, clip.y + clip.h};
        face->DrawText(pixels_, kW, kH, kW, x, top, kText, text, &box);
    }

private:
    uint32_t* pixels_;
};

CrashWindowBox Inset(const CrashWindowBox& b, int by) { return {b.x + by, b.y + by, b.w - 2 * by, b.h - 2 * by}; }

void PaintScrollBar(Canvas& canvas, const CrashWindowView& view)
{
    const bool enabled = view.CanScroll();
    const CrashWindowBox track = view.Track();
    canvas.Fill(track, kTrack);
    for (const bool up : {true, false}) {
        const CrashWindowBox arrow = up ? view.UpArrow() : view.DownArrow();
        const bool pressed = view.Pressed() == (up ? CrashWindowPart::LineUp : CrashWindowPart::LineDown);
        canvas.Fill(arrow, pressed ? kShadow : kBarButton);
        canvas.Edge(arrow, kHighlight, kShadow);
        canvas.Arrow(arrow, up, enabled ? kArrow : kDisabledArrow);
    }
    const CrashWindowBox thumb = view.Thumb();
    if (!thumb.Empty()) {
        canvas.Fill(thumb, view.Pressed() == CrashWindowPart::Thumb ? kShadow : kThumb);
        canvas.Edge(thumb, kHighlight, kShadow);
    }
}

void PaintButton(Canvas& canvas, const CrashWindowView& view, const CrashWindowFonts& fonts, CrashWindowPart part,
                 const CrashWindowBox& box, const std::string& caption)
{
    if (box.Empty())
        return;
    const bool focused = view.Focused() == part;
    canvas.Fill(box, view.Pressed() == part ? kButtonPressed : kButtonFace);
    canvas.Edge(box, focused ? kFocusEdge : kButtonEdge, focused ? kFocusEdge : kButtonEdge);
    if (focused)
        canvas.Edge(Inset(box, 1), kFocusEdge, kFocusEdge);
    if (!fonts.button)
        return;
    const fonts::FaceMetrics m = fonts.button->Metrics();
    const int x = box.x + (box.w - fonts.button->MeasureText(caption)) / 2;
    const int top = box.y + (box.h - m.height) / 2;
    canvas.Text(fonts.button, Inset(box, 2), x, top, caption);
}

} // namespace

bool OpenCrashWindowFonts(std::vector<std::unique_ptr<fonts::SystemFontFace>>& keep, CrashWindowFonts* out)
{
    auto open = [&](const char* face, int points, bool bold) -> const fonts::SystemFontFace* {
        fonts::FontRequest request;
        request.face = face;
        request.pixelHeight = PointsToPixels(points);
        request.bold = bold;
        std::unique_ptr<fonts::SystemFontFace> opened = fonts::SystemFontFace::Open(request);
        if (!opened)
            return nullptr;
        keep.push_back(std::move(opened));
        return keep.back().get();
    };
    out->heading = open("Arial", 9, true);
    out->report = open("Courier New", 8, false);
    out->button = open("Arial", 9, false);
    return out->heading && out->report && out->button;
}

void PaintCrashWindow(const CrashWindowView& view, const std::string& heading, const CrashWindowFonts& fonts,
                      uint32_t* pixels)
{
    Canvas canvas(pixels);
    canvas.Fill({0, 0, kW, kH}, kFace);

    const CrashWindowBox head = CrashWindowView::Heading();
    canvas.Text(fonts.heading, head, head.x + 1, head.y + 1, heading);

    const CrashWindowBox box = CrashWindowView::ReportBox();
    canvas.Edge(box, kShadow, kHighlight);
    canvas.Edge(Inset(box, 1), kDarkShadow, kLight);
    const CrashWindowBox text = view.TextArea();
    canvas.Fill({box.x + CrashWindowView::kBorder, box.y + CrashWindowView::kBorder,
                 box.w - 2 * CrashWindowView::kBorder - CrashWindowView::kScrollBarWidth,
                 box.h - 2 * CrashWindowView::kBorder},
                kPaper);
    const auto& lines = view.Lines();
    const int last = std::min(static_cast<int>(lines.size()), view.FirstLine() + view.VisibleLines());
    for (int i = view.FirstLine(); i < last; ++i)
        canvas.Text(fonts.report, text, text.x, text.y + (i - view.FirstLine()) * view.LineHeight(),
                    lines[static_cast<size_t>(i)]);
    PaintScrollBar(canvas, view);

    PaintButton(canvas, view, fonts, CrashWindowPart::SendReport, view.SendReportButton(), "Send Report");
    PaintButton(canvas, view, fonts, CrashWindowPart::CloseNow, view.CloseNowButton(), "Close Now");
}

} // namespace platform
