// An output file that appears whole or not at all: its whole text is written
// under a temporary name of its own beside it and renamed to its name when
// complete, so that a run that fails or is interrupted never leaves a partial
// file under that name, and runs that write the same name never mix (the
// last complete rename wins, and each run's report is true). A name that is
// not a regular file (a terminal, a pipe, /dev/stdout, /dev/null) is never
// replaced: the text is written into it in place. Symbolic links are
// followed, so the file a link names is replaced (or created, for a link
// whose target does not exist yet) and the link stays.
#pragma once

#include <string>
#include <string_view>

namespace cones {

// The temporary name under which `path` is written once: in the same folder,
// "<name>.<six random letters and digits>.partial", the name cut short where
// the whole would pass `name_max` bytes (the folder's limit of a file name).
// Given:    path  the file's path (links already followed); random  six
//           letters and digits; name_max  the limit, bytes.
std::string partial_path(const std::string& path, std::string_view random, long name_max);

// A whole file written under a temporary name of its own and renamed when
// complete (see above).
class ReplacedFile {
public:
    // Checks at once that the file can be written, so that a path that cannot
    // be is found before the work that fills it: a temporary file is created
    // exclusively beside it and removed again (for a device or pipe, the
    // right to write it is checked), and nothing is left while the work runs.
    // Given:    path  the file; input  the file the run reads (its
    //           configuration), or "".
    // Notes:    throws OutputError naming `path` when it cannot be written,
    //           when its name is longer than its folder allows, or when it is
    //           a regular file that is `input` itself (the same file by device
    //           and inode, through any link), which would be destroyed.
    explicit ReplacedFile(std::string path, const std::string& input = "");

    // Writes `text` as the whole file: under a new temporary name created
    // exclusively, renamed to the file's name when complete. A file replaced
    // keeps its permission bits; a new one gets rw-rw-rw- less the umask.
    // Throws OutputError when the text cannot be written or the file renamed;
    // the temporary file is then removed and the file left as it was.
    void commit(std::string_view text);

private:
    std::string name_;  // as given, for the messages
    std::string path_;  // the file written: the name, or the file its links name
    bool in_place_ = false;
};

}  // namespace cones
