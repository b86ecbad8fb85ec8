// The XML form of the filter list, which placements and button records share.
#pragma once

#include "libswf/filters.h"

#include "swfxml/values.h"
#include <cstdint>
#include <string_view>

namespace swfxml {

// Appends a FilterList element with one child per filter, in list order, its element chosen
// by the filter id.
SwfXmlOut appendFilterList(SwfXmlOut& parent, const libswf::SwfFilterList& list);
// Replaces list with the filters of a FilterList element; children that name no filter are
// skipped.
void readFilterList(const SwfXmlIn& element, libswf::SwfFilterList& list);

// A colour word in decimal, in hexadecimal after 0x, or in octal after a leading 0; text of
// any other form gives 0.
std::uint32_t parseColorWord(std::string_view text);

} // namespace swfxml
