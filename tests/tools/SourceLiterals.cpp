#include "tests/tools/SourceLiterals.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>

namespace fs = std::filesystem;

namespace {

char Unescape(char c)
{
    switch (c) {
    case 'n':
        return '\n';
    case 't':
        return '\t';
    case 'r':
        return '\r';
    case '0':
        return '\0';
    default:
        return c;
    }
}

} // namespace

std::vector<SourceLiteral> ScanLiterals(const std::string& file, const std::string& text)
{
    std::vector<SourceLiteral> out;
    int line = 1;
    for (size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '\n') {
            ++line;
        } else if (c == '/' && i + 1 < text.size() && text[i + 1] == '/') {
            while (i < text.size() && text[i] != '\n')
                ++i;
            ++line;
        } else if (c == '/' && i + 1 < text.size() && text[i + 1] == '*') {
            for (i += 2; i + 1 < text.size() && !(text[i] == '*' && text[i + 1] == '/'); ++i)
                line += text[i] == '\n';
            ++i;
        } else if (c == '\'') {
            // A character literal ('"' among them); a digit separator such
            // as 1'000 is too short to matter.
            for (++i; i < text.size() && text[i] != '\'' && text[i] != '\n'; ++i)
                if (text[i] == '\\')
                    ++i;
        } else if (c == '"') {
            SourceLiteral literal{file, line, ""};
            for (++i; i < text.size() && text[i] != '"' && text[i] != '\n'; ++i)
                literal.text += text[i] == '\\' && i + 1 < text.size() ? Unescape(text[++i]) : text[i];
            out.push_back(std::move(literal));
        }
    }
    return out;
}

std::vector<SourceLiteral> CollectSourceLiterals(const std::string& sourceRoot, const std::vector<std::string>& folders)
{
    std::vector<std::string> files;
    for (const std::string& folder : folders) {
        std::error_code ec;
        for (auto it = fs::recursive_directory_iterator(fs::path(sourceRoot) / folder, ec);
             !ec && it != fs::recursive_directory_iterator(); it.increment(ec)) {
            const std::string ext = it->path().extension().string();
            if (it->is_regular_file() && (ext == ".cpp" || ext == ".h"))
                files.push_back(fs::relative(it->path(), sourceRoot).string());
        }
    }
    std::sort(files.begin(), files.end());
    std::vector<SourceLiteral> all;
    for (const std::string& f : files) {
        std::ifstream in(fs::path(sourceRoot) / f, std::ios::binary);
        const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        std::vector<SourceLiteral> found = ScanLiterals(f, text);
        all.insert(all.end(), found.begin(), found.end());
    }
    return all;
}
