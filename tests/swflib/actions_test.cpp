// The binary side of script: how lists end, what the size pass recomputes and what it keeps,
// raw actions, and the failures of hostile or oversized scripts.
#include "libswf/actions.h"
#include "libswf/exception.h"
#include "swf_bytes.h"

#include <gtest/gtest.h>

using namespace libswf;
using namespace vorn::test;

namespace {

Bytes movieOf(std::uint8_t version, const Bytes& tags) {
    return movie(version, 0, concat({tags, u16(0)}));
}

// The DoAction body that reading the body and writing the movie again gives.
Bytes rewritten(const Bytes& body, SwfMovie m = SwfMovie()) {
    m.read(movieOf(7, tag(12, body)));
    m.compressed = false;
    const Bytes out = toBytes(m.write());
    SwfMovie raw;
    keepAllRaw(raw);
    raw.read(out);
    return static_cast<const SwfTagUnknown&>(raw.tags[0]).body;
}

// The reason reading a DoAction of this body fails with, or "".
std::string readFailure(const Bytes& body) {
    try {
        SwfMovie m;
        m.read(movieOf(7, tag(12, body)));
    } catch (const SwfException& e) {
        return e.what();
    }
    return "";
}

// The reason writing a DoAction of this one action fails with, or "".
std::string writeFailure(SwfActionPtr action) {
    SwfMovie m(false, 7, 0, 0, 12.0f);
    auto script = std::make_unique<SwfTagDoAction>();
    script->actions.push_back(std::move(action));
    m.tags.append(std::move(script));
    try {
        m.write();
    } catch (const SwfException& e) {
        return e.what();
    }
    return "";
}

SwfActions& actionsOf(SwfMovie& m) {
    return static_cast<SwfTagDoAction&>(m.tags[0]).actions;
}

// Raw, or a bare action of a code whose class has fields (a record that declared none).
bool keptAsBytes(const SwfAction& action) {
    const SwfActionInfo* info = findSwfAction(action.code());
    return action.isUnknown() || (action.isPlain() && info && info->hasFields);
}

SwfActions stops(std::size_t n) {
    SwfActions list;
    for (std::size_t i = 0; i < n; ++i)
        list.push_back(std::make_unique<SwfAction>(0x07));
    return list;
}

} // namespace

TEST(Actions, ListsEndAtTheirFirstEndOrWhereTheBodyEnds) {
    EXPECT_EQ(toHex(rewritten(hex("07 00 06 06"))), "07 00");
    EXPECT_EQ(toHex(rewritten(hex("07 06"))), "07 06");
    EXPECT_EQ(toHex(rewritten({})), "");
    EXPECT_EQ(toHex(rewritten(hex("00"))), "00");

    SwfMovie m;
    m.read(movieOf(7, tag(12, hex("07 00 06"))));
    ASSERT_EQ(actionsOf(m).size(), 2u);
    EXPECT_EQ(actionsOf(m)[1]->code(), 0);
}

TEST(Actions, TheLengthARecordDeclaresDecidesWhereTheNextActionStarts) {
    // A player moves on by the declared length. A record whose fields need more bytes than it
    // declares, or leave some over, is kept as its bytes, so that the script comes back as
    // the player runs it: never with other actions made of the bytes between.
    const struct {
        const char* body;
        const char* actions; // the codes read, "raw" after those kept as bytes
    } rows[] = {
        {"81 02 00 05 00 07 00", "129 7 0"},
        {"81 04 00 05 00 07 07 00", "129raw 0"}, // two bytes more than the frame
        {"81 01 00 05 00", "129raw 0"},          // one byte short of it
        {"81 00 00 07 00", "129raw 7 0"},        // no room for it at all
        {"8b 02 00 61 62 07 00", "139raw 7 0"},  // a name without its zero
        {"9f 01 00 02 00", "159raw 0"},          // a scene bias announced, not declared
        {"94 01 00 05 07 00", "148raw 7 0"},     // a With without room for its size
        {"9b 07 00 66 00 00 00 01 00 aa 07 00", "155raw 7 0"}, // a DefineFunction with a spare byte
        {"9b 06 00 66 00 00 00 01 00 07 00", "155 0"},         // ... and without, its body the Stop
        {"96 02 00 08 01 00", "150 0"},                        // a Push's values are its length
    };
    for (const auto& row : rows) {
        SwfMovie m;
        m.read(movieOf(7, tag(12, hex(row.body))));
        std::string actions;
        for (const SwfActionPtr& action : actionsOf(m))
            actions += (actions.empty() ? "" : " ") + std::to_string(action->code()) +
                       (keptAsBytes(*action) ? "raw" : "");
        EXPECT_EQ(actions, row.actions) << row.body;
        EXPECT_EQ(toHex(rewritten(hex(row.body))), toHex(hex(row.body)));
    }
    // A body read by size takes the action that crosses its end whole and grows to it.
    EXPECT_EQ(toHex(rewritten(hex("94 02 00 01 00 81 02 00 05 00 07 00"))),
              "94 02 00 05 00 81 02 00 05 00 07 00");
}

TEST(Actions, BranchesKeepTheirOffsetsAndRecordsTheirLengthsWhenBodiesChange) {
    SwfMovie m;
    m.read(movieOf(7, tag(12, hex("99 02 00 01 00 07 06 9b 05 00 00 00 00 01 00 07 00"))));
    SwfActions& list = actionsOf(m);
    list.insert(list.begin() + 1, std::make_unique<SwfAction>(0x07));
    auto& function = static_cast<SwfActionDefineFunction&>(*list[4]);
    function.body.push_back(std::make_unique<SwfActionPush>()); // 3 more bytes
    m.compressed = false;
    const Bytes out = toBytes(m.write());
    EXPECT_EQ(toHex(out),
              toHex(movieOf(7, tag(12, hex("99 02 00 01 00 07 07 06 "
                                           "9b 05 00 00 00 00 04 00 07 96 00 00 00")))));
    EXPECT_EQ(function.length(), 5);
}

TEST(Actions, TheKeepRawTableHoldsActionsAsTheirBytes) {
    SwfMovie m;
    m.keepRawActions[0x96] = true;
    m.keepRawActions[0x07] = true;
    m.read(movieOf(7, tag(12, hex("96 02 00 04 01 07 06 00"))));
    const SwfActions& list = actionsOf(m);
    ASSERT_EQ(list.size(), 4u);
    EXPECT_TRUE(list[0]->isUnknown());
    EXPECT_EQ(toHex(static_cast<const SwfActionUnknown&>(*list[0]).payload), "04 01");
    EXPECT_TRUE(list[1]->isUnknown());
    EXPECT_FALSE(list[2]->isUnknown());

    SwfMovie raw;
    raw.keepRawActions[0x96] = raw.keepRawActions[0x07] = true;
    EXPECT_EQ(toHex(rewritten(hex("96 02 00 04 01 07 06 00"), std::move(raw))),
              "96 02 00 04 01 07 06 00");
}

TEST(Actions, TryAnnouncesTheBlocksItWrites) {
    // Built without flags: a catch in a register with actions and an empty finally.
    auto block = std::make_unique<SwfActionTry>();
    block->flags = 0x04; // says "register", which the fields overrule
    block->catchInRegister = false;
    block->catchName.text = "e";
    block->catchBody.push_back(std::make_unique<SwfAction>(0x17));
    SwfMovie m(false, 7, 11000, 8000, 12.0f);
    auto script = std::make_unique<SwfTagDoAction>();
    script->actions.push_back(std::move(block));
    m.tags.append(std::move(script));
    EXPECT_EQ(toHex(toBytes(m.write())),
              toHex(movieOf(7, tag(12, hex("8f 09 00 01 00 00 01 00 00 00 65 00 17")))));
}

TEST(Actions, HostileScriptsFailTheRead) {
    EXPECT_EQ(
        readFailure(hex("96 02 00 0a 00 00")),
        "UnexpectedEnd: a Push value of type 10, which is none of the ten value types (tag 12 "
        "DoAction at offset 21, tag index 0; failed at offset 26)");
    EXPECT_EQ(readFailure(hex("96 03 00 07 01 02 03 04 00")),
              "UnexpectedEnd: a Push value of type 7 needs 4 bytes after its type but only 2 "
              "remain of the 3 its record declares (tag 12 DoAction at offset 21, tag index 0; "
              "failed at offset 26)");
    EXPECT_EQ(readFailure(hex("96 03 00 00 61 62 00 00")),
              "UnexpectedEnd: a Push value of type 0 needs 3 bytes after its type but only 2 "
              "remain of the 3 its record declares (tag 12 DoAction at offset 21, tag index 0; "
              "failed at offset 26)");
    EXPECT_EQ(readFailure(hex("96 07 00 02 07 01 00")),
              "UnexpectedEnd: a 32-bit value needs 4 bytes but only 2 remain in the tag body (tag "
              "12 DoAction at offset 21, tag index 0; failed at offset 28)");
    EXPECT_EQ(readFailure(hex("94 02 00 05 00 07")),
              "UnexpectedEnd: a byte needs 1 byte but none remain in the tag body (tag 12 "
              "DoAction at offset 21, tag index 0; failed at offset 29)");
    EXPECT_EQ(readFailure(hex("a0 03 00 01")),
              "UnexpectedEnd: a block needs 3 bytes but only 1 remain in the tag body (tag 12 "
              "DoAction at offset 21, tag index 0; failed at offset 26)");

    // Bodies nest 64 deep, and no deeper.
    Bytes nested;
    for (int depth = 1; depth <= 65; ++depth) {
        nested = concat({hex("94 02 00"), u16(static_cast<std::uint16_t>(nested.size())), nested});
        if (depth == 64) {
            EXPECT_EQ(readFailure(concat({nested, hex("00")})), "");
        }
    }
    EXPECT_EQ(readFailure(concat({nested, hex("00")})),
              "UnexpectedEnd: action bodies are nested more than 64 levels deep (tag 12 DoAction "
              "at offset 21, tag index 0)");
    // A record's own fields never read past the length it declares, so a string that runs on
    // cannot make a record too long to write back: the GetURL is kept as its 10 bytes, and
    // the rest of the string is actions (0x61 is BitOr).
    const Bytes url(70000, 'a');
    EXPECT_EQ(toHex(rewritten(concat({hex("83 0a 00"), url, hex("00")}))),
              toHex(concat({hex("83 0a 00"), url, hex("00")})));
}

TEST(Actions, CountsSizesAndLengthsBeyondTheirFieldsFailTheWrite) {
    const std::string where = " (tag 12 DoAction, tag index 0)";
    auto pool = std::make_unique<SwfActionConstantPool>();
    for (int i = 0; i < 65536; ++i)
        pool->constants.push_back(std::make_unique<SwfString>());
    EXPECT_EQ(writeFailure(std::move(pool)), "ValueOutOfRange: a ConstantPool has 65536 strings, "
                                             "more than the 65535 its count can hold" +
                                                 where);

    auto function = std::make_unique<SwfActionDefineFunction>();
    for (int i = 0; i < 65536; ++i)
        function->parameters.push_back(std::make_unique<SwfString>());
    EXPECT_EQ(writeFailure(std::move(function)),
              "ValueOutOfRange: a DefineFunction has 65536 parameters, more than the 65535 its "
              "count can hold" +
                  where);

    auto function2 = std::make_unique<SwfActionDefineFunction2>();
    function2->parameters.resize(65536);
    EXPECT_EQ(writeFailure(std::move(function2)),
              "ValueOutOfRange: a DefineFunction2 has 65536 parameters, more than the 65535 its "
              "count can hold" +
                  where);

    function2 = std::make_unique<SwfActionDefineFunction2>();
    function2->body = stops(65536);
    EXPECT_EQ(writeFailure(std::move(function2)),
              "ValueOutOfRange: a DefineFunction2 body of 65536 bytes does not fit its 16-bit "
              "size" +
                  where);

    function = std::make_unique<SwfActionDefineFunction>();
    function->body = stops(65535);
    EXPECT_EQ(writeFailure(std::move(function)), "");

    auto with = std::make_unique<SwfActionWith>();
    with->body = stops(65536);
    EXPECT_EQ(writeFailure(std::move(with)),
              "ValueOutOfRange: a With body of 65536 bytes does not fit its 16-bit size" + where);

    auto block = std::make_unique<SwfActionTry>();
    block->finallyBody = stops(70000);
    EXPECT_EQ(writeFailure(std::move(block)),
              "ValueOutOfRange: a Try's finally block of 70000 bytes does not fit its 16-bit "
              "size" +
                  where);

    auto push = std::make_unique<SwfActionPush>();
    push->values.push_back(std::make_unique<SwfValueString>(std::string(65534, 'a')));
    EXPECT_EQ(writeFailure(std::move(push)),
              "ValueOutOfRange: a Push payload of 65536 bytes does not fit the 16-bit length of "
              "its record" +
                  where);

    push = std::make_unique<SwfActionPush>();
    push->values.push_back(std::make_unique<SwfValueString>(std::string(65533, 'a')));
    EXPECT_EQ(writeFailure(std::move(push)), "");

    push = std::make_unique<SwfActionPush>();
    push->values.push_back(std::make_unique<SwfValue>(SwfValue::Integer));
    EXPECT_EQ(writeFailure(std::move(push)),
              "ValueOutOfRange: a Push value of type 7 was given without its data" + where);

    auto low = std::make_unique<SwfActionUnknown>(0x02);
    low->payload = {1};
    EXPECT_EQ(writeFailure(std::move(low)),
              "ValueOutOfRange: action 2 has 1 payload bytes, but actions below 128 have no "
              "length to carry them" +
                  where);
}
