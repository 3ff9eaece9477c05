#include "platform/registry/RegistryFile.h"

#include <algorithm>
#include <cctype>
#include <charconv>

namespace platform::registry {

namespace {

// Version 2 ends with kTrailer, so that a file cut short at a line boundary
// is told from a complete one; version 1 files (from before) have no end
// line and are still read.
constexpr std::string_view kHeader = "pellucor-registry 2";
constexpr std::string_view kHeaderWithoutEnd = "pellucor-registry 1";
constexpr std::string_view kTrailer = "end";

int HexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

void SerializeKey(const Key& key, const std::string& path, std::string* out)
{
    if (!path.empty() || !key.values.empty()) {
        *out += "key ";
        *out += EncodeWord(path);
        *out += '\n';
        for (const auto& [folded, value] : key.values) {
            *out += "value ";
            *out += EncodeWord(value.name);
            *out += ' ';
            *out += std::to_string(value.type);
            *out += ' ';
            *out += EncodeWord(std::string_view(reinterpret_cast<const char*>(value.data.data()), value.data.size()));
            *out += '\n';
        }
    }
    for (const auto& [folded, sub] : key.subKeys)
        SerializeKey(*sub, path.empty() ? sub->name : path + "\\" + sub->name, out);
}

std::vector<std::string_view> SplitWords(std::string_view line)
{
    std::vector<std::string_view> words;
    size_t start = 0;
    while (start <= line.size()) {
        const size_t space = line.find(' ', start);
        const size_t end = space == std::string_view::npos ? line.size() : space;
        words.push_back(line.substr(start, end - start));
        if (space == std::string_view::npos)
            break;
        start = space + 1;
    }
    return words;
}

} // namespace

bool NoCaseLess::operator()(const std::string& a, const std::string& b) const
{
    return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
        return std::tolower(static_cast<unsigned char>(x)) < std::tolower(static_cast<unsigned char>(y));
    });
}

std::string EncodeWord(std::string_view bytes)
{
    if (bytes.empty())
        return "%";
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string out;
    out.reserve(bytes.size());
    for (char c : bytes) {
        const auto b = static_cast<unsigned char>(c);
        if (b > 0x20 && b < 0x7F && b != '%') {
            out += c;
        } else {
            out += '%';
            out += kHex[b >> 4];
            out += kHex[b & 0xF];
        }
    }
    return out;
}

bool DecodeWord(std::string_view word, std::string* bytes)
{
    bytes->clear();
    if (word == "%")
        return true;
    if (word.empty())
        return false;
    for (size_t i = 0; i < word.size(); ++i) {
        const auto b = static_cast<unsigned char>(word[i]);
        if (b <= 0x20 || b >= 0x7F)
            return false;
        if (word[i] != '%') {
            *bytes += word[i];
            continue;
        }
        if (i + 2 >= word.size())
            return false;
        const int hi = HexDigit(word[i + 1]);
        const int lo = HexDigit(word[i + 2]);
        if (hi < 0 || lo < 0)
            return false;
        *bytes += static_cast<char>(hi * 16 + lo);
        i += 2;
    }
    return true;
}

std::string Serialize(const Key& root)
{
    std::string out(kHeader);
    out += '\n';
    SerializeKey(root, "", &out);
    out += kTrailer;
    out += '\n';
    return out;
}

bool Parse(std::string_view text, Key* root, std::string* error)
{
    auto fail = [&](size_t line, const std::string& what) {
        if (error)
            *error = "line " + std::to_string(line) + ": " + what;
        root->values.clear();
        root->subKeys.clear();
        return false;
    };
    Key* current = nullptr;
    size_t lineNumber = 0;
    size_t pos = 0;
    bool needsTrailer = true;
    bool ended = false;
    while (pos < text.size()) {
        size_t end = text.find('\n', pos);
        if (end == std::string_view::npos)
            end = text.size();
        std::string_view line = text.substr(pos, end - pos);
        pos = end + 1;
        ++lineNumber;
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        if (lineNumber == 1) {
            needsTrailer = line != kHeaderWithoutEnd;
            if (line != kHeader && needsTrailer)
                return fail(1, "not a registry file (the first line is not \"" + std::string(kHeader) + "\")");
            continue;
        }
        if (line.empty())
            continue;
        if (ended)
            return fail(lineNumber, "a record after the end line");
        const std::vector<std::string_view> words = SplitWords(line);
        if (needsTrailer && line == kTrailer) {
            ended = true;
        } else if (words[0] == "key") {
            std::string path;
            if (words.size() != 2 || !DecodeWord(words[1], &path))
                return fail(lineNumber, "a key line needs one encoded path");
            current = root;
            size_t start = 0;
            while (start <= path.size()) {
                size_t slash = path.find('\\', start);
                if (slash == std::string::npos)
                    slash = path.size();
                const std::string part = path.substr(start, slash - start);
                start = slash + 1;
                if (part.empty()) {
                    if (slash == path.size())
                        break;
                    return fail(lineNumber, "a key path has an empty part");
                }
                auto& slot = current->subKeys[part];
                if (!slot) {
                    slot = std::make_unique<Key>();
                    slot->name = part;
                }
                current = slot.get();
                if (slash == path.size())
                    break;
            }
        } else if (words[0] == "value") {
            if (!current)
                return fail(lineNumber, "a value before any key");
            std::string name;
            std::string data;
            uint32_t type = 0;
            if (words.size() != 4 || !DecodeWord(words[1], &name) || !DecodeWord(words[3], &data))
                return fail(lineNumber, "a value line needs an encoded name, a type and encoded data");
            const auto [ptr, ec] = std::from_chars(words[2].data(), words[2].data() + words[2].size(), type);
            if (ec != std::errc() || ptr != words[2].data() + words[2].size())
                return fail(lineNumber, "the value type \"" + std::string(words[2]) + "\" is not a number");
            Value value;
            value.name = name;
            value.type = type;
            value.data.assign(data.begin(), data.end());
            current->values[name] = std::move(value);
        } else {
            return fail(lineNumber, "unknown record \"" + std::string(words[0].substr(0, 40)) + "\"");
        }
    }
    if (lineNumber == 0)
        return fail(1, "the file is empty");
    if (needsTrailer && !ended)
        return fail(lineNumber, "the file is cut short (its end line is missing)");
    return true;
}

} // namespace platform::registry
