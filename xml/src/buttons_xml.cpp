// Buttons in XML: the two button definitions with their records and condition actions, and
// the colour transform and sounds added to a button of the first kind.
#include "actions_xml.h"
#include "family.h"
#include "filters_xml.h"
#include "sound_xml.h"

#include "libswf/buttons.h"

#include <algorithm>

namespace swfxml {

using namespace libswf;

namespace {

// Elements from the tag element down to a condition action's list, both included.
constexpr int kConditionActionsLevel = 4;
constexpr int kButtonActionsLevel = 2;

constexpr struct {
    const char* name;
    bool SwfButtonRecord::*flag;
} kRecordFlags[] = {
    {"StateUp", &SwfButtonRecord::stateUp},
    {"StateOver", &SwfButtonRecord::stateOver},
    {"StateDown", &SwfButtonRecord::stateDown},
    {"HitTest", &SwfButtonRecord::hitTest},
    {"HasFilterList", &SwfButtonRecord::hasFilterList},
    {"HasBlendMode", &SwfButtonRecord::hasBlendMode},
};

constexpr struct {
    const char* name;
    std::uint16_t bit;
} kConditions[] = {
    {"RollOver", SwfButtonAction::RollOver},
    {"RollOut", SwfButtonAction::RollOut},
    {"Press", SwfButtonAction::Press},
    {"Release", SwfButtonAction::Release},
    {"PushDragOut", SwfButtonAction::PushDragOut},
    {"PushDragOver", SwfButtonAction::PushDragOver},
    {"PushReleaseOutside", SwfButtonAction::PushReleaseOutside},
    {"MenuDragOver", SwfButtonAction::MenuDragOver},
    {"MenuDragOut", SwfButtonAction::MenuDragOut},
};

constexpr struct {
    const char* name;
    std::uint16_t code;
} kKeys[] = {
    {"LeftArrow", 1}, {"RightArrow", 2}, {"Home", 3},   {"End", 4},      {"Insert", 5},
    {"Delete", 6},    {"BackSpace", 8},  {"Enter", 13}, {"UpArrow", 14}, {"DownArrow", 15},
    {"PageUp", 16},   {"PageDown", 17},  {"Tab", 18},   {"Escape", 19},
};

constexpr const char* kSoundInfoNames[] = {"SoundInfoRollOut", "SoundInfoRollOver",
                                           "SoundInfoPress", "SoundInfoRelease"};
constexpr const char* kSoundIdNames[] = {"SoundIdRollOut", "SoundIdRollOver", "SoundIdPress",
                                         "SoundIdRelease"};

// ---- records ----------------------------------------------------------------------------

void appendRecords(SwfXmlOut& element, const SwfButtonRecords& records, bool extended) {
    SwfXmlOut list = element.child("ButtonRecords");
    for (const auto& record : records) {
        SwfXmlOut child = list.child("ButtonRecord");
        setNumber(child, "CharacterId", record->characterId);
        setNumber(child, "Depth", record->depth);
        if (extended && record->hasBlendMode)
            setNumber(child, "BlendMode", record->blendMode);
        SwfXmlOut bits = child.child("BitsField");
        for (const auto& flag : kRecordFlags)
            setBool(bits, flag.name, (*record).*flag.flag);
        // Bits without a name appear only when a movie sets them.
        if (record->reserved)
            setNumber(bits, "Reserved", record->reserved);
        appendMatrix(child, "Matrix", record->matrix);
        if (extended) {
            appendColorTransform(child, record->colorTransform);
            if (record->hasFilterList)
                appendFilterList(child, record->filters);
        }
    }
}

// Whether filters and a blend mode are written depends only on the flags of BitsField, never
// on whether their values are given.
void readRecords(const SwfXmlIn& list, SwfButtonRecords& records) {
    for (SwfXmlIn child = list.nextChild(); child; child = list.nextChild()) {
        if (!namesEqual(child.name(), "ButtonRecord"))
            continue;
        auto record = std::make_unique<SwfButtonRecord>();
        readNumber(child, "CharacterId", record->characterId);
        readNumber(child, "Depth", record->depth);
        readNumber(child, "BlendMode", record->blendMode);
        FirstOfEach first;
        for (SwfXmlIn part = child.nextChild(); part; part = child.nextChild()) {
            if (first.is(part, 0, "BitsField")) {
                for (const auto& flag : kRecordFlags)
                    readBool(part, flag.name, (*record).*flag.flag);
                std::uint8_t reserved = 0;
                readNumber(part, "Reserved", reserved);
                record->reserved = reserved & SwfButtonRecord::ReservedBits;
            } else if (first.is(part, 1, "Matrix")) {
                record->matrix = readMatrix(part);
            } else if (first.is(part, 2, "ColorTransform")) {
                record->colorTransform = readColorTransform(part);
            } else if (first.is(part, 3, "FilterList")) {
                readFilterList(part, record->filters);
            }
        }
        records.push_back(std::move(record));
    }
}

// ---- condition actions ------------------------------------------------------------------

// The fourteen keys by name, any other key code in decimal, so that no key is lost.
void setKeyCode(SwfXmlOut& element, std::uint16_t code) {
    const auto* key = std::find_if(std::begin(kKeys), std::end(kKeys),
                                   [code](const auto& k) { return k.code == code; });
    if (key != std::end(kKeys))
        element.attribute("KeyCode", key->name);
    else
        setNumber(element, "KeyCode", code);
}

// A name of the fourteen keys in any case, or a decimal number; other text leaves the code.
void readKeyCode(const SwfXmlIn& element, std::uint16_t& code) {
    const SwfXmlAttribute* attribute = findAttribute(element, "KeyCode");
    if (!attribute)
        return;
    const std::string_view text = attribute->value;
    for (const auto& key : kKeys)
        if (namesEqual(text, key.name)) {
            code = key.code;
            return;
        }
    if (!text.empty() &&
        std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; }))
        code = parseNumber<std::uint16_t>(text);
}

void appendConditionActions(SwfXmlOut& element, const SwfButtonActions& actions) {
    SwfXmlOut list = element.child("ButtonCondactions");
    for (const auto& action : actions) {
        SwfXmlOut child = list.child("ButtonCondaction");
        for (const auto& condition : kConditions)
            setBool(child, condition.name, (action->conditions & condition.bit) != 0);
        if (action->keyCode != 0)
            setKeyCode(child, action->keyCode);
        SwfXmlOut script = child.child("Actions");
        writeActions(script, action->actions, kConditionActionsLevel);
    }
}

void readConditionActions(const SwfXmlIn& list, SwfButtonActions& actions) {
    for (SwfXmlIn child = list.nextChild(); child; child = list.nextChild()) {
        if (!namesEqual(child.name(), "ButtonCondaction"))
            continue;
        auto action = std::make_unique<SwfButtonAction>();
        for (const auto& condition : kConditions) {
            bool on = false;
            readBool(child, condition.name, on);
            if (on)
                action->conditions |= condition.bit;
        }
        readKeyCode(child, action->keyCode);
        // The first child element is the list, whatever its name; without one the entry still
        // gets its End, which the binary reader needs to find the entry's end.
        readActions(child.nextChild(), action->actions);
        actions.push_back(std::move(action));
    }
}

// ---- DefineButton and DefineButton2 -----------------------------------------------------

void writeDefineButton(SwfXmlWriter&, const SwfTag& tag, SwfXmlOut& element) {
    const auto& button = static_cast<const SwfTagDefineButton&>(tag);
    setNumber(element, "ButtonId", button.id);
    appendRecords(element, button.records, false);
    // A button whose body ends with its records has no Actions element, so that it comes back
    // without the End an element would add.
    if (!button.actions.empty()) {
        SwfXmlOut script = element.child("Actions");
        writeActions(script, button.actions, kButtonActionsLevel);
    }
}

std::unique_ptr<SwfTag> readDefineButton(const SwfXmlIn& element, SwfXmlReader&) {
    auto tag = std::make_unique<SwfTagDefineButton>();
    readNumber(element, "ButtonId", tag->id);
    FirstOfEach first;
    for (SwfXmlIn child = element.nextChild(); child; child = element.nextChild()) {
        if (first.is(child, 0, "ButtonRecords"))
            readRecords(child, tag->records);
        else if (first.is(child, 1, "Actions"))
            readActions(child, tag->actions);
    }
    return tag;
}

void writeDefineButton2(SwfXmlWriter&, const SwfTag& tag, SwfXmlOut& element) {
    const auto& button = static_cast<const SwfTagDefineButton2&>(tag);
    setNumber(element, "ButtonId", button.id);
    setBool(element, "TrackAsMenu", button.trackAsMenu);
    if (button.reserved)
        setNumber(element, "Reserved", button.reserved);
    appendRecords(element, button.records, true);
    appendConditionActions(element, button.conditionActions);
}

std::unique_ptr<SwfTag> readDefineButton2(const SwfXmlIn& element, SwfXmlReader&) {
    auto tag = std::make_unique<SwfTagDefineButton2>();
    readNumber(element, "ButtonId", tag->id);
    readBool(element, "TrackAsMenu", tag->trackAsMenu);
    std::uint8_t reserved = 0;
    readNumber(element, "Reserved", reserved);
    tag->reserved = reserved & ~SwfTagDefineButton2::TrackAsMenuBit;
    FirstOfEach first;
    for (SwfXmlIn child = element.nextChild(); child; child = element.nextChild()) {
        if (first.is(child, 0, "ButtonRecords"))
            readRecords(child, tag->records);
        else if (first.is(child, 1, "ButtonCondactions"))
            readConditionActions(child, tag->conditionActions);
    }
    return tag;
}

// ---- DefineButtonCxform and DefineButtonSound -------------------------------------------

void writeDefineButtonCxform(SwfXmlWriter&, const SwfTag& tag, SwfXmlOut& element) {
    const auto& cxform = static_cast<const SwfTagDefineButtonCxform&>(tag);
    setNumber(element, "ButtonId", cxform.buttonId);
    appendColorTransform(element, cxform.colorTransform);
}

std::unique_ptr<SwfTag> readDefineButtonCxform(const SwfXmlIn& element, SwfXmlReader&) {
    auto tag = std::make_unique<SwfTagDefineButtonCxform>();
    readNumber(element, "ButtonId", tag->buttonId);
    if (const SwfXmlIn transform = findChild(element, "ColorTransform"))
        tag->colorTransform = readColorTransform(transform);
    return tag;
}

void writeDefineButtonSound(SwfXmlWriter&, const SwfTag& tag, SwfXmlOut& element) {
    const auto& sound = static_cast<const SwfTagDefineButtonSound&>(tag);
    setNumber(element, "ButtonId", sound.buttonId);
    for (std::size_t i = 0; i < sound.soundIds.size(); ++i)
        setNumber(element, kSoundIdNames[i], sound.soundIds[i]);
    for (std::size_t i = 0; i < sound.soundIds.size(); ++i)
        if (sound.soundIds[i] != 0)
            appendSoundInfo(element, kSoundInfoNames[i], sound.soundInfos[i]);
}

std::unique_ptr<SwfTag> readDefineButtonSound(const SwfXmlIn& element, SwfXmlReader&) {
    auto tag = std::make_unique<SwfTagDefineButtonSound>();
    readNumber(element, "ButtonId", tag->buttonId);
    for (std::size_t i = 0; i < tag->soundIds.size(); ++i)
        readNumber(element, kSoundIdNames[i], tag->soundIds[i]);
    FirstOfEach first;
    for (SwfXmlIn child = element.nextChild(); child; child = element.nextChild())
        for (unsigned i = 0; i < tag->soundInfos.size(); ++i)
            if (first.is(child, i, kSoundInfoNames[i])) {
                readSoundInfo(child, tag->soundInfos[i]);
                break;
            }
    return tag;
}

constexpr SwfXmlTagCodec kButtonCodecs[] = {
    {7, &writeDefineButton, &readDefineButton},
    {17, &writeDefineButtonSound, &readDefineButtonSound},
    {23, &writeDefineButtonCxform, &readDefineButtonCxform},
    {34, &writeDefineButton2, &readDefineButton2},
};

} // namespace

std::span<const SwfXmlTagCodec> buttonCodecs() {
    return kButtonCodecs;
}

} // namespace swfxml
