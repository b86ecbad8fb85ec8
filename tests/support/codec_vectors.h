// Codec vectors: a tag family's tests as one table of (SWF version, object built in code,
// exact body bytes, exact XML element), each row checked in every direction through the real
// movie reader, the movie writer and both XML conversions. A family instantiates the table:
//
//     const CodecVector kRows[] = {{.name = "...", .version = 8, .make = build<T>(...), ...}};
//     class MyCodecs : public CodecVectorTest {};
//     TEST_P(MyCodecs, EveryDirection) { checkCodecVector(GetParam()); }
//     INSTANTIATE_TEST_SUITE_P(My, MyCodecs, testing::ValuesIn(kRows),
//                              codecVectorName<CodecVector>);
#pragma once

#include "libswf/exception.h"
#include "swf_bytes.h"
#include "swfxml/convert.h"

#include <functional>
#include <gtest/gtest.h>
#include <memory>
#include <optional>
#include <ostream>
#include <pugixml.hpp>
#include <string>
#include <typeinfo>

namespace vorn::test {

using TagFactory = std::function<std::unique_ptr<libswf::SwfTag>()>;

// A factory for a default-constructed T whose fields fill sets.
template <class T, class Fill>
TagFactory build(Fill fill) {
    return [fill]() -> std::unique_ptr<libswf::SwfTag> {
        auto tag = std::make_unique<T>();
        fill(*tag);
        return tag;
    };
}

struct CodecVector {
    const char* name; // the test's name: letters, digits and underscores
    std::uint8_t version;
    TagFactory make; // the object
    Bytes body;      // its exact body, which reading gives back as the same object
    std::string xml; // its exact element as printed
    // Other bytes that read as the same object (a body the writer normalises).
    std::optional<Bytes> readFrom = std::nullopt;
    // The body the element compiles to, when the XML form does not carry every field.
    std::optional<Bytes> fromXml = std::nullopt;
};

// An element that only the XML side produces: the tags it compiles to, or why it fails.
struct XmlInputVector {
    const char* name;
    std::uint8_t version;
    std::string xml;
    Bytes tags;               // whole tags with headers, without the closing End
    std::string failure = {}; // when given, the compile must fail with exactly this reason
};

inline void PrintTo(const CodecVector& v, std::ostream* os) {
    *os << v.name;
}
inline void PrintTo(const XmlInputVector& v, std::ostream* os) {
    *os << v.name;
}

template <class Vector>
std::string codecVectorName(const testing::TestParamInfo<Vector>& info) {
    return info.param.name;
}

using CodecVectorTest = testing::TestWithParam<CodecVector>;
using XmlInputVectorTest = testing::TestWithParam<XmlInputVector>;

// The printed element that the XML writer makes of the tag.
inline std::string xmlOf(const libswf::SwfTag& tag) {
    swfxml::SwfXmlWriter writer(true);
    swfxml::writeTag(writer, tag, writer.root);
    return swfxml::printNode(writer.root.first_child());
}

// The whole movie of these tags (End appended) as this program writes it.
inline Bytes movieOfTags(std::uint8_t version, const Bytes& tags) {
    return movie(version, 0, concat({tags, u16(0)}));
}

inline Bytes writeMovieWith(std::uint8_t version, std::unique_ptr<libswf::SwfTag> tag) {
    libswf::SwfMovie m(false, version, 11000, 8000, 12.0f);
    m.tags.append(std::move(tag));
    return toBytes(m.write());
}

// The reason reading the movie of this one tag fails with, or "" when it reads.
inline std::string tagReadFailure(std::uint8_t version, std::uint16_t code, const Bytes& body) {
    try {
        libswf::SwfMovie m;
        m.read(movieOfTags(version, tag(code, body)));
    } catch (const libswf::SwfException& e) {
        return e.what();
    }
    return "";
}

// The reason writing a movie of this one tag fails with, or "" when it is written.
inline std::string tagWriteFailure(std::uint8_t version, std::unique_ptr<libswf::SwfTag> tag) {
    try {
        writeMovieWith(version, std::move(tag));
    } catch (const libswf::SwfException& e) {
        return e.what();
    }
    return "";
}

// Compiles a document; fills swf, or failure with the reason.
inline bool compileXml(const std::string& text, Bytes& swf, std::string& failure) {
    swfxml::SwfXmlReader reader;
    libswf::SwfBuffer out;
    if (!swfxml::convertXmlToSwfBytes(reader, text, out, true)) {
        failure = reader.failure.describe();
        return false;
    }
    swf = toBytes(out);
    return true;
}

// The element inside a root that matches the header of movie().
inline std::string documentWith(std::uint8_t version, const std::string& element) {
    return "<Movie SwfVersion=\"" + std::to_string(version) +
           "\" Width=\"550\" Height=\"400\" FrameRate=\"12\" IsCompressed=\"false\">\n" + element +
           "</Movie>\n";
}

inline void checkCodecVector(const CodecVector& v) {
    const std::unique_ptr<libswf::SwfTag> made = v.make();
    const std::uint16_t code = made->code();
    const Bytes expected = movieOfTags(v.version, tag(code, v.body));
    const Bytes expectedFromXml = movieOfTags(v.version, tag(code, v.fromXml.value_or(v.body)));

    // object -> bytes, object -> XML
    EXPECT_EQ(toHex(writeMovieWith(v.version, v.make())), toHex(expected)) << "object -> bytes";
    EXPECT_EQ(xmlOf(*made), v.xml) << "object -> XML";

    // bytes -> object: the same class, the same XML, and written back as the body
    const Bytes input = movieOfTags(v.version, tag(code, v.readFrom.value_or(v.body)));
    libswf::SwfMovie read;
    read.read(input);
    ASSERT_EQ(read.tags.size(), 1u) << "bytes -> object";
    const libswf::SwfTag& decoded = read.tags[0];
    const libswf::SwfTag& built = *made;
    EXPECT_EQ(typeid(decoded), typeid(built)) << "bytes -> object gives another class";
    EXPECT_EQ(xmlOf(decoded), v.xml) << "bytes -> object -> XML";
    EXPECT_EQ(toHex(toBytes(read.write())), toHex(expected)) << "bytes -> object -> bytes";

    // XML -> object -> bytes
    Bytes compiled;
    std::string failure;
    ASSERT_TRUE(compileXml(documentWith(v.version, v.xml), compiled, failure)) << failure;
    EXPECT_EQ(toHex(compiled), toHex(expectedFromXml)) << "XML -> bytes";

    // The whole way through both conversions: decoded, not kept raw, and back to bytes.
    swfxml::SwfXmlWriter writer;
    std::string document;
    ASSERT_TRUE(swfxml::convertSwfBytesToXml(writer, input, document)) << writer.failure.describe();
    pugi::xml_document parsed;
    ASSERT_TRUE(parsed.load_string(document.c_str()));
    EXPECT_STREQ(parsed.document_element().first_child().name(), libswf::swfTagName(code));
    ASSERT_TRUE(compileXml(document, compiled, failure)) << failure;
    EXPECT_EQ(toHex(compiled), toHex(expectedFromXml)) << "bytes -> XML document -> bytes";
}

inline void checkXmlInputVector(const XmlInputVector& v) {
    Bytes compiled;
    std::string failure;
    const bool ok = compileXml(documentWith(v.version, v.xml), compiled, failure);
    if (!v.failure.empty()) {
        EXPECT_FALSE(ok);
        EXPECT_EQ(failure, v.failure);
        return;
    }
    ASSERT_TRUE(ok) << failure;
    EXPECT_EQ(toHex(compiled), toHex(movieOfTags(v.version, v.tags)));
}

} // namespace vorn::test
