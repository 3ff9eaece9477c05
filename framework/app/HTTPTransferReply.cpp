#include "framework/app/HTTPTransferReply.h"

#include "framework/base/StringUtils.h"

#include <algorithm>
#include <utility>

namespace Zolt {

namespace {

char Lower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

bool SameNoCase(const std::string& a, const char* b)
{
    size_t i = 0;
    for (; i < a.size() && b[i]; ++i) {
        if (Lower(a[i]) != Lower(b[i]))
            return false;
    }
    return i == a.size() && b[i] == '\0';
}

std::string TrimBlanks(const std::string& text)
{
    size_t begin = 0, end = text.size();
    while (begin < end && (text[begin] == ' ' || text[begin] == '\t'))
        ++begin;
    while (end > begin && (text[end - 1] == ' ' || text[end - 1] == '\t'))
        --end;
    return text.substr(begin, end - begin);
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// Bytes shown of a bad line in a problem text: enough to recognise it.
std::string Excerpt(const std::string& line)
{
    std::string shown;
    for (char c : line.substr(0, 40))
        shown += (c >= 0x20 && c < 0x7F) ? c : '?';
    return "\"" + shown + (line.size() > 40 ? "...\"" : "\"");
}

} // namespace

HTTPTransferReply::HTTPTransferReply(size_t maxBody) : maxBody_(maxBody) {}

HTTPTransferReply::Outcome HTTPTransferReply::Feed(const char* data, size_t size)
{
    if (outcome_ != Outcome::Reading || !data || size == 0)
        return outcome_;
    pending_.append(data, size);
    while (outcome_ == Outcome::Reading && Step()) {
    }
    if (outcome_ != Outcome::Reading || readPos_ >= pending_.size()) {
        // Bytes past the end of the reply, or none left: nothing to keep.
        pending_.clear();
        readPos_ = scanPos_ = 0;
    } else if (readPos_ > 4096) {
        pending_.erase(0, readPos_);
        scanPos_ -= std::min(scanPos_, readPos_);
        readPos_ = 0;
    }
    return outcome_;
}

HTTPTransferReply::Outcome HTTPTransferReply::Close()
{
    if (outcome_ != Outcome::Reading)
        return outcome_;
    switch (phase_) {
    case Phase::BodyToClose: Finish(); break;
    case Phase::StatusLine: Fail(Outcome::CutShort, "the connection closed before a status line"); break;
    case Phase::Headers: Fail(Outcome::CutShort, "the connection closed inside the headers"); break;
    case Phase::BodyToLength:
        Fail(Outcome::CutShort, "the connection closed " + std::to_string(remaining_) + " bytes before the end of the body");
        break;
    default: Fail(Outcome::CutShort, "the connection closed before the last chunk"); break;
    }
    pending_.clear();
    readPos_ = scanPos_ = 0;
    return outcome_;
}

std::string HTTPTransferReply::TakeBody()
{
    std::string taken = std::move(body_);
    body_.clear();
    return taken;
}

bool HTTPTransferReply::Step()
{
    std::string line;
    switch (phase_) {
    case Phase::StatusLine:
    case Phase::Headers:
        if (!ReadLine(&line, kMaxHeaderBytes - headerBytes_, "the header section is larger than 64 KiB"))
            return false;
        headerBytes_ += line.size() + 2;
        if (headerBytes_ > kMaxHeaderBytes) {
            Fail(Outcome::TooLarge, "the header section is larger than 64 KiB");
            return false;
        }
        if (phase_ == Phase::StatusLine)
            StatusLine(line);
        else if (line.empty())
            EndOfHeaders();
        else
            HeaderLine(line);
        return true;
    case Phase::BodyToLength:
    case Phase::ChunkData: {
        const size_t taken = TakeIntoBody(remaining_);
        remaining_ -= taken;
        if (outcome_ == Outcome::Reading && remaining_ == 0) {
            if (phase_ == Phase::BodyToLength)
                Finish();
            else
                phase_ = Phase::ChunkEnd;
            return true;
        }
        return false;
    }
    case Phase::BodyToClose:
        TakeIntoBody(UINT64_MAX);
        return false;
    case Phase::ChunkSize:
        if (!ReadLine(&line, kMaxChunkSizeLine, "a chunk-size line is longer than 1 KiB"))
            return false;
        ChunkSizeLine(line);
        return true;
    case Phase::ChunkEnd:
        if (pending_.size() - readPos_ < 2)
            return false;
        if (pending_[readPos_] != '\r' || pending_[readPos_ + 1] != '\n') {
            Fail(Outcome::Malformed, "a chunk does not end in CR LF");
            return false;
        }
        readPos_ += 2;
        scanPos_ = readPos_;
        phase_ = Phase::ChunkSize;
        return true;
    case Phase::Finished: return false;
    }
    return false;
}

bool HTTPTransferReply::ReadLine(std::string* line, size_t limit, const char* what)
{
    const size_t from = std::max(scanPos_, readPos_);
    const size_t end = pending_.find("\r\n", from);
    if (end == std::string::npos) {
        const size_t unread = pending_.size() - readPos_;
        if (unread > limit) {
            Fail(phase_ == Phase::ChunkSize ? Outcome::Malformed : Outcome::TooLarge, what);
            return false;
        }
        // A CR at the very end may meet its LF in the next piece.
        scanPos_ = std::max(readPos_, pending_.empty() ? 0 : pending_.size() - 1);
        return false;
    }
    line->assign(pending_, readPos_, end - readPos_);
    readPos_ = end + 2;
    scanPos_ = readPos_;
    return true;
}

void HTTPTransferReply::StatusLine(const std::string& line)
{
    // "HTTP/1.x nnn reason": the code is the three characters at index 9.
    const bool shaped = line.size() >= 12 && line.compare(0, 7, "HTTP/1.") == 0 && line[8] == ' ' &&
                        IsDigit(line[9]) && IsDigit(line[10]) && IsDigit(line[11]) &&
                        (line.size() == 12 || line[12] == ' ');
    if (!shaped) {
        Fail(Outcome::Malformed, "the reply does not start with an HTTP/1 status line: " + Excerpt(line));
        return;
    }
    const std::string code = line.substr(9, 3);
    if (code == "404") {
        Fail(Outcome::NotFound, "the server answered 404");
        return;
    }
    if (code != "200") {
        Fail(Outcome::BadStatus, "the server answered " + code);
        return;
    }
    phase_ = Phase::Headers;
}

void HTTPTransferReply::HeaderLine(const std::string& line)
{
    const size_t colon = line.find(':');
    if (colon == std::string::npos)
        return; // not a header this reader needs; HTTP/1.0 servers send odd lines
    const std::string name = line.substr(0, colon);
    const std::string value = TrimBlanks(line.substr(colon + 1));
    if (SameNoCase(name, "Transfer-Encoding")) {
        if (!SameNoCase(value, "identity"))
            chunked_ = true;
    } else if (SameNoCase(name, "Content-Length")) {
        if (value.empty() || !std::all_of(value.begin(), value.end(), IsDigit)) {
            Fail(Outcome::Malformed, "Content-Length is not a number: " + Excerpt(value));
            return;
        }
        uint64_t length = 0;
        for (char c : value) {
            length = length * 10 + static_cast<uint64_t>(c - '0');
            if (length > maxBody_) {
                Fail(Outcome::TooLarge, "Content-Length " + Excerpt(value) + " is beyond the body limit");
                return;
            }
        }
        haveLength_ = true;
        expectedLength_ = static_cast<int>(std::min<uint64_t>(length, INT32_MAX));
        remaining_ = length;
    }
}

void HTTPTransferReply::EndOfHeaders()
{
    if (chunked_)
        phase_ = Phase::ChunkSize;
    else if (!haveLength_)
        phase_ = Phase::BodyToClose;
    else if (remaining_ == 0)
        Finish();
    else
        phase_ = Phase::BodyToLength;
}

void HTTPTransferReply::ChunkSizeLine(const std::string& line)
{
    const std::string digits = TrimSpaces(line);
    int size = 0;
    if (digits.empty() || !ParseInt("0x" + digits, size)) {
        Fail(Outcome::Malformed, "a chunk size is not a hexadecimal number: " + Excerpt(line));
        return;
    }
    // Sizes of 2 GiB and more come back negative: far beyond any limit.
    if (size < 0 || bodyBytes_ + static_cast<uint64_t>(size) > maxBody_) {
        Fail(Outcome::TooLarge, "a chunk of size " + Excerpt(digits) + " passes the body limit");
        return;
    }
    if (size == 0) {
        Finish();
        return;
    }
    remaining_ = static_cast<uint64_t>(size);
    phase_ = Phase::ChunkData;
}

size_t HTTPTransferReply::TakeIntoBody(uint64_t limit)
{
    const size_t count = static_cast<size_t>(std::min<uint64_t>(pending_.size() - readPos_, limit));
    if (bodyBytes_ + count > maxBody_) {
        Fail(Outcome::TooLarge, "the body is larger than " + std::to_string(maxBody_) + " bytes");
        return 0;
    }
    body_.append(pending_, readPos_, count);
    readPos_ += count;
    scanPos_ = readPos_;
    bodyBytes_ += count;
    return count;
}

void HTTPTransferReply::Fail(Outcome outcome, std::string problem)
{
    outcome_ = outcome;
    problem_ = std::move(problem);
    phase_ = Phase::Finished;
}

void HTTPTransferReply::Finish()
{
    outcome_ = Outcome::Complete;
    phase_ = Phase::Finished;
}

} // namespace Zolt
