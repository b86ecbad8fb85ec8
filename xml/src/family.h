// The XML side of the tag registry: each tag family's writer and reader, by tag code. The
// element names come from the library's registry table; this table only adds the codecs.
#pragma once

#include "swfxml/convert.h"
#include "swfxml/values.h"

#include <memory>

namespace swfxml {

// Fills the tag's element (already created under its registry name).
using SwfXmlTagWriter = void (*)(SwfXmlWriter& ctx, const libswf::SwfTag& tag, SwfXmlOut& element);
// Builds a tag from its element. Throws libswf::SwfException for values that cannot be
// written.
using SwfXmlTagReader = std::unique_ptr<libswf::SwfTag> (*)(const SwfXmlIn& element,
                                                            SwfXmlReader& ctx);

struct SwfXmlTagCodec {
    std::uint16_t code;
    SwfXmlTagWriter write;
    SwfXmlTagReader read;
};

// The codec of a code, or null while its family is kept raw.
const SwfXmlTagCodec* findXmlCodec(std::uint16_t code);

// Reads a tag list element by element into target (a sprite's list when nested).
void readTags(SwfXmlReader& ctx, const SwfXmlIn& parent, libswf::SwfTags& target, bool nested);

// Family modules: their codec rows.
std::span<const SwfXmlTagCodec> frameCodecs();   // ShowFrame, End, DefineSprite
std::span<const SwfXmlTagCodec> controlCodecs(); // control and metadata tags
std::span<const SwfXmlTagCodec> shapeCodecs();   // DefineShape to DefineShape4
std::span<const SwfXmlTagCodec> morphCodecs();   // DefineMorphShape, DefineMorphShape2
std::span<const SwfXmlTagCodec> actionCodecs();  // DoAction, DoInitAction
std::span<const SwfXmlTagCodec> bitmapCodecs();  // JPEGTables and the DefineBits tags
std::span<const SwfXmlTagCodec> soundCodecs();   // sound and video tags
std::span<const SwfXmlTagCodec> fontCodecs();    // the font tags
std::span<const SwfXmlTagCodec> textCodecs();    // static text, edit text, CSMTextSettings
std::span<const SwfXmlTagCodec> buttonCodecs();  // the four button tags
std::span<const SwfXmlTagCodec> displayCodecs(); // PlaceObject2, PlaceObject3

// Picks, from children read one after another, the first child of each of several names, as
// a search by name from the first child finds it; later children of a name already taken
// are passed over. Index each name by a number below 32.
class FirstOfEach {
public:
    bool is(const SwfXmlIn& child, unsigned index, std::string_view name) {
        if (m_taken & (1u << index) || !namesEqual(child.name(), name))
            return false;
        m_taken |= 1u << index;
        return true;
    }

private:
    std::uint32_t m_taken = 0;
};

// Fails the conversion with a reason; the frame adds where.
[[noreturn]] void failRead(const std::string& reason);

} // namespace swfxml
