// Reading the model inputs of a moment in the tests: one quantity's value and
// source, the needs of a list of quantities, and the check of the error of a
// quantity the records cannot give.
#pragma once

#include <gtest/gtest.h>

#include <initializer_list>
#include <string>

#include "models/solar_wind.hpp"

namespace cones::testing_support {

inline double element(const SolarWindInputs& inputs, ModelInput quantity) {
    return inputs.parameters[static_cast<std::size_t>(quantity)];
}

inline const SolarWindSource& source(const SolarWindInputs& inputs, ModelInput quantity) {
    return inputs.sources[static_cast<std::size_t>(quantity)];
}

// The call must throw a SolarWindGapError for `quantity` with exactly the
// message `message`.
template <class Call>
void expect_gap_error(const Call& call, ModelInput quantity, const std::string& message) {
    try {
        call();
        ADD_FAILURE() << "no error: " << message;
    } catch (const SolarWindGapError& e) {
        EXPECT_EQ(e.quantity(), quantity) << e.what();
        EXPECT_EQ(std::string(e.what()), message);
    }
}

}  // namespace cones::testing_support
