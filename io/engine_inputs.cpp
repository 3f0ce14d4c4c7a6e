// The file's codes and station records turned into the engine's inputs.
#include "io/engine_inputs.hpp"
#include "io/calendar.hpp"
#include "io/config.hpp"

namespace cones {

OutputFrame output_frame_of_code(int code) {
    switch (code) {
        case output_frame::kGeo: return OutputFrame::kGeo;
        case output_frame::kGse: return OutputFrame::kGse;
        default: return OutputFrame::kGsm;
    }
}

StationEntry station_entry(const StationRecord& station) {
    StationEntry entry;
    entry.latitude = station.latitude;
    entry.longitude = station.longitude;
    entry.zenith = station.zenith;
    entry.azimuth = station.azimuth;
    return entry;
}

std::vector<StationEntry> station_entries(const RunConfiguration& config) {
    std::vector<StationEntry> entries;
    entries.reserve(config.stations.size());
    for (const StationRecord& station : config.stations) entries.push_back(station_entry(station));
    return entries;
}

void choose_internal_field(RunConfiguration& config, const InternalFieldCoefficients* internal_field) {
    if (internal_field == nullptr) return;
    config.internal_field = internal_field;
    config.internal_field_chosen = true;
}

void choose_tracing(RunConfiguration& config, const TracingChoices& choices) { config.choices = choices; }

EpochState epoch_of(const RunConfiguration& config, std::ostream& notice) {
    return set_epoch(*config.internal_field, config.year, day_of_year(config.day, config.month, config.year),
                     config.hour, config.minute, config.second, notice);
}

TraceSettings trace_settings_of(const RunConfiguration& config, const EpochState& epoch) {
    TraceSettings settings;
    settings.field = make_field_context(epoch, field_model_of_code(config.field_model_code), config.parameters);
    settings.start_radius = start_radius(config.altitude_km);
    settings.output_frame = output_frame_of_code(config.output_frame_code);
    settings.longitude_min = config.longitude_min;
    settings.longitude_max = config.longitude_max;
    settings.geodetic = config.choices.geodetic;
    settings.start_altitude_km = config.altitude_km;
    settings.charge_sign = charge_sign(config.choices.particle);
    return settings;
}

}  // namespace cones
