// Buttons: the two button definitions with their layers (button records) and, for
// DefineButton2, the condition actions, and the two tags that add a colour transform or
// transition sounds to a button of the first kind.
#pragma once

#include "libswf/actions.h"
#include "libswf/filters.h"
#include "libswf/movie.h"
#include "libswf/records.h"
#include "libswf/sound.h"

#include <array>
#include <cstdint>

namespace libswf {

// One visible layer of a button: the states it shows in, the character placed and where.
// The colour transform, filters and blend mode belong to DefineButton2 only; the caller says
// which form the record takes.
class SwfButtonRecord : public SwfStruct {
public:
    static constexpr std::uint8_t StateUp = 0x01;
    static constexpr std::uint8_t StateOver = 0x02;
    static constexpr std::uint8_t StateDown = 0x04;
    static constexpr std::uint8_t HitTest = 0x08;
    static constexpr std::uint8_t HasFilterList = 0x10;
    static constexpr std::uint8_t HasBlendMode = 0x20;
    static constexpr std::uint8_t ReservedBits = 0xC0;

    bool stateUp = false;
    bool stateOver = false;
    bool stateDown = false;
    bool hitTest = false;
    bool hasFilterList = false;
    bool hasBlendMode = false;
    // The two top bits of the flags byte, in their places, kept as read so that movies
    // which set them come back unchanged.
    std::uint8_t reserved = 0;
    std::uint16_t characterId = 0;
    std::uint16_t depth = 0;
    SwfMatrix matrix;
    SwfColorTransform colorTransform; // with alpha terms
    SwfFilterList filters;
    std::uint8_t blendMode = 0;

    // The flags byte as written: a record shown in no state would never be seen, so it is
    // written as shown in all four.
    std::uint8_t flagsByte() const;

    // `extended` selects DefineButton2's form.
    void read(SwfIStream& is, bool extended);
    std::uint32_t computeSize(SwfSizeContext& ctx, bool extended) const;
    void write(SwfOStream& os, bool extended) const;
};

// The layers of one button; the binary form ends with a zero byte.
class SwfButtonRecords : public SwfStruct, public SwfPtrVector<SwfButtonRecord> {
public:
    void read(SwfIStream& is, bool extended);
    std::uint64_t computeSize(SwfSizeContext& ctx, bool extended) const;
    void write(SwfOStream& os, bool extended) const;
};

// One condition action of DefineButton2: the transitions and key that run the script.
class SwfButtonAction : public SwfStruct {
public:
    static constexpr std::uint16_t RollOver = 0x0001;
    static constexpr std::uint16_t RollOut = 0x0002;
    static constexpr std::uint16_t Press = 0x0004;
    static constexpr std::uint16_t Release = 0x0008;
    static constexpr std::uint16_t PushDragOut = 0x0010;
    static constexpr std::uint16_t PushDragOver = 0x0020;
    static constexpr std::uint16_t PushReleaseOutside = 0x0040;
    static constexpr std::uint16_t MenuDragOver = 0x0080;
    static constexpr std::uint16_t MenuDragOut = 0x0100;
    static constexpr std::uint16_t ConditionBits = 0x01FF;

    // The nine transition bits; the key code takes the word's top seven bits.
    std::uint16_t conditions = 0;
    // 0 for none; wider than its seven bits so that a value too large for them is refused
    // when the button is written rather than cut.
    std::uint16_t keyCode = 0;
    SwfActions actions;

    // Throws ValueOutOfRange for a key code above 127 or condition bits beyond the nine.
    std::uint16_t conditionWord() const;
};

// The condition actions of a DefineButton2. Each is written with the byte count to the next,
// and the last with 0.
class SwfButtonActions : public SwfStruct, public SwfPtrVector<SwfButtonAction> {
public:
    // Reads up to and including the entry whose size field is 0.
    void read(SwfIStream& is);
    // Sizes every action list; throws ValueOutOfRange for an entry too long for its size field.
    std::uint64_t computeSize(SwfSizeContext& ctx);
    void write(SwfOStream& os) const;
};

// The first button definition: layers without colour transforms and one script run on release.
class SwfTagDefineButton : public SwfDefinitionTag {
public:
    SwfTagDefineButton() : SwfDefinitionTag(7) {}
    explicit SwfTagDefineButton(SwfIStream& is);

    SwfButtonRecords records;
    // Empty when the body ends with the records; written only when it holds something.
    SwfActions actions;

protected:
    std::uint32_t bodySize(SwfSizeContext& ctx) override;
    void writeBody(SwfOStream& os) const override;
};

class SwfTagDefineButton2 : public SwfDefinitionTag {
public:
    static constexpr std::uint8_t TrackAsMenuBit = 0x01;

    SwfTagDefineButton2() : SwfDefinitionTag(34) {}
    explicit SwfTagDefineButton2(SwfIStream& is);

    bool trackAsMenu = false;
    // The flags byte's other bits, in their places, kept as read.
    std::uint8_t reserved = 0;
    SwfButtonRecords records;
    SwfButtonActions conditionActions;

protected:
    std::uint32_t bodySize(SwfSizeContext& ctx) override;
    void writeBody(SwfOStream& os) const override;

private:
    std::uint16_t m_actionOffset = 0; // from the last size pass
};

// A colour transform for a DefineButton, which has none of its own. Never with alpha terms.
class SwfTagDefineButtonCxform : public SwfTag {
public:
    SwfTagDefineButtonCxform() : SwfTag(23) {}
    explicit SwfTagDefineButtonCxform(SwfIStream& is);

    std::uint16_t buttonId = 0;
    SwfColorTransform colorTransform;

protected:
    std::uint32_t bodySize(SwfSizeContext& ctx) override;
    void writeBody(SwfOStream& os) const override;
};

// The sounds a DefineButton plays on its four transitions; a transition with sound id 0 has
// no sound and no sound-info record in the file.
class SwfTagDefineButtonSound : public SwfTag {
public:
    enum Transition { RollOut = 0, RollOver = 1, Press = 2, Release = 3 };

    SwfTagDefineButtonSound() : SwfTag(17) {}
    explicit SwfTagDefineButtonSound(SwfIStream& is);

    std::uint16_t buttonId = 0;
    std::array<std::uint16_t, 4> soundIds{};
    std::array<SwfSoundInfo, 4> soundInfos;

protected:
    std::uint32_t bodySize(SwfSizeContext& ctx) override;
    void writeBody(SwfOStream& os) const override;
};

} // namespace libswf
