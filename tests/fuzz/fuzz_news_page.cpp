// Feeds arbitrary bytes to the readers of the start screen's two web pages,
// as the server's whole reply: the version page must give an answer
// whatever it holds, and the news page no item, or one whose text is there,
// no longer than the screen's limit and without blanks at its start, and
// whose link is a web address without blanks or the home page.
#include "game/shell/NewsFetcher.h"

#include <cctype>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

namespace {

constexpr char kHome[] = "http://home.invalid/";

bool IsBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

void CheckNewsItem(const std::string& reply)
{
    const std::optional<Gamespace::NewsItem> item = Gamespace::ReadNewsItem(reply, kHome);
    if (!item)
        return;
    if (item->text.empty() || item->text.size() > Gamespace::kNewsTextLimit || IsBlank(item->text.front()))
        __builtin_trap();
    if (item->link == kHome)
        return;
    std::string scheme = item->link.substr(0, 8);
    for (char& c : scheme)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    if (scheme.rfind("http://", 0) != 0 && scheme.rfind("https://", 0) != 0)
        __builtin_trap(); // neither a web address nor the home page
    for (char c : item->link)
        if (static_cast<unsigned char>(c) <= ' ')
            __builtin_trap();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string reply(reinterpret_cast<const char*>(data), size);
    volatile bool current = Gamespace::IsVersionCurrent(reply, "1.5");
    (void)current;
    if (reply.find("game_ver: ") == std::string::npos && !Gamespace::IsVersionCurrent(reply, "0.0"))
        __builtin_trap(); // a page without a version never asks for a download
    CheckNewsItem(reply);
    return 0;
}
