#include "tracing/field_in_frame.hpp"

namespace cones {
namespace {

// Rotates a position or vector between `frame` and GSM: into GSM when
// `to_gsm`, back into the frame otherwise.
void rotate(const EpochState& epoch, OutputFrame frame, double& x, double& y, double& z, bool to_gsm) {
    switch (frame) {
        case OutputFrame::kGeo:
            if (to_gsm) geo_to_gsm(epoch, x, y, z, x, y, z);
            else gsm_to_geo(epoch, x, y, z, x, y, z);
            return;
        case OutputFrame::kGse:
            if (to_gsm) gse_to_gsm(epoch, x, y, z, x, y, z);
            else gsm_to_gse(epoch, x, y, z, x, y, z);
            return;
        case OutputFrame::kGsm: return;
    }
}

}  // namespace

void field_in_frame(const FieldContext& field, OutputFrame frame, double x, double y, double z, double& bx,
                    double& by, double& bz) {
    rotate(*field.epoch, frame, x, y, z, true);
    total_field_gsm(field, x, y, z, bx, by, bz);
    rotate(*field.epoch, frame, bx, by, bz, false);
}

}  // namespace cones
