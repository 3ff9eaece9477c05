#include "framework/app/ProblemReporter.h"

#include "platform/core/Process.h"
#include "platform/window/SystemDialogs.h"

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

bool IsFolderStep(const std::string& step)
{
    return step == "make the folder";
}

} // namespace

void Problem::SetFailure(const platform::FileError& error)
{
    code = error.code;
    cause = error.detail;
    step = error.step;
    path = error.path;
}

std::string Problem::Key() const
{
    if (!key.empty())
        return key;
    return subject + "\n" + what + "\n" + step + "\n" + path + "\n" + std::to_string(code) + "\n" + cause;
}

std::vector<std::string> Problem::Lines() const
{
    std::vector<std::string> lines{what + ":", (cause.empty() ? ProblemReporter::ReasonInWords(code, step) : cause) + "."};
    if (!outcome.empty())
        lines.push_back(outcome);
    return lines;
}

std::string Problem::Text() const
{
    std::string text;
    for (const std::string& line : Lines())
        text += line + "\n";
    if (!path.empty())
        text += "(" + (step.empty() ? std::string() : step + " ") + path +
                (code != 0 ? std::string(": ") + std::strerror(code) : std::string()) + ")";
    return text;
}

ProblemReporter& ProblemReporter::Instance()
{
    static ProblemReporter reporter;
    return reporter;
}

bool ProblemReporter::Tell(const Problem& problem, bool inBox)
{
    ProblemSink* sink = nullptr;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        const bool fresh = told_.insert(problem.Key()).second;
        if (!fresh && !problem.everyTime)
            return false;
        sink = inBox ? nullptr : sink_;
        // Standard error hears each problem once; the box writes it there
        // itself.
        if (sink && fresh)
            WriteToStandardError(problem.subject, problem.Text());
    }
    if (sink)
        sink->TellPlayer(problem.subject, problem.Lines());
    else
        ShowBox(problem.Text(), problem.subject);
    return true;
}

bool ProblemReporter::Resolved(const std::string& key, const std::string& note)
{
    std::lock_guard<std::mutex> lock(mutex_);
    if (told_.erase(key) == 0)
        return false;
    if (!note.empty())
        std::fputs((note + "\n").c_str(), stderr);
    return true;
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

std::string ProblemReporter::ReasonInWords(int code, const std::string& step)
{
    switch (code) {
    case ENOSPC: return "the disk is full";
    case EDQUOT: return "the disk quota is used up";
    case EACCES:
    case EPERM: return IsFolderStep(step) ? "the folder may not be made there" : "the folder cannot be written";
    case EROFS: return "the disk is read-only";
    case ENOTDIR: return IsFolderStep(step) ? "a file stands where the folder should be" : "the save folder is not a folder";
    case EISDIR: return "a folder stands in the file's place";
    case EIO: return "the disk could not be written";
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
