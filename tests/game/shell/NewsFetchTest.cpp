// The version and news fetch against a real HTTP server on the loopback:
// what goes out, what comes back, what the version check and the news line
// make of it, and that no wait lasts longer than its time-out or a cancel.
// Time-outs run on a manual clock that the test moves; the server answers
// in real time.
#include "game/shell/GameImpl.h"
#include "game/shell/HttpGet.h"
#include "game/shell/NewsFetcher.h"
#include "platform/core/BlockedWait.h"
#include "platform/core/Clock.h"
#include "platform/window/Window.h"
#include "tests/support/LoopbackHttpServer.h"
#include "tests/support/WaitUntil.h"

#include <gtest/gtest.h>

#include <functional>
#include <future>
#include <thread>

namespace Gamespace {
namespace {

using platform::testing::LoopbackHttpServer;

constexpr char kHome[] = "http://home.example/";

std::string Ok(const std::string& body)
{
    return "HTTP/1.0 200 OK\r\nContent-Type: text/html\r\n\r\n" + body;
}

// A fetch on a thread of its own, with time moving on the manual clock
// while the test waits for it (as it would while the game runs). Time
// starts to move once `ready` holds, when the fetch has got as far as the
// wait whose time-out the test means: the waits before it must not run out
// just because the fetch's thread was slow to get there.
class ThreadedHttpFetch : public ::testing::Test {
protected:
    ThreadedHttpFetch() : guard_(clock_) {}

    template <class Fetch>
    auto WhileTimePasses(Fetch fetch, const std::function<bool()>& ready = [] { return true; })
    {
        auto result = std::async(std::launch::async, fetch);
        EXPECT_TRUE(test_support::WaitUntil(ready));
        EXPECT_TRUE(test_support::WaitUntil([&] {
            clock_.AdvanceMilliseconds(500);
            return result.wait_for(std::chrono::milliseconds(0)) == std::future_status::ready;
        }));
        return result.get();
    }

    std::string GetWhileTimePasses(const std::string& url, const std::function<bool()>& ready = [] { return true; })
    {
        return WhileTimePasses([&] { return HttpGet(url, timeouts_); }, ready);
    }

    platform::ManualClock clock_;
    platform::ScopedClock guard_;
    HttpTimeouts timeouts_;
};

TEST(HttpAddress, HostPortAndPathAreSplitAsTheRequestNeedsThem)
{
    HttpAddress a;
    ASSERT_TRUE(SplitHttpAddress("http://H:8080/a/b", a));
    EXPECT_EQ(a.host, "H");
    EXPECT_EQ(a.port, 8080);
    EXPECT_EQ(a.path, "a/b");
    EXPECT_EQ(HttpRequestText(a), "GET /a/b HTTP/1.0\nHost: H\nUser-agent: Mozilla/4.0 (compatible; MSIE 6.0; "
                                  "Windows NT 5.1; SV1)\nAccept: */*\n\n");
    ASSERT_TRUE(SplitHttpAddress("HTTP://example.org", a));
    EXPECT_EQ(a.port, 80);
    EXPECT_EQ(HttpRequestText(a).substr(0, 16), "GET / HTTP/1.0\nH");
    // A port that reads as 0, or as nothing, is port 80.
    for (const char* url : {"http://h:/x", "http://h:0/x", "http://h:zz/x"}) {
        ASSERT_TRUE(SplitHttpAddress(url, a)) << url;
        EXPECT_EQ(a.port, 80) << url;
    }
    for (const char* url : {"Http://h/", "https://h/", "ftp://h/", "http://", "http://:80/", "http://h:70000/",
                            "http://h:-1/"})
        EXPECT_FALSE(SplitHttpAddress(url, a)) << url;
}

TEST(VersionCheck, OnlyANewerVersionOnThePageIsNotCurrent)
{
    const auto page = [](const std::string& version) { return Ok("<p>game_ver: " + version + "</p>"); };
    EXPECT_TRUE(IsVersionCurrent(page("1.5"), "1.5"));
    EXPECT_TRUE(IsVersionCurrent(page("1.4"), "1.5"));
    EXPECT_FALSE(IsVersionCurrent(page("1.6"), "1.5"));
    EXPECT_FALSE(IsVersionCurrent(page("2.0"), "1.5"));
    EXPECT_TRUE(IsVersionCurrent(page("1.10"), "1.5")) << "three characters: 1.1";
    EXPECT_FALSE(IsVersionCurrent(page("10.1"), "1.5")) << "majors compare as text";
    EXPECT_TRUE(IsVersionCurrent(page("0.9"), "1.5"));
    // Nothing to compare: current.
    EXPECT_TRUE(IsVersionCurrent("", "1.5"));
    EXPECT_TRUE(IsVersionCurrent(Ok("no version here"), "1.5"));
    EXPECT_TRUE(IsVersionCurrent("game_ver: 2.", "1.5"));
    EXPECT_TRUE(IsVersionCurrent(page("215"), "1.5")) << "a version without a dot";
    EXPECT_TRUE(IsVersionCurrent(page("abc"), "1.5"));
}

TEST(NewsLine, TheTextRunsToTheLinkKeyAndTheLinkMustBeAWebAddress)
{
    std::optional<NewsItem> item =
        ReadNewsItem(Ok("tovrelly_text: Big game on Friday!\r\ntovrelly_link: https://x.example/friday\r\n"), kHome);
    ASSERT_TRUE(item);
    EXPECT_EQ(*item, (NewsItem{"Big game on Friday!", "https://x.example/friday"}));

    item = ReadNewsItem("tovrelly_text: Line one\nline two", kHome);
    ASSERT_TRUE(item);
    EXPECT_EQ(*item, (NewsItem{"Line one\nline two", kHome})) << "no link key: the home address";

    for (const char* link : {"file:///etc/passwd", "javascript:alert(1)", "http://a b/", "", "HTTP://OK.EXAMPLE/x y"}) {
        item = ReadNewsItem(std::string("tovrelly_text: News tovrelly_link: ") + link, kHome);
        ASSERT_TRUE(item);
        EXPECT_EQ(item->link, kHome) << link;
    }
    item = ReadNewsItem("tovrelly_text: News tovrelly_link: HTTP://OK.EXAMPLE/", kHome);
    EXPECT_EQ(item->link, "HTTP://OK.EXAMPLE/");

    EXPECT_FALSE(ReadNewsItem("", kHome));
    EXPECT_FALSE(ReadNewsItem(Ok("tovrelly_link: http://x/"), kHome));
    EXPECT_FALSE(ReadNewsItem("tovrelly_text:  \r\ntovrelly_link: http://x/", kHome)) << "no text, no line";
    item = ReadNewsItem("tovrelly_text: " + std::string(5000, 'n'), kHome);
    EXPECT_EQ(item->text.size(), kNewsTextLimit);
}

TEST_F(ThreadedHttpFetch, AWellFormedReplyComesBackWholeAfterTheRequestAsSpelled)
{
    const std::string reply = Ok("game_ver: 1.6\n");
    LoopbackHttpServer server({LoopbackHttpServer::Reply(reply)});
    EXPECT_EQ(HttpGet(server.Url("/games/pellucor/version.html")), reply);
    ASSERT_EQ(server.Requests().size(), 1u);
    EXPECT_EQ(server.Requests()[0], "GET /games/pellucor/version.html HTTP/1.0\nHost: 127.0.0.1\nUser-agent: "
                                    "Mozilla/4.0 (compatible; MSIE 6.0; Windows NT 5.1; SV1)\nAccept: */*\n\n");
}

TEST_F(ThreadedHttpFetch, AHostNameIsLookedUpOnTheSide)
{
    const std::string reply = Ok("tovrelly_text: hello");
    LoopbackHttpServer server({LoopbackHttpServer::Reply(reply)});
    EXPECT_EQ(HttpGet("http://localhost:" + std::to_string(server.Port()) + "/game_news.html"), reply);
    ASSERT_EQ(server.Requests().size(), 1u);
    EXPECT_EQ(server.Requests()[0].substr(0, 45), "GET /game_news.html HTTP/1.0\nHost: localhost\n");
}

TEST_F(ThreadedHttpFetch, ASlowButLiveServerIsWaitedForAndAZeroByteEndsTheText)
{
    // The pieces come in real time while the program's clock stands still:
    // no time-out runs out.
    LoopbackHttpServer::Answer slow;
    slow.pieces = {{"HTTP/1.0 200 OK\r\n\r\n", 0}, {"game_ver: ", 30}, {std::string("1.6\0tail", 8), 30}};
    LoopbackHttpServer server({slow});
    EXPECT_EQ(HttpGet(server.Url("/")), "HTTP/1.0 200 OK\r\n\r\ngame_ver: 1.6");
}

TEST_F(ThreadedHttpFetch, AStalledServerEndsAtTheReceiveTimeOut)
{
    LoopbackHttpServer::Answer stalled;
    stalled.holdOpenMs = LoopbackHttpServer::kHoldUntilClosed;
    LoopbackHttpServer server({stalled});
    const uint64_t before = clock_.NowMicroseconds();
    // Connected and sent; the answer never comes.
    EXPECT_EQ(GetWhileTimePasses(server.Url("/"), [&] { return server.Requests().size() == 1; }), "");
    EXPECT_GE(clock_.NowMicroseconds() - before, uint64_t(timeouts_.receiveMs) * 1000);
}

TEST_F(ThreadedHttpFetch, ARefusedConnectionOrAConnectThatNeverEndsGivesNothing)
{
    const uint16_t nobody = LoopbackHttpServer::UnusedPort();
    EXPECT_EQ(HttpGet("http://127.0.0.1:" + std::to_string(nobody) + "/"), "");

    platform::testing::StalledListener listener;
    if (!listener.Ready())
        GTEST_SKIP() << "the system completes every loopback connection at once";
    const uint64_t before = clock_.NowMicroseconds();
    EXPECT_EQ(GetWhileTimePasses("http://127.0.0.1:" + std::to_string(listener.Port()) + "/"), "");
    EXPECT_GE(clock_.NowMicroseconds() - before, uint64_t(timeouts_.connectMs) * 1000);
}

TEST_F(ThreadedHttpFetch, ACancelEndsAWaitWithoutItsTimeOut)
{
    LoopbackHttpServer::Answer stalled;
    stalled.holdOpenMs = LoopbackHttpServer::kHoldUntilClosed;
    LoopbackHttpServer server({stalled});
    std::atomic<bool> cancel{false};
    auto result = std::async(std::launch::async, [&] {
        HttpCancelScope scope(cancel);
        return HttpGet(server.Url("/"), timeouts_);
    });
    ASSERT_TRUE(test_support::WaitUntil([&] { return server.Requests().size() == 1; }));
    cancel = true;
    EXPECT_EQ(result.get(), "");
    EXPECT_EQ(clock_.NowMicroseconds(), 0u) << "no time had to pass";
}

TEST_F(ThreadedHttpFetch, TheGameObjectsVersionIsCurrentUnlessItsServerNamesANewerOne)
{
    // The game's own version is 1.5; each server answers the version page.
    LoopbackHttpServer::Answer stalled;
    stalled.holdOpenMs = 20000;
    const struct {
        const char* what;
        LoopbackHttpServer::Answer answer;
        bool current;
    } cases[] = {
        {"a newer version", LoopbackHttpServer::Reply(Ok("<p>game_ver: 1.6</p>")), false},
        {"the same version", LoopbackHttpServer::Reply(Ok("<p>game_ver: 1.5</p>")), true},
        {"no version key", LoopbackHttpServer::Reply(Ok("<p>version 2.0</p>")), true},
        {"a version without a dot", LoopbackHttpServer::Reply(Ok("<p>game_ver: 215</p>")), true},
        {"a stalled server", stalled, true},
    };
    for (const auto& serverCase : cases) {
        SCOPED_TRACE(serverCase.what);
        LoopbackHttpServer server({serverCase.answer});
        GameImpl game;
        game.SetWebPages(WebPages::On(server.Url("")));
        // Time moves once the answer is all on its way (or, from the stalled
        // server, once the request came): a server thread slow to send it
        // must not let the fetch's receive time-out run out first.
        const bool stalls = serverCase.answer.pieces.empty();
        EXPECT_EQ(WhileTimePasses([&] { return game.IsLatestVersion(); },
                                  [&] { return server.Requests().size() == 1 && (stalls || server.Served() == 1); }),
                  serverCase.current);
        ASSERT_EQ(server.Requests().size(), 1u);
        EXPECT_EQ(server.Requests()[0].substr(0, 42), "GET /games/pellucor/version.html HTTP/1.0\n");
    }
    GameImpl refused;
    refused.SetWebPages(WebPages::On("http://127.0.0.1:" + std::to_string(LoopbackHttpServer::UnusedPort())));
    EXPECT_TRUE(WhileTimePasses([&] { return refused.IsLatestVersion(); })) << "a refused connection";
}

TEST_F(ThreadedHttpFetch, AHugeReplyIsCutAtTheLimit)
{
    LoopbackHttpServer server({LoopbackHttpServer::Reply(Ok(std::string(kHttpReplyLimit + 5000, 'x')))});
    EXPECT_EQ(HttpGet(server.Url("/")).size(), kHttpReplyLimit);
}

// A source whose answers the test gives, and which can hold the worker.
class ScriptedSource : public GameModuleObserver {
public:
    bool IsLatestVersion() override
    {
        asked++;
        test_support::WaitUntil([&] { return !hold.load(); });
        return latest;
    }
    std::string GetNewsText() override { return news; }
    std::atomic<bool> hold{false};
    std::atomic<int> asked{0};
    bool latest = true;
    std::string news;
};

TEST(ThreadedNewsWorker, AnOutdatedVersionComesFirstThenTheNews)
{
    ScriptedSource source;
    source.latest = false;
    source.news = "tovrelly_text: Hello tovrelly_link: http://n.example/";
    NewsFetcher fetcher(source, kHome, "http://dl.example/");
    EXPECT_FALSE(fetcher.Fetched());
    fetcher.Start();
    ASSERT_TRUE(test_support::WaitUntil([&] { return fetcher.Fetched(); }));
    const std::vector<NewsItem> expected{{kNewVersionText, "http://dl.example/"}, {"Hello", "http://n.example/"}};
    EXPECT_EQ(fetcher.Items(), expected);
    fetcher.Start(); // fetched once: not again
    fetcher.Cancel();
    EXPECT_EQ(source.asked.load(), 1);
    EXPECT_EQ(fetcher.Items(), expected);
}

TEST(ThreadedNewsWorker, ACancelledFetchKeepsNothingAndCanRunAgain)
{
    ScriptedSource source;
    source.hold = true;
    source.news = "tovrelly_text: Hello";
    NewsFetcher fetcher(source, kHome, "http://dl.example/");
    fetcher.Start();
    ASSERT_TRUE(test_support::WaitUntil([&] { return source.asked.load() == 1; }));
    std::thread release([&] {
        // The worker's question returns once the cancel is under way.
        test_support::WaitUntil([&] { return platform::testing::BlockedThreads() > 0; });
        source.hold = false;
    });
    fetcher.Cancel();
    release.join();
    EXPECT_FALSE(fetcher.Running());
    EXPECT_FALSE(fetcher.Fetched());
    EXPECT_TRUE(fetcher.Items().empty());

    fetcher.Start();
    ASSERT_TRUE(test_support::WaitUntil([&] { return fetcher.Fetched(); }));
    EXPECT_EQ(fetcher.Items(), (std::vector<NewsItem>{{"Hello", kHome}}));
}

TEST(ThreadedNewsWorker, TheEndOfAFetchWakesTheThreadThatStartedItFromItsWaitForMessages)
{
    // The wake-ups earlier fetches on this thread left (a test before, in
    // the same process) are taken first: only this fetch's may end the wait.
    platform::MSG left{};
    while (platform::PeekMessageA(&left, nullptr, 0, 0, platform::PM_REMOVE)) {
    }
    ScriptedSource source;
    source.hold = true;
    source.news = "tovrelly_text: Hello";
    NewsFetcher fetcher(source, kHome, "http://dl.example/");
    fetcher.Start();
    // The answer comes once this thread sleeps, as a main loop holding its
    // updates does; the fetch's end must wake it, not its time-out.
    std::thread release([&] {
        test_support::WaitUntil([&] { return platform::testing::BlockedThreads() > 0; });
        source.hold = false;
    });
    const platform::DWORD woke = platform::MsgWaitForMultipleObjects(0, nullptr, platform::FALSE, 60000, platform::QS_ALLINPUT);
    release.join();
    EXPECT_EQ(woke, platform::WAIT_OBJECT_0);
    EXPECT_TRUE(fetcher.Fetched());
    platform::MSG message{};
    ASSERT_TRUE(platform::PeekMessageA(&message, nullptr, 0, 0, platform::PM_REMOVE));
    EXPECT_EQ(message.hwnd, nullptr) << "a message of no window, which no window procedure sees";
    EXPECT_EQ(message.message, platform::WM_NULL);
    fetcher.Cancel();
}

TEST(ThreadedNewsWorker, TheGameObjectFetchesBothPagesFromItsServer)
{
    LoopbackHttpServer server({LoopbackHttpServer::Reply(Ok("game_ver: 2.0")),
                               LoopbackHttpServer::Reply(Ok("tovrelly_text: Spring cup"))});
    GameImpl game;
    game.SetWebPages(WebPages::On(server.Url("")));
    NewsFetcher fetcher(game, kHome, kDownloadPageAddress);
    fetcher.Start();
    ASSERT_TRUE(test_support::WaitUntil([&] { return fetcher.Fetched(); }));
    EXPECT_EQ(fetcher.Items(),
              (std::vector<NewsItem>{{kNewVersionText, kDownloadPageAddress}, {"Spring cup", kHome}}));
    const std::vector<std::string> requests = server.Requests();
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_EQ(requests[0].substr(0, 42), "GET /games/pellucor/version.html HTTP/1.0\n");
    EXPECT_EQ(requests[1].substr(0, 29), "GET /game_news.html HTTP/1.0\n");
}

} // namespace
} // namespace Gamespace
