#include "framework/resources/XmlReader.h"

#include "pak/PakFileFunctions.h"

namespace {

bool IsSpace(int c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

template <class Str>
Str DecodeEntitiesOf(const Str& text)
{
    using Char = typename Str::value_type;
    Str out;
    out.reserve(text.size());
    const size_t n = text.size();
    for (size_t i = 0; i < n; ++i) {
        const Char c = text[i];
        if (c != Char('&')) {
            out.push_back(c);
            continue;
        }
        // An entity name runs to the next ";" and holds no blank and no
        // other "&": a bare "&" in running text (as in "Salt & Pepper; hot")
        // must not swallow the words up to a later ";".
        size_t end = i + 1;
        while (end < n && text[end] != Char(';') && text[end] != Char('&') && !IsSpace(int(text[end])))
            ++end;
        if (end >= n || text[end] != Char(';')) {
            out.push_back(c);
            continue;
        }
        const Str name = text.substr(i + 1, end - i - 1);
        auto is = [&name](const char* literal) {
            size_t k = 0;
            for (; literal[k] != '\0'; ++k)
                if (k >= name.size() || name[k] != Char(static_cast<unsigned char>(literal[k])))
                    return false;
            return k == name.size();
        };
        if (is("lt"))
            out.push_back(Char('<'));
        else if (is("gt"))
            out.push_back(Char('>'));
        else if (is("amp"))
            out.push_back(Char('&'));
        else if (is("quot"))
            out.push_back(Char('"'));
        else if (is("apos"))
            out.push_back(Char('\''));
        else if (is("nbsp"))
            out.push_back(Char(' '));
        else if (is("cr"))
            out.push_back(Char('\n'));
        else
            out.push_back(Char('&'));
        i = end;
    }
    return out;
}

} // namespace

void XmlElement::Reset(const std::string& sectionPath)
{
    type = None;
    section = sectionPath;
    name.clear();
    instruction.clear();
    attributes.clear();
    attributeOrder.clear();
}

XmlReader::~XmlReader() { Close(); }

void XmlReader::ResetForOpen(const std::string& name)
{
    Close();
    fileName_ = name;
    open_ = true;
    line_ = 1;
}

bool XmlReader::OpenFile(const std::string& fileName)
{
    ResetForOpen(fileName);
    PakFileHandle* file = PakFileOpen(fileName.c_str(), "rb");
    if (!file) {
        open_ = false;
        line_ = 0;
        return Fail("Unable to open file");
    }
    char chunk[16384];
    for (;;) {
        const size_t got = PakFileRead(chunk, 1, sizeof chunk, file);
        text_.append(chunk, got);
        if (got < sizeof chunk)
            break;
    }
    PakFileClose(file);
    return true;
}

void XmlReader::OpenText(const std::string& text, const std::string& name)
{
    ResetForOpen(name);
    text_ = text;
}

void XmlReader::Close()
{
    open_ = false;
    fileName_.clear();
    text_.clear();
    position_ = 0;
    pushBack_.clear();
    line_ = 0;
    section_.clear();
    openNames_.clear();
    pendingEnd_ = false;
    failed_ = false;
    errorText_.clear();
}

bool XmlReader::Fail(const std::string& text)
{
    if (!failed_) {
        failed_ = true;
        errorText_ = text;
    }
    return false;
}

int XmlReader::ReadChar()
{
    if (!pushBack_.empty()) {
        const int c = pushBack_.back();
        pushBack_.pop_back();
        return c;
    }
    if (position_ >= text_.size())
        return kEnd;
    const int c = static_cast<unsigned char>(text_[position_++]);
    if (c == 0)
        return kIllegal;
    if (c == '\n')
        ++line_;
    return c;
}

bool XmlReader::AddAttribute(XmlElement& element, const std::string& name, const std::string& value)
{
    auto [it, added] = element.attributes.insert_or_assign(name, value);
    (void)it;
    if (added && name != "/")
        element.attributeOrder.push_back(name);
    return added;
}

std::string& XmlReader::GetAttribute(std::map<std::string, std::string>& attributes, const std::string& name)
{
    return attributes[name];
}

std::string XmlReader::DecodeEntities(const std::string& text) { return DecodeEntitiesOf(text); }

std::wstring XmlReader::DecodeEntities(const std::wstring& text) { return DecodeEntitiesOf(text); }

void XmlReader::StorePendingAttribute(XmlElement& out, Scan& scan)
{
    if (!scan.havePending)
        return;
    AddAttribute(out, scan.attributeName, DecodeEntities(scan.attributeValue));
    scan.havePending = false;
    scan.pendingHasEquals = false;
    scan.attributeName.clear();
    scan.attributeValue.clear();
}

void XmlReader::BeginAttribute(XmlElement& out, Scan& scan, int c, bool quotedChar)
{
    StorePendingAttribute(out, scan);
    scan.havePending = true;
    scan.pendingHasEquals = false;
    scan.attributeName.assign(1, static_cast<char>(c));
    scan.lastAttributeNameCharQuoted = quotedChar;
    scan.lastValueCharQuoted = false;
    scan.mode = Mode::AttributeName;
}

void XmlReader::StoreChar(XmlElement& out, Scan& scan, int c, bool quotedChar)
{
    const char ch = static_cast<char>(c);
    switch (scan.mode) {
    case Mode::Outside:
        scan.mode = Mode::Text;
        out.type = XmlElement::Text;
        out.name.push_back(ch);
        break;
    case Mode::Text:
    case Mode::EndName:
        if (scan.pendingSpace) {
            out.name.push_back(' ');
            scan.pendingSpace = false;
        }
        out.name.push_back(ch);
        break;
    case Mode::TagName:
        out.name.push_back(ch);
        scan.lastNameCharQuoted = quotedChar;
        // A comment starts as soon as the name reads "!--", with or without
        // white space after it.
        if (!quotedChar && out.name == "!--") {
            scan.mode = Mode::CommentText;
            scan.dropCommentSpace = true;
            out.type = XmlElement::Comment;
        }
        break;
    case Mode::InstructionName:
        out.name.push_back(ch);
        break;
    case Mode::InstructionText:
    case Mode::CommentText:
        out.instruction.push_back(ch);
        break;
    case Mode::AttributeGap:
    case Mode::AttributeAfterName:
        BeginAttribute(out, scan, c, quotedChar);
        break;
    case Mode::AttributeName:
        scan.attributeName.push_back(ch);
        scan.lastAttributeNameCharQuoted = quotedChar;
        break;
    case Mode::AttributeBeforeValue:
        scan.mode = Mode::AttributeValue;
        [[fallthrough]];
    case Mode::AttributeValue:
        scan.attributeValue.push_back(ch);
        scan.lastValueCharQuoted = quotedChar;
        break;
    }
}

bool XmlReader::FinishStartTag(XmlElement& out, Scan& scan)
{
    // A "/" written unquoted right before ">" closes the element at once: at
    // the end of the last attribute's value, at the end of a last attribute
    // without a value (a flag such as nopal), or at the end of the name of a
    // tag without attributes. A "/" standing alone after white space is an
    // attribute of its own and closes nothing.
    bool empty = false;
    if (scan.havePending) {
        std::string& value = scan.attributeValue;
        std::string& name = scan.attributeName;
        if (!value.empty() && value.back() == '/' && !scan.lastValueCharQuoted) {
            value.pop_back();
            empty = true;
        } else if (!scan.pendingHasEquals && value.empty() && name.size() > 1 && name.back() == '/' &&
                   !scan.lastAttributeNameCharQuoted) {
            name.pop_back();
            empty = true;
        }
        StorePendingAttribute(out, scan);
    } else if (out.attributes.empty() && !out.name.empty() && out.name.back() == '/' && !scan.lastNameCharQuoted) {
        out.name.pop_back();
        empty = true;
    }
    out.type = XmlElement::StartTag;
    out.name = DecodeEntities(out.name);
    // Every item carries the path of the open elements: a path without
    // bound would make reading take time in the square of the file's size.
    if (openNames_.size() >= kMaxDepth || section_.size() + 1 + out.name.size() > kMaxSectionBytes)
        return Fail("Elements Nested Too Deeply");
    if (!section_.empty())
        section_.push_back('/');
    section_ += out.name;
    openNames_.push_back(out.name);
    pendingEnd_ = empty;
    return true;
}

bool XmlReader::FinishEndTag(XmlElement& out)
{
    out.type = XmlElement::EndTag;
    out.name = DecodeEntities(out.name);
    if (openNames_.empty())
        return Fail("Unexpected End");
    const std::string& last = openNames_.back();
    if (last != out.name)
        return Fail("End '" + out.name + "' Doesn't Match Start '" + last + "'");
    const size_t cut = section_.size() - last.size();
    section_.resize(cut > 0 ? cut - 1 : 0);
    openNames_.pop_back();
    return true;
}

bool XmlReader::ReturnPendingEnd(XmlElement& out)
{
    pendingEnd_ = false;
    out.name = openNames_.back();
    return FinishEndTag(out);
}

bool XmlReader::FinishInstruction(XmlElement& out, Scan& scan)
{
    std::string& field = scan.mode == Mode::InstructionName ? out.name : out.instruction;
    if (field.empty() || field.back() != '?')
        return Fail("Unexpected '>'");
    field.pop_back();
    out.name = DecodeEntities(out.name);
    return true;
}

bool XmlReader::NextElement(XmlElement& out)
{
    out.Reset(section_);
    if (failed_ || !open_)
        return false;
    if (pendingEnd_)
        return ReturnPendingEnd(out);

    Scan scan;
    for (;;) {
        const int c = ReadChar();
        if (c == kIllegal)
            return Fail("Illegal Character");
        if (c == kEnd) {
            if (scan.mode == Mode::Outside)
                return false;
            return Fail("Unexpected End of File");
        }
        if (const std::optional<bool> done = TakeChar(out, scan, c))
            return *done;
    }
}

std::optional<bool> XmlReader::TakeChar(XmlElement& out, Scan& scan, int c)
{
    if (scan.mode == Mode::CommentText)
        return TakeCommentChar(out, scan, c);
    if (c == '"') {
        TakeQuote(out, scan, c);
        return std::nullopt;
    }
    if (scan.quoted) {
        if (scan.mode == Mode::InstructionName && IsSpace(c)) {
            scan.mode = Mode::InstructionText;
            out.instruction.push_back(static_cast<char>(c));
        } else {
            StoreChar(out, scan, c, true);
        }
        return std::nullopt;
    }
    if (IsSpace(c)) {
        TakeSpace(out, scan, c);
        return std::nullopt;
    }
    if (c < 33)
        return Fail("Illegal Character");
    if (c == '<')
        return TakeOpeningBracket(out, scan, c);
    if (c == '>')
        return TakeClosingBracket(out, scan);
    TakeMarkupChar(out, scan, c);
    return std::nullopt;
}

std::optional<bool> XmlReader::TakeCommentChar(XmlElement& out, Scan& scan, int c)
{
    // Comment text is taken as written (quotes carry no meaning in it) up to
    // "-->".
    if (c < 32 && !IsSpace(c))
        return Fail("Illegal Character");
    if (scan.dropCommentSpace) {
        scan.dropCommentSpace = false;
        if (IsSpace(c))
            return std::nullopt;
    }
    out.instruction.push_back(static_cast<char>(c));
    const std::string& text = out.instruction;
    if (c == '>' && text.size() >= 3 && text.compare(text.size() - 3, 3, "-->") == 0) {
        out.instruction.resize(text.size() - 3);
        if (showComments_)
            return true;
        out.Reset(section_);
        scan = Scan();
    }
    return std::nullopt;
}

void XmlReader::TakeQuote(XmlElement& out, Scan& scan, int c)
{
    scan.quoted = !scan.quoted;
    // Quotes are kept in text; in tags they only group characters.
    if (scan.mode == Mode::Outside || scan.mode == Mode::Text) {
        StoreChar(out, scan, c, true);
    } else if (scan.mode == Mode::AttributeBeforeValue) {
        scan.mode = Mode::AttributeValue;
        scan.lastValueCharQuoted = true;
    } else if (scan.quoted && (scan.mode == Mode::AttributeGap || scan.mode == Mode::AttributeAfterName)) {
        // A quoted attribute name.
        StorePendingAttribute(out, scan);
        scan.havePending = true;
        scan.mode = Mode::AttributeName;
        scan.lastAttributeNameCharQuoted = true;
    }
}

void XmlReader::TakeSpace(XmlElement& out, Scan& scan, int c)
{
    switch (scan.mode) {
    case Mode::Text:
    case Mode::EndName:
        if (!out.name.empty())
            scan.pendingSpace = true;
        break;
    case Mode::TagName:
        if (!out.name.empty())
            scan.mode = Mode::AttributeGap;
        break;
    case Mode::InstructionName:
        scan.mode = Mode::InstructionText;
        out.instruction.push_back(static_cast<char>(c));
        break;
    case Mode::InstructionText: out.instruction.push_back(static_cast<char>(c)); break;
    case Mode::AttributeName: scan.mode = Mode::AttributeAfterName; break;
    case Mode::AttributeValue: scan.mode = Mode::AttributeGap; break;
    default: break;
    }
}

std::optional<bool> XmlReader::TakeOpeningBracket(XmlElement& out, Scan& scan, int c)
{
    if (scan.mode == Mode::Outside) {
        scan.mode = Mode::TagName;
        out.type = XmlElement::StartTag;
        return std::nullopt;
    }
    if (scan.mode == Mode::Text) {
        // The text ends here; the '<' starts the next element.
        pushBack_.push_back(c);
        out.name = DecodeEntities(out.name);
        return true;
    }
    return Fail("Unexpected '<'");
}

bool XmlReader::TakeClosingBracket(XmlElement& out, Scan& scan)
{
    switch (scan.mode) {
    case Mode::TagName:
    case Mode::AttributeGap:
    case Mode::AttributeName:
    case Mode::AttributeAfterName:
    case Mode::AttributeBeforeValue:
    case Mode::AttributeValue: return FinishStartTag(out, scan);
    case Mode::EndName: return FinishEndTag(out);
    case Mode::InstructionName:
    case Mode::InstructionText: return FinishInstruction(out, scan);
    default: return Fail("Unexpected '>'");
    }
}

void XmlReader::TakeMarkupChar(XmlElement& out, Scan& scan, int c)
{
    if (scan.mode == Mode::TagName && out.name.empty()) {
        if (c == '/') {
            scan.mode = Mode::EndName;
            out.type = XmlElement::EndTag;
            return;
        }
        if (c == '?') {
            scan.mode = Mode::InstructionName;
            out.type = XmlElement::Instruction;
            return;
        }
    }
    if (c == '=' && (scan.mode == Mode::AttributeName || scan.mode == Mode::AttributeAfterName)) {
        scan.pendingHasEquals = true;
        scan.mode = Mode::AttributeBeforeValue;
        return;
    }
    StoreChar(out, scan, c, false);
}
