// The XML forms of the shape family that other families reuse: edge records (glyph outlines,
// morph edges), the names of bitmap fill kinds and the flags of extended line styles.
#pragma once

#include "libswf/shapes.h"

#include "swfxml/values.h"
#include <cstdint>
#include <string_view>

namespace swfxml {

// Appends one Line, Curve or StyleChange element per record to the element. Inside NewStyles
// the line styles take the LineStyles2 form when lineStyles2 is set, else the LineStyles form.
// Index widths the file gave (SwfIndexWidths) appear as FillBits and LineBits attributes of
// the element and of NewStyles.
void appendShapeRecords(SwfXmlOut& element, const libswf::SwfShapeRecords& records,
                        bool lineStyles2);
// Reads the element's Line, Curve and StyleChange children in document order; other
// children are skipped.
void readShapeRecords(const SwfXmlIn& element, libswf::SwfShapeRecords& records, bool lineStyles2);

// Appends a GradientRecord element.
void appendGradientRecord(SwfXmlOut& parent, const libswf::SwfGradientRecord& record);
// Appends the element of one fill style: SolidFillStyle, GradientFillStyle or BitmapFillStyle.
void appendFillStyle(SwfXmlOut& parent, const libswf::SwfFillStyle& fill);

// "Linear", "Radial", "FocalRadialGradient", or null for other types.
const char* gradientFillTypeName(std::uint8_t type);
// Sets type from one of those names in any case; false, leaving type alone, for other text.
bool parseGradientFillType(std::string_view text, std::uint8_t& type);

// "Tiled", "Clipped", "NonSmoothedTiled", "NonSmoothedClipped", or null for other types.
const char* bitmapFillTypeName(std::uint8_t type);
// Sets type from one of those names in any case; false, leaving type alone, for other text.
bool parseBitmapFillType(std::string_view text, std::uint8_t& type);

// The integer value of an attribute, of which only the low `width` bits are kept; 0 when the
// attribute is missing or its text is not a number.
unsigned readLowBits(const SwfXmlIn& node, std::string_view name, unsigned width);

// A BitsField element with the line style flags; the end cap attribute is named endCapName
// (the morph form spells it differently).
void appendLineFlags(SwfXmlOut& parent, const libswf::SwfLineFlags& flags, const char* endCapName);
// Each flag attribute found sets its sub-field, Reserved included.
void readLineFlags(const SwfXmlIn& bitsField, libswf::SwfLineFlags& flags);

} // namespace swfxml
