// The editor's file layer: a path's document text, a document's bytes saved as .xml, .swf or
// .vorn, and movies compiled for the player. Nothing here throws; every failure comes back
// with a reason that names the file and says what went wrong.
#pragma once

#include "files/code_page.h"
#include "files/file_kinds.h"
#include "libswf/vector.h"

#include <string>
#include <string_view>

namespace vorn {

struct FileBytes {
    bool ok = false;
    std::string bytes;
    std::string reason;
};

// The whole of a regular file. Anything else (a folder, a pipe, a device) is refused
// without being read, so that opening one can neither hang nor read forever.
FileBytes ReadWholeFile(const std::string& path);

// The document text of a path, by its kind: a .xml file decoded by the version its Movie
// declares; a .swf converted to the dialect and decoded by the movie's own version; a .vorn
// project's entry decoded like a .xml file. Text and other files fail without being read.
DecodedText LoadDocumentText(const std::string& path);

struct SavedFile {
    bool ok = false;
    std::string path; // the file written: the path, with the kind's extension when it lacked it
    std::string reason;
    std::size_t line = 0; // the document's line a failed compile names, from 1; 0 when none
};

// Saves a document's bytes (see EncodeText) to the path, as the kind says: a .xml file
// printed again (see printXmlFile), a compiled movie, or a project archive holding the
// printed file. The file is written whole beside the target and renamed over it, so that the
// previous file survives every failure, a failed compile included.
SavedFile SaveDocumentText(SaveKind kind, const std::string& path, std::string_view bytes);

struct CompiledMovie {
    bool ok = false;
    libswf::SwfBuffer swf;
    std::string reason;   // where the document failed to compile
    std::size_t line = 0; // the line of the element at fault, from 1; 0 when not known
};

// The movie a document's bytes compile to, in memory, for a player that takes bytes. The
// bytes are read as they are, whatever the declaration says, since the version rule has
// already made them what the movie's strings must hold.
CompiledMovie compileMovie(std::string_view bytes);

struct TempMovie {
    bool ok = false;
    std::string path; // empty on failure
    std::string reason;
};

// Compiles the bytes into a new file named "~!" and six random characters with the extension
// ".swf", in the folder (the temporary folder when it is empty, and also when the folder
// cannot be written, so that a document in a read-only folder still plays). The name is
// created exclusively, so it is never one that exists; the caller removes the file.
TempMovie MakeTempSwf(const std::string& directory, std::string_view bytes);

} // namespace vorn
