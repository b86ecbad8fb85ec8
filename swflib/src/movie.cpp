#include "libswf/movie.h"

#include "libswf/compress.h"
#include "libswf/exception.h"

#include <atomic>
#include <cmath>
#include <cstring>
#include <limits>
#include <stdexcept>
#include <string>

namespace libswf {

namespace {

// Sprites never legitimately nest deeply; hostile input could otherwise nest them until the
// reader's recursion exhausts the stack.
constexpr unsigned kMaxSpriteDepth = 32;

// A declared body larger than this is refused before any allocation.
constexpr std::uint64_t kMaxMovieLength = 1ull << 30;
// No zlib stream inflates to more than about 1032 times its size. LZMA does better on long
// runs: at best a repeated match of 273 bytes costs 14 saturated range-coder decisions of
// 0.022 bits each, some 7100 to 1; the bound leaves room above that.
constexpr std::uint64_t kMaxDeflateRatio = 1032;
constexpr std::uint64_t kMaxLzmaRatio = 8192;

thread_local unsigned t_spriteDepth = 0;
thread_local SwfDefinitionNumbering* t_numbering = nullptr;

// 1 to 65535, then 1 again: 0 names no character.
std::uint16_t followingId(std::uint16_t id) {
    return id == 0xFFFF ? 1 : static_cast<std::uint16_t>(id + 1);
}

std::uint16_t nextDefinitionId() {
    if (t_numbering)
        return t_numbering->next();
    static std::atomic<std::uint16_t> counter{1};
    std::uint16_t id = counter.load(std::memory_order_relaxed);
    while (!counter.compare_exchange_weak(id, followingId(id), std::memory_order_relaxed)) {
    }
    return id;
}

// The signature bytes as text for a message: printable ASCII as it is, other bytes escaped.
std::string quotedSignature(std::span<const std::uint8_t> bytes) {
    static const char digits[] = "0123456789abcdef";
    std::string out = "\"";
    for (const std::uint8_t b : bytes) {
        if (b >= 0x20 && b < 0x7F && b != '"' && b != '\\') {
            out += static_cast<char>(b);
        } else {
            out += "\\x";
            out += digits[b >> 4];
            out += digits[b & 15];
        }
    }
    return out + "\"";
}

// "FWS" (plain), "CWS" (zlib) or "ZWS" (LZMA); a file that starts otherwise, a picture or a
// text say, is no movie, and its next bytes must not be taken for a length and a stage.
void checkSignature(std::span<const std::uint8_t> file) {
    const std::span<const std::uint8_t> signature =
        file.first(std::min<std::size_t>(3, file.size()));
    const bool known =
        signature.empty() || ((signature[0] == 'F' || signature[0] == 'C' || signature[0] == 'Z') &&
                              (signature.size() < 2 || signature[1] == 'W') &&
                              (signature.size() < 3 || signature[2] == 'S'));
    if (!known)
        throw SwfException(SwfException::UnexpectedEnd,
                           "not a SWF movie (signature " + quotedSignature(signature) + ")");
}

std::uint32_t readLe32(const std::uint8_t* p) {
    return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
           (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}

std::uint32_t checkedU32(std::uint64_t value, const char* what) {
    if (value > std::numeric_limits<std::uint32_t>::max())
        throw SwfException(SwfException::ValueOutOfRange,
                           std::string(what) + " of " + std::to_string(value) +
                               " bytes does not fit a 32-bit length");
    return static_cast<std::uint32_t>(value);
}

std::uint16_t checkedFrameCount(std::size_t frames, const char* whose) {
    if (frames > 0xFFFF)
        throw SwfException(SwfException::ValueOutOfRange,
                           std::string(whose) + " has " + std::to_string(frames) +
                               " frames, more than the 65535 a frame count can hold");
    return static_cast<std::uint16_t>(frames);
}

} // namespace

// ---- tag base classes -----------------------------------------------------------------------

std::uint32_t SwfTag::computeSize(SwfSizeContext& ctx) {
    m_length = bodySize(ctx);
    return m_length;
}

void SwfTag::write(SwfOStream& os) const {
    if (usesLongHeader()) {
        os.writeU16(static_cast<std::uint16_t>(m_code << 6 | 63));
        os.writeU32(m_length);
    } else {
        os.writeU16(static_cast<std::uint16_t>(m_code << 6 | m_length));
    }
    writeBody(os);
}

SwfDefinitionTag::SwfDefinitionTag(std::uint16_t code) : SwfTag(code), id(nextDefinitionId()) {}

SwfDefinitionNumbering::SwfDefinitionNumbering() : m_outer(t_numbering) {
    t_numbering = this;
}

SwfDefinitionNumbering::~SwfDefinitionNumbering() {
    t_numbering = m_outer;
}

std::uint16_t SwfDefinitionNumbering::next() {
    const std::uint16_t id = m_next;
    m_next = followingId(m_next);
    return id;
}

// ---- raw tags -------------------------------------------------------------------------------

SwfTagUnknown::SwfTagUnknown(SwfIStream& is) : SwfDefinitionTag(is.tagCode, 0), hasId(false) {
    const SwfTagInfo* info = findSwfTag(is.tagCode);
    // A body too short for its id is kept whole, so that its bytes still survive.
    hasId = info && info->startsWithId && is.tagLength >= 2;
    std::uint32_t n = is.tagLength;
    if (hasId) {
        id = is.readU16();
        n -= 2;
    }
    const std::span<const std::uint8_t> bytes = is.readSpan(n);
    body.assign(bytes.begin(), bytes.end());
}

std::uint32_t SwfTagUnknown::bodySize(SwfSizeContext&) {
    return checkedU32(body.size() + (hasId ? 2 : 0), "a raw tag body");
}

void SwfTagUnknown::writeBody(SwfOStream& os) const {
    if (hasId)
        os.writeU16(id);
    os.writeBytes(body.data(), body.size());
}

// ---- tag lists ------------------------------------------------------------------------------

const SwfTag* SwfDefinitionScope::find(const SwfStream& stream, std::uint16_t id) {
    for (const SwfDefinitionScope* scope = stream.definitions; scope; scope = scope->m_outer) {
        const auto found = scope->m_definitions.find(id);
        if (found != scope->m_definitions.end())
            return found->second;
    }
    return nullptr;
}

void SwfTags::read(SwfIStream& is, bool nested, const SwfTagVisitor& visit) {
    const SwfDefinitionScope scope(is, dictionary);
    // Scripts in sprites are read into their tags: their elements come inside the sprite's.
    struct Scripts {
        SwfIStream& is;
        const std::function<void(const SwfTag&, std::unique_ptr<SwfAction>)>* saved;
        ~Scripts() { is.scriptActions = saved; }
    } scripts{is, is.scriptActions};
    if (nested)
        is.scriptActions = nullptr;
    const std::size_t end = is.limit();
    const char* container = nested ? "its sprite" : "the movie";
    // Tags read so far, whether held or let go: the index failures name.
    std::size_t index = 0;
    while (end - is.position() >= 2) {
        const std::size_t headerOffset = is.position();
        const std::uint16_t header = is.readU16();
        const std::uint16_t code = header >> 6;
        std::uint32_t length = header & 0x3F;
        bool longForShort = false;
        auto context = [&](SwfException& e) { e.setTagContext(code, index, headerOffset); };
        if (length == 63) {
            if (end - is.position() < 4) {
                if (nested)
                    break;
                SwfException e(SwfException::UnexpectedEnd, "a long tag header is cut off");
                context(e);
                throw e;
            }
            length = is.readU32();
            longForShort = length < 63;
        }
        const std::size_t bodyStart = is.position();
        if (length > end - bodyStart) {
            SwfException e(SwfException::UnexpectedEnd,
                           "a tag body of " + std::to_string(length) +
                               " bytes runs past the end of " + container + ", where " +
                               std::to_string(end - bodyStart) + " bytes remain");
            context(e);
            throw e;
        }
        is.tagCode = code;
        is.tagLength = length;
        is.longHeader = longForShort;
        std::unique_ptr<SwfTag> tag;
        try {
            SwfIStream::Bound bound(is, bodyStart + length);
            tag = createSwfTag(is);
        } catch (SwfException& e) {
            context(e);
            throw;
        }
        is.setPosition(bodyStart + length);
        if (code == 0)
            break;
        ++index;
        const bool letGo = visit && visit(*tag) && !tag->readByLaterTags();
        // The model holds copies of what it read: the bytes up to here are done with.
        if (!nested && is.passed)
            (*is.passed)(is.position());
        const auto* definition =
            tag->isDefinition() ? dynamic_cast<const SwfDefinitionTag*>(tag.get()) : nullptr;
        const std::uint16_t id = definition ? definition->id : 0;
        // Into the list first (or, for a definition let go, a bare tag of its code, which is
        // all a later tag may learn of it): should either step run out of memory, the
        // dictionary must not be left naming a tag that was freed.
        SwfTag* named = nullptr;
        if (!letGo) {
            named = tag.get();
            list.push_back(std::move(tag));
        } else if (definition) {
            m_standIns.push_back(std::make_unique<SwfTag>(code));
            named = m_standIns.back().get();
        }
        if (named && definition)
            dictionary[id] = named;
    }
}

std::uint64_t SwfTags::computeSize(SwfSizeContext& ctx) {
    // What a reader of the written list will have met before each tag, as its dictionary.
    SwfDefinitionScope::Definitions seen;
    const SwfDefinitionScope scope(ctx, seen);
    std::uint64_t total = 2; // the closing End header
    for (std::size_t i = 0; i < list.size(); ++i) {
        SwfTag& tag = *list[i];
        if (tag.code() == 0)
            continue;
        try {
            if (tag.code() > 1023)
                throw SwfException(SwfException::ValueOutOfRange,
                                   "tag code " + std::to_string(tag.code()) +
                                       " does not fit the 10 bits of a tag header");
            ctx.tagCode = tag.code();
            tag.prepare();
            const std::uint32_t length = tag.computeSize(ctx);
            total += std::uint64_t{length} + tag.headerSize();
            if (tag.isDefinition())
                if (auto* definition = dynamic_cast<SwfDefinitionTag*>(&tag))
                    seen[definition->id] = &tag;
        } catch (SwfException& e) {
            e.setTagContext(tag.code(), i, std::nullopt, &tag);
            throw;
        }
    }
    return total;
}

void SwfTags::write(SwfOStream& os) const {
    for (std::size_t i = 0; i < list.size(); ++i) {
        const SwfTag& tag = *list[i];
        if (tag.code() == 0)
            continue;
        os.tagCode = tag.code();
        os.tagLength = tag.length();
        const std::size_t start = os.size();
        try {
            tag.write(os);
        } catch (SwfException& e) {
            e.setTagContext(tag.code(), i, start, &tag);
            throw;
        }
        // Every size operation must agree with its write; a disagreement is a bug in the
        // program, never in the movie, and must not produce a corrupt file.
        const std::size_t written = os.size() - start;
        const std::uint64_t sized = std::uint64_t{tag.headerSize()} + tag.length();
        if (written != sized)
            throw std::logic_error("tag " + std::to_string(tag.code()) + " wrote " +
                                   std::to_string(written) + " bytes but its size pass said " +
                                   std::to_string(sized));
    }
    os.writeU16(0);
}

std::size_t SwfTags::countFrames() const {
    std::size_t frames = 0;
    for (const auto& tag : list)
        frames += tag->code() == 1;
    return frames;
}

// ---- sprites --------------------------------------------------------------------------------

SwfTagDefineSprite::SwfTagDefineSprite(SwfIStream& is) : SwfDefinitionTag(39, 0) {
    id = is.readU16();
    frameCount = is.readU16();
    if (t_spriteDepth >= kMaxSpriteDepth)
        throw SwfException(SwfException::UnexpectedEnd, "sprites are nested more than " +
                                                            std::to_string(kMaxSpriteDepth) +
                                                            " levels deep");
    ++t_spriteDepth;
    try {
        tags.read(is, true);
    } catch (...) {
        --t_spriteDepth;
        throw;
    }
    --t_spriteDepth;
}

void SwfTagDefineSprite::prepare() {
    frameCount = checkedFrameCount(tags.countFrames(), "a sprite");
}

std::uint32_t SwfTagDefineSprite::bodySize(SwfSizeContext& ctx) {
    return checkedU32(4 + tags.computeSize(ctx), "a sprite body");
}

void SwfTagDefineSprite::writeBody(SwfOStream& os) const {
    os.writeU16(id);
    os.writeU16(frameCount);
    tags.write(os);
}

// ---- movie ----------------------------------------------------------------------------------

SwfMovie::SwfMovie() = default;

SwfMovie::SwfMovie(bool compressed, std::uint8_t version, std::int32_t xmax, std::int32_t ymax,
                   float frameRate)
    : compressed(compressed), version(version), frameRate(frameRate), frameSize(0, 0, xmax, ymax) {}

void SwfMovie::read(std::span<const std::uint8_t> file, const std::function<void()>& releaseFile,
                    const SwfTagVisitor& visit) {
    SwfMovieReading reading;
    reading.releaseFile = releaseFile;
    reading.visit = visit;
    read(file, reading);
}

void SwfMovie::read(std::span<const std::uint8_t> file, const SwfMovieReading& reading) {
    const std::function<void()>& releaseFile = reading.releaseFile;
    tags.clear();
    checkSignature(file);
    if (file.size() < 8)
        throw SwfException(SwfException::UnexpectedEnd,
                           "a movie needs 8 header bytes but the file has " +
                               std::to_string(file.size()));
    SwfIStream is(file);
    is.keepRaw = &keepRaw;
    is.keepRawActions = &keepRawActions;
    is.tags = &tags;
    const std::uint8_t signature = file[0];
    version = file[3];
    is.version = version;
    compressed = signature == 'C' || signature == 'Z';
    if (compressed) {
        const std::uint64_t length = readLe32(file.data() + 4);
        const std::uint64_t packed = file.size() - 8;
        if (length < 8)
            throw SwfException(SwfException::UnexpectedEnd,
                               "the header declares a movie of " + std::to_string(length) +
                                   " bytes, shorter than its own header");
        const std::uint64_t ratio = signature == 'C' ? kMaxDeflateRatio : kMaxLzmaRatio;
        const bool impossible = length - 8 > ratio * packed + 1024;
        if (length > kMaxMovieLength || impossible)
            throw SwfException(SwfException::UnexpectedEnd,
                               "the header declares a movie of " + std::to_string(length) +
                                   " bytes, which " + std::to_string(packed) +
                                   " compressed bytes cannot hold");
        SwfBuffer inflated(length);
        std::memcpy(inflated.data(), file.data(), 8);
        const std::span<std::uint8_t> output(inflated.data() + 8, length - 8);
        if (signature == 'C')
            swfInflate(file.subspan(8), output);
        else
            swfLzmaInflate(file.subspan(8), output);
        is.adopt(std::move(inflated));
        if (releaseFile)
            releaseFile();
    }
    is.setPosition(8);
    frameSize.read(is);
    frameRate = static_cast<float>(is.readU16() * (1.0 / 256));
    frameCount = is.readU16();
    if (!compressed && reading.passed)
        is.passed = &reading.passed;
    if (reading.scriptActions)
        is.scriptActions = &reading.scriptActions;
    tags.read(is, false, reading.visit);
}

SwfMovie::Sized SwfMovie::sizePass() {
    SwfSizeContext ctx(version);
    const std::uint32_t rectSize = frameSize.computeSize(ctx);
    const std::uint64_t listSize = tags.computeSize(ctx);
    Sized sized{};
    sized.frames = checkedFrameCount(tags.countFrames(), "the movie");
    sized.fileLength = checkedU32(std::uint64_t{rectSize} + 12 + listSize, "the movie");
    const double rate = std::trunc(static_cast<double>(frameRate) * 256.0);
    if (!(rate >= 0.0 && rate <= 65535.0))
        throw SwfException(SwfException::ValueOutOfRange,
                           "a frame rate of " + std::to_string(frameRate) +
                               " does not fit the header's 0 to 255.996");
    sized.rate = static_cast<std::uint16_t>(rate);
    return sized;
}

void SwfMovie::writeSized(SwfOStream& os, const Sized& sized) {
    os.version = version;
    os.tags = &tags;
    os.writeU8(compressed ? 'C' : 'F');
    os.writeU8('W');
    os.writeU8('S');
    os.writeU8(version);
    os.writeU32(sized.fileLength);
    frameSize.write(os);
    os.writeU16(sized.rate);
    os.writeU16(sized.frames);
    tags.write(os);
    if (os.size() != sized.fileLength)
        throw std::logic_error("the movie wrote " + std::to_string(os.size()) +
                               " bytes but its size pass said " + std::to_string(sized.fileLength));
}

SwfBuffer SwfMovie::writeUncompressed() {
    const Sized sized = sizePass();
    SwfOStream os(sized.fileLength);
    writeSized(os, sized);
    return os.take();
}

void SwfMovie::writeUncompressed(SwfOutputSink& sink) {
    const Sized sized = sizePass();
    SwfOStream os(std::min<std::size_t>(sized.fileLength, 1 << 20), sink);
    writeSized(os, sized);
    os.flush();
}

SwfBuffer SwfMovie::write() {
    SwfBuffer file = writeUncompressed();
    return compressed ? compressBody(file) : std::move(file);
}

SwfBuffer compressBody(const SwfBuffer& file) {
    if (file.size() < 8)
        throw SwfException(SwfException::ZlibFailure, "a movie without its 8 header bytes");
    SwfBuffer out = swfDeflate(file.span().subspan(8), 8);
    std::memcpy(out.data(), file.data(), 8);
    return out;
}

} // namespace libswf
