#include "framework/app/CrashReportViewer.h"

#include "framework/app/CrashHandler.h"
#include "platform/core/Process.h"
#include "platform/crash/CrashService.h"
#include "platform/crash/CrashWindow.h"
#include "platform/crash/ReportNames.h"
#include "platform/window/Clipboard.h"
#include "platform/window/SystemDialogs.h"
#include "platform/window/WindowBackend.h"

#include <cstdio>
#include <fstream>

namespace Zolt {

namespace {

std::string Variable(const char* name) { return platform::GetEnvironmentVariable(name).value_or(""); }

bool ReadReport(const std::string& path, std::string* text)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return false;
    text->resize(kMaxViewedReportBytes);
    in.read(text->data(), static_cast<std::streamsize>(kMaxViewedReportBytes));
    text->resize(static_cast<size_t>(in.gcount()));
    // The file ends in the one newline the writer adds after the text.
    if (!text->empty() && text->back() == '\n' && (text->size() < 2 || (*text)[text->size() - 2] != '\r'))
        text->pop_back();
    return true;
}

std::string FirstLine(const std::string& text)
{
    const size_t end = text.find_first_of("\r\n");
    return end == std::string::npos ? text : text.substr(0, end);
}

} // namespace

CrashViewerInput ReadCrashViewerInput()
{
    CrashViewerInput input;
    input.reportFile = Variable(platform::kCrashReportVariable);
    input.server = Variable(kCrashServerVariable);
    input.product = Variable(kCrashProductVariable);
    input.version = Variable(kCrashVersionVariable);
    input.demoFile = Variable(kCrashDemoVariable);
    input.fields = DecodeCrashFields(Variable(kCrashFieldsVariable));
    return input;
}

CrashViewerOutcome RunCrashViewer(const CrashViewerInput& input, const CrashUploadFunction& upload,
                                  uint32_t uploadTimeoutMs)
{
    CrashViewerOutcome outcome;
    std::string report;
    outcome.reportRead = ReadReport(input.reportFile, &report);
    if (!outcome.reportRead) {
        report = "The crash report \"" + input.reportFile + "\" could not be read.";
    } else {
        // The crashed process could name its frames only as the linker
        // keeps them; the file gets the readable names too (whole, or left
        // as it was).
        std::string readable = platform::DemangleReportNames(report);
        if (readable != report) {
            report = std::move(readable);
            platform::WriteReportFile(input.reportFile.c_str(), report.data(), report.size());
        }
        platform::PutClipboardText(report);
    }

    // Where no display can be reached nobody could see the window, nor
    // close it: the report stays where it is (in its file, and now on the
    // terminal), and the viewer ends.
    if (const std::string failure = platform::WindowSystemFailure(); !failure.empty()) {
        std::string plain;
        for (char c : report)
            if (c != '\r')
                plain += c;
        std::fputs(("The crash report cannot be shown in a window (" + failure + "); it is kept in " +
                    input.reportFile + ":\n" + plain + "\n")
                       .c_str(),
                   stderr);
        return outcome;
    }

    const bool offerSend = outcome.reportRead && !input.server.empty();
    for (;;) {
        const platform::CrashWindowChoice choice =
            platform::ShowCrashWindow("Fatal Error!", "An unexpected error has occured!", report, offerSend);
        if (choice != platform::CrashWindowChoice::SendReport)
            break;
        // "Abort" in the details brings the report back; "Continue" sends.
        std::optional<std::string> userText = platform::EnterText(
            nullptr, "Error Details - Please help out by providing as much information as you can about this crash.",
            "", 4000);
        if (!userText)
            continue;
        CrashReportForm form;
        form.fields = input.fields;
        form.product = input.product;
        form.version = input.version;
        form.userText = *userText;
        form.errorTitle = FirstLine(report);
        form.errorText = report;
        form.demoFile = input.demoFile;
        CrashReportSubmitter submitter(upload);
        outcome.sent = submitter.Start(BuildCrashReportRequest(input.server, form));
        if (outcome.sent && !submitter.WaitFor(uploadTimeoutMs)) {
            submitter.Abort();
            submitter.Join();
        }
        submitter.Join();
        outcome.uploadResult = submitter.Result();
        if (outcome.uploadResult != 0)
            platform::MessageBoxA(nullptr, "Failed to connect to server.", "Submitting Report",
                                  platform::MB_OK | platform::MB_ICONERROR);
        break;
    }
    return outcome;
}

} // namespace Zolt
