// Reader of the OMNI solar-wind data files in their ASCII forms: the hourly
// OMNI2 records (55 words a line) and the high-resolution 1-minute (46 words)
// and 5-minute (49 words) records; the model inputs of a moment from the
// records of one or more such files.
#pragma once

#include <iosfwd>
#include <stdexcept>
#include <string>
#include <vector>

#include "models/solar_wind.hpp"

namespace cones {

// The three OMNI ASCII formats, told apart by the number of words a line.
enum class OmniFormat {
    kHourly,      // OMNI2 hourly: 55 words; Dst and Kp, no SYM-H
    kOneMinute,   // high resolution, 1-minute: 46 words; SYM-H, no Dst or Kp
    kFiveMinute,  // high resolution, 5-minute: 49 words (the 46 and three proton fluxes)
};

// One column of a fixed-width format as the files' descriptions give it:
// Iw (an integer in w characters, `decimals` -1) or Fw.d.
struct OmniColumn {
    int width = 0;
    int decimals = -1;
};

// The fill value of a column: all nines in its width, one character being
// left for the blank before it and one more for the decimal point of an F
// column.
// Given:    column  its format (I3, F6.1, F9.0, ...).
// Returned: I3 99, I6 99999, F6.1 999.9, F6.0 9999., F8.2 9999.99,
//           F9.0 9999999.; the double nearest to that decimal, so that it
//           equals the value read from the fill text.
double omni_fill_value(OmniColumn column);

// The records of one OMNI file.
struct OmniFile {
    std::string name;  // as given, for messages
    OmniFormat format = OmniFormat::kHourly;
    // In time order. Hourly: length 3600, speed, density, pressure, By, Bz
    // (GSM), Dst and Kp (the file's Kp*10 divided by 10: 37, Kp 4-, is 3.7);
    // high resolution: length 60 or 300, speed, density, pressure, By, Bz
    // (GSM) and SYM-H. Fill values are NaN.
    std::vector<SolarWindRecord> records;
};

// A file that cannot be opened or read, or a line that is not a record of
// the file's format. what() is the message for the user: "<file>, line <n>:
// expected <what>, found <what>", or "<file>: <message>" for the whole file.
class OmniFileError : public std::runtime_error {
public:
    OmniFileError(const std::string& file, int line, const std::string& message);
    int line() const noexcept { return line_; }  // 0 when no single line is at fault

private:
    int line_;
};

// Reads the records of an OMNI file from a stream.
// Given:    in  the text (LF or CR LF line ends); name  the file's name for
//           messages.
// Returned: the file's format and records.
// Notes:    the first line's number of words decides the format (55, 46 or
//           49); every line must have as many, each word a finite number,
//           the year, day, hour (and minute) integers of a valid date and
//           time, and the records must follow in time. Blank lines at the end
//           are ignored. Any other line throws OmniFileError naming the line.
OmniFile read_omni_stream(std::istream& in, const std::string& name);

// Reads the OMNI file at `path` (read_omni_stream); a file that cannot be
// opened or read throws OmniFileError.
OmniFile read_omni_file(const std::string& path);

// The records of several OMNI files, read once, for the inputs of any number
// of moments.
struct OmniData {
    std::vector<std::string> names;        // the files, in the order given
    std::vector<SolarWindRecord> records;  // all records, by start, then length
};

// Merges the records of the files (hourly and high-resolution files may be
// mixed). Two records of the same start and length (the same file given
// twice, or overlapping files of one resolution) throw OmniFileError naming
// the second file.
OmniData merge_omni_files(const std::vector<OmniFile>& files);

// The model inputs at moment t from merged OMNI records (solar_wind_inputs).
// A quantity in `needed` that the records cannot give throws the
// SolarWindGapError of solar_wind_inputs with the file names, joined by
// " and ", at the start of its message.
SolarWindInputs omni_model_inputs(const OmniData& data, UtSeconds t, const ModelInputs& needed);

}  // namespace cones
