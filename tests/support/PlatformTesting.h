// Test helpers around the platform layer shared by the suites.
#pragma once

#include <string>

namespace platform::testing {

// A fresh, empty folder under $TMPDIR (else /tmp), deleted with everything in
// it when the helper goes. Path() has no trailing separator.
class ScopedTempFolder {
public:
    ScopedTempFolder();
    ~ScopedTempFolder();
    ScopedTempFolder(const ScopedTempFolder&) = delete;
    ScopedTempFolder& operator=(const ScopedTempFolder&) = delete;

    const std::string& Path() const { return path_; }
    // Path() + "/" + relative.
    std::string operator/(const std::string& relative) const { return path_ + "/" + relative; }

private:
    std::string path_;
};

// Writes `contents` to `path` (plain write, for setting up scenes); fails the
// test when it cannot.
void WriteTestFile(const std::string& path, const std::string& contents);
// The file's contents, or "<missing>" when it cannot be read.
std::string ReadTestFile(const std::string& path);

} // namespace platform::testing
