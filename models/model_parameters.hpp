// The driving parameters of the magnetospheric (external) field models, and
// what a field model is: the description every field model gives of itself.
#pragma once

#include <array>
#include <cstddef>
#include <initializer_list>
#include <span>
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
// unit ("nPa", "" for the indices), its name in messages ("pressure"), its
// keyword in programs and the Python module ("pressure_npa"), the phrase that
// names it in configuration messages; and the range in which the field
// models are used (both ends included), checked for every model that reads
// it.
//   The ranges hold every value the solar wind and the magnetosphere have
//   shown (hourly values of May 2024: a pressure of 56 nPa, By of 68 nT, Dst
//   of -406 nT; Dst of -589 nT in 1989 and estimates of -850 to -1760 nT for
//   1859), with room; beyond them a model no longer describes a
//   magnetosphere (the T01 magnetopause comes within 1.3 Earth radii at 10^6 nPa)
//   and single trajectories take minutes. The solar-wind indices G1 to G3 are
//   averages of positive quantities; Kp runs from 0 to 9.
struct ModelInputName {
    std::string_view symbol;
    std::string_view unit;
    std::string_view name;
    std::string_view keyword;
    std::string_view phrase;
    double low = 0.0, high = 0.0;
};

inline constexpr std::array<ModelInputName, kModelInputCount> kModelInputNames{{
    {"P", "nPa", "pressure", "pressure_npa", "the solar-wind dynamic pressure (parameter 1)", 0.01, 100.0},
    {"Dst", "nT", "Dst", "dst_nt", "the Dst index (parameter 2)", -2000.0, 200.0},
    {"By", "nT", "By", "by_nt", "the IMF By (parameter 3)", -200.0, 200.0},
    {"Bz", "nT", "Bz", "bz_nt", "the IMF Bz (parameter 4)", -200.0, 200.0},
    {"G1", "", "G1", "g1", "the solar-wind index G1 (parameter 5)", 0.0, 500.0},
    {"G2", "", "G2", "g2", "the solar-wind index G2 (parameter 6)", 0.0, 500.0},
    {"G3", "", "G3", "g3", "the solar-wind index G3 (parameter 7)", 0.0, 500.0},
    {"Kp", "", "Kp", "kp", "the Kp index (parameter 8)", 0.0, 9.0},
}};

// A range of one driving parameter (both ends included).
struct ModelInputRange {
    ModelInput input;
    double low, high;
};

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
    // Whether its field is evaluated for all vector lanes at once, so that
    // tracing in lanes pays; a model evaluated one lane after the other is
    // traced one trajectory at a time by default.
    bool fills_lanes = true;
    // The ranges of the data the model was fitted to, where it has them:
    // beyond them (and within the ranges of the parameters) it is
    // extrapolated, which storms require, so a run there goes on with a
    // warning.
    std::span<const ModelInputRange> fitted{};
};

}  // namespace cones
