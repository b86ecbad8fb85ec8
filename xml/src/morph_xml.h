// The XML form of the morph family that other modules reuse.
#pragma once

#include "libswf/morph.h"

#include "swfxml/values.h"

namespace swfxml {

// Appends the element of one morph fill style: MorphSolidFillStyle, MorphGradientFillStyle
// (with its MorphGradientRecords) or BitmapFillStyle.
void appendMorphFill(SwfXmlOut& parent, const libswf::SwfMorphFillStyle& fill);

} // namespace swfxml
