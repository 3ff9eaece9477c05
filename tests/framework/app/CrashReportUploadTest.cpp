// The crash report's form, its post to a server of the test's own on the
// loopback address, and the submit thread that carries it.
#include "framework/app/CrashReportUpload.h"
#include "tests/support/PlatformTesting.h"

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <netinet/in.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace {

using Zolt::BuildCrashReportRequest;
using Zolt::CrashReportForm;
using Zolt::CrashReportSubmitter;

CrashReportForm SmallForm()
{
    CrashReportForm form;
    form.fields = {{"build", "7"}};
    form.product = "Pellucor";
    form.version = "1.0";
    form.userText = "it froze";
    form.errorTitle = "Exception: Access Violation";
    form.errorText = "report\r\nlines";
    return form;
}

std::string Part(const std::string& boundary, const std::string& name, const std::string& value)
{
    return "--" + boundary + "\r\nContent-Disposition: form-data; name=\"" + name + "\"\r\n\r\n" + value + "\r\n";
}

TEST(CrashReportForm, HeadAndPartsAreLaidOutForTheServer)
{
    const auto request = BuildCrashReportRequest("127.0.0.1:8080", SmallForm());
    EXPECT_EQ(request.url, "http://127.0.0.1:8080/davoru_dirud.php");
    const std::string b = Zolt::kCrashReportBoundary;
    const std::string body = Part(b, "build", "7") + Part(b, "prod", "Pellucor") + Part(b, "version", "1.0") +
                             Part(b, "usertext", "it froze") + Part(b, "errortitle", "Exception: Access Violation") +
                             Part(b, "errortext", "report\r\nlines") + "--" + b + "--\r\n";
    const std::string head = "POST /davoru_dirud.php HTTP/1.1\r\n"
                             "Content-Type: multipart/form-data; boundary=" +
                             b +
                             "\r\nUser-Agent: Mozilla/4.0 (compatible; tarnel)\r\n"
                             "Host: 127.0.0.1:8080\r\n"
                             "Content-Length: " +
                             std::to_string(body.size()) + "\r\nConnection: close\r\n\r\n";
    EXPECT_EQ(request.request, head + body);
}

TEST(CrashReportForm, DemoFileTravelsAsBinaryPartAndAMissingOneOrAPipeIsLeftOut)
{
    platform::testing::ScopedTempFolder folder;
    const std::string path = folder / "crash-demo.dmo";
    const std::string bytes("\x78\xEF\xBE\x42\0\r\n\xFF", 8);
    {
        std::ofstream out(path, std::ios::binary);
        out.write(bytes.data(), std::streamsize(bytes.size()));
    }
    CrashReportForm form = SmallForm();
    form.demoFile = path;
    const std::string body = Zolt::BuildCrashReportBody(form, nullptr);
    const std::string part = std::string("Content-Disposition: form-data; name=\"demofile\"; filename=\"tarnel.dmo\"\r\n") +
                             "Content-Type: application/octet-stream\r\n\r\n" + bytes + "\r\n--" +
                             Zolt::kCrashReportBoundary + "--\r\n";
    EXPECT_NE(body.find(part), std::string::npos);
    form.demoFile = path + ".missing";
    EXPECT_EQ(Zolt::BuildCrashReportBody(form, nullptr).find("demofile"), std::string::npos);
    std::filesystem::remove(path);
    // Never waited on.
    ASSERT_EQ(::mkfifo(path.c_str(), 0644), 0);
    form.demoFile = path;
    EXPECT_EQ(Zolt::BuildCrashReportBody(form, nullptr).find("demofile"), std::string::npos);
    std::filesystem::remove(path);
}

TEST(CrashReportForm, HostileTextCannotBreakThePartsApart)
{
    CrashReportForm form = SmallForm();
    form.userText = std::string("see --") + Zolt::kCrashReportBoundary + "--\r\n";
    form.fields = {{"na\"me\r\nX-Evil: 1", "v"}};
    std::string boundary;
    const std::string body = Zolt::BuildCrashReportBody(form, &boundary);
    EXPECT_NE(boundary, Zolt::kCrashReportBoundary);
    EXPECT_NE(body.find(Part(boundary, "usertext", form.userText)), std::string::npos);
    EXPECT_NE(body.find("name=\"nameX-Evil: 1\"\r\n"), std::string::npos);
    const auto request = BuildCrashReportRequest("h", form);
    EXPECT_NE(request.request.find("boundary=" + boundary + "\r\n"), std::string::npos);
}

TEST(CrashReportForm, TheBoundaryIsFoundInOnePassWhateverTheTextHolds)
{
    // Each 'x' after the boundary once cost another pass over every value.
    CrashReportForm form = SmallForm();
    const std::string base = Zolt::kCrashReportBoundary;
    form.errorText = base + "x" + base + std::string(3000000, 'x') + "-";
    form.userText = base + std::string(1000, 'x');
    std::string boundary;
    const std::string body = Zolt::BuildCrashReportBody(form, &boundary);
    EXPECT_EQ(boundary, base + std::string(3000001, 'x'));
    EXPECT_EQ(form.errorText.find(boundary), std::string::npos);
    EXPECT_NE(body.find(Part(boundary, "errortext", form.errorText)), std::string::npos);
}

// A one-shot HTTP server on 127.0.0.1 that keeps what it received.
class LoopbackServer {
public:
    LoopbackServer()
    {
        fd_ = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        ::bind(fd_, reinterpret_cast<sockaddr*>(&address), sizeof address);
        ::listen(fd_, 1);
        socklen_t length = sizeof address;
        ::getsockname(fd_, reinterpret_cast<sockaddr*>(&address), &length);
        port_ = ntohs(address.sin_port);
        thread_ = std::thread([this] { Serve(); });
    }
    ~LoopbackServer()
    {
        ::shutdown(fd_, SHUT_RDWR);
        thread_.join();
        ::close(fd_);
    }
    int Port() const { return port_; }
    std::string Received()
    {
        thread_.join();
        thread_ = std::thread([] {});
        return received_;
    }

private:
    void Serve()
    {
        const int client = ::accept(fd_, nullptr, nullptr);
        if (client < 0)
            return;
        char buffer[4096];
        size_t wanted = SIZE_MAX;
        for (;;) {
            const ssize_t got = ::recv(client, buffer, sizeof buffer, 0);
            if (got <= 0)
                break;
            received_.append(buffer, size_t(got));
            const size_t headEnd = received_.find("\r\n\r\n");
            const size_t lengthAt = received_.find("Content-Length: ");
            if (headEnd != std::string::npos && lengthAt != std::string::npos)
                wanted = headEnd + 4 + std::stoul(received_.substr(lengthAt + 16));
            if (received_.size() >= wanted)
                break;
        }
        const std::string reply = "HTTP/1.1 200 OK\r\nContent-Length: 2\r\n\r\nok";
        ::send(client, reply.data(), reply.size(), MSG_NOSIGNAL);
        ::close(client);
    }

    int fd_ = -1;
    int port_ = 0;
    std::thread thread_;
    std::string received_;
};

TEST(CrashReportSubmitter, PostsTheWholeFormToTheServerOnItsOwnThread)
{
    LoopbackServer server;
    const auto request = BuildCrashReportRequest("127.0.0.1:" + std::to_string(server.Port()), SmallForm());
    CrashReportSubmitter submitter(Zolt::GetCrashUploadFunction()); // the HTTP transfer
    ASSERT_TRUE(submitter.Start(request));
    EXPECT_FALSE(submitter.Start(request)) << "one upload at a time";
    ASSERT_TRUE(submitter.WaitFor(10000));
    EXPECT_EQ(submitter.Result(), 0);
    EXPECT_EQ(server.Received(), request.request);
}

TEST(CrashReportSubmitter, ClosingItAbortsAHangingUploadAndWaitsForTheThread)
{
    std::atomic<bool> ended{false};
    {
        CrashReportSubmitter submitter([&](const std::string&, const std::string&, const std::atomic<bool>& abort) {
            while (!abort.load())
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
            ended = true;
            return 5;
        });
        ASSERT_TRUE(submitter.Start({"http://127.0.0.1:9/davoru_dirud.php", "x"}));
        EXPECT_FALSE(submitter.WaitFor(20));
        EXPECT_EQ(submitter.Result(), CrashReportSubmitter::kPending);
    }
    EXPECT_TRUE(ended.load());
}

TEST(CrashReportSubmitter, TransferThatThrowsOrIsMissingReportsAFailureNotACrash)
{
    CrashReportSubmitter throwing([](const std::string&, const std::string&, const std::atomic<bool>&) -> int {
        throw std::runtime_error("socket library gone");
    });
    ASSERT_TRUE(throwing.Start({"u", "r"}));
    ASSERT_TRUE(throwing.WaitFor(10000));
    EXPECT_EQ(throwing.Result(), 6);
    // A server that is not there: the connection fails.
    int port = 0;
    {
        LoopbackServer gone;
        port = gone.Port();
    }
    CrashReportSubmitter refused(Zolt::GetCrashUploadFunction());
    ASSERT_TRUE(refused.Start(BuildCrashReportRequest("127.0.0.1:" + std::to_string(port), SmallForm())));
    ASSERT_TRUE(refused.WaitFor(10000));
    EXPECT_EQ(refused.Result(), 8);
}

} // namespace
