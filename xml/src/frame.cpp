// The document around the tags: the two conversions, the root element, tag dispatch by the
// registry tables, the "Unknown" form of raw tags, and the frame's own tags (ShowFrame, End,
// DefineSprite).
#include "family.h"

#include "libswf/exception.h"
#include "libswf/utils.h"

#include <algorithm>
#include <chrono>
#include <cstring>
#include <stdexcept>
#include <typeinfo>

namespace swfxml {

using namespace libswf;

namespace {

// A reader's complaint about the document (not about values, which libswf reports).
class XmlReadError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Adds the time of its scope to a slot of a benchmark's times; does nothing without a slot.
class TimedScope {
public:
    explicit TimedScope(double* slot) : m_slot(slot) {
        if (m_slot)
            m_start = std::chrono::steady_clock::now();
    }
    ~TimedScope() {
        if (m_slot)
            *m_slot +=
                std::chrono::duration<double>(std::chrono::steady_clock::now() - m_start).count();
    }
    TimedScope(const TimedScope&) = delete;
    TimedScope& operator=(const TimedScope&) = delete;

private:
    double* m_slot;
    std::chrono::steady_clock::time_point m_start;
};

double* tagSlot(SwfXmlTimes* times, std::uint16_t code) {
    return times && code < 1024 ? &times->byTag[code] : nullptr;
}

constexpr unsigned kMaxNesting = 32;
thread_local unsigned t_nesting = 0;

// Parse flags: keep attribute values and character data exactly as written, so that
// strings of any byte survive (no whitespace folding, no line-end conversion).
constexpr unsigned kParseFlags =
    pugi::parse_default & ~pugi::parse_wconv_attribute & ~pugi::parse_eol;

struct StringWriter : pugi::xml_writer {
    std::string* out;
    void write(const void* data, std::size_t size) override {
        out->append(static_cast<const char*>(data), size);
    }
};

struct CountingWriter : pugi::xml_writer {
    std::size_t total = 0;
    void write(const void*, std::size_t size) override { total += size; }
};

constexpr unsigned kPrintFlags = pugi::format_indent;

void printInto(const pugi::xml_node& node, std::string& out) {
    // Sizing first keeps a large document from being copied while the string grows.
    CountingWriter counter;
    node.print(counter, "    ", kPrintFlags, pugi::encoding_utf8);
    out.reserve(out.size() + counter.total);
    StringWriter writer;
    writer.out = &out;
    node.print(writer, "    ", kPrintFlags, pugi::encoding_utf8);
}

std::array<bool, 1024> keepRawTable() {
    std::array<bool, 1024> keep;
    keep.fill(true);
    for (const SwfTagInfo& info : swfTagTable())
        if (info.create && findXmlCodec(info.code))
            keep[info.code] = false;
    return keep;
}

// ---- the stage --------------------------------------------------------------------------

// Width and Height give the stage in whole pixels from the origin. A movie whose stage rectangle
// says more (a corner away from the origin, twips beyond whole pixels, or fields wider than
// needed) shows the rectangle itself in twips as well, so that its header comes back unchanged.
void appendExactFrame(pugi::xml_node& root, const SwfRect& frame) {
    const std::int64_t width = static_cast<std::int64_t>(frame.xmax) - frame.xmin;
    const std::int64_t height = static_cast<std::int64_t>(frame.ymax) - frame.ymin;
    if (frame.xmin == 0 && frame.ymin == 0 && width % 20 == 0 && height % 20 == 0 &&
        frame.givenBits == NotGivenBits)
        return;
    setNumber(root, "FrameMinX", frame.xmin);
    setNumber(root, "FrameMinY", frame.ymin);
    setNumber(root, "FrameMaxX", frame.xmax);
    setNumber(root, "FrameMaxY", frame.ymax);
    setGivenBits(root, "FrameBits", frame.givenBits);
}

// Each of the four found replaces its side of the rectangle Width and Height gave.
void readExactFrame(const pugi::xml_node& root, SwfRect& frame) {
    readNumber(root, "FrameMinX", frame.xmin);
    readNumber(root, "FrameMinY", frame.ymin);
    readNumber(root, "FrameMaxX", frame.xmax);
    readNumber(root, "FrameMaxY", frame.ymax);
    readGivenBits(root, "FrameBits", 31, frame.givenBits);
}

// ---- Unknown ----------------------------------------------------------------------------

void writeUnknown(SwfXmlWriter&, const SwfTag& tag, pugi::xml_node& parent) {
    pugi::xml_node element = parent.append_child("Unknown");
    setNumber(element, "TagType", tag.code());
    if (const auto* raw = dynamic_cast<const SwfTagUnknown*>(&tag)) {
        if (raw->hasId)
            setNumber(element, "CharacterId", raw->id);
        if (!raw->body.empty())
            appendBase64(element, "Data", raw->body, 2);
    }
}

std::unique_ptr<SwfTag> readUnknown(const pugi::xml_node& element, SwfXmlReader&) {
    std::uint16_t code = 0;
    readNumber(element, "TagType", code);
    // The id is split off only when the element gives one, as the writer does; a raw tag
    // whose body is only its id is written with the id and without Data.
    std::uint16_t id = 0;
    const bool givesId = readNumber(element, "CharacterId", id);
    const pugi::xml_node data = findChild(element, "Data");
    if (!data && !givesId)
        return std::make_unique<SwfTag>(code);
    const SwfTagInfo* info = findSwfTag(code);
    auto tag = std::make_unique<SwfTagUnknown>(code, givesId && info && info->startsWithId, id);
    if (data)
        tag->body = base64DecodeElement(data);
    return tag;
}

// ---- frame tags -------------------------------------------------------------------------

void writeNothing(SwfXmlWriter&, const SwfTag&, pugi::xml_node&) {}

std::unique_ptr<SwfTag> readShowFrame(const pugi::xml_node&, SwfXmlReader&) {
    return std::make_unique<SwfTagShowFrame>();
}

std::unique_ptr<SwfTag> readEnd(const pugi::xml_node&, SwfXmlReader&) {
    return std::make_unique<SwfTagEnd>();
}

void writeSprite(SwfXmlWriter& ctx, const SwfTag& tag, pugi::xml_node& element) {
    const auto& sprite = static_cast<const SwfTagDefineSprite&>(tag);
    setNumber(element, "Id", sprite.id);
    setNumber(element, "FrameCount", static_cast<std::int64_t>(sprite.tags.countFrames()));
    for (const auto& nested : sprite.tags)
        writeTag(ctx, *nested, element);
}

std::unique_ptr<SwfTag> readSprite(const pugi::xml_node& element, SwfXmlReader& ctx) {
    auto sprite = std::make_unique<SwfTagDefineSprite>();
    readNumber(element, "Id", sprite->id);
    readNumber(element, "FrameCount", sprite->frameCount);
    readTags(ctx, element, sprite->tags, true);
    return sprite;
}

constexpr SwfXmlTagCodec kFrameCodecs[] = {
    {0, &writeNothing, &readEnd},
    {1, &writeNothing, &readShowFrame},
    {39, &writeSprite, &readSprite},
};

} // namespace

std::span<const SwfXmlTagCodec> frameCodecs() {
    return kFrameCodecs;
}

void failRead(const std::string& reason) {
    throw XmlReadError(reason);
}

void SwfXmlFailure::locate(std::string_view text, std::ptrdiff_t offset) {
    if (offset < 0)
        return;
    const std::size_t end = std::min(static_cast<std::size_t>(offset), text.size());
    line = 1;
    std::size_t lineStart = 0;
    for (std::size_t i = 0; i < end; ++i)
        if (text[i] == '\n') {
            ++line;
            lineStart = i + 1;
        }
    column = end - lineStart + 1;
}

std::string SwfXmlFailure::describe() const {
    if (line == 0)
        return reason;
    return "line " + std::to_string(line) + ", column " + std::to_string(column) + ": " + reason;
}

bool SwfNameLess::operator()(std::string_view a, std::string_view b) const {
    const std::size_t n = std::min(a.size(), b.size());
    for (std::size_t i = 0; i < n; ++i) {
        const unsigned char x =
            static_cast<unsigned char>(a[i] >= 'A' && a[i] <= 'Z' ? a[i] + 32 : a[i]);
        const unsigned char y =
            static_cast<unsigned char>(b[i] >= 'A' && b[i] <= 'Z' ? b[i] + 32 : b[i]);
        if (x != y)
            return x < y;
    }
    return a.size() < b.size();
}

// ---- writing ----------------------------------------------------------------------------

SwfXmlWriter::SwfXmlWriter(bool declared) : declared(declared) {
    if (declared)
        root = document.append_child("Movie");
}

void writeTag(SwfXmlWriter& ctx, const SwfTag& tag, pugi::xml_node parent) {
    if (!parent)
        parent = ctx.root;
    const std::uint16_t code = tag.code();
    const SwfXmlTagCodec* codec = findXmlCodec(code);
    // Raw tags, codes kept raw, and bare tags of any code take the Unknown form, so that
    // nothing read from a movie is ever left out of the document.
    const bool raw = tag.isUnknown() || !codec || (code < 1024 && ctx.keepRaw[code]) ||
                     typeid(tag) == typeid(SwfTag);
    pugi::xml_node element;
    if (raw) {
        writeUnknown(ctx, tag, parent);
        element = parent.last_child();
    } else {
        element = parent.append_child(swfTagName(code));
        codec->write(ctx, tag, element);
    }
    // Some tools write the 6-byte header for short bodies; saying so keeps the movie's bytes.
    // The lossless bitmaps and stream blocks are compiled with it anyway.
    const bool alwaysLong = code == 19 || code == 20 || code == 36;
    if (tag.longHeader() && tag.length() < 63 && !alwaysLong)
        element.append_attribute("LongHeader").set_value("true");
}

std::string printNode(const pugi::xml_node& node) {
    std::string out;
    printInto(node, out);
    return out;
}

namespace {

// The root's start tag as the printer writes it: printed while the root is still empty, so
// that the printer, not this code, escapes the values, and then opened.
std::string rootStartTag(const pugi::xml_node& root) {
    std::string tag = printNode(root);
    constexpr std::string_view empty = " />\n";
    if (!std::string_view(tag).ends_with(empty))
        throw std::logic_error("the root was printed in an unexpected form");
    tag.resize(tag.size() - empty.size());
    tag += ">\n";
    return tag;
}

// Appends printed text to a string. Growing by copying holds the old and the new copy of
// the text at once, as much memory again as the text itself; so the string is grown early
// to the size it is expected to reach (see printTags), and only by half again where that
// guess falls short.
class TextWriter : public pugi::xml_writer {
public:
    explicit TextWriter(std::string& out) : m_out(out) {}

    void write(const void* data, std::size_t size) override {
        if (m_out.size() + size > m_out.capacity())
            m_out.reserve(std::max(m_out.size() + size, m_out.size() / 2 * 3));
        m_out.append(static_cast<const char*>(data), size);
    }
    void write(std::string_view text) { write(text.data(), text.size()); }

    // Makes room for the expected size now, while the text is still short to copy. Room that
    // is never written costs address space only; a guess too large to allocate is dropped.
    void expect(std::size_t size) {
        if (size <= m_out.capacity())
            return;
        try {
            m_out.reserve(size);
        } catch (const std::bad_alloc&) {
        }
    }

private:
    std::string& m_out;
};

// Builds the element of each tag (and the closing End) under the root, releases the tag,
// prints the element at the depth of the root's children and removes it again, so that
// the document never holds more than one tag. Until a sixteenth of the movie is printed,
// the text is expected to take twice the movie's bytes, which payloads in base64 need;
// from then on, what was printed for the part done, by its share of the movie's bytes,
// foretells the size of the whole, and a quarter more than that is expected.
void printTags(SwfXmlWriter& ctx, TextWriter& writer, const std::string& text) {
    // The tags are freed one by one, so the dictionary would name freed tags; and however
    // printing ends, the movie is left without tags rather than with empty places.
    struct Release {
        SwfTags& tags;
        ~Release() { tags.clear(); }
    } release{ctx.movie.tags};
    ctx.movie.tags.dictionary.clear();
    const auto printLast = [&] {
        const pugi::xml_node element = ctx.root.last_child();
        element.print(writer, "    ", kPrintFlags, pugi::encoding_utf8, 1);
        ctx.root.remove_child(element);
    };
    const auto bytesOf = [](const SwfTag& tag) {
        return static_cast<double>(tag.length()) + tag.headerSize();
    };
    double total = 0;
    for (const auto& tag : ctx.movie.tags.list)
        total += bytesOf(*tag);
    double done = 0;
    const std::size_t start = text.size();
    writer.expect(start + static_cast<std::size_t>(total * 2) + 4096);
    for (auto& tag : ctx.movie.tags.list) {
        done += bytesOf(*tag);
        {
            const TimedScope timed(tagSlot(ctx.times, tag->code()));
            writeTag(ctx, *tag);
            tag.reset();
            printLast();
        }
        if (done * 16 >= total) {
            const double whole = static_cast<double>(text.size() - start) * total / done;
            writer.expect(start + static_cast<std::size_t>(whole * 1.25) + 4096);
        }
    }
    ctx.root.append_child("End");
    printLast();
}

} // namespace

bool convertSwfBytesToXml(SwfXmlWriter& ctx, std::span<const std::uint8_t> swf, std::string& text) {
    ctx.failure = {};
    // A context may convert again, after a success or a failure: its root starts empty.
    if (ctx.root) {
        ctx.root.remove_attributes();
        ctx.root.remove_children();
    }
    try {
        ctx.keepRaw = keepRawTable();
        ctx.movie.keepRaw = ctx.keepRaw;
        {
            const TimedScope timed(ctx.times ? &ctx.times->readMovie : nullptr);
            ctx.movie.read(swf);
        }
        SwfMovie& movie = ctx.movie;
        if (!ctx.root)
            ctx.root = ctx.document.append_child("Movie");
        pugi::xml_node& root = ctx.root;
        setNumber(root, "SwfVersion", movie.version);
        setNumber(root, "Width",
                  (static_cast<std::int64_t>(movie.frameSize.xmax) - movie.frameSize.xmin) / 20);
        setNumber(root, "Height",
                  (static_cast<std::int64_t>(movie.frameSize.ymax) - movie.frameSize.ymin) / 20);
        setFloat(root, "FrameRate", movie.frameRate);
        setBool(root, "IsCompressed", movie.compressed);
        appendExactFrame(root, movie.frameSize);

        const std::string_view declaration = movie.version >= 6
                                                 ? "<?xml version=\"1.0\" encoding=\"UTF-8\" ?>\n"
                                                 : "<?xml version=\"1.0\" ?>\n";
        const std::string start = rootStartTag(root);
        constexpr std::string_view end = "</Movie>\n";
        text.clear();
        TextWriter writer(text);
        writer.write(declaration);
        writer.write(start);
        printTags(ctx, writer, text);
        movie.tags.clear();
        writer.write(end);
        return true;
    } catch (const std::bad_alloc&) {
        ctx.failure = {"not enough memory", 0, 0};
    } catch (const std::exception& e) {
        ctx.failure = {e.what(), 0, 0};
    }
    return false;
}

bool convertSwfToXml(SwfXmlWriter& ctx, const std::string& path, std::string& text) {
    SwfBuffer file;
    try {
        file = SwfUtils::ReadFileToBuffer(path);
    } catch (const std::exception& e) {
        ctx.failure = {e.what(), 0, 0};
        return false;
    }
    const SwfBuffer owned = std::move(file);
    return convertSwfBytesToXml(ctx, owned.span(), text);
}

// ---- reading ----------------------------------------------------------------------------

SwfXmlReader::SwfXmlReader() {
    for (const SwfTagInfo& info : swfTagTable())
        tagNames.emplace(info.name, info.code);
    tagNames.emplace("Unknown", kUnknownElementCode);
}

void readTags(SwfXmlReader& ctx, const pugi::xml_node& parent, SwfTags& target, bool nested) {
    if (t_nesting >= kMaxNesting)
        failRead("sprites are nested more than " + std::to_string(kMaxNesting) + " levels deep");
    ++t_nesting;
    struct Leave {
        ~Leave() { --t_nesting; }
    } leave;
    for (pugi::xml_node child = parent.first_child(); child; child = child.next_sibling()) {
        if (child.type() != pugi::node_element)
            continue;
        ctx.current = child;
        const auto found = ctx.tagNames.find(child.name());
        const TimedScope timed(
            nested || found == ctx.tagNames.end() ? nullptr : tagSlot(ctx.times, found->second));
        std::unique_ptr<SwfTag> tag;
        if (found == ctx.tagNames.end()) {
            if (!nested)
                continue; // not a tag: ignored at the top level
            tag = readUnknown(child, ctx);
        } else if (found->second == kUnknownElementCode) {
            tag = readUnknown(child, ctx);
        } else if (const SwfXmlTagCodec* codec = findXmlCodec(found->second)) {
            tag = codec->read(child, ctx);
        } else {
            failRead(std::string(child.name()) +
                     " elements cannot be compiled yet; keep such tags in the Unknown form");
        }
        bool longHeader = false;
        if (readBool(child, "LongHeader", longHeader) && longHeader)
            tag->setLongHeader(true);
        ctx.current = child;
        ctx.tagOffsets.emplace_back(tag.get(), child.offset_debug());
        target.append(std::move(tag));
    }
}

namespace {

// Checks the root's attributes and makes the empty movie they describe.
void startMovie(SwfXmlReader& ctx) {
    if (!ctx.root.first_attribute())
        failRead("the root element has no attributes");
    int version = 0;
    readNumber(ctx.root, "SwfVersion", version);
    if (version < 0 || version > 255)
        failRead("SwfVersion " + std::to_string(version) + " does not fit in a byte");
    std::int32_t width = 0, height = 0;
    readNumber(ctx.root, "Width", width);
    readNumber(ctx.root, "Height", height);
    if (std::abs(static_cast<std::int64_t>(width)) * 20 > INT32_MAX ||
        std::abs(static_cast<std::int64_t>(height)) * 20 > INT32_MAX)
        failRead("Width or Height is too large for a frame size in twips");
    float rate = 0;
    readNumber(ctx.root, "FrameRate", rate);
    bool compressed = false;
    readBool(ctx.root, "IsCompressed", compressed);
    ctx.movie = std::make_unique<SwfMovie>(compressed, static_cast<std::uint8_t>(version),
                                           width * 20, height * 20, rate);
    readExactFrame(ctx.root, ctx.movie->frameSize);
}

// ---- reading in pieces ------------------------------------------------------------------
//
// A whole document of small tags costs about twice its text in nodes, on top of the text
// itself, so the text is read a piece at a time instead: the root's start tag on its own,
// then runs of whole tag elements of a quarter of a megabyte or so, each parsed, turned into
// tags and dropped. Pieces are cut before a line that starts an element at the first level,
// "\n    <Name", which is where the printer puts them. A cut anywhere else (inside a CDATA
// section, a comment, a value or a deeper element) leaves the piece unbalanced, so that its
// parse fails, and the piece is then taken longer. Whatever the pieces might read otherwise
// than the whole document (other encodings, a document type, anything around the root, any
// failure at all) sends the conversion back to the whole document, which also gives every
// error its usual reason and place.

constexpr std::size_t kPieceBytes = std::size_t{1} << 18;

bool isBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

std::size_t skipBlanks(std::string_view text, std::size_t at) {
    while (at < text.size() && isBlank(text[at]))
        ++at;
    return at;
}

// Just past the start tag that begins at `at`, or npos. Values in quotes may hold ">".
std::size_t startTagEnd(std::string_view text, std::size_t at, bool& empty) {
    for (std::size_t i = at + 1; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '"' || c == '\'') {
            i = text.find(c, i + 1);
            if (i == std::string_view::npos)
                break;
        } else if (c == '>') {
            empty = text[i - 1] == '/';
            return i + 1;
        } else if (c == '<') {
            break;
        }
    }
    return std::string_view::npos;
}

// The start of the piece after the one that starts at `from`: the first cut at least
// `length` bytes on, or the end.
std::size_t nextCut(std::string_view text, std::size_t from, std::size_t length, std::size_t end) {
    constexpr std::string_view line = "\n    <";
    for (std::size_t at = from + length; at < end; ++at) {
        at = text.find(line, at);
        if (at == std::string_view::npos || at + line.size() >= end)
            break;
        const char next = text[at + line.size()];
        if (next != '/' && next != '!' && next != '?')
            return at + 1;
    }
    return end;
}

// Reads the document a piece at a time and writes the movie. False (or an exception) where
// the whole document has to be read instead.
bool readInPieces(SwfXmlReader& ctx, std::string_view text, SwfBuffer& swf, bool parseAsUtf8) {
    const SwfDefinitionNumbering numbering;
    const auto npos = std::string_view::npos;
    // Before the root only the declaration, other instructions, comments and blanks.
    std::size_t at = skipBlanks(text, 0);
    for (;;) {
        if (text.substr(at, 4) == "<!--")
            at = text.find("-->", at + 4);
        else if (text.substr(at, 2) == "<?")
            at = text.find("?>", at + 2);
        else
            break;
        if (at == npos)
            return false;
        at = skipBlanks(text, at + (text[at] == '-' ? 3 : 2));
    }
    if (at + 1 >= text.size() || text[at] != '<' || text[at + 1] == '!' || text[at + 1] == '/')
        return false;
    const std::size_t rootStart = at;
    std::size_t nameEnd = rootStart + 1;
    while (nameEnd < text.size() && !isBlank(text[nameEnd]) && text[nameEnd] != '>' &&
           text[nameEnd] != '/')
        ++nameEnd;
    const std::string_view name = text.substr(rootStart + 1, nameEnd - rootStart - 1);
    bool empty = false;
    const std::size_t bodyStart = startTagEnd(text, rootStart, empty);
    if (bodyStart == npos || empty)
        return false;
    // After the body only the root's end tag and blanks.
    std::size_t tail = text.size();
    while (tail > bodyStart && isBlank(text[tail - 1]))
        --tail;
    if (tail == bodyStart || text[tail - 1] != '>')
        return false;
    const std::size_t bodyEnd = text.rfind("</", tail);
    if (bodyEnd == npos || bodyEnd < bodyStart || text.substr(bodyEnd + 2, name.size()) != name ||
        skipBlanks(text, bodyEnd + 2 + name.size()) != tail - 1)
        return false;
    // A byte order mark would be dropped at the start of a piece but is text in the root.
    if (text.substr(bodyStart, 3) == "\xEF\xBB\xBF")
        return false;

    // The prologue and the root's start tag, closed, decide the encoding and the root.
    std::string head(text.substr(0, bodyStart));
    if (head.find('\0') != std::string::npos)
        return false;
    head.append("</").append(name).append(">");
    const pugi::xml_parse_result parsed =
        ctx.document.load_buffer(head.data(), head.size(), kParseFlags,
                                 parseAsUtf8 ? pugi::encoding_utf8 : pugi::encoding_auto);
    if (!parsed || parsed.encoding != pugi::encoding_utf8)
        return false;
    ctx.root = firstElement(ctx.document);
    if (!ctx.root || ctx.root.name() != name)
        return false;
    startMovie(ctx);
    ctx.root = {};
    ctx.document.reset();

    // A document type is refused inside the root but allowed at the top of a piece, so
    // the pieces keep it as a node to notice it.
    constexpr unsigned kPieceFlags = kParseFlags | pugi::parse_fragment | pugi::parse_doctype;
    pugi::xml_document piece;
    bool anyChild = false;
    for (std::size_t first = bodyStart; first < bodyEnd;) {
        std::size_t cut = first;
        for (std::size_t length = kPieceBytes;; length *= 2) {
            cut = nextCut(text, first, length, bodyEnd);
            const std::string_view part = text.substr(first, cut - first);
            // The parser takes a zero byte for the end of its text: in the whole document
            // that ends the root early, in a piece it would go unnoticed.
            if (part.find('\0') != std::string_view::npos)
                return false;
            // The parser's copy of each piece is freed with it, so that the memory goes on
            // to the tags of the next pieces.
            const TimedScope timed(ctx.times ? &ctx.times->parse : nullptr);
            if (piece.load_buffer(part.data(), part.size(), kPieceFlags, pugi::encoding_utf8))
                break;
            if (cut == bodyEnd)
                return false;
        }
        for (pugi::xml_node c = piece.first_child(); c; c = c.next_sibling())
            if (c.type() == pugi::node_doctype)
                return false;
        anyChild = anyChild || piece.first_child();
        ++ctx.pieces;
        readTags(ctx, piece, ctx.movie->tags, false);
        // Offsets into a piece cannot locate anything; a failure is located by reading
        // the whole document again.
        ctx.tagOffsets.clear();
        ctx.current = {};
        first = cut;
    }
    if (!anyChild)
        return false;
    piece.reset();
    const TimedScope timed(ctx.times ? &ctx.times->writeMovie : nullptr);
    swf = ctx.movie->write();
    ctx.movie.reset();
    return true;
}

// Reads in pieces where it can, leaving the context clean for the whole document otherwise.
bool convertInPieces(SwfXmlReader& ctx, std::string_view text, SwfBuffer& swf, bool parseAsUtf8) {
    try {
        if (readInPieces(ctx, text, swf, parseAsUtf8))
            return true;
    } catch (const std::exception&) {
        // Read again as a whole, for the reason and the place.
    }
    ctx.root = {};
    ctx.current = {};
    ctx.document.reset();
    ctx.tagOffsets.clear();
    ctx.movie.reset();
    ctx.pieces = 0;
    return false;
}

} // namespace

bool convertXmlToSwfBytes(SwfXmlReader& ctx, std::string_view text, SwfBuffer& swf,
                          bool parseAsUtf8) {
    ctx.failure = {};
    ctx.current = {};
    ctx.tagOffsets.clear();
    ctx.pieces = 0;
    if (convertInPieces(ctx, text, swf, parseAsUtf8))
        return true;
    const pugi::xml_parse_result parsed =
        ctx.document.load_buffer(text.data(), text.size(), kParseFlags,
                                 parseAsUtf8 ? pugi::encoding_utf8 : pugi::encoding_auto);
    if (!parsed) {
        ctx.failure.reason = parsed.description();
        ctx.failure.locate(text, parsed.offset);
        return false;
    }
    try {
        // Counted afresh: the pieces may have taken some numbers before they gave up.
        const SwfDefinitionNumbering numbering;
        ctx.root = firstElement(ctx.document);
        if (!ctx.root)
            failRead("the document has no root element");
        ctx.current = ctx.root;
        if (!ctx.root.first_child())
            failRead("the root element has no tags");
        startMovie(ctx);
        readTags(ctx, ctx.root, ctx.movie->tags, false);
        ctx.current = {};
        // The model holds everything now; the document's memory is better spent on output.
        ctx.root = {};
        ctx.document.reset();
        swf = ctx.movie->write();
        ctx.movie.reset();
        return true;
    } catch (const std::bad_alloc&) {
        ctx.failure.reason = "not enough memory";
    } catch (const SwfException& e) {
        ctx.failure.reason = e.what();
        if (!ctx.current && e.tagObject()) {
            for (const auto& [tag, offset] : ctx.tagOffsets)
                if (tag == e.tagObject())
                    ctx.failure.locate(text, offset);
        }
    } catch (const std::exception& e) {
        ctx.failure.reason = e.what();
    }
    ctx.tagOffsets.clear();
    if (ctx.current) {
        ctx.failure.reason = std::string(ctx.current.name()) + ": " + ctx.failure.reason;
        ctx.failure.locate(text, ctx.current.offset_debug());
    }
    ctx.movie.reset();
    return false;
}

bool convertXmlToSwf(SwfXmlReader& ctx, std::string_view text, const std::string& outputPath,
                     bool parseAsUtf8) {
    SwfBuffer swf;
    if (!convertXmlToSwfBytes(ctx, text, swf, parseAsUtf8))
        return false;
    try {
        SwfUtils::WriteWholeFile(outputPath, swf.size(), swf.data());
        return true;
    } catch (const std::exception& e) {
        ctx.failure = {e.what(), 0, 0};
    }
    return false;
}

} // namespace swfxml
