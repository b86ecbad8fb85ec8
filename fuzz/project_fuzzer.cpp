// Opens arbitrary bytes as the editor opens a .vorn project: an archive when they start like
// one, else the document it would hold. Whatever opens must decode by its version into text
// that encodes back to the very same bytes, and its printing must end in text or a refusal.
#include "files/movie_header.h"
#include "files/project_archive.h"
#include "files/text_encoding.h"
#include "files/xml_file.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

namespace {

[[noreturn]] void fail(const char* what, const std::string& detail) {
    std::fprintf(stderr, "project_fuzzer: %s: %s\n", what, detail.c_str());
    std::fflush(stderr);
    __builtin_trap();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    std::string bytes;
    if (input.starts_with("PK")) {
        vorn::ProjectArchive entry = vorn::unpackProject({input.data(), input.size()});
        if (!entry.ok)
            return 0; // a clean refusal
        bytes = std::move(entry.bytes);
    } else {
        bytes = std::string(input);
    }
    // The default code page, whatever the environment says, so that every byte decodes.
    static const vorn::LegacyCodePage page = vorn::LegacyCodePage::named("windows-1252");
    const int version = vorn::ProbeMovieHeader(bytes).swfVersion;
    const vorn::DecodedText text = vorn::DecodeBytes(bytes, version, page);
    if (!text.ok)
        fail("windows-1252 refused bytes", text.reason);
    // Legacy bytes that start like a UTF-8 byte order mark lose it as a mark once decoded, and
    // with it the version; the rule they fall under is the same.
    if (vorn::isUtf8Version(vorn::ProbeMovieHeader(text.text).swfVersion) !=
        vorn::isUtf8Version(version))
        fail("the text falls under another encoding than its bytes", text.text);
    const vorn::EncodedText back = vorn::EncodeText(text.text, page);
    if (!back.ok)
        fail("decoded text does not encode", back.describe());
    if (back.bytes != bytes)
        fail("decoded text encodes to other bytes", back.bytes);
    vorn::printXmlFile(bytes);
    return 0;
}
