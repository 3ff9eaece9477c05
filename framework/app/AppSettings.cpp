// Registry settings and the command line. Every settings read and write of
// the program goes through the Reg* primitives here, which hand it to the
// owned, demo-aware RegistrySettings. Main thread.
#include "framework/app/ZoltAppBase.h"

#include "framework/app/DemoRecorder.h"
#include "framework/app/ProblemReporter.h"
#include "framework/app/RegistrySettings.h"
#include "framework/base/PathUtils.h"
#include "platform/core/Process.h"
#include "platform/registry/Registry.h"

#include <algorithm>
#include <charconv>
#include <utility>
#include <cstdint>
#include <cstdlib>

using namespace platform;

namespace Zolt {

namespace {

// An option as the command line gave it.
std::string OptionAsGiven(const std::string& name, const std::string& value)
{
    return value.empty() ? name : name + "=" + value;
}

} // namespace

bool ZoltAppBase::RegWriteValue(const std::string& valueName, uint32_t type, const void* data, uint32_t length)
{
    return settings_->WriteValue(valueName, type, data, length);
}

bool ZoltAppBase::RegWriteText(const std::string& valueName, const std::string& text)
{
    return settings_->WriteText(valueName, text);
}

bool ZoltAppBase::RegWriteNumber(const std::string& valueName, int value)
{
    return settings_->WriteNumber(valueName, value);
}

bool ZoltAppBase::RegWriteFlag(const std::string& valueName, bool value) { return settings_->WriteFlag(valueName, value); }

bool ZoltAppBase::RegReadValueAt(const std::string& valueName, uint32_t* type, void* buffer, uint32_t* length,
                                 RegistryKeyObject* root)
{
    return settings_->ReadValue(valueName, type, buffer, length, root);
}

bool ZoltAppBase::RegReadValue(const std::string& valueName, uint32_t* type, void* buffer, uint32_t* length)
{
    return settings_->ReadValue(valueName, type, buffer, length, HKEY_CURRENT_USER);
}

bool ZoltAppBase::RegReadText(const std::string& valueName, std::string& out)
{
    return settings_->ReadText(valueName, out);
}

bool ZoltAppBase::RegReadNumber(const std::string& valueName, int& out)
{
    return settings_->ReadNumber(valueName, out);
}

bool ZoltAppBase::RegReadFlag(const std::string& valueName, bool& out) { return settings_->ReadFlag(valueName, out); }

bool ZoltAppBase::RegEraseValue(const std::string& valueName) { return settings_->EraseValue(valueName); }

const std::string& ZoltAppBase::GetRegistryRoot() const { return settings_->Root(); }

void ZoltAppBase::ReadSettings()
{
    settingsRead_ = true;
    auto key = strings_.find("RegistryKey");
    if (key != strings_.end()) {
        std::string narrow;
        for (wchar_t c : key->second)
            narrow += char(c);
        registryKey = narrow;
    }
    if (registryKey.empty())
        return;
    // The file is the player's to edit: every number is held to what it
    // can mean before it is used.
    auto readWithin = [this](const char* name, int low, int high, int& out) {
        int value = 0;
        if (!RegReadNumber(name, value))
            return false;
        out = std::clamp(value, low, high);
        return true;
    };
    int value = 0;
    if (readWithin("MusicVolume", 0, 100, value))
        musicVolume = value / 100.0;
    if (readWithin("SfxVolume", 0, 100, value))
        effectsVolume = value / 100.0;
    // Muted or not: a larger count would take as many unmutes to undo.
    readWithin("Muted", 0, 1, muteCount_);
    // Window positions travel as signed 16-bit numbers.
    readWithin("PreferredX", INT16_MIN, INT16_MAX, preferredX);
    readWithin("PreferredY", INT16_MIN, INT16_MAX, preferredY);
    bool flag = false;
    if (RegReadFlag("CustomCursors", flag))
        SetCustomCursors(flag);
    RegReadFlag("WaitForVSync", waitForVSync);
    int inProgress = 0;
    const bool noted = RegReadNumber("InProgress", inProgress) && inProgress == 1;
    if (!screenSaverMode_)
        NoteRunInProgress(noted);
}

void ZoltAppBase::NoteRunInProgress(bool alreadyNoted)
{
    // A demo being recorded or played takes the write in its turn.
    if (demo_->IsRecording() || demo_->IsPlaying()) {
        RegWriteNumber("InProgress", 1);
        return;
    }
    // Nothing resets the note, so after the first run it is there already.
    // Saving the settings waits for the disk (the file is synced before it
    // replaces the old one): the first run writes the note on a thread of
    // its own, beside the start-up instead of before the first frame.
    if (alreadyNoted)
        return;
    std::string name;
    const std::string key = settings_->KeyPathOf("InProgress", &name);
    const auto write = [key, name] { RegistrySettings::WriteNumberAt(key, name, 1); };
    if (!runNote_.Start(write, platform::ThreadPriority::Normal, "run note"))
        write();
}

void ZoltAppBase::WriteSettings()
{
    runNote_.Join();
    RegWriteNumber("PreferredX", preferredX);
    RegWriteNumber("PreferredY", preferredY);
    RegWriteNumber("CustomCursors", customCursorsOn_ ? 1 : 0);
    // The last chance to say that they were not kept.
    ShowSettingsWarnings();
}

void ZoltAppBase::ShowSettingsWarnings()
{
    ProblemReporter& reporter = ProblemReporter::Instance();
    // While the loop runs, a box waits for the window's first picture, so
    // that it stands in front of the game rather than of a black window.
    if (running_ && drawCount_ == 0)
        return;
    if (!startWarningsTaken_) {
        // The run note is written on a thread of its own while the start
        // goes on: what it met belongs to the start as well, and is told in
        // the box wherever that thread happened to be.
        runNote_.Join();
        for (std::string& warning : TakeRegistryWarnings())
            startWarnings_.push_back(std::move(warning));
        startWarningsTaken_ = true;
    }
    constexpr char kTopic[] = "settings";
    // Those met at the start, before the game could show them, are told in
    // the box; those met since, where the game shows them. A failure that
    // recurs for the same reason is told once.
    auto tell = [&reporter, &kTopic](const std::string& warning, bool inBox) {
        Problem problem;
        problem.subject = ProblemSubject::Settings;
        problem.what = "The settings could not be kept as they should be";
        problem.cause = warning;
        problem.topic = kTopic;
        reporter.Tell(problem, inBox);
    };
    for (const std::string& warning : std::exchange(startWarnings_, {}))
        tell(warning, true);
    for (const std::string& warning : TakeRegistryWarnings())
        tell(warning, false);
    // A save that went through since ends what was told: the same failure
    // later is news again. (Failures met before it in this step were told
    // just now.)
    if (TakeRegistrySavedAgain())
        reporter.Resolved(kTopic, {});
}

void ZoltAppBase::ReadStartOptions()
{
    const std::string line = GetCommandLine();
    size_t pos = 0;
    if (!line.empty() && line[0] == '"') {
        const size_t close = line.find('"', 1);
        if (close == std::string::npos)
            return;
        pos = close + 1;
    }
    const size_t space = line.find(' ', pos);
    if (space == std::string::npos)
        return;
    SplitStartOptions(line.substr(space + 1));
}

void ZoltAppBase::SplitStartOptions(const std::string& text)
{
    std::string name;
    std::string value;
    bool quoted = false;
    bool inValue = false;
    auto finish = [&] {
        if (!name.empty())
            ApplyStartOption(name, value);
        name.clear();
        value.clear();
        inValue = false;
    };
    for (char c : text) {
        if (c == '"') {
            quoted = !quoted;
        } else if (c == ' ' && !quoted) {
            finish();
        } else if (c == '=' && !inValue) {
            inValue = true;
        } else {
            (inValue ? value : name) += c;
        }
    }
    finish();
}

void ZoltAppBase::RefuseStartOption(const std::string& option, const std::string& why)
{
    // A start that did not happen is no success: the exit code says so.
    ShowError(LookupTextNarrow("INVALID_COMMANDLINE_PARAM", "Invalid command line parameter: ") + option +
              (why.empty() ? std::string() : " (" + why + ")"));
    FatalExit(1);
}

int ZoltAppBase::StartOptionCount(const std::string& name, const std::string& value)
{
    // No value is the default; anything else must be a whole number.
    if (value.empty())
        return 0;
    int count = 0;
    const char* end = value.data() + value.size();
    const char* first = value.data() + (value[0] == '+' ? 1 : 0);
    const auto [stop, error] = std::from_chars(first, end, count);
    if (first == end || stop != end || (error != std::errc() && error != std::errc::result_out_of_range))
        RefuseStartOption(name + "=" + value, "\"" + value + "\" is not a whole number");
    if (error == std::errc::result_out_of_range)
        RefuseStartOption(name + "=" + value, "\"" + value + "\" is out of range");
    return count;
}

void ZoltAppBase::ApplyStartOption(const std::string& name, const std::string& value)
{
    if (name == "-play") {
        demo_->StartPlaying();
    } else if (name == "-record") {
        demo_->StartRecording();
    } else if (name == "-demofile") {
        if (value.empty())
            RefuseStartOption(name + "=", "the demo file's name is empty");
        numberedDemo_.reset();
        demo_->SetFileName(value.size() >= 2 && !IsAbsolutePath(value) ? Zolt::GetAppDataFolder() + value : value);
    } else if (name == "-recnum") {
        const int count = StartOptionCount(name, value);
        numberedDemo_ = NumberedDemoRequest{true, count < 1 ? 5 : count, OptionAsGiven(name, value)};
        demo_->StartRecording();
    } else if (name == "-playnum") {
        const int back = StartOptionCount(name, value);
        numberedDemo_ = NumberedDemoRequest{false, back < 1 ? 1 : back, OptionAsGiven(name, value)};
        demo_->StartPlaying();
    } else if (name == "-screensaver") {
        screenSaverMode_ = true;
    } else if (name == "-changedir") {
        startDirectory = value;
    } else if (name == "-crash") {
        crashRequested_ = true;
    } else {
        RefuseStartOption(name, "");
    }
}

} // namespace Zolt
