#include "libswf/display.h"

#include "libswf/exception.h"
#include "structs/tag_state.h"

#include <charconv>
#include <limits>
#include <string>

namespace libswf {

namespace {

// The event word is 16 bits wide up to version 5 and 32 bits from version 6.
bool wideEvents(const SwfStream& stream) {
    return stream.version >= 6;
}

std::uint32_t readEventWord(SwfIStream& is) {
    return wideEvents(is) ? is.readU32() : is.readU16();
}

void writeEventWord(SwfOStream& os, std::uint32_t events) {
    if (wideEvents(os))
        os.writeU32(events);
    else
        os.writeU16(static_cast<std::uint16_t>(events));
}

std::string hexText(std::uint32_t value) {
    char buffer[8];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value, 16);
    return std::string(buffer, result.ptr);
}

} // namespace

// ---- clip actions ----------------------------------------------------------------------------

bool SwfClipAction::writesKeyCode(std::uint8_t version) const {
    return version >= 6 && (events & KeyPress) && !(keyCodeOmitted && actions.empty());
}

void SwfClipAction::read(SwfIStream& is) {
    events = readEventWord(is);
    const std::uint32_t size = is.readU32();
    std::uint32_t actionSize = size;
    // The key code counts in the record size; a record of size 0 has room for none.
    if (wideEvents(is) && (events & KeyPress)) {
        if (size == 0) {
            keyCodeOmitted = true;
        } else {
            keyCode = is.readU8();
            actionSize = size - 1;
        }
    }
    actions.readBySize(is, actionSize);
}

std::uint32_t SwfClipAction::computeSize(SwfSizeContext& ctx) {
    if (!wideEvents(ctx) && (events & ~0xFFFFu))
        throw SwfException(SwfException::ValueOutOfRange,
                           "a clip action has events 0x" + hexText(events & ~0xFFFFu) +
                               " that the 16-bit event word of version " +
                               std::to_string(ctx.version) +
                               " cannot hold; DragOut, KeyPress and Construct need version 6");
    // A word of 0 ends the list, so a record without events would be read as its end.
    if (events == 0)
        throw SwfException(SwfException::ValueOutOfRange,
                           "a clip action has no events; its event word of 0 would end the list");
    const std::uint64_t record = actions.computeSize(ctx) + (writesKeyCode(ctx.version) ? 1 : 0);
    m_recordSize = checkedLength(record, "a clip action record");
    return checkedLength(std::uint64_t{m_recordSize} + (wideEvents(ctx) ? 8 : 6),
                         "a clip action record");
}

void SwfClipAction::write(SwfOStream& os) const {
    writeEventWord(os, events);
    os.writeU32(m_recordSize);
    if (writesKeyCode(os.version))
        os.writeU8(keyCode);
    actions.write(os);
}

void SwfClipActions::read(SwfIStream& is) {
    clear();
    is.readU16();      // reserved
    readEventWord(is); // the OR of the records' words, recomputed on writing
    // Every record takes at least six bytes, so a list without its end word stops at the
    // body's end.
    for (;;) {
        const std::size_t start = is.position();
        if (readEventWord(is) == 0)
            return;
        is.setPosition(start);
        auto action = std::make_unique<SwfClipAction>();
        action->read(is);
        push_back(std::move(action));
    }
}

std::uint32_t SwfClipActions::computeSize(SwfSizeContext& ctx) {
    std::uint64_t total = wideEvents(ctx) ? 10 : 6;
    for (const auto& action : *this)
        total += action->computeSize(ctx);
    return checkedLength(total, "a clip actions block");
}

void SwfClipActions::write(SwfOStream& os) const {
    os.writeU16(0);
    std::uint32_t all = 0;
    for (const auto& action : *this)
        all |= action->events;
    writeEventWord(os, all);
    for (const auto& action : *this)
        action->write(os);
    writeEventWord(os, 0);
}

// ---- PlaceObject2 ----------------------------------------------------------------------------

SwfTagPlaceObject2::SwfTagPlaceObject2(SwfIStream& is) : SwfTag(26) {
    const std::uint8_t flags = is.readU8();
    move = flags & 0x01;
    hasCharacter = flags & 0x02;
    hasMatrix = flags & 0x04;
    hasColorTransform = flags & 0x08;
    hasRatio = flags & 0x10;
    hasName = flags & 0x20;
    hasClipDepth = flags & 0x40;
    hasClipActions = flags & 0x80;
    depth = is.readU16();
    if (hasCharacter)
        characterId = is.readU16();
    if (hasMatrix)
        matrix.read(is);
    if (hasColorTransform) {
        SwfAlphaScope rgba(is, true);
        colorTransform.read(is);
    }
    if (hasRatio)
        ratio = is.readU16();
    if (hasName)
        name.read(is);
    if (hasClipDepth)
        clipDepth = is.readU16();
    if (hasClipActions && is.version >= 5)
        clipActions.read(is);
}

std::uint8_t SwfTagPlaceObject2::flagsByte() const {
    return static_cast<std::uint8_t>((move ? 0x01 : 0) | (hasCharacter ? 0x02 : 0) |
                                     (hasMatrix ? 0x04 : 0) | (hasColorTransform ? 0x08 : 0) |
                                     (hasRatio ? 0x10 : 0) | (hasName ? 0x20 : 0) |
                                     (hasClipDepth ? 0x40 : 0) | (hasClipActions ? 0x80 : 0));
}

std::uint32_t SwfTagPlaceObject2::bodySize(SwfSizeContext& ctx) {
    std::uint64_t size = 3;
    if (hasCharacter)
        size += 2;
    if (hasMatrix)
        size += matrix.computeSize(ctx);
    if (hasColorTransform) {
        SwfAlphaScope rgba(ctx, true);
        size += colorTransform.computeSize(ctx);
    }
    if (hasRatio)
        size += 2;
    if (hasName)
        size += name.computeSize(ctx);
    if (hasClipDepth)
        size += 2;
    // Before version 5 the flag stands alone; records given there would be lost silently.
    if (hasClipActions && ctx.version < 5 && !clipActions.empty())
        throw SwfException(SwfException::ValueOutOfRange,
                           "PlaceObject2 has " + std::to_string(clipActions.size()) +
                               " clip actions, but movies before version 5 cannot hold them (this "
                               "is version " +
                               std::to_string(ctx.version) + ")");
    if (hasClipActions && ctx.version >= 5)
        size += clipActions.computeSize(ctx);
    return checkedLength(size, "a PlaceObject2 body");
}

void SwfTagPlaceObject2::writeBody(SwfOStream& os) const {
    os.writeU8(flagsByte());
    os.writeU16(depth);
    if (hasCharacter)
        os.writeU16(characterId);
    if (hasMatrix)
        matrix.write(os);
    if (hasColorTransform) {
        SwfAlphaScope rgba(os, true);
        colorTransform.write(os);
    }
    if (hasRatio)
        os.writeU16(ratio);
    if (hasName)
        name.write(os);
    if (hasClipDepth)
        os.writeU16(clipDepth);
    if (hasClipActions && os.version >= 5)
        clipActions.write(os);
}

// ---- PlaceObject3 ----------------------------------------------------------------------------

SwfTagPlaceObject3::SwfTagPlaceObject3(SwfIStream& is) : SwfTag(70) {
    flags = is.readU8();
    extendedFlags = is.readU8();
    depth = is.readU16();
    if (extendedFlags & HasClassName)
        className.read(is);
    if (flags & HasCharacter)
        characterId = is.readU16();
    if (flags & HasMatrix)
        matrix.read(is);
    if (flags & HasColorTransform) {
        SwfAlphaScope rgba(is, true);
        colorTransform.read(is);
    }
    if (flags & HasRatio)
        ratio = is.readU16();
    if (flags & HasName)
        name.read(is);
    if (flags & HasClipDepth)
        clipDepth = is.readU16();
    if (extendedFlags & HasFilterList)
        filters.read(is);
    if (extendedFlags & HasBlendMode)
        blendMode = is.readU8();
    if ((extendedFlags & HasCacheAsBitmap) && is.remaining() > 0) {
        bitmapCache = is.readU8();
        hasBitmapCache = true;
    }
    if ((extendedFlags & HasVisible) && is.remaining() > 0) {
        visible = is.readU8();
        hasVisible = true;
    }
    if ((extendedFlags & HasOpaqueBackground) && is.remaining() > 0) {
        backgroundColor = is.readU32();
        hasBackgroundColor = true;
    }
    if (flags & HasClipActions)
        clipActions.read(is);
}

SwfTagPlaceObject3::LateFields SwfTagPlaceObject3::lateFields() const {
    const bool actions = flags & HasClipActions;
    LateFields late{};
    late.backgroundColor = (extendedFlags & HasOpaqueBackground) && (hasBackgroundColor || actions);
    late.visible = (extendedFlags & HasVisible) && (hasVisible || late.backgroundColor || actions);
    late.bitmapCache = (extendedFlags & HasCacheAsBitmap) &&
                       (hasBitmapCache || late.visible || late.backgroundColor || actions);
    return late;
}

std::uint32_t SwfTagPlaceObject3::bodySize(SwfSizeContext& ctx) {
    std::uint64_t size = 4;
    if (extendedFlags & HasClassName)
        size += className.computeSize(ctx);
    if (flags & HasCharacter)
        size += 2;
    if (flags & HasMatrix)
        size += matrix.computeSize(ctx);
    if (flags & HasColorTransform) {
        SwfAlphaScope rgba(ctx, true);
        size += colorTransform.computeSize(ctx);
    }
    if (flags & HasRatio)
        size += 2;
    if (flags & HasName)
        size += name.computeSize(ctx);
    if (flags & HasClipDepth)
        size += 2;
    if (extendedFlags & HasFilterList)
        size += filters.computeSize(ctx);
    if (extendedFlags & HasBlendMode)
        size += 1;
    const LateFields late = lateFields();
    size += (late.bitmapCache ? 1 : 0) + (late.visible ? 1 : 0) + (late.backgroundColor ? 4 : 0);
    if (flags & HasClipActions)
        size += clipActions.computeSize(ctx);
    return checkedLength(size, "a PlaceObject3 body");
}

void SwfTagPlaceObject3::writeBody(SwfOStream& os) const {
    os.writeU8(flags);
    os.writeU8(extendedFlags);
    os.writeU16(depth);
    if (extendedFlags & HasClassName)
        className.write(os);
    if (flags & HasCharacter)
        os.writeU16(characterId);
    if (flags & HasMatrix)
        matrix.write(os);
    if (flags & HasColorTransform) {
        SwfAlphaScope rgba(os, true);
        colorTransform.write(os);
    }
    if (flags & HasRatio)
        os.writeU16(ratio);
    if (flags & HasName)
        name.write(os);
    if (flags & HasClipDepth)
        os.writeU16(clipDepth);
    if (extendedFlags & HasFilterList)
        filters.write(os);
    if (extendedFlags & HasBlendMode)
        os.writeU8(blendMode);
    const LateFields late = lateFields();
    if (late.bitmapCache)
        os.writeU8(bitmapCache);
    if (late.visible)
        os.writeU8(visible);
    if (late.backgroundColor)
        os.writeU32(backgroundColor);
    if (flags & HasClipActions)
        clipActions.write(os);
}

} // namespace libswf
