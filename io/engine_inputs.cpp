// The file's codes and station records turned into the engine's inputs.
#include "io/config.hpp"

namespace cones {

FieldModel field_model_of_code(int code) {
    switch (code) {
        case field_model::kDipole: return FieldModel::kDipole;
        case field_model::kInternal: return FieldModel::kInternal;
        case field_model::kT89: return FieldModel::kT89;
        case field_model::kT96: return FieldModel::kT96;
        case field_model::kT01: return FieldModel::kT01;
        case field_model::kT01Storm: return FieldModel::kT01Storm;
        default: return FieldModel::kInternalUnbounded;
    }
}

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

}  // namespace cones
