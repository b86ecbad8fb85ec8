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

void appendRecords(pugi::xml_node& element, const SwfButtonRecords& records, bool extended) {
    pugi::xml_node list = element.append_child("ButtonRecords");
    for (const auto& record : records) {
        pugi::xml_node child = list.append_child("ButtonRecord");
        setNumber(child, "CharacterId", record->characterId);
        setNumber(child, "Depth", record->depth);
        if (extended && record->hasBlendMode)
            setNumber(child, "BlendMode", record->blendMode);
        pugi::xml_node bits = child.append_child("BitsField");
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
void readRecords(const pugi::xml_node& list, SwfButtonRecords& records) {
    for (pugi::xml_node child = list.first_child(); child; child = child.next_sibling()) {
        if (child.type() != pugi::node_element || !namesEqual(child.name(), "ButtonRecord"))
            continue;
        auto record = std::make_unique<SwfButtonRecord>();
        readNumber(child, "CharacterId", record->characterId);
        readNumber(child, "Depth", record->depth);
        readNumber(child, "BlendMode", record->blendMode);
        if (const pugi::xml_node bits = findChild(child, "BitsField")) {
            for (const auto& flag : kRecordFlags)
                readBool(bits, flag.name, (*record).*flag.flag);
            std::uint8_t reserved = 0;
            readNumber(bits, "Reserved", reserved);
            record->reserved = reserved & SwfButtonRecord::ReservedBits;
        }
        if (const pugi::xml_node matrix = findChild(child, "Matrix"))
            record->matrix = readMatrix(matrix);
        if (const pugi::xml_node transform = findChild(child, "ColorTransform"))
            record->colorTransform = readColorTransform(transform);
        if (const pugi::xml_node filters = findChild(child, "FilterList"))
            readFilterList(filters, record->filters);
        records.push_back(std::move(record));
    }
}

// ---- condition actions ------------------------------------------------------------------

// The fourteen keys by name, any other key code in decimal, so that no key is lost.
void setKeyCode(pugi::xml_node& element, std::uint16_t code) {
    const auto* key = std::find_if(std::begin(kKeys), std::end(kKeys),
                                   [code](const auto& k) { return k.code == code; });
    if (key != std::end(kKeys))
        element.append_attribute("KeyCode").set_value(key->name);
    else
        setNumber(element, "KeyCode", code);
}

// A name of the fourteen keys in any case, or a decimal number; other text leaves the code.
void readKeyCode(const pugi::xml_node& element, std::uint16_t& code) {
    const pugi::xml_attribute attribute = findAttribute(element, "KeyCode");
    if (!attribute)
        return;
    const std::string_view text = attribute.value();
    for (const auto& key : kKeys)
        if (namesEqual(text, key.name)) {
            code = key.code;
            return;
        }
    if (!text.empty() &&
        std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; }))
        code = parseNumber<std::uint16_t>(text);
}

void appendConditionActions(pugi::xml_node& element, const SwfButtonActions& actions) {
    pugi::xml_node list = element.append_child("ButtonCondactions");
    for (const auto& action : actions) {
        pugi::xml_node child = list.append_child("ButtonCondaction");
        for (const auto& condition : kConditions)
            setBool(child, condition.name, (action->conditions & condition.bit) != 0);
        if (action->keyCode != 0)
            setKeyCode(child, action->keyCode);
        pugi::xml_node script = child.append_child("Actions");
        writeActions(script, action->actions, kConditionActionsLevel);
    }
}

void readConditionActions(const pugi::xml_node& list, SwfButtonActions& actions) {
    for (pugi::xml_node child = list.first_child(); child; child = child.next_sibling()) {
        if (child.type() != pugi::node_element || !namesEqual(child.name(), "ButtonCondaction"))
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
        readActions(firstElement(child), action->actions);
        actions.push_back(std::move(action));
    }
}

// ---- DefineButton and DefineButton2 -----------------------------------------------------

void writeDefineButton(SwfXmlWriter&, const SwfTag& tag, pugi::xml_node& element) {
    const auto& button = static_cast<const SwfTagDefineButton&>(tag);
    setNumber(element, "ButtonId", button.id);
    appendRecords(element, button.records, false);
    // A button whose body ends with its records has no Actions element, so that it comes back
    // without the End an element would add.
    if (!button.actions.empty()) {
        pugi::xml_node script = element.append_child("Actions");
        writeActions(script, button.actions, kButtonActionsLevel);
    }
}

std::unique_ptr<SwfTag> readDefineButton(const pugi::xml_node& element, SwfXmlReader&) {
    auto tag = std::make_unique<SwfTagDefineButton>();
    readNumber(element, "ButtonId", tag->id);
    if (const pugi::xml_node records = findChild(element, "ButtonRecords"))
        readRecords(records, tag->records);
    if (const pugi::xml_node script = findChild(element, "Actions"))
        readActions(script, tag->actions);
    return tag;
}

void writeDefineButton2(SwfXmlWriter&, const SwfTag& tag, pugi::xml_node& element) {
    const auto& button = static_cast<const SwfTagDefineButton2&>(tag);
    setNumber(element, "ButtonId", button.id);
    setBool(element, "TrackAsMenu", button.trackAsMenu);
    if (button.reserved)
        setNumber(element, "Reserved", button.reserved);
    appendRecords(element, button.records, true);
    appendConditionActions(element, button.conditionActions);
}

std::unique_ptr<SwfTag> readDefineButton2(const pugi::xml_node& element, SwfXmlReader&) {
    auto tag = std::make_unique<SwfTagDefineButton2>();
    readNumber(element, "ButtonId", tag->id);
    readBool(element, "TrackAsMenu", tag->trackAsMenu);
    std::uint8_t reserved = 0;
    readNumber(element, "Reserved", reserved);
    tag->reserved = reserved & ~SwfTagDefineButton2::TrackAsMenuBit;
    if (const pugi::xml_node records = findChild(element, "ButtonRecords"))
        readRecords(records, tag->records);
    if (const pugi::xml_node actions = findChild(element, "ButtonCondactions"))
        readConditionActions(actions, tag->conditionActions);
    return tag;
}

// ---- DefineButtonCxform and DefineButtonSound -------------------------------------------

void writeDefineButtonCxform(SwfXmlWriter&, const SwfTag& tag, pugi::xml_node& element) {
    const auto& cxform = static_cast<const SwfTagDefineButtonCxform&>(tag);
    setNumber(element, "ButtonId", cxform.buttonId);
    appendColorTransform(element, cxform.colorTransform);
}

std::unique_ptr<SwfTag> readDefineButtonCxform(const pugi::xml_node& element, SwfXmlReader&) {
    auto tag = std::make_unique<SwfTagDefineButtonCxform>();
    readNumber(element, "ButtonId", tag->buttonId);
    if (const pugi::xml_node transform = findChild(element, "ColorTransform"))
        tag->colorTransform = readColorTransform(transform);
    return tag;
}

void writeDefineButtonSound(SwfXmlWriter&, const SwfTag& tag, pugi::xml_node& element) {
    const auto& sound = static_cast<const SwfTagDefineButtonSound&>(tag);
    setNumber(element, "ButtonId", sound.buttonId);
    for (std::size_t i = 0; i < sound.soundIds.size(); ++i)
        setNumber(element, kSoundIdNames[i], sound.soundIds[i]);
    for (std::size_t i = 0; i < sound.soundIds.size(); ++i)
        if (sound.soundIds[i] != 0)
            appendSoundInfo(element, kSoundInfoNames[i], sound.soundInfos[i]);
}

std::unique_ptr<SwfTag> readDefineButtonSound(const pugi::xml_node& element, SwfXmlReader&) {
    auto tag = std::make_unique<SwfTagDefineButtonSound>();
    readNumber(element, "ButtonId", tag->buttonId);
    for (std::size_t i = 0; i < tag->soundIds.size(); ++i) {
        readNumber(element, kSoundIdNames[i], tag->soundIds[i]);
        readSoundInfo(findChild(element, kSoundInfoNames[i]), tag->soundInfos[i]);
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
