#include "platform/crash/CrashWindowContent.h"

#include "platform/fonts/SystemFontFace.h"

#include <algorithm>

namespace platform {

namespace {

// MulDiv(points, 96, 72), rounded as it rounds.
int PointsToPixels(int points) { return (points * 96 + 36) / 72; }

std::unique_ptr<fonts::SystemFontFace> OpenFace(const char* face, int points, bool bold)
{
    fonts::FontRequest request;
    request.face = face;
    request.pixelHeight = PointsToPixels(points);
    request.bold = bold;
    return fonts::SystemFontFace::Open(request);
}

} // namespace

std::unique_ptr<CrashWindowContent> CrashWindowContent::Make(const std::string& heading, const std::string& report,
                                                             bool offerSend)
{
    std::unique_ptr<CrashWindowContent> content(new CrashWindowContent);
    content->headingFace_ = OpenFace("Arial", 9, true);
    content->reportFace_ = OpenFace("Courier New", 8, false);
    content->buttonFace_ = OpenFace("Arial", 9, false);
    if (!content->headingFace_ || !content->reportFace_ || !content->buttonFace_)
        return nullptr;
    content->heading_ = heading;
    const fonts::SystemFontFace& face = *content->reportFace_;
    content->view_ = std::make_unique<CrashWindowView>(report, offerSend, face.Metrics().height,
                                                       [&face](const std::string& text) { return face.MeasureText(text); });
    return content;
}

CrashWindowContent::~CrashWindowContent() = default;

void CrashWindowContent::DrawScrollBar(DrawnCanvas& canvas) const
{
    using namespace drawn_colour;
    const CrashWindowView& view = *view_;
    canvas.Fill(view.Track(), kTrack);
    for (const bool up : {true, false}) {
        const PixelArea arrow = up ? view.UpArrow() : view.DownArrow();
        const bool pressed = view.Pressed() == (up ? CrashWindowPart::LineUp : CrashWindowPart::LineDown);
        canvas.Fill(arrow, pressed ? kShadow : kBarButton);
        canvas.Edge(arrow, kHighlight, kShadow);
        canvas.Arrow(arrow, up, view.CanScroll() ? kArrow : kDisabledArrow);
    }
    const PixelArea thumb = view.Thumb();
    if (!thumb.Empty()) {
        canvas.Fill(thumb, view.Pressed() == CrashWindowPart::Thumb ? kShadow : kThumb);
        canvas.Edge(thumb, kHighlight, kShadow);
    }
}

void CrashWindowContent::Draw(DrawnCanvas& canvas) const
{
    using namespace drawn_colour;
    const CrashWindowView& view = *view_;
    canvas.Fill({0, 0, Width(), Height()}, kFace);

    const PixelArea head = CrashWindowView::Heading();
    canvas.Text(*headingFace_, head.x + 1, head.y + 1, kText, heading_, &head);

    const PixelArea box = CrashWindowView::ReportBox();
    canvas.Edge(box, kShadow, kHighlight);
    canvas.Edge(box.Inset(1), kDarkShadow, kLight);
    canvas.Fill({box.x + CrashWindowView::kBorder, box.y + CrashWindowView::kBorder,
                 box.width - 2 * CrashWindowView::kBorder - CrashWindowView::kScrollBarWidth,
                 box.height - 2 * CrashWindowView::kBorder},
                kPaper);
    const PixelArea text = view.TextArea();
    const auto& lines = view.Lines();
    const int last = std::min(static_cast<int>(lines.size()), view.FirstLine() + view.VisibleLines());
    for (int i = view.FirstLine(); i < last; ++i)
        canvas.Text(*reportFace_, text.x, text.y + (i - view.FirstLine()) * view.LineHeight(), kText,
                    lines[static_cast<size_t>(i)], &text);
    DrawScrollBar(canvas);

    for (const auto& [part, area, label] :
         {std::tuple{CrashWindowPart::SendReport, view.SendReportButton(), "Send Report"},
          std::tuple{CrashWindowPart::CloseNow, view.CloseNowButton(), "Close Now"}})
        canvas.Button(area, *buttonFace_, label, {view.Focused() == part, view.Pressed() == part, false});
}

void CrashWindowContent::PointerMove(int x, int y)
{
    // Only a dragged thumb changes the picture as the pointer moves.
    if (view_->Pressed() == CrashWindowPart::Thumb) {
        view_->MouseMove(x, y);
        redraw_ = true;
    }
}

void CrashWindowContent::PointerDown(int x, int y)
{
    view_->MouseDown(x, y);
    redraw_ = true;
}

void CrashWindowContent::PointerUp(int x, int y)
{
    if (const std::optional<CrashWindowChoice> choice = view_->MouseUp(x, y); choice && !choice_)
        choice_ = choice;
    redraw_ = true;
}

void CrashWindowContent::Wheel(int notches)
{
    view_->Wheel(notches);
    redraw_ = true;
}

void CrashWindowContent::KeyDown(int vk, bool)
{
    if (const std::optional<CrashWindowChoice> choice = view_->Key(vk); choice && !choice_)
        choice_ = choice;
    redraw_ = true;
}

void CrashWindowContent::CloseRequested()
{
    if (!choice_)
        choice_ = CrashWindowChoice::CloseNow;
}

bool CrashWindowContent::TakeRedraw()
{
    const bool redraw = redraw_;
    redraw_ = false;
    return redraw;
}

} // namespace platform
