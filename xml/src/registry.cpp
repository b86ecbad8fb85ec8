// The XML codecs of every tag family, by tag code. A family joins by adding its rows here;
// element names, the keep-raw set and the reader's name table all follow from this table
// and the library's registry.
#include "family.h"

#include <array>

namespace swfxml {

namespace {

const std::array<const SwfXmlTagCodec*, 1024>& codecsByCode() {
    static const std::array<const SwfXmlTagCodec*, 1024> table = [] {
        std::array<const SwfXmlTagCodec*, 1024> t{};
        for (auto family : {frameCodecs(), controlCodecs(), actionCodecs(), shapeCodecs(),
                            morphCodecs(), bitmapCodecs(), soundCodecs(), textCodecs(),
                            buttonCodecs(), fontCodecs(), displayCodecs()})
            for (const SwfXmlTagCodec& codec : family)
                t[codec.code] = &codec;
        return t;
    }();
    return table;
}

} // namespace

const SwfXmlTagCodec* findXmlCodec(std::uint16_t code) {
    return code < 1024 ? codecsByCode()[code] : nullptr;
}

} // namespace swfxml
