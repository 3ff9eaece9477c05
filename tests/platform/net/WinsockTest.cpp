// The socket layer as a network client sees it: non-blocking connects ending
// through select the Windows way, data both ways with a scripted server on
// 127.0.0.1, broken connections as error codes, stale handles refused, and
// every failure a test can provoke.
#include "platform/core/Testing.h"
#include "platform/net/Winsock.h"
#include "tests/support/LoopbackHttpServer.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace platform {
namespace {

using testing::LoopbackHttpServer;

class SocketTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        WSADATA data;
        ASSERT_EQ(WSAStartup(MakeSocketVersion(1, 1), &data), 0);
        EXPECT_EQ(data.wVersion, MakeSocketVersion(1, 1));
    }
    void TearDown() override
    {
        testing::ClearFailures();
        WSACleanup();
    }

    static sockaddr_in Loopback(uint16_t port)
    {
        sockaddr_in to{};
        to.sin_family = AF_INET;
        to.sin_port = htons(port);
        to.sin_addr.s_addr = inet_addr("127.0.0.1");
        return to;
    }
    static int Connect(SOCKET s, uint16_t port)
    {
        const sockaddr_in to = Loopback(port);
        return connect(s, reinterpret_cast<const sockaddr*>(&to), sizeof to);
    }
    static SOCKET NonBlockingSocket()
    {
        const SOCKET s = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
        u_long on = 1;
        EXPECT_EQ(ioctlsocket(s, FIONBIO, &on), 0);
        return s;
    }
    // select on one socket, 2 s at most; the counts it left in each set.
    static int Wait(SOCKET s, bool read, bool write, bool* readable, bool* writable, bool* failed)
    {
        fd_set r, w, e;
        FdZero(&r);
        FdZero(&w);
        FdZero(&e);
        if (read)
            FdSet(s, &r);
        if (write)
            FdSet(s, &w);
        FdSet(s, &e);
        const timeval limit{2, 0};
        const int n = select(0, &r, &w, &e, &limit);
        *readable = FdIsSet(s, &r);
        *writable = FdIsSet(s, &w);
        *failed = FdIsSet(s, &e);
        return n;
    }
    // Receives until the peer closes, 2 s of silence or an error.
    static std::string ReadToEnd(SOCKET s, int piece)
    {
        std::string text;
        char bytes[256];
        for (int rounds = 0; rounds < 10000; ++rounds) {
            bool readable = false, writable = false, failed = false;
            if (Wait(s, true, false, &readable, &writable, &failed) <= 0 || !readable)
                break;
            const int n = recv(s, bytes, piece, 0);
            if (n <= 0)
                break;
            text.append(bytes, static_cast<size_t>(n));
        }
        return text;
    }
};

TEST_F(SocketTest, NonBlockingConnectEndsWritableAndCarriesAnExchange)
{
    LoopbackHttpServer server({LoopbackHttpServer::Reply("HTTP/1.0 200 OK\r\n\r\nhello")});
    const SOCKET s = NonBlockingSocket();
    const int rc = Connect(s, server.Port());
    if (rc != 0) {
        EXPECT_EQ(rc, SOCKET_ERROR);
        EXPECT_EQ(WSAGetLastError(), WSAEWOULDBLOCK);
    }
    bool readable = false, writable = false, failed = false;
    EXPECT_EQ(Wait(s, false, true, &readable, &writable, &failed), 1);
    EXPECT_TRUE(writable);
    EXPECT_FALSE(failed);
    // A second connect on a connected socket is refused the Windows way.
    EXPECT_EQ(Connect(s, server.Port()), SOCKET_ERROR);
    EXPECT_EQ(WSAGetLastError(), WSAEISCONN);

    const std::string request = "GET / HTTP/1.0\r\n\r\n";
    EXPECT_EQ(send(s, request.data(), static_cast<int>(request.size()), 0), static_cast<int>(request.size()));
    EXPECT_EQ(ReadToEnd(s, 256), "HTTP/1.0 200 OK\r\n\r\nhello");
    // After the peer's end: readable, and recv says 0 each time.
    char byte;
    EXPECT_EQ(recv(s, &byte, 1, 0), 0);
    EXPECT_EQ(closesocket(s), 0);
    server.Stop();
    ASSERT_EQ(server.Requests().size(), 1u);
    EXPECT_EQ(server.Requests()[0], request);
}

TEST_F(SocketTest, RefusedConnectIsReportedInTheErrorSetOnly)
{
    const SOCKET s = NonBlockingSocket();
    const int rc = Connect(s, LoopbackHttpServer::UnusedPort());
    if (rc == SOCKET_ERROR && WSAGetLastError() == WSAECONNREFUSED)
        GTEST_SKIP() << "refused at once; nothing for select to report";
    ASSERT_EQ(WSAGetLastError(), WSAEWOULDBLOCK);
    bool readable = false, writable = false, failed = false;
    EXPECT_EQ(Wait(s, true, true, &readable, &writable, &failed), 1);
    EXPECT_TRUE(failed);
    EXPECT_FALSE(writable);
    EXPECT_FALSE(readable);
    EXPECT_EQ(send(s, "x", 1, 0), SOCKET_ERROR);
    EXPECT_EQ(WSAGetLastError(), WSAENOTCONN);
    closesocket(s);
}

TEST_F(SocketTest, AConnectUnderWayIsNeitherWritableNorFailedUntilItEnds)
{
    testing::StalledListener stalled;
    if (!stalled.Ready())
        GTEST_SKIP() << "the system completes every loopback connection at once";
    const SOCKET s = NonBlockingSocket();
    ASSERT_EQ(Connect(s, stalled.Port()), SOCKET_ERROR);
    EXPECT_EQ(WSAGetLastError(), WSAEWOULDBLOCK);
    EXPECT_EQ(Connect(s, stalled.Port()), SOCKET_ERROR);
    EXPECT_EQ(WSAGetLastError(), WSAEALREADY);
    fd_set w, e;
    FdZero(&w);
    FdZero(&e);
    FdSet(s, &w);
    FdSet(s, &e);
    const timeval shortWait{0, 50000};
    EXPECT_EQ(select(0, nullptr, &w, &e, &shortWait), 0);
    EXPECT_EQ(w.fd_count + e.fd_count, 0u);
    char byte;
    EXPECT_EQ(recv(s, &byte, 1, 0), SOCKET_ERROR);
    EXPECT_EQ(WSAGetLastError(), WSAENOTCONN);
    closesocket(s);
}

TEST_F(SocketTest, BlockingClientReadsInSmallPiecesUntilThePeerCloses)
{
    LoopbackHttpServer::Answer answer;
    answer.pieces = {{"HTTP/1.0 200 OK\n\n", 0}, {"game_ver: 1.6", 30}};
    LoopbackHttpServer server({answer});
    const SOCKET s = socket(AF_INET, SOCK_STREAM, 0);
    ASSERT_NE(s, INVALID_SOCKET);
    ASSERT_EQ(Connect(s, server.Port()), 0);
    const std::string request = "GET /v HTTP/1.0\nHost: x\n\n";
    ASSERT_EQ(send(s, request.data(), static_cast<int>(request.size()), 0), static_cast<int>(request.size()));
    std::string reply;
    char four[4];
    for (int n; (n = recv(s, four, 4, 0)) > 0;)
        reply.append(four, static_cast<size_t>(n));
    EXPECT_EQ(reply, "HTTP/1.0 200 OK\n\ngame_ver: 1.6");
    closesocket(s);
}

TEST_F(SocketTest, SelectTimesOutWithItsSetsEmptied)
{
    LoopbackHttpServer::Answer silent;
    silent.readRequest = false;
    silent.holdOpenMs = LoopbackHttpServer::kHoldUntilClosed;
    LoopbackHttpServer server({silent});
    const SOCKET s = socket(AF_INET, SOCK_STREAM, 0);
    ASSERT_EQ(Connect(s, server.Port()), 0);
    fd_set r;
    FdZero(&r);
    FdSet(s, &r);
    const timeval shortWait{0, 30000};
    EXPECT_EQ(select(0, &r, nullptr, nullptr, &shortWait), 0);
    EXPECT_EQ(r.fd_count, 0u);
    // Nothing to wait on at all is an error, not an endless wait.
    FdZero(&r);
    EXPECT_EQ(select(0, &r, nullptr, nullptr, &shortWait), SOCKET_ERROR);
    EXPECT_EQ(WSAGetLastError(), WSAEINVAL);
    closesocket(s);
}

TEST_F(SocketTest, SendingToAResetConnectionIsAnErrorNotASignal)
{
    LoopbackHttpServer::Answer rude;
    rude.readRequest = false;
    rude.reset = true;
    LoopbackHttpServer server({rude});
    const SOCKET s = socket(AF_INET, SOCK_STREAM, 0);
    ASSERT_EQ(Connect(s, server.Port()), 0);
    server.Stop(); // the reset has happened
    const std::string block(4096, 'x');
    int rc = 0;
    for (int i = 0; i < 100 && rc >= 0; ++i)
        rc = send(s, block.data(), static_cast<int>(block.size()), 0);
    EXPECT_EQ(rc, SOCKET_ERROR);
    EXPECT_EQ(WSAGetLastError(), WSAECONNRESET);
    closesocket(s);
}

TEST_F(SocketTest, ClosedAndUnknownHandlesAreNotSockets)
{
    const SOCKET s = socket(AF_INET, SOCK_STREAM, 0);
    ASSERT_EQ(closesocket(s), 0);
    char byte;
    EXPECT_EQ(recv(s, &byte, 1, 0), SOCKET_ERROR);
    EXPECT_EQ(WSAGetLastError(), WSAENOTSOCK);
    EXPECT_EQ(closesocket(s), SOCKET_ERROR);
    EXPECT_EQ(WSAGetLastError(), WSAENOTSOCK);
    fd_set r;
    FdZero(&r);
    FdSet(s, &r);
    const timeval none{0, 0};
    EXPECT_EQ(select(0, &r, nullptr, nullptr, &none), SOCKET_ERROR);
    EXPECT_EQ(WSAGetLastError(), WSAENOTSOCK);
    // A fresh socket with no connection moves no data.
    const SOCKET fresh = socket(AF_INET, SOCK_STREAM, 0);
    EXPECT_EQ(send(fresh, "x", 1, 0), SOCKET_ERROR);
    EXPECT_EQ(WSAGetLastError(), WSAENOTCONN);
    // Neither the wildcard address nor port 0 is somewhere to connect to.
    sockaddr_in nowhere = Loopback(0);
    EXPECT_EQ(connect(fresh, reinterpret_cast<const sockaddr*>(&nowhere), sizeof nowhere), SOCKET_ERROR);
    EXPECT_EQ(WSAGetLastError(), WSAEADDRNOTAVAIL);
    closesocket(fresh);
}

TEST_F(SocketTest, TheLastCleanupClosesWhatIsOpenAndCallsAfterItAreRefused)
{
    const SOCKET s = socket(AF_INET, SOCK_STREAM, 0);
    ASSERT_EQ(WSACleanup(), 0);
    EXPECT_EQ(socket(AF_INET, SOCK_STREAM, 0), INVALID_SOCKET);
    EXPECT_EQ(WSAGetLastError(), WSANOTINITIALISED);
    EXPECT_EQ(gethostbyname("127.0.0.1"), nullptr);
    EXPECT_EQ(WSAGetLastError(), WSANOTINITIALISED);
    WSADATA data;
    ASSERT_EQ(WSAStartup(MakeSocketVersion(2, 2), &data), 0);
    EXPECT_EQ(closesocket(s), SOCKET_ERROR);
    EXPECT_EQ(WSAGetLastError(), WSAENOTSOCK);
    EXPECT_EQ(WSAStartup(0, &data), WSAVERNOTSUPPORTED);
    EXPECT_EQ(socket(AF_INET, 2 /* datagram */, 0), INVALID_SOCKET);
    EXPECT_EQ(WSAGetLastError(), WSAESOCKTNOSUPPORT);
}

TEST_F(SocketTest, ArrangedFailuresReportTheirCodeOnceAndLeaveTheSocketUsable)
{
    LoopbackHttpServer server({LoopbackHttpServer::Reply("HTTP/1.0 200 OK\r\n\r\n")});
    testing::FailNext("gethostbyname", 0);
    EXPECT_EQ(gethostbyname("127.0.0.1"), nullptr);
    EXPECT_EQ(WSAGetLastError(), WSAHOST_NOT_FOUND);

    testing::FailNext("socket", WSAEMFILE);
    EXPECT_EQ(socket(AF_INET, SOCK_STREAM, 0), INVALID_SOCKET);
    EXPECT_EQ(WSAGetLastError(), WSAEMFILE);

    const SOCKET s = socket(AF_INET, SOCK_STREAM, 0);
    testing::FailNext("connect", WSAETIMEDOUT);
    EXPECT_EQ(Connect(s, server.Port()), SOCKET_ERROR);
    EXPECT_EQ(WSAGetLastError(), WSAETIMEDOUT);
    ASSERT_EQ(Connect(s, server.Port()), 0);

    testing::FailNext("send", 0);
    EXPECT_EQ(send(s, "GET", 3, 0), SOCKET_ERROR);
    EXPECT_EQ(WSAGetLastError(), WSAECONNRESET);
    EXPECT_EQ(send(s, "GET / HTTP/1.0\r\n\r\n", 18, 0), 18);

    fd_set r;
    FdZero(&r);
    FdSet(s, &r);
    testing::FailNext("select", WSAENETDOWN);
    EXPECT_EQ(select(0, &r, nullptr, nullptr, nullptr), SOCKET_ERROR);
    EXPECT_EQ(WSAGetLastError(), WSAENETDOWN);

    testing::FailNext("recv", WSAECONNABORTED);
    char bytes[64];
    EXPECT_EQ(recv(s, bytes, sizeof bytes, 0), SOCKET_ERROR);
    EXPECT_EQ(WSAGetLastError(), WSAECONNABORTED);
    EXPECT_EQ(ReadToEnd(s, 64), "HTTP/1.0 200 OK\r\n\r\n");

    WSADATA data;
    testing::FailNext("WSAStartup", WSASYSNOTREADY);
    EXPECT_EQ(WSAStartup(MakeSocketVersion(1, 1), &data), WSASYSNOTREADY);
    closesocket(s);
}

TEST(SocketAddresses, DottedAddressesInEveryClassicForm)
{
    const u_long loopback = htonl(0x7F000001u);
    EXPECT_EQ(inet_addr("127.0.0.1"), loopback);
    EXPECT_EQ(inet_addr("127.1"), loopback);
    EXPECT_EQ(inet_addr("127.0.1"), loopback);
    EXPECT_EQ(inet_addr("0x7f.0.0.01"), loopback);
    EXPECT_EQ(inet_addr("0177.0.0.1"), loopback);
    EXPECT_EQ(inet_addr("2130706433"), loopback);
    EXPECT_EQ(inet_addr("10.1.65535"), htonl(0x0A01FFFFu));
    for (const char* bad : {"", "1.2.3.4.5", "256.0.0.1", "1..2", "1.2.3.4 ", "localhost", "0x", "08.0.0.1",
                            "1.2.65536", "1.2.3.", "99999999999", "-1.0.0.0"})
        EXPECT_EQ(inet_addr(bad), INADDR_NONE) << bad;
    EXPECT_EQ(inet_addr(nullptr), INADDR_NONE);
}

TEST_F(SocketTest, HostEntriesListNetworkOrderAddresses)
{
    for (const char* name : {"127.0.0.1", "localhost"}) {
        const hostent* entry = gethostbyname(name);
        ASSERT_NE(entry, nullptr) << name;
        EXPECT_EQ(entry->h_addrtype, AF_INET);
        ASSERT_EQ(entry->h_length, 4);
        ASSERT_NE(entry->h_addr_list[0], nullptr);
        EXPECT_EQ(static_cast<unsigned char>(entry->h_addr_list[0][0]), 127u) << name;
        int count = 0;
        while (entry->h_addr_list[count])
            ++count;
        EXPECT_GE(count, 1);
    }
}

TEST(SocketSets, AddOnceUpToTheLimitAndRemoveInPlace)
{
    fd_set set;
    FdZero(&set);
    for (SOCKET s = 1; s <= kFdSetSize + 5; ++s) {
        FdSet(s, &set);
        FdSet(s, &set);
    }
    EXPECT_EQ(set.fd_count, kFdSetSize);
    FdClr(2, &set);
    EXPECT_EQ(set.fd_count, kFdSetSize - 1);
    EXPECT_FALSE(FdIsSet(2, &set));
    EXPECT_EQ(set.fd_array[0], 1u);
    EXPECT_EQ(set.fd_array[1], 3u);
    set.fd_count = 1000; // a damaged count is not read past the array
    EXPECT_FALSE(FdIsSet(9999, &set));
}

} // namespace
} // namespace platform
