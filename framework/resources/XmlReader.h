// A small pull reader for the XML-like resource descriptions: each call of
// NextElement hands out the next item of the file (a start tag with its
// attributes, an end tag, a run of text, a processing instruction or a
// comment). It keeps the path of the open elements, checks that every end
// tag closes the element opened last, and stops at the first syntax error,
// which it keeps with the line it was found on. Elements nested more than
// 256 deep, or whose path grows past 4096 bytes, are an error too.
//
// The text is read as 8-bit characters of the system code page; a NUL byte
// and control characters outside quotes are refused as illegal.
//
// Thread: one reader belongs to the thread that reads with it; no locks.
#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

// One item read by XmlReader::NextElement.
struct XmlElement {
    enum Type : int32_t { None = 0, StartTag = 1, EndTag = 2, Text = 3, Instruction = 4, Comment = 5 };

    int32_t type = None;
    // The open elements, joined by "/", when the item was read.
    std::string section;
    // The tag name, or the text of a text item.
    std::string name;
    // What follows a processing instruction's name, or a comment's text.
    std::string instruction;
    std::map<std::string, std::string> attributes;
    // Attribute names in the order read (a stray "/" is not listed).
    std::vector<std::string> attributeOrder;

    void Reset(const std::string& sectionPath);
};

class XmlReader {
public:
    XmlReader() = default;
    ~XmlReader();
    XmlReader(const XmlReader&) = delete;
    XmlReader& operator=(const XmlReader&) = delete;

    // Reads the file through the archive layer; false (with an error text)
    // when it cannot be opened.
    bool OpenFile(const std::string& fileName);
    // Reads text held in memory; name stands for the file in messages.
    void OpenText(const std::string& text, const std::string& name);
    void Close();
    bool IsOpen() const { return open_; }

    // True with one item in out; false at the end of the file (no error) or
    // after an error (HasFailed, GetErrorText).
    bool NextElement(XmlElement& out);

    // Stores the value under the name, replacing an earlier value; true when
    // the name was new. New names other than "/" join the attribute order.
    static bool AddAttribute(XmlElement& element, const std::string& name, const std::string& value);
    // The value under the name; a missing name is added with an empty value.
    static std::string& GetAttribute(std::map<std::string, std::string>& attributes, const std::string& name);
    // Replaces the named entities lt, gt, amp, quot, apos, nbsp (a space) and
    // cr (a newline); an unknown name becomes a single "&"; a "&" that does
    // not start an entity stays as it stands.
    static std::string DecodeEntities(const std::string& text);
    static std::wstring DecodeEntities(const std::wstring& text);

    // The line being read, from 1; 0 when nothing is open.
    int32_t GetLineNumber() const { return line_; }
    std::string GetFileName() const { return fileName_; }
    bool HasFailed() const { return failed_; }
    const std::string& GetErrorText() const { return errorText_; }
    const std::string& GetSection() const { return section_; }
    // Comments are skipped unless this is set.
    void SetShowComments(bool show) { showComments_ = show; }

private:
    // Far beyond any description: open elements, and bytes of their path.
    static constexpr size_t kMaxDepth = 256;
    static constexpr size_t kMaxSectionBytes = 4096;
    static constexpr int kEnd = -1;
    static constexpr int kIllegal = -2;

    // Where a character read outside quotes goes.
    enum class Mode {
        Outside,
        Text,
        TagName,
        EndName,
        InstructionName,
        InstructionText,
        CommentText,
        AttributeGap,       // after an attribute (or the tag name) and white space
        AttributeName,
        AttributeAfterName, // white space after a name, "=" may still follow
        AttributeBeforeValue,
        AttributeValue,
    };

    // The state of the item being read.
    struct Scan {
        Mode mode = Mode::Outside;
        bool quoted = false;
        bool pendingSpace = false;
        bool lastNameCharQuoted = false;
        bool havePending = false; // an attribute not stored yet
        bool pendingHasEquals = false;
        bool lastValueCharQuoted = false;
        bool lastAttributeNameCharQuoted = false;
        bool dropCommentSpace = false;
        std::string attributeName;
        std::string attributeValue;
    };

    // Records the first error and ends reading; always false.
    bool Fail(const std::string& text);
    int ReadChar();
    void ResetForOpen(const std::string& name);

    // One character of the element being read: a result once the element
    // is complete (true) or reading stopped (false), none to read on.
    std::optional<bool> TakeChar(XmlElement& out, Scan& scan, int c);
    std::optional<bool> TakeCommentChar(XmlElement& out, Scan& scan, int c);
    void TakeQuote(XmlElement& out, Scan& scan, int c);
    void TakeSpace(XmlElement& out, Scan& scan, int c);
    std::optional<bool> TakeOpeningBracket(XmlElement& out, Scan& scan, int c);
    bool TakeClosingBracket(XmlElement& out, Scan& scan);
    void TakeMarkupChar(XmlElement& out, Scan& scan, int c);
    void StoreChar(XmlElement& out, Scan& scan, int c, bool quotedChar);
    void StorePendingAttribute(XmlElement& out, Scan& scan);
    void BeginAttribute(XmlElement& out, Scan& scan, int c, bool quotedChar);
    bool FinishStartTag(XmlElement& out, Scan& scan);
    bool FinishEndTag(XmlElement& out);
    bool FinishInstruction(XmlElement& out, Scan& scan);
    bool ReturnPendingEnd(XmlElement& out);

    bool open_ = false;
    std::string fileName_;
    std::string text_;
    size_t position_ = 0;
    std::vector<int> pushBack_;
    int32_t line_ = 0;
    std::string section_;
    std::vector<std::string> openNames_;
    // A self-closing tag was returned: its end tag comes next.
    bool pendingEnd_ = false;
    bool showComments_ = false;
    bool failed_ = false;
    std::string errorText_;
};
