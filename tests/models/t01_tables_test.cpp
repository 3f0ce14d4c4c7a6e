// T01 coefficient tables: the published entries that the model's listing
// gives of the Birkeland and ring-current shielding tables, the stored
// precision of the amplitude tables, and the tables' layout.
#include <gtest/gtest.h>

#include <cstring>
#include <iterator>
#include <utility>
#include <vector>

#include "models/t01/t01_tables.hpp"

namespace cones {
namespace {

// Entry k (from 1) of an 86-entry shielding table, in its published order:
// 72 amplitudes, the scales p, r, q, s, the two tilt factors.
float entry(const T01ShieldingTable& table, int k) {
    static_assert(sizeof(T01ShieldingTable) == 86 * sizeof(float));
    float flat[86];
    std::memcpy(flat, &table, sizeof flat);
    return flat[k - 1];
}

struct Listed {
    const char* name;
    const T01ShieldingTable* table;
    std::vector<std::pair<int, float>> entries;  // entry number, published value
};

// Entries 1 to 6 and 73 to 86 as the model's listing prints them (shorter
// decimals than the full tables; the same single-precision values).
const Listed kListed[] = {
    {"H11", &kT01BirkelandShielding11, {{1, 46488.848f}, {2, -15541.952f}, {3, -23210.098f}, {4, -32625.04f}, {5, -109894.45f}, {6, -71415.33f}, {73, 59.41538f}, {74, 41.188923f}, {75, 80.861015f}, {76, 3.0668094f}, {77, 7.8935237f}, {78, 30.56212f}, {79, 10.36861f}, {80, 8.222336f}, {81, 19.975756f}, {82, 2.0501485f}, {83, 4.992657f}, {84, 2.3005643f}, {85, 0.22562456f}, {86, -0.058415942f}}},
    {"H12", &kT01BirkelandShielding12, {{1, 210260.48f}, {2, -1443587.4f}, {3, -1468919.2f}, {4, 281939.3f}, {5, -1131124.9f}, {6, 729331.8f}, {73, 145.02621f}, {74, 70.73187f}, {75, 85.5111f}, {76, 21.47491f}, {77, 24.345545f}, {78, 31.344053f}, {79, 4.6552076f}, {80, 5.747889f}, {81, 7.8023043f}, {82, 1.8441699f}, {83, 4.8672547f}, {84, 2.9413931f}, {85, 0.13798992f}, {86, 0.0660702f}}},
    {"H21", &kT01BirkelandShielding21, {{1, 162294.62f}, {2, 503885.12f}, {3, -27057.672f}, {4, -531450.1f}, {5, 84747.055f}, {6, -237142.17f}, {73, 58.541447f}, {74, 67.45227f}, {75, 97.923744f}, {76, 4.75245f}, {77, 10.468244f}, {78, 32.91856f}, {79, 12.051244f}, {80, 9.962934f}, {81, 15.912586f}, {82, 1.8042339f}, {83, 6.5781493f}, {84, 2.5152235f}, {85, 0.19300343f}, {86, -0.0226111f}}},
    {"H22", &kT01BirkelandShielding22, {{1, -131287.9f}, {2, -631927.7f}, {3, -318797.4f}, {4, 616785.9f}, {5, -50027.363f}, {6, 863100.0f}, {73, 159.35323f}, {74, 76.34446f}, {75, 84.74399f}, {76, 12.767226f}, {77, 27.638706f}, {78, 32.69874f}, {79, 5.1451535f}, {80, 6.3109493f}, {81, 6.9961596f}, {82, 1.97163f}, {83, 4.4362993f}, {84, 2.9049642f}, {85, 0.14862768f}, {86, 0.06859992f}}},
    {"Y", &kT01SymmetricRingShielding, {{1, 1675.6948f}, {2, 1780.0063f}, {3, -961.6082f}, {4, -1668.9143f}, {5, -27.40437f}, {6, -107.41697f}, {73, 7.97061f}, {74, 7.9812164f}, {75, 35.168224f}, {76, 12.456516f}, {77, 1.6897553f}, {78, 3.6787124f}, {79, 23.661173f}, {80, 6.987136f}, {81, 6.8866787f}, {82, 20.912458f}, {83, 1.6500641f}, {84, 3.4740686f}, {85, 0.34747157f}, {86, 0.6564043f}}},
    {"P", &kT01PartialRingShielding, {{1, -64820.586f}, {2, -63965.62f}, {3, 66267.94f}, {4, 135049.75f}, {5, -36.563168f}, {6, 124.66147f}, {73, 9.451291f}, {74, 9.313662f}, {75, 644.7621f}, {76, 418.2516f}, {77, 7.1837544f}, {78, 35.62129f}, {79, 19.431807f}, {80, 39.572186f}, {81, 15.693847f}, {82, 7.123215f}, {83, 2.3006353f}, {84, 21.908812f}, {85, -0.017758394f}, {86, 0.39963466f}}},
};

TEST(T01Tables, ShieldingTablesHoldTheListedEntries) {
    for (const Listed& listed : kListed) {
        for (const auto& [k, value] : listed.entries) {
            EXPECT_EQ(entry(*listed.table, k), value) << listed.name << " entry " << k;
        }
    }
}

// Every amplitude is the float of its decimal, used as a double: the two
// values the listing prints to full precision, and a few others.
TEST(T01Tables, AmplitudesAreSinglePrecisionValues) {
    EXPECT_EQ(double(kT01Amplitudes[1]), 2.483409881591797);             // A2 = 2.48341
    EXPECT_EQ(double(kT01DipoleShielding.perpendicular[0][0]), -901.2327270507812);  // S1
    struct Case {
        const char* name;
        float stored;
        double decimal;
    };
    const Case cases[] = {
        {"T01 A34", kT01Amplitudes[33], 41.60182},     {"T01 A39", kT01Amplitudes[38], 0.1579},
        {"T01 A43", kT01Amplitudes[42], 0.38013},      {"storm A34", kT01StormAmplitudes[33], 1.22288},
        {"storm A40", kT01StormAmplitudes[39], 7.7},   {"storm A50", kT01StormAmplitudes[49], 4.80011},
        {"S50", kT01DipoleShielding.parallel_tilt_factor, 0.3477845},
        {"U60", kT01TailShieldingMode1.z_scale[4], 24.535772},
        {"V1", kT01TailShieldingMode2.amplitude[0][0], -287187.2},
        {"C11 31", kT01Cone11[30], 0.7113545},         {"C22 23", kT01Cone22[22], 0.0000025151794},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(double(c.stored), double(float(c.decimal))) << c.name;
    }
}

}  // namespace
}  // namespace cones
