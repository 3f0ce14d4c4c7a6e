// T89 coefficient sets, one per Kp activity level, and their preparation.
#include <cmath>
#include <stdexcept>
#include <string>

#include "models/t89/t89.hpp"

namespace cones {
namespace {

constexpr int kSetCount = 6;
constexpr int kCoefficientsPerSet = 28;

// A1..A28 of each set (row k - 1 holds Ak), held in single precision as the
// model was published. A16..A19 are 0 here: they follow from the others so
// that the boundary field is divergence-free, and are derived on preparation.
//   A1, A2 tail-current amplitudes; A3, A4 closure-current amplitudes;
//   A5 ring-current amplitude; A6..A19 boundary-term coefficients;
//   A20 e-folding length of the boundary terms; A21, A26 radial scale lengths
//   of the ring and tail currents; A22 base half-thickness of the sheet;
//   A23 extra thickness of the ring current; A24 hinging distance;
//   A25 warping amplitude; A27 half-width of the sheet in y;
//   A28 x of the sheet's inner edge.
constexpr float kSets[kCoefficientsPerSet][kSetCount] = {
    //  set 1       set 2       set 3       set 4       set 5       set 6
    {-98.72f,    -35.65f,    -77.45f,    -70.12f,    -162.5f,    -128.4f},     // A1
    {-10014.0f,  -12800.0f,  -14588.0f,  -16125.0f,  -15806.0f,  -16184.0f},   // A2
    {15.03f,     14.37f,     64.85f,     90.71f,     160.6f,     149.1f},      // A3
    {76.62f,     124.5f,     123.9f,     38.08f,     5.888f,     215.5f},      // A4
    {-10237.0f,  -13543.0f,  -16229.0f,  -19630.0f,  -27534.0f,  -36435.0f},   // A5
    {1.813f,     2.316f,     2.641f,     3.181f,     3.607f,     4.09f},       // A6
    {31.1f,      35.64f,     42.46f,     47.5f,      51.1f,      49.09f},      // A7
    {-0.07464f,  -0.0741f,   -0.07611f,  -0.1327f,   -0.1006f,   -0.0231f},    // A8
    {-0.07764f,  -0.1081f,   -0.1579f,   -0.1864f,   -0.1927f,   -0.1359f},    // A9
    {0.003303f,  0.003924f,  0.004078f,  0.01382f,   0.03353f,   0.01989f},    // A10
    {-1.129f,    -1.451f,    -1.391f,    -1.488f,    -1.392f,    -2.298f},     // A11
    {0.001663f,  0.00202f,   0.00153f,   0.002962f,  0.001594f,  0.004911f},   // A12
    {0.000988f,  0.00111f,   0.000727f,  0.000897f,  0.002439f,  0.003421f},   // A13
    {18.21f,     21.37f,     21.86f,     22.74f,     22.41f,     21.79f},      // A14
    {-0.03018f,  -0.04567f,  -0.04199f,  -0.04095f,  -0.04925f,  -0.05447f},   // A15
    {0.0f,       0.0f,       0.0f,       0.0f,       0.0f,       0.0f},        // A16
    {0.0f,       0.0f,       0.0f,       0.0f,       0.0f,       0.0f},        // A17
    {0.0f,       0.0f,       0.0f,       0.0f,       0.0f,       0.0f},        // A18
    {0.0f,       0.0f,       0.0f,       0.0f,       0.0f,       0.0f},        // A19
    {24.74f,     22.33f,     20.9f,      18.64f,     18.31f,     19.48f},      // A20
    {8.16f,      8.12f,      6.28f,      6.27f,      6.2f,       5.83f},       // A21
    {2.08f,      1.664f,     1.54f,      0.935f,     0.768f,     0.332f},      // A22
    {-0.88f,     0.932f,     4.18f,      5.39f,      5.07f,      6.47f},       // A23
    {9.08f,      9.24f,      9.61f,      8.57f,      10.06f,     10.47f},      // A24
    {3.84f,      2.43f,      6.59f,      5.94f,      6.67f,      9.08f},       // A25
    {13.55f,     13.81f,     15.08f,     15.63f,     16.1f,      15.85f},      // A26
    {26.94f,     28.83f,     30.57f,     31.47f,     30.04f,     25.27f},      // A27
    {5.75f,      6.05f,      7.43f,      8.1f,       8.26f,      7.98f},       // A28
};

}  // namespace

// Set number from Kp: trunc(Kp + 0.5) + 1, capped at 6. The sum is capped and
// checked as a double before it is converted, so a huge or non-finite Kp
// cannot overflow the conversion; everything below 1 (Kp <= -1.5, NaN) is
// reported as 0, which selects no set.
int t89_set_number(double kp) {
    const double number = std::trunc(kp + 0.5) + 1.0;
    if (number >= kSetCount) return kSetCount;
    if (!(number >= 1.0)) return 0;
    return static_cast<int>(number);
}

// Copies set `set_number` (1..6) into double precision and derives
// A16 = -0.5 (A6/A20 + A10), A17 = -(A7/A20 + A11), A18 = -(A8/A20 + 3 A12),
// A19 = -(A9/A20 + A13)/3 and w = 1/A27^2. Throws std::out_of_range for a
// number outside 1..6.
T89Coefficients t89_coefficients(int set_number) {
    if (set_number < 1 || set_number > kSetCount) {
        throw std::out_of_range("T89 coefficient set " + std::to_string(set_number) +
                                " does not exist (sets are 1 to 6)");
    }
    T89Coefficients set;
    auto& a = set.a;
    for (int k = 0; k < kCoefficientsPerSet; ++k) {
        a[k] = static_cast<double>(kSets[k][set_number - 1]);
    }
    a[15] = -0.5 * (a[5] / a[19] + a[9]);
    a[16] = -(a[6] / a[19] + a[10]);
    a[17] = -(a[7] / a[19] + 3.0 * a[11]);
    a[18] = -(a[8] / a[19] + a[12]) / 3.0;
    set.w = 1.0 / (a[26] * a[26]);
    return set;
}

}  // namespace cones
