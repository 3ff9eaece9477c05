// Where a description parser sends the errors it reports. The parser knows
// where in the file it is; whoever ordered the reading knows how an error is
// to be shown. The font descriptor is one such reader: it shows errors
// through the application with the descriptor's name in front.
//
// Called on the thread that runs the parser.
#pragma once

#include <string>

namespace Zolt {

class DescErrorSink {
public:
    // `line` is the line the command being executed began on and `command`
    // its text; 0 and "" when no command was executing.
    virtual void OnDescError(const std::string& text, int line, const std::string& command) = 0;

protected:
    ~DescErrorSink() = default;
};

} // namespace Zolt
