// The .vorn project file: a zip archive of one deflated entry, "data.xml", holding the
// document as a saved .xml file would. Both ways work in memory, so that neither a save nor
// an open ever touches a data.xml on disk or needs a scratch folder.
#pragma once

#include <ctime>
#include <span>
#include <string>
#include <string_view>

namespace vorn {

inline constexpr std::string_view kProjectEntryName = "data.xml";

struct ProjectArchive {
    bool ok = false;
    std::string bytes; // the archive, or the entry's bytes when unpacking
    std::string reason;
};

// The archive of one entry "data.xml" holding the bytes, deflated at level 9, without
// password, extra fields or comments, its date the local time `when` and its attributes 0.
ProjectArchive packProject(std::string_view entry, std::time_t when = std::time(nullptr));

// The bytes of the archive's entry "data.xml", or of its first entry when it has none of
// that name. An empty entry, a damaged archive, an entry that fails its checksum, an
// encrypted one or one of another compression method fail with the reason.
ProjectArchive unpackProject(std::span<const char> archive);

} // namespace vorn
