// Compiles arbitrary text as a document of the XML dialect. Whatever compiles must make a
// movie that converts back to XML; that XML, being the dialect as this program prints it,
// must compile, and after one more round the text must not change any more. (One round may
// still normalise: a script read without its End gains one when compiled again.) A caller that
// lets the text go once read, or gives it back while it is read, gets the same movie or failure.
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
    // Given back while it is read, in the smallest steps, and spoilt at once: the same again,
    // the text being put back for a failure to say what and where.
    copy = text;
    {
        swfxml::SwfXmlReader reader;
        reader.releaseInputStep = 1;
        reader.releaseInputRange = [&copy](std::size_t begin, std::size_t end) {
            if (begin >= end || end > copy.size())
                fail("a stretch given back is empty or past the end", std::to_string(end));
            std::fill(copy.begin() + static_cast<std::ptrdiff_t>(begin),
                      copy.begin() + static_cast<std::ptrdiff_t>(end), '<');
        };
        reader.restoreInput = [&copy, text] { copy = text; };
        libswf::SwfBuffer given;
        if (swfxml::convertXmlToSwfBytes(reader, copy, given, false) != compiled)
            fail("giving the text back changes whether it compiles", failure);
        if (!compiled && reader.failure.describe() != failure)
            fail("giving the text back changes the failure",
                 failure + " / " + reader.failure.describe());
        if (compiled && !std::equal(first.span().begin(), first.span().end(), given.span().begin(),
                                    given.span().end()))
            fail("giving the text back changes the movie", failure);
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
