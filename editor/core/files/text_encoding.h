// The version rule: a movie's text is UTF-8 from SWF version 6 on and in the legacy code page
// before, and the version is the one the document's Movie start tag declares.
#pragma once

#include "files/code_page.h"

#include <string>

namespace vorn {

// True when a movie of that version keeps its text in UTF-8.
inline bool isUtf8Version(int swfVersion) {
    return swfVersion > 5;
}

// The bytes of document text for a file or the compiler: UTF-8 text moves through unchanged
// (bytes that are not UTF-8 included, so that a movie's odd strings survive); the text of a
// document declaring a version below 6, or none, is encoded in the code page, and fails,
// naming the line and column, where a character has no byte there.
EncodedText EncodeText(std::string text, const LegacyCodePage& codePage = legacyCodePage());

// Document text from bytes written for a movie of that version: from version 6 on the
// bytes are the text as they are, without any check; before, they are decoded from the code
// page, every byte to a character that encodes back to it.
DecodedText DecodeBytes(std::string bytes, int swfVersion,
                        const LegacyCodePage& codePage = legacyCodePage());

} // namespace vorn
