// The registry's file format, our own: a text file, one record a line.
//
//   pellucor-registry 2
//   key <path>
//   value <name> <type> <data>
//   end
//
// A key line opens a key (its full path below HKEY_CURRENT_USER, parts
// separated by '\'); the value lines after it belong to that key. The end
// line closes the file: without it the file was cut short. Files of version
// 1 (header "pellucor-registry 1") had no end line and are still read. Paths,
// names and data are written as single words: every byte outside '!'..'~',
// and '%' itself, as %XX (two hex digits); an empty word is "%". The type is
// the value's type number in decimal; the data are the value's exact bytes.
//
// Threads: pure functions; any thread.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace platform::registry {

// Orders names without regard to ASCII case.
struct NoCaseLess {
    bool operator()(const std::string& a, const std::string& b) const;
};

struct Value {
    std::string name; // as first written
    uint32_t type = 0;
    std::vector<uint8_t> data;
};

struct Key {
    std::string name; // as first written
    std::map<std::string, Value, NoCaseLess> values;
    std::map<std::string, std::unique_ptr<Key>, NoCaseLess> subKeys;
};

std::string Serialize(const Key& root);
// Fills `root` (which must be empty) from the text; false with `error`
// ("line N: what is wrong") on the first problem, leaving `root` empty.
bool Parse(std::string_view text, Key* root, std::string* error);

std::string EncodeWord(std::string_view bytes);
bool DecodeWord(std::string_view word, std::string* bytes);

} // namespace platform::registry
