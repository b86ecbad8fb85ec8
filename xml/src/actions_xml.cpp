// Script in XML: one element per action, named after it, and the DoAction and DoInitAction
// tags that carry the top-level lists.
#include "actions_xml.h"

#include "family.h"

#include <array>
#include <charconv>
#include <string>
#include <vector>

namespace swfxml {

using namespace libswf;

namespace {

// The XML form allows no deeper nesting than the binary reader accepts.
constexpr unsigned kMaxBodyDepth = 64;

constexpr const char* kUnknownActionName = "UnknownAction";

// ---- small helpers ----------------------------------------------------------------------

// Element names are looked up often enough that they are folded to lower case once, into a
// small buffer, and then compared as bytes. Longer names than the buffer match nothing.
class LowerName {
public:
    explicit LowerName(std::string_view name) {
        if (name.size() > sizeof m_buffer)
            return;
        for (; m_size < name.size(); ++m_size) {
            const char c = name[m_size];
            m_buffer[m_size] = c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c;
        }
    }
    std::string_view view() const { return {m_buffer, m_size}; }

private:
    char m_buffer[24];
    std::size_t m_size = 0;
};

template <class T>
T firstNumber(const SwfXmlIn& element) {
    const SwfXmlAttribute* a = element.firstAttribute();
    return a ? parseNumber<T>(a->value) : T{};
}

// The first attribute's bytes, or an empty string when the element has none.
void readFirstString(const SwfXmlIn& element, SwfString& target) {
    const SwfXmlAttribute* a = element.firstAttribute();
    target.text = a ? a->value : std::string_view();
}

void setDouble(SwfXmlOut& node, const char* name, double value) {
    char buffer[40];
    const auto result =
        std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::general, 17);
    node.plainAttribute(name,
                        std::string_view(buffer, static_cast<std::size_t>(result.ptr - buffer)));
}

// ---- push values ------------------------------------------------------------------------

constexpr const char* kValueNames[] = {"String",  "Float",  "Null",    "Undefined", "Register",
                                       "Boolean", "Double", "Integer", "Constant8", "Constant16"};

} // namespace

void writeValue(SwfXmlOut& push, const SwfValue& value) {
    const std::uint8_t type = value.type();
    // A plain value stands for null and undefined only.
    if (value.isPlain() || type > SwfValue::Constant16) {
        push.child(type == SwfValue::Undefined ? "Undefined" : "Null");
        return;
    }
    SwfXmlOut element = push.child(kValueNames[type]);
    switch (type) {
    case SwfValue::String:
        setString(element, "Name", static_cast<const SwfValueString&>(value).text);
        break;
    case SwfValue::Float:
        setNumber(element, "Value", static_cast<const SwfValueFloat&>(value).bits);
        break;
    case SwfValue::Register:
        setNumber(element, "Value", static_cast<const SwfValueRegister&>(value).number);
        break;
    case SwfValue::Boolean:
        setNumber(element, "Value", static_cast<const SwfValueBoolean&>(value).value);
        break;
    case SwfValue::Double:
        setDouble(element, "Value", static_cast<const SwfValueDouble&>(value).value);
        break;
    case SwfValue::Integer:
        setNumber(element, "Value",
                  static_cast<std::uint32_t>(static_cast<const SwfValueInteger&>(value).value));
        break;
    case SwfValue::Constant8:
        setNumber(element, "Value", static_cast<const SwfValueConstant8&>(value).index);
        break;
    case SwfValue::Constant16:
        setNumber(element, "Value", static_cast<const SwfValueConstant16&>(value).index);
        break;
    default:
        break;
    }
}

namespace {

// The value of an element named after a value type, or null for other names.
constexpr std::string_view kLowerValueNames[] = {"string",    "float",     "null",   "undefined",
                                                 "register",  "boolean",   "double", "integer",
                                                 "constant8", "constant16"};

std::unique_ptr<SwfValue> readValue(const SwfXmlIn& element) {
    const LowerName name(element.name());
    int type = -1;
    for (int i = 0; i < 10; ++i)
        if (name.view() == kLowerValueNames[i]) {
            type = i;
            break;
        }
    switch (type) {
    case SwfValue::String: {
        auto value = std::make_unique<SwfValueString>();
        readFirstString(element, value->text);
        return value;
    }
    case SwfValue::Float: {
        auto value = std::make_unique<SwfValueFloat>();
        value->bits = firstNumber<std::uint32_t>(element);
        return value;
    }
    case SwfValue::Null:
    case SwfValue::Undefined:
        return std::make_unique<SwfValue>(static_cast<std::uint8_t>(type));
    case SwfValue::Register: {
        auto value = std::make_unique<SwfValueRegister>();
        value->number = firstNumber<std::uint8_t>(element);
        return value;
    }
    case SwfValue::Boolean: {
        auto value = std::make_unique<SwfValueBoolean>();
        value->value = firstNumber<std::uint8_t>(element);
        return value;
    }
    case SwfValue::Double: {
        auto value = std::make_unique<SwfValueDouble>();
        value->value = firstNumber<double>(element);
        return value;
    }
    case SwfValue::Integer: {
        auto value = std::make_unique<SwfValueInteger>();
        value->value = static_cast<std::int32_t>(firstNumber<std::uint32_t>(element));
        return value;
    }
    case SwfValue::Constant8: {
        auto value = std::make_unique<SwfValueConstant8>();
        value->index = firstNumber<std::uint8_t>(element);
        return value;
    }
    case SwfValue::Constant16: {
        auto value = std::make_unique<SwfValueConstant16>();
        value->index = firstNumber<std::uint16_t>(element);
        return value;
    }
    default:
        return nullptr;
    }
}

// ---- writing ----------------------------------------------------------------------------

constexpr struct {
    const char* name;
    std::uint16_t bit;
} kFunction2Flags[] = {
    {"PreloadThis", SwfActionDefineFunction2::PreloadThis},
    {"SupressThis", SwfActionDefineFunction2::SuppressThis},
    {"PreloadArguments", SwfActionDefineFunction2::PreloadArguments},
    {"SupressArguments", SwfActionDefineFunction2::SuppressArguments},
    {"PreloadSuper", SwfActionDefineFunction2::PreloadSuper},
    {"SupressSuper", SwfActionDefineFunction2::SuppressSuper},
    {"PreloadRoot", SwfActionDefineFunction2::PreloadRoot},
    {"PreloadParent", SwfActionDefineFunction2::PreloadParent},
    {"PreloadGlobal", SwfActionDefineFunction2::PreloadGlobal},
};

// Send methods by their value in bits 6 and 7; method 3 has no name.
constexpr const char* kSendMethods[] = {"None", "GET", "POST", ""};

void writeBody(SwfXmlOut& action, const char* name, const SwfActions& body, int level) {
    SwfXmlOut list = action.child(name);
    writeActions(list, body, level + 2);
}

void writeUnknownAction(SwfXmlOut& list, std::uint8_t code, std::span<const std::uint8_t> payload,
                        int level) {
    SwfXmlOut element = list.child(kUnknownActionName);
    setNumber(element, "Type", code);
    if (!payload.empty())
        appendBase64(element, "Data", payload, level + 2);
}

void writeFields(SwfXmlOut& element, const SwfAction& action, int level) {
    switch (action.code()) {
    case 0x81:
        setNumber(element, "Frame", static_cast<const SwfActionGotoFrame&>(action).frame);
        break;
    case 0x83: {
        const auto& getUrl = static_cast<const SwfActionGetURL&>(action);
        setString(element, "URL", getUrl.url);
        setString(element, "Target", getUrl.target);
        break;
    }
    case 0x87:
        setNumber(element, "Number", static_cast<const SwfActionStoreRegister&>(action).number);
        break;
    case 0x88:
        for (const auto& constant : static_cast<const SwfActionConstantPool&>(action).constants) {
            SwfXmlOut child = element.child("Constant");
            setString(child, "Name", *constant);
        }
        break;
    case 0x8A: {
        const auto& wait = static_cast<const SwfActionWaitForFrame&>(action);
        setNumber(element, "Frame", wait.frame);
        setNumber(element, "SkipCount", wait.skipCount);
        break;
    }
    case 0x8B:
        setString(element, "Name", static_cast<const SwfActionSetTarget&>(action).target);
        break;
    case 0x8C:
        setString(element, "Label", static_cast<const SwfActionGoToLabel&>(action).label);
        break;
    case 0x8D:
        setNumber(element, "SkipCount",
                  static_cast<const SwfActionWaitForFrame2&>(action).skipCount);
        break;
    case 0x8E: {
        const auto& function = static_cast<const SwfActionDefineFunction2&>(action);
        setString(element, "Name", function.name);
        setNumber(element, "RegisterCount", function.registerCount);
        SwfXmlOut bits = element.child("BitsField");
        for (const auto& flag : kFunction2Flags)
            setBool(bits, flag.name, (function.flags & flag.bit) != 0);
        SwfXmlOut parameters = element.child("RegisterParams");
        for (const SwfRegisterParam& parameter : function.parameters) {
            SwfXmlOut child = parameters.child("RegisterParam");
            setNumber(child, "Register", parameter.registerNumber);
            setString(child, "Name", parameter.name);
        }
        writeBody(element, "Actions", function.body, level);
        break;
    }
    case 0x8F: {
        const auto& block = static_cast<const SwfActionTry&>(action);
        if (block.catchInRegister)
            setNumber(element, "CatchInRegister", block.catchRegister);
        else
            setString(element, "VarName", block.catchName);
        const std::uint8_t flags = block.writtenFlags();
        writeBody(element, "TryActions", block.tryBody, level);
        if (flags & SwfActionTry::HasCatchBlock)
            writeBody(element, "CatchActions", block.catchBody, level);
        if (flags & SwfActionTry::HasFinallyBlock)
            writeBody(element, "FinallyActions", block.finallyBody, level);
        break;
    }
    case 0x94:
        writeBody(element, "Actions", static_cast<const SwfActionWith&>(action).body, level);
        break;
    case 0x96:
        for (const auto& value : static_cast<const SwfActionPush&>(action).values)
            writeValue(element, *value);
        break;
    case 0x99:
    case 0x9D:
        setNumber(element, "Offset", static_cast<const SwfActionBranch&>(action).offset);
        break;
    case 0x9A: {
        const std::uint8_t flags = static_cast<const SwfActionGetURL2&>(action).flags;
        setBool(element, "LoadVariables", (flags & SwfActionGetURL2::LoadVariables) != 0);
        setBool(element, "LoadTarget", (flags & SwfActionGetURL2::LoadTarget) != 0);
        element.attribute("SendVarsMethod", kSendMethods[flags >> SwfActionGetURL2::MethodShift]);
        break;
    }
    case 0x9B: {
        const auto& function = static_cast<const SwfActionDefineFunction&>(action);
        setString(element, "Name", function.name);
        SwfXmlOut parameters = element.child("Params");
        for (const auto& parameter : function.parameters) {
            SwfXmlOut child = parameters.child("Param");
            setString(child, "Value", *parameter);
        }
        writeBody(element, "Actions", function.body, level);
        break;
    }
    case 0x9F: {
        const auto& go = static_cast<const SwfActionGotoFrame2&>(action);
        setBool(element, "Play", go.play);
        if (go.sceneBias != 0)
            setNumber(element, "SceneBias", go.sceneBias);
        break;
    }
    default:
        break;
    }
}

// ---- reading ----------------------------------------------------------------------------

using ActionReader = SwfActionPtr (*)(const SwfXmlIn& element, std::uint8_t code, unsigned depth);

void readBody(const SwfXmlIn& list, SwfActions& target, unsigned depth);

SwfActionPtr readPlain(const SwfXmlIn&, std::uint8_t code, unsigned) {
    return std::make_unique<SwfAction>(code);
}

SwfActionPtr readGotoFrame(const SwfXmlIn& element, std::uint8_t, unsigned) {
    auto action = std::make_unique<SwfActionGotoFrame>();
    action->frame = firstNumber<std::uint16_t>(element);
    return action;
}

SwfActionPtr readGetURL(const SwfXmlIn& element, std::uint8_t, unsigned) {
    auto action = std::make_unique<SwfActionGetURL>();
    readString(element, "URL", action->url);
    readString(element, "Target", action->target);
    return action;
}

SwfActionPtr readStoreRegister(const SwfXmlIn& element, std::uint8_t, unsigned) {
    auto action = std::make_unique<SwfActionStoreRegister>();
    readNumber(element, "Number", action->number);
    return action;
}

SwfActionPtr readConstantPool(const SwfXmlIn& element, std::uint8_t, unsigned) {
    auto action = std::make_unique<SwfActionConstantPool>();
    for (SwfXmlIn child = element.nextChild(); child; child = element.nextChild())
        if (const SwfXmlAttribute* first = child.firstAttribute())
            action->constants.push_back(std::make_unique<SwfString>(std::string(first->value)));
    return action;
}

SwfActionPtr readWaitForFrame(const SwfXmlIn& element, std::uint8_t, unsigned) {
    auto action = std::make_unique<SwfActionWaitForFrame>();
    readNumber(element, "Frame", action->frame);
    readNumber(element, "SkipCount", action->skipCount);
    return action;
}

SwfActionPtr readSetTarget(const SwfXmlIn& element, std::uint8_t, unsigned) {
    auto action = std::make_unique<SwfActionSetTarget>();
    readFirstString(element, action->target);
    return action;
}

SwfActionPtr readGoToLabel(const SwfXmlIn& element, std::uint8_t, unsigned) {
    auto action = std::make_unique<SwfActionGoToLabel>();
    readFirstString(element, action->label);
    return action;
}

SwfActionPtr readWaitForFrame2(const SwfXmlIn& element, std::uint8_t, unsigned) {
    auto action = std::make_unique<SwfActionWaitForFrame2>();
    action->skipCount = firstNumber<std::uint8_t>(element);
    return action;
}

SwfActionPtr readDefineFunction2(const SwfXmlIn& element, std::uint8_t, unsigned depth) {
    auto action = std::make_unique<SwfActionDefineFunction2>();
    readString(element, "Name", action->name);
    readNumber(element, "RegisterCount", action->registerCount);
    for (SwfXmlIn child = element.nextChild(); child; child = element.nextChild()) {
        if (namesEqual(child.name(), "Actions")) {
            readBody(child, action->body, depth);
        } else if (namesEqual(child.name(), "RegisterParams")) {
            for (SwfXmlIn p = child.nextChild(); p; p = child.nextChild()) {
                SwfRegisterParam& parameter = action->parameters.emplace_back();
                readNumber(p, "Register", parameter.registerNumber);
                readString(p, "Name", parameter.name);
            }
        } else if (namesEqual(child.name(), "BitsField")) {
            for (const auto& flag : kFunction2Flags) {
                bool on = false;
                readBool(child, flag.name, on);
                if (on)
                    action->flags |= flag.bit;
            }
        }
    }
    return action;
}

SwfActionPtr readTry(const SwfXmlIn& element, std::uint8_t, unsigned depth) {
    auto action = std::make_unique<SwfActionTry>();
    // When both forms of the catch are given, the later attribute decides.
    for (const SwfXmlAttribute& a : element.attributes()) {
        if (namesEqual(a.name, "VarName")) {
            action->catchName.text = a.value;
            action->catchInRegister = false;
        } else if (namesEqual(a.name, "CatchInRegister")) {
            action->catchRegister = parseNumber<std::uint8_t>(a.value);
            action->catchInRegister = true;
        }
    }
    if (action->catchInRegister)
        action->flags |= SwfActionTry::CatchInRegisterFlag;
    for (SwfXmlIn child = element.nextChild(); child; child = element.nextChild()) {
        if (namesEqual(child.name(), "TryActions")) {
            readBody(child, action->tryBody, depth);
        } else if (namesEqual(child.name(), "CatchActions")) {
            readBody(child, action->catchBody, depth);
            action->flags |= SwfActionTry::HasCatchBlock;
        } else if (namesEqual(child.name(), "FinallyActions")) {
            readBody(child, action->finallyBody, depth);
            action->flags |= SwfActionTry::HasFinallyBlock;
        }
    }
    return action;
}

SwfActionPtr readWith(const SwfXmlIn& element, std::uint8_t, unsigned depth) {
    auto action = std::make_unique<SwfActionWith>();
    if (const SwfXmlIn list = element.nextChild())
        readBody(list, action->body, depth);
    return action;
}

SwfActionPtr readPush(const SwfXmlIn& element, std::uint8_t, unsigned) {
    auto action = std::make_unique<SwfActionPush>();
    for (SwfXmlIn child = element.nextChild(); child; child = element.nextChild())
        if (auto value = readValue(child))
            action->values.push_back(std::move(value));
    return action;
}

SwfActionPtr readBranch(const SwfXmlIn& element, std::uint8_t code, unsigned) {
    std::unique_ptr<SwfActionBranch> action;
    if (code == 0x99)
        action = std::make_unique<SwfActionJump>();
    else
        action = std::make_unique<SwfActionIf>();
    action->offset = firstNumber<std::int16_t>(element);
    return action;
}

SwfActionPtr readGetURL2(const SwfXmlIn& element, std::uint8_t, unsigned) {
    auto action = std::make_unique<SwfActionGetURL2>();
    bool on = false;
    if (readBool(element, "LoadVariables", on) && on)
        action->flags |= SwfActionGetURL2::LoadVariables;
    on = false;
    if (readBool(element, "LoadTarget", on) && on)
        action->flags |= SwfActionGetURL2::LoadTarget;
    // The empty value is what the writer shows for method 3, so it reads back as 3.
    if (const SwfXmlAttribute* method = findAttribute(element, "SendVarsMethod")) {
        for (unsigned i = 0; i < 4; ++i)
            if (namesEqual(method->value, kSendMethods[i]))
                action->flags =
                    static_cast<std::uint8_t>((action->flags & ~SwfActionGetURL2::MethodMask) |
                                              i << SwfActionGetURL2::MethodShift);
    }
    return action;
}

SwfActionPtr readDefineFunction(const SwfXmlIn& element, std::uint8_t, unsigned depth) {
    auto action = std::make_unique<SwfActionDefineFunction>();
    readString(element, "Name", action->name);
    for (SwfXmlIn child = element.nextChild(); child; child = element.nextChild()) {
        if (namesEqual(child.name(), "Params")) {
            for (SwfXmlIn p = child.nextChild(); p; p = child.nextChild())
                if (const SwfXmlAttribute* first = p.firstAttribute())
                    action->parameters.push_back(
                        std::make_unique<SwfString>(std::string(first->value)));
        } else if (namesEqual(child.name(), "Actions")) {
            readBody(child, action->body, depth);
        }
    }
    return action;
}

SwfActionPtr readGotoFrame2(const SwfXmlIn& element, std::uint8_t, unsigned) {
    auto action = std::make_unique<SwfActionGotoFrame2>();
    readBool(element, "Play", action->play);
    readNumber(element, "SceneBias", action->sceneBias);
    return action;
}

SwfActionPtr readUnknownAction(const SwfXmlIn& element, std::uint8_t, unsigned) {
    std::int64_t type = 0;
    readNumber(element, "Type", type);
    auto action = std::make_unique<SwfActionUnknown>(static_cast<std::uint8_t>(type & 0xFF));
    if (const SwfXmlIn data = findChild(element, "Data"))
        action->payload = base64Decode(elementText(data));
    return action;
}

ActionReader readerFor(const SwfActionInfo& info) {
    if (!info.hasFields)
        return &readPlain;
    switch (info.code) {
    case 0x81:
        return &readGotoFrame;
    case 0x83:
        return &readGetURL;
    case 0x87:
        return &readStoreRegister;
    case 0x88:
        return &readConstantPool;
    case 0x8A:
        return &readWaitForFrame;
    case 0x8B:
        return &readSetTarget;
    case 0x8C:
        return &readGoToLabel;
    case 0x8D:
        return &readWaitForFrame2;
    case 0x8E:
        return &readDefineFunction2;
    case 0x8F:
        return &readTry;
    case 0x94:
        return &readWith;
    case 0x96:
        return &readPush;
    case 0x99:
    case 0x9D:
        return &readBranch;
    case 0x9A:
        return &readGetURL2;
    case 0x9B:
        return &readDefineFunction;
    case 0x9F:
        return &readGotoFrame2;
    default:
        return &readPlain;
    }
}

// The action-name table: every named action plus UnknownAction, by name in lower case, in a
// small open-addressed hash table. It is the same for every conversion, so it is built once
// and only read afterwards.
struct ActionName {
    std::string lower;
    std::uint8_t code;
    ActionReader read;
};

class ActionNames {
public:
    ActionNames() {
        for (const SwfActionInfo& info : swfActionTable())
            add(info.name, info.code, readerFor(info));
        add(kUnknownActionName, 0, &readUnknownAction);
    }

    const ActionName* find(std::string_view name) const {
        const LowerName key(name);
        for (std::size_t slot = hash(key.view());; slot = (slot + 1) % kSlots) {
            const int index = m_slots[slot];
            if (index < 0)
                return nullptr;
            if (m_names[index].lower == key.view())
                return &m_names[index];
        }
    }

private:
    static constexpr std::size_t kSlots = 512; // at most a quarter full

    static std::size_t hash(std::string_view text) {
        std::size_t h = text.size();
        for (const char c : text)
            h = h * 31 + static_cast<unsigned char>(c);
        return h % kSlots;
    }

    void add(const char* name, std::uint8_t code, ActionReader read) {
        m_names.push_back({std::string(LowerName(name).view()), code, read});
        std::size_t slot = hash(m_names.back().lower);
        while (m_slots[slot] >= 0)
            slot = (slot + 1) % kSlots;
        m_slots[slot] = static_cast<int>(m_names.size() - 1);
    }

    std::vector<ActionName> m_names;
    std::array<int, kSlots> m_slots = [] {
        std::array<int, kSlots> empty;
        empty.fill(-1);
        return empty;
    }();
};

const ActionName* findActionName(std::string_view name) {
    static const ActionNames names;
    return names.find(name);
}

// Reads the elements of a list. A terminated list drops End elements and gets one End at the
// end; a body keeps them where they stand and gets none, so that its size, and every branch
// offset that spans it, is what the text shows.
// Returns whether the list had any child element at all.
bool readList(const SwfXmlIn& list, SwfActions& target, unsigned depth, bool terminated) {
    bool any = false;
    for (SwfXmlIn child = list.nextChild(); child; child = list.nextChild()) {
        any = true;
        const ActionName* entry = findActionName(child.name());
        if (!entry || (terminated && entry->read == &readPlain && entry->code == 0))
            continue;
        target.push_back(entry->read(child, entry->code, depth));
    }
    if (terminated)
        target.push_back(std::make_unique<SwfAction>(0));
    return any;
}

void readBody(const SwfXmlIn& list, SwfActions& target, unsigned depth) {
    if (depth >= kMaxBodyDepth)
        failRead("action bodies are nested more than " + std::to_string(kMaxBodyDepth) +
                 " levels deep");
    readList(list, target, depth + 1, false);
}

// ---- tags -------------------------------------------------------------------------------

// A tag without any action, not even End, has no list element: the reader gives a list
// element an End, which would make the empty body grow by one byte.
void appendTagActions(SwfXmlOut& element, const SwfActions& actions) {
    if (actions.empty())
        return;
    SwfXmlOut list = element.child("Actions");
    writeActions(list, actions, 2);
}

void writeDoAction(SwfXmlWriter&, const SwfTag& tag, SwfXmlOut& element) {
    appendTagActions(element, static_cast<const SwfTagDoAction&>(tag).actions);
}

// The first child element is the list; without one the tag has no actions at all.
void readTagActions(const SwfXmlIn& element, SwfActions& target) {
    if (const SwfXmlIn list = element.nextChild())
        readActions(list, target);
}

std::unique_ptr<SwfTag> readDoAction(const SwfXmlIn& element, SwfXmlReader&) {
    auto tag = std::make_unique<SwfTagDoAction>();
    readTagActions(element, tag->actions);
    return tag;
}

void writeDoInitAction(SwfXmlWriter&, const SwfTag& tag, SwfXmlOut& element) {
    const auto& init = static_cast<const SwfTagDoInitAction&>(tag);
    setNumber(element, "SpriteId", init.spriteId);
    appendTagActions(element, init.actions);
}

std::unique_ptr<SwfTag> readDoInitAction(const SwfXmlIn& element, SwfXmlReader&) {
    auto tag = std::make_unique<SwfTagDoInitAction>();
    readNumber(element, "SpriteId", tag->spriteId);
    readTagActions(element, tag->actions);
    return tag;
}

constexpr SwfXmlTagCodec kActionCodecs[] = {
    {12, &writeDoAction, &readDoAction},
    {59, &writeDoInitAction, &readDoInitAction},
};

} // namespace

void writeAction(SwfXmlOut& list, const SwfAction& action, int level) {
    const std::uint8_t code = action.code();
    if (action.isUnknown()) {
        writeUnknownAction(list, code, static_cast<const SwfActionUnknown&>(action).payload, level);
        return;
    }
    const SwfActionInfo* info = findSwfAction(code);
    // A plain action of a code that has fields was built without them: it keeps its code
    // through the unknown form instead of gaining fields it never had.
    const bool plain = action.isPlain();
    if (!info || (plain && info->hasFields)) {
        writeUnknownAction(list, code, {}, level);
        return;
    }
    SwfXmlOut element = list.child(info->name);
    if (!plain)
        writeFields(element, action, level);
}

void writeActions(SwfXmlOut& list, const SwfActions& actions, int level) {
    for (const SwfActionPtr& action : actions)
        writeAction(list, *action, level);
}

void readActions(const SwfXmlIn& list, SwfActions& target, bool endWhenEmpty) {
    const std::size_t before = target.size();
    if (!readList(list, target, 0, true) && !endWhenEmpty)
        target.resize(before);
}

std::span<const SwfXmlTagCodec> actionCodecs() {
    return kActionCodecs;
}

} // namespace swfxml
