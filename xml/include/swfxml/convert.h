// The two conversions of the XML dialect and their contexts.
#pragma once

#include "libswf/movie.h"

#include <array>
#include <cstdint>
#include <map>
#include <memory>
#include <pugixml.hpp>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace swfxml {

// Why the last conversion failed: a reason and, for XML input, where.
struct SwfXmlFailure {
    std::string reason;
    std::size_t line = 0;   // 1-based; 0 when not known
    std::size_t column = 0; // 1-based; 0 when not known

    // "reason" or "line 12, column 5: reason".
    std::string describe() const;
    // Sets line and column from a byte offset into the text.
    void locate(std::string_view text, std::ptrdiff_t offset);
};

// Where a conversion's time went, for the benchmarks: a context that points at one adds to it.
struct SwfXmlTimes {
    // Seconds per top-level tag code, a sprite with its tags: SWF to XML prints the tag's
    // element, XML to SWF builds the tag from its element.
    std::array<double, 1024> byTag{};
    double readMovie = 0;  // SWF to XML: the movie read into the model (inflating included)
    double parse = 0;      // XML to SWF: parsing the text
    double writeMovie = 0; // XML to SWF: the model written as a movie (compressing included)
};

// The family module a tag code's element belongs to ("shapes", "actions", ...), or "raw" for
// codes without one.
const char* swfXmlFamilyName(std::uint16_t code);

// The SWF to XML context. Built with declared true, the document receives the declaration
// and the root at once (template snippets use that); the conversion builds it with false and
// links both once the SWF version is known.
class SwfXmlWriter {
public:
    explicit SwfXmlWriter(bool declared = false);

    std::array<bool, 1024> keepRaw{};
    libswf::SwfMovie movie;
    pugi::xml_document document;
    pugi::xml_node root;
    bool declared;
    SwfXmlFailure failure;
    SwfXmlTimes* times = nullptr;
};

// Case-insensitive ordering for the name tables.
struct SwfNameLess {
    bool operator()(std::string_view a, std::string_view b) const;
};

// The XML to SWF context.
class SwfXmlReader {
public:
    SwfXmlReader();

    // Element name -> tag code, from the registry's names plus "Unknown" (300).
    std::map<std::string, std::uint16_t, SwfNameLess> tagNames;
    pugi::xml_document document;
    pugi::xml_node root;
    std::unique_ptr<libswf::SwfMovie> movie;
    SwfXmlFailure failure;
    // The element being read, so that a failure can say where.
    pugi::xml_node current;
    // Where each tag came from in the text, so that a failure found while the movie is
    // written, after the document is gone, can still name the element's line.
    std::vector<std::pair<const libswf::SwfTag*, std::ptrdiff_t>> tagOffsets;
    // The pieces the last conversion read the document in; 0 when it read it whole.
    std::size_t pieces = 0;
    SwfXmlTimes* times = nullptr;
};

inline constexpr std::uint16_t kUnknownElementCode = 300;

// Reads the SWF file and prints the whole document into text.
bool convertSwfToXml(SwfXmlWriter& ctx, const std::string& path, std::string& text);
// The same from the bytes of a movie already in memory.
bool convertSwfBytesToXml(SwfXmlWriter& ctx, std::span<const std::uint8_t> swf, std::string& text);

// Parses the text, builds the movie and writes the SWF file (replacing it only when
// complete). With parseAsUtf8 false the parser decides from the declaration.
bool convertXmlToSwf(SwfXmlReader& ctx, std::string_view text, const std::string& outputPath,
                     bool parseAsUtf8);
// The same into memory.
bool convertXmlToSwfBytes(SwfXmlReader& ctx, std::string_view text, libswf::SwfBuffer& swf,
                          bool parseAsUtf8);

// Appends the tag's element to the parent, or to the root without a parent.
void writeTag(SwfXmlWriter& ctx, const libswf::SwfTag& tag, pugi::xml_node parent = {});

// Prints a document (or any node) in the dialect's layout: four spaces per level, "\n"
// line breaks, empty elements as <Name />; the declaration is printed by the caller.
std::string printNode(const pugi::xml_node& node);

} // namespace swfxml
