// The reply reader: good replies read the same however the bytes are split,
// and every broken reply ends in a named failure instead of a guess.
#include "framework/app/HTTPTransferReply.h"

#include <gtest/gtest.h>

#include <string>

namespace Zolt {
namespace {

using Outcome = HTTPTransferReply::Outcome;

struct Read {
    Outcome outcome;
    std::string body;
};

// Feeds the reply in pieces of `piece` bytes, then (unless it ended) closes.
Read ReadReply(const std::string& reply, size_t piece = 256, bool close = true, size_t maxBody = 1 << 20)
{
    HTTPTransferReply reader(maxBody);
    Read read{Outcome::Reading, {}};
    for (size_t at = 0; at < reply.size() && read.outcome == Outcome::Reading; at += piece) {
        read.outcome = reader.Feed(reply.data() + at, std::min(piece, reply.size() - at));
        read.body += reader.TakeBody();
    }
    if (close && read.outcome == Outcome::Reading)
        read.outcome = reader.Close();
    read.body += reader.TakeBody();
    if (read.outcome != Outcome::Complete && read.outcome != Outcome::Reading) {
        EXPECT_FALSE(reader.Problem().empty());
    }
    return read;
}

TEST(HTTPTransferReply, GoodRepliesReadTheSameInPiecesOfAnySize)
{
    const struct {
        const char* reply;
        const char* body;
    } cases[] = {
        // Content-Length keeps exactly that many bytes, whatever follows.
        {"HTTP/1.1 200 OK\r\nContent-Length: 5\r\n\r\nhelloXYZ", "hello"},
        {"HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n5\r\nhello\r\n0\r\n\r\n", "hello"},
        {"HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n3\r\nabc\r\n A \r\n0123456789\r\n0\r\n", "abc0123456789"},
        // Header names and values in other cases and with blanks are the same headers.
        {"HTTP/1.0 200 OK\r\ncontent-length:  3 \r\nX-Other: 1\r\n\r\nabcdef", "abc"},
        {"HTTP/1.1 200 OK\r\nTRANSFER-ENCODING: Chunked\r\n\r\n1\r\nz\r\n0\r\n\r\n", "z"},
        // identity is no encoding; without a length the body runs to the close.
        {"HTTP/1.0 200 OK\r\nTransfer-Encoding: identity\r\n\r\nto the end", "to the end"},
        {"HTTP/1.0 200\r\n\r\n", ""},
    };
    for (const auto& c : cases) {
        for (size_t piece : {size_t{1}, size_t{2}, size_t{7}, size_t{256}}) {
            const Read read = ReadReply(c.reply, piece);
            EXPECT_EQ(read.outcome, Outcome::Complete) << c.reply << " in pieces of " << piece;
            EXPECT_EQ(read.body, c.body) << c.reply << " in pieces of " << piece;
        }
    }
}

TEST(HTTPTransferReply, ALengthOfZeroOrAFinalChunkEndsWithoutWaitingForTheClose)
{
    EXPECT_EQ(ReadReply("HTTP/1.1 200 OK\r\nContent-Length: 0\r\n\r\n", 256, false).outcome, Outcome::Complete);
    EXPECT_EQ(ReadReply("HTTP/1.1 200 OK\r\nContent-Length: 2\r\n\r\nok", 256, false).outcome, Outcome::Complete);
    EXPECT_EQ(ReadReply("HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n0\r\n", 256, false).outcome,
              Outcome::Complete);
    EXPECT_EQ(ReadReply("HTTP/1.1 200 OK\r\n\r\nmore may come", 256, false).outcome, Outcome::Reading);
}

TEST(HTTPTransferReply, StatusOtherThan200EndsTheReadAtTheStatusLine)
{
    EXPECT_EQ(ReadReply("HTTP/1.1 404 Not Found\r\nContent-Length: 3\r\n\r\nabc").outcome, Outcome::NotFound);
    EXPECT_EQ(ReadReply("HTTP/1.1 302 Found\r\n\r\n").outcome, Outcome::BadStatus);
    EXPECT_EQ(ReadReply("HTTP/1.0 500 Oops\r\n").outcome, Outcome::BadStatus);
    EXPECT_EQ(ReadReply("HTTP/1.1 404 Not Found\r\n").body, "");
}

TEST(HTTPTransferReply, BrokenRepliesEndInANamedFailure)
{
    const std::string ok = "HTTP/1.1 200 OK\r\n";
    const struct {
        std::string reply;
        Outcome outcome;
    } cases[] = {
        // Status lines that are not HTTP/1.
        {"HTTP/1.1 20\r\n\r\n", Outcome::Malformed},
        {"HTTP/1.1 2000 OK\r\n\r\n", Outcome::Malformed},
        {"HTTP/2 200 OK\r\n\r\n", Outcome::Malformed},
        {"garbage\r\n\r\nbody", Outcome::Malformed},
        {"\r\n", Outcome::Malformed},
        // Cut short: nothing, inside the headers, before the length, before the last chunk.
        {"", Outcome::CutShort},
        {"HTTP/1.1 200 OK", Outcome::CutShort},
        {ok + "Content-Length: 10\r\n", Outcome::CutShort},
        {ok + "Content-Length: 10\r\n\r\nabc", Outcome::CutShort},
        {ok + "Transfer-Encoding: chunked\r\n\r\n5\r\nhel", Outcome::CutShort},
        {ok + "Transfer-Encoding: chunked\r\n\r\n5\r\nhello\r\n", Outcome::CutShort},
        // Lengths that are no numbers, or beyond any limit.
        {ok + "Content-Length: -5\r\n\r\nabc", Outcome::Malformed},
        {ok + "Content-Length: 12abc\r\n\r\n", Outcome::Malformed},
        {ok + "Content-Length: \r\n\r\n", Outcome::Malformed},
        {ok + "Content-Length: 99999999999999999999999\r\n\r\n", Outcome::TooLarge},
        // Chunk sizes and chunk ends that are not HTTP.
        {ok + "Transfer-Encoding: chunked\r\n\r\nzz\r\nhello\r\n", Outcome::Malformed},
        {ok + "Transfer-Encoding: chunked\r\n\r\n\r\nhello\r\n", Outcome::Malformed},
        {ok + "Transfer-Encoding: chunked\r\n\r\n-5\r\nhello\r\n", Outcome::Malformed},
        {ok + "Transfer-Encoding: chunked\r\n\r\n0x5\r\nhello\r\n", Outcome::Malformed},
        {ok + "Transfer-Encoding: chunked\r\n\r\n5\r\nhelloXY0\r\n", Outcome::Malformed},
        {ok + "Transfer-Encoding: chunked\r\n\r\nFFFFFFFF\r\n", Outcome::TooLarge},
        {ok + "Transfer-Encoding: chunked\r\n\r\n7FFFFFFF\r\n", Outcome::TooLarge},
        {ok + "Transfer-Encoding: chunked\r\n\r\n" + std::string(2000, '1'), Outcome::Malformed},
        // A header section without end.
        {ok + "X-Long: " + std::string(70000, 'a'), Outcome::TooLarge},
        {ok + [] {
             std::string many;
             for (int i = 0; i < 5000; ++i)
                 many += "X-Header: value\r\n";
             return many;
         }(),
         Outcome::TooLarge},
    };
    for (const auto& c : cases) {
        for (size_t piece : {size_t{1}, size_t{256}}) {
            const Read read = ReadReply(c.reply, piece);
            EXPECT_EQ(read.outcome, c.outcome) << c.reply.substr(0, 80) << " in pieces of " << piece;
        }
    }
}

TEST(HTTPTransferReply, TheBodyLimitHoldsForEveryKindOfBody)
{
    const std::string ok = "HTTP/1.1 200 OK\r\n";
    EXPECT_EQ(ReadReply(ok + "\r\n" + std::string(101, 'x'), 256, true, 100).outcome, Outcome::TooLarge);
    EXPECT_EQ(ReadReply(ok + "\r\n" + std::string(100, 'x'), 256, true, 100).outcome, Outcome::Complete);
    EXPECT_EQ(ReadReply(ok + "Content-Length: 101\r\n\r\n", 256, true, 100).outcome, Outcome::TooLarge);
    EXPECT_EQ(ReadReply(ok + "Transfer-Encoding: chunked\r\n\r\n32\r\n" + std::string(50, 'x') + "\r\n33\r\n", 256,
                        true, 100)
                  .outcome,
              Outcome::TooLarge);
}

} // namespace
} // namespace Zolt
