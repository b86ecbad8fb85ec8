#include "libswf/actions.h"

#include "libswf/exception.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstring>
#include <limits>
#include <string>

namespace libswf {

namespace {

// Scripts never legitimately nest bodies deeply; hostile input could otherwise nest With
// blocks until the reader's recursion exhausts the stack.
constexpr unsigned kMaxBodyDepth = 64;

thread_local unsigned t_bodyDepth = 0;

// Counts one level of body nesting for as long as it lives.
class BodyLevel {
public:
    BodyLevel() {
        if (t_bodyDepth >= kMaxBodyDepth)
            throw SwfException(SwfException::UnexpectedEnd, "action bodies are nested more than " +
                                                                std::to_string(kMaxBodyDepth) +
                                                                " levels deep");
        ++t_bodyDepth;
    }
    ~BodyLevel() { --t_bodyDepth; }
    BodyLevel(const BodyLevel&) = delete;
    BodyLevel& operator=(const BodyLevel&) = delete;
};

// code, XML element name, a class with fields stands for it
constexpr SwfActionInfo kActions[] = {
    {0x00, "End", false},
    {0x04, "NextFrame", false},
    {0x05, "PreviousFrame", false},
    {0x06, "Play", false},
    {0x07, "Stop", false},
    {0x08, "ToggleQuality", false},
    {0x09, "StopSounds", false},
    {0x0A, "Add", false},
    {0x0B, "Subtract", false},
    {0x0C, "Multiply", false},
    {0x0D, "Divide", false},
    {0x0E, "Equals", false},
    {0x0F, "Less", false},
    {0x10, "And", false},
    {0x11, "Or", false},
    {0x12, "Not", false},
    {0x13, "StringEquals", false},
    {0x14, "StringLength", false},
    {0x15, "StringExtract", false},
    {0x17, "Pop", false},
    {0x18, "ToInteger", false},
    {0x1C, "GetVariable", false},
    {0x1D, "SetVariable", false},
    {0x20, "SetTarget2", false},
    {0x21, "StringAdd", false},
    {0x22, "GetProperty", false},
    {0x23, "SetProperty", false},
    {0x24, "CloneSprite", false},
    {0x25, "RemoveSprite", false},
    {0x26, "Trace", false},
    {0x27, "StartDrag", false},
    {0x28, "EndDrag", false},
    {0x29, "StringLess", false},
    {0x2A, "Throw", false},
    {0x2B, "CastOp", false},
    {0x2C, "ImplementsOp", false},
    {0x30, "RandomNumber", false},
    {0x31, "MBStringLength", false},
    {0x32, "CharToAscii", false},
    {0x33, "AsciiToChar", false},
    {0x34, "GetTime", false},
    {0x35, "MBStringExtract", false},
    {0x36, "MBCharToAscii", false},
    {0x37, "MBAsciiToChar", false},
    {0x3A, "Delete", false},
    {0x3B, "Delete2", false},
    {0x3C, "DefineLocal", false},
    {0x3D, "CallFunction", false},
    {0x3E, "Return", false},
    {0x3F, "Modulo", false},
    {0x40, "NewObject", false},
    {0x41, "DefineLocal2", false},
    {0x42, "InitArray", false},
    {0x43, "InitObject", false},
    {0x44, "TypeOf", false},
    {0x45, "TargetPath", false},
    {0x46, "Enumerate", false},
    {0x47, "Add2", false},
    {0x48, "Less2", false},
    {0x49, "Equals2", false},
    {0x4A, "ConvertToNumber", false},
    {0x4B, "ConvertToString", false},
    {0x4C, "PushDuplicate", false},
    {0x4D, "StackSwap", false},
    {0x4E, "GetMember", false},
    {0x4F, "SetMember", false},
    {0x50, "Increment", false},
    {0x51, "Decrement", false},
    {0x52, "CallMethod", false},
    {0x53, "NewMethod", false},
    {0x54, "InstanceOf", false},
    {0x55, "Enumerate2", false},
    {0x60, "BitAnd", false},
    {0x61, "BitOr", false},
    {0x62, "BitXor", false},
    {0x63, "BitLShift", false},
    {0x64, "BitRShift", false},
    {0x65, "BitURShift", false},
    {0x66, "StrictEquals", false},
    {0x67, "Greater", false},
    {0x68, "StringGreater", false},
    {0x69, "Extends", false},
    {0x81, "GoToFrame", true},
    {0x83, "GetURL", true},
    {0x87, "StoreRegister", true},
    {0x88, "ConstantPool", true},
    {0x8A, "WaitForFrame", true},
    {0x8B, "SetTarget", true},
    {0x8C, "GoToLabel", true},
    {0x8D, "WaitForFrame2", true},
    {0x8E, "DefineFunction2", true},
    {0x8F, "Try", true},
    {0x94, "With", true},
    {0x96, "Push", true},
    {0x99, "Jump", true},
    {0x9A, "GetURL2", true},
    {0x9B, "DefineFunction", true},
    {0x9D, "If", true},
    {0x9E, "Call", false},
    {0x9F, "GoToFrame2", true},
};

const std::array<const SwfActionInfo*, 256>& byCode() {
    static const std::array<const SwfActionInfo*, 256> table = [] {
        std::array<const SwfActionInfo*, 256> t{};
        for (const SwfActionInfo& info : kActions)
            t[info.code] = &info;
        return t;
    }();
    return table;
}

// "Push" for named codes, "action 44" for the others.
std::string actionLabel(std::uint8_t code) {
    if (const SwfActionInfo* info = findSwfAction(code))
        return info->name;
    return "action " + std::to_string(code);
}

std::uint32_t capped(std::uint64_t value) {
    return static_cast<std::uint32_t>(
        std::min<std::uint64_t>(value, std::numeric_limits<std::uint32_t>::max()));
}

void checkCount(std::size_t count, const char* what, const char* items) {
    if (count > 0xFFFF)
        throw SwfException(SwfException::ValueOutOfRange,
                           std::string(what) + " has " + std::to_string(count) + " " + items +
                               ", more than the 65535 its count can hold");
}

std::uint16_t checkedBodySize(std::uint64_t size, const char* what) {
    if (size > 0xFFFF)
        throw SwfException(SwfException::ValueOutOfRange,
                           std::string(what) + " of " + std::to_string(size) +
                               " bytes does not fit its 16-bit size");
    return static_cast<std::uint16_t>(size);
}

// The class of a code with fields, or null.
SwfActionPtr createModelled(std::uint8_t code, SwfIStream& is, std::uint16_t length) {
    switch (code) {
    case 0x81:
        return std::make_unique<SwfActionGotoFrame>(is);
    case 0x83:
        return std::make_unique<SwfActionGetURL>(is);
    case 0x87:
        return std::make_unique<SwfActionStoreRegister>(is);
    case 0x88:
        return std::make_unique<SwfActionConstantPool>(is);
    case 0x8A:
        return std::make_unique<SwfActionWaitForFrame>(is);
    case 0x8B:
        return std::make_unique<SwfActionSetTarget>(is);
    case 0x8C:
        return std::make_unique<SwfActionGoToLabel>(is);
    case 0x8D:
        return std::make_unique<SwfActionWaitForFrame2>(is);
    case 0x8E:
        return std::make_unique<SwfActionDefineFunction2>(is);
    case 0x8F:
        return std::make_unique<SwfActionTry>(is);
    case 0x94:
        return std::make_unique<SwfActionWith>(is);
    case 0x96:
        return std::make_unique<SwfActionPush>(is, length);
    case 0x99:
        return std::make_unique<SwfActionJump>(is);
    case 0x9A:
        return std::make_unique<SwfActionGetURL2>(is);
    case 0x9B:
        return std::make_unique<SwfActionDefineFunction>(is);
    case 0x9D:
        return std::make_unique<SwfActionIf>(is);
    case 0x9F:
        return std::make_unique<SwfActionGotoFrame2>(is);
    default:
        return nullptr;
    }
}

// The class of a code with fields, read within the length its record declares; null for
// codes without a class, and for records whose fields need more bytes than they declare or
// leave some of them over, with the stream back at the payload. Obfuscated movies write such
// records on purpose: a player moves on by the length, so reading by the fields would make a
// different script of them. A Push reads its values by the length already and fails on its
// own terms.
SwfActionPtr readModelled(std::uint8_t code, SwfIStream& is, std::uint16_t length) {
    if (code == 0x96)
        return createModelled(code, is, length);
    const std::size_t start = is.position();
    SwfActionPtr action;
    try {
        const SwfIStream::Bound record(is, start + length);
        action = createModelled(code, is, length);
    } catch (const SwfException& e) {
        if (e.code() != SwfException::UnexpectedEnd)
            throw;
    }
    if (action && is.position() == start + length)
        return action;
    is.setPosition(start);
    return nullptr;
}

// The bytes a value of the type takes after its type byte; strings are measured up to their
// zero within `left` bytes and count one more than `left` when it is not there.
std::size_t valueDataSize(std::uint8_t type, const SwfIStream& is, std::size_t left,
                          std::size_t typeOffset) {
    switch (type) {
    case SwfValue::String: {
        const std::size_t inData = std::min(left, is.remaining());
        const std::uint8_t* start = is.data() + is.position();
        const void* zero = std::memchr(start, 0, inData);
        return zero ? static_cast<std::size_t>(static_cast<const std::uint8_t*>(zero) - start) + 1
                    : left + 1;
    }
    case SwfValue::Float:
    case SwfValue::Integer:
        return 4;
    case SwfValue::Null:
    case SwfValue::Undefined:
        return 0;
    case SwfValue::Register:
    case SwfValue::Boolean:
    case SwfValue::Constant8:
        return 1;
    case SwfValue::Double:
        return 8;
    case SwfValue::Constant16:
        return 2;
    default: {
        SwfException e(SwfException::UnexpectedEnd, "a Push value of type " + std::to_string(type) +
                                                        ", which is none of the ten value types");
        e.setOffset(typeOffset);
        throw e;
    }
    }
}

std::unique_ptr<SwfValue> createValue(std::uint8_t type, SwfIStream& is) {
    switch (type) {
    case SwfValue::String:
        return std::make_unique<SwfValueString>(is);
    case SwfValue::Float:
        return std::make_unique<SwfValueFloat>(is);
    case SwfValue::Register:
        return std::make_unique<SwfValueRegister>(is);
    case SwfValue::Boolean:
        return std::make_unique<SwfValueBoolean>(is);
    case SwfValue::Double:
        return std::make_unique<SwfValueDouble>(is);
    case SwfValue::Integer:
        return std::make_unique<SwfValueInteger>(is);
    case SwfValue::Constant8:
        return std::make_unique<SwfValueConstant8>(is);
    case SwfValue::Constant16:
        return std::make_unique<SwfValueConstant16>(is);
    default:
        return std::make_unique<SwfValue>(type);
    }
}

} // namespace

// ---- names ------------------------------------------------------------------------------

std::span<const SwfActionInfo> swfActionTable() {
    return kActions;
}

const SwfActionInfo* findSwfAction(std::uint8_t code) {
    return byCode()[code];
}

// ---- actions and lists ------------------------------------------------------------------

std::uint32_t SwfAction::computeSize(SwfSizeContext& ctx) {
    const std::uint32_t payload = payloadSize(ctx);
    if (m_code < 0x80) {
        if (payload != 0)
            throw SwfException(SwfException::ValueOutOfRange,
                               actionLabel(m_code) + " has " + std::to_string(payload) +
                                   " payload bytes, but actions below 128 have no length to "
                                   "carry them");
        m_length = 0;
        return 1;
    }
    if (payload > 0xFFFF)
        throw SwfException(SwfException::ValueOutOfRange,
                           "a " + actionLabel(m_code) + " payload of " + std::to_string(payload) +
                               " bytes does not fit the 16-bit length of its record");
    m_length = static_cast<std::uint16_t>(payload);
    return 3 + payload + followingSize();
}

void SwfAction::write(SwfOStream& os) const {
    os.writeU8(m_code);
    if (m_code >= 0x80)
        os.writeU16(m_length);
    writePayload(os);
}

SwfActionPtr readSwfAction(SwfIStream& is) {
    const std::uint8_t code = is.readU8();
    const std::uint16_t length = code >= 0x80 ? is.readU16() : 0;
    const bool keepRaw = is.keepRawActions && (*is.keepRawActions)[code];
    SwfActionPtr action;
    if (!keepRaw) {
        action = readModelled(code, is, length);
        if (action)
            action->readFollowing(is);
    }
    if (!action) {
        if (length != 0 || keepRaw)
            action = std::make_unique<SwfActionUnknown>(is, code, length);
        else
            action = std::make_unique<SwfAction>(code);
    }
    action->setLength(length);
    return action;
}

namespace {

// The records from the stream's position up to `end`, and up to and including the first End
// when untilEnd, counted from their headers alone: a list is given its room once instead of
// growing by doubling, which for a large script briefly held three times the list's pointers.
// The bodies of functions, With and Try count as records of the list too, so the count may be
// a little high, never above the bytes.
std::size_t countRecords(const SwfIStream& is, std::size_t end, bool untilEnd) {
    const std::uint8_t* data = is.data();
    end = std::min(end, is.limit());
    std::size_t count = 0;
    for (std::size_t at = is.position(); at < end;) {
        const std::uint8_t code = data[at];
        ++count;
        if (code == 0 && untilEnd)
            break;
        if (code < 0x80) {
            ++at;
            continue;
        }
        if (end - at < 3)
            break;
        at += 3 + (data[at + 1] | std::size_t{data[at + 2]} << 8);
    }
    return count;
}

// Reads actions up to and including the first End, each to `take`.
template <class Take>
void readEachUntilEnd(SwfIStream& is, Take&& take) {
    while (is.remaining() > 0) {
        SwfActionPtr action = readSwfAction(is);
        const bool end = action->code() == 0;
        take(std::move(action));
        if (end)
            return;
    }
}

} // namespace

void SwfActions::readUntilEnd(SwfIStream& is) {
    reserve(size() + countRecords(is, is.limit(), true));
    readEachUntilEnd(is, [this](SwfActionPtr action) { push_back(std::move(action)); });
}

namespace {

// The script of a DoAction or DoInitAction: into its list, or, for a reader that takes the
// actions of top-level scripts as they are read, to that reader with the tag.
void readScript(SwfIStream& is, SwfTag& tag, SwfActions& actions) {
    if (!is.scriptActions) {
        actions.readUntilEnd(is);
        return;
    }
    // What the tag reader sets once the body is read, known to the reader of the actions.
    tag.setLength(is.tagLength);
    tag.setLongHeader(is.longHeader || is.tagLength > 62);
    const auto& take = *is.scriptActions;
    readEachUntilEnd(is, [&](SwfActionPtr action) { take(tag, std::move(action)); });
}

} // namespace

void SwfActions::readBySize(SwfIStream& is, std::uint32_t size) {
    const std::size_t end = is.position() + size;
    reserve(this->size() + countRecords(is, end, false));
    while (is.position() < end)
        push_back(readSwfAction(is));
}

std::uint64_t SwfActions::computeSize(SwfSizeContext& ctx) {
    std::uint64_t total = 0;
    for (const SwfActionPtr& action : *this)
        total += action->computeSize(ctx);
    m_byteSize = total;
    return total;
}

void SwfActions::write(SwfOStream& os) const {
    for (const SwfActionPtr& action : *this)
        action->write(os);
}

// ---- push values ------------------------------------------------------------------------

std::uint32_t SwfValue::computeSize(const SwfStream&) const {
    if (m_type != Null && m_type != Undefined)
        throw SwfException(SwfException::ValueOutOfRange, "a Push value of type " +
                                                              std::to_string(m_type) +
                                                              " was given without its data");
    return 1;
}

void SwfValue::write(SwfOStream& os) const {
    os.writeU8(m_type);
    writeData(os);
}

SwfValueString::SwfValueString(SwfIStream& is) : SwfValue(String, Subclass{}) {
    text.read(is);
}

std::uint32_t SwfValueString::computeSize(const SwfStream& ctx) const {
    return capped(1 + std::uint64_t{text.computeSize(ctx)});
}

void SwfValueString::writeData(SwfOStream& os) const {
    text.write(os);
}

SwfValueFloat::SwfValueFloat(SwfIStream& is) : SwfValue(Float, Subclass{}), bits(is.readU32()) {}

void SwfValueFloat::writeData(SwfOStream& os) const {
    os.writeU32(bits);
}

SwfValueRegister::SwfValueRegister(SwfIStream& is)
    : SwfValue(Register, Subclass{}), number(is.readU8()) {}

void SwfValueRegister::writeData(SwfOStream& os) const {
    os.writeU8(number);
}

SwfValueBoolean::SwfValueBoolean(SwfIStream& is)
    : SwfValue(Boolean, Subclass{}), value(is.readU8()) {}

void SwfValueBoolean::writeData(SwfOStream& os) const {
    os.writeU8(value);
}

SwfValueDouble::SwfValueDouble(SwfIStream& is) : SwfValue(Double, Subclass{}) {
    const std::uint64_t high = is.readU32();
    const std::uint64_t low = is.readU32();
    value = std::bit_cast<double>(high << 32 | low);
}

void SwfValueDouble::writeData(SwfOStream& os) const {
    const std::uint64_t bits = std::bit_cast<std::uint64_t>(value);
    os.writeU32(static_cast<std::uint32_t>(bits >> 32));
    os.writeU32(static_cast<std::uint32_t>(bits));
}

SwfValueInteger::SwfValueInteger(SwfIStream& is)
    : SwfValue(Integer, Subclass{}), value(static_cast<std::int32_t>(is.readU32())) {}

void SwfValueInteger::writeData(SwfOStream& os) const {
    os.writeU32(static_cast<std::uint32_t>(value));
}

SwfValueConstant8::SwfValueConstant8(SwfIStream& is)
    : SwfValue(Constant8, Subclass{}), index(is.readU8()) {}

void SwfValueConstant8::writeData(SwfOStream& os) const {
    os.writeU8(index);
}

SwfValueConstant16::SwfValueConstant16(SwfIStream& is)
    : SwfValue(Constant16, Subclass{}), index(is.readU16()) {}

void SwfValueConstant16::writeData(SwfOStream& os) const {
    os.writeU16(index);
}

// ---- actions with fields ----------------------------------------------------------------

SwfActionGotoFrame::SwfActionGotoFrame(SwfIStream& is)
    : SwfAction(0x81, Subclass{}), frame(is.readU16()) {}

void SwfActionGotoFrame::writePayload(SwfOStream& os) const {
    os.writeU16(frame);
}

SwfActionGetURL::SwfActionGetURL(SwfIStream& is) : SwfAction(0x83, Subclass{}) {
    url.read(is);
    target.read(is);
}

std::uint32_t SwfActionGetURL::payloadSize(SwfSizeContext& ctx) {
    return capped(std::uint64_t{url.computeSize(ctx)} + target.computeSize(ctx));
}

void SwfActionGetURL::writePayload(SwfOStream& os) const {
    url.write(os);
    target.write(os);
}

SwfActionStoreRegister::SwfActionStoreRegister(SwfIStream& is)
    : SwfAction(0x87, Subclass{}), number(is.readU8()) {}

void SwfActionStoreRegister::writePayload(SwfOStream& os) const {
    os.writeU8(number);
}

SwfActionConstantPool::SwfActionConstantPool(SwfIStream& is) : SwfAction(0x88, Subclass{}) {
    // Every string takes at least its zero byte, so a lying count ends at the body's end.
    const std::uint16_t count = is.readU16();
    for (std::uint16_t i = 0; i < count; ++i) {
        auto constant = std::make_unique<SwfString>();
        constant->read(is);
        constants.push_back(std::move(constant));
    }
}

std::uint32_t SwfActionConstantPool::payloadSize(SwfSizeContext& ctx) {
    checkCount(constants.size(), "a ConstantPool", "strings");
    std::uint64_t total = 2;
    for (const auto& constant : constants)
        total += constant->computeSize(ctx);
    return capped(total);
}

void SwfActionConstantPool::writePayload(SwfOStream& os) const {
    os.writeU16(static_cast<std::uint16_t>(constants.size()));
    for (const auto& constant : constants)
        constant->write(os);
}

SwfActionWaitForFrame::SwfActionWaitForFrame(SwfIStream& is) : SwfAction(0x8A, Subclass{}) {
    frame = is.readU16();
    skipCount = is.readU8();
}

void SwfActionWaitForFrame::writePayload(SwfOStream& os) const {
    os.writeU16(frame);
    os.writeU8(skipCount);
}

SwfActionSetTarget::SwfActionSetTarget(SwfIStream& is) : SwfAction(0x8B, Subclass{}) {
    target.read(is);
}

std::uint32_t SwfActionSetTarget::payloadSize(SwfSizeContext& ctx) {
    return target.computeSize(ctx);
}

void SwfActionSetTarget::writePayload(SwfOStream& os) const {
    target.write(os);
}

SwfActionGoToLabel::SwfActionGoToLabel(SwfIStream& is) : SwfAction(0x8C, Subclass{}) {
    label.read(is);
}

std::uint32_t SwfActionGoToLabel::payloadSize(SwfSizeContext& ctx) {
    return label.computeSize(ctx);
}

void SwfActionGoToLabel::writePayload(SwfOStream& os) const {
    label.write(os);
}

SwfActionWaitForFrame2::SwfActionWaitForFrame2(SwfIStream& is)
    : SwfAction(0x8D, Subclass{}), skipCount(is.readU8()) {}

void SwfActionWaitForFrame2::writePayload(SwfOStream& os) const {
    os.writeU8(skipCount);
}

SwfActionDefineFunction2::SwfActionDefineFunction2(SwfIStream& is) : SwfAction(0x8E, Subclass{}) {
    name.read(is);
    const std::uint16_t count = is.readU16();
    registerCount = is.readU8();
    flags = is.readU16();
    // Every parameter takes at least two bytes, so a lying count ends at the body's end.
    for (std::uint16_t i = 0; i < count; ++i) {
        SwfRegisterParam& parameter = parameters.emplace_back();
        parameter.registerNumber = is.readU8();
        parameter.name.read(is);
    }
    m_bodySize = is.readU16();
}

void SwfActionDefineFunction2::readFollowing(SwfIStream& is) {
    BodyLevel level;
    body.readBySize(is, m_bodySize);
}

std::uint32_t SwfActionDefineFunction2::payloadSize(SwfSizeContext& ctx) {
    checkCount(parameters.size(), "a DefineFunction2", "parameters");
    std::uint64_t total = std::uint64_t{name.computeSize(ctx)} + 7;
    for (const SwfRegisterParam& parameter : parameters)
        total += 1 + parameter.name.computeSize(ctx);
    m_bodySize = checkedBodySize(body.computeSize(ctx), "a DefineFunction2 body");
    return capped(total);
}

void SwfActionDefineFunction2::writePayload(SwfOStream& os) const {
    name.write(os);
    os.writeU16(static_cast<std::uint16_t>(parameters.size()));
    os.writeU8(registerCount);
    os.writeU16(flags);
    for (const SwfRegisterParam& parameter : parameters) {
        os.writeU8(parameter.registerNumber);
        parameter.name.write(os);
    }
    os.writeU16(m_bodySize);
    body.write(os);
}

SwfActionTry::SwfActionTry(SwfIStream& is) : SwfAction(0x8F, Subclass{}) {
    flags = is.readU8();
    for (std::uint16_t& size : m_readSizes)
        size = is.readU16();
    catchInRegister = (flags & CatchInRegisterFlag) != 0;
    if (catchInRegister)
        catchRegister = is.readU8();
    else
        catchName.read(is);
}

void SwfActionTry::readFollowing(SwfIStream& is) {
    BodyLevel level;
    tryBody.readBySize(is, m_readSizes[0]);
    if (flags & HasCatchBlock)
        catchBody.readBySize(is, m_readSizes[1]);
    if (flags & HasFinallyBlock)
        finallyBody.readBySize(is, m_readSizes[2]);
}

std::uint8_t SwfActionTry::writtenFlags() const {
    // A block with actions must be announced, or a reader would take it for the actions
    // after the Try; the register bit must match what follows the sizes.
    std::uint8_t written = flags & ~CatchInRegisterFlag;
    if (catchInRegister)
        written |= CatchInRegisterFlag;
    if (!catchBody.empty())
        written |= HasCatchBlock;
    if (!finallyBody.empty())
        written |= HasFinallyBlock;
    return written;
}

std::uint32_t SwfActionTry::payloadSize(SwfSizeContext& ctx) {
    const std::uint16_t trySize = checkedBodySize(tryBody.computeSize(ctx), "a Try's try block");
    const std::uint16_t catchSize =
        checkedBodySize(catchBody.computeSize(ctx), "a Try's catch block");
    const std::uint16_t finallySize =
        checkedBodySize(finallyBody.computeSize(ctx), "a Try's finally block");
    m_bodiesSize = std::uint32_t{trySize} + catchSize + finallySize;
    return capped(7 + std::uint64_t{catchInRegister ? 1 : catchName.computeSize(ctx)});
}

void SwfActionTry::writePayload(SwfOStream& os) const {
    os.writeU8(writtenFlags());
    os.writeU16(static_cast<std::uint16_t>(tryBody.byteSize()));
    os.writeU16(static_cast<std::uint16_t>(catchBody.byteSize()));
    os.writeU16(static_cast<std::uint16_t>(finallyBody.byteSize()));
    if (catchInRegister)
        os.writeU8(catchRegister);
    else
        catchName.write(os);
    tryBody.write(os);
    catchBody.write(os);
    finallyBody.write(os);
}

SwfActionWith::SwfActionWith(SwfIStream& is)
    : SwfAction(0x94, Subclass{}), m_bodySize(is.readU16()) {}

void SwfActionWith::readFollowing(SwfIStream& is) {
    BodyLevel level;
    body.readBySize(is, m_bodySize);
}

std::uint32_t SwfActionWith::payloadSize(SwfSizeContext& ctx) {
    m_bodySize = checkedBodySize(body.computeSize(ctx), "a With body");
    return 2;
}

void SwfActionWith::writePayload(SwfOStream& os) const {
    os.writeU16(m_bodySize);
    body.write(os);
}

SwfActionPush::SwfActionPush(SwfIStream& is, std::uint16_t length) : SwfAction(0x96, Subclass{}) {
    const std::size_t end = is.position() + length;
    while (is.position() < end) {
        const std::size_t at = is.position();
        const std::uint8_t type = is.readU8();
        const std::size_t left = end - is.position();
        const std::size_t need = valueDataSize(type, is, left, at);
        if (need > left) {
            // Values are never decoded from the bytes after the record: those are actions.
            SwfException e(SwfException::UnexpectedEnd,
                           "a Push value of type " + std::to_string(type) + " needs " +
                               std::to_string(need) + " bytes after its type but only " +
                               std::to_string(left) + " remain of the " + std::to_string(length) +
                               " its record declares");
            e.setOffset(at);
            throw e;
        }
        values.push_back(createValue(type, is));
    }
}

std::uint32_t SwfActionPush::payloadSize(SwfSizeContext& ctx) {
    std::uint64_t total = 0;
    for (const auto& value : values)
        total += value->computeSize(ctx);
    return capped(total);
}

void SwfActionPush::writePayload(SwfOStream& os) const {
    for (const auto& value : values)
        value->write(os);
}

SwfActionBranch::SwfActionBranch(std::uint8_t code, SwfIStream& is)
    : SwfAction(code, Subclass{}), offset(static_cast<std::int16_t>(is.readU16())) {}

void SwfActionBranch::writePayload(SwfOStream& os) const {
    os.writeU16(static_cast<std::uint16_t>(offset));
}

SwfActionGetURL2::SwfActionGetURL2(SwfIStream& is)
    : SwfAction(0x9A, Subclass{}), flags(is.readU8()) {}

void SwfActionGetURL2::writePayload(SwfOStream& os) const {
    os.writeU8(flags);
}

SwfActionDefineFunction::SwfActionDefineFunction(SwfIStream& is) : SwfAction(0x9B, Subclass{}) {
    name.read(is);
    const std::uint16_t count = is.readU16();
    for (std::uint16_t i = 0; i < count; ++i) {
        auto parameter = std::make_unique<SwfString>();
        parameter->read(is);
        parameters.push_back(std::move(parameter));
    }
    m_bodySize = is.readU16();
}

void SwfActionDefineFunction::readFollowing(SwfIStream& is) {
    BodyLevel level;
    body.readBySize(is, m_bodySize);
}

std::uint32_t SwfActionDefineFunction::payloadSize(SwfSizeContext& ctx) {
    checkCount(parameters.size(), "a DefineFunction", "parameters");
    std::uint64_t total = std::uint64_t{name.computeSize(ctx)} + 4;
    for (const auto& parameter : parameters)
        total += parameter->computeSize(ctx);
    m_bodySize = checkedBodySize(body.computeSize(ctx), "a DefineFunction body");
    return capped(total);
}

void SwfActionDefineFunction::writePayload(SwfOStream& os) const {
    name.write(os);
    os.writeU16(static_cast<std::uint16_t>(parameters.size()));
    for (const auto& parameter : parameters)
        parameter->write(os);
    os.writeU16(m_bodySize);
    body.write(os);
}

SwfActionGotoFrame2::SwfActionGotoFrame2(SwfIStream& is) : SwfAction(0x9F, Subclass{}) {
    const std::uint8_t flags = is.readU8();
    play = (flags & 0x01) != 0;
    if (flags & 0x02)
        sceneBias = is.readU16();
}

void SwfActionGotoFrame2::writePayload(SwfOStream& os) const {
    os.writeU8(static_cast<std::uint8_t>((play ? 0x01 : 0) | (sceneBias ? 0x02 : 0)));
    if (sceneBias)
        os.writeU16(sceneBias);
}

SwfActionUnknown::SwfActionUnknown(SwfIStream& is, std::uint8_t code, std::uint16_t length)
    : SwfAction(code, Subclass{}) {
    const std::span<const std::uint8_t> bytes = is.readSpan(length);
    payload.assign(bytes.begin(), bytes.end());
}

std::uint32_t SwfActionUnknown::payloadSize(SwfSizeContext&) {
    return capped(payload.size());
}

void SwfActionUnknown::writePayload(SwfOStream& os) const {
    os.writeBytes(payload.data(), payload.size());
}

// ---- tags -------------------------------------------------------------------------------

SwfTagDoAction::SwfTagDoAction(SwfIStream& is) : SwfTag(12) {
    readScript(is, *this, actions);
}

std::uint32_t SwfTagDoAction::bodySize(SwfSizeContext& ctx) {
    const std::uint64_t size = actions.computeSize(ctx);
    if (size > std::numeric_limits<std::uint32_t>::max())
        throw SwfException(SwfException::ValueOutOfRange,
                           "a DoAction body of " + std::to_string(size) +
                               " bytes does not fit a 32-bit tag length");
    return static_cast<std::uint32_t>(size);
}

void SwfTagDoAction::writeBody(SwfOStream& os) const {
    actions.write(os);
}

SwfTagDoInitAction::SwfTagDoInitAction(SwfIStream& is) : SwfTag(59) {
    spriteId = is.readU16();
    readScript(is, *this, actions);
}

std::uint32_t SwfTagDoInitAction::bodySize(SwfSizeContext& ctx) {
    const std::uint64_t size = 2 + actions.computeSize(ctx);
    if (size > std::numeric_limits<std::uint32_t>::max())
        throw SwfException(SwfException::ValueOutOfRange,
                           "a DoInitAction body of " + std::to_string(size) +
                               " bytes does not fit a 32-bit tag length");
    return static_cast<std::uint32_t>(size);
}

void SwfTagDoInitAction::writeBody(SwfOStream& os) const {
    os.writeU16(spriteId);
    actions.write(os);
}

} // namespace libswf
