#include "files/text_encoding.h"

#include "files/movie_header.h"

namespace vorn {

// The version comes from the same probe that reads it back from the file, so that a file is
// always decoded by the rule that encoded it.
EncodedText EncodeText(std::string text, const LegacyCodePage& codePage) {
    if (isUtf8Version(ProbeMovieHeader(text).swfVersion)) {
        EncodedText result;
        result.ok = true;
        result.bytes = std::move(text);
        return result;
    }
    return codePage.encode(std::move(text));
}

DecodedText DecodeBytes(std::string bytes, int swfVersion, const LegacyCodePage& codePage) {
    if (isUtf8Version(swfVersion)) {
        DecodedText result;
        result.ok = true;
        result.text = std::move(bytes);
        return result;
    }
    return codePage.decode(std::move(bytes));
}

} // namespace vorn
