#include "kernel/PlayerProblems.h"

namespace KernelLibrary {

bool TellProblem(const Problem& problem)
{
    return Zolt::ProblemReporter::Instance().Tell(problem);
}

bool ProblemResolved(const std::string& topic, const std::string& note)
{
    return Zolt::ProblemReporter::Instance().Resolved(topic, note);
}

std::vector<std::string> FileProblemsResolved(const std::vector<std::string>& files)
{
    return Zolt::ProblemReporter::Instance().ResolvedFiles(files);
}

void SayOnStandardError(const std::string& subject, const std::string& text)
{
    Zolt::ProblemReporter::Instance().Say(subject, text);
}

void SetProblemSink(ProblemSink* sink)
{
    Zolt::ProblemReporter::Instance().SetSink(sink);
}

} // namespace KernelLibrary
