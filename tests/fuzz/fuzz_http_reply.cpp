// Feeds arbitrary bytes to the HTTP reply reader as a server's reply. The
// first byte picks the size of the pieces the bytes arrive in; the rest is
// the reply. The reader must never read outside its input, never keep more
// body than its limit, never change its verdict once given, and reach the
// same verdict and body whether the reply comes whole or in pieces.
#include "framework/app/HTTPTransferReply.h"

#include <cstddef>
#include <cstdint>
#include <string>

namespace {

constexpr size_t kLimit = 4096;

struct Verdict {
    Zolt::HTTPTransferReply::Outcome outcome;
    std::string body;
};

Verdict ReadInPieces(const char* data, size_t size, size_t piece)
{
    using Outcome = Zolt::HTTPTransferReply::Outcome;
    Zolt::HTTPTransferReply reader(kLimit);
    Verdict verdict{Outcome::Reading, {}};
    for (size_t at = 0; at < size; at += piece) {
        const Outcome before = reader.GetOutcome();
        const Outcome now = reader.Feed(data + at, size - at < piece ? size - at : piece);
        if (before != Outcome::Reading && now != before)
            __builtin_trap(); // a verdict changed after it was given
        verdict.body += reader.TakeBody();
        if (verdict.body.size() > kLimit)
            __builtin_trap(); // more body than the limit allows
    }
    verdict.outcome = reader.Close();
    verdict.body += reader.TakeBody();
    if (verdict.outcome == Outcome::Reading || verdict.body.size() > kLimit)
        __builtin_trap();
    if (verdict.outcome != Outcome::Complete && reader.Problem().empty() && verdict.outcome != Outcome::NotFound &&
        verdict.outcome != Outcome::BadStatus)
        __builtin_trap(); // a failure without a reason
    if (verdict.outcome == Outcome::Complete && !reader.IsChunked() && reader.ExpectedLength() > 0 &&
        verdict.body.size() != static_cast<size_t>(reader.ExpectedLength()))
        __builtin_trap(); // finished with a body of another length than announced
    return verdict;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 1)
        return 0;
    const size_t piece = 1 + data[0] % 64;
    const char* reply = reinterpret_cast<const char*>(data + 1);
    const Verdict whole = ReadInPieces(reply, size - 1, size);
    const Verdict split = ReadInPieces(reply, size - 1, piece);
    if (whole.outcome != split.outcome || whole.body != split.body)
        __builtin_trap(); // the verdict depends on how the bytes arrived
    return 0;
}
