#include "documents/document_rules.h"

#include "files/code_page.h"
#include "files/text_encoding.h"

#include <pugixml.hpp>

namespace vorn {

MessageBoxText xmlErrorBox(std::string_view description, std::size_t row, std::size_t column) {
    MessageBoxText box;
    box.text.append(stringTableText(173)).append(description).append("\n");
    box.text.append(stringTableText(174)).append(std::to_string(row)).append("\n");
    box.text.append(stringTableText(175)).append(std::to_string(column));
    box.caption = stringTableText(167);
    box.icon = BoxIcon::Warning;
    return box;
}

namespace {

XmlCheck failedCheck(std::string_view description, std::size_t row, std::size_t column) {
    XmlCheck check;
    check.box = xmlErrorBox(description, row, column);
    check.row = row;
    check.column = column;
    return check;
}

} // namespace

std::string NewDocumentTitles::next() {
    const std::uint64_t n = m_issued++;
    return n == 0 ? "Document" : "Document" + std::to_string(n);
}

std::optional<int> validateHeader(const MovieHeaderProbe& probe) {
    if (probe.swfVersion <= 0)
        return kProblemSwfVersion;
    if (probe.width <= 0)
        return kProblemWidth;
    if (probe.height <= 0)
        return kProblemHeight;
    return std::nullopt;
}

XmlCheck checkXml(std::string text) {
    // The parser would take a zero byte for the end of the text and pass what follows.
    const std::size_t zero = text.find('\0');
    if (zero != std::string::npos) {
        const TextPlace place = placeOfOffset(text, zero);
        return failedCheck("the text holds a zero byte, which an XML document cannot hold",
                           place.line, place.column);
    }
    {
        pugi::xml_document document;
        const pugi::xml_parse_result parsed = document.load_buffer(
            text.data(), text.size(), pugi::parse_default & ~pugi::parse_eol, pugi::encoding_utf8);
        if (!parsed) {
            const TextPlace place = placeOfOffset(
                text, static_cast<std::size_t>(std::max<std::ptrdiff_t>(parsed.offset, 0)));
            return failedCheck(parsed.description(), place.line, place.column);
        }
    }
    EncodedText encoded = EncodeText(std::move(text));
    if (!encoded.ok)
        return failedCheck(encoded.reason, encoded.line, encoded.column);
    XmlCheck check;
    check.ok = true;
    check.bytes = std::move(encoded.bytes);
    check.box = {std::string(stringTableText(166)), std::string(stringTableText(170)),
                 BoxIcon::Information};
    return check;
}

PreparedSave prepareSave(std::string text) {
    XmlCheck check = checkXml(std::move(text));
    PreparedSave prepared;
    if (!check.ok) {
        prepared.box = std::move(check.box);
        prepared.row = check.row;
        return prepared;
    }
    if (const std::optional<int> problem = validateHeader(ProbeMovieHeader(check.bytes))) {
        prepared.box = problemReport(*problem);
        return prepared;
    }
    prepared.ok = true;
    prepared.bytes = std::move(check.bytes);
    return prepared;
}

std::optional<SaveKind> saveKindForPath(std::string_view path) {
    switch (ClassifyPath(path)) {
    case FileKind::Xml:
        return SaveKind::Xml;
    case FileKind::Swf:
        return SaveKind::Swf;
    case FileKind::Project:
        return SaveKind::Project;
    case FileKind::Text:
    case FileKind::Other:
        break;
    }
    return std::nullopt;
}

std::string saveAsInitialName(std::string_view path) {
    const std::string_view name = fileNameOf(path);
    const std::size_t dot = name.rfind('.');
    if (dot == std::string_view::npos || dot == 0)
        return std::string(path);
    return std::string(path.substr(0, path.size() - name.size() + dot));
}

MessageBoxText saveFailure(std::string_view reason) {
    MessageBoxText box = problemReport(kProblemSave);
    if (!reason.empty())
        box.text.append("\n").append(reason);
    return box;
}

MessageBoxText closePrompt() {
    return {std::string(stringTableText(171)), std::string(stringTableText(164)),
            BoxIcon::Question};
}

} // namespace vorn
