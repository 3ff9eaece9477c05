#include "kernel/PlayerProblems.h"

namespace KernelLibrary {

bool TellProblem(const Problem& problem)
{
    return Zolt::ProblemReporter::Instance().Tell(problem);
}

bool ProblemResolved(const std::string& key, const std::string& note)
{
    return Zolt::ProblemReporter::Instance().Resolved(key, note);
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
