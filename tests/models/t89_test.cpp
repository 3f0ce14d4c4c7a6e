// T89 external field: set selection, coefficient preparation, symmetries,
// the capped boundary factor, zero divergence and reference values.
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <stdexcept>

#include "models/t89/t89.hpp"
#include "tests/support/tilted_epoch.hpp"

namespace cones {
namespace {

// T89 reads only the tilt of the epoch.
EpochState tilted(double tilt) { return testing_support::tilted_epoch(tilt); }

struct Field {
    double x, y, z;
};

Field field_at(const T89Coefficients& set, const EpochState& epoch, double x, double y,
               double z) {
    Field b{};
    t89_external_field(set, epoch, x, y, z, b.x, b.y, b.z);
    return b;
}

double magnitude(const Field& b) { return std::sqrt(b.x * b.x + b.y * b.y + b.z * b.z); }

constexpr std::array<double, 5> kTilts = {0.0, 0.3, -0.3, 0.5, -0.5};

TEST(T89SetNumber, KpBoundariesSelectTheDocumentedSet) {
    struct Case {
        double kp;
        int set;
    };
    const Case cases[] = {
        {-1.49, 1}, {0.0, 1}, {0.49, 1}, {0.5, 2}, {1.49, 2}, {1.5, 3}, {2.49, 3},
        {2.5, 4},   {3.5, 5}, {4.49, 5}, {4.5, 6}, {9.0, 6},  {1e300, 6},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(t89_set_number(c.kp), c.set) << "Kp = " << c.kp;
    }
}

TEST(T89SetNumber, KpAtOrBelowMinusOneAndAHalfSelectsNoSet) {
    for (double kp : {-1.5, -2.0, -1e300, std::nan("")}) {
        EXPECT_LT(t89_set_number(kp), 1) << "Kp = " << kp;
    }
}

TEST(T89Coefficients, StoredValuesAreSinglePrecisionAndDerivedTermsFollow) {
    const T89Coefficients set = t89_coefficients(1);
    // Held as the float nearest to the published decimal, not the decimal.
    EXPECT_EQ(set.a[0], static_cast<double>(-98.72f));
    EXPECT_NE(set.a[0], -98.72);
    EXPECT_EQ(set.a[1], -10014.0);
    EXPECT_EQ(set.a[19], static_cast<double>(24.74f));
    EXPECT_EQ(set.a[27], static_cast<double>(5.75f));
    // Derived A16..A19 and w = 1/A27^2, evaluated to 40 digits from the
    // single-precision A6..A13, A20 and A27 of set 1.
    const double tol = 1e-15;
    EXPECT_NEAR(set.a[15], -0.038292566706873226, tol);
    EXPECT_NEAR(set.a[16], -0.12807364362416241, tol);
    EXPECT_NEAR(set.a[17], -0.0019720234024290936, tol);
    EXPECT_NEAR(set.a[18], 0.00071674587455203546, tol);
    EXPECT_NEAR(set.w, 0.0013778590719513505, tol);
}

TEST(T89Coefficients, SetNumbersOutsideOneToSixAreRejected) {
    EXPECT_THROW(t89_coefficients(0), std::out_of_range);
    EXPECT_THROW(t89_coefficients(7), std::out_of_range);
    EXPECT_NO_THROW(t89_coefficients(6));
}

// Without tilt the sheet is flat and the model is symmetric under z -> -z:
// bx and by change sign, bz keeps it.
TEST(T89Field, ZeroTiltFieldIsMirrorSymmetricInZ) {
    const EpochState epoch = tilted(0.0);
    const Field points[] = {{-10.0, 3.0, 1.5}, {5.0, -2.0, 4.0}, {-40.0, 12.0, 0.3},
                            {2.0, 0.5, 6.0},   {-3.0, -7.0, 20.0}};
    for (int n = 1; n <= 6; ++n) {
        const T89Coefficients set = t89_coefficients(n);
        for (const auto& p : points) {
            const Field up = field_at(set, epoch, p.x, p.y, p.z);
            const Field down = field_at(set, epoch, p.x, p.y, -p.z);
            SCOPED_TRACE(testing::Message() << "set " << n << " at " << p.x << ", " << p.y
                                            << ", " << p.z);
            EXPECT_DOUBLE_EQ(down.x, -up.x);
            EXPECT_DOUBLE_EQ(down.y, -up.y);
            EXPECT_DOUBLE_EQ(down.z, up.z);
            EXPECT_GT(std::abs(up.x), 1e-3);  // the symmetry is not trivially 0 = 0
        }
    }
}

// The terms multiplied by the tilt's sine (A4, A7..A9, A11..A13, A17..A19)
// are absent without tilt and present with it.
TEST(T89Field, TiltTermsVanishWithoutTilt) {
    const T89Coefficients set = t89_coefficients(3);
    T89Coefficients altered = set;
    for (int k : {4, 7, 8, 9, 11, 12, 13, 17, 18, 19}) altered.a[k - 1] *= 1.5;
    const Field points[] = {{-10.0, 3.0, 1.5}, {6.0, -2.0, 4.0}, {-25.0, 9.0, -3.0}};
    for (const auto& p : points) {
        const Field flat = field_at(set, tilted(0.0), p.x, p.y, p.z);
        const Field flat_altered = field_at(altered, tilted(0.0), p.x, p.y, p.z);
        EXPECT_EQ(flat.x, flat_altered.x);
        EXPECT_EQ(flat.y, flat_altered.y);
        EXPECT_EQ(flat.z, flat_altered.z);
        const Field bent = field_at(set, tilted(0.3), p.x, p.y, p.z);
        const Field bent_altered = field_at(altered, tilted(0.3), p.x, p.y, p.z);
        EXPECT_GT(std::abs(bent.x - bent_altered.x) + std::abs(bent.z - bent_altered.z), 1e-3);
    }
}

TEST(T89Field, ByIsZeroOnTheNoonMidnightPlane) {
    const Field points[] = {{-10.0, 0.0, 1.5}, {8.0, 0.0, -3.0}, {-60.0, 0.0, 10.0},
                            {1.5, 0.0, 0.2},   {0.0, 0.0, -15.0}};
    for (int n = 1; n <= 6; ++n) {
        const T89Coefficients set = t89_coefficients(n);
        for (double tilt : kTilts) {
            for (const auto& p : points) {
                const Field b = field_at(set, tilted(tilt), p.x, p.y, p.z);
                EXPECT_EQ(b.y, 0.0) << "set " << n << ", tilt " << tilt << ", x " << p.x;
                EXPECT_TRUE(std::isfinite(b.x) && std::isfinite(b.z));
            }
        }
    }
}

// Far on the day side the boundary terms' exponential is replaced by 1.4e217;
// they then dominate every other term, so the field is exactly the boundary
// polynomial times the cap.
TEST(T89Field, BoundaryExponentialIsCappedFromXOverA20Of500) {
    const T89Coefficients set = t89_coefficients(1);
    const auto& a = set.a;
    const EpochState epoch = tilted(0.3);
    const double s = epoch.sin_tilt, c = epoch.cos_tilt;
    const double y = 2.0, z = 3.0;
    const double y2 = y * y, z2 = z * z;
    const auto boundary = [&](double e) {
        return Field{(a[5] * c * z + (a[6] + a[7] * y2 + a[8] * z2) * s) * e,
                     (a[9] * c * y * z + (a[10] + a[11] * y2 + a[12] * z2) * s * y) * e,
                     ((a[13] + a[14] * y2 + a[15] * z2) * c +
                      (a[16] + a[17] * y2 + a[18] * z2) * s * z) *
                         e};
    };
    for (double ratio : {500.0, 501.0, 5000.0}) {
        const double x = ratio * a[19];  // exact: A20 has 24 significant bits
        ASSERT_EQ(x / a[19], ratio);
        const Field b = field_at(set, epoch, x, y, z);
        const Field expected = boundary(1.4e217);
        EXPECT_EQ(b.x, expected.x) << "x / A20 = " << ratio;
        EXPECT_EQ(b.y, expected.y) << "x / A20 = " << ratio;
        EXPECT_EQ(b.z, expected.z) << "x / A20 = " << ratio;
    }
    // Just below the limit the true exponential is used (exp(499.9) is not
    // the cap), and the result is still finite.
    const double x = 499.9 * a[19];
    const Field b = field_at(set, epoch, x, y, z);
    const Field expected = boundary(std::exp(x / a[19]));
    EXPECT_NEAR(b.x, expected.x, 1e-12 * std::abs(expected.x));
    EXPECT_NEAR(b.z, expected.z, 1e-12 * std::abs(expected.z));
    EXPECT_TRUE(std::isfinite(b.x) && std::isfinite(b.y) && std::isfinite(b.z));
}

// div B from central differences of step h, against the size of the
// individual derivatives that it sums. With h = 1e-3 Re the truncation error
// is ~h^2 relative; a wrong sign or a wrong derived coefficient leaves a
// divergence of the order of the derivatives themselves.
TEST(T89Field, FieldIsDivergenceFree) {
    const Field points[] = {
        {-10.0, 3.0, 1.5},  {-20.0, -5.0, 0.2}, {-45.0, 10.0, -2.0}, {-6.0, 0.5, 0.1},
        {-8.0, 2.0, -4.0},  {-3.0, -1.0, 2.5},  {4.0, 2.0, 1.0},     {8.0, -3.0, 5.0},
        {2.0, 6.0, -6.0},   {0.5, 1.0, 10.0},   {-15.0, 12.0, 8.0},  {6.0, 0.0, -2.0},
        {-30.0, -15.0, 6.0}, {3.0, 4.0, -9.0},
    };
    const double h = 1e-3;
    for (int n = 1; n <= 6; ++n) {
        const T89Coefficients set = t89_coefficients(n);
        for (double tilt : kTilts) {
            const EpochState epoch = tilted(tilt);
            for (const auto& p : points) {
                const double dbx = field_at(set, epoch, p.x + h, p.y, p.z).x -
                                   field_at(set, epoch, p.x - h, p.y, p.z).x;
                const double dby = field_at(set, epoch, p.x, p.y + h, p.z).y -
                                   field_at(set, epoch, p.x, p.y - h, p.z).y;
                const double dbz = field_at(set, epoch, p.x, p.y, p.z + h).z -
                                   field_at(set, epoch, p.x, p.y, p.z - h).z;
                const double divergence = (dbx + dby + dbz) / (2.0 * h);
                const double scale = (std::abs(dbx) + std::abs(dby) + std::abs(dbz)) / (2.0 * h);
                EXPECT_LT(std::abs(divergence), 1e-5 * scale)
                    << "set " << n << ", tilt " << tilt << " at " << p.x << ", " << p.y << ", "
                    << p.z << ": div B = " << divergence << " nT/Re";
            }
        }
    }
}

// Reference values from an independent re-implementation of the model in
// 40-digit arithmetic, with the coefficients rounded to single precision:
// tools/t89_reference.py prints these rows.
TEST(T89Field, MatchesReferenceValues) {
    struct Case {
        int set;
        double tilt, x, y, z;
        double bx, by, bz;
    };
    const Case cases[] = {
        {1, 0.0, -8.0, 2.0, 1.0, 8.229379290718741, -1.7245419304891867, -19.173506470040411},
        {2, 0.3, -15.0, -4.0, 2.5, 2.1823428330430012, 0.64459370509341991, -5.7433082632767175},
        {3, -0.3, 6.0, 3.0, -2.0, -10.449989176042075, 5.1234109034782301, 7.2906028378378499},
        {3, 0.3, 9.0, 5.0, 7.0, 34.856548628018787, -5.9953563807592176, 15.00286560304793},
        {4, 0.5, -30.0, 8.0, -6.0, -15.415394308929494, 2.0032658525053473, -2.0642617594433642},
        {5, 0.2, 3.0, -1.5, 4.0, 11.29559295459536, 4.9993750715461221, -19.933135957462082},
        {6, -0.5, -5.0, 0.5, -0.5, 84.012940706090502, -5.4097112569938176, -53.307988752985034},
    };
    for (const auto& c : cases) {
        const Field b = field_at(t89_coefficients(c.set), tilted(c.tilt), c.x, c.y, c.z);
        const double tol = 1e-12 * magnitude(Field{c.bx, c.by, c.bz});
        SCOPED_TRACE(testing::Message() << "set " << c.set << ", tilt " << c.tilt << " at "
                                        << c.x << ", " << c.y << ", " << c.z);
        EXPECT_NEAR(b.x, c.bx, tol);
        EXPECT_NEAR(b.y, c.by, tol);
        EXPECT_NEAR(b.z, c.bz, tol);
    }
}

}  // namespace
}  // namespace cones
