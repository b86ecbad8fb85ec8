#include "libswf/buttons.h"

#include "libswf/exception.h"
#include "structs/tag_state.h"

#include <limits>
#include <string>

namespace libswf {

// ---- button records -------------------------------------------------------------------------

std::uint8_t SwfButtonRecord::flagsByte() const {
    std::uint8_t flags =
        static_cast<std::uint8_t>((stateUp ? StateUp : 0) | (stateOver ? StateOver : 0) |
                                  (stateDown ? StateDown : 0) | (hitTest ? HitTest : 0));
    if (flags == 0)
        flags = StateUp | StateOver | StateDown | HitTest;
    return static_cast<std::uint8_t>(flags | (hasFilterList ? HasFilterList : 0) |
                                     (hasBlendMode ? HasBlendMode : 0) | (reserved & ReservedBits));
}

void SwfButtonRecord::read(SwfIStream& is, bool extended) {
    const std::uint8_t flags = is.readU8();
    stateUp = (flags & StateUp) != 0;
    stateOver = (flags & StateOver) != 0;
    stateDown = (flags & StateDown) != 0;
    hitTest = (flags & HitTest) != 0;
    hasFilterList = (flags & HasFilterList) != 0;
    hasBlendMode = (flags & HasBlendMode) != 0;
    reserved = flags & ReservedBits;
    characterId = is.readU16();
    depth = is.readU16();
    matrix.read(is);
    if (!extended)
        return;
    {
        SwfAlphaScope rgba(is, true);
        colorTransform.read(is);
    }
    if (hasFilterList)
        filters.read(is);
    if (hasBlendMode)
        blendMode = is.readU8();
}

std::uint32_t SwfButtonRecord::computeSize(SwfSizeContext& ctx, bool extended) const {
    std::uint64_t size = 5 + std::uint64_t{matrix.computeSize(ctx)};
    if (extended) {
        {
            SwfAlphaScope rgba(ctx, true);
            size += colorTransform.computeSize(ctx);
        }
        if (hasFilterList)
            size += filters.computeSize(ctx);
        if (hasBlendMode)
            size += 1;
    }
    return checkedLength(size, "a button record");
}

void SwfButtonRecord::write(SwfOStream& os, bool extended) const {
    os.writeU8(flagsByte());
    os.writeU16(characterId);
    os.writeU16(depth);
    matrix.write(os);
    if (!extended)
        return;
    {
        SwfAlphaScope rgba(os, true);
        colorTransform.write(os);
    }
    if (hasFilterList)
        filters.write(os);
    if (hasBlendMode)
        os.writeU8(blendMode);
}

void SwfButtonRecords::read(SwfIStream& is, bool extended) {
    // Every record takes at least six bytes, so the list ends at the body's end at the latest.
    for (;;) {
        const std::size_t start = is.position();
        if (is.readU8() == 0)
            return;
        is.setPosition(start);
        auto record = std::make_unique<SwfButtonRecord>();
        record->read(is, extended);
        push_back(std::move(record));
    }
}

std::uint64_t SwfButtonRecords::computeSize(SwfSizeContext& ctx, bool extended) const {
    std::uint64_t total = 1;
    for (const auto& record : *this)
        total += record->computeSize(ctx, extended);
    return total;
}

void SwfButtonRecords::write(SwfOStream& os, bool extended) const {
    for (const auto& record : *this)
        record->write(os, extended);
    os.writeU8(0);
}

// ---- condition actions ----------------------------------------------------------------------

std::uint16_t SwfButtonAction::conditionWord() const {
    if (keyCode > 127)
        throw SwfException(SwfException::ValueOutOfRange,
                           "a condition action's key code " + std::to_string(keyCode) +
                               " does not fit its 7 bits (0 to 127)");
    if (conditions & ~ConditionBits)
        throw SwfException(SwfException::ValueOutOfRange,
                           "a condition action's conditions " + std::to_string(conditions) +
                               " set bits beyond the nine transitions (at most 511)");
    return static_cast<std::uint16_t>(conditions | keyCode << 9);
}

void SwfButtonActions::read(SwfIStream& is) {
    // Every entry takes at least four bytes, so a list without a last entry ends in a failed
    // read at the body's end rather than running on.
    for (;;) {
        const std::uint16_t size = is.readU16();
        const std::uint16_t word = is.readU16();
        auto action = std::make_unique<SwfButtonAction>();
        action->conditions = word & SwfButtonAction::ConditionBits;
        action->keyCode = static_cast<std::uint16_t>(word >> 9);
        action->actions.readUntilEnd(is);
        push_back(std::move(action));
        if (size == 0)
            return;
    }
}

std::uint64_t SwfButtonActions::computeSize(SwfSizeContext& ctx) {
    std::uint64_t total = 0;
    for (std::size_t i = 0; i < size(); ++i) {
        SwfButtonAction& action = *(*this)[i];
        // Refuses a key code or conditions that do not fit before anything is written.
        action.conditionWord();
        const std::uint64_t entry = 4 + action.actions.computeSize(ctx);
        // The last entry's size field is 0, so only the others are bounded by it.
        if (i + 1 < size() && entry > 0xFFFF)
            throw SwfException(SwfException::ValueOutOfRange,
                               "condition action " + std::to_string(i) + " takes " +
                                   std::to_string(entry) +
                                   " bytes, more than the 65535 its size field can hold");
        total += entry;
    }
    return total;
}

void SwfButtonActions::write(SwfOStream& os) const {
    for (std::size_t i = 0; i < size(); ++i) {
        const SwfButtonAction& action = *(*this)[i];
        const bool last = i + 1 == size();
        os.writeU16(last ? 0 : static_cast<std::uint16_t>(4 + action.actions.byteSize()));
        os.writeU16(action.conditionWord());
        action.actions.write(os);
    }
}

// ---- DefineButton ---------------------------------------------------------------------------

SwfTagDefineButton::SwfTagDefineButton(SwfIStream& is) : SwfDefinitionTag(7, 0) {
    id = is.readU16();
    records.read(is, false);
    actions.readUntilEnd(is);
}

std::uint32_t SwfTagDefineButton::bodySize(SwfSizeContext& ctx) {
    return checkedLength(2 + records.computeSize(ctx, false) + actions.computeSize(ctx),
                         "a DefineButton body");
}

void SwfTagDefineButton::writeBody(SwfOStream& os) const {
    os.writeU16(id);
    records.write(os, false);
    actions.write(os);
}

// ---- DefineButton2 --------------------------------------------------------------------------

SwfTagDefineButton2::SwfTagDefineButton2(SwfIStream& is) : SwfDefinitionTag(34, 0) {
    id = is.readU16();
    const std::uint8_t flags = is.readU8();
    trackAsMenu = (flags & TrackAsMenuBit) != 0;
    reserved = flags & ~TrackAsMenuBit;
    // The offset only says whether condition actions follow: they start where the records end.
    const std::uint16_t actionOffset = is.readU16();
    records.read(is, true);
    if (actionOffset != 0)
        conditionActions.read(is);
}

std::uint32_t SwfTagDefineButton2::bodySize(SwfSizeContext& ctx) {
    const std::uint64_t recordBytes = records.computeSize(ctx, true);
    const std::uint64_t actionBytes = conditionActions.computeSize(ctx);
    m_actionOffset = 0;
    if (!conditionActions.empty()) {
        // The offset counts from its own field, which is two bytes long.
        if (recordBytes + 2 > 0xFFFF)
            throw SwfException(SwfException::ValueOutOfRange,
                               "DefineButton2 has " + std::to_string(recordBytes) +
                                   " bytes of button records before its condition actions, "
                                   "more than the 65533 its action offset can pass");
        m_actionOffset = static_cast<std::uint16_t>(recordBytes + 2);
    }
    return checkedLength(5 + recordBytes + actionBytes, "a DefineButton2 body");
}

void SwfTagDefineButton2::writeBody(SwfOStream& os) const {
    os.writeU16(id);
    os.writeU8(static_cast<std::uint8_t>((trackAsMenu ? TrackAsMenuBit : 0) |
                                         (reserved & ~TrackAsMenuBit)));
    os.writeU16(m_actionOffset);
    records.write(os, true);
    conditionActions.write(os);
}

// ---- DefineButtonCxform ---------------------------------------------------------------------

SwfTagDefineButtonCxform::SwfTagDefineButtonCxform(SwfIStream& is) : SwfTag(23) {
    buttonId = is.readU16();
    SwfAlphaScope rgb(is, false);
    colorTransform.read(is);
}

std::uint32_t SwfTagDefineButtonCxform::bodySize(SwfSizeContext& ctx) {
    SwfAlphaScope rgb(ctx, false);
    return 2 + colorTransform.computeSize(ctx);
}

void SwfTagDefineButtonCxform::writeBody(SwfOStream& os) const {
    os.writeU16(buttonId);
    SwfAlphaScope rgb(os, false);
    colorTransform.write(os);
}

// ---- DefineButtonSound ----------------------------------------------------------------------

SwfTagDefineButtonSound::SwfTagDefineButtonSound(SwfIStream& is) : SwfTag(17) {
    buttonId = is.readU16();
    for (std::size_t i = 0; i < soundIds.size(); ++i) {
        soundIds[i] = is.readU16();
        if (soundIds[i] != 0)
            soundInfos[i].read(is);
    }
}

std::uint32_t SwfTagDefineButtonSound::bodySize(SwfSizeContext& ctx) {
    std::uint32_t size = 10;
    for (std::size_t i = 0; i < soundIds.size(); ++i)
        if (soundIds[i] != 0)
            size += soundInfos[i].computeSize(ctx);
    return size;
}

void SwfTagDefineButtonSound::writeBody(SwfOStream& os) const {
    os.writeU16(buttonId);
    for (std::size_t i = 0; i < soundIds.size(); ++i) {
        os.writeU16(soundIds[i]);
        if (soundIds[i] != 0)
            soundInfos[i].write(os);
    }
}

} // namespace libswf
