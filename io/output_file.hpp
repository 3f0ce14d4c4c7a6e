// "Cones.dat": the table of asymptotic directions, one line per rigidity and
// one 14-character column pair per station entry, and the fixed-point number
// fields it is made of.
#pragma once

#include <cstdio>
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

// The output file, written line by line. Each complete line is flushed at once,
// so a run that ends early leaves the lines completed so far. Throws
// OutputError when the file cannot be created or written.
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
    [[noreturn]] void fail(const char* action, int error_number);
    std::string path_;
    std::FILE* file_ = nullptr;
};

}  // namespace cones
