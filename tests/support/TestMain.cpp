// The main of every test program. Tests run on the headless platform (no
// window, no sound device) unless PELLUCOR_PLATFORM=sdl asks for the real one.
#include "platform/core/Process.h"
#include "platform/core/Testing.h"

#include <gtest/gtest.h>

int main(int argc, char** argv)
{
    testing::InitGoogleTest(&argc, argv);
    platform::SetCommandLineArguments(argc, argv);
    std::optional<std::string> backend = platform::GetEnvironmentVariable("PELLUCOR_PLATFORM");
    platform::UseHeadlessBackend(!(backend && *backend == "sdl"));
    return RUN_ALL_TESTS();
}
