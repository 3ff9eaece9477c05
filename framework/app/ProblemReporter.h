// The one way the program tells the player about a problem with the
// player's files or settings: a profile not saved or not deleted, a profile
// skipped or kept aside, settings not kept, a demo not written.
//
// Whoever meets the problem reports what it knows: what was not done, in the
// player's words, and the system's error number with the step and the path
// (or, when no error number says it, the cause). The words for the reason are
// made here, where the problem is told, and nowhere below.
//
// Each problem is told once (its key; a save that keeps failing is told to
// the player each time, since each time new work is lost, and on standard
// error once), until the one who reported it says it is over (Resolved):
//  - always on standard error;
//  - to the game's own notice once the game has registered one (SetSink,
//    through the kernel: the framework cannot call the game);
//  - before that, in a box (the application's, SetBox; the system's while
//    there is no application).
//
// Threads: any thread may report; the sink and the box are called on the
// reporting thread, outside the reporter's lock (the program reports on its
// main thread).
#pragma once

#include "platform/core/FileSystem.h"

#include <functional>
#include <mutex>
#include <set>
#include <string>
#include <vector>

namespace Zolt {

struct Problem {
    // The heading of the box: "Player files", "Settings", "Demo".
    std::string subject;
    // What was not done, in the player's words, without a closing colon:
    // "The player Ann was not saved".
    std::string what;
    // The system's error number (errno); 0 when `cause` says why.
    int code = 0;
    // Why, in the player's words and without a closing full stop, where the
    // error number does not say it (a damaged file, a link that leads
    // nowhere); it goes before the number's words.
    std::string cause;
    // What was done and to which file, for standard error: "write",
    // "delete", "make the folder"...
    std::string step;
    std::string path;
    // What becomes of it: "It is kept and saved again later."
    std::string outcome;
    // Problems of one key are told once; empty: the whole problem is its key.
    std::string key;
    // The player is told again at each report of the key (standard error
    // still once).
    bool everyTime = false;

    // The why, the step and the path of a failure the file layer met.
    void SetFailure(const platform::FileError& error);

    std::string Key() const;
    // The lines the player reads: what, why, what becomes of it.
    std::vector<std::string> Lines() const;
    // The lines, then the step, path and the system's own words.
    std::string Text() const;
};

// The game's face for problems.
class ProblemSink {
public:
    virtual ~ProblemSink() = default;
    // `lines`: what happened, why, what becomes of it; each short enough for
    // a small dialog.
    virtual void TellPlayer(const std::string& subject, const std::vector<std::string>& lines) = 0;
};

class ProblemReporter {
public:
    // Shows `text` under `caption` and waits for the answer; writes it to
    // standard error as well.
    using Box = std::function<void(const std::string& text, const std::string& caption)>;

    // The process's one reporter.
    static ProblemReporter& Instance();

    // Tells the problem as the header says. True when it was told (not
    // told before under its key, or told every time). `inBox`: in the box
    // whatever the sink, for a problem met before the game's notice was there.
    bool Tell(const Problem& problem, bool inBox = false);
    // The problem of `key` is over (the file was saved after all): it will be
    // told again when it comes back, and, when it had been told, `note` is
    // said on standard error. True when it had been told.
    bool Resolved(const std::string& key, const std::string& note);
    // Says `text` on standard error only: news that asks nothing of the
    // player (a file taken over from an earlier build).
    void Say(const std::string& subject, const std::string& text);

    // The game's notice (null: the box again).
    void SetSink(ProblemSink* sink);
    // The application's box (empty: the system's).
    void SetBox(Box box);

    // The reason of an error number in the player's words ("the disk is
    // full"); `step` tells a refused folder from a refused file.
    static std::string ReasonInWords(int code, const std::string& step = {});

    // Forgets what was told, and the sink (tests: a fresh program). The
    // application's box stays as long as the application.
    void Reset();

private:
    ProblemReporter() = default;
    void ShowBox(const std::string& text, const std::string& caption);

    mutable std::mutex mutex_;
    std::set<std::string> told_;    // guarded by mutex_
    ProblemSink* sink_ = nullptr;   // guarded by mutex_
    Box box_;                       // guarded by mutex_
};

} // namespace Zolt
