// The one way the program tells the player about a problem with the
// player's files or settings: a profile not saved or not deleted, a profile
// skipped or kept aside, settings not kept, a demo not written.
//
// Whoever meets the problem reports what it knows: what was not done, in the
// player's words, and the system's error number with the step and the path
// (or, when no error number says it, the cause). The words for the reason are
// made here, where the problem is told, and nowhere below.
//
// The reporter keeps the one memory of what was told: for each topic (what
// the problem is about: "save" and the files, say) the reason told. A
// problem is told once, and not again while its topic stands for the same
// reason; it is news again when the reason changes, or once the topic is
// over (Resolved: the file was saved after all) and the problem comes back.
// What the player asked for (a delete, a quit) is told at each asking.
//  - on standard error, each time it is told;
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
#include <map>
#include <mutex>
#include <string>
#include <vector>

namespace Zolt {

// Whose files a problem concerns; its heading says it to the player.
enum class ProblemSubject {
    PlayerFiles,  // "Player files": profiles
    Settings,     // "Settings"
    Demo,         // "Demo": a recording
};
const char* HeadingOf(ProblemSubject subject);

struct Problem {
    ProblemSubject subject = ProblemSubject::PlayerFiles;
    // What was not done, in the player's words, without a closing colon:
    // "The player Ann was not saved".
    std::string what;
    // The system's error number (errno); 0 when `cause` says why.
    int code = 0;
    // Why, in the player's words and without a closing full stop, where the
    // error number does not say it (a damaged file, a link that leads
    // nowhere); it goes before the number's words.
    std::string cause;
    // What was done to which file: the step picks the words for the error
    // number, and both are written on standard error.
    platform::FileStep step = platform::FileStep::None;
    std::string path;
    // What becomes of it: "It is kept and saved again later."
    std::string outcome;
    // What the problem is about, told once for each reason; empty: the
    // whole problem is its topic.
    std::string topic;
    // The files it concerns: a file saved again ends it (ResolvedFiles).
    std::vector<std::string> files;
    // The player asked for what failed (a delete, a quit): told at each
    // asking.
    bool asked = false;

    // The why, the step and the path of a failure the file layer met.
    void SetFailure(const platform::FileError& error);

    std::string Topic() const;
    // What makes the same topic news again: the step, the path, the error
    // number and the cause (not what becomes of it).
    std::string Reason() const;
    // The lines the player reads: what, why, what becomes of it.
    std::vector<std::string> Lines() const;
    // The lines, then the step, path and the system's own words (where they
    // are true).
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

    // Tells the problem as the header says. True when it was told (news
    // for its topic, or asked for). `inBox`: in the box whatever the sink,
    // for a problem met before the game's notice was there.
    bool Tell(const Problem& problem, bool inBox = false);
    // The problem of `topic` is over: it will be told again when it comes
    // back, and, when it had been told, `note` is said on standard error.
    // True when it had been told.
    bool Resolved(const std::string& topic, const std::string& note);
    // Every told problem that concerns one of `files` is over (they were
    // saved after all). Those of them that a told problem concerned.
    std::vector<std::string> ResolvedFiles(const std::vector<std::string>& files);
    // Says `text` on standard error only: news that asks nothing of the
    // player (a file taken over from an earlier build).
    void Say(const std::string& subject, const std::string& text);

    // The game's notice (null: the box again).
    void SetSink(ProblemSink* sink);
    // The application's box (empty: the system's).
    void SetBox(Box box);

    // The reason of an error number in the player's words ("the disk is
    // full"); `step` tells a refused folder from a refused file, a write
    // from a read; `path`, the file or folder the step failed on, is named
    // where the words need it (the file that stands where a folder should).
    static std::string ReasonInWords(int code, platform::FileStep step = platform::FileStep::Write,
                                     const std::string& path = {});

    // Forgets what was told, and the sink (tests: a fresh program). The
    // application's box stays as long as the application.
    void Reset();

private:
    ProblemReporter() = default;
    void ShowBox(const std::string& text, const std::string& caption);

    mutable std::mutex mutex_;
    struct Told {
        std::string reason;
        std::vector<std::string> files;
    };
    std::map<std::string, Told> told_;  // guarded by mutex_: by topic
    ProblemSink* sink_ = nullptr;   // guarded by mutex_
    Box box_;                       // guarded by mutex_
};

} // namespace Zolt
