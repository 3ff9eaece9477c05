#include "framework/app/CrashHandler.h"

#include "framework/app/CrashDemoImage.h"
#include "framework/app/CrashReportViewer.h"
#include "platform/core/Clock.h"
#include "platform/core/ModuleRegistry.h"
#include "platform/core/Process.h"
#include "platform/crash/CrashService.h"
#include "platform/crash/ModuleMap.h"
#include "platform/crash/ReportNames.h"
#include "platform/crash/SafeText.h"

#include <atomic>
#include <memory>
#include <mutex>

namespace Zolt {

namespace {

// The application's part of the report as the signal handler reads it:
// fixed buffers, two of them so that a refresh never writes the one in use.
struct DetailsSnapshot {
    char libraries[512];
    char product[256];
    char version[128];
    uint32_t constructionTick;
    uint32_t mainThreadId;
    const bool* windowedWanted;
};

DetailsSnapshot gSnapshots[2];
std::atomic<int> gCurrentSnapshot{-1};

// Normal-context state, guarded by gMutex.
std::mutex gMutex;
CrashHost* gHost = nullptr;
bool gInstalled = false;
std::string gServer;
std::vector<std::pair<std::string, std::string>> gFields;
std::string gReportFile = "crash.txt";
std::vector<std::string> gViewerCommand;
std::string gDemoFile;
std::string gLastReport;
// The recording a fault writes; read by the signal handler.
std::atomic<CrashDemoImage*> gDemoImage{nullptr};

void CopyInto(char* out, size_t size, const std::string& text)
{
    platform::SafeText t(out, size);
    t.Append(text.c_str(), text.size());
}

// Signal-safe: reads only the published snapshot and the lock-free clock.
void WriteSnapshotDetails(platform::SafeText& out, void*)
{
    const int index = gCurrentSnapshot.load(std::memory_order_acquire);
    if (index < 0)
        return;
    const DetailsSnapshot& s = gSnapshots[index];
    out.Append(s.libraries);
    // The application's lines, as its GetCrashInfo gives them.
    const uint32_t seconds = (platform::GetTickCount() - s.constructionTick) / 1000;
    out.Append("\r\nProduct: ").Append(s.product).Append("\r\nVersion: ").Append(s.version);
    out.Append("\r\nTime Loaded: ").Decimal(seconds / 3600, 2).Char(':').Decimal(seconds / 60 % 60, 2).Char(':');
    out.Decimal(seconds % 60, 2);
    // An application that went away without saying so must not turn its
    // report into a second fault.
    const bool readable = s.windowedWanted &&
                          platform::IsReadableRange(reinterpret_cast<uintptr_t>(s.windowedWanted), sizeof(bool));
    const bool windowed = !readable || *s.windowedWanted;
    out.Append("\r\nFullscreen: ").Append(windowed ? "No" : "Yes");
    out.Append("\r\nPrimary ThreadId: ").Hex(s.mainThreadId).Append("\r\n");
}

// Signal-safe: the demo image was prepared after the last update.
void WriteDemoImage(void*)
{
    if (CrashDemoImage* image = gDemoImage.load())
        image->WriteNow();
}

// Normal context: the text prepared before the report is formatted.
void WriteTextDetails(platform::SafeText& out, void* context)
{
    const auto* text = static_cast<const std::string*>(context);
    out.Append(text->c_str(), text->size());
}

std::string LibraryVersionLines(CrashHost* host)
{
    std::string lines;
    const std::pair<const char*, const char*> libraries[] = {{"ddraw.dll", "DDraw Ver: "},
                                                             {"dsound.dll", "DSound Ver: "}};
    for (const auto& [file, label] : libraries) {
        platform::HMODULE module = platform::LoadModule(file);
        if (!module)
            continue;
        lines += std::string(label) + host->ReadProductVersion(file) + "\r\n";
        platform::FreeModule(module);
    }
    return lines;
}

platform::CrashServiceSettings SettingsLocked()
{
    platform::CrashServiceSettings settings;
    settings.reportFile = gReportFile;
    settings.viewerCommand = gViewerCommand;
    settings.details = WriteSnapshotDetails;
    settings.attachments = WriteDemoImage;
    const int index = gCurrentSnapshot.load();
    if (!gServer.empty())
        settings.viewerEnvironment.push_back(std::string(kCrashServerVariable) + "=" + gServer);
    if (index >= 0) {
        settings.viewerEnvironment.push_back(std::string(kCrashProductVariable) + "=" + gSnapshots[index].product);
        settings.viewerEnvironment.push_back(std::string(kCrashVersionVariable) + "=" + gSnapshots[index].version);
    }
    if (!gDemoFile.empty())
        settings.viewerEnvironment.push_back(std::string(kCrashDemoVariable) + "=" + gDemoFile);
    if (!gFields.empty())
        settings.viewerEnvironment.push_back(std::string(kCrashFieldsVariable) + "=" + EncodeCrashFields(gFields));
    return settings;
}

void PublishLocked()
{
    if (gInstalled)
        platform::InstallCrashService(SettingsLocked());
}

// Installed before main, as the program's first line of defence; the
// previous handlers come back at exit. A build with the address checker
// keeps that checker's own fault reports, which say more to a developer.
#if !defined(__SANITIZE_ADDRESS__)
struct StaticInstaller {
    StaticInstaller() { InstallCrashHandler(); }
    ~StaticInstaller() { UninstallCrashHandler(); }
} gStaticInstaller;
#endif

int HexValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}

std::string Escape(const std::string& text)
{
    static const char* digits = "0123456789ABCDEF";
    std::string out;
    for (char c : text) {
        const auto b = static_cast<unsigned char>(c);
        if (c == '%' || c == '&' || c == '=' || b < 0x20 || b == 0x7F) {
            out += '%';
            out += digits[b >> 4];
            out += digits[b & 15];
        } else {
            out += c;
        }
    }
    return out;
}

std::string Unescape(const std::string& text)
{
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '%' && i + 2 < text.size() && HexValue(text[i + 1]) >= 0 && HexValue(text[i + 2]) >= 0) {
            out += static_cast<char>(HexValue(text[i + 1]) * 16 + HexValue(text[i + 2]));
            i += 2;
        } else {
            out += text[i];
        }
    }
    return out;
}

} // namespace

void InstallCrashHandler()
{
    std::lock_guard<std::mutex> guard(gMutex);
    gInstalled = true;
    platform::InstallCrashService(SettingsLocked());
}

void UninstallCrashHandler()
{
    std::lock_guard<std::mutex> guard(gMutex);
    if (!gInstalled)
        return;
    gInstalled = false;
    platform::UninstallCrashService();
}

void SetCrashHost(CrashHost* host)
{
    {
        std::lock_guard<std::mutex> guard(gMutex);
        gHost = host;
        if (!host)
            gCurrentSnapshot.store(-1, std::memory_order_release);
    }
    if (host)
        RefreshCrashDetails();
    else {
        std::lock_guard<std::mutex> guard(gMutex);
        PublishLocked();
    }
}

CrashHost* GetCrashHost()
{
    std::lock_guard<std::mutex> guard(gMutex);
    return gHost;
}

void RefreshCrashDetails()
{
    CrashHost* host = GetCrashHost();
    CrashSnapshot snapshot;
    std::string libraries;
    if (host) {
        snapshot = host->TakeCrashSnapshot();
        libraries = LibraryVersionLines(host);
    }
    std::lock_guard<std::mutex> guard(gMutex);
    if (host && host == gHost) {
        const int next = gCurrentSnapshot.load() == 0 ? 1 : 0;
        DetailsSnapshot& s = gSnapshots[next];
        CopyInto(s.libraries, sizeof s.libraries, libraries);
        CopyInto(s.product, sizeof s.product, snapshot.productName);
        CopyInto(s.version, sizeof s.version, snapshot.productVersion);
        s.constructionTick = snapshot.constructionTick;
        s.mainThreadId = snapshot.mainThreadId;
        s.windowedWanted = snapshot.windowedWanted;
        gCurrentSnapshot.store(next, std::memory_order_release);
    }
    PublishLocked();
}

void SetCrashReportServer(const std::string& hostAndPort)
{
    std::lock_guard<std::mutex> guard(gMutex);
    gServer = hostAndPort;
    PublishLocked();
}

std::string GetCrashReportServer()
{
    std::lock_guard<std::mutex> guard(gMutex);
    return gServer;
}

void AddCrashReportField(const std::string& name, const std::string& value)
{
    std::lock_guard<std::mutex> guard(gMutex);
    gFields.emplace_back(name, value);
    PublishLocked();
}

void ClearCrashReportFields()
{
    std::lock_guard<std::mutex> guard(gMutex);
    gFields.clear();
    PublishLocked();
}

void SetCrashReportFile(const std::string& path)
{
    std::lock_guard<std::mutex> guard(gMutex);
    gReportFile = path.empty() ? "crash.txt" : path;
    PublishLocked();
}

void SetCrashDemoImage(CrashDemoImage* image, const std::string& fileToSend)
{
    std::lock_guard<std::mutex> guard(gMutex);
    gDemoImage.store(image);
    gDemoFile = image ? fileToSend : std::string();
    PublishLocked();
}

std::string HandleCrash(const platform::FaultRecord& fault)
{
    CrashHost* host = GetCrashHost();
    std::string details;
    if (host) {
        host->PrepareForCrash();
        details = LibraryVersionLines(host);
        const std::string info = host->GetCrashInfo();
        if (!info.empty())
            details += "\r\n" + info + "\r\n";
    }
    std::string file;
    {
        std::lock_guard<std::mutex> guard(gMutex);
        file = gReportFile;
    }
    auto buffer = std::make_unique<char[]>(256 * 1024);
    platform::SafeText text(buffer.get(), 256 * 1024);
    platform::FormatCrashReport(fault, text, WriteTextDetails, &details);
    std::string report = platform::DemangleReportNames(std::string(text.Data(), text.Length()));
    const platform::UnsavedReport saved = platform::SaveCrashReport(file.c_str(), report.data(), report.size());

    std::string demo;
    if (host) {
        host->SaveDemoForCrash();
        demo = host->GetCrashDemoFile();
    }
    {
        std::lock_guard<std::mutex> guard(gMutex);
        gLastReport = report;
        gDemoFile = demo;
        PublishLocked();
    }
    platform::LaunchCrashViewer(saved);
    return report;
}

void RaiseCrashReport()
{
    platform::FaultRecord fault;
    platform::CaptureCurrentThread(fault, platform::EXCEPTION_ACCESS_VIOLATION, 1);
    HandleCrash(fault);
    // As a fault ends it: the application that asked is not torn down.
    platform::TerminateProcess(platform::EXCEPTION_ACCESS_VIOLATION);
}

std::string LastCrashReport()
{
    std::lock_guard<std::mutex> guard(gMutex);
    return gLastReport;
}

bool RunCrashReportIfRequested()
{
    if (!platform::ReportFileToView().empty()) {
        // The viewer must not report its own troubles as the crash.
        UninstallCrashHandler();
        RunCrashViewer(ReadCrashViewerInput(), GetCrashUploadFunction());
        return true;
    }
    const std::string program = platform::GetProgramPath();
    std::lock_guard<std::mutex> guard(gMutex);
    if (!program.empty())
        gViewerCommand = {program};
    PublishLocked();
    return false;
}

std::string EncodeCrashFields(const std::vector<std::pair<std::string, std::string>>& fields)
{
    std::string out;
    for (const auto& [name, value] : fields) {
        if (!out.empty())
            out += '&';
        out += Escape(name) + "=" + Escape(value);
    }
    return out;
}

std::vector<std::pair<std::string, std::string>> DecodeCrashFields(const std::string& text)
{
    std::vector<std::pair<std::string, std::string>> fields;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('&', start);
        if (end == std::string::npos)
            end = text.size();
        const std::string pair = text.substr(start, end - start);
        const size_t equals = pair.find('=');
        if (equals != std::string::npos && equals > 0)
            fields.emplace_back(Unescape(pair.substr(0, equals)), Unescape(pair.substr(equals + 1)));
        start = end + 1;
    }
    return fields;
}

} // namespace Zolt
