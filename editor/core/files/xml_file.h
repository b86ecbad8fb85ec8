// The form of a saved .xml file and of a project's data.xml: the document parsed and printed
// again, four spaces per level and CR LF between lines, so that what is saved does not depend
// on how the text was laid out.
#pragma once

#include <functional>
#include <pugixml.hpp>
#include <string>
#include <string_view>

namespace vorn {

struct PrintedXml {
    bool ok = false;
    std::string bytes;
    std::string reason; // where the text is not well formed
};

// Receives a printed document piece by piece, in order.
using XmlSink = std::function<void(std::string_view)>;

// Parses the bytes and prints the document. Bytes pass through as they are: the text of a movie
// before version 6 stays in its code page. Comments, processing instructions and a document type
// stay; the declaration is printed as
// <?xml version="1.0" encoding="UTF-8" ?>. The line breaks the printer makes are CR LF;
// those inside text and CDATA sections are content and stay as written.
PrintedXml printXmlFile(std::string_view bytes);
// The same, handing the printed document to `out` as it is made, so that a large document
// need not be held twice; false, with the reason and before anything is handed over, when the
// bytes are not well formed. What `out` throws passes through.
bool printXmlFile(std::string_view bytes, const XmlSink& out, std::string& reason);

// The printing alone, for a document already parsed.
std::string printXmlDocument(const pugi::xml_document& document);

} // namespace vorn
