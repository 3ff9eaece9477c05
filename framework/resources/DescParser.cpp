#include "framework/resources/DescParser.h"

#include "framework/base/StringUtils.h"
#include "pak/PakFileFunctions.h"

namespace Zolt {

namespace {

bool IsQuote(char c) { return c == '\'' || c == '"'; }

const ListDataElement& AsList(const DataElement& element) { return static_cast<const ListDataElement&>(element); }
const SingleDataElement& AsSingle(const DataElement& element)
{
    return static_cast<const SingleDataElement&>(element);
}

} // namespace

// Characters of a descriptor, from a file of the archive layer or a text.
class DescParser::CharSource {
public:
    explicit CharSource(PakFileHandle* file) : file_(file) {}
    explicit CharSource(const std::string* text) : text_(text) {}
    // The next character, or -1 at the end.
    int Next()
    {
        if (text_)
            return position_ < text_->size() ? static_cast<unsigned char>((*text_)[position_++]) : -1;
        if (PakFileAtEnd(file_))
            return -1;
        return PakFileGetChar(file_);
    }

private:
    PakFileHandle* file_ = nullptr;
    const std::string* text_ = nullptr;
    size_t position_ = 0;
};

DescParser::DescParser() = default;
DescParser::~DescParser() = default;

bool DescParser::ReportError(const std::string& text)
{
    errorText_ = text;
    if (errorSink_)
        errorSink_->OnDescError(text, currentLine_, currentCommand_);
    return false;
}

DataElement* DescParser::FindDefinition(const std::string& name)
{
    auto it = definitions_.find(UpperCased(name));
    return it == definitions_.end() ? nullptr : it->second.get();
}

void DescParser::SetDefinition(const std::string& name, std::unique_ptr<DataElement> value)
{
    definitions_[UpperCased(name)] = std::move(value);
}

bool DescParser::LoadDescriptor(const std::string& fileName)
{
    errorText_.clear();
    PakFileHandle* file = PakFileOpen(fileName.c_str(), "r");
    if (!file)
        return false;
    CharSource source(file);
    const bool ok = ReadCommands(source);
    PakFileClose(file);
    return ok;
}

bool DescParser::LoadDescriptorText(const std::string& text)
{
    errorText_.clear();
    CharSource source(&text);
    return ReadCommands(source);
}

struct DescParser::CommandScan {
    std::string command;
    int commandLine = 0;
    int lineCount = 0;
    bool failed = false;
    bool atLineStart = true;
    bool indented = false;
    bool inComment = false;
    bool singleQuoted = false;
    bool doubleQuoted = false;
    bool heldBackslash = false;

    void ResetLine()
    {
        atLineStart = true;
        indented = false;
        inComment = false;
        singleQuoted = doubleQuoted = heldBackslash = false;
    }
    void Append(char c)
    {
        if (command.empty())
            commandLine = lineCount + 1;
        command += c;
    }
};

bool DescParser::ReadCommands(CharSource& source)
{
    CommandScan scan;
    for (int next = source.Next(); next >= 0 && !scan.failed; next = source.Next()) {
        const char c = static_cast<char>(next);
        if (c == '\r')
            continue;
        if (!TakeChar(scan, c))
            break;
    }
    if (!scan.failed) {
        if (scan.heldBackslash)
            scan.Append('\\');
        ExecutePending(scan);
    }
    currentCommand_.clear();
    currentLine_ = 0;
    return !scan.failed;
}

bool DescParser::TakeChar(CommandScan& scan, char c)
{
    if (scan.atLineStart) {
        // Indentation continues the command; a line starting in column 0
        // ends it when the descriptor says so.
        if (c == ' ' || c == '\t') {
            scan.indented = true;
            return true;
        }
        if (c == '\n') {
            ++scan.lineCount;
            return true;
        }
        if ((flags_ & kColumnZeroEndsCommand) && !scan.indented && !scan.command.empty())
            if (!ExecutePending(scan))
                return false;
        scan.atLineStart = false;
        if (c == '#') {
            scan.inComment = true;
            return true;
        }
    }
    if (c == '\n') {
        ++scan.lineCount;
        scan.atLineStart = true;
        scan.indented = false;
        if (scan.inComment)
            scan.inComment = false;
        else
            scan.Append(c);
        return true;
    }
    if (!scan.inComment)
        TakeCommandChar(scan, c);
    return true;
}

void DescParser::TakeCommandChar(CommandScan& scan, char c)
{
    const bool quoted = scan.singleQuoted || scan.doubleQuoted;
    if (quoted && scan.heldBackslash) {
        scan.heldBackslash = false;
        scan.Append('\\');
        scan.command += c;
        return;
    }
    if (quoted && c == '\\') {
        scan.heldBackslash = true;
        return;
    }
    if (c == '\'' && !scan.doubleQuoted) {
        scan.singleQuoted = !scan.singleQuoted;
    } else if (c == '"' && !scan.singleQuoted) {
        scan.doubleQuoted = !scan.doubleQuoted;
    } else if (c == ';' && !quoted && (flags_ & kSemicolonEndsCommand)) {
        ExecutePending(scan);
        return;
    }
    scan.Append(c);
}

bool DescParser::ExecutePending(CommandScan& scan)
{
    if (!scan.command.empty()) {
        currentLine_ = scan.commandLine;
        currentCommand_ = scan.command;
        const bool ok = ExecuteLine(scan.command);
        currentCommand_.clear();
        currentLine_ = 0;
        if (!ok)
            scan.failed = true;
    }
    scan.command.clear();
    scan.ResetLine();
    return !scan.failed;
}

bool DescParser::ExecuteLine(const std::string& text)
{
    ListDataElement parameters;
    if (!Tokenize(text, parameters, false))
        return false;
    if (parameters.elements.empty())
        return true;
    if (parameters.elements.front()->isList)
        return ReportError("Missing Command");
    return ExecuteCommand(parameters);
}

bool DescParser::Tokenize(const std::string& text, ListDataElement& out, bool inList, size_t* position)
{
    size_t at = position ? *position : 0;
    const bool ok = TokenizeAt(text, out, inList, at, inList ? 1 : 0);
    if (position)
        *position = at;
    return ok;
}

bool DescParser::TokenizeAt(const std::string& text, ListDataElement& out, bool inList, size_t& position,
                            int depth)
{
    SingleDataElement* token = nullptr;
    bool singleQuoted = false;
    bool doubleQuoted = false;
    bool escaped = false;
    auto appendToToken = [&](char c) {
        if (!token)
            token = static_cast<SingleDataElement*>(out.Add(std::make_unique<SingleDataElement>()));
        token->value += c;
    };

    while (position < text.size()) {
        const char c = text[position++];
        if (escaped) {
            escaped = false;
            appendToToken(c);
            continue;
        }
        if (c == '\\') {
            escaped = true;
            continue;
        }
        if (c == '\'' && !doubleQuoted) {
            singleQuoted = !singleQuoted;
            appendToToken(c);
            continue;
        }
        if (c == '"' && !singleQuoted) {
            doubleQuoted = !doubleQuoted;
            appendToToken(c);
            continue;
        }
        if (singleQuoted || doubleQuoted) {
            appendToToken(c);
            continue;
        }
        if (c == ')') {
            if (inList)
                return true;
            return ReportError("Unexpected List End");
        }
        if (c == '(') {
            if (token)
                return ReportError("Unexpected List Start");
            if (depth >= kMaxListDepth)
                return ReportError("Lists Nested Too Deeply");
            auto* list = static_cast<ListDataElement*>(out.Add(std::make_unique<ListDataElement>()));
            if (!TokenizeAt(text, *list, true, position, depth + 1))
                return false;
            continue;
        }
        if (c == ' ' || c == '\t' || c == '\n' || c == ',') {
            token = nullptr;
            continue;
        }
        appendToToken(c);
    }
    if (singleQuoted)
        return ReportError("Unterminated Single Quotes");
    if (doubleQuoted)
        return ReportError("Unterminated Double Quotes");
    if (inList)
        return ReportError("Unterminated List");
    return true;
}

bool DescParser::DereferenceList(const ListDataElement& source, ListDataElement& out)
{
    size_t count = 0;
    return DereferenceInto(source, out, 1, count);
}

bool DescParser::DereferenceInto(const ListDataElement& source, ListDataElement& out, int depth, size_t& count)
{
    for (const auto& element : source.elements) {
        if (++count > kMaxElements)
            return ReportError("List Too Large");
        if (element->isList) {
            if (depth >= kMaxListDepth)
                return ReportError("Lists Nested Too Deeply");
            auto* list = static_cast<ListDataElement*>(out.Add(std::make_unique<ListDataElement>()));
            if (!DereferenceInto(AsList(*element), *list, depth + 1, count))
                return false;
            continue;
        }
        const std::string& value = AsSingle(*element).value;
        if (value.empty())
            continue;
        if (IsQuote(value[0])) {
            out.Add(std::make_unique<SingleDataElement>(StripQuotes(value)));
        } else if (IsLiteralValue(value)) {
            out.Add(element->Clone());
        } else {
            DataElement* definition = FindDefinition(value);
            if (!definition)
                return ReportError("Unable to Dereference \"" + value + "\"");
            count += DataElementCount(*definition);
            if (count > kMaxElements)
                return ReportError("List Too Large");
            if (depth + DataElementDepth(*definition) > kMaxListDepth)
                return ReportError("Lists Nested Too Deeply");
            out.Add(definition->Clone());
        }
    }
    return true;
}

bool DescParser::DataToList(const DataElement& element, ListDataElement& out)
{
    if (element.isList)
        return DereferenceList(AsList(element), out);
    DataElement* definition = FindDefinition(AsSingle(element).value);
    if (!definition || !definition->isList)
        return false;
    for (const auto& child : AsList(*definition).elements)
        out.Add(child->Clone());
    return true;
}

bool DescParser::GetStringValue(const DataElement& element, std::string& out)
{
    out.clear();
    if (element.isList)
        return false;
    const std::string* value = &AsSingle(element).value;
    if (DataElement* definition = FindDefinition(*value)) {
        if (definition->isList)
            return false;
        value = &AsSingle(*definition).value;
    }
    out = StripQuotes(*value);
    return true;
}

bool DescParser::GetStringList(const DataElement& element, std::vector<std::string>& out)
{
    out.clear();
    ListDataElement resolved;
    if (element.isList) {
        if (!DereferenceList(AsList(element), resolved))
            return false;
    } else {
        const std::string& name = AsSingle(element).value;
        DataElement* definition = FindDefinition(name);
        if (!definition)
            return ReportError("Unable to Dereference \"" + name + "\"");
        if (!definition->isList)
            return false;
        for (const auto& child : AsList(*definition).elements)
            resolved.Add(child->Clone());
    }
    for (const auto& entry : resolved.elements) {
        if (entry->isList) {
            out.clear();
            return false;
        }
        out.push_back(AsSingle(*entry).value);
    }
    return true;
}

bool DescParser::GetIntList(const DataElement& element, std::vector<int>& out)
{
    out.clear();
    std::vector<std::string> texts;
    if (!GetStringList(element, texts))
        return false;
    for (const auto& text : texts) {
        int value = 0;
        if (!ParseInt(text, value)) {
            out.clear();
            return false;
        }
        out.push_back(value);
    }
    return true;
}

bool DescParser::GetDoubleList(const DataElement& element, std::vector<double>& out)
{
    out.clear();
    std::vector<std::string> texts;
    if (!GetStringList(element, texts))
        return false;
    for (const auto& text : texts) {
        double value = 0;
        if (!ParseDouble(text, value)) {
            out.clear();
            return false;
        }
        out.push_back(value);
    }
    return true;
}

std::string DescParser::DataElementToString(const DataElement& element)
{
    if (!element.isList)
        return AsSingle(element).value;
    std::string text = "(";
    bool first = true;
    for (const auto& child : AsList(element).elements) {
        if (!first)
            text += ", ";
        first = false;
        text += DataElementToString(*child);
    }
    return text + ")";
}

} // namespace Zolt
