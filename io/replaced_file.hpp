// An output file that appears whole or not at all: it is written under a
// temporary name beside its final name and renamed when complete, so that a
// run that fails or is interrupted never leaves a partial file under the
// final name.
#pragma once

#include <string>
#include <string_view>

namespace cones {

// The temporary name under which `path` is written: "<path>.partial".
std::string partial_path(const std::string& path);

// Renames the complete file at partial_path(path) to `path`, replacing it.
// Throws OutputError (io/output_file.hpp) naming `path` and the system's
// reason, after removing the partial file.
void commit_partial(const std::string& path);

// A whole text file written under its temporary name. The constructor creates
// the temporary file at once, so that a path that cannot be written is found
// before the work that fills it. Destroyed without commit(), it removes the
// temporary file and leaves `path` as it was.
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

private:
    std::string path_;
    bool pending_ = true;
};

}  // namespace cones
