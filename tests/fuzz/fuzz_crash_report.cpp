// Feeds arbitrary bytes to the readers of the crash report path. The first
// byte picks one:
//  - the viewer's: the extra form fields as the crash handler encodes them
//    for the viewer, then the report file (read, shown and sent with a demo
//    file along); the form sent must keep every value whole between its
//    boundaries;
//  - the symbol reader the crash handler runs over a module's ELF file, for
//    a few addresses: it must find a name within its buffer or nothing,
//    reading only the file.
#include "framework/app/CrashHandler.h"
#include "framework/app/CrashReportUpload.h"
#include "framework/app/CrashReportViewer.h"
#include "platform/core/Testing.h"
#include "platform/crash/SymbolLookup.h"
#include "tests/fuzz/FuzzSupport.h"

#include <algorithm>
#include <atomic>
#include <cstring>
#include <string>

namespace {

void ReadAsViewer(const uint8_t* data, size_t size)
{
    const char* text = reinterpret_cast<const char*>(data);
    const size_t split = std::find(text, text + size, '\0') - text;
    const std::string report = fuzz_support::WriteScratchFile("crash.txt", data + split, size - split);
    const std::string demo = fuzz_support::WriteScratchFile("crash.dmo", data, split);
    if (report.empty() || demo.empty())
        return;
    Zolt::CrashViewerInput input;
    input.reportFile = report;
    input.server = "reports.invalid";
    input.product = "Pellucor";
    input.version = "fuzz";
    input.demoFile = demo;
    input.fields = Zolt::DecodeCrashFields(std::string(text, split));
    std::string sent;
    auto upload = [&sent](const std::string&, const std::string& request, const std::atomic<bool>&) {
        sent = request;
        return 0;
    };
    platform::testing::ScriptAnswer("CrashWindow", 1);
    platform::testing::ScriptAnswer("TextDialog", platform::testing::ScriptedAnswer{1, std::string(text, split)});
    Zolt::RunCrashViewer(input, upload, 1000);
    platform::testing::ClearScriptedAnswers();
    // Every value lies between two boundaries and holds none.
    const size_t marker = sent.find("boundary=");
    if (marker == std::string::npos)
        return;
    const std::string boundary = sent.substr(marker + 9, sent.find("\r\n", marker) - marker - 9);
    for (const auto& field : input.fields)
        if (field.second.find(boundary) != std::string::npos)
            __builtin_trap(); // the value would end its part early
    if (std::string(text + split, size - split).find(boundary) != std::string::npos)
        __builtin_trap();
}

void ReadAsModule(const uint8_t* data, size_t size)
{
    const std::string module = fuzz_support::WriteScratchFile("module.so", data, size);
    if (module.empty())
        return;
    const uintptr_t base = 0x400000;
    for (uintptr_t offset : {uintptr_t(0), uintptr_t(0x40), uintptr_t(0x1000), uintptr_t(0x1234), size / 2}) {
        char name[48];
        std::memset(name, 'x', sizeof name);
        uintptr_t displacement = 0;
        if (platform::FindSymbol(module.c_str(), base, base + offset, name, sizeof name, &displacement) &&
            std::memchr(name, '\0', sizeof name) == nullptr)
            __builtin_trap(); // the name must end inside the buffer
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    // The viewer's window and boxes on the headless platform.
    static const bool headless = (platform::UseHeadlessBackend(true), true);
    (void)headless;
    if (size == 0)
        return 0;
    if (data[0] % 2 == 0)
        ReadAsViewer(data + 1, size - 1);
    else
        ReadAsModule(data + 1, size - 1);
    return 0;
}
