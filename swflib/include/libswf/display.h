// The rich display-list tags: PlaceObject2 and PlaceObject3, with the clip actions a placed
// sprite carries and, for PlaceObject3, its filters, blend mode and the later display flags.
#pragma once

#include "libswf/actions.h"
#include "libswf/filters.h"
#include "libswf/movie.h"
#include "libswf/records.h"

#include <cstdint>

namespace libswf {

// One event handler of a placed sprite: the events it answers as the event word holds them,
// an optional key code and its actions.
class SwfClipAction : public SwfStruct {
public:
    // Bits of the event word, the first sixteen of which are all a movie of version 5 or
    // earlier can store.
    static constexpr std::uint32_t Load = 1u << 0;
    static constexpr std::uint32_t EnterFrame = 1u << 1;
    static constexpr std::uint32_t Unload = 1u << 2;
    static constexpr std::uint32_t MouseMove = 1u << 3;
    static constexpr std::uint32_t MouseDown = 1u << 4;
    static constexpr std::uint32_t MouseUp = 1u << 5;
    static constexpr std::uint32_t KeyDown = 1u << 6;
    static constexpr std::uint32_t KeyUp = 1u << 7;
    static constexpr std::uint32_t Data = 1u << 8;
    static constexpr std::uint32_t Initialize = 1u << 9;
    static constexpr std::uint32_t Press = 1u << 10;
    static constexpr std::uint32_t Release = 1u << 11;
    static constexpr std::uint32_t ReleaseOutside = 1u << 12;
    static constexpr std::uint32_t RollOver = 1u << 13;
    static constexpr std::uint32_t RollOut = 1u << 14;
    static constexpr std::uint32_t DragOver = 1u << 15;
    static constexpr std::uint32_t DragOut = 1u << 16;
    static constexpr std::uint32_t KeyPress = 1u << 17;
    static constexpr std::uint32_t Construct = 1u << 18;
    static constexpr std::uint32_t NamedEvents = (1u << 19) - 1;

    // The whole word; bits above the nineteen named events are kept as read.
    std::uint32_t events = 0;
    // Written after the record size from version 6 on, when the key-press event is set.
    std::uint8_t keyCode = 0;
    // Set for a key-press record read with a size of 0, which holds no key code; such a
    // record is written back without one as long as it has no actions.
    bool keyCodeOmitted = false;
    SwfActions actions;

    // Whether the key-code byte follows the record size in a movie of this version.
    bool writesKeyCode(std::uint8_t version) const;

    // Reads one record, the event word included.
    void read(SwfIStream& is);
    // Throws ValueOutOfRange for a record without events, events a version-5 word cannot
    // hold, or a record too large.
    std::uint32_t computeSize(SwfSizeContext& ctx);
    void write(SwfOStream& os) const;

private:
    std::uint32_t m_recordSize = 0;
};

// The event handlers of a placed sprite, in the framing of reserved word, all-events word,
// records and end word; the all-events word is recomputed as the OR of the records' words.
class SwfClipActions : public SwfStruct, public SwfPtrVector<SwfClipAction> {
public:
    void read(SwfIStream& is);
    std::uint32_t computeSize(SwfSizeContext& ctx);
    void write(SwfOStream& os) const;
};

// Places or modifies a character at a depth. Each optional field has its presence flag; the
// flags byte is rebuilt from them on writing. Clip actions exist from version 5 on: in an
// earlier movie the flag is kept but no bytes are read or written for them, and records given
// there fail the size pass.
class SwfTagPlaceObject2 : public SwfTag {
public:
    SwfTagPlaceObject2() : SwfTag(26) {}
    explicit SwfTagPlaceObject2(SwfIStream& is);

    bool move = false;
    bool hasCharacter = false;
    bool hasMatrix = false;
    bool hasColorTransform = false;
    bool hasRatio = false;
    bool hasName = false;
    bool hasClipDepth = false;
    bool hasClipActions = false;

    std::uint16_t depth = 0;
    std::uint16_t characterId = 0;
    SwfMatrix matrix;
    SwfColorTransform colorTransform; // always with alpha terms
    std::uint16_t ratio = 0;
    SwfString name;
    std::uint16_t clipDepth = 0;
    SwfClipActions clipActions;

    std::uint8_t flagsByte() const;

protected:
    std::uint32_t bodySize(SwfSizeContext& ctx) override;
    void writeBody(SwfOStream& os) const override;
};

// PlaceObject2 with filters, blend mode, class name and the later display fields. Both flag
// bytes are kept as read and written as held; a flag whose field is missing writes the
// field's default. The bitmap-cache byte, the visibility byte and the background colour are
// the later fields of the format: older movies announce the cache flag without the byte, so
// each is kept absent when the body ends before it and the body comes back as it was.
class SwfTagPlaceObject3 : public SwfTag {
public:
    // The first flag byte has the PlaceObject2 meanings.
    static constexpr std::uint8_t Move = 0x01;
    static constexpr std::uint8_t HasCharacter = 0x02;
    static constexpr std::uint8_t HasMatrix = 0x04;
    static constexpr std::uint8_t HasColorTransform = 0x08;
    static constexpr std::uint8_t HasRatio = 0x10;
    static constexpr std::uint8_t HasName = 0x20;
    static constexpr std::uint8_t HasClipDepth = 0x40;
    static constexpr std::uint8_t HasClipActions = 0x80;
    // The extended byte.
    static constexpr std::uint8_t HasFilterList = 0x01;
    static constexpr std::uint8_t HasBlendMode = 0x02;
    static constexpr std::uint8_t HasCacheAsBitmap = 0x04;
    static constexpr std::uint8_t HasClassName = 0x08;
    static constexpr std::uint8_t HasImage = 0x10;
    static constexpr std::uint8_t HasVisible = 0x20;
    static constexpr std::uint8_t HasOpaqueBackground = 0x40;

    SwfTagPlaceObject3() : SwfTag(70) {}
    explicit SwfTagPlaceObject3(SwfIStream& is);

    std::uint8_t flags = 0;
    std::uint8_t extendedFlags = 0;

    std::uint16_t depth = 0;
    SwfString className;
    std::uint16_t characterId = 0;
    SwfMatrix matrix;
    SwfColorTransform colorTransform; // always with alpha terms
    std::uint16_t ratio = 0;
    SwfString name;
    std::uint16_t clipDepth = 0;
    SwfFilterList filters;
    std::uint8_t blendMode = 0;
    bool hasBitmapCache = false;
    std::uint8_t bitmapCache = 0;
    bool hasVisible = false;
    std::uint8_t visible = 1; // shown; also what an announced but absent byte is written as
    bool hasBackgroundColor = false;
    std::uint32_t backgroundColor = 0; // red in the low byte, alpha in the high byte
    SwfClipActions clipActions;

    // Which of the three late fields are written: those present under their flag, and an
    // absent one under its flag when a field after it is written, which must not move.
    struct LateFields {
        bool bitmapCache, visible, backgroundColor;
    };
    LateFields lateFields() const;

protected:
    std::uint32_t bodySize(SwfSizeContext& ctx) override;
    void writeBody(SwfOStream& os) const override;
};

} // namespace libswf
