// The driving parameters of the magnetospheric models from solar-wind and
// geomagnetic-index records: the IMF clock angle, the solar-wind history
// indices G1, G2 and G3 averaged over the hour before a moment, the means of
// the pressure and the IMF over that hour, and Dst (or SYM-H) and Kp at the
// moment itself.
#pragma once

#include <array>
#include <cstdint>
#include <limits>
#include <span>
#include <stdexcept>
#include <string>

#include "models/model_parameters.hpp"

namespace cones {

// A moment of universal time: seconds since 1 January 1900, 00:00:00 UT, in
// the Gregorian calendar (no leap seconds).
using UtSeconds = std::int64_t;

// The moment of a date and time of day.
// Given:    year (1 or later, Gregorian), day_of_year (1 for 1 January),
//           hour, minute, second (UT).
// Returned: seconds since 1 January 1900, 00:00:00 UT (negative before it).
// Notes:    the fields are not checked against their ranges: hour 24 of one
//           day is hour 0 of the next, day 366 of a common year is 1 January
//           of the next year.
UtSeconds ut_seconds(int year, int day_of_year, int hour, int minute, int second);

// A moment split into the fields of ut_seconds.
struct UtDayTime {
    int year = 1900;
    int day_of_year = 1;
    int hour = 0, minute = 0, second = 0;
};

// The date and time of day of a moment.
// Given:    t  seconds since 1 January 1900, 00:00:00 UT, of a moment in
//           year 1 or later.
// Returned: its year, day of the year and time of day; ut_seconds of them
//           gives t again.
UtDayTime ut_day_time(UtSeconds t);

// One record of solar-wind plasma, interplanetary magnetic field (IMF) and
// geomagnetic indices: averages over [start, start + length). A value the
// record lacks (a fill value in the data) is NaN.
struct SolarWindRecord {
    static constexpr double kMissing = std::numeric_limits<double>::quiet_NaN();
    UtSeconds start = 0;       // start of the averaging interval
    int length = 3600;         // seconds: 3600 hourly, 300 or 60 for high-resolution data
    double speed = kMissing;     // flow speed V, km/s
    double density = kMissing;   // proton density N, cm^-3
    double pressure = kMissing;  // flow (dynamic) pressure, nPa
    double by = kMissing;        // IMF By, GSM, nT
    double bz = kMissing;        // IMF Bz, GSM, nT
    double dst = kMissing;       // Dst index, nT (hourly data)
    double sym_h = kMissing;     // SYM-H index, nT (high-resolution data)
    double kp = kMissing;        // Kp index as a real number (3+ is 3.3; hourly data)
};

// IMF clock angle: the direction of the IMF in the GSM Y-Z plane, measured
// from +Z (northward) towards +Y.
// Given:    by, bz  IMF By and Bz, GSM, nT.
// Returned: theta = atan2(by, bz) taken in [0, 2 pi), radians, so that
//           sin(theta / 2) >= 0 for every direction.
// Notes:    By < 0 with Bz > 0 gives theta just below 2 pi (not just below
//           0); By = 0 with Bz < 0 gives pi (also for By = -0); a By so small
//           that atan2(by, bz) + 2 pi rounds to 2 pi gives 0.
double imf_clock_angle(double by, double bz);

// How the value of one quantity was found.
//   For pressure, By, Bz, G1, G2, G3: `records` is the number of records the
//   window of the hour before t holds at the resolution used (3600 s /
//   record_length, or more if more are there), `valid` those among them
//   present with every value the quantity is made of.
//   For Dst and Kp: the one record holding t (records 1, valid 0 or 1), or
//   none (records 0).
struct SolarWindSource {
    int valid = 0;
    int records = 0;
    int record_length = 0;  // seconds; 0 when there were no records
    // At least half of the records valid (and at least one record).
    bool enough() const { return records > 0 && 2 * valid >= records; }
};

// The model inputs of a moment and how each was found.
struct SolarWindInputs {
    UtSeconds time = 0;
    // Elements 1 to 8 (index 0 to 7); 9 and 10 are 0. A quantity without
    // enough valid records is 0 here and marked by its source.
    ModelParameters parameters{};
    std::array<SolarWindSource, kModelInputCount> sources{};
    bool dst_is_sym_h = false;  // Dst is the SYM-H of a high-resolution record
};

// A quantity a run needs that the records cannot give at a moment: too few
// valid records in its window, or no record holding the moment. The file
// name is not known where the inputs are computed; the caller that read the
// records adds it with set_file.
class SolarWindGapError : public std::runtime_error {
public:
    SolarWindGapError(ModelInput quantity, UtSeconds time, SolarWindSource source, bool sym_h);
    ModelInput quantity() const { return quantity_; }
    UtSeconds time() const { return time_; }
    const SolarWindSource& source() const { return source_; }
    const std::string& file() const { return file_; }
    // Names the file (or files) the records came from at the start of the
    // message.
    void set_file(const std::string& file);
    // "<file>: <quantity> at <year> day <day> hh:mm:ss UT: <what is
    // missing>", e.g. "omni.asc: By at 2003 day 302 06:25:00 UT: only 5 of
    // the 12 5-minute records of the hour before are valid, fewer than half".
    const char* what() const noexcept override { return message_.c_str(); }

private:
    void compose();
    ModelInput quantity_;
    UtSeconds time_;
    SolarWindSource source_;
    bool sym_h_;
    std::string file_;
    std::string message_;
};

// The driving parameters of the magnetospheric models at a moment t.
// Given:    records  sorted by start, no two with the same start and length
//           (hourly and high-resolution records may be mixed);
//           t  the moment; needed  the quantities the run's model reads.
// Returned: elements 1 to 8 of ModelParameters and their sources:
//   - the window of "the hour before t" holds the records that ended within
//     it: start + length in (t - 1 h, t]; only those of the finest
//     resolution (shortest length) present there are used. For 5-minute
//     data and t = 12:00 these are the records of 11:00 to 11:55; for hourly
//     data the record of the whole hour before t (at t = 12:30 the record of
//     11:00 to 12:00). No record reaching beyond t is used.
//   - pressure, By, Bz: the means over the window's records where valid;
//   - G1 = <V h(Bt) sin^3(theta/2)>, h(Bt) = (Bt/40)^2 / (1 + Bt/40),
//     Bt = sqrt(By^2 + Bz^2), theta = imf_clock_angle(By, Bz);
//     G2 = <0.005 V Bs>; G3 = <V N Bs> / 2000, Bs = -Bz for Bz < 0, else 0;
//     means over the window's records with V, By and Bz (G1), V and Bz (G2),
//     V, N and Bz (G3) all valid; V in km/s, N in cm^-3, B in nT;
//   - Dst and Kp: the values of the hourly record holding t
//     (start <= t < start + length). Without an hourly record there, Dst is
//     the SYM-H of the finest high-resolution record holding t
//     (dst_is_sym_h): the index at t, as the hourly Dst is the index of the
//     hour holding t. Kp comes from hourly records only.
// Notes:    a quantity with fewer than half of its records valid, or with no
//           record, is 0 and marked; when `needed` asks for it the call
//           throws SolarWindGapError for the first such quantity in element
//           order. Exactly half valid is enough.
SolarWindInputs solar_wind_inputs(std::span<const SolarWindRecord> records, UtSeconds t,
                                  const ModelInputs& needed);

}  // namespace cones
