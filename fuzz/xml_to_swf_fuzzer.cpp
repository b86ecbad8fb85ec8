// Compiles arbitrary text as a document of the XML dialect. Whatever compiles must make a
// movie that converts back to XML; that XML, being the dialect as this program prints it,
// must compile, and after one more round the text must not change any more. (One round may
// still normalise: a script read without its End gains one when compiled again.) A caller that
// lets the text go once read gets the same movie or failure.
#include "swfxml/convert.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>

namespace {

[[noreturn]] void fail(const char* what, const std::string& detail) {
    std::fprintf(stderr, "xml_to_swf_fuzzer: %s: %s\n", what, detail.c_str());
    std::fflush(stderr);
    __builtin_trap();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    libswf::SwfBuffer first;
    bool compiled = false;
    std::string failure;
    {
        swfxml::SwfXmlReader reader;
        compiled = swfxml::convertXmlToSwfBytes(reader, text, first, false);
        failure = reader.failure.describe();
    }
    // A copy spoilt once let go, as vorn-convert frees the text: nothing may read it after
    // that, and the movie or the failure, with its place, stays the same.
    std::string copy(text);
    libswf::SwfBuffer fromCopy;
    {
        swfxml::SwfXmlReader reader;
        reader.releaseInput = [&copy] { std::fill(copy.begin(), copy.end(), '<'); };
        if (swfxml::convertXmlToSwfBytes(reader, copy, fromCopy, false) != compiled)
            fail("letting the text go changes whether it compiles", failure);
        if (!compiled && reader.failure.describe() != failure)
            fail("letting the text go changes the failure",
                 failure + " / " + reader.failure.describe());
        if (compiled && !std::equal(first.span().begin(), first.span().end(),
                                    fromCopy.span().begin(), fromCopy.span().end()))
            fail("letting the text go changes the movie", failure);
    }
    if (!compiled)
        return 0; // a clean refusal
    // Raw bytes given in Unknown elements may not read as the tag their code names; such a
    // movie is refused cleanly, as any damaged movie is.
    std::string printed;
    {
        swfxml::SwfXmlWriter writer;
        if (!swfxml::convertSwfBytesToXml(writer, first.span(), printed))
            return 0;
    }
    libswf::SwfBuffer second;
    {
        swfxml::SwfXmlReader reader;
        if (!swfxml::convertXmlToSwfBytes(reader, printed, second, false))
            fail("the printed document does not compile", reader.failure.describe());
    }
    std::string again;
    {
        swfxml::SwfXmlWriter writer;
        if (!swfxml::convertSwfBytesToXml(writer, second.span(), again))
            fail("the movie compiled from the printed document does not read",
                 writer.failure.describe());
    }
    if (again == printed)
        return 0;
    libswf::SwfBuffer third;
    {
        swfxml::SwfXmlReader reader;
        if (!swfxml::convertXmlToSwfBytes(reader, again, third, false))
            fail("the reprinted document does not compile", reader.failure.describe());
    }
    std::string last;
    {
        swfxml::SwfXmlWriter writer;
        if (!swfxml::convertSwfBytesToXml(writer, third.span(), last))
            fail("the movie compiled from the reprinted document does not read",
                 writer.failure.describe());
    }
    if (last != again)
        fail("the document keeps changing from round to round", last);
    return 0;
}
