// The lane widths of this processor and the batch routine of each.

#include "tracing/lane_kernels.hpp"

#include <stdexcept>
#include <string>

#include "numerics/pack.hpp"

namespace cones {
namespace {

bool has_avx2() { return __builtin_cpu_supports("avx2"); }
bool has_avx512() { return __builtin_cpu_supports("avx512f"); }

}  // namespace

std::vector<unsigned> lane_widths() {
    std::vector<unsigned> widths = {1, 2};
    if (has_avx2()) widths.push_back(4);
    if (has_avx512()) widths.push_back(8);
    return widths;
}

unsigned widest_lane_width() { return lane_widths().back(); }

bool lane_width_available(unsigned width) {
    for (const unsigned available : lane_widths())
        if (available == width) return true;
    return false;
}

const char* lane_instruction_set(unsigned width) {
    switch (width) {
        case 1: return "scalar";
        case 2: return Sse2::kName;
        case 4: return Avx2::kName;
        case 8: return Avx512::kName;
        default: return "none";
    }
}

namespace {

void require_batch_width(unsigned width) {
    if (width < 2 || !lane_width_available(width)) {
        throw std::invalid_argument("no batch routine of " + std::to_string(width) + " lanes on this processor");
    }
}

}  // namespace

BatchDerivatives lane_derivatives(unsigned width, FieldModel model) {
    require_batch_width(width);
    if (width == 8) return batch_derivatives<Pack<8, Avx512>>(model);
    if (width == 4) return batch_derivatives<Pack<4, Avx2>>(model);
    return batch_derivatives<Pack<2, Sse2>>(model);
}

BatchFields lane_fields(unsigned width, FieldModel model) {
    require_batch_width(width);
    if (width == 8) return batch_fields<Pack<8, Avx512>>(model);
    if (width == 4) return batch_fields<Pack<4, Avx2>>(model);
    return batch_fields<Pack<2, Sse2>>(model);
}

}  // namespace cones
