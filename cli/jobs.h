// The conversions vorn-convert runs on one file. They share no mutable state, so a batch may
// run them in parallel threads.
#pragma once

#include <string>

namespace vorn::cli {

enum class Kind { Swf, Xml, Project };

struct Outcome {
    bool ok = true;
    std::string message; // "file: reason" when not ok
};

// The kind of a path from its extension (case-insensitive), or false when it has neither.
bool kindOf(const std::string& path, Kind& kind);

// Reads a movie into the model and writes it back.
Outcome rewriteSwf(const std::string& input, const std::string& output);
// SWF to XML and XML to SWF; outputs replace their targets only when complete.
Outcome swfToXml(const std::string& input, const std::string& output);
Outcome xmlToSwf(const std::string& input, const std::string& output);
// Checks that an XML document is well formed, that its root's SwfVersion, Width and Height
// are above 0, and that it compiles.
Outcome checkXml(const std::string& input);

} // namespace vorn::cli
