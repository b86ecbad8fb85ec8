// The XML form of the sound-info record, which event sounds and button sounds share.
#pragma once

#include "libswf/sound.h"

#include "swfxml/values.h"

namespace swfxml {

// Appends an element of the caller's name: InPoint, OutPoint and LoopCount as far as their
// flags are set, a BitsField with the two sync flags (and HasEnvelope="false" for a record
// without an envelope), then one SoundEnvelope per point when the record has an envelope.
SwfXmlOut appendSoundInfo(SwfXmlOut& parent, const char* name, const libswf::SwfSoundInfo& info);
// Replaces info with the element's: each of InPoint, OutPoint and LoopCount found sets its
// flag, and the envelope flag is set, so the record is written with a point count, unless
// the BitsField says HasEnvelope="false" and no SoundEnvelope follows.
// An empty handle leaves info alone.
void readSoundInfo(const SwfXmlIn& element, libswf::SwfSoundInfo& info);

} // namespace swfxml
