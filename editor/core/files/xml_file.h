// The form of a saved .xml file and of a project's data.xml: the document parsed and printed
// again, four spaces per level and CR LF between lines, so that what is saved does not depend
// on how the text was laid out.
#pragma once

#include <pugixml.hpp>
#include <string>
#include <string_view>

namespace vorn {

struct PrintedXml {
    bool ok = false;
    std::string bytes;
    std::string reason; // where the text is not well formed
};

// Parses the bytes and prints the document. Bytes pass through as they are: the text of a movie
// before version 6 stays in its code page. Comments, processing instructions and a document type
// stay; the declaration is printed as
// <?xml version="1.0" encoding="UTF-8" ?>. The line breaks the printer makes are CR LF;
// those inside text and CDATA sections are content and stay as written.
PrintedXml printXmlFile(std::string_view bytes);

// The printing alone, for a document already parsed.
std::string printXmlDocument(const pugi::xml_document& document);

} // namespace vorn
