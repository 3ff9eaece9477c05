#include "game/shell/PlayerFilesNotice.h"

#include "controls/IButtonVO.h"
#include "controls/IDialogVO.h"
#include "controls/IFont.h"
#include "controls/IStringVO.h"
#include "controls/Size.h"
#include "game/shell/ProfileDialogLooks.h"
#include "game/shell/ScreenSize.h"

#include <algorithm>
#include <climits>

namespace Gamespace {

namespace {

// From one line's middle to the next one's.
constexpr int32_t kLineStep = 22;
// The middle of the lines, and the button, below the notice's middle: the
// lines fill the room between the title's rule and the button.
constexpr int32_t kTextDrop = 8;
constexpr int32_t kButtonDrop = 120;
// Between the notice and what it keeps in sight below it.
constexpr int32_t kGap = 8;
// Longer texts are wider than any line, and are not measured: the font
// counts widths in 16 bits.
constexpr size_t kMeasureLimit = 512;

bool IsContinuation(char c)
{
    return (static_cast<unsigned char>(c) & 0xC0) == 0x80;
}

int32_t WidthOf(ControlLibrary::IFont* font, const std::string& text)
{
    if (!font)
        return 0;
    if (text.size() > kMeasureLimit)
        return INT32_MAX;
    return font->GetStringWidth(text);
}

// How many bytes of `word` start a line of at most `room` pixels: whole
// characters, up to a '/' when one ends more than half of them; at least
// one character.
size_t FittingStart(ControlLibrary::IFont* font, const std::string& word, int32_t room)
{
    size_t fit = 0;
    size_t slash = 0;
    for (size_t end = 1; end <= word.size(); ++end) {
        if (end < word.size() && IsContinuation(word[end]))
            continue;
        if (WidthOf(font, word.substr(0, end)) > room)
            break;
        fit = end;
        if (word[end - 1] == '/')
            slash = end;
    }
    if (fit == 0) {
        fit = 1;
        while (fit < word.size() && IsContinuation(word[fit]))
            ++fit;
        return fit;
    }
    return fit < word.size() && slash * 2 > fit ? slash : fit;
}

std::vector<std::string> Words(const std::string& line)
{
    std::vector<std::string> words;
    size_t start = 0;
    while (start < line.size()) {
        size_t end = line.find(' ', start);
        if (end == std::string::npos)
            end = line.size();
        if (end > start)
            words.push_back(line.substr(start, end - start));
        start = end + 1;
    }
    return words;
}

// One line of a message over as many lines of at most `room` pixels as it
// takes, broken between words, and inside a word only where the word alone
// is wider than a line.
void WrapLine(ControlLibrary::IFont* font, const std::vector<std::string>& words, int32_t room,
              std::vector<std::string>* out)
{
    std::string current;
    for (const std::string& word : words) {
        const std::string joined = current.empty() ? word : current + " " + word;
        if (WidthOf(font, joined) <= room) {
            current = joined;
            continue;
        }
        if (!current.empty())
            out->push_back(current);
        current = word;
        while (WidthOf(font, current) > room) {
            const size_t start = FittingStart(font, current, room);
            out->push_back(current.substr(0, start));
            current.erase(0, start);
        }
    }
    if (!current.empty())
        out->push_back(current);
}

// A path named by its file alone: "(/home/ann/.config/registry.txt)" as
// "(registry.txt)". Other words stay as they are.
std::string FileNameOnly(const std::string& word)
{
    const size_t first = word.find('/');
    if (first == std::string::npos)
        return word;
    size_t end = word.size();
    while (end > first && word[end - 1] == '/')
        --end;
    const size_t last = word.rfind('/', end - 1);
    if (end == first || last == std::string::npos || last + 1 >= end)
        return word;
    std::string prefix = word.substr(0, first);
    if (prefix.find_first_not_of("(\"'[") != std::string::npos)
        prefix.clear();
    return prefix + word.substr(last + 1);
}

// A word wider than a line, with its middle left out: "abc...xyz".
std::string MiddleLeftOut(ControlLibrary::IFont* font, const std::string& word, int32_t room)
{
    if (WidthOf(font, word) <= room)
        return word;
    std::string best = "...";
    for (size_t keep = 1; keep * 2 < word.size(); ++keep) {
        size_t head = keep;
        while (head < word.size() && IsContinuation(word[head]))
            ++head;
        size_t tail = word.size() - keep;
        while (tail > head && IsContinuation(word[tail]))
            --tail;
        if (tail <= head)
            break;
        const std::string cut = word.substr(0, head) + "..." + word.substr(tail);
        if (WidthOf(font, cut) > room)
            break;
        best = cut;
    }
    return best;
}

} // namespace

PlayerFilesNotice::PlayerFilesNotice(ControlLibrary::DialogMessageObserver* owner) : KeyDialog(owner)
{
    DialogObject().SetBackgroundImage(kBackground);
    DialogObject().SetSize(kWidth, kHeight);
    okButton_ = AddOkCloseButton(LoadFont(profile_looks::kCaptionFont));
    font_ = LoadFont(profile_looks::kPromptFont);
    for (ControlLibrary::IStringVO*& line : lines_)
        line = AddString(font_, profile_looks::kPromptColour, profile_looks::kTextLayer);
    LayoutControls();
}

void PlayerFilesNotice::Add(const std::vector<std::string>& lines)
{
    if ((IsVisible() && lines == shown_) || std::find(waiting_.begin(), waiting_.end(), lines) != waiting_.end())
        return;
    waiting_.push_back(lines);
}

void PlayerFilesNotice::ShowNext()
{
    if (IsVisible() || waiting_.empty())
        return;
    SetMessage(waiting_.front());
    waiting_.pop_front();
    Show(true);
}

void PlayerFilesNotice::StandAbove(int32_t edge)
{
    ControlLibrary::Size screen;
    GetScreenSize(screen);
    int32_t middle = static_cast<int32_t>(screen.h / 2);
    if (edge < INT32_MAX - kGap && middle + kHeight / 2 > edge - kGap)
        middle = std::max(edge - kGap - kHeight / 2, kHeight / 2);
    DialogObject().SetPosition(static_cast<int32_t>(screen.w / 2), middle);
}

std::vector<std::string> PlayerFilesNotice::Wrap(ControlLibrary::IFont* font, const std::vector<std::string>& lines,
                                                 int32_t room, size_t maxLines)
{
    // First every word as told; then the paths by their files' names; then
    // also without the middle of a word that is wider than a line.
    std::vector<std::string> out;
    for (int shortening = 0; shortening < 3; ++shortening) {
        out.clear();
        for (const std::string& line : lines) {
            std::vector<std::string> words = Words(line);
            for (std::string& word : words) {
                if (shortening >= 1)
                    word = FileNameOnly(word);
                if (shortening >= 2)
                    word = MiddleLeftOut(font, word, room);
            }
            WrapLine(font, words, room, &out);
        }
        if (out.size() <= maxLines)
            return out;
    }
    // Beyond anything the game says.
    out.resize(maxLines);
    return out;
}

void PlayerFilesNotice::SetMessage(const std::vector<std::string>& lines)
{
    shown_ = lines;
    const std::vector<std::string> wrapped = Wrap(font_, lines, kLineRoom, kMaxLines);
    for (size_t i = 0; i < lines_.size(); ++i)
        SetTextOf(lines_[i], i < wrapped.size() ? wrapped[i] : std::string());
    LayoutControls();
}

std::vector<std::string> PlayerFilesNotice::Message() const
{
    std::vector<std::string> lines;
    for (const ControlLibrary::IStringVO* line : lines_)
        if (!TextOf(line).empty())
            lines.push_back(TextOf(line));
    return lines;
}

void PlayerFilesNotice::LayoutControls()
{
    const ControlLibrary::Point centre = Centre();
    if (okButton_)
        okButton_->SetPosition(centre.x, centre.y + kButtonDrop);
    // The lines stand around the middle of the room above the button; those
    // left empty wait in that middle.
    const int32_t count = static_cast<int32_t>(Message().size());
    for (int32_t i = 0; i < static_cast<int32_t>(lines_.size()); ++i)
        if (lines_[i])
            lines_[i]->SetPosition(centre.x, centre.y + kTextDrop +
                                                 (i < count ? (2 * i - (count - 1)) * kLineStep / 2 : 0));
}

void PlayerFilesNotice::OnMouseUp(uint32_t id, int32_t button)
{
    if (id == 0 || id != CloseButtonId() || waiting_.empty()) {
        KeyDialog::OnMouseUp(id, button);
        return;
    }
    PlayClick();
    SetMessage(waiting_.front());
    waiting_.pop_front();
}

} // namespace Gamespace
