// A scene checked against the one kept beside the tests: what a player sees
// of the screen, one line per object the top one first, compared with a text
// file under tests/. Each line says what the object is, where it stands and
// how large it is, whether it is disabled or has the focus, and what it
// shows: the words and their colour and font, the picture and the part of it
// (a button: the part each of its states shows, and its caption's colours),
// a text box's lines. Objects a player cannot see (hidden, or of no size) are
// not listed. A picture moved, a text in another font or colour, a button
// drawn from another part of its picture, a part left showing: any change a
// player would see changes a line, and the failure lists the lines kept and
// the lines now, as a line diff does.
//
// When a change is meant, run the test with PELLUCOR_KEEP_SCENES=1 in the
// environment to write the files anew, and read their diff.
//
// Threads: the test's thread.
#pragma once

#include <string>

namespace testing_support {

// Every object the kernel's control factory shows, the top one first.
std::string DescribeShownScene();
// Fails the running test, with the line diff from the kept text, unless
// `scene` is the text kept in `file` (a path below tests/).
void ExpectKeptScene(const std::string& scene, const std::string& file);
// The lines of `now` that are not in `kept` ("+"), and of `kept` that are not
// in `now` ("-"), each with its line number, in the order of a line diff; at
// most `most` lines. Empty when the two are the same.
std::string LineDiff(const std::string& kept, const std::string& now, size_t most = 40);

} // namespace testing_support
