#include "effects/AnimationScript.h"

#include "common/BinaryDataFile.h"
#include "common/TextHelpers.h"
#include "pak/PakFileFunctions.h"

#include <algorithm>

namespace EffectLibrary {

namespace {

constexpr std::string_view kAnimationMark = "[animation]";
constexpr std::string_view kEffectMark = "[effect]";
constexpr std::string_view kFrameMark = "[frame]";
// The files are opened for reading and writing, as the game's own data
// files are, though the script is only read.
constexpr uint32_t kReadWriteMode = 1;

// Where a part of the script stands, for error messages.
class Locator {
public:
    explicit Locator(std::string_view text) : text_(text) {}

    std::string LineOf(std::string_view part) const
    {
        const size_t offset = static_cast<size_t>(part.data() - text_.data());
        const size_t line = 1 + static_cast<size_t>(std::count(text_.begin(), text_.begin() + offset, '\n'));
        return "line " + std::to_string(line) + ": ";
    }

private:
    std::string_view text_;
};

// The value of `key` in `section`: from right after the key (and after its
// opening quote, for quoted keys) to the first quote, NUL or carriage return,
// or the end. Empty when the key is absent or its value is empty, which both
// count as not given. A line feed does not end a value.
std::string_view FindValue(std::string_view section, std::string_view key, bool quoted)
{
    const size_t at = section.find(key);
    if (at == std::string_view::npos)
        return {};
    const size_t start = at + key.size() + (quoted ? 1 : 0);
    if (start >= section.size())
        return {};
    size_t end = section.find_first_of(std::string_view("\"\0\r", 3), start);
    if (end == std::string_view::npos)
        end = section.size();
    return section.substr(start, end - start);
}

// A numeric value as the game stores it: decimal up to the first non-digit,
// kept as unsigned 16-bit. False when not given.
bool FindNumber(std::string_view section, std::string_view key, uint16_t* out)
{
    const std::string_view value = FindValue(section, key, false);
    if (value.empty())
        return false;
    *out = static_cast<uint16_t>(StringToInt(std::string(value)));
    return true;
}

// The sections of `text` that each begin at an occurrence of `mark` and run
// to the next one (or the end); `text` begins with the first occurrence.
// Stops early (returning false) when there are more than `limit`.
template <class Visit> bool ForEachSection(std::string_view text, std::string_view mark, size_t limit, Visit visit)
{
    size_t count = 0;
    size_t start = 0;
    while (start < text.size()) {
        size_t next = text.find(mark, start + mark.size());
        if (next == std::string_view::npos)
            next = text.size();
        if (++count > limit)
            return false;
        if (!visit(count, text.substr(start, next - start)))
            return true;
        start = next;
    }
    return true;
}

bool ParseFrames(std::string_view frames, AnimationScriptEffect& effect, const Locator& where, std::string* error)
{
    bool ok = true;
    const bool withinLimit =
        ForEachSection(frames, kFrameMark, AnimationScript::kMaxFramesPerEffect, [&](size_t number, std::string_view s) {
            AnimationFrame frame;
            const std::string which = "frame " + std::to_string(number) + " of effect \"" + effect.name + "\"";
            if (!FindNumber(s, "index=", &frame.index)) {
                *error = where.LineOf(s) + which + " has no \"index=\"";
                return ok = false;
            }
            if (!FindNumber(s, "time=", &frame.time))
                frame.time = effect.time;
            if (frame.time == AnimationFrame::kNotGiven) {
                *error = where.LineOf(s) + which + " has no \"time=\", and neither has its effect";
                return ok = false;
            }
            frame.image = std::string(FindValue(s, "image=", true));
            if (frame.image.empty())
                frame.image = effect.name;
            if (frame.image.empty()) {
                *error = where.LineOf(s) + which + " has no image";
                return ok = false;
            }
            effect.frames.push_back(std::move(frame));
            return true;
        });
    if (!withinLimit) {
        *error = where.LineOf(frames) + "effect \"" + effect.name + "\" has more than " +
                 std::to_string(AnimationScript::kMaxFramesPerEffect) + " frames";
        return false;
    }
    return ok;
}

} // namespace

std::unique_ptr<AnimationScript> AnimationScript::Parse(std::string_view text, std::string* error)
{
    std::string ignored;
    if (error == nullptr)
        error = &ignored;
    error->clear();
    const Locator where(text);

    if (text.find(kAnimationMark) == std::string_view::npos) {
        *error = "no \"[animation]\" section";
        return nullptr;
    }
    const size_t firstEffect = text.find(kEffectMark);
    if (firstEffect == std::string_view::npos) {
        *error = "no \"[effect]\" section";
        return nullptr;
    }

    auto script = std::make_unique<AnimationScript>();
    const std::string_view header = text.substr(0, firstEffect);
    script->image = std::string(FindValue(header, "image=", true));
    if (script->image.empty()) {
        *error = "the header before the first \"[effect]\" gives no \"image=\"";
        return nullptr;
    }
    if (!FindNumber(header, "frame_h=", &script->frameHeight)) {
        *error = "the header before the first \"[effect]\" gives no \"frame_h=\"";
        return nullptr;
    }
    if (!FindNumber(header, "frame_w=", &script->frameWidth)) {
        *error = "the header before the first \"[effect]\" gives no \"frame_w=\"";
        return nullptr;
    }

    bool ok = true;
    const bool withinLimit =
        ForEachSection(text.substr(firstEffect), kEffectMark, kMaxEffects, [&](size_t number, std::string_view s) {
            auto effect = std::make_unique<AnimationScriptEffect>();
            effect->name = std::string(FindValue(s, "[effect]=", true));
            if (effect->name.empty()) {
                *error = where.LineOf(s) + "effect " + std::to_string(number) +
                         " has no name (it must begin with [effect]=\"name\")";
                return ok = false;
            }
            const std::string_view autoHide = FindValue(s, "autohide=", false);
            effect->autoHide = !autoHide.empty() && autoHide.front() == '1';
            FindNumber(s, "time=", &effect->time);
            const size_t frames = s.find(kFrameMark);
            if (frames != std::string_view::npos && !ParseFrames(s.substr(frames), *effect, where, error))
                return ok = false;
            script->effects.push_back(std::move(effect));
            return true;
        });
    if (!withinLimit) {
        *error = "more than " + std::to_string(kMaxEffects) + " effects";
        return nullptr;
    }
    if (!ok)
        return nullptr;
    return script;
}

bool AnimationScript::ReadText(const std::string& path, std::string* text, std::string* error)
{
    text->clear();
    // Pieces of 512 bytes, each up to its first NUL, until one comes back
    // short: either the file ended inside it or it held a NUL.
    auto readAll = [&](auto readPiece) {
        for (;;) {
            std::string piece;
            const bool whole = readPiece(&piece);
            text->append(piece);
            if (!whole || piece.size() < kPieceSize)
                break;
        }
    };

    BinaryDataFile file(path);
    if (file.Open(kReadWriteMode)) {
        readAll([&](std::string* piece) { return file.ReadString(piece, kPieceSize); });
        file.Close();
        return true;
    }
    // A script the user may not write to (an installed, read-only data file)
    // is still a script: read it through the file layer without asking for
    // write access.
    PakFileHandle* handle = PakFileOpen(path.c_str(), "rb");
    if (handle == nullptr) {
        if (error != nullptr)
            *error = "cannot be opened";
        return false;
    }
    readAll([&](std::string* piece) {
        char buffer[kPieceSize + 1] = {};
        const size_t got = PakFileRead(buffer, 1, kPieceSize, handle);
        *piece = std::string(buffer);
        return got == kPieceSize;
    });
    PakFileClose(handle);
    return true;
}

std::unique_ptr<AnimationScript> AnimationScript::CopyWithoutObjects() const
{
    auto copy = std::make_unique<AnimationScript>();
    copy->image = image;
    copy->frameWidth = frameWidth;
    copy->frameHeight = frameHeight;
    copy->effects.reserve(effects.size());
    for (const auto& effect : effects) {
        auto record = std::make_unique<AnimationScriptEffect>(*effect);
        record->imageObject = nullptr;
        copy->effects.push_back(std::move(record));
    }
    return copy;
}

} // namespace EffectLibrary
