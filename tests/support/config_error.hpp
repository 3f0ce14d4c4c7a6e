// Checking a configuration error: the call must throw a ConfigError on the
// given line whose message names "Cones.ini" and that line, holds the given
// fragment and stays short enough to read.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "io/config.hpp"

namespace cones::testing_support {

template <class Call>
void expect_config_error(const Call& call, int line, const std::string& fragment) {
    try {
        call();
        ADD_FAILURE() << "no error";
    } catch (const ConfigError& e) {
        EXPECT_EQ(e.line(), line);
        const std::string what = e.what();
        EXPECT_NE(what.find(fragment), std::string::npos) << what;
        EXPECT_EQ(what.rfind("Cones.ini, line " + std::to_string(line) + ": ", 0), 0u) << what;
        EXPECT_LT(what.size(), 400u) << what;
    }
}

}  // namespace cones::testing_support
