// The document around the tags: the two conversions, the root element, tag dispatch by the
// registry tables, the "Unknown" form of raw tags, and the frame's own tags (ShowFrame, End,
// DefineSprite).
#include "actions_xml.h"
#include "family.h"
#include "tree.h"

#include "libswf/exception.h"
#include "libswf/utils.h"

#include <algorithm>
#include <chrono>
#include <cstring>
#include <stdexcept>
#include <tuple>
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

std::array<bool, 1024> keepRawTable() {
    std::array<bool, 1024> keep;
    keep.fill(true);
    for (const SwfTagInfo& info : swfTagTable())
        if (info.create && findXmlCodec(info.code))
            keep[info.code] = false;
    return keep;
}

// Element names to tag codes, from the registry's names plus "Unknown", in lower case and
// sorted, built on first use.
class TagNames {
public:
    TagNames() {
        for (const SwfTagInfo& info : swfTagTable())
            m_names.emplace_back(lower(info.name), info.code);
        m_names.emplace_back(lower("Unknown"), kUnknownElementCode);
        std::sort(m_names.begin(), m_names.end());
    }

    // The code of a name in any case, or null.
    const std::uint16_t* find(std::string_view name) const {
        char buffer[48];
        if (name.size() > sizeof buffer)
            return nullptr;
        for (std::size_t i = 0; i < name.size(); ++i)
            buffer[i] =
                name[i] >= 'A' && name[i] <= 'Z' ? static_cast<char>(name[i] + 32) : name[i];
        const std::string_view key(buffer, name.size());
        const auto found = std::lower_bound(m_names.begin(), m_names.end(), key,
                                            [](const std::pair<std::string, std::uint16_t>& entry,
                                               std::string_view k) { return entry.first < k; });
        return found != m_names.end() && found->first == key ? &found->second : nullptr;
    }

private:
    static std::string lower(std::string_view name) {
        std::string out(name);
        for (char& c : out)
            if (c >= 'A' && c <= 'Z')
                c = static_cast<char>(c + 32);
        return out;
    }

    std::vector<std::pair<std::string, std::uint16_t>> m_names;
};

const TagNames& tagNames() {
    static const TagNames names;
    return names;
}

// ---- the stage --------------------------------------------------------------------------

// Width and Height give the stage in whole pixels from the origin. A movie whose stage rectangle
// says more (a corner away from the origin, twips beyond whole pixels, or fields wider than
// needed) shows the rectangle itself in twips as well, so that its header comes back unchanged.
void appendExactFrame(SwfXmlOut& root, const SwfRect& frame) {
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
void readExactFrame(const SwfXmlIn& root, SwfRect& frame) {
    readNumber(root, "FrameMinX", frame.xmin);
    readNumber(root, "FrameMinY", frame.ymin);
    readNumber(root, "FrameMaxX", frame.xmax);
    readNumber(root, "FrameMaxY", frame.ymax);
    readGivenBits(root, "FrameBits", 31, frame.givenBits);
}

// ---- Unknown ----------------------------------------------------------------------------

void writeUnknown(SwfXmlWriter&, const SwfTag& tag, SwfXmlOut& element) {
    setNumber(element, "TagType", tag.code());
    if (const auto* raw = dynamic_cast<const SwfTagUnknown*>(&tag)) {
        if (raw->hasId)
            setNumber(element, "CharacterId", raw->id);
        if (!raw->body.empty())
            appendBase64(element, "Data", raw->body, 2);
    }
}

// The body is the first child named Data.
std::unique_ptr<SwfTag> readUnknown(const SwfXmlIn& element, SwfXmlReader&) {
    std::uint16_t code = 0;
    readNumber(element, "TagType", code);
    // The id is split off only when the element gives one, as the writer does; a raw tag
    // whose body is only its id is written with the id and without Data.
    std::uint16_t id = 0;
    const bool givesId = readNumber(element, "CharacterId", id);
    const SwfXmlIn data = findChild(element, "Data");
    if (!data && !givesId)
        return std::make_unique<SwfTag>(code);
    const SwfTagInfo* info = findSwfTag(code);
    auto tag = std::make_unique<SwfTagUnknown>(code, givesId && info && info->startsWithId, id);
    if (data)
        tag->body = base64DecodeElement(data);
    return tag;
}

// ---- frame tags -------------------------------------------------------------------------

void writeNothing(SwfXmlWriter&, const SwfTag&, SwfXmlOut&) {}

std::unique_ptr<SwfTag> readShowFrame(const SwfXmlIn&, SwfXmlReader&) {
    return std::make_unique<SwfTagShowFrame>();
}

std::unique_ptr<SwfTag> readEnd(const SwfXmlIn&, SwfXmlReader&) {
    return std::make_unique<SwfTagEnd>();
}

void writeSprite(SwfXmlWriter& ctx, const SwfTag& tag, SwfXmlOut& element) {
    const auto& sprite = static_cast<const SwfTagDefineSprite&>(tag);
    setNumber(element, "Id", sprite.id);
    setNumber(element, "FrameCount", static_cast<std::int64_t>(sprite.tags.countFrames()));
    for (const auto& nested : sprite.tags)
        writeTag(ctx, *nested, element);
}

std::unique_ptr<SwfTag> readSprite(const SwfXmlIn& element, SwfXmlReader& ctx) {
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

namespace {

// Raw tags, codes kept raw, and bare tags of any code take the Unknown form, so that
// nothing read from a movie is ever left out of the document.
bool takesUnknownForm(const SwfXmlWriter& ctx, const SwfTag& tag, const SwfXmlTagCodec* codec) {
    const std::uint16_t code = tag.code();
    return tag.isUnknown() || !codec || (code < 1024 && ctx.keepRaw[code]) ||
           typeid(tag) == typeid(SwfTag);
}

const char* elementName(const SwfXmlWriter& ctx, const SwfTag& tag) {
    return takesUnknownForm(ctx, tag, findXmlCodec(tag.code())) ? "Unknown"
                                                                : swfTagName(tag.code());
}

// Fills the tag's element, opened under elementName.
void writeTagElement(SwfXmlWriter& ctx, const SwfTag& tag, SwfXmlOut& element) {
    const std::uint16_t code = tag.code();
    const SwfXmlTagCodec* codec = findXmlCodec(code);
    // Some tools write the 6-byte header for short bodies; saying so keeps the movie's bytes.
    // The lossless bitmaps and stream blocks are compiled with it anyway.
    const bool alwaysLong = code == 19 || code == 20 || code == 36;
    if (tag.longHeader() && tag.length() < 63 && !alwaysLong)
        element.lastAttribute("LongHeader", "true");
    if (takesUnknownForm(ctx, tag, codec))
        writeUnknown(ctx, tag, element);
    else
        codec->write(ctx, tag, element);
}

} // namespace

void writeTag(SwfXmlWriter& ctx, const SwfTag& tag, SwfXmlOut& parent) {
    SwfXmlOut element = parent.child(elementName(ctx, tag));
    writeTagElement(ctx, tag, element);
}

void writeTag(SwfXmlWriter& ctx, const SwfTag& tag, pugi::xml_node parent) {
    if (!parent)
        parent = ctx.root;
    appendPrinted(parent, [&](SwfXmlOut& holder) { writeTag(ctx, tag, holder); });
}

std::string printNode(const pugi::xml_node& node) {
    struct StringWriter : pugi::xml_writer {
        std::string text;
        void write(const void* data, std::size_t size) override {
            text.append(static_cast<const char*>(data), size);
        }
    } writer;
    node.print(writer, "    ", pugi::format_indent, pugi::encoding_utf8);
    return std::move(writer.text);
}

namespace {

// Prints the movie's document: the root with the header's values, every tag (each released
// once printed, so that the model shrinks as the text grows) and the closing End.
void printMovie(SwfXmlWriter& ctx, std::span<const std::uint8_t> swf, SwfXmlPrinter& printer) {
    ctx.keepRaw = keepRawTable();
    ctx.movie.keepRaw = ctx.keepRaw;
    SwfMovie& movie = ctx.movie;
    SwfXmlOut root;
    const auto printRoot = [&] {
        printer.raw(movie.version >= 6 ? "<?xml version=\"1.0\" encoding=\"UTF-8\" ?>\n"
                                       : "<?xml version=\"1.0\" ?>\n");
        root = printer.open("Movie");
        setNumber(root, "SwfVersion", movie.version);
        setNumber(root, "Width",
                  (static_cast<std::int64_t>(movie.frameSize.xmax) - movie.frameSize.xmin) / 20);
        setNumber(root, "Height",
                  (static_cast<std::int64_t>(movie.frameSize.ymax) - movie.frameSize.ymin) / 20);
        setFloat(root, "FrameRate", movie.frameRate);
        setBool(root, "IsCompressed", movie.compressed);
        appendExactFrame(root, movie.frameSize);
    };

    // A text held whole grows by copying, which holds the old and the new copy at once: so
    // it is grown early to the size it is expected to reach. Until a sixteenth of the movie
    // is printed, that is twice the movie's bytes, which payloads in base64 need; from then
    // on, what was printed for the part done, by its share of the movie's bytes, foretells
    // the size of the whole, and a quarter more than that is expected.
    double total = 0;
    // The length field, taken now: a compressed movie's bytes are let go once inflated, before
    // its first tag is printed.
    const std::uint32_t declared =
        swf.size() >= 8 ? static_cast<std::uint32_t>(swf[4] | swf[5] << 8 | swf[6] << 16) |
                              static_cast<std::uint32_t>(swf[7]) << 24
                        : 0;
    const std::size_t fileSize = swf.size();
    double done = 0;
    std::uint64_t start = 0;
    using Clock = std::chrono::steady_clock;
    Clock::time_point decoded = ctx.times ? Clock::now() : Clock::time_point{};

    const auto beginTags = [&] {
        if (root)
            return;
        printRoot();
        // The movie's bytes: a compressed movie's inflated body has the length its header
        // declares (the reader has checked it), another's is the file.
        total = static_cast<double>(movie.compressed ? declared : fileSize);
        start = printer.printed();
        printer.expect(start + static_cast<std::size_t>(total * 2) + 4096);
    };

    // The actions of a top-level script are printed as they are read, so that a large script
    // is never held whole: its element is opened at its first action, as writeTag opens it,
    // and the tag, whose list stays empty, is not printed again.
    const SwfTag* script = nullptr;
    SwfXmlOut scriptElement, scriptList;
    SwfMovieReading reading;
    reading.scriptActions = [&](const SwfTag& tag, std::unique_ptr<SwfAction> action) {
        if (&tag != script) {
            beginTags();
            scriptElement = root.child(elementName(ctx, tag));
            writeTagElement(ctx, tag, scriptElement);
            scriptList = scriptElement.child("Actions");
            script = &tag;
        }
        writeAction(scriptList, *action, 2);
    };

    // Each tag is printed as soon as it is read and then let go, so that the model never
    // holds more than the tag being printed (and the fonts later tags read).
    const auto printTag = [&](const SwfTag& tag) {
        beginTags();
        // The time since the last tag was printed went to reading this one.
        if (double* slot = tagSlot(ctx.times, tag.code()))
            *slot += std::chrono::duration<double>(Clock::now() - decoded).count();
        if (&tag == script) {
            script = nullptr; // printed as it was read
        } else {
            const TimedScope timed(tagSlot(ctx.times, tag.code()));
            writeTag(ctx, tag, root);
        }
        if (ctx.times)
            decoded = Clock::now();
        done += static_cast<double>(tag.length()) + tag.headerSize();
        if (done * 16 >= total && total > 0) {
            const double whole = static_cast<double>(printer.printed() - start) * total / done;
            printer.expect(start + static_cast<std::size_t>(whole * 1.25) + 4096);
        }
        return true;
    };
    {
        const TimedScope timed(ctx.times ? &ctx.times->readMovie : nullptr);
        // A compressed movie's bytes are let go once inflated; inflating is not a tag's time.
        reading.releaseFile = [&] {
            if (ctx.times)
                decoded = Clock::now();
            if (ctx.releaseInput)
                ctx.releaseInput();
        };
        reading.visit = printTag;
        reading.passed = ctx.releaseInputBefore;
        movie.read(swf, reading);
    }
    // Another movie's bytes are let go once read.
    if (ctx.releaseInput && !movie.compressed)
        ctx.releaseInput();
    if (!root)
        printRoot();
    root.child("End");
    printer.finish();
}

// Runs a SWF-to-XML conversion; the movie is emptied whatever happens.
template <class Output>
bool convertToXml(SwfXmlWriter& ctx, std::span<const std::uint8_t> swf, Output& out) {
    ctx.failure = {};
    bool ok = false;
    try {
        SwfXmlPrinter printer(out);
        printMovie(ctx, swf, printer);
        ok = true;
    } catch (const std::bad_alloc&) {
        ctx.failure = {"not enough memory", 0, 0};
    } catch (const std::exception& e) {
        ctx.failure = {e.what(), 0, 0};
    }
    ctx.movie.tags.clear();
    return ok;
}

} // namespace

bool convertSwfBytesToXml(SwfXmlWriter& ctx, std::span<const std::uint8_t> swf, std::string& text) {
    text.clear();
    if (convertToXml(ctx, swf, text))
        return true;
    // Tags are printed as they are read, so a movie that fails part of the way has printed
    // part of its document, which is no use to anyone.
    text.clear();
    text.shrink_to_fit();
    return false;
}

bool convertSwfBytesToXml(SwfXmlWriter& ctx, std::span<const std::uint8_t> swf,
                          SwfOutputSink& out) {
    return convertToXml(ctx, swf, out);
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

void readTags(SwfXmlReader& ctx, const SwfXmlIn& parent, SwfTags& target, bool nested) {
    if (t_nesting >= kMaxNesting)
        failRead("sprites are nested more than " + std::to_string(kMaxNesting) + " levels deep");
    ++t_nesting;
    struct Leave {
        ~Leave() { --t_nesting; }
    } leave;
    const TagNames& names = tagNames();
    for (SwfXmlIn child = parent.nextChild(); child; child = parent.nextChild()) {
        ctx.currentName = child.name();
        ctx.currentOffset = child.offset();
        ctx.reading = true;
        const std::uint16_t* code = names.find(child.name());
        const TimedScope timed(nested || !code ? nullptr : tagSlot(ctx.times, *code));
        std::unique_ptr<SwfTag> tag;
        if (!code) {
            if (!nested)
                continue; // not a tag: ignored at the top level
            tag = readUnknown(child, ctx);
        } else if (*code == kUnknownElementCode) {
            tag = readUnknown(child, ctx);
        } else if (const SwfXmlTagCodec* codec = findXmlCodec(*code)) {
            tag = codec->read(child, ctx);
        } else {
            failRead(std::string(child.name()) +
                     " elements cannot be compiled yet; keep such tags in the Unknown form");
        }
        bool longHeader = false;
        if (readBool(child, "LongHeader", longHeader) && longHeader)
            tag->setLongHeader(true);
        ctx.currentName = child.name();
        ctx.currentOffset = child.offset();
        ctx.tagOffsets.emplace_back(tag.get(), child.offset());
        target.append(std::move(tag));
    }
}

namespace {

// Checks the root's attributes and makes the empty movie they describe.
void startMovie(SwfXmlReader& ctx, const SwfXmlIn& root) {
    if (!root.firstAttribute())
        failRead("the root element has no attributes");
    int version = 0;
    readNumber(root, "SwfVersion", version);
    if (version < 0 || version > 255)
        failRead("SwfVersion " + std::to_string(version) + " does not fit in a byte");
    std::int32_t width = 0, height = 0;
    readNumber(root, "Width", width);
    readNumber(root, "Height", height);
    if (std::abs(static_cast<std::int64_t>(width)) * 20 > INT32_MAX ||
        std::abs(static_cast<std::int64_t>(height)) * 20 > INT32_MAX)
        failRead("Width or Height is too large for a frame size in twips");
    float rate = 0;
    readNumber(root, "FrameRate", rate);
    bool compressed = false;
    readBool(root, "IsCompressed", compressed);
    ctx.movie = std::make_unique<SwfMovie>(compressed, static_cast<std::uint8_t>(version),
                                           width * 20, height * 20, rate);
    readExactFrame(root, ctx.movie->frameSize);
}

// ---- reading the text -------------------------------------------------------------------
//
// The text is read straight through, element after element, each tag built as its element
// ends; no document is built. Whatever this reading cannot take as the whole-document reader
// of pugixml would (another encoding, a document type, anything around the root, character
// references this reader leaves alone, or any markup in error) sends the conversion to that
// reader, which also gives a malformed document its usual reason and place. A document it
// accepts is then printed back in a plain form, which is read as above.

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

// Where the parts of a document lie: the root's start tag, its content and its name.
struct Layout {
    std::size_t rootStart = 0;
    std::size_t bodyStart = 0;
    std::size_t bodyEnd = 0;
    std::string_view name;
};

// Finds the root, with only the declaration, other instructions, comments and blanks before
// it and only its end tag and blanks after it; false for any other document.
bool findLayout(std::string_view text, Layout& layout) {
    const auto npos = std::string_view::npos;
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
    layout.rootStart = at;
    std::size_t nameEnd = at + 1;
    while (nameEnd < text.size() && !isBlank(text[nameEnd]) && text[nameEnd] != '>' &&
           text[nameEnd] != '/')
        ++nameEnd;
    layout.name = text.substr(at + 1, nameEnd - at - 1);
    bool empty = false;
    layout.bodyStart = startTagEnd(text, at, empty);
    if (layout.bodyStart == npos || empty)
        return false;
    std::size_t tail = text.size();
    while (tail > layout.bodyStart && isBlank(text[tail - 1]))
        --tail;
    if (tail == layout.bodyStart || text[tail - 1] != '>')
        return false;
    layout.bodyEnd = text.rfind("</", tail);
    return layout.bodyEnd != npos && layout.bodyEnd >= layout.bodyStart &&
           text.substr(layout.bodyEnd + 2, layout.name.size()) == layout.name &&
           skipBlanks(text, layout.bodyEnd + 2 + layout.name.size()) == tail - 1;
}

// Whether the root holds anything at all: an element, a CDATA section or text other than
// blanks, past comments and instructions.
bool bodyHasContent(std::string_view text, const Layout& layout) {
    std::size_t at = layout.bodyStart;
    for (;;) {
        at = skipBlanks(text, at);
        if (at >= layout.bodyEnd)
            return false;
        const std::string_view rest = text.substr(at, layout.bodyEnd - at);
        std::size_t end = std::string_view::npos;
        if (rest.starts_with("<!--"))
            end = rest.find("-->", 4);
        else if (rest.starts_with("<?"))
            end = rest.find("?>", 2);
        else
            return true;
        if (end == std::string_view::npos)
            return true; // malformed: the parser will say so
        at += end + (rest[1] == '!' ? 3 : 2);
    }
}

// The stretches SwfXmlReader::pieces counts the text in.
constexpr std::size_t kStretch = std::size_t{1} << 18;

// Reads the document into ctx.movie. False where only the whole-document reader can read it;
// throws for any failure, SwfXmlSyntaxError for text this reader does not take.
bool readDocument(SwfXmlReader& ctx, std::string_view text, bool parseAsUtf8, bool givingBack) {
    // Counted afresh for each reading: a reading that gave up may have taken some numbers.
    const SwfDefinitionNumbering numbering;
    Layout layout;
    if (!findLayout(text, layout))
        return false;
    // The prologue and the root's start tag, closed, decide the encoding; the whole-document
    // reader checks the prologue as it always does.
    std::string head(text.substr(0, layout.bodyStart));
    if (head.find('\0') != std::string::npos)
        return false;
    head.append("</").append(layout.name).append(">");
    pugi::xml_document document;
    const pugi::xml_parse_result parsed =
        document.load_buffer(head.data(), head.size(), kParseFlags,
                             parseAsUtf8 ? pugi::encoding_utf8 : pugi::encoding_auto);
    if (!parsed || parsed.encoding != pugi::encoding_utf8)
        return false;
    document.reset();

    SwfXmlParser rootTag(text, layout.rootStart, layout.bodyStart);
    const SwfXmlIn root = rootTag.root().nextChild();
    if (!root || root.name() != layout.name)
        return false;
    ctx.currentName = root.name();
    ctx.currentOffset = root.offset();
    ctx.reading = true;
    if (!bodyHasContent(text, layout))
        failRead("the root element has no tags");
    startMovie(ctx, root);
    SwfXmlParser body(text, layout.bodyStart, layout.bodyEnd, layout.name);
    if (givingBack)
        body.givesBack(&ctx.releaseInputRange, ctx.releaseInputStep);
    ctx.pieces = (layout.bodyEnd - layout.bodyStart) / kStretch + 1;
    readTags(ctx, body.root(), ctx.movie->tags, false);
    ctx.reading = false;
    return true;
}

// Prints a document tree in a plain form that readDocument takes, noting for each element
// where its name lies in the new text and where it lay in the document's.
std::string plainText(const pugi::xml_node& root,
                      std::vector<std::pair<std::size_t, std::size_t>>& places) {
    std::string out;
    const auto escaped = [&out](const char* value, bool attribute) {
        for (const char* p = value; *p; ++p) {
            if (*p == '&')
                out += "&amp;";
            else if (*p == '<')
                out += "&lt;";
            else if (*p == '"' && attribute)
                out += "&quot;";
            else
                out += *p;
        }
    };
    // The tree may nest deeper than the stack allows recursion: it is walked with a list of
    // the open elements.
    std::vector<pugi::xml_node> open;
    pugi::xml_node node = root;
    for (;;) {
        if (node.type() == pugi::node_element) {
            out += '<';
            places.emplace_back(out.size(), static_cast<std::size_t>(node.offset_debug()));
            out += node.name();
            for (pugi::xml_attribute a = node.first_attribute(); a; a = a.next_attribute()) {
                out.append(" ").append(a.name()).append("=\"");
                escaped(a.value(), true);
                out += '"';
            }
            if (node.first_child()) {
                out += '>';
                open.push_back(node);
                node = node.first_child();
                continue;
            }
            // The root keeps its end tag, which the reading looks for.
            if (node == root)
                out.append("></").append(node.name()).append(">");
            else
                out += "/>";
        } else if (node.type() == pugi::node_pcdata) {
            escaped(node.value(), false);
        } else if (node.type() == pugi::node_cdata) {
            out.append("<![CDATA[").append(node.value()).append("]]>");
        }
        while (node != root && !node.next_sibling()) {
            node = open.back();
            open.pop_back();
            out.append("</").append(node.name()).append(">");
        }
        if (node == root)
            return out;
        node = node.next_sibling();
    }
}

// What the reading of a document failed with, kept until the text is known to be well formed.
struct Failure {
    bool any = false;
    std::string reason;
    const void* tag = nullptr; // the tag a movie writer's error names
};

template <class F>
Failure caught(F&& f) {
    try {
        f();
    } catch (const std::bad_alloc&) {
        return {true, "not enough memory", nullptr};
    } catch (const SwfException& e) {
        return {true, e.what(), e.tagObject()};
    } catch (const std::exception& e) {
        return {true, e.what(), nullptr};
    }
    return {};
}

// Turns a failure into the conversion's reason and place, the element's name first when one
// was being read. `place` maps an offset of the text read to one of the document.
template <class Place>
void describeFailure(SwfXmlReader& ctx, std::string_view document, const Failure& failure,
                     Place&& place) {
    ctx.failure.reason = failure.reason;
    if (!ctx.reading && failure.tag) {
        for (const auto& [tag, offset] : ctx.tagOffsets)
            if (tag == failure.tag)
                ctx.failure.locate(document, static_cast<std::ptrdiff_t>(place(offset)));
    }
    if (ctx.reading) {
        ctx.failure.reason = std::string(ctx.currentName) + ": " + ctx.failure.reason;
        ctx.failure.locate(document, static_cast<std::ptrdiff_t>(place(ctx.currentOffset)));
    }
}

// Finds the line and column of every tag's element in one walk over the text, counted as
// SwfXmlFailure::locate counts them.
void placeTags(SwfXmlReader& ctx, std::string_view text) {
    std::vector<std::size_t> order(ctx.tagOffsets.size());
    for (std::size_t i = 0; i < order.size(); ++i)
        order[i] = i;
    // A sprite's tags are noted before the sprite, so the offsets come almost in order.
    std::sort(order.begin(), order.end(), [&ctx](std::size_t a, std::size_t b) {
        return ctx.tagOffsets[a].second < ctx.tagOffsets[b].second;
    });
    ctx.tagPlaces.assign(order.size(), {0, 0});
    std::size_t line = 1, lineStart = 0, at = 0;
    for (const std::size_t i : order) {
        const std::size_t end = std::min(ctx.tagOffsets[i].second, text.size());
        for (;;) {
            const std::size_t newline = text.find('\n', at);
            if (newline == std::string_view::npos || newline >= end)
                break;
            ++line;
            lineStart = newline + 1;
            at = newline + 1;
        }
        at = std::max(at, end);
        ctx.tagPlaces[i] = {line, end - lineStart + 1};
    }
}

void resetReader(SwfXmlReader& ctx) {
    ctx.movie.reset();
    ctx.tagOffsets.clear();
    ctx.tagPlaces.clear();
    ctx.reading = false;
    ctx.currentName = {};
    ctx.currentOffset = 0;
}

// Writes the movie read; the model is freed first when the output is compressed, the
// compressed copy needing the room.
void writeMovie(SwfXmlReader& ctx, SwfBuffer& swf) {
    const TimedScope timed(ctx.times ? &ctx.times->writeMovie : nullptr);
    if (!ctx.movie->compressed) {
        swf = ctx.movie->writeUncompressed();
        return;
    }
    SwfBuffer plain = ctx.movie->writeUncompressed();
    ctx.movie.reset();
    swf = compressBody(plain);
}

} // namespace

bool convertXmlToSwfBytes(SwfXmlReader& ctx, std::string_view text, SwfBuffer& swf,
                          bool parseAsUtf8) {
    ctx.failure = {};
    resetReader(ctx);
    ctx.pieces = 0;
    bool done = false;
    bool syntax = false;
    bool released = false;
    // Whether the text is given back while it is read: a failure then puts it back first.
    const bool givingBack = ctx.releaseInputRange && ctx.restoreInput;
    const Failure first = caught([&] {
        try {
            bool read = false;
            {
                const TimedScope timed(ctx.times ? &ctx.times->parse : nullptr);
                read = readDocument(ctx, text, parseAsUtf8, givingBack);
            }
            if (read) {
                if (ctx.releaseInput) {
                    if (!givingBack)
                        placeTags(ctx, text);
                    released = true;
                    ctx.releaseInput();
                }
                writeMovie(ctx, swf);
                done = true;
            }
        } catch (const SwfXmlSyntaxError&) {
            syntax = true;
        }
    });
    if (done) {
        resetReader(ctx);
        return true;
    }
    if (givingBack) {
        // Every way on from here reads the text again, as it was.
        const Failure restored = caught([&] { ctx.restoreInput(); });
        if (restored.any) {
            resetReader(ctx);
            ctx.failure.reason = restored.reason;
            return false;
        }
        if (released)
            placeTags(ctx, text);
    }
    if (released) {
        // The text is gone; what the straight reading takes, pugixml's reader takes too, so
        // the failure is the writer's, at the place noted for its tag.
        ctx.failure.reason = first.reason;
        for (std::size_t i = 0; first.tag && i < ctx.tagOffsets.size(); ++i)
            if (ctx.tagOffsets[i].first == first.tag)
                std::tie(ctx.failure.line, ctx.failure.column) = ctx.tagPlaces[i];
        resetReader(ctx);
        return false;
    }
    // From here on pugixml's reader of whole documents reads the text.
    ctx.pieces = 0;
    // The whole document, as pugixml reads it: its errors come first, with their places.
    pugi::xml_document document;
    const pugi::xml_parse_result parsed =
        document.load_buffer(text.data(), text.size(), kParseFlags,
                             parseAsUtf8 ? pugi::encoding_utf8 : pugi::encoding_auto);
    if (!parsed) {
        resetReader(ctx);
        ctx.failure.reason = parsed.description();
        ctx.failure.locate(text, parsed.offset);
        return false;
    }
    if (first.any && !syntax) {
        describeFailure(ctx, text, first, [](std::size_t offset) { return offset; });
        resetReader(ctx);
        return false;
    }
    resetReader(ctx);
    const pugi::xml_node root = firstElement(document);
    if (!root) {
        ctx.failure.reason = "the document has no root element";
        return false;
    }
    // A document the straight reading does not take, read again from its plain form.
    std::vector<std::pair<std::size_t, std::size_t>> places;
    const std::string plain = plainText(root, places);
    document.reset();
    const auto place = [&places](std::size_t offset) {
        const auto found = std::lower_bound(places.begin(), places.end(), offset,
                                            [](const std::pair<std::size_t, std::size_t>& p,
                                               std::size_t o) { return p.first < o; });
        return found != places.end() && found->first == offset ? found->second : 0;
    };
    const Failure second = caught([&] {
        if (!readDocument(ctx, plain, true, false))
            throw std::logic_error("the plain form of a document does not read");
        writeMovie(ctx, swf);
    });
    if (second.any)
        describeFailure(ctx, text, second, place);
    resetReader(ctx);
    ctx.pieces = 0;
    return !second.any;
}

void givesBackAsRead(SwfXmlWriter& ctx, SwfFileInMemory& file) {
    ctx.releaseInput = [&file] { file.release(); };
    ctx.releaseInputBefore = [&file](std::size_t offset) { file.releaseBefore(offset); };
}

void givesBackAsRead(SwfXmlReader& ctx, SwfFileInMemory& file) {
    // Given back, not unmapped, once read: the text may be read again into the same place.
    ctx.releaseInput = [&file] { file.releaseBefore(file.span().size()); };
    ctx.releaseInputRange = [&file](std::size_t begin, std::size_t end) {
        file.releaseRange(begin, end);
    };
    ctx.restoreInput = [&file] { file.restore(); };
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
