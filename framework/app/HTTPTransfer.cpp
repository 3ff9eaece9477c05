#include "framework/app/HTTPTransfer.h"

#include "framework/app/HTTPTransferDemoLink.h"
#include "framework/base/Buffer.h"
#include "platform/core/Clock.h"
#include "platform/core/DebugOutput.h"
#include "platform/net/Winsock.h"

#include <algorithm>
#include <climits>
#include <cstring>
#include <type_traits>

namespace Zolt {

namespace {

static_assert(std::is_same_v<platform::SOCKET, uintptr_t>);

std::atomic<int32_t> gNextTransferId{1};

int32_t NextTransferId() { return gNextTransferId.fetch_add(1); }

// The C library's atoi, without its undefined overflow: leading blanks, a
// sign, then digits as far as they go, clamped to the int range.
int ReadPortNumber(const std::string& text)
{
    size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t'))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-'))
        negative = text[i++] == '-';
    int64_t value = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i)
        value = std::min<int64_t>(value * 10 + (text[i] - '0'), int64_t{INT_MAX} + 1);
    value = negative ? -value : value;
    return static_cast<int>(std::clamp<int64_t>(value, INT_MIN, INT_MAX));
}

} // namespace

HTTPTransfer::HTTPTransfer() : transferId_(NextTransferId()) {}

HTTPTransfer::~HTTPTransfer()
{
    abort_.store(true);
    exit_.store(true);
    while (threadRunning_.load())
        platform::Sleep(20);
    // The worker has let go of everything; join so that no thread outlives
    // the object it ran on.
    thread_.Join();
}

void HTTPTransfer::Submit(const std::string& url, const std::string& request)
{
    SetupFromUrl(url);
    request_ = request;
    Launch();
}

void HTTPTransfer::SetupFromUrl(const std::string& url)
{
    Recycle();
    transferId_ = NextTransferId();
    url_ = url;
    exit_.store(false);
    abort_.store(false);
    result_.store(kPending);
    {
        std::lock_guard<std::mutex> lock(contentLock_);
        content_.clear();
        problem_.clear();
    }
    expectedLength_.store(0);
    port_ = 80;
    scheme_.clear();
    host_.clear();

    size_t start = 0;
    const size_t slashes = url.find("//");
    if (slashes != std::string::npos) {
        // "http://host" -> "http": what comes before the slashes, less the colon.
        scheme_ = url.substr(0, slashes > 0 ? slashes - 1 : 0);
        start = slashes + 2;
    }
    const size_t pathStart = url.find('/', start);
    if (pathStart == std::string::npos) {
        host_ = url.substr(start);
        path_ = "/";
    } else {
        host_ = url.substr(start, pathStart - start);
        path_ = url.substr(pathStart);
    }
    const size_t colon = host_.find(':');
    if (colon != std::string::npos) {
        port_ = ReadPortNumber(host_.substr(colon + 1));
        host_.erase(colon);
    }
}

void HTTPTransfer::Launch()
{
    busy_.store(true);
    HTTPTransferDemoLink* link = GetHTTPTransferDemoLink();
    if (link && link->IsPlayingDemo())
        return;
    // One worker at a time: a second Launch while one runs leaves it be.
    if (threadRunning_.load())
        return;
    // A worker that has just cleared its flag may still be on its way out.
    thread_.Join();
    threadRunning_.store(true);
    if (!thread_.Start([this] { Run(); }, platform::ThreadPriority::Normal, "HTTP transfer")) {
        threadRunning_.store(false);
        SetProblem("no thread could be started for the transfer");
        result_.store(kSocketFailure);
        busy_.store(false);
    }
}

void HTTPTransfer::Recycle()
{
    if (threadRunning_.load()) {
        Cancel();
        BlockUntilDone();
    }
    while (threadRunning_.load())
        platform::Sleep(20);
    thread_.Join();
    transferId_ = NextTransferId();
    result_.store(kIdle);
    lastRecordedResult_ = kIdle;
    {
        std::lock_guard<std::mutex> lock(contentLock_);
        content_.clear();
        problem_.clear();
    }
    url_.clear();
    request_.clear();
    path_.clear();
    exit_.store(false);
    abort_.store(false);
    busy_.store(false);
}

void HTTPTransfer::Cancel()
{
    abort_.store(true);
    exit_.store(true);
}

void HTTPTransfer::FinishWith(int code)
{
    result_.store(code);
    exit_.store(true);
}

void HTTPTransfer::BlockUntilDone()
{
    while (busy_.load()) {
        SyncState();
        // Without a worker nothing here can end the wait: a played demo
        // supplies the result only at its own update.
        if (!threadRunning_.load())
            break;
        platform::Sleep(20);
    }
}

int HTTPTransfer::Outcome()
{
    SyncState();
    return result_.load();
}

void HTTPTransfer::SyncState()
{
    HTTPTransferDemoLink* link = GetHTTPTransferDemoLink();
    if (!link)
        return;
    if (link->IsPlayingDemo()) {
        Buffer* stream = link->PendingDemoCommand(kDemoCommand);
        if (!stream)
            return;
        const int mark = stream->ReadPosition();
        if (stream->TakeU32() != transferId_) {
            link->RestoreDemoReadPosition(mark); // another transfer's result
            return;
        }
        int result = stream->TakeByte();
        std::string content = stream->TakeText();
        link->ConsumeDemoCommand();
        if (result > kBadReply)
            result = kBadReply; // a damaged stream; no code of ours
        {
            std::lock_guard<std::mutex> lock(contentLock_);
            content_ = std::move(content);
        }
        result_.store(result);
        lastRecordedResult_ = result;
        // No worker runs while a demo plays, so the recorded end is the end.
        if (result != kPending)
            busy_.store(false);
    } else if (link->IsRecordingDemo()) {
        const int result = result_.load();
        if (result == lastRecordedResult_)
            return;
        Buffer& stream = link->BeginDemoCommand();
        stream.PutBits(0, 1); // a long command
        stream.PutBits(kDemoCommand, 5);
        stream.PutU32(transferId_);
        stream.PutByte(static_cast<uint8_t>(result));
        if (!stream.PutText(result == kPending ? std::string() : Content()))
            platform::OutputDebugString("HTTP transfer: reply too long for the demo; it replays empty\n");
        lastRecordedResult_ = result;
    }
}

bool HTTPTransfer::AwaitSocket(bool forRead, bool forWrite)
{
    if (exit_.load())
        return true;
    const platform::SOCKET s = socket_.load();
    const uint64_t budget = kBaseDeadlineMs + request_.size() / 32;
    for (;;) {
        if (platform::GetTickCount() - startTick_ >= budget) {
            SetProblem("no whole answer within " + std::to_string(budget / 1000) + " s");
            FinishWith(kSocketFailure);
            return false;
        }
        platform::fd_set readSet, writeSet, errorSet;
        platform::FdZero(&readSet);
        platform::FdZero(&writeSet);
        platform::FdZero(&errorSet);
        if (forRead)
            platform::FdSet(s, &readSet);
        if (forWrite)
            platform::FdSet(s, &writeSet);
        platform::FdSet(s, &errorSet);
        const platform::timeval wait{0, 100000};
        const int n = platform::select(0, forRead ? &readSet : nullptr, forWrite ? &writeSet : nullptr, &errorSet, &wait);
        if (n < 0 || platform::FdIsSet(s, &errorSet)) {
            SetProblem(n < 0 ? "waiting on the socket failed, error " + std::to_string(platform::WSAGetLastError())
                             : "the socket reported an error");
            FinishWith(kSocketFailure);
            return false;
        }
        if (forRead && platform::FdIsSet(s, &readSet))
            return true;
        if ((forWrite && platform::FdIsSet(s, &writeSet)) || exit_.load())
            return true;
    }
}

std::string HTTPTransfer::Content() const
{
    std::lock_guard<std::mutex> lock(contentLock_);
    return content_;
}

std::string HTTPTransfer::Problem() const
{
    std::lock_guard<std::mutex> lock(contentLock_);
    return problem_;
}

void HTTPTransfer::Run()
{
    startTick_ = platform::GetTickCount();
    platform::WSADATA data;
    if (platform::WSAStartup(platform::MakeSocketVersion(1, 1), &data) != 0) {
        SetProblem("the socket library did not start");
        FinishWith(kSocketFailure);
    } else {
        const platform::SOCKET s = platform::socket(platform::AF_INET, platform::SOCK_STREAM, 0);
        platform::u_long nonBlocking = 1;
        if (s == platform::INVALID_SOCKET) {
            SetProblem("no socket, error " + std::to_string(platform::WSAGetLastError()));
            FinishWith(kSocketFailure);
        } else if (platform::ioctlsocket(s, platform::FIONBIO, &nonBlocking) != 0) {
            // A blocking socket would keep the worker past a Cancel.
            SetProblem("the socket cannot be made non-blocking");
            FinishWith(kSocketFailure);
        } else {
            socket_.store(s);
            Exchange(s);
        }
        if (s != platform::INVALID_SOCKET)
            platform::closesocket(s);
        socket_.store(0);
        platform::WSACleanup();
    }
    if (abort_.load())
        FinishWith(kAborted);
    else if (result_.load() == kPending)
        result_.store(kFinished);
    const std::string problem = Problem();
    if (!problem.empty())
        platform::OutputDebugString("HTTP transfer " + url_ + ": " + problem + "\n");
    threadRunning_.store(false);
    busy_.store(false);
}

void HTTPTransfer::Exchange(uintptr_t s)
{
    if (exit_.load())
        return;
    platform::u_long address = platform::inet_addr(host_.c_str());
    if (address == platform::INADDR_NONE) {
        const platform::hostent* entry = platform::gethostbyname(host_.c_str());
        if (!entry || entry->h_length != 4 || !entry->h_addr_list || !entry->h_addr_list[0]) {
            SetProblem("the host \"" + host_ + "\" was not found");
            FinishWith(kHostNotFound);
            return;
        }
        std::memcpy(&address, entry->h_addr_list[0], 4);
    }
    if (port_ < 1 || port_ > 65535) {
        SetProblem("the port " + std::to_string(port_) + " is not one");
        FinishWith(kConnectFailed);
        return;
    }
    platform::sockaddr_in to{};
    to.sin_family = platform::AF_INET;
    to.sin_port = platform::htons(static_cast<platform::u_short>(port_));
    to.sin_addr.s_addr = address;
    if (platform::connect(s, reinterpret_cast<const platform::sockaddr*>(&to), sizeof to) != 0 &&
        platform::WSAGetLastError() != platform::WSAEWOULDBLOCK) {
        SetProblem("the connection failed, error " + std::to_string(platform::WSAGetLastError()));
        FinishWith(kConnectFailed);
        return;
    }
    if (!AwaitSocket(false, true)) {
        SetProblem("the connection failed");
        FinishWith(kConnectFailed);
        return;
    }
    SendRequest(s);
    ReceiveReply(s);
}

void HTTPTransfer::SendRequest(uintptr_t s)
{
    size_t sent = 0;
    while (sent < request_.size() && !exit_.load()) {
        if (!AwaitSocket(false, true) || exit_.load())
            return;
        const int piece = static_cast<int>(std::min<size_t>(request_.size() - sent, INT_MAX));
        const int n = platform::send(s, request_.data() + sent, piece, 0);
        if (n < 0 && platform::WSAGetLastError() == platform::WSAEWOULDBLOCK)
            continue; // the socket filled up between the wait and the send
        if (n < 1 || n > piece) {
            SetProblem("sending failed, error " + std::to_string(platform::WSAGetLastError()));
            FinishWith(kSendFailed);
            return;
        }
        sent += static_cast<size_t>(n);
    }
}

void HTTPTransfer::ReceiveReply(uintptr_t s)
{
    HTTPTransferReply reply(kMaxContentLength);
    HTTPTransferReply::Outcome outcome = HTTPTransferReply::Outcome::Reading;
    char piece[256];
    while (!exit_.load() && outcome == HTTPTransferReply::Outcome::Reading) {
        if (!AwaitSocket(true, false) || exit_.load())
            return;
        const int n = platform::recv(s, piece, sizeof piece, 0);
        if (n < 0) {
            if (platform::WSAGetLastError() == platform::WSAEWOULDBLOCK)
                continue;
            SetProblem("receiving failed, error " + std::to_string(platform::WSAGetLastError()));
            FinishWith(kSocketFailure);
            return;
        }
        if (n > static_cast<int>(sizeof piece)) {
            SetProblem("the receive gave more bytes than asked for");
            FinishWith(kSocketFailure);
            return;
        }
        outcome = n == 0 ? reply.Close() : reply.Feed(piece, static_cast<size_t>(n));
        expectedLength_.store(reply.ExpectedLength());
        AppendContent(reply.TakeBody());
    }
    if (exit_.load())
        return;
    switch (outcome) {
    case HTTPTransferReply::Outcome::Complete:
    case HTTPTransferReply::Outcome::Reading: break;
    case HTTPTransferReply::Outcome::NotFound: FinishWith(kNotFound); break;
    case HTTPTransferReply::Outcome::BadStatus: FinishWith(kBadStatus); break;
    default:
        SetProblem(reply.Problem());
        FinishWith(kBadReply);
        break;
    }
}

void HTTPTransfer::AppendContent(const std::string& piece)
{
    if (piece.empty())
        return;
    std::lock_guard<std::mutex> lock(contentLock_);
    content_ += piece;
}

void HTTPTransfer::SetProblem(const std::string& problem)
{
    std::lock_guard<std::mutex> lock(contentLock_);
    problem_ = problem;
}

} // namespace Zolt
