// Reader of the line-oriented description language: each command is a
// command word followed by values, single tokens or parenthesised lists,
// with quoting, escapes, "#" comments and named definitions. The parser
// splits a file into commands, tokenises each into data elements and hands
// it to the derived class's ExecuteCommand; it also provides the
// conversions (names to definitions, lists to strings, integers, doubles)
// that commands use for their parameters.
//
// One parser reads one file, on one thread; it holds no lock. Definitions
// live until the parser is destroyed.
#pragma once

#include "framework/resources/DataElement.h"
#include "framework/resources/DescErrorSink.h"

#include <cstddef>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace Zolt {

class DescParser {
public:
    // Flag bits: a ";" outside quotes ends a command; a line starting in
    // column 0 ends the command before it.
    static constexpr int kSemicolonEndsCommand = 1;
    static constexpr int kColumnZeroEndsCommand = 2;
    // Lists nest at most this deep and a dereferenced parameter holds at
    // most this many elements, so that a hostile file cannot exhaust the
    // stack or the memory.
    static constexpr int kMaxListDepth = 32;
    static constexpr size_t kMaxElements = size_t(1) << 20;

    DescParser();
    virtual ~DescParser();
    DescParser(const DescParser&) = delete;
    DescParser& operator=(const DescParser&) = delete;

    // Stores the text and hands it to the error sink, if one is set, with
    // the place of the command being executed; false.
    bool ReportError(const std::string& text);
    void SetErrorSink(DescErrorSink* sink) { errorSink_ = sink; }
    // The definition of the name (compared without regard to case), or null.
    virtual DataElement* FindDefinition(const std::string& name);
    virtual bool ExecuteCommand(ListDataElement& parameters) = 0;

    // Reads and executes the whole file (through the archive layer); false
    // when it cannot be opened (no text) or a command failed.
    bool LoadDescriptor(const std::string& fileName);
    // The same reader over a text in memory.
    bool LoadDescriptorText(const std::string& text);
    // Tokenises one command and executes it.
    bool ExecuteLine(const std::string& text);
    // Splits text from *position (0 when null) into out; inside a list it
    // stops after the closing ")" and leaves *position after it.
    bool Tokenize(const std::string& text, ListDataElement& out, bool inList, size_t* position = nullptr);

    bool DereferenceList(const ListDataElement& source, ListDataElement& out);
    bool DataToList(const DataElement& element, ListDataElement& out);
    bool GetStringValue(const DataElement& element, std::string& out);
    bool GetStringList(const DataElement& element, std::vector<std::string>& out);
    bool GetIntList(const DataElement& element, std::vector<int>& out);
    bool GetDoubleList(const DataElement& element, std::vector<double>& out);
    static std::string DataElementToString(const DataElement& element);

    const std::string& GetErrorText() const { return errorText_; }
    int GetFlags() const { return flags_; }
    void SetFlags(int flags) { flags_ = flags; }
    // The command being executed: the line it began on and its text; 0 and
    // "" between commands.
    int CurrentLine() const { return currentLine_; }
    const std::string& CurrentCommand() const { return currentCommand_; }

protected:
    // Stores a definition under the upper-cased name, replacing any other.
    void SetDefinition(const std::string& name, std::unique_ptr<DataElement> value);

private:
    int flags_ = kSemicolonEndsCommand;
    std::string errorText_;
    int currentLine_ = 0;
    std::string currentCommand_;
    std::map<std::string, std::unique_ptr<DataElement>> definitions_;
    DescErrorSink* errorSink_ = nullptr;

    class CharSource;
    bool ReadCommands(CharSource& source);
    // The reading state of ReadCommands: the command gathered so far, the
    // line it began on, and where in a line, comment or quote the reader is.
    struct CommandScan;
    // Takes one character (not '\r'); false stops the reading.
    bool TakeChar(CommandScan& scan, char c);
    void TakeCommandChar(CommandScan& scan, char c);
    // Runs the gathered command, if any; false when it failed.
    bool ExecutePending(CommandScan& scan);
    bool TokenizeAt(const std::string& text, ListDataElement& out, bool inList, size_t& position, int depth);
    bool DereferenceInto(const ListDataElement& source, ListDataElement& out, int depth, size_t& count);
};

} // namespace Zolt
