// Converts arbitrary bytes as a movie to the dialect, tag by tag into a sink as vorn-convert
// does. Whatever converts must print the same text to a sink as to a string, the movie letting
// its tags go as it prints them, and the text must compile or be refused cleanly (a movie
// may hold values that cannot be written back).
#include "swfxml/convert.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <span>
#include <string>
#include <vector>

namespace {

[[noreturn]] void fail(const char* what, const std::string& detail) {
    std::fprintf(stderr, "swf_to_xml_fuzzer: %s: %s\n", what, detail.c_str());
    std::fflush(stderr);
    __builtin_trap();
}

struct Collect : libswf::SwfOutputSink {
    std::string text;
    void write(const std::uint8_t* data, std::size_t size) override {
        text.append(reinterpret_cast<const char*>(data), size);
    }
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::span<const std::uint8_t> swf(data, size);
    std::string text;
    swfxml::SwfXmlWriter toString;
    const bool converted = swfxml::convertSwfBytesToXml(toString, swf, text);
    Collect sink;
    swfxml::SwfXmlWriter toSink;
    int released = 0;
    // A copy spoilt once let go, as vorn-convert frees it: nothing may read it after that.
    std::vector<std::uint8_t> copy(data, data + size);
    toSink.releaseInput = [&released, &copy] {
        ++released;
        std::fill(copy.begin(), copy.end(), 0xff);
    };
    // An uncompressed movie's bytes are given back as its tags are read: spoilt too.
    std::size_t passed = 0;
    toSink.releaseInputBefore = [&passed, &copy](std::size_t offset) {
        if (offset < passed || offset > copy.size())
            fail("the bytes read so far went back or past the end", std::to_string(offset));
        std::fill(copy.begin() + static_cast<std::ptrdiff_t>(passed),
                  copy.begin() + static_cast<std::ptrdiff_t>(offset), 0xff);
        passed = offset;
    };
    if (swfxml::convertSwfBytesToXml(toSink, copy, sink) != converted)
        fail("a sink and a string disagree on whether the movie converts",
             toString.failure.describe() + " / " + toSink.failure.describe());
    if (!converted) {
        if (toSink.failure.describe() != toString.failure.describe())
            fail("a sink and a string fail differently",
                 toString.failure.describe() + " / " + toSink.failure.describe());
        return 0;
    }
    if (sink.text != text)
        fail("a sink receives other text than a string", text);
    if (released != 1)
        fail("the movie's bytes were let go other than once", std::to_string(released));
    swfxml::SwfXmlReader reader;
    libswf::SwfBuffer compiled;
    swfxml::convertXmlToSwfBytes(reader, text, compiled, false);
    return 0;
}
