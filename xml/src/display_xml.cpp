// PlaceObject2 and PlaceObject3 in XML, with clip actions and filters.
//
// What the version changes: clip actions of PlaceObject2 exist from version 5 on; below it an
// empty ClipActions element keeps the flag, and records in it fail the compile. The event word
// is 16 bits up to version 5, so DragOut, KeyPress and Construct fail the compile there.
// KeyCode is shown and read from version 6 on, where the binary form carries it.
#include "actions_xml.h"
#include "family.h"
#include "filters_xml.h"

#include "libswf/display.h"

#include <iterator>

namespace swfxml {

using namespace libswf;

namespace {

// The actions of a record hang below PlaceObject, ClipActions and ClipAction.
constexpr int kClipActionLevel = 3;

constexpr const char* kEventNames[] = {
    "EventLoad",     "EventEnterFrame", "EventUnload",         "EventMouseMove", "EventMouseDown",
    "EventMouseUp",  "EventKeyDown",    "EventKeyUp",          "EventData",      "EventInitialize",
    "EventPress",    "EventRelease",    "EventReleaseOutside", "EventRollOver",  "EventRollOut",
    "EventDragOver", "EventDragOut",    "EventKeyPress",       "EventConstruct",
};
static_assert(std::size(kEventNames) == 19);

// Bits above the named events are shown as Reserved only when a movie sets them.
void appendClipActions(SwfXmlOut& parent, const SwfClipActions& actions, std::uint8_t version) {
    SwfXmlOut list = parent.child("ClipActions");
    for (const auto& action : actions) {
        SwfXmlOut element = list.child("ClipAction");
        for (unsigned bit = 0; bit < std::size(kEventNames); ++bit)
            setBool(element, kEventNames[bit], (action->events >> bit) & 1);
        if (action->writesKeyCode(version))
            setNumber(element, "KeyCode", action->keyCode);
        if (const std::uint32_t reserved = action->events & ~SwfClipAction::NamedEvents)
            setNumber(element, "Reserved", reserved);
        writeActions(element, action->actions, kClipActionLevel);
    }
}

void readClipActions(const SwfXmlIn& list, SwfClipActions& actions, std::uint8_t version) {
    actions.clear();
    for (SwfXmlIn element = list.nextChild(); element; element = list.nextChild()) {
        auto action = std::make_unique<SwfClipAction>();
        for (unsigned bit = 0; bit < std::size(kEventNames); ++bit) {
            bool on = false;
            if (readBool(element, kEventNames[bit], on) && on)
                action->events |= 1u << bit;
        }
        std::uint32_t reserved = 0;
        readNumber(element, "Reserved", reserved);
        action->events |= reserved & ~SwfClipAction::NamedEvents;
        if (version >= 6 && (action->events & SwfClipAction::KeyPress))
            action->keyCodeOmitted = !readNumber(element, "KeyCode", action->keyCode);
        // A record without any child has no actions at all, not even End, as a record of
        // size 0 holds none; any child makes it an action list ending with one End.
        readActions(element, action->actions, false);
        actions.push_back(std::move(action));
    }
}

// ---- PlaceObject2 ----------------------------------------------------------------------------

void writePlaceObject2(SwfXmlWriter& ctx, const SwfTag& tag, SwfXmlOut& element) {
    const auto& place = static_cast<const SwfTagPlaceObject2&>(tag);
    setNumber(element, "Depth", place.depth);
    if (place.hasCharacter)
        setNumber(element, "CharacterId", place.characterId);
    if (place.hasRatio)
        setNumber(element, "Ratio", place.ratio);
    if (place.hasName)
        setString(element, "Name", place.name);
    if (place.hasClipDepth)
        setNumber(element, "ClipDepth", place.clipDepth);
    setBool(element, "Move", place.move);
    if (place.hasMatrix)
        appendMatrix(element, "Matrix", place.matrix);
    if (place.hasColorTransform)
        appendColorTransform(element, place.colorTransform);
    if (place.hasClipActions)
        appendClipActions(element, place.clipActions, ctx.movie.version);
}

std::unique_ptr<SwfTag> readPlaceObject2(const SwfXmlIn& element, SwfXmlReader& ctx) {
    auto tag = std::make_unique<SwfTagPlaceObject2>();
    readNumber(element, "Depth", tag->depth);
    tag->hasCharacter = readNumber(element, "CharacterId", tag->characterId);
    tag->hasRatio = readNumber(element, "Ratio", tag->ratio);
    tag->hasName = readString(element, "Name", tag->name);
    tag->hasClipDepth = readNumber(element, "ClipDepth", tag->clipDepth);
    readBool(element, "Move", tag->move);
    FirstOfEach first;
    for (SwfXmlIn child = element.nextChild(); child; child = element.nextChild()) {
        if (first.is(child, 0, "Matrix")) {
            tag->matrix = readMatrix(child);
            tag->hasMatrix = true;
        } else if (first.is(child, 1, "ColorTransform")) {
            tag->colorTransform = readColorTransform(child);
            tag->hasColorTransform = true;
        } else if (first.is(child, 2, "ClipActions")) {
            readClipActions(child, tag->clipActions, ctx.movie->version);
            tag->hasClipActions = true;
        }
    }
    return tag;
}

// ---- PlaceObject3 ----------------------------------------------------------------------------

// The three late fields appear only when the movie holds them, so that a body that ends
// before them comes back without them.
void writePlaceObject3(SwfXmlWriter& ctx, const SwfTag& tag, SwfXmlOut& element) {
    using P = SwfTagPlaceObject3;
    const auto& place = static_cast<const P&>(tag);
    setNumber(element, "PlaceObject2Value", place.flags);
    setNumber(element, "ExtendedValue", place.extendedFlags);
    setNumber(element, "Depth", place.depth);
    if (place.extendedFlags & P::HasClassName)
        setString(element, "ClassName", place.className);
    if (place.flags & P::HasCharacter)
        setNumber(element, "CharacterId", place.characterId);
    if (place.flags & P::HasRatio)
        setNumber(element, "Ratio", place.ratio);
    if (place.flags & P::HasName)
        setString(element, "Name", place.name);
    if (place.flags & P::HasClipDepth)
        setNumber(element, "ClipDepth", place.clipDepth);
    if (place.extendedFlags & P::HasBlendMode)
        setNumber(element, "BlendMode", place.blendMode);
    const P::LateFields late = place.lateFields();
    if (late.bitmapCache)
        setNumber(element, "BitmapCache", place.bitmapCache);
    if (late.visible)
        setNumber(element, "Visible", place.visible);
    if (late.backgroundColor)
        setNumber(element, "BackgroundColor", place.backgroundColor);
    if (place.flags & P::HasMatrix)
        appendMatrix(element, "Matrix", place.matrix);
    if (place.flags & P::HasColorTransform)
        appendColorTransform(element, place.colorTransform);
    if (place.extendedFlags & P::HasFilterList)
        appendFilterList(element, place.filters);
    if (place.flags & P::HasClipActions)
        appendClipActions(element, place.clipActions, ctx.movie.version);
}

std::unique_ptr<SwfTag> readPlaceObject3(const SwfXmlIn& element, SwfXmlReader& ctx) {
    using P = SwfTagPlaceObject3;
    auto tag = std::make_unique<P>();
    readNumber(element, "PlaceObject2Value", tag->flags);
    readNumber(element, "ExtendedValue", tag->extendedFlags);
    readNumber(element, "Depth", tag->depth);
    const auto mark = [](bool found, std::uint8_t& flags, std::uint8_t bit) {
        if (found)
            flags |= bit;
        return found;
    };
    mark(readString(element, "ClassName", tag->className), tag->extendedFlags, P::HasClassName);
    mark(readNumber(element, "CharacterId", tag->characterId), tag->flags, P::HasCharacter);
    mark(readNumber(element, "Ratio", tag->ratio), tag->flags, P::HasRatio);
    mark(readString(element, "Name", tag->name), tag->flags, P::HasName);
    mark(readNumber(element, "ClipDepth", tag->clipDepth), tag->flags, P::HasClipDepth);
    mark(readNumber(element, "BlendMode", tag->blendMode), tag->extendedFlags, P::HasBlendMode);
    tag->hasBitmapCache = mark(readNumber(element, "BitmapCache", tag->bitmapCache),
                               tag->extendedFlags, P::HasCacheAsBitmap);
    tag->hasVisible =
        mark(readNumber(element, "Visible", tag->visible), tag->extendedFlags, P::HasVisible);
    if (const SwfXmlAttribute* color = findAttribute(element, "BackgroundColor")) {
        tag->backgroundColor = parseColorWord(color->value);
        tag->hasBackgroundColor = true;
        tag->extendedFlags |= P::HasOpaqueBackground;
    }
    FirstOfEach first;
    for (SwfXmlIn child = element.nextChild(); child; child = element.nextChild()) {
        if (first.is(child, 0, "Matrix")) {
            tag->matrix = readMatrix(child);
            tag->flags |= P::HasMatrix;
        } else if (first.is(child, 1, "ColorTransform")) {
            tag->colorTransform = readColorTransform(child);
            tag->flags |= P::HasColorTransform;
        } else if (first.is(child, 2, "FilterList")) {
            readFilterList(child, tag->filters);
            tag->extendedFlags |= P::HasFilterList;
        } else if (first.is(child, 3, "ClipActions")) {
            readClipActions(child, tag->clipActions, ctx.movie->version);
            tag->flags |= P::HasClipActions;
        }
    }
    return tag;
}

constexpr SwfXmlTagCodec kDisplayCodecs[] = {
    {26, &writePlaceObject2, &readPlaceObject2},
    {70, &writePlaceObject3, &readPlaceObject3},
};

} // namespace

std::span<const SwfXmlTagCodec> displayCodecs() {
    return kDisplayCodecs;
}

} // namespace swfxml
