// The start screen's version note and news line: what the two web pages say,
// and the worker thread that asks for them.
//
// The worker asks its source (the game object, whose IsLatestVersion and
// GetNewsText fetch the pages) once; when both answers are in, the items are
// kept and Fetched() turns true. The screen takes the items on its own
// thread; it never waits for the network. The worker ends its fetch with
// a message to the thread that started it, so that a main loop asleep
// waits no longer to take the items. Cancel asks the worker to give up
// (the fetch notices within one wait step) and joins it; a cancelled fetch
// leaves nothing and may be started again.
//
// Threads: Start, Cancel, Fetched, Items and the destructor on the main
// thread; the worker runs the source's questions. `lock_` guards items_;
// fetched_ is set after the items are in.
#pragma once

#include "platform/core/Thread.h"

#include <atomic>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace Gamespace {

class GameModuleObserver;

struct NewsItem {
    std::string text;
    std::string link;

    bool operator==(const NewsItem&) const = default;
};

// The longest news text shown; the rest of a longer one is dropped.
constexpr size_t kNewsTextLimit = 160;
inline constexpr char kNewVersionText[] = "New version of the game has been released. Click here to download.";

// Whether `localVersion` is at least the version the page gives after
// "game_ver: " (three characters, major "." minor, compared as text). A reply
// without the key, with fewer than three characters after it, or whose
// version has no "." counts as current.
bool IsVersionCurrent(const std::string& versionReply, const std::string& localVersion);
// The news item of the page: the text after "tovrelly_text: " up to
// "tovrelly_link: " (or the end), the link after that key. Blanks and line
// breaks around each are dropped. A link that is not an http or https
// address gives `homeAddress`. None without the text key or with no text.
std::optional<NewsItem> ReadNewsItem(const std::string& newsReply, const std::string& homeAddress);

class NewsFetcher {
public:
    NewsFetcher(GameModuleObserver& source, std::string homeAddress, std::string downloadAddress);
    ~NewsFetcher();
    NewsFetcher(const NewsFetcher&) = delete;
    NewsFetcher& operator=(const NewsFetcher&) = delete;

    // Starts the worker unless it runs or has fetched already.
    void Start();
    void Cancel();
    bool Running() const;
    bool Fetched() const { return fetched_.load(); }
    // The version note first (when there is a newer version), then the news.
    std::vector<NewsItem> Items() const;

private:
    void Run();

    GameModuleObserver& source_;
    const std::string homeAddress_;
    const std::string downloadAddress_;
    mutable std::mutex lock_;
    std::vector<NewsItem> items_; // guarded by lock_
    std::atomic<bool> cancel_{false};
    std::atomic<bool> fetched_{false};
    // The thread that started the fetch (the screen's), told when it ends.
    std::atomic<uint32_t> starter_{0};
    platform::Thread thread_;
};

} // namespace Gamespace
