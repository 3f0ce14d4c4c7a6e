// The registry of field models: file codes and keys find their rows, each row
// says what its model reads, and a run's field context holds its own model's
// preparation alone.

#include <gtest/gtest.h>

#include <set>
#include <string>

#include "tests/support/tilted_epoch.hpp"
#include "tracing/field_selector.hpp"

namespace cones {
namespace {

TEST(FieldModelRegistry, FileCodesAndKeysFindTheirRows) {
    const struct {
        int code;
        const char* key;
        FieldModel expected;
    } cases[] = {
        {0, "dipole", field_model<DipoleModel>},     {10, "igrf", field_model<ReferenceFieldModel>},
        {89, "t89", field_model<T89Model>},          {96, "t96", field_model<T96Model>},
        {1, "t01", field_model<T01Model>},           {3, "t01s", field_model<T01StormModel>},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(field_model_of_code(c.code), c.expected) << c.code;
        EXPECT_EQ(field_model_of_key(c.key), c.expected) << c.key;
        EXPECT_EQ(field_model_description(c.expected).code, c.code) << c.key;
    }
    // Every other code is the reference field with no magnetopause.
    for (const int code : {2, -10, 11, 97, 100000}) {
        EXPECT_EQ(field_model_of_code(code), field_model<UnboundedReferenceFieldModel>) << code;
    }
    EXPECT_EQ(field_model_of_key("T89"), std::nullopt);
    EXPECT_EQ(field_model_of_key(""), std::nullopt);

    // The rows themselves: keys and codes unique, one row for the other codes.
    std::set<std::string> keys;
    std::set<int> codes;
    int others = 0;
    for (const FieldModelDescription& row : field_model_descriptions()) {
        EXPECT_TRUE(keys.insert(std::string(row.key)).second) << row.key;
        if (row.any_other_code) {
            ++others;
        } else {
            EXPECT_TRUE(codes.insert(row.code).second) << row.code;
        }
        EXPECT_NE(row.title.find("{igrf}"), std::string::npos) << row.key;
    }
    EXPECT_EQ(others, 1);
}

// The driving parameters of each model, as the published models define them:
// the OMNI inputs, the titles and the parameter checks follow them.
TEST(FieldModelRegistry, EachModelReadsItsOwnDrivingParameters) {
    using Q = ModelInput;
    const struct {
        FieldModel model;
        ModelInputs reads;
    } cases[] = {
        {field_model<DipoleModel>, {}},
        {field_model<ReferenceFieldModel>, {}},
        {field_model<UnboundedReferenceFieldModel>, {}},
        {field_model<T89Model>, {Q::kKp}},
        {field_model<T96Model>, {Q::kPressure, Q::kDst, Q::kBy, Q::kBz}},
        {field_model<T01Model>, {Q::kPressure, Q::kDst, Q::kBy, Q::kBz, Q::kG1, Q::kG2}},
        {field_model<T01StormModel>, {Q::kPressure, Q::kDst, Q::kBy, Q::kBz, Q::kG2, Q::kG3}},
    };
    for (const auto& c : cases) {
        const FieldModelDescription& row = field_model_description(c.model);
        EXPECT_EQ(row.reads, c.reads) << row.key;
    }
    // Every model that reads the pressure takes powers of it: its range keeps
    // it above 0.
    EXPECT_GT(model_input_name(Q::kPressure).low, 0.0);
}

// The context holds the one model of the run: its preparation is the
// alternative of its own row, for every row.
TEST(FieldModelRegistry, TheFieldContextHoldsItsOwnModelAlone) {
    const EpochState epoch = testing_support::tilted_epoch(0.3);
    const ModelParameters parameters{3.0, -20.0, 1.0, -2.0, 3.0, 5.0, 7.0, 2.0, 0.0, 0.0};
    for (std::size_t row = 0; row < kFieldModelCount; ++row) {
        const FieldModel model{static_cast<int>(row)};
        const FieldContext field = make_field_context(epoch, model, parameters);
        EXPECT_EQ(field.model, model);
        EXPECT_EQ(field.prepared.index(), row) << field_model_description(model).key;
    }
    // T01 and storm-time T01 share one prepared type and are told apart by
    // their rows and their preparations.
    const FieldContext t01 = make_field_context(epoch, field_model<T01Model>, parameters);
    const FieldContext storm = make_field_context(epoch, field_model<T01StormModel>, parameters);
    EXPECT_NE(t01.prepared_for<T01Model>().kappa, storm.prepared_for<T01StormModel>().kappa);
}

}  // namespace
}  // namespace cones
