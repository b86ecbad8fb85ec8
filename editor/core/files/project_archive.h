// The .vorn project file: a zip archive of one deflated entry, "data.xml", holding the
// document as a saved .xml file would. Both ways work in memory, so that neither a save nor
// an open ever touches a data.xml on disk or needs a scratch folder.
#pragma once

#include <ctime>
#include <memory>
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

// Makes the archive of one entry "data.xml", deflated at level 9, without password, extra
// fields or comments, dated with the local time `when`, its attributes 0; the entry's bytes
// are taken piece by piece as they are made, so that they never need to be held whole.
class ProjectPacker {
public:
    // An entry that may reach 4 GB needs the archive's 64-bit sizes, which other entries
    // do without.
    explicit ProjectPacker(bool large = false, std::time_t when = std::time(nullptr));
    ~ProjectPacker();
    ProjectPacker(const ProjectPacker&) = delete;
    ProjectPacker& operator=(const ProjectPacker&) = delete;

    // The next piece of the entry. Throws std::bad_alloc when memory runs out.
    void write(std::string_view piece);
    // The finished archive, or why it could not be made. Nothing may be written after.
    ProjectArchive finish();

private:
    struct State;
    std::unique_ptr<State> m_state;
};

// The archive holding the bytes as its entry.
ProjectArchive packProject(std::string_view entry, std::time_t when = std::time(nullptr));

// The bytes of the archive's entry "data.xml", or of its first entry when it has none of
// that name. An empty entry, a damaged archive, an entry that fails its checksum, an
// encrypted one or one of another compression method fail with the reason.
ProjectArchive unpackProject(std::span<const char> archive);

} // namespace vorn
