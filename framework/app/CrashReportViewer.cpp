#include "framework/app/CrashReportViewer.h"

#include "framework/app/CrashHandler.h"
#include "platform/core/FileSystem.h"
#include "platform/core/Process.h"
#include "platform/crash/CrashService.h"
#include "platform/crash/CrashWindow.h"
#include "platform/crash/ReportNames.h"
#include "platform/window/Clipboard.h"
#include "platform/window/SystemDialogs.h"
#include "platform/window/WindowBackend.h"

#include <cstdio>

namespace Zolt {

namespace {

std::string Variable(const char* name) { return platform::GetEnvironmentVariable(name).value_or(""); }

// The file ends in the one newline the writer adds after the text.
void DropWritersNewline(std::string* text)
{
    if (!text->empty() && text->back() == '\n' && (text->size() < 2 || (*text)[text->size() - 2] != '\r'))
        text->pop_back();
}

// What the window shows and what goes out: the report, or what became of it.
struct ShownReport {
    bool read = false;
    std::string text;   // the report itself
    std::string window; // what the window shows
};

ShownReport HandedOverReport(const CrashViewerInput& input)
{
    ShownReport shown;
    shown.text = platform::DemangleReportNames(input.handedOver);
    shown.read = !shown.text.empty();
    shown.window = "The crash report could not be saved as \"" + input.reportFile + "\" (" +
                   platform::DescribeOpenError(input.saveError) + "). It was written to standard error";
    shown.window += shown.read ? ":\r\n\r\n" + shown.text : ".";
    return shown;
}

ShownReport SavedReport(const CrashViewerInput& input)
{
    ShownReport shown;
    std::string report;
    int error = 0;
    if (!ReadCrashFile(input.reportFile, kMaxViewedReportBytes, &report, nullptr, &error)) {
        shown.window = "The crash report \"" + input.reportFile + "\" could not be read (" +
                       platform::DescribeOpenError(error) + ").";
        return shown;
    }
    DropWritersNewline(&report);
    // The crashed process could name its frames only as the linker keeps
    // them; the file gets the readable names too (whole, or left as it was).
    std::string readable = platform::DemangleReportNames(report);
    if (readable != report) {
        const platform::ByteSpan spans[] = {{readable.data(), readable.size()}, {"\n", 1}};
        platform::WriteSpansToFile(input.reportFile.c_str(), spans, 2);
    }
    shown.read = true;
    shown.text = std::move(readable);
    shown.window = shown.text;
    return shown;
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
    input.saveError = platform::ReportSaveError();
    if (input.saveError != 0)
        input.handedOver = platform::ReadHandedOverReport(kMaxViewedReportBytes);
    return input;
}

CrashViewerOutcome RunCrashViewer(const CrashViewerInput& input, const CrashUploadFunction& upload,
                                  uint32_t uploadTimeoutMs)
{
    CrashViewerOutcome outcome;
    const ShownReport shown = input.saveError != 0 ? HandedOverReport(input) : SavedReport(input);
    const std::string& report = shown.text;
    outcome.reportRead = shown.read;
    if (outcome.reportRead)
        platform::PutClipboardText(report);

    // Where no display can be reached nobody could see the window, nor
    // close it: the report stays where it is (in its file, and now on the
    // terminal), and the viewer ends.
    if (const std::string failure = platform::WindowSystemFailure(); !failure.empty()) {
        std::string plain;
        for (char c : report)
            if (c != '\r')
                plain += c;
        // A report that could not be saved says so, and where it went, in
        // its own first lines.
        const std::string kept = input.saveError != 0 ? "" : "; it is kept in " + input.reportFile;
        std::fputs(("The crash report cannot be shown in a window (" + failure + ")" + kept + ":\n" + plain + "\n")
                       .c_str(),
                   stderr);
        return outcome;
    }

    // The crashed process waits for this one, so that its end comes after
    // what is said on the terminal; the window may stay up long after.
    platform::ReleaseCrashedProcess();
    const bool offerSend = outcome.reportRead && !input.server.empty();
    for (;;) {
        const platform::CrashWindowChoice choice =
            platform::ShowCrashWindow("Fatal Error!", "An unexpected error has occured!", shown.window, offerSend);
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
        else if (input.saveError == 0)
            platform::MoveFile(input.reportFile, input.reportFile + platform::kSentReportSuffix, true);
        break;
    }
    return outcome;
}

} // namespace Zolt
