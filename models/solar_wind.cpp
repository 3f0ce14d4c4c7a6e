#include "models/solar_wind.hpp"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <numbers>

#include "numerics/math.hpp"

namespace cones {
namespace {

constexpr UtSeconds kSecondsPerDay = 86400;
constexpr UtSeconds kHour = 3600;  // the averaging window

// Leap days in the Gregorian years 1 to year - 1 (year >= 1).
std::int64_t leap_days_before(std::int64_t year) {
    const std::int64_t y = year - 1;
    return y / 4 - y / 100 + y / 400;
}

// Days from 1 January 1900 to 1 January of `year` (>= 1).
std::int64_t days_before_year(std::int64_t year) {
    return 365 * (year - 1900) + leap_days_before(year) - leap_days_before(1900);
}

// Floor division of a day count by the seconds of a day.
std::int64_t floor_days(UtSeconds t) {
    std::int64_t days = t / kSecondsPerDay;
    if (t % kSecondsPerDay < 0) --days;
    return days;
}

// The words of a record length in messages: "hourly", "5-minute", "1-minute".
std::string length_words(int length) {
    if (length == 3600) return "hourly";
    if (length % 60 == 0) return std::to_string(length / 60) + "-minute";
    return std::to_string(length) + "-second";
}

// The quantities averaged over the window, with the values each record must
// hold for them.
bool valid_for(ModelInput quantity, const SolarWindRecord& r) {
    using Q = ModelInput;
    const auto ok = [](double v) { return !std::isnan(v); };
    switch (quantity) {
        case Q::kPressure: return ok(r.pressure);
        case Q::kBy: return ok(r.by);
        case Q::kBz: return ok(r.bz);
        case Q::kG1: return ok(r.speed) && ok(r.by) && ok(r.bz);
        case Q::kG2: return ok(r.speed) && ok(r.bz);
        case Q::kG3: return ok(r.speed) && ok(r.density) && ok(r.bz);
        case Q::kDst:
        case Q::kKp: break;
    }
    return false;
}

// The southward IMF: -Bz where Bz < 0, else 0 (nT).
double southward_field(double bz) { return bz < 0.0 ? -bz : 0.0; }

// The record's term of the window mean of a quantity (valid_for holds).
double window_term(ModelInput quantity, const SolarWindRecord& r) {
    using Q = ModelInput;
    switch (quantity) {
        case Q::kPressure: return r.pressure;
        case Q::kBy: return r.by;
        case Q::kBz: return r.bz;
        case Q::kG1: {
            const double bt = std::sqrt(r.by * r.by + r.bz * r.bz) / 40.0;
            const double h = bt * bt / (1.0 + bt);
            const double s = math::sin(imf_clock_angle(r.by, r.bz) / 2.0);
            return r.speed * h * (s * s * s);
        }
        case Q::kG2: return 0.005 * r.speed * southward_field(r.bz);
        case Q::kG3: return r.speed * r.density * southward_field(r.bz);
        case Q::kDst:
        case Q::kKp: break;
    }
    return 0.0;
}

constexpr ModelInput kWindowQuantities[] = {ModelInput::kPressure, ModelInput::kBy,
                                                   ModelInput::kBz,       ModelInput::kG1,
                                                   ModelInput::kG2,       ModelInput::kG3};

// The records whose start lies in [from, to), as a subrange of the sorted
// records.
std::span<const SolarWindRecord> starting_within(std::span<const SolarWindRecord> records, UtSeconds from,
                                                 UtSeconds to) {
    const auto by_start = [](const SolarWindRecord& r, UtSeconds t) { return r.start < t; };
    const auto first = std::lower_bound(records.begin(), records.end(), from, by_start);
    const auto last = std::lower_bound(first, records.end(), to, by_start);
    return {first, last};
}

}  // namespace

UtSeconds ut_seconds(int year, int day_of_year, int hour, int minute, int second) {
    const std::int64_t days = days_before_year(year) + (day_of_year - 1);
    return days * kSecondsPerDay + std::int64_t{hour} * 3600 + std::int64_t{minute} * 60 + second;
}

UtDayTime ut_day_time(UtSeconds t) {
    const std::int64_t days = floor_days(t);
    // A first guess at the year from the mean Gregorian year, then corrected.
    std::int64_t year = 1900 + static_cast<std::int64_t>(std::floor(static_cast<double>(days) / 365.2425));
    while (days_before_year(year) > days) --year;
    while (days_before_year(year + 1) <= days) ++year;
    const std::int64_t of_day = t - days * kSecondsPerDay;
    UtDayTime out;
    out.year = static_cast<int>(year);
    out.day_of_year = static_cast<int>(days - days_before_year(year) + 1);
    out.hour = static_cast<int>(of_day / 3600);
    out.minute = static_cast<int>(of_day / 60 % 60);
    out.second = static_cast<int>(of_day % 60);
    return out;
}

double imf_clock_angle(double by, double bz) {
    constexpr double kTwoPi = 2.0 * std::numbers::pi;
    double theta = math::atan2(by, bz);
    if (theta < 0.0) theta += kTwoPi;
    if (theta >= kTwoPi) theta = 0.0;
    return theta;
}

SolarWindGapError::SolarWindGapError(ModelInput quantity, UtSeconds time, SolarWindSource source,
                                     bool sym_h)
    : std::runtime_error("too few solar-wind records"), quantity_(quantity), time_(time), source_(source),
      sym_h_(sym_h) {
    compose();
}

void SolarWindGapError::set_file(const std::string& file) {
    file_ = file;
    compose();
}

void SolarWindGapError::compose() {
    const UtDayTime at = ut_day_time(time_);
    char when[64];
    std::snprintf(when, sizeof when, " at %d day %03d %02d:%02d:%02d UT: ", at.year, at.day_of_year, at.hour,
                  at.minute, at.second);
    message_ = file_.empty() ? std::string() : file_ + ": ";
    message_ += model_input_name(quantity_).name;
    if (quantity_ == ModelInput::kDst && sym_h_) message_ += " (SYM-H)";
    message_ += when;
    const bool at_t = quantity_ == ModelInput::kDst || quantity_ == ModelInput::kKp;
    if (at_t && source_.records == 0) {
        message_ += quantity_ == ModelInput::kKp
                        ? "no hourly record holds this time (only hourly data carry Kp)"
                        : "no record holds this time";
    } else if (at_t) {
        message_ += "the " + length_words(source_.record_length) + " record holding this time has no value";
    } else if (source_.records == 0) {
        message_ += "no records in the hour before";
    } else if (source_.records == 1) {
        message_ += "the " + length_words(source_.record_length) + " record of the hour before has no value";
    } else {
        message_ += "only " + std::to_string(source_.valid) + " of the " + std::to_string(source_.records) + " " +
                    length_words(source_.record_length) +
                    " records of the hour before are valid, fewer than half";
    }
}

SolarWindInputs solar_wind_inputs(std::span<const SolarWindRecord> records, UtSeconds t,
                                  const ModelInputs& needed) {
    SolarWindInputs inputs;
    inputs.time = t;
    auto& p = inputs.parameters;

    // The window: records that ended in (t - 1 h, t]. No record is longer
    // than an hour, so all of them start in [t - 2 h, t).
    const std::span<const SolarWindRecord> near = starting_within(records, t - 2 * kHour, t);
    const auto in_window = [t](const SolarWindRecord& r) {
        const UtSeconds end = r.start + r.length;
        return end > t - kHour && end <= t;
    };
    int finest = 0;
    for (const SolarWindRecord& r : near) {
        if (in_window(r) && (finest == 0 || r.length < finest)) finest = r.length;
    }
    int present = 0;
    for (const SolarWindRecord& r : near) present += in_window(r) && r.length == finest;

    for (const ModelInput quantity : kWindowQuantities) {
        const auto k = static_cast<std::size_t>(quantity);
        SolarWindSource& source = inputs.sources[k];
        double sum = 0.0;
        for (const SolarWindRecord& r : near) {
            if (!in_window(r) || r.length != finest || !valid_for(quantity, r)) continue;
            sum += window_term(quantity, r);
            ++source.valid;
        }
        source.record_length = finest;
        source.records = finest == 0 ? 0 : std::max(static_cast<int>(kHour / finest), present);
        if (!source.enough()) continue;
        p[k] = sum / source.valid;
        if (quantity == ModelInput::kG3) p[k] /= 2000.0;
    }

    // Dst and Kp at t: the hourly record holding t, else for Dst the SYM-H
    // of the finest high-resolution record holding t.
    const SolarWindRecord* hourly = nullptr;
    const SolarWindRecord* fine = nullptr;
    for (const SolarWindRecord& r : starting_within(records, t - kHour + 1, t + 1)) {
        if (t >= r.start + r.length) continue;
        if (r.length >= kHour) {
            hourly = &r;
        } else if (fine == nullptr || r.length < fine->length) {
            fine = &r;
        }
    }
    const auto at_t = [&](ModelInput quantity, const SolarWindRecord* r, double value) {
        const auto k = static_cast<std::size_t>(quantity);
        SolarWindSource& source = inputs.sources[k];
        if (r == nullptr) return;
        source.records = 1;
        source.record_length = r->length;
        source.valid = std::isnan(value) ? 0 : 1;
        if (source.valid == 1) p[k] = value;
    };
    if (hourly != nullptr) {
        at_t(ModelInput::kDst, hourly, hourly->dst);
    } else {
        inputs.dst_is_sym_h = fine != nullptr;
        at_t(ModelInput::kDst, fine, fine != nullptr ? fine->sym_h : 0.0);
    }
    at_t(ModelInput::kKp, hourly, hourly != nullptr ? hourly->kp : 0.0);

    for (std::size_t k = 0; k < kModelInputCount; ++k) {
        if (needed.has(static_cast<ModelInput>(k)) && !inputs.sources[k].enough()) {
            throw SolarWindGapError(static_cast<ModelInput>(k), t, inputs.sources[k], inputs.dst_is_sym_h);
        }
    }
    return inputs;
}

}  // namespace cones
