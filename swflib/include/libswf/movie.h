// A whole SWF file in memory: header fields and the tag list, the tag base classes, the
// tag registry and the two-pass write.
#pragma once

#include "libswf/records.h"
#include "libswf/stream.h"
#include "libswf/vector.h"

#include <array>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <span>

namespace libswf {

// One tag: its code, the body length of the last read or size pass and whether it insists
// on the 6-byte header. A plain SwfTag is an empty tag of a code without class.
class SwfTag : public SwfStruct {
public:
    explicit SwfTag(std::uint16_t code) : m_code(code) {}

    virtual bool isDefinition() const { return false; }
    virtual bool isUnknown() const { return false; }
    // Whether tags after it read it while a movie is read (a font, whose glyph count
    // alignment zones need), so that a reader that lets tags go keeps it.
    virtual bool readByLaterTags() const { return false; }

    // Computes the body length and remembers it for write.
    std::uint32_t computeSize(SwfSizeContext& ctx);
    // Writes header and body; requires a preceding computeSize.
    void write(SwfOStream& os) const;

    std::uint16_t code() const { return m_code; }
    std::uint32_t length() const { return m_length; }
    void setLength(std::uint32_t length) { m_length = length; }
    bool longHeader() const { return m_longHeader; }
    void setLongHeader(bool longHeader) { m_longHeader = longHeader; }
    // 2 or 6: the header this tag is written with at its current length.
    std::uint32_t headerSize() const { return usesLongHeader() ? 6 : 2; }
    bool usesLongHeader() const { return m_longHeader || m_length > 62; }

protected:
    // The body: its exact size, then the bytes. Every pair agrees byte for byte.
    virtual std::uint32_t bodySize(SwfSizeContext&) { return 0; }
    virtual void writeBody(SwfOStream&) const {}

private:
    std::uint32_t m_length = 0;
    bool m_longHeader = false;
    std::uint16_t m_code;
};

// A tag whose body starts with a character id.
class SwfDefinitionTag : public SwfTag {
public:
    SwfDefinitionTag(std::uint16_t code, std::uint16_t id) : SwfTag(code), id(id) {}
    // Takes the next id of the thread's SwfDefinitionNumbering, or outside one of the
    // process-wide counter, so that definitions built without an id still differ from one
    // another. Ids run from 1 to 65535 and then from 1 again; 0 is never given.
    explicit SwfDefinitionTag(std::uint16_t code);

    bool isDefinition() const override { return true; }

    std::uint16_t id;
};

// While it lives, the definitions built on this thread without an id are numbered from 1 by
// this object alone: a conversion that holds one gives the same ids to the same text every
// time, whatever other threads or earlier work did. Numberings nest; the innermost counts.
class SwfDefinitionNumbering {
public:
    SwfDefinitionNumbering();
    ~SwfDefinitionNumbering();
    SwfDefinitionNumbering(const SwfDefinitionNumbering&) = delete;
    SwfDefinitionNumbering& operator=(const SwfDefinitionNumbering&) = delete;

    std::uint16_t next();

private:
    std::uint16_t m_next = 1;
    SwfDefinitionNumbering* m_outer;
};

class SwfTagEnd : public SwfTag {
public:
    SwfTagEnd() : SwfTag(0) {}
};

class SwfTagShowFrame : public SwfTag {
public:
    SwfTagShowFrame() : SwfTag(1) {}
};

// A tag kept as raw bytes: codes without a class, and codes the reader was told to keep raw.
class SwfTagUnknown : public SwfDefinitionTag {
public:
    SwfTagUnknown(std::uint16_t code, bool hasId, std::uint16_t id = 0)
        : SwfDefinitionTag(code, id), hasId(hasId) {}
    // Reads the body of the tag whose header the stream has just read.
    explicit SwfTagUnknown(SwfIStream& is);

    bool isDefinition() const override { return hasId; }
    bool isUnknown() const override { return true; }

    std::vector<std::uint8_t> body; // after the id when hasId
    bool hasId;

protected:
    std::uint32_t bodySize(SwfSizeContext& ctx) override;
    void writeBody(SwfOStream& os) const override;
};

// Sees each tag of a movie's list as soon as it is read; returns whether the list may let it
// go, which it does unless later tags read it (readByLaterTags).
using SwfTagVisitor = std::function<bool(const SwfTag& tag)>;

// What a reader of a movie can be told as the movie is read, so that neither the file nor
// the model need be held whole.
struct SwfMovieReading {
    // For a compressed file: called once the body is inflated and the file's bytes are no
    // longer needed, so that the caller can free them before the tags are decoded.
    std::function<void()> releaseFile;
    // Sees each top-level tag as it is read, the header being read by then, and may let it
    // go (see SwfTagVisitor).
    SwfTagVisitor visit;
    // For an uncompressed file: told after each top-level tag the offset below which the
    // file's bytes are no longer read, so that the caller can give them back as it goes.
    std::function<void(std::size_t)> passed;
    // Takes the actions of each top-level DoAction and DoInitAction one at a time as they
    // are read, with the tag they belong to (its fields before the actions, its length and
    // header known by then), instead of the tag's list, which stays empty: a large script is
    // never held whole. Scripts in sprites are read into their tags as always.
    std::function<void(const SwfTag&, std::unique_ptr<SwfAction>)> scriptActions;
};

// The owning tag list of a movie or sprite, with the dictionary of definitions by id.
class SwfTags : public SwfStruct {
public:
    using List = SwfPtrVector<SwfTag>;

    List list;
    // Filled by the binary reader, not owning. A definition the reader let go is named by a
    // bare tag of its code, which keeps what later tags may ask of it.
    std::map<std::uint16_t, SwfTag*> dictionary;

    std::size_t size() const { return list.size(); }
    bool empty() const { return list.empty(); }
    SwfTag& operator[](std::size_t i) const { return *list[i]; }
    List::const_iterator begin() const { return list.begin(); }
    List::const_iterator end() const { return list.end(); }
    void append(std::unique_ptr<SwfTag> tag) { list.push_back(std::move(tag)); }
    void clear() {
        dictionary.clear();
        list.clear();
        m_standIns.clear();
    }

    // Reads tags from the stream's position up to its limit or an End tag. Nested lists (a
    // sprite's) end quietly where a long header would pass the limit; the top-level list
    // treats that as truncation. A visitor sees each tag as it is read and may let it go.
    void read(SwfIStream& is, bool nested, const SwfTagVisitor& visit = {});
    // Runs prepare and computeSize on every tag; returns the list's byte count including the
    // closing End header. Throws ValueOutOfRange when a tag code exceeds 10 bits.
    std::uint64_t computeSize(SwfSizeContext& ctx);
    // Writes every tag and the closing End header; the size pass must have run.
    void write(SwfOStream& os) const;
    // ShowFrame tags directly in this list.
    std::size_t countFrames() const;

private:
    std::vector<std::unique_ptr<SwfTag>> m_standIns; // for definitions let go, see dictionary
};

class SwfTagDefineSprite : public SwfDefinitionTag {
public:
    SwfTagDefineSprite() : SwfDefinitionTag(39) {}
    explicit SwfTagDefineSprite(SwfIStream& is);

    // Sets the frame count to the ShowFrame tags directly in the sprite.
    void prepare() override;

    std::uint16_t frameCount = 0;
    SwfTags tags;

protected:
    std::uint32_t bodySize(SwfSizeContext& ctx) override;
    void writeBody(SwfOStream& os) const override;
};

// The definitions met so far in one tag list while it is read or sized, with the scope of the
// list around it, so that a tag referring to another (DefineFontAlignZones to its font) sees
// what a reader of the file has met by then: the innermost list's definitions first, then
// those of the lists around it, out to the movie's own. Lives on the stack of the list's pass.
class SwfDefinitionScope {
public:
    using Definitions = std::map<std::uint16_t, SwfTag*>;

    SwfDefinitionScope(SwfStream& stream, const Definitions& definitions)
        : m_stream(stream), m_definitions(definitions), m_outer(stream.definitions) {
        stream.definitions = this;
    }
    ~SwfDefinitionScope() { m_stream.definitions = m_outer; }
    SwfDefinitionScope(const SwfDefinitionScope&) = delete;
    SwfDefinitionScope& operator=(const SwfDefinitionScope&) = delete;

    // The definition of the id met last in the innermost list that has one, or null.
    static const SwfTag* find(const SwfStream& stream, std::uint16_t id);

private:
    SwfStream& m_stream;
    const Definitions& m_definitions;
    const SwfDefinitionScope* m_outer;
};

// One row of the tag registry.
using SwfTagCreator = std::unique_ptr<SwfTag> (*)(SwfIStream&);
struct SwfTagInfo {
    std::uint16_t code;
    const char* name;     // XML element name
    bool definition;      // the class derives from SwfDefinitionTag
    bool startsWithId;    // the body starts with a character id (raw tags keep it apart)
    SwfTagCreator create; // null while the tag's family is kept raw
};

// Every tag code the program names, in code order.
std::span<const SwfTagInfo> swfTagTable();
// The row of a code, or null for codes without a row.
const SwfTagInfo* findSwfTag(std::uint16_t code);
// The element name of a code, or null.
const char* swfTagName(std::uint16_t code);
// Builds the tag whose header (code, length, long-header state) the stream has just read.
std::unique_ptr<SwfTag> createSwfTag(SwfIStream& is);

// A whole SWF movie.
class SwfMovie {
public:
    // Compressed version 7 movie of 550 x 400 pixels at 12 frames per second.
    SwfMovie();
    SwfMovie(bool compressed, std::uint8_t version, std::int32_t xmax, std::int32_t ymax,
             float frameRate);

    std::array<bool, 1024> keepRaw{};
    std::array<bool, 256> keepRawActions{};
    bool compressed = true;
    std::uint8_t version = 7;
    float frameRate = 12.0f;
    SwfRect frameSize{0, 0, 11000, 8000};
    std::uint16_t frameCount = 0;
    SwfTags tags;

    // Replaces header and tags with the file's contents. Throws SwfException. For a
    // compressed file, releaseFile is called once the body is inflated and the file's bytes
    // are no longer needed, so that the caller can free them before the tags are decoded.
    // A visitor sees each top-level tag as it is read, the header being read by then, and
    // may let it go (see SwfTagVisitor), so that a movie need never be held whole.
    void read(std::span<const std::uint8_t> file, const std::function<void()>& releaseFile = {},
              const SwfTagVisitor& visit = {});
    // The same, telling the reader all that SwfMovieReading offers.
    void read(std::span<const std::uint8_t> file, const SwfMovieReading& reading);
    // The complete file, compressed when the movie says so. Throws SwfException.
    SwfBuffer write();
    // The complete file with the body left uncompressed but the signature of the movie's
    // compression; compressBody finishes it. Lets a caller free the model in between.
    SwfBuffer writeUncompressed();
    // Writes the complete uncompressed file into the sink, holding only a small buffer.
    void writeUncompressed(SwfOutputSink& sink);

private:
    struct Sized {
        std::uint32_t fileLength;
        std::uint16_t frames;
        std::uint16_t rate;
    };
    Sized sizePass();
    void writeSized(SwfOStream& os, const Sized& sized);
};

// Deflates everything after the 8 header bytes. Throws ZlibFailure.
SwfBuffer compressBody(const SwfBuffer& file);

} // namespace libswf
