// Version 1 and 2 script byte code: action records, push values, action lists, and the two
// tags that carry top-level script (DoAction, DoInitAction).
#pragma once

#include "libswf/movie.h"
#include "libswf/records.h"

#include <cstdint>
#include <memory>
#include <span>
#include <vector>

namespace libswf {

class SwfAction;
using SwfActionPtr = std::unique_ptr<SwfAction>;

// One action record. A plain SwfAction is an action without payload, named or not; the
// subclasses are the actions with fields. The payload length is kept as read until a size
// pass recomputes it.
class SwfAction : public SwfStruct {
    friend SwfActionPtr readSwfAction(SwfIStream& is);

public:
    explicit SwfAction(std::uint8_t code) : m_code(code) {}

    virtual bool isUnknown() const { return false; }
    // A plain action has no fields, whatever its code; the subclasses are never plain.
    bool isPlain() const { return m_plain; }

    std::uint8_t code() const { return m_code; }
    // The payload length after the record header: as read, then as the last size pass found.
    std::uint16_t length() const { return m_length; }
    void setLength(std::uint16_t length) { m_length = length; }

    // Recomputes the payload length, counts and body sizes; returns the bytes the action takes
    // in its list: record header, payload, and a body that follows the record. Throws
    // ValueOutOfRange when a length, count or body size does not fit its 16-bit field, or when
    // an action below 0x80, which has no length, is given a payload.
    std::uint32_t computeSize(SwfSizeContext& ctx);
    // The code, the length for codes from 0x80 on, then the payload; requires the size pass.
    void write(SwfOStream& os) const;

protected:
    struct Subclass {};
    SwfAction(std::uint8_t code, Subclass) : m_code(code), m_plain(false) {}

    virtual std::uint32_t payloadSize(SwfSizeContext&) { return 0; }
    // The bodies written after the record outside its length (With, DefineFunction,
    // DefineFunction2, Try), as the last payloadSize found them.
    virtual std::uint32_t followingSize() const { return 0; }
    // The payload and the following body.
    virtual void writePayload(SwfOStream&) const {}
    // Reads the bodies that follow the record (With, DefineFunction, DefineFunction2, Try),
    // once its own fields are known to fill the length it declares.
    virtual void readFollowing(SwfIStream&) {}

private:
    std::uint16_t m_length = 0;
    std::uint8_t m_code;
    bool m_plain = true;
};

// An owning list of actions in file order: the script of DoAction and DoInitAction, of clip
// and button actions, and the bodies of With, DefineFunction, DefineFunction2 and Try.
class SwfActions : public SwfStruct, public SwfPtrVector<SwfAction> {
public:
    // Reads actions up to and including the first End. A list whose bytes end before an End
    // (an empty DoAction, say) ends with its last action, so that it is written back as read.
    void readUntilEnd(SwfIStream& is);
    // Reads actions while the position is less than `size` bytes past where the list starts;
    // an action that crosses that point is read whole and ends the list.
    void readBySize(SwfIStream& is, std::uint32_t size);

    // Sizes every action, nested bodies included; returns the list's bytes and keeps them.
    std::uint64_t computeSize(SwfSizeContext& ctx);
    // The bytes of the last size pass.
    std::uint64_t byteSize() const { return m_byteSize; }
    void write(SwfOStream& os) const;

private:
    std::uint64_t m_byteSize = 0;
};

// Reads one action at the stream's position. Codes with a class are built as that class
// unless the stream's keep-raw action table says otherwise; other codes with a payload are
// kept raw, and codes without one become plain actions. The length a record declares decides
// where the next action starts, as it does for a player: a record of a class whose fields do
// not fill that length exactly is kept raw too, so that its bytes, and the script, survive.
SwfActionPtr readSwfAction(SwfIStream& is);

// ---- push values ------------------------------------------------------------------------

// One value of a Push; a plain SwfValue is null or undefined.
class SwfValue : public SwfStruct {
public:
    enum Type : std::uint8_t {
        String = 0,
        Float = 1,
        Null = 2,
        Undefined = 3,
        Register = 4,
        Boolean = 5,
        Double = 6,
        Integer = 7,
        Constant8 = 8,
        Constant16 = 9,
    };

    explicit SwfValue(std::uint8_t type) : m_type(type) {}

    std::uint8_t type() const { return m_type; }
    // A plain value (null, undefined) has no data; the subclasses are never plain.
    bool isPlain() const { return m_plain; }
    // Bytes including the type byte. Throws ValueOutOfRange for a plain value of a type that
    // carries data, which only its subclass can write.
    virtual std::uint32_t computeSize(const SwfStream& ctx) const;
    void write(SwfOStream& os) const;

protected:
    struct Subclass {};
    SwfValue(std::uint8_t type, Subclass) : m_type(type), m_plain(false) {}

    virtual void writeData(SwfOStream&) const {}

private:
    std::uint8_t m_type;
    bool m_plain = true;
};

using SwfValues = SwfPtrVector<SwfValue>;

class SwfValueString : public SwfValue {
public:
    SwfValueString() : SwfValue(String, Subclass{}) {}
    explicit SwfValueString(std::string text)
        : SwfValue(String, Subclass{}), text(std::move(text)) {}
    explicit SwfValueString(SwfIStream& is);

    SwfString text;

    std::uint32_t computeSize(const SwfStream& ctx) const override;

protected:
    void writeData(SwfOStream& os) const override;
};

// A single-precision number kept as its 32 bits, so that every pattern survives.
class SwfValueFloat : public SwfValue {
public:
    SwfValueFloat() : SwfValue(Float, Subclass{}) {}
    explicit SwfValueFloat(SwfIStream& is);

    std::uint32_t bits = 0;

    std::uint32_t computeSize(const SwfStream&) const override { return 5; }

protected:
    void writeData(SwfOStream& os) const override;
};

class SwfValueRegister : public SwfValue {
public:
    SwfValueRegister() : SwfValue(Register, Subclass{}) {}
    explicit SwfValueRegister(SwfIStream& is);

    std::uint8_t number = 0;

    std::uint32_t computeSize(const SwfStream&) const override { return 2; }

protected:
    void writeData(SwfOStream& os) const override;
};

// The byte as stored: players treat any non-zero value as true, and movies differ.
class SwfValueBoolean : public SwfValue {
public:
    SwfValueBoolean() : SwfValue(Boolean, Subclass{}) {}
    explicit SwfValueBoolean(SwfIStream& is);

    std::uint8_t value = 0;

    std::uint32_t computeSize(const SwfStream&) const override { return 2; }

protected:
    void writeData(SwfOStream& os) const override;
};

// Stored with the high 32-bit word first, each word little-endian.
class SwfValueDouble : public SwfValue {
public:
    SwfValueDouble() : SwfValue(Double, Subclass{}) {}
    explicit SwfValueDouble(SwfIStream& is);

    double value = 0;

    std::uint32_t computeSize(const SwfStream&) const override { return 9; }

protected:
    void writeData(SwfOStream& os) const override;
};

class SwfValueInteger : public SwfValue {
public:
    SwfValueInteger() : SwfValue(Integer, Subclass{}) {}
    explicit SwfValueInteger(SwfIStream& is);

    std::int32_t value = 0;

    std::uint32_t computeSize(const SwfStream&) const override { return 5; }

protected:
    void writeData(SwfOStream& os) const override;
};

class SwfValueConstant8 : public SwfValue {
public:
    SwfValueConstant8() : SwfValue(Constant8, Subclass{}) {}
    explicit SwfValueConstant8(SwfIStream& is);

    std::uint8_t index = 0;

    std::uint32_t computeSize(const SwfStream&) const override { return 2; }

protected:
    void writeData(SwfOStream& os) const override;
};

class SwfValueConstant16 : public SwfValue {
public:
    SwfValueConstant16() : SwfValue(Constant16, Subclass{}) {}
    explicit SwfValueConstant16(SwfIStream& is);

    std::uint16_t index = 0;

    std::uint32_t computeSize(const SwfStream&) const override { return 3; }

protected:
    void writeData(SwfOStream& os) const override;
};

// ---- actions with fields ----------------------------------------------------------------

class SwfActionGotoFrame : public SwfAction {
public:
    SwfActionGotoFrame() : SwfAction(0x81, Subclass{}) {}
    explicit SwfActionGotoFrame(SwfIStream& is);

    std::uint16_t frame = 0;

protected:
    std::uint32_t payloadSize(SwfSizeContext&) override { return 2; }
    void writePayload(SwfOStream& os) const override;
};

class SwfActionGetURL : public SwfAction {
public:
    SwfActionGetURL() : SwfAction(0x83, Subclass{}) {}
    explicit SwfActionGetURL(SwfIStream& is);

    SwfString url;
    SwfString target;

protected:
    std::uint32_t payloadSize(SwfSizeContext& ctx) override;
    void writePayload(SwfOStream& os) const override;
};

class SwfActionStoreRegister : public SwfAction {
public:
    SwfActionStoreRegister() : SwfAction(0x87, Subclass{}) {}
    explicit SwfActionStoreRegister(SwfIStream& is);

    std::uint8_t number = 0;

protected:
    std::uint32_t payloadSize(SwfSizeContext&) override { return 1; }
    void writePayload(SwfOStream& os) const override;
};

// The strings that Constant8 and Constant16 push values refer to by index.
class SwfActionConstantPool : public SwfAction {
public:
    SwfActionConstantPool() : SwfAction(0x88, Subclass{}) {}
    explicit SwfActionConstantPool(SwfIStream& is);

    SwfStrings constants;

protected:
    std::uint32_t payloadSize(SwfSizeContext& ctx) override;
    void writePayload(SwfOStream& os) const override;
};

class SwfActionWaitForFrame : public SwfAction {
public:
    SwfActionWaitForFrame() : SwfAction(0x8A, Subclass{}) {}
    explicit SwfActionWaitForFrame(SwfIStream& is);

    std::uint16_t frame = 0;
    std::uint8_t skipCount = 0;

protected:
    std::uint32_t payloadSize(SwfSizeContext&) override { return 3; }
    void writePayload(SwfOStream& os) const override;
};

class SwfActionSetTarget : public SwfAction {
public:
    SwfActionSetTarget() : SwfAction(0x8B, Subclass{}) {}
    explicit SwfActionSetTarget(SwfIStream& is);

    SwfString target;

protected:
    std::uint32_t payloadSize(SwfSizeContext& ctx) override;
    void writePayload(SwfOStream& os) const override;
};

class SwfActionGoToLabel : public SwfAction {
public:
    SwfActionGoToLabel() : SwfAction(0x8C, Subclass{}) {}
    explicit SwfActionGoToLabel(SwfIStream& is);

    SwfString label;

protected:
    std::uint32_t payloadSize(SwfSizeContext& ctx) override;
    void writePayload(SwfOStream& os) const override;
};

class SwfActionWaitForFrame2 : public SwfAction {
public:
    SwfActionWaitForFrame2() : SwfAction(0x8D, Subclass{}) {}
    explicit SwfActionWaitForFrame2(SwfIStream& is);

    std::uint8_t skipCount = 0;

protected:
    std::uint32_t payloadSize(SwfSizeContext&) override { return 1; }
    void writePayload(SwfOStream& os) const override;
};

// One parameter of DefineFunction2: the register it is kept in (0 for none) and its name.
struct SwfRegisterParam {
    std::uint8_t registerNumber = 0;
    SwfString name;
};

using SwfRegisterParams = std::vector<SwfRegisterParam>;

// A function with registers. The parameter count and the body size are recomputed; the
// body is written after the record, outside its length.
class SwfActionDefineFunction2 : public SwfAction {
public:
    static constexpr std::uint16_t PreloadThis = 0x0001;
    static constexpr std::uint16_t SuppressThis = 0x0002;
    static constexpr std::uint16_t PreloadArguments = 0x0004;
    static constexpr std::uint16_t SuppressArguments = 0x0008;
    static constexpr std::uint16_t PreloadSuper = 0x0010;
    static constexpr std::uint16_t SuppressSuper = 0x0020;
    static constexpr std::uint16_t PreloadRoot = 0x0040;
    static constexpr std::uint16_t PreloadParent = 0x0080;
    static constexpr std::uint16_t PreloadGlobal = 0x0100;

    SwfActionDefineFunction2() : SwfAction(0x8E, Subclass{}) {}
    explicit SwfActionDefineFunction2(SwfIStream& is);

    SwfString name;
    std::uint8_t registerCount = 0;
    std::uint16_t flags = 0; // kept whole, bits without a name included
    SwfRegisterParams parameters;
    SwfActions body;

protected:
    std::uint32_t payloadSize(SwfSizeContext& ctx) override;
    std::uint32_t followingSize() const override { return m_bodySize; }
    void writePayload(SwfOStream& os) const override;
    void readFollowing(SwfIStream& is) override;

private:
    std::uint16_t m_bodySize = 0; // as read, then as the last size pass found it
};

// A try block with optional catch and finally blocks. The three bodies follow the record
// outside its length, as movies from authoring tools have them. The flags byte is kept whole;
// the bits that say which parts are written (catch block, finally block, catch in a register)
// are made to agree with the fields when it is written.
class SwfActionTry : public SwfAction {
public:
    static constexpr std::uint8_t HasCatchBlock = 0x01;
    static constexpr std::uint8_t HasFinallyBlock = 0x02;
    static constexpr std::uint8_t CatchInRegisterFlag = 0x04;

    SwfActionTry() : SwfAction(0x8F, Subclass{}) {}
    explicit SwfActionTry(SwfIStream& is);

    std::uint8_t flags = 0;
    bool catchInRegister = false;
    std::uint8_t catchRegister = 0; // when catchInRegister
    SwfString catchName;            // otherwise
    SwfActions tryBody;
    SwfActions catchBody;
    SwfActions finallyBody;

    // The flags byte as written: the kept flags with the three structural bits from the fields.
    std::uint8_t writtenFlags() const;

protected:
    std::uint32_t payloadSize(SwfSizeContext& ctx) override;
    std::uint32_t followingSize() const override { return m_bodiesSize; }
    void writePayload(SwfOStream& os) const override;
    void readFollowing(SwfIStream& is) override;

private:
    std::uint32_t m_bodiesSize = 0;
    std::uint16_t m_readSizes[3] = {}; // try, catch, finally as the record gives them
};

class SwfActionWith : public SwfAction {
public:
    SwfActionWith() : SwfAction(0x94, Subclass{}) {}
    explicit SwfActionWith(SwfIStream& is);

    SwfActions body;

protected:
    std::uint32_t payloadSize(SwfSizeContext& ctx) override;
    std::uint32_t followingSize() const override { return m_bodySize; }
    void writePayload(SwfOStream& os) const override;
    void readFollowing(SwfIStream& is) override;

private:
    std::uint16_t m_bodySize = 0; // as read, then as the last size pass found it
};

// The declared payload length is the byte budget of the values.
class SwfActionPush : public SwfAction {
public:
    SwfActionPush() : SwfAction(0x96, Subclass{}) {}
    SwfActionPush(SwfIStream& is, std::uint16_t length);

    SwfValues values;

protected:
    std::uint32_t payloadSize(SwfSizeContext& ctx) override;
    void writePayload(SwfOStream& os) const override;
};

// Jump and If: the signed offset in bytes from the end of the record, kept as held. Nothing
// recomputes it when actions between the branch and its target change.
class SwfActionBranch : public SwfAction {
public:
    explicit SwfActionBranch(std::uint8_t code) : SwfAction(code, Subclass{}) {}
    SwfActionBranch(std::uint8_t code, SwfIStream& is);

    std::int16_t offset = 0;

protected:
    std::uint32_t payloadSize(SwfSizeContext&) override { return 2; }
    void writePayload(SwfOStream& os) const override;
};

class SwfActionJump : public SwfActionBranch {
public:
    SwfActionJump() : SwfActionBranch(0x99) {}
    explicit SwfActionJump(SwfIStream& is) : SwfActionBranch(0x99, is) {}
};

class SwfActionIf : public SwfActionBranch {
public:
    SwfActionIf() : SwfActionBranch(0x9D) {}
    explicit SwfActionIf(SwfIStream& is) : SwfActionBranch(0x9D, is) {}
};

// The flags byte is kept whole: load variables, load target, the send method in bits 6 and 7.
class SwfActionGetURL2 : public SwfAction {
public:
    static constexpr std::uint8_t LoadVariables = 0x01;
    static constexpr std::uint8_t LoadTarget = 0x02;
    static constexpr std::uint8_t MethodMask = 0xC0;
    static constexpr unsigned MethodShift = 6; // 0 none, 1 GET, 2 POST

    SwfActionGetURL2() : SwfAction(0x9A, Subclass{}) {}
    explicit SwfActionGetURL2(SwfIStream& is);

    std::uint8_t flags = 0;

protected:
    std::uint32_t payloadSize(SwfSizeContext&) override { return 1; }
    void writePayload(SwfOStream& os) const override;
};

// A function with named parameters; the parameter count and body size are recomputed and
// the body is written after the record, outside its length.
class SwfActionDefineFunction : public SwfAction {
public:
    SwfActionDefineFunction() : SwfAction(0x9B, Subclass{}) {}
    explicit SwfActionDefineFunction(SwfIStream& is);

    SwfString name;
    SwfStrings parameters;
    SwfActions body;

protected:
    std::uint32_t payloadSize(SwfSizeContext& ctx) override;
    std::uint32_t followingSize() const override { return m_bodySize; }
    void writePayload(SwfOStream& os) const override;
    void readFollowing(SwfIStream& is) override;

private:
    std::uint16_t m_bodySize = 0; // as read, then as the last size pass found it
};

// The scene bias is written, with its flag, only when it is not 0.
class SwfActionGotoFrame2 : public SwfAction {
public:
    SwfActionGotoFrame2() : SwfAction(0x9F, Subclass{}) {}
    explicit SwfActionGotoFrame2(SwfIStream& is);

    bool play = false;
    std::uint16_t sceneBias = 0;

protected:
    std::uint32_t payloadSize(SwfSizeContext&) override { return sceneBias ? 3 : 1; }
    void writePayload(SwfOStream& os) const override;
};

// An action kept as its payload bytes: codes without a class that carry a payload, and codes
// the reader was told to keep raw. Only codes from 0x80 on have room for a payload.
class SwfActionUnknown : public SwfAction {
public:
    explicit SwfActionUnknown(std::uint8_t code) : SwfAction(code, Subclass{}) {}
    SwfActionUnknown(SwfIStream& is, std::uint8_t code, std::uint16_t length);

    bool isUnknown() const override { return true; }

    std::vector<std::uint8_t> payload;

protected:
    std::uint32_t payloadSize(SwfSizeContext&) override;
    void writePayload(SwfOStream& os) const override;
};

// ---- names ------------------------------------------------------------------------------

// One action code the program names: the XML element name and whether a class with fields
// stands for it.
struct SwfActionInfo {
    std::uint8_t code;
    const char* name;
    bool hasFields;
};

// Every named action code, in code order.
std::span<const SwfActionInfo> swfActionTable();
// The row of a code, or null for codes without a name.
const SwfActionInfo* findSwfAction(std::uint8_t code);

// ---- tags -------------------------------------------------------------------------------

class SwfTagDoAction : public SwfTag {
public:
    SwfTagDoAction() : SwfTag(12) {}
    explicit SwfTagDoAction(SwfIStream& is);

    SwfActions actions;

protected:
    std::uint32_t bodySize(SwfSizeContext& ctx) override;
    void writeBody(SwfOStream& os) const override;
};

// Script run once before the first frame of the sprite it names.
class SwfTagDoInitAction : public SwfTag {
public:
    SwfTagDoInitAction() : SwfTag(59) {}
    explicit SwfTagDoInitAction(SwfIStream& is);

    std::uint16_t spriteId = 0;
    SwfActions actions;

protected:
    std::uint32_t bodySize(SwfSizeContext& ctx) override;
    void writeBody(SwfOStream& os) const override;
};

} // namespace libswf
