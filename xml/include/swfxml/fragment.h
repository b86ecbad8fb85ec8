// The XML text of one tag, action or record on its own, as the dialect's writers produce it.
// The editor's templates are made from it, so that what a user inserts is always what a
// conversion writes and a compile reads; the writers behind it may change freely.
#pragma once

#include "libswf/actions.h"
#include "libswf/control.h"
#include "libswf/filters.h"
#include "libswf/fonts.h"
#include "libswf/morph.h"
#include "libswf/movie.h"
#include "libswf/records.h"
#include "libswf/shapes.h"
#include "libswf/sound.h"

#include <string>

namespace swfxml {

// Each gives the element as it stands among a movie's tags: its first line without
// indentation, its children indented as in a document (eight blanks for the first level
// below it, four for its end tag), "\n" between lines and no line break at the end. A tag of
// a code without a codec gives the Unknown form, as in a conversion.
std::string fragmentXml(const libswf::SwfTag& tag);
std::string fragmentXml(const libswf::SwfAction& action);
// Push values: String, Float, Null, Undefined, Register, Boolean, Double, Integer,
// Constant8, Constant16.
std::string fragmentXml(const libswf::SwfValue& value);

// Records, each under the element name it has in a tag. Rect and Matrix are named by the tag
// that holds them; on their own they are "Rect" and "Matrix".
std::string fragmentXml(const libswf::SwfRect& rect);
std::string fragmentXml(const libswf::SwfMatrix& matrix);
std::string fragmentXml(const libswf::SwfColorTransform& transform);
std::string fragmentXml(const libswf::SwfLine& line);
std::string fragmentXml(const libswf::SwfCurve& curve);
std::string fragmentXml(const libswf::SwfFillStyle& fill);
std::string fragmentXml(const libswf::SwfGradientRecord& record);
std::string fragmentXml(const libswf::SwfMorphGradientRecord& record);
std::string fragmentXml(const libswf::SwfFilter& filter);
std::string fragmentXml(const libswf::SwfAsset& asset);
std::string fragmentXml(const libswf::SwfRegisterParam& parameter);
std::string fragmentXml(const libswf::SwfZoneData& zone);
std::string fragmentXml(const libswf::SwfSoundEnvelope& point);

} // namespace swfxml
