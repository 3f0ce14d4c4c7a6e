// The driving parameters of the magnetospheric (external) field models, and
// what a field model is: the description every field model gives of itself.
#pragma once

#include <array>
#include <cstddef>
#include <initializer_list>
#include <string_view>

namespace cones {

// External-field driving parameters. Element k (counted from 1) is at index k - 1:
//   1 solar-wind dynamic pressure P (nPa), 2 Dst (nT), 3 IMF By and 4 IMF Bz
//   (GSM, nT), 5..7 solar-wind history indices G1, G2, G3, 8 Kp.
// Elements 9 and 10 are always 0. Each model reads only the elements it needs.
using ModelParameters = std::array<double, 10>;

// The eight driving parameters, in the order of ModelParameters: input k is
// element k + 1.
enum class ModelInput { kPressure, kDst, kBy, kBz, kG1, kG2, kG3, kKp };
inline constexpr std::size_t kModelInputCount = 8;

// How a driving parameter is written: its symbol in titles ("P", "Dst"), its
// unit ("nPa", "" for the indices), its name in messages ("pressure") and
// its keyword in programs and the Python module ("pressure_npa").
struct ModelInputName {
    std::string_view symbol;
    std::string_view unit;
    std::string_view name;
    std::string_view keyword;
};

inline constexpr std::array<ModelInputName, kModelInputCount> kModelInputNames{{
    {"P", "nPa", "pressure", "pressure_npa"},
    {"Dst", "nT", "Dst", "dst_nt"},
    {"By", "nT", "By", "by_nt"},
    {"Bz", "nT", "Bz", "bz_nt"},
    {"G1", "", "G1", "g1"},
    {"G2", "", "G2", "g2"},
    {"G3", "", "G3", "g3"},
    {"Kp", "", "Kp", "kp"},
}};

constexpr const ModelInputName& model_input_name(ModelInput input) {
    return kModelInputNames[static_cast<std::size_t>(input)];
}

// A set of driving parameters (those a model reads, say).
class ModelInputs {
public:
    constexpr ModelInputs() = default;
    constexpr ModelInputs(std::initializer_list<ModelInput> inputs) {
        for (const ModelInput input : inputs) bits_ |= 1u << static_cast<unsigned>(input);
    }
    constexpr bool has(ModelInput input) const { return (bits_ >> static_cast<unsigned>(input)) & 1u; }
    constexpr bool empty() const { return bits_ == 0; }
    friend constexpr bool operator==(ModelInputs, ModelInputs) = default;

private:
    unsigned bits_ = 0;
};

// The internal field a model's external field is added to.
enum class InternalPart {
    kDipole,         // the tilted centred dipole of the reference field, alone
    kReferenceField  // the spherical-harmonic reference field of the date
};

// What a field model says of itself: one row of the field model registry.
struct FieldModelDescription {
    // Its field model code in "Cones.ini"; the row with `any_other_code`
    // takes every code no other row has.
    int code = 0;
    bool any_other_code = false;
    // Its name for programs and the Python module: "t89".
    std::string_view key;
    // Its name in messages: "T89", "storm-time T01".
    std::string_view name;
    // Its name in titles, "{igrf}" standing for the generation of the
    // reference field: "{igrf} + T89", "dipole of {igrf}".
    std::string_view title;
    InternalPart internal = InternalPart::kReferenceField;
    // The driving parameters it reads (its magnetopause included).
    ModelInputs reads;
    // Whether its field and magnetopause are undefined for a pressure of 0 or
    // less (a power of the pressure scales them).
    bool needs_positive_pressure = false;
    // Whether its field is evaluated for all vector lanes at once, so that
    // tracing in lanes pays; a model evaluated one lane after the other is
    // traced one trajectory at a time by default.
    bool fills_lanes = true;
};

}  // namespace cones
