// A scene checked against the one kept beside the tests: every object a
// screen made, one line each (kind, layer, place, size, what it shows,
// whether it is shown), compared with a text file under tests/. A picture
// moved, a text in another font or colour, a button drawn under another, a
// part left hidden: any change a player would see changes a line. When a
// change is meant, run the test with PELLUCOR_KEEP_SCENES=1 in the
// environment to write the files anew, and read their diff.
//
// Threads: the test's thread.
#pragma once

#include <string>

namespace testing_support {

class RecordingFactory;

// Every live object of a recording factory, in the order they were made.
std::string DescribeRecordedScene(RecordingFactory& factory);
// Every shown object of the kernel's control factory, the top one first.
std::string DescribeShownScene();
// Fails the running test, naming the lines that differ, unless `scene` is
// the text kept in `file` (a path below tests/).
void ExpectKeptScene(const std::string& scene, const std::string& file);

} // namespace testing_support
