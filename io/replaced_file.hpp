// An output file that appears whole or not at all: it is written under a
// temporary name beside its final name and renamed when complete, so that a
// run that fails or is interrupted never leaves a partial file under the
// final name. A name that is not a regular file (a terminal, a pipe,
// /dev/stdout, /dev/null) is never replaced: the whole text is written into
// it in place (a writer that fills a file itself fills a scratch file in the
// temporary directory, which is then copied in). A symbolic link to a
// regular file is followed, so the file it names is replaced and the link
// stays.
#pragma once

#include <string>
#include <string_view>

namespace cones {

// The temporary name under which `path` is written: "<path>.partial".
std::string partial_path(const std::string& path);

// A whole file written under its temporary name and renamed when complete.
// The constructor checks at once that the temporary file can be created (and
// removes it again), so that a path that cannot be written is found before
// the work that fills it, and a run that is killed leaves nothing behind.
// Destroyed without a commit, it removes the temporary file and leaves
// `path` as it was.
class ReplacedFile {
public:
    // Throws OutputError when the temporary file cannot be created.
    explicit ReplacedFile(std::string path);
    ~ReplacedFile();
    ReplacedFile(const ReplacedFile&) = delete;
    ReplacedFile& operator=(const ReplacedFile&) = delete;

    // Writes `text` as the whole file and renames it to its final name.
    // Throws OutputError when the text cannot be written or the file renamed.
    void commit(std::string_view text);

    // The temporary file, for a writer that fills it itself (a netCDF file).
    std::string partial() const { return in_place_ ? scratch_ : partial_path(path_); }
    // Renames the temporary file, as its writer left it, to its final name
    // (or copies it in, when the name is written in place). Throws
    // OutputError when it cannot be renamed or copied.
    void commit();

private:
    void rename_into_place();

    std::string name_;  // as given, for the messages
    std::string path_;  // the file written: the name, or the file its link names
    bool in_place_ = false;
    std::string scratch_;  // when written in place: the writer's scratch file
    bool pending_ = true;
};

}  // namespace cones
