#include "game/shell/NewsFetcher.h"

#include "game/shell/HttpGet.h"
#include "game/table/GameModule.h"
#include "platform/window/Window.h"

namespace Gamespace {

namespace {

constexpr char kVersionKey[] = "game_ver: ";
constexpr char kTextKey[] = "tovrelly_text: ";
constexpr char kLinkKey[] = "tovrelly_link: ";

std::string Trimmed(const std::string& text)
{
    const char* blanks = " \t\r\n";
    const size_t first = text.find_first_not_of(blanks);
    if (first == std::string::npos)
        return std::string();
    return text.substr(first, text.find_last_not_of(blanks) - first + 1);
}

bool StartsWithNoCase(const std::string& text, const std::string& prefix)
{
    if (text.size() < prefix.size())
        return false;
    for (size_t i = 0; i < prefix.size(); ++i) {
        char c = text[i];
        if (c >= 'A' && c <= 'Z')
            c = char(c - 'A' + 'a');
        if (c != prefix[i])
            return false;
    }
    return true;
}

// An address the browser may be given: http or https, and nothing in it
// that would end or break an address (blanks, control characters).
bool IsWebAddress(const std::string& link)
{
    if (!StartsWithNoCase(link, "http://") && !StartsWithNoCase(link, "https://"))
        return false;
    for (char c : link)
        if (static_cast<unsigned char>(c) <= ' ' || c == 0x7F)
            return false;
    return true;
}

} // namespace

bool IsVersionCurrent(const std::string& versionReply, const std::string& localVersion)
{
    const size_t key = versionReply.find(kVersionKey);
    if (key == std::string::npos)
        return true;
    const size_t at = key + sizeof kVersionKey - 1;
    if (versionReply.size() - at < 3)
        return true;
    const std::string remote = versionReply.substr(at, 3);
    const size_t remoteDot = remote.find('.');
    const size_t localDot = localVersion.find('.');
    if (remoteDot == std::string::npos || localDot == std::string::npos)
        return true;
    const std::string localMajor = localVersion.substr(0, localDot);
    const std::string remoteMajor = remote.substr(0, remoteDot);
    if (localMajor != remoteMajor)
        return localMajor > remoteMajor;
    return localVersion.substr(localDot) >= remote.substr(remoteDot);
}

std::optional<NewsItem> ReadNewsItem(const std::string& newsReply, const std::string& homeAddress)
{
    const size_t textKey = newsReply.find(kTextKey);
    if (textKey == std::string::npos)
        return std::nullopt;
    const size_t textAt = textKey + sizeof kTextKey - 1;
    const size_t linkKey = newsReply.find(kLinkKey, textAt);
    NewsItem item;
    item.text = Trimmed(newsReply.substr(textAt, linkKey == std::string::npos ? std::string::npos : linkKey - textAt));
    if (item.text.empty())
        return std::nullopt;
    if (item.text.size() > kNewsTextLimit)
        item.text.resize(kNewsTextLimit);
    if (linkKey != std::string::npos)
        item.link = Trimmed(newsReply.substr(linkKey + sizeof kLinkKey - 1));
    if (!IsWebAddress(item.link))
        item.link = homeAddress;
    return item;
}

NewsFetcher::NewsFetcher(GameModuleObserver& source, std::string homeAddress, std::string downloadAddress)
    : source_(source), homeAddress_(std::move(homeAddress)), downloadAddress_(std::move(downloadAddress))
{
}

NewsFetcher::~NewsFetcher()
{
    Cancel();
}

void NewsFetcher::Start()
{
    if (fetched_.load() || Running())
        return;
    cancel_.store(false);
    starter_.store(platform::GetCurrentThreadId());
    thread_.Start([this] { Run(); }, platform::ThreadPriority::Highest, "news");
}

void NewsFetcher::Cancel()
{
    cancel_.store(true);
    thread_.Join();
}

bool NewsFetcher::Running() const
{
    return thread_.Joinable() && !thread_.Finished();
}

std::vector<NewsItem> NewsFetcher::Items() const
{
    std::lock_guard<std::mutex> lock(lock_);
    return items_;
}

void NewsFetcher::Run()
{
    HttpCancelScope scope(cancel_);
    const bool latest = source_.IsLatestVersion();
    // A cancelled question has no answer: nothing is kept, nothing more asked.
    if (cancel_.load())
        return;
    const std::string news = source_.GetNewsText();
    if (cancel_.load())
        return;
    std::vector<NewsItem> items;
    if (!latest)
        items.push_back(NewsItem{kNewVersionText, downloadAddress_});
    if (std::optional<NewsItem> item = ReadNewsItem(news, homeAddress_))
        items.push_back(*item);
    {
        std::lock_guard<std::mutex> lock(lock_);
        items_ = std::move(items);
    }
    fetched_.store(true);
    platform::PostThreadMessageA(starter_.load(), platform::WM_NULL, 0, 0);
}

} // namespace Gamespace
