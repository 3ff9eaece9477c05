// Feeds arbitrary bytes to the resource description reader: every call must
// end in items or in a recorded error, never in a crash or a read outside the
// text, and the open-element path must stay consistent with what was read.
#include "framework/resources/XmlReader.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string text(reinterpret_cast<const char*>(data), size);
    for (int comments = 0; comments < 2; ++comments) {
        XmlReader reader;
        reader.SetShowComments(comments != 0);
        reader.OpenText(text, "fuzz.xml");
        XmlElement e;
        size_t items = 0;
        int depth = 0;
        while (reader.NextElement(e)) {
            // Every item consumes at least one character, except the end tag
            // of a self-closing element, which follows its start tag.
            if (++items > 2 * size + 1)
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
        (void)XmlReader::DecodeEntities(text);
    }
    return 0;
}
