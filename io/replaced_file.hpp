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
    std::string partial() const { return partial_path(path_); }
    // Renames the temporary file, as its writer left it, to its final name.
    // Throws OutputError when it cannot be renamed.
    void commit();

private:
    std::string path_;
    bool pending_ = true;
};

}  // namespace cones
