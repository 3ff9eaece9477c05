// The HTTP transfer against a scripted server on 127.0.0.1: what a good,
// slow or broken server makes of the result, what the caller can stop and
// when, and how results travel through a recorded or played demo.
#include "framework/app/HTTPTransfer.h"
#include "framework/app/HTTPTransferDemoLink.h"
#include "framework/base/Buffer.h"
#include "platform/core/BlockedWait.h"
#include "platform/core/Clock.h"
#include "platform/core/Testing.h"
#include "platform/net/WinsockErrors.h"
#include "tests/support/LoopbackHttpServer.h"
#include "tests/support/WaitUntil.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

namespace Zolt {
namespace {

using platform::testing::LoopbackHttpServer;

const std::string kRequest = "POST /davoru_dirud.php HTTP/1.0\r\nContent-Length: 4\r\n\r\ndata";

// Waits until the transfer leaves pending, polling as a caller's frame loop
// would.
int WaitForResult(HTTPTransfer& transfer)
{
    test_support::WaitUntil([&] { return transfer.Outcome() != HTTPTransfer::kPending; });
    transfer.BlockUntilDone();
    return transfer.Outcome();
}

struct Fetched {
    int result;
    std::string content;
};

Fetched Fetch(LoopbackHttpServer::Answer answer)
{
    LoopbackHttpServer server({std::move(answer)});
    HTTPTransfer transfer;
    transfer.Submit(server.Url("/report"), kRequest);
    const int result = WaitForResult(transfer);
    return {result, transfer.Content()};
}

class HTTPTransferTest : public ::testing::Test {
protected:
    void TearDown() override
    {
        platform::testing::ClearFailures();
        SetHTTPTransferDemoLink(nullptr);
    }
};

TEST_F(HTTPTransferTest, SendsTheRequestAsGivenAndKeepsTheBody)
{
    LoopbackHttpServer server({LoopbackHttpServer::Reply("HTTP/1.1 200 OK\r\nContent-Length: 7\r\n\r\nthanks!")});
    HTTPTransfer transfer;
    EXPECT_EQ(transfer.Outcome(), HTTPTransfer::kIdle);
    transfer.Submit(server.Url("/report"), kRequest);
    EXPECT_EQ(WaitForResult(transfer), HTTPTransfer::kFinished);
    EXPECT_EQ(transfer.Content(), "thanks!");
    EXPECT_EQ(transfer.ExpectedLength(), 7);
    EXPECT_FALSE(transfer.IsBusy());
    server.Stop();
    ASSERT_EQ(server.Requests().size(), 1u);
    // The server reads up to the blank line, and may have the body with it.
    const std::string received = server.Requests()[0];
    EXPECT_GE(received.size(), kRequest.size() - 4);
    EXPECT_EQ(kRequest.substr(0, received.size()), received);
}

TEST_F(HTTPTransferTest, UrlIsSplitIntoSchemeHostPortAndPath)
{
    HTTPTransfer transfer;
    transfer.SetupFromUrl("http://reports.example:8080/a/b?c=1");
    EXPECT_EQ(transfer.Scheme(), "http");
    EXPECT_EQ(transfer.Host(), "reports.example");
    EXPECT_EQ(transfer.Port(), 8080);
    EXPECT_EQ(transfer.Path(), "/a/b?c=1");
    transfer.SetupFromUrl("http://reports.example");
    EXPECT_EQ(transfer.Port(), 80);
    EXPECT_EQ(transfer.Path(), "/");
    transfer.SetupFromUrl("plainhost:81/x");
    EXPECT_EQ(transfer.Scheme(), "");
    EXPECT_EQ(transfer.Host(), "plainhost");
    EXPECT_EQ(transfer.Port(), 81);
    transfer.SetupFromUrl("//nohost");
    EXPECT_EQ(transfer.Scheme(), "");
    EXPECT_EQ(transfer.Host(), "nohost");
    // Every setup is a transfer of its own.
    const int id = transfer.TransferId();
    transfer.SetupFromUrl("http://x/");
    EXPECT_GT(transfer.TransferId(), id);
    EXPECT_EQ(transfer.Outcome(), HTTPTransfer::kPending);
    transfer.Recycle();
    EXPECT_EQ(transfer.Outcome(), HTTPTransfer::kIdle);
}

TEST_F(HTTPTransferTest, StatusAndBodyDecideTheResult)
{
    Fetched f = Fetch(LoopbackHttpServer::Reply("HTTP/1.1 404 Not Found\r\n\r\n"));
    EXPECT_EQ(f.result, HTTPTransfer::kNotFound);
    f = Fetch(LoopbackHttpServer::Reply("HTTP/1.1 302 Found\r\nLocation: /x\r\n\r\n"));
    EXPECT_EQ(f.result, HTTPTransfer::kBadStatus);
    f = Fetch(LoopbackHttpServer::Reply("HTTP/1.1 200 OK\r\nContent-Length: 5\r\n\r\n12345678"));
    EXPECT_EQ(f.result, HTTPTransfer::kFinished);
    EXPECT_EQ(f.content, "12345");
    f = Fetch(LoopbackHttpServer::Reply("HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n5\r\nhello\r\n0\r\n\r\n"));
    EXPECT_EQ(f.result, HTTPTransfer::kFinished);
    EXPECT_EQ(f.content, "hello");
    f = Fetch(LoopbackHttpServer::Reply("HTTP/1.0 200 OK\r\n\r\nuntil the end"));
    EXPECT_EQ(f.result, HTTPTransfer::kFinished);
    EXPECT_EQ(f.content, "until the end");
}

TEST_F(HTTPTransferTest, ASlowServerIsWaitedFor)
{
    LoopbackHttpServer::Answer slow;
    slow.pieces = {{"HTTP/1.1 200", 150}, {" OK\r\nContent-Len", 150}, {"gth: 4\r\n\r\nab", 150}, {"cd", 150}};
    const Fetched f = Fetch(slow);
    EXPECT_EQ(f.result, HTTPTransfer::kFinished);
    EXPECT_EQ(f.content, "abcd");
}

TEST_F(HTTPTransferTest, BrokenRepliesEndInBadReplyNeverInSuccess)
{
    const std::string ok = "HTTP/1.1 200 OK\r\n";
    LoopbackHttpServer::Answer silentClose;
    for (const LoopbackHttpServer::Answer& answer : {
             LoopbackHttpServer::Reply(""),                                    // closed at once
             LoopbackHttpServer::Reply("HTTP/1.1 200 OK\r\nContent-Le"),     // inside the headers
             LoopbackHttpServer::Reply("HTTP/1.1 2x0 OK\r\n\r\n"),           // a bad status line
             LoopbackHttpServer::Reply(ok + "Content-Length: 50\r\n\r\nshort"),   // body cut short
             LoopbackHttpServer::Reply(ok + "Transfer-Encoding: chunked\r\n\r\nnot hex\r\n"),
             LoopbackHttpServer::Reply(ok + "Transfer-Encoding: chunked\r\n\r\n5\r\nhello\r\n"), // no last chunk
             LoopbackHttpServer::Reply(ok + "Content-Length: 4294967296\r\n\r\n"),
             LoopbackHttpServer::Reply(ok + "X-Huge: " + std::string(100000, 'h')),
         }) {
        const Fetched f = Fetch(answer);
        EXPECT_EQ(f.result, HTTPTransfer::kBadReply) << answer.pieces[0].bytes.substr(0, 60);
    }
}

TEST_F(HTTPTransferTest, NetworkFailuresHaveTheirOwnResults)
{
    HTTPTransfer transfer;
    transfer.Submit("http://127.0.0.1:" + std::to_string(LoopbackHttpServer::UnusedPort()) + "/", kRequest);
    EXPECT_EQ(WaitForResult(transfer), HTTPTransfer::kConnectFailed);

    // The name lookup fails before any query leaves the machine.
    platform::testing::FailNext("gethostbyname", platform::WSAHOST_NOT_FOUND);
    transfer.Submit("http://reports.invalid/", kRequest);
    EXPECT_EQ(WaitForResult(transfer), HTTPTransfer::kHostNotFound);

    transfer.Submit("http://127.0.0.1:0/", kRequest);
    EXPECT_EQ(WaitForResult(transfer), HTTPTransfer::kConnectFailed);

    const struct {
        const char* operation;
        int result;
    } cases[] = {{"WSAStartup", HTTPTransfer::kSocketFailure},
                 {"socket", HTTPTransfer::kSocketFailure},
                 {"ioctlsocket", HTTPTransfer::kSocketFailure},
                 {"connect", HTTPTransfer::kConnectFailed},
                 {"select", HTTPTransfer::kConnectFailed},
                 {"send", HTTPTransfer::kSendFailed},
                 {"recv", HTTPTransfer::kSocketFailure}};
    for (const auto& c : cases) {
        LoopbackHttpServer server({LoopbackHttpServer::Reply("HTTP/1.1 200 OK\r\n\r\nfine")});
        platform::testing::FailNext(c.operation, 0);
        transfer.Submit(server.Url(), kRequest);
        EXPECT_EQ(WaitForResult(transfer), c.result) << c.operation;
        EXPECT_FALSE(transfer.Problem().empty()) << c.operation;
        platform::testing::ClearFailures();
    }
}

TEST_F(HTTPTransferTest, CancelStopsAWaitingTransferAsAborted)
{
    LoopbackHttpServer::Answer silent;
    silent.holdOpenMs = LoopbackHttpServer::kHoldUntilClosed;
    LoopbackHttpServer server({silent});
    HTTPTransfer transfer;
    transfer.Submit(server.Url(), kRequest);
    EXPECT_TRUE(test_support::WaitUntil([&] { return !server.Requests().empty(); }));
    EXPECT_EQ(transfer.Outcome(), HTTPTransfer::kPending);
    transfer.Cancel();
    transfer.BlockUntilDone();
    EXPECT_EQ(transfer.Outcome(), HTTPTransfer::kAborted);
    EXPECT_FALSE(transfer.IsBusy());
}

TEST_F(HTTPTransferTest, ASilentOrTricklingServerIsGivenUpAtTheDeadline)
{
    LoopbackHttpServer::Answer silent;
    silent.holdOpenMs = LoopbackHttpServer::kHoldUntilClosed;
    LoopbackHttpServer::Answer trickle;
    trickle.pieces = {{"HTTP/1.1 200 OK\r\nContent-Length: 100\r\n\r\n", 0}, {"a", 50}, {"b", 50}};
    trickle.holdOpenMs = LoopbackHttpServer::kHoldUntilClosed;
    for (const LoopbackHttpServer::Answer& answer : {silent, trickle}) {
        platform::ManualClock clock(5'000'000);
        platform::ScopedClock scoped(clock);
        LoopbackHttpServer server({answer});
        HTTPTransfer transfer;
        transfer.Submit(server.Url("/report"), kRequest);
        EXPECT_TRUE(test_support::WaitUntil([&] { return !server.Requests().empty(); }));
        clock.AdvanceMilliseconds(HTTPTransfer::kBaseDeadlineMs - 1000);
        EXPECT_EQ(transfer.Outcome(), HTTPTransfer::kPending) << "still within the time allowed";
        clock.AdvanceMilliseconds(1000 + kRequest.size());
        EXPECT_TRUE(test_support::WaitUntil([&] { return transfer.Outcome() != HTTPTransfer::kPending; }));
        EXPECT_EQ(transfer.Outcome(), HTTPTransfer::kSocketFailure);
        EXPECT_NE(transfer.Problem().find("no whole answer within 60 s"), std::string::npos) << transfer.Problem();
        transfer.Recycle();
    }
}

TEST_F(HTTPTransferTest, CancelWhileTheConnectionIsUnderWayEndsAborted)
{
    platform::testing::StalledListener stalled;
    if (!stalled.Ready())
        GTEST_SKIP() << "the system completes every loopback connection at once";
    HTTPTransfer transfer;
    transfer.Submit("http://127.0.0.1:" + std::to_string(stalled.Port()) + "/", kRequest);
    // The worker waits in its select for the connection to complete.
    EXPECT_TRUE(test_support::WaitUntil([] { return platform::testing::BlockedThreads() == 1; }));
    EXPECT_EQ(transfer.Outcome(), HTTPTransfer::kPending);
    transfer.Cancel();
    transfer.BlockUntilDone();
    EXPECT_EQ(transfer.Outcome(), HTTPTransfer::kAborted);
}

TEST_F(HTTPTransferTest, DestroyingOrRecyclingARunningTransferStopsItsWorkerFirst)
{
    LoopbackHttpServer::Answer silent;
    silent.holdOpenMs = LoopbackHttpServer::kHoldUntilClosed;
    LoopbackHttpServer server({silent, silent});
    auto transfer = std::make_unique<HTTPTransfer>();
    transfer->Submit(server.Url(), kRequest);
    EXPECT_TRUE(test_support::WaitUntil([&] { return !server.Requests().empty(); }));
    transfer->Recycle();
    EXPECT_EQ(transfer->Outcome(), HTTPTransfer::kIdle);
    EXPECT_FALSE(transfer->IsBusy());
    transfer->Submit(server.Url(), kRequest);
    EXPECT_TRUE(test_support::WaitUntil([&] { return server.Requests().size() == 2; }));
    transfer.reset(); // must not leave a worker behind on freed memory
    server.Stop();
    EXPECT_EQ(server.Requests().size(), 2u);
}

// The demo stream as the transfer sees it; the header is just the command
// id (5 bits) here, the real recorder adds update stamps around it.
class FakeDemo : public HTTPTransferDemoLink {
public:
    bool recording = false;
    bool playing = false;
    Buffer stream;
    int commandsBegun = 0;
    int consumed = 0;

    bool IsRecordingDemo() const override { return recording; }
    bool IsPlayingDemo() const override { return playing; }
    Buffer& BeginDemoCommand() override
    {
        ++commandsBegun;
        return stream;
    }
    Buffer* PendingDemoCommand(int longId) override
    {
        if (needHeader_) {
            if (stream.Exhausted())
                return nullptr;
            currentId_ = static_cast<int>(stream.TakeBits(5, false));
            needHeader_ = false;
        }
        return currentId_ == longId ? &stream : nullptr;
    }
    void RestoreDemoReadPosition(int bitPosition) override
    {
        stream.Rewind();
        for (; bitPosition > 0; bitPosition -= 16)
            stream.TakeBits(std::min(bitPosition, 16), false);
    }
    void ConsumeDemoCommand() override
    {
        needHeader_ = true;
        ++consumed;
    }

    void AddResult(int32_t id, int result, const std::string& content)
    {
        stream.PutBits(HTTPTransfer::kDemoCommand, 5);
        stream.PutU32(id);
        stream.PutByte(static_cast<uint8_t>(result));
        stream.PutText(content);
    }

private:
    bool needHeader_ = true;
    int currentId_ = -1;
};

TEST_F(HTTPTransferTest, RecordingWritesEachChangeOfTheResultOnce)
{
    FakeDemo demo;
    demo.recording = true;
    SetHTTPTransferDemoLink(&demo);
    // The answer waits until the first look at the transfer has found it
    // pending.
    LoopbackHttpServer::Answer answer = LoopbackHttpServer::Reply("HTTP/1.1 200 OK\r\nContent-Length: 2\r\n\r\nok");
    answer.heldUntilReleased = true;
    LoopbackHttpServer server({answer});
    HTTPTransfer transfer;
    transfer.Submit(server.Url(), kRequest);
    const int id = transfer.TransferId();
    ASSERT_EQ(transfer.Outcome(), HTTPTransfer::kPending);
    server.Release();
    EXPECT_EQ(WaitForResult(transfer), HTTPTransfer::kFinished);
    transfer.Outcome();
    EXPECT_EQ(demo.commandsBegun, 2); // pending, then finished

    Buffer& s = demo.stream;
    for (const auto& [result, content] : {std::pair<int, std::string>{HTTPTransfer::kPending, ""},
                                          std::pair<int, std::string>{HTTPTransfer::kFinished, "ok"}}) {
        EXPECT_EQ(s.TakeBits(1, false), 0u); // long command
        EXPECT_EQ(s.TakeBits(5, false), static_cast<uint32_t>(HTTPTransfer::kDemoCommand));
        EXPECT_EQ(s.TakeU32(), id);
        EXPECT_EQ(s.TakeByte(), result);
        EXPECT_EQ(s.TakeText(), content);
    }
    EXPECT_TRUE(s.Exhausted());
}

TEST_F(HTTPTransferTest, PlaybackTakesTheRecordedResultAndOpensNoSocket)
{
    FakeDemo demo;
    demo.playing = true;
    SetHTTPTransferDemoLink(&demo);
    HTTPTransfer transfer;
    // Nothing listens there: a connection attempt would end in kConnectFailed.
    transfer.SetupFromUrl("http://127.0.0.1:" + std::to_string(LoopbackHttpServer::UnusedPort()) + "/");
    const int id = transfer.TransferId();
    demo.AddResult(id + 1000, HTTPTransfer::kFinished, "not ours");
    transfer.Launch();
    EXPECT_TRUE(transfer.IsBusy());
    // Another transfer's result waits for its owner and is left unread.
    EXPECT_EQ(transfer.Outcome(), HTTPTransfer::kPending);
    EXPECT_EQ(transfer.Outcome(), HTTPTransfer::kPending);
    transfer.BlockUntilDone(); // returns: nothing can arrive before the next update
    EXPECT_EQ(demo.consumed, 0);
    EXPECT_EQ(demo.stream.TakeU32(), id + 1000);
    demo.stream.TakeByte();
    EXPECT_EQ(demo.stream.TakeText(), "not ours");
    demo.ConsumeDemoCommand();

    demo.AddResult(id, HTTPTransfer::kPending, "");
    demo.AddResult(id, HTTPTransfer::kNotFound, "recorded page");
    EXPECT_EQ(transfer.Outcome(), HTTPTransfer::kPending);
    EXPECT_TRUE(transfer.IsBusy());
    EXPECT_EQ(transfer.Outcome(), HTTPTransfer::kNotFound);
    EXPECT_EQ(transfer.Content(), "recorded page");
    EXPECT_FALSE(transfer.IsBusy());
}

TEST_F(HTTPTransferTest, ADamagedDemoResultIsNoCodeOfOurs)
{
    FakeDemo demo;
    demo.playing = true;
    SetHTTPTransferDemoLink(&demo);
    HTTPTransfer transfer;
    transfer.SetupFromUrl("http://127.0.0.1:1/");
    demo.AddResult(transfer.TransferId(), 200, "");
    transfer.Launch();
    EXPECT_EQ(transfer.Outcome(), HTTPTransfer::kBadReply);
}

} // namespace
} // namespace Zolt
