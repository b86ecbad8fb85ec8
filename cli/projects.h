// The editor's .vorn projects in vorn-convert, both ways, through the editor's own file layer
// so that a project written here is the one the editor writes.
#pragma once

#include "jobs.h"

#include <string>

namespace vorn::cli {

// True when the path's extension (in any case) is ".vorn".
bool isProject(const std::string& path);

// A movie or an XML document into a project whose data.xml is the document as the editor
// saves a .xml file (printed again, CR LF).
Outcome swfToProject(const std::string& input, const std::string& output);
Outcome xmlToProject(const std::string& input, const std::string& output);
// A project's document compiled into a movie, or written out as the .xml file it holds.
Outcome projectToSwf(const std::string& input, const std::string& output);
Outcome projectToXml(const std::string& input, const std::string& output);
// The checks of --check on a project's document.
Outcome checkProject(const std::string& input);

} // namespace vorn::cli
