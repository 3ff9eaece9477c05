#include "platform/window/VirtualKeys.h"

#include <algorithm>
#include <array>
#include <cstdint>

namespace platform {

namespace {

// Code points of the Windows-1252 bytes 0x80..0x9F; the five bytes the code
// page leaves unassigned keep their C1 control code point, as Windows maps
// them.
constexpr std::array<char32_t, 32> kHighControls = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

char ByteForCodePoint(char32_t cp)
{
    if (cp < 0x80 || (cp >= 0xA0 && cp <= 0xFF))
        return static_cast<char>(cp);
    for (size_t i = 0; i < kHighControls.size(); ++i) {
        if (kHighControls[i] == cp)
            return static_cast<char>(0x80 + i);
    }
    return '?';
}

void AppendUtf8(std::string& out, char32_t cp)
{
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

// Decodes one code point at `i`, advancing it; malformed input gives
// U+FFFD and moves one byte on.
char32_t DecodeUtf8(std::string_view s, size_t& i)
{
    const auto b0 = static_cast<unsigned char>(s[i]);
    if (b0 < 0x80) {
        ++i;
        return b0;
    }
    int length = 0;
    char32_t cp = 0;
    if ((b0 & 0xE0) == 0xC0) {
        length = 2;
        cp = b0 & 0x1F;
    } else if ((b0 & 0xF0) == 0xE0) {
        length = 3;
        cp = b0 & 0x0F;
    } else if ((b0 & 0xF8) == 0xF0) {
        length = 4;
        cp = b0 & 0x07;
    } else {
        ++i;
        return 0xFFFD;
    }
    if (i + length > s.size()) {
        ++i;
        return 0xFFFD;
    }
    for (int k = 1; k < length; ++k) {
        const auto b = static_cast<unsigned char>(s[i + k]);
        if ((b & 0xC0) != 0x80) {
            ++i;
            return 0xFFFD;
        }
        cp = (cp << 6) | (b & 0x3F);
    }
    i += length;
    return cp;
}

} // namespace

ScanCode ScanCodeForVirtualKey(int vk)
{
    if (vk >= 'A' && vk <= 'Z') {
        // Rows of the keyboard: QWERTYUIOP, ASDFGHJKL, ZXCVBNM.
        static constexpr std::array<int, 26> letters = {
            0x1E, 0x30, 0x2E, 0x20, 0x12, 0x21, 0x22, 0x23, 0x17, 0x24, 0x25, 0x26, 0x32,
            0x31, 0x18, 0x19, 0x10, 0x13, 0x1F, 0x14, 0x16, 0x2F, 0x11, 0x2D, 0x15, 0x2C,
        };
        return {letters[vk - 'A'], false};
    }
    if (vk >= '1' && vk <= '9')
        return {0x02 + (vk - '1'), false};
    if (vk >= VK_F1 && vk <= VK_F10)
        return {0x3B + (vk - VK_F1), false};
    switch (vk) {
    case '0': return {0x0B, false};
    case VK_ESCAPE: return {0x01, false};
    case VK_OEM_MINUS: return {0x0C, false};
    case VK_OEM_PLUS: return {0x0D, false};
    case VK_BACK: return {0x0E, false};
    case VK_TAB: return {0x0F, false};
    case VK_OEM_4: return {0x1A, false};
    case VK_OEM_6: return {0x1B, false};
    case VK_RETURN: return {0x1C, false};
    case VK_CONTROL:
    case VK_LCONTROL: return {0x1D, false};
    case VK_RCONTROL: return {0x1D, true};
    case VK_OEM_1: return {0x27, false};
    case VK_OEM_7: return {0x28, false};
    case VK_OEM_3: return {0x29, false};
    case VK_SHIFT:
    case VK_LSHIFT: return {0x2A, false};
    case VK_OEM_5: return {0x2B, false};
    case VK_OEM_COMMA: return {0x33, false};
    case VK_OEM_PERIOD: return {0x34, false};
    case VK_OEM_2: return {0x35, false};
    case VK_DIVIDE: return {0x35, true};
    case VK_RSHIFT: return {0x36, false};
    case VK_MULTIPLY: return {0x37, false};
    case VK_MENU:
    case VK_LMENU: return {0x38, false};
    case VK_RMENU: return {0x38, true};
    case VK_SPACE: return {0x39, false};
    case VK_CAPITAL: return {0x3A, false};
    case VK_NUMLOCK: return {0x45, true};
    case VK_SCROLL: return {0x46, false};
    case VK_NUMPAD0 + 7: return {0x47, false};
    case VK_NUMPAD0 + 8: return {0x48, false};
    case VK_NUMPAD0 + 9: return {0x49, false};
    case VK_SUBTRACT: return {0x4A, false};
    case VK_NUMPAD0 + 4: return {0x4B, false};
    case VK_NUMPAD0 + 5: return {0x4C, false};
    case VK_NUMPAD0 + 6: return {0x4D, false};
    case VK_ADD: return {0x4E, false};
    case VK_NUMPAD0 + 1: return {0x4F, false};
    case VK_NUMPAD0 + 2: return {0x50, false};
    case VK_NUMPAD0 + 3: return {0x51, false};
    case VK_NUMPAD0: return {0x52, false};
    case VK_DECIMAL: return {0x53, false};
    case VK_OEM_102: return {0x56, false};
    case VK_F11: return {0x57, false};
    case VK_F12: return {0x58, false};
    case VK_HOME: return {0x47, true};
    case VK_UP: return {0x48, true};
    case VK_PRIOR: return {0x49, true};
    case VK_LEFT: return {0x4B, true};
    case VK_RIGHT: return {0x4D, true};
    case VK_END: return {0x4F, true};
    case VK_DOWN: return {0x50, true};
    case VK_NEXT: return {0x51, true};
    case VK_INSERT: return {0x52, true};
    case VK_DELETE: return {0x53, true};
    case VK_LWIN: return {0x5B, true};
    case VK_RWIN: return {0x5C, true};
    case VK_APPS: return {0x5D, true};
    case VK_PAUSE: return {0x45, false};
    case VK_SNAPSHOT: return {0x37, true};
    default: return {};
    }
}

int FoldModifierKey(int vk)
{
    switch (vk) {
    case VK_LSHIFT:
    case VK_RSHIFT: return VK_SHIFT;
    case VK_LCONTROL:
    case VK_RCONTROL: return VK_CONTROL;
    case VK_LMENU:
    case VK_RMENU: return VK_MENU;
    default: return vk;
    }
}

std::string Utf8ToWindows1252(std::string_view utf8)
{
    std::string out;
    out.reserve(utf8.size());
    size_t i = 0;
    while (i < utf8.size())
        out += ByteForCodePoint(DecodeUtf8(utf8, i));
    return out;
}

std::string Windows1252ToUtf8(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    for (char c : text) {
        const auto b = static_cast<unsigned char>(c);
        AppendUtf8(out, (b >= 0x80 && b < 0xA0) ? kHighControls[b - 0x80] : char32_t{b});
    }
    return out;
}

std::string WideToUtf8(std::wstring_view text)
{
    std::string out;
    for (wchar_t w : text) {
        auto cp = static_cast<char32_t>(static_cast<uint32_t>(w));
        if (cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))
            cp = 0xFFFD;
        AppendUtf8(out, cp);
    }
    return out;
}

std::wstring Utf8ToWide(std::string_view utf8)
{
    std::wstring out;
    size_t i = 0;
    while (i < utf8.size())
        out += static_cast<wchar_t>(DecodeUtf8(utf8, i));
    return out;
}

int MultiByteToWideChar(UINT codePage, DWORD, const char* text, int length, wchar_t* wide, int wideSize)
{
    if (!text || length < -1 || wideSize < 0 || (codePage != CP_ACP && codePage != CP_UTF8))
        return 0;
    const size_t bytes = length == -1 ? std::char_traits<char>::length(text) + 1 : static_cast<size_t>(length);
    const std::string_view in(text, bytes);
    const std::wstring out = codePage == CP_UTF8 ? Utf8ToWide(in) : Utf8ToWide(Windows1252ToUtf8(in));
    if (wideSize == 0)
        return static_cast<int>(out.size());
    if (!wide || out.size() > static_cast<size_t>(wideSize))
        return 0;
    std::copy(out.begin(), out.end(), wide);
    return static_cast<int>(out.size());
}

} // namespace platform
