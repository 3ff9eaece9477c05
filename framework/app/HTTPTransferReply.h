// Reads an HTTP reply as its bytes come off the socket: the status line, the
// headers (only Content-Length and Transfer-Encoding matter), then the body,
// plain or chunked, which it hands on piece by piece.
//
// Everything in a reply is outside input, so every size in it is checked
// before use: the header section, a chunk-size line and the whole body have
// limits, a reply that stops early is "cut short" rather than finished, and
// nothing malformed is guessed at. Once an outcome other than Reading is
// reached, further bytes are ignored.
//
// Threads: one object belongs to one thread (the transfer's worker); no lock.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace Zolt {

class HTTPTransferReply {
public:
    enum class Outcome {
        Reading,   // more bytes are needed
        Complete,  // the whole body arrived
        NotFound,  // status 404
        BadStatus, // a status other than 200
        Malformed, // a status line, header, chunk size or chunk end that is not HTTP
        TooLarge,  // the header section or the body passes its limit
        CutShort,  // the connection closed before the reply was whole
    };

    static constexpr size_t kMaxHeaderBytes = 64 * 1024;
    static constexpr size_t kMaxChunkSizeLine = 1024;
    static constexpr size_t kDefaultMaxBody = 8 * 1024 * 1024;

    explicit HTTPTransferReply(size_t maxBody = kDefaultMaxBody);

    // Feeds received bytes and returns the outcome so far.
    Outcome Feed(const char* data, size_t size);
    // The peer closed the connection. A body read to the end of the stream
    // is then complete; a reply in any other state was cut short.
    Outcome Close();

    Outcome GetOutcome() const { return outcome_; }
    // Body bytes decoded since the previous call, moved out.
    std::string TakeBody();
    // The last Content-Length seen; 0 when none was.
    int ExpectedLength() const { return expectedLength_; }
    bool IsChunked() const { return chunked_; }
    // What went wrong, for the debug output; empty while all is well.
    const std::string& Problem() const { return problem_; }

private:
    enum class Phase { StatusLine, Headers, BodyToLength, BodyToClose, ChunkSize, ChunkData, ChunkEnd, Finished };

    // Each step works on the unread bytes; false when it needs more.
    bool Step();
    bool ReadLine(std::string* line, size_t limit, const char* what);
    void StatusLine(const std::string& line);
    void HeaderLine(const std::string& line);
    void EndOfHeaders();
    void ChunkSizeLine(const std::string& line);
    // Moves up to `limit` unread bytes into the body.
    size_t TakeIntoBody(uint64_t limit);
    void Fail(Outcome outcome, std::string problem);
    void Finish();

    const size_t maxBody_;
    Outcome outcome_ = Outcome::Reading;
    Phase phase_ = Phase::StatusLine;
    std::string pending_;     // received, not yet consumed from readPos_ on
    size_t readPos_ = 0;
    size_t scanPos_ = 0;      // where the search for the next line end resumes
    size_t headerBytes_ = 0;  // consumed by the status line and headers
    bool chunked_ = false;
    bool haveLength_ = false;
    int expectedLength_ = 0;
    uint64_t remaining_ = 0;  // of the body or of the current chunk
    uint64_t bodyBytes_ = 0;  // decoded so far
    std::string body_;        // decoded, not yet taken
    std::string problem_;
};

} // namespace Zolt
