// The pack type: each lane gets exactly the scalar result, and the masked
// operations leave a masked lane's bits alone (-0.0 included), where a fault
// would hide in a sum that is mostly zero.
//
// The packs here carry a tag of their own and are compiled for the ordinary
// instruction set (wider vectors are split by the compiler), so that none of
// their routines can be mistaken for the engine's AVX2 or AVX-512 ones. The
// engine's packs of every width are checked against the scalar field routines
// in tests/tracing/lane_kernels_test.cpp.

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <limits>
#include <random>

#include "numerics/pack.hpp"

namespace cones {
namespace {

struct TestLanes {};

std::uint64_t bits(double value) { return std::bit_cast<std::uint64_t>(value); }

template <class P>
class PackTest : public ::testing::Test {};

using Widths = ::testing::Types<Pack<2, TestLanes>, Pack<4, TestLanes>, Pack<8, TestLanes>>;
TYPED_TEST_SUITE(PackTest, Widths);

// Lane i of a pack filled from `values`.
template <class P>
P pack_of(const double* values) {
    P p;
    for (int i = 0; i < P::kLanes; ++i) p.set(i, values[i]);
    return p;
}

TYPED_TEST(PackTest, ArithmeticIsTheScalarArithmeticLaneByLane) {
    using P = TypeParam;
    std::mt19937_64 random(7);
    std::uniform_real_distribution<double> exponent(-30.0, 30.0);
    std::uniform_int_distribution<int> sign(0, 1);
    const auto draw = [&] { return (sign(random) ? -1.0 : 1.0) * std::exp2(exponent(random)); };
    for (int round = 0; round < 500; ++round) {
        double a[P::kLanes], b[P::kLanes];
        for (int i = 0; i < P::kLanes; ++i) {
            a[i] = draw();
            b[i] = draw();
        }
        const P pa = pack_of<P>(a), pb = pack_of<P>(b);
        const P sum = pa + pb, difference = pa - pb, product = pa * pb, quotient = pa / pb;
        const P root = sqrt(pa * pa + pb), negated = -pa, mixed = 3.0 * pa - pb / 7.0;
        for (int i = 0; i < P::kLanes; ++i) {
            EXPECT_EQ(bits(sum[i]), bits(a[i] + b[i]));
            EXPECT_EQ(bits(difference[i]), bits(a[i] - b[i]));
            EXPECT_EQ(bits(product[i]), bits(a[i] * b[i]));
            EXPECT_EQ(bits(quotient[i]), bits(a[i] / b[i]));
            EXPECT_EQ(bits(root[i]), bits(std::sqrt(a[i] * a[i] + b[i])));
            EXPECT_EQ(bits(negated[i]), bits(-a[i]));
            EXPECT_EQ(bits(mixed[i]), bits(3.0 * a[i] - b[i] / 7.0));
        }
    }
}

TYPED_TEST(PackTest, SignedZeroSurvivesBroadcastNegationAndMaskedSums) {
    using P = TypeParam;
    const P negative_zero(-0.0);
    const P zero(0.0);
    for (int i = 0; i < P::kLanes; ++i) {
        EXPECT_TRUE(std::signbit(negative_zero[i])) << "broadcast of -0.0, lane " << i;
        EXPECT_TRUE(std::signbit((-zero)[i])) << "negated 0.0, lane " << i;
    }
    // A sum of -0.0 that a lane must not take: adding the masked term as 0.0
    // would turn it into +0.0; the select leaves its bits.
    double own[P::kLanes];
    for (int i = 0; i < P::kLanes; ++i) own[i] = (i % 2 == 0) ? 1.0 : 3.0;
    const P degree = pack_of<P>(own);
    const auto takes = P(2.0) <= degree;  // odd lanes only
    const P sum = select(takes, negative_zero + P(0.0), negative_zero);
    for (int i = 0; i < P::kLanes; ++i) {
        if (i % 2 == 0) {
            EXPECT_EQ(bits(sum[i]), bits(-0.0)) << "masked lane " << i;
        } else {
            EXPECT_EQ(bits(sum[i]), bits(-0.0 + 0.0)) << "taken lane " << i;
        }
    }
}

TYPED_TEST(PackTest, ComparisonsAndMasksFollowTheScalarOnesWithNaN) {
    using P = TypeParam;
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double candidates[] = {-1.0, 0.0, -0.0, 2.5, nan, 1e300, -1e-300, 2.5};
    double a[P::kLanes], b[P::kLanes];
    for (int i = 0; i < P::kLanes; ++i) {
        a[i] = candidates[i % 8];
        b[i] = candidates[(i * 3 + 1) % 8];
    }
    const P pa = pack_of<P>(a), pb = pack_of<P>(b);
    const auto less = pa < pb, less_equal = pa <= pb, greater = pa > pb, greater_equal = pa >= pb;
    const auto both = less_equal & greater_equal, either = less | greater, neither = !either;
    const P picked = select(less, pa, pb);
    for (int i = 0; i < P::kLanes; ++i) {
        EXPECT_EQ(less[i], a[i] < b[i]) << i;
        EXPECT_EQ(less_equal[i], a[i] <= b[i]) << i;
        EXPECT_EQ(greater[i], a[i] > b[i]) << i;
        EXPECT_EQ(greater_equal[i], a[i] >= b[i]) << i;
        EXPECT_EQ(both[i], a[i] == b[i]) << i;
        EXPECT_EQ(neither[i], !(a[i] < b[i] || a[i] > b[i])) << i;
        EXPECT_EQ(bits(picked[i]), bits(a[i] < b[i] ? a[i] : b[i])) << i;
    }
}

TYPED_TEST(PackTest, MagnitudeEqualityAndLargestLane) {
    using P = TypeParam;
    constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
    // Every width holds a NaN lane and a lane where -0.0 meets 0.0.
    const double candidates[] = {-0.0, kNaN, -3.5, 3.5, 0.0, -kNaN, -1e-310, 2.0};
    double a[P::kLanes], b[P::kLanes];
    for (int i = 0; i < P::kLanes; ++i) {
        a[i] = candidates[i % 8];
        b[i] = candidates[(i * 5 + 4) % 8];
    }
    const P pa = pack_of<P>(a), pb = pack_of<P>(b);
    const P magnitude = fabs(pa);
    const auto equal = pa == pb, unequal = pa != pb;
    for (int i = 0; i < P::kLanes; ++i) {
        EXPECT_EQ(bits(magnitude[i]), bits(std::fabs(a[i]))) << i;
        EXPECT_EQ(equal[i], a[i] == b[i]) << i;
        EXPECT_EQ(unequal[i], a[i] != b[i]) << i;
    }
    EXPECT_TRUE(any_lane(equal));  // -0.0 == 0.0 in lane 0
    EXPECT_FALSE(any_lane(equal & (pa != pb)));
    EXPECT_FALSE(any_lane((pa != pa) & (pa == pa)));
    EXPECT_TRUE(any_lane(pa != pa));  // the NaN lanes
    double x[P::kLanes];
    for (int i = 0; i < P::kLanes; ++i) x[i] = -3.0 + 1.37 * i;
    EXPECT_EQ(largest_lane(pack_of<P>(x)), x[P::kLanes - 1]);
}

}  // namespace
}  // namespace cones
