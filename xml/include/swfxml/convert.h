// The two conversions of the XML dialect and their contexts.
#pragma once

#include "libswf/movie.h"
#include "swfxml/parser.h"
#include "swfxml/printer.h"

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <pugixml.hpp>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace libswf {
class SwfFileInMemory;
}

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
    // Seconds per top-level tag code, a sprite with its tags: SWF to XML reads the tag and
    // prints its element, XML to SWF builds the tag from its element.
    std::array<double, 1024> byTag{};
    double readMovie = 0;  // SWF to XML: reading and printing the movie, tags included
    double parse = 0;      // XML to SWF: reading the text into the model, tags included
    double writeMovie = 0; // XML to SWF: the model written as a movie (compressing included)
};

// The family module a tag code's element belongs to ("shapes", "actions", ...), or "raw" for
// codes without one.
const char* swfXmlFamilyName(std::uint16_t code);

// The SWF to XML context. Built with declared true, the document receives the root at once,
// for callers that add tags to a document tree one at a time (writeTag on a pugixml node);
// the conversions print without any tree.
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
    // Called once the movie's bytes are no longer needed (inflated, or read into the model),
    // so that a caller can free them before the text is printed.
    std::function<void()> releaseInput;
    // Told, as an uncompressed movie is read, the offset below which its bytes are no longer
    // read, so that a caller can give them back as the text is printed.
    std::function<void(std::size_t)> releaseInputBefore;
};

// Case-insensitive ordering for tables of names.
struct SwfNameLess {
    bool operator()(std::string_view a, std::string_view b) const;
};

// The XML to SWF context.
class SwfXmlReader {
public:
    std::unique_ptr<libswf::SwfMovie> movie;
    SwfXmlFailure failure;
    // The quarter-megabyte stretches the last conversion read the text in, straight through
    // without a document tree; 0 when pugixml's reader of whole documents read it (a form
    // only that reader takes, or a failure, located there).
    std::size_t pieces = 0;
    SwfXmlTimes* times = nullptr;

    // The tag element being read, so that a failure can say where: its name and offset.
    std::string_view currentName;
    std::size_t currentOffset = 0;
    bool reading = false;
    // Where each tag came from in the text, so that a failure found while the movie is
    // written, after the text is read, can still name the element's line.
    std::vector<std::pair<const libswf::SwfTag*, std::size_t>> tagOffsets;
    // The line and column of each of tagOffsets, found before the text is let go.
    std::vector<std::pair<std::size_t, std::size_t>> tagPlaces;
    // Called once the text is read into the model and before the movie is written, so that a
    // caller can free the text while the movie is written; the text is not read after it. A
    // failure found while writing still names its element's line and column.
    std::function<void()> releaseInput;
    // Set both, and the text is given back while it is read as well: releaseInputRange is
    // told the stretches [begin, end) of the text that are read no more, and restoreInput,
    // called when a failure needs the whole text again to say what and where, puts the same
    // text back in the same place (or throws, saying why it cannot). The messages and places
    // of failures are the same either way.
    std::function<void(std::size_t, std::size_t)> releaseInputRange;
    std::function<void()> restoreInput;
    // How far the reading moves on between two calls of releaseInputRange: one madvise call
    // per quarter megabyte costs nothing against reading it.
    std::size_t releaseInputStep = std::size_t{1} << 18;
};

inline constexpr std::uint16_t kUnknownElementCode = 300;

// Reads the SWF file and prints the whole document into text; after a failure text is empty.
bool convertSwfToXml(SwfXmlWriter& ctx, const std::string& path, std::string& text);
// The same from the bytes of a movie already in memory.
bool convertSwfBytesToXml(SwfXmlWriter& ctx, std::span<const std::uint8_t> swf, std::string& text);
// The same into a sink, a block at a time, so that the text is never held whole; after a
// failure the sink has received part of a document.
bool convertSwfBytesToXml(SwfXmlWriter& ctx, std::span<const std::uint8_t> swf,
                          libswf::SwfOutputSink& out);

// Reads the text and writes the SWF file (replacing it only when complete). With parseAsUtf8
// false the encoding follows the declaration.
bool convertXmlToSwf(SwfXmlReader& ctx, std::string_view text, const std::string& outputPath,
                     bool parseAsUtf8);
// The same into memory.
bool convertXmlToSwfBytes(SwfXmlReader& ctx, std::string_view text, libswf::SwfBuffer& swf,
                          bool parseAsUtf8);

// Sets the context converting the file's bytes to give their memory back as they are read
// and once read. A reader's text is read again from the file should a failure need it.
void givesBackAsRead(SwfXmlWriter& ctx, libswf::SwfFileInMemory& file);
void givesBackAsRead(SwfXmlReader& ctx, libswf::SwfFileInMemory& file);

// Prints the tag's element as a child of the parent.
void writeTag(SwfXmlWriter& ctx, const libswf::SwfTag& tag, SwfXmlOut& parent);
// Appends the tag's element to the parent node, or to the root without a parent.
void writeTag(SwfXmlWriter& ctx, const libswf::SwfTag& tag, pugi::xml_node parent = {});

// Prints a document (or any node) in the dialect's layout: four spaces per level, "\n"
// line breaks, empty elements as <Name />; the declaration is printed by the caller.
std::string printNode(const pugi::xml_node& node);

} // namespace swfxml
