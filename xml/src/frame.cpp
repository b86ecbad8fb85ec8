// The document around the tags: the two conversions, the root element, tag dispatch by the
// registry tables, the "Unknown" form of raw tags, and the frame's own tags (ShowFrame, End,
// DefineSprite).
#include "family.h"

#include "libswf/exception.h"
#include "libswf/utils.h"

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
    if (!findChild(element, "Data"))
        return std::make_unique<SwfTag>(code);
    // The id is split off only when the element gives one, as the writer does.
    std::uint16_t id = 0;
    const bool givesId = readNumber(element, "CharacterId", id);
    const SwfTagInfo* info = findSwfTag(code);
    auto tag = std::make_unique<SwfTagUnknown>(code, givesId && info && info->startsWithId, id);
    tag->body = base64Decode(elementText(firstElement(element)));
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
    if (raw) {
        writeUnknown(ctx, tag, parent);
        return;
    }
    pugi::xml_node element = parent.append_child(swfTagName(code));
    codec->write(ctx, tag, element);
}

std::string printNode(const pugi::xml_node& node) {
    std::string out;
    printInto(node, out);
    return out;
}

bool convertSwfBytesToXml(SwfXmlWriter& ctx, std::span<const std::uint8_t> swf, std::string& text) {
    try {
        ctx.keepRaw = keepRawTable();
        ctx.movie.keepRaw = ctx.keepRaw;
        ctx.movie.read(swf);
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
        // Each tag is released once it is in the document: the document alone then holds
        // the movie, which keeps large conversions within twice their text.
        for (auto& tag : movie.tags.list) {
            writeTag(ctx, *tag);
            tag.reset();
        }
        movie.tags.clear();
        ctx.root.append_child("End");

        text.clear();
        text = movie.version >= 6 ? "<?xml version=\"1.0\" encoding=\"UTF-8\" ?>\n"
                                  : "<?xml version=\"1.0\" ?>\n";
        printInto(ctx.root, text);
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
        ctx.current = child;
        ctx.tagOffsets.emplace_back(tag.get(), child.offset_debug());
        target.append(std::move(tag));
    }
}

bool convertXmlToSwfBytes(SwfXmlReader& ctx, std::string_view text, SwfBuffer& swf,
                          bool parseAsUtf8) {
    ctx.failure = {};
    ctx.current = {};
    ctx.tagOffsets.clear();
    const pugi::xml_parse_result parsed =
        ctx.document.load_buffer(text.data(), text.size(), kParseFlags,
                                 parseAsUtf8 ? pugi::encoding_utf8 : pugi::encoding_auto);
    if (!parsed) {
        ctx.failure.reason = parsed.description();
        ctx.failure.locate(text, parsed.offset);
        return false;
    }
    try {
        ctx.root = firstElement(ctx.document);
        if (!ctx.root)
            failRead("the document has no root element");
        ctx.current = ctx.root;
        if (!ctx.root.first_child())
            failRead("the root element has no tags");
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
