// "Cones.dat": the table of asymptotic directions, one line per rigidity and
// one 14-character column pair per station entry, and the fixed-point number
// fields it is made of.
#pragma once

#include <stdexcept>
#include <string>
#include <vector>

#include "io/config.hpp"

namespace cones {

// Fixed-point field: `value` rounded to `decimals`, right-justified in `width`
// characters, with a minus sign for negative values and a digit before the
// point; asterisks when it does not fit; "NaN" or "Inf" right-justified for
// non-finite values.
std::string fixed_field(double value, int width, int decimals);

// The marker written for a forbidden trajectory: exactly 14 characters.
inline constexpr const char* kForbiddenMarker = "  ,    ,     ,";

// Every line ends with one blank, then a carriage return and a line feed.
inline constexpr const char* kLineEnd = " \r\n";

// Header line (with its line end): "Rig_GV", then per station two blanks, the
// first 3 characters of the name, "La", two blanks, the same 3 characters, "Lo".
// The abbreviation takes 3 bytes: as many whole UTF-8 characters of the name
// as fit in them, padded with blanks ("Zürich" gives "Zü"), so every field of
// the table keeps its width in bytes.
std::string cones_header(const std::vector<StationRecord>& stations);

// Start of a data line: the rigidity in GV as F6.2.
std::string rigidity_field(double rigidity);

// One station column pair for an allowed trajectory: latitude and longitude in
// degrees, each F7.1.
std::string direction_fields(double latitude, double longitude);

// Writing "Cones.dat" failed: what() names the file and the system's reason.
class OutputError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// True when `a` and `b` name the same existing file (the same device and
// inode, through any links); false when either does not exist.
bool same_file(const std::string& a, const std::string& b);

// The output file, written line by line; the first line is the header. Each
// line goes to the file as soon as it is complete, so a run that ends early
// leaves the lines completed so far. Throws OutputError when the file cannot be
// created or written.
// Notes: when a write fails (a full disk, say), a regular file is cut back to
// its last complete line, or removed when no data line was complete, so that
// what is left is always a valid table; a device or pipe is left alone.
class OutputFile {
public:
    explicit OutputFile(const std::string& path);
    ~OutputFile();
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;

    // Writes one whole line; `line` already holds its line end.
    void write_line(const std::string& line);
    // Closes the file, reporting a failure of the final write.
    void close();

private:
    // Cuts a regular file back to its complete lines (see the class notes),
    // closes it and throws OutputError with the system's reason.
    [[noreturn]] void fail_write(int error_number);
    [[noreturn]] void fail(const char* action, int error_number, const std::string& note = "") const;
    std::string path_;
    int descriptor_ = -1;
    bool regular_ = false;           // a regular file, which may be cut back or removed
    long long complete_bytes_ = 0;   // bytes of the complete lines written
    long long complete_lines_ = 0;   // complete lines written, the header included
};

}  // namespace cones
