// Feeds arbitrary bytes to the resource description reader, alone and under
// the resource manager's group reader: every call must end in items or in a
// recorded error, never in a crash or a read outside the text, and the open
// element path must stay consistent with what was read.
#include "framework/resources/ResourceManager.h"
#include "framework/resources/XmlReader.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

namespace {

void ReadItems(const std::string& text, bool comments)
{
    XmlReader reader;
    reader.SetShowComments(comments);
    reader.OpenText(text, "fuzz.xml");
    XmlElement e;
    size_t items = 0;
    int depth = 0;
    while (reader.NextElement(e)) {
        // Every item takes at least one character, except the end tag of a
        // self-closing element, which follows its start tag.
        if (++items > 2 * text.size() + 1)
            std::abort();
        if (e.type == XmlElement::StartTag)
            ++depth;
        else if (e.type == XmlElement::EndTag)
            --depth;
        if (depth < 0 || (e.type == XmlElement::Comment && !comments))
            std::abort();
    }
    if (reader.HasFailed() && reader.GetErrorText().empty())
        std::abort();
    if (reader.GetLineNumber() < 1)
        std::abort();
}

// The text read as the inside of a group, records kept by a manager without
// an application (nothing is loaded).
void ReadAsGroup(const std::string& text)
{
    XmlReader reader;
    reader.OpenText(text, "fuzz.xml");
    Zolt::ResourceManager manager(nullptr);
    manager.SetAllowRedefinition(text.size() % 2 == 0);
    manager.SetXmlReader(&reader);
    manager.BeginGroup("G");
    size_t groups = 0;
    while (!manager.HasFailed() && manager.ReadGroupElement())
        if (++groups > text.size() + 1)
            std::abort();
    if (manager.LastErrorMessage().empty())
        std::abort();
    manager.SetXmlReader(nullptr);
    manager.ReleaseGroup("G");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string text(reinterpret_cast<const char*>(data), size);
    ReadItems(text, false);
    ReadItems(text, true);
    ReadAsGroup(text);
    (void)XmlReader::DecodeEntities(text);
    return 0;
}
