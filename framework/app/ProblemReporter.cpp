#include "framework/app/ProblemReporter.h"

#include "platform/core/Process.h"
#include "platform/window/SystemDialogs.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>

namespace Zolt {

namespace {

// "program: subject: text", as a box says it on standard error.
void WriteToStandardError(const std::string& subject, const std::string& text)
{
    const std::vector<std::string>& arguments = platform::GetArguments();
    std::string program = arguments.empty() ? std::string() : arguments[0];
    program = program.substr(program.find_last_of('/') + 1);
    std::string line = (program.empty() ? std::string() : program + ": ") + subject + ": " + text;
    while (!line.empty() && line.back() == '\n')
        line.pop_back();
    line += '\n';
    std::fputs(line.c_str(), stderr);
    std::fflush(stderr);
}

} // namespace

const char* HeadingOf(ProblemSubject subject)
{
    switch (subject) {
    case ProblemSubject::PlayerFiles: return "Player files";
    case ProblemSubject::Settings: return "Settings";
    case ProblemSubject::Demo: return "Demo";
    }
    return "Player files";
}

void Problem::SetFailure(const platform::FileError& error)
{
    code = error.code;
    cause = error.detail;
    step = error.step;
    path = error.path;
}

std::string Problem::Topic() const
{
    if (!topic.empty())
        return topic;
    return std::to_string(static_cast<int>(subject)) + "\n" + what;
}

std::string Problem::Reason() const
{
    return std::to_string(static_cast<int>(step)) + "\n" + path + "\n" + std::to_string(code) + "\n" + cause;
}

std::vector<std::string> Problem::Lines() const
{
    std::vector<std::string> lines{what + ":",
                                   (cause.empty() ? ProblemReporter::ReasonInWords(code, step, path) : cause) + "."};
    if (!outcome.empty())
        lines.push_back(outcome);
    return lines;
}

std::string Problem::Text() const
{
    std::string text;
    for (const std::string& line : Lines())
        text += line + "\n";
    // The file layer answers EINVAL for a pipe, a device or a socket where a
    // file should be: the system's words for it ("Invalid argument") are
    // not true of that, and the reason said what is.
    const bool systemWords = code != 0 && code != EINVAL;
    if (!path.empty())
        text += "(" + (step == platform::FileStep::None ? std::string() : std::string(platform::StepWords(step)) + " ") +
                path + (systemWords ? std::string(": ") + std::strerror(code) : std::string()) + ")";
    return text;
}

ProblemReporter& ProblemReporter::Instance()
{
    static ProblemReporter reporter;
    return reporter;
}

bool ProblemReporter::Tell(const Problem& problem, bool inBox)
{
    const std::string subject = HeadingOf(problem.subject);
    ProblemSink* sink = nullptr;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        const std::string topic = problem.Topic();
        const std::string reason = problem.Reason();
        const auto told = told_.find(topic);
        const bool news = told == told_.end() || told->second.reason != reason;
        if (!news && !problem.asked)
            return false;
        told_[topic] = Told{reason, problem.files};
        sink = inBox ? nullptr : sink_;
        // Standard error hears whatever the notice shows (a problem asked
        // for again too: what the player reads on screen, a script reads
        // there); the box writes it there itself.
        if (sink)
            WriteToStandardError(subject, problem.Text());
    }
    if (sink)
        sink->TellPlayer(subject, problem.Lines());
    else
        ShowBox(problem.Text(), subject);
    return true;
}

bool ProblemReporter::Resolved(const std::string& topic, const std::string& note)
{
    std::lock_guard<std::mutex> lock(mutex_);
    if (told_.erase(topic) == 0)
        return false;
    if (!note.empty())
        std::fputs((note + "\n").c_str(), stderr);
    return true;
}

std::vector<std::string> ProblemReporter::ResolvedFiles(const std::vector<std::string>& files)
{
    std::lock_guard<std::mutex> lock(mutex_);
    std::vector<std::string> concerned;
    for (auto it = told_.begin(); it != told_.end();) {
        bool over = false;
        for (const std::string& file : it->second.files)
            if (std::find(files.begin(), files.end(), file) != files.end()) {
                over = true;
                if (std::find(concerned.begin(), concerned.end(), file) == concerned.end())
                    concerned.push_back(file);
            }
        it = over ? told_.erase(it) : std::next(it);
    }
    return concerned;
}

void ProblemReporter::Say(const std::string& subject, const std::string& text)
{
    WriteToStandardError(subject, text);
}

void ProblemReporter::SetSink(ProblemSink* sink)
{
    std::lock_guard<std::mutex> lock(mutex_);
    sink_ = sink;
}

void ProblemReporter::SetBox(Box box)
{
    std::lock_guard<std::mutex> lock(mutex_);
    box_ = std::move(box);
}

void ProblemReporter::ShowBox(const std::string& text, const std::string& caption)
{
    Box box;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        box = box_;
    }
    if (box)
        box(text, caption);
    else
        platform::MessageBoxA(nullptr, text.c_str(), caption.c_str(), platform::MB_OK | platform::MB_ICONWARNING);
}

std::string ProblemReporter::ReasonInWords(int code, platform::FileStep step, const std::string& path)
{
    using platform::FileStep;
    const bool reading = step == FileStep::Read || step == FileStep::FindEnd;
    switch (code) {
    case ENOSPC: return "the disk is full";
    case EDQUOT: return "the disk quota is used up";
    case EACCES:
    case EPERM:
        if (step == FileStep::MakeFolder)
            return "the folder may not be made there";
        return reading ? "the file may not be read" : "the folder cannot be written";
    case EROFS: return "the disk is read-only";
    case ENOTDIR:
        if (step != FileStep::MakeFolder)
            return "the save folder is not a folder";
        return path.empty() ? "a file stands where the folder should be"
                            : "a file stands where the folder " + path + " should be";
    case EISDIR: return "a folder stands in the file's place";
    case EINVAL:
        // What the file layer answers for a pipe, a device or a socket
        // where a file should be.
        if (reading)
            return "it is not a regular file (a pipe, a device or a socket)";
        break;
    case EIO: return reading ? "the disk could not be read" : "the disk could not be written";
    default: break;
    }
    std::string reason = std::strerror(code);
    if (!reason.empty() && reason[0] >= 'A' && reason[0] <= 'Z')
        reason[0] = static_cast<char>(reason[0] - 'A' + 'a');
    return reason;
}

void ProblemReporter::Reset()
{
    std::lock_guard<std::mutex> lock(mutex_);
    told_.clear();
    sink_ = nullptr;
}

} // namespace Zolt
