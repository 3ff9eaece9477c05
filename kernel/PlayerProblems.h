// The game's way to the framework's one teller of problems with the
// player's files and settings (framework/app/ProblemReporter.h): the game
// reports its own problems there, and registers its notice as the face
// that shows every problem, the framework's included, once the game runs.
//
// Threads: the main thread.
#pragma once

#include "framework/app/ProblemReporter.h"

#include <string>
#include <vector>

namespace KernelLibrary {

using Problem = Zolt::Problem;
using ProblemSubject = Zolt::ProblemSubject;
using ProblemSink = Zolt::ProblemSink;

// Tells the problem (once for its topic and reason); true when it was told
// now.
bool TellProblem(const Problem& problem);
// The problem of `topic` is over; `note` goes to standard error when it had
// been told. True when it had been told.
bool ProblemResolved(const std::string& topic, const std::string& note);
// Every told problem concerning one of `files` is over; those of them that
// a told problem concerned.
std::vector<std::string> FileProblemsResolved(const std::vector<std::string>& files);
// News for standard error only.
void SayOnStandardError(const std::string& subject, const std::string& text);
// The game's notice; null hands the telling back to the box.
void SetProblemSink(ProblemSink* sink);

} // namespace KernelLibrary
