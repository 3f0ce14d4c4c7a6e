// T96 components: Bessel functions, the coefficient tables, and each current
// system's field against an independent 40-digit evaluation of the model's
// formulas (tools/t96_reference.py prints the reference rows), with the edge
// cases of each component.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <bit>
#include <cmath>
#include <cstdint>

#include "models/t96/t96.hpp"
#include "models/t96/t96_coefficients.hpp"
#include "numerics/pack.hpp"
#include "tests/support/t96_fixtures.hpp"

namespace cones {
namespace {

using t96_test::expect_field_near;
using t96_test::standard_model;

// The reference differs from the program only by the program's rounding,
// amplified where large amplitudes cancel (tail mode 3, interconnection).
constexpr double kRelative = 1e-10;

struct PointCase {
    double tilt, x, y, z;
    double bx, by, bz;
};

// ---------------------------------------------------------------- Bessel functions

TEST(T96Bessel, MatchesTheApproximationsAndTheTrueFunctions) {
    struct Case {
        double u;
        double j0, j1;            // the approximations, evaluated in 40 digits
        double true_j0, true_j1;  // the Bessel functions themselves
    };
    const Case cases[] = {
        {0.0, 1.0, 0.0, 1.0, 0.0},
        {0.5, 0.93846981272772787, 0.24226845915519263, 0.9384698072408129, 0.24226845767487389},
        {1.0, 0.76519768881663251, 0.44005058916429105, 0.76519768655796655, 0.44005058574493352},
        {2.9, -0.22431159453783425, 0.37542751677001406, -0.22431154579196808, 0.37542748181309593},
        {3.0, -0.26005196019635047, 0.33905895480699476, -0.26005195490193344, 0.33905895852593646},
        {4.5, -0.32054250727511914, -0.23106043027997581, -0.32054250898512142, -0.23106043192337063},
        {10.0, -0.24593576378104987, 0.04347274395151569, -0.24593576445134834, 0.043472746168861437},
        {35.0, -0.12684568328408807, 0.043990952511003129, -0.12684568275631257, 0.04399094217962564},
    };
    for (const auto& c : cases) {
        double j0, j1;
        t96_bessel_j0_j1(c.u, j0, j1);
        EXPECT_NEAR(j0, c.j0, 1e-15) << "u = " << c.u;
        EXPECT_NEAR(j1, c.j1, 1e-15) << "u = " << c.u;
        EXPECT_NEAR(j0, c.true_j0, 1e-7) << "u = " << c.u;
        EXPECT_NEAR(j1, c.true_j1, 1e-7) << "u = " << c.u;
    }
}

// u = 3 takes the asymptotic forms; just below it the power series, whose
// values at 3 are -0.260052 and 0.33905898.
TEST(T96Bessel, BranchesSwitchAtThree) {
    double j0, j1;
    t96_bessel_j0_j1(3.0, j0, j1);
    EXPECT_NEAR(j0, -0.26005196, 1e-8);
    EXPECT_NEAR(j1, 0.33905895, 1e-8);
    t96_bessel_j0_j1(std::nextafter(3.0, 0.0), j0, j1);
    EXPECT_NEAR(j0, -0.260052, 1e-9);
    EXPECT_NEAR(j1, 0.33905898, 1e-9);
}

// ---------------------------------------------------------------- tables

// Every entry of the short published tables, typed again from the published
// values, against the tables (single-precision tables compare equal to the float of the decimal).
TEST(T96Tables, ListedEntriesAreTranscribedAtTheirPrecision) {
    const auto check = [](double table, float listed, const char* where) {
        EXPECT_EQ(table, double(listed)) << where;
    };
    const T96Amplitudes& a = kT96Amplitudes;
    const float amplitudes[] = {1.162f, 22.344f, 18.5f, 2.602f, 6.903f, 5.287f, 0.579f, 0.4462f, 0.785f};
    const float stored[] = {a.ring_current,  a.tail2_base,   a.tail2_pressure,
                            a.tail2_reconnection, a.tail3_base, a.tail3_pressure,
                            a.region1_base, a.region1_reconnection, a.imf_efficiency};
    for (int k = 0; k < 9; ++k) check(stored[k], amplitudes[k], "A1..A9");

    const float c[] = {-8.411078f, 5932255.0f, -9073285.0f, -11.687946f, 6027599.0f,
                       -9218378.0f, -6.5087986f, -11824.428f, 18015.662f, 7.9975405f,
                       13.966989f, 90.24475f, 16.757288f, 1015.64575f, 1553.4932f};
    for (int i = 0; i < 3; ++i) {
        for (int k = 0; k < 3; ++k) check(kT96Interconnection.amplitude[i][k], c[3 * i + k], "C1..C9");
        check(kT96Interconnection.p[i], c[9 + i], "C10..C12");
        check(kT96Interconnection.r[i], c[12 + i], "C13..C15");
    }

    const float perpendicular[12] = {0.24777f, -27.003f, -0.46815f, 7.0637f, -1.5918f, -0.090317f,
                                     57.522f,  13.757f,  2.01f,     10.458f, 4.5798f,  2.1695f};
    const float parallel[12] = {-0.65385f, -18.061f, -0.40457f, -5.0995f, 1.2846f, 0.078231f,
                                39.592f,   13.291f,  1.997f,    10.062f,  4.514f,  2.1558f};
    for (int i = 0; i < 6; ++i) {
        check(kT96PerpendicularDipoleShielding[i].amplitude, perpendicular[i], "P amplitudes");
        check(kT96PerpendicularDipoleShielding[i].scale, perpendicular[i + 6], "P scales");
        check(kT96ParallelDipoleShielding[i].amplitude, parallel[i], "Q amplitudes");
        check(kT96ParallelDipoleShielding[i].scale, parallel[i + 6], "Q scales");
    }

    struct SheetShielding {
        const T96ShieldingTable<3>* table;
        float first[4];
        float p[3], r[3], q[3], s[3];
    };
    const SheetShielding sheets[] = {
        {&kT96RingCurrentShielding, {-3.0876997f, 3.5162592f, 18.813807f, -13.957724f},
         {12.75435f, 11.376597f, 636.43463f}, {1.7524837f, 3.604231f, 12.830787f},
         {7.4120665f, 9.434626f, 676.75574f}, {1.7011627f, 3.5803072f, 14.642986f}},
        {&kT96TailDiskShielding, {0.8747515f, -0.9116821f, 2.2093654f, -2.1590595f},
         {5.1876664f, 6.802472f, 39.135433f}, {2.784722f, 6.9795766f, 25.717167f},
         {4.495006f, 8.068408f, 93.478874f}, {4.15803f, 9.313493f, 57.182404f}},
        {&kT96LongTailShielding, {-19091.951f, -3011.614f, 20582.162f, 4242.9185f},
         {19.69878f, 20.300957f, 86.45407f}, {22.504038f, 23.416174f, 48.481407f},
         {24.610313f, 123.5396f, 223.53677f}, {39.508244f, 65.833855f, 266.29486f}},
    };
    for (const auto& sh : sheets) {
        check(sh.table->amplitudes[0].first, sh.first[0], "sheet shielding entry 1");
        check(sh.table->amplitudes[0].second, sh.first[1], "sheet shielding entry 2");
        check(sh.table->amplitudes[1].first, sh.first[2], "sheet shielding entry 3");
        check(sh.table->amplitudes[1].second, sh.first[3], "sheet shielding entry 4");
        for (int i = 0; i < 3; ++i) {
            check(sh.table->p[i], sh.p[i], "sheet shielding p");
            check(sh.table->r[i], sh.r[i], "sheet shielding r");
            check(sh.table->q[i], sh.q[i], "sheet shielding q");
            check(sh.table->s[i], sh.s[i], "sheet shielding s");
        }
    }

    const float c1[26] = {-0.000911582f, -0.00376654f, -0.00727423f, -0.00270084f, -0.00123899f,
                          -0.00154387f,  -0.0034004f,  -0.0191858f,  -0.0518979f,  0.0635061f,
                          0.44068f,      -0.39657f,    0.00561238f,  0.00160938f,  -0.00451229f,
                          -0.0025181f,   -0.00151599f, -0.00133665f, -0.000962089f, -0.0272085f,
                          -0.0524319f,   0.0717024f,   0.523439f,    -0.405015f,   -89.5587f,
                          23.2806f};
    for (int i = 0; i < 12; ++i) {
        check(kT96HighLatitude.z_dipoles[i], c1[i], "C1 z-dipoles");
        check(kT96HighLatitude.x_dipoles[i], c1[12 + i], "C1 x-dipoles");
    }
    check(kT96HighLatitude.crossed_loops, c1[24], "C1 entry 25");
    check(kT96HighLatitude.loop, c1[25], "C1 entry 26");

    const T96PlasmaSheetCoefficients& c2 = kT96PlasmaSheet;
    const float c2_first[10] = {6.04133f, 0.305415f, 0.00606066f, 0.000128379f, -1.79406e-5f,
                                1.41714f, -27.2586f, -4.28833f,   -1.30675f,    35.5607f};
    for (int m = 0; m < 5; ++m) check(c2.conical[m], c2_first[m], "C2 entries 1..5");
    for (int k = 0; k < 5; ++k) check(c2.off_axis[k / 3][k % 3], c2_first[5 + k], "C2 entries 6..10");
    check(c2.on_axis_tilt[2][1], -0.000210103f, "C2 entry 75");
    check(c2.on_axis_tilt[3][0], -0.00232195f, "C2 entry 76");
    check(c2.on_axis_tilt[3][1], 0.00315335f, "C2 entry 77");
    check(c2.on_axis_tilt[4][0], -0.013432f, "C2 entry 78");
    check(c2.on_axis_tilt[4][1], -0.0263222f, "C2 entry 79");

    const T96ShieldingTable<4>& r1 = kT96Region1Shielding;
    const float r1_first[6] = {1.174198f, -1.4638205f, 4.8401613f, -3.674507f, 82.183685f, -94.94072f};
    for (int l = 0; l < 6; ++l) {
        check(l % 2 == 0 ? r1.amplitudes[l / 2].first : r1.amplitudes[l / 2].second, r1_first[l],
              "region-1 shielding amplitudes");
    }
    const float r1_p[4] = {5.303649f, 10.403689f, 69.652306f, 466.50995f};
    const float r1_r[4] = {1.6450493f, 3.825838f, 11.666756f, 558.9781f};
    const float r1_q[4] = {1.8265313f, 2.066018f, 25.409714f, 990.27954f};
    const float r1_s[4] = {2.3194892f, 4.5551486f, 9.691186f, 591.82806f};
    for (int i = 0; i < 4; ++i) {
        check(r1.p[i], r1_p[i], "region-1 p");
        check(r1.r[i], r1_r[i], "region-1 r");
        check(r1.q[i], r1_q[i], "region-1 q");
        check(r1.s[i], r1_s[i], "region-1 s");
    }

    const T96ShieldingTable<2>& r2 = kT96Region2Shielding;
    const float r2_amplitudes[16] = {-111.63714f, 124.54027f,   110.37352f,  -122.00959f,
                                     111.944824f, -129.19577f,  -110.75866f, 126.5649f,
                                     -0.78650343f, -0.24834627f, 0.8026024f, 0.2531397f,
                                     10.7289095f, 0.8483902f,   -10.968843f, -0.8583297f};
    for (int l = 0; l < 16; ++l) {
        check(l % 2 == 0 ? r2.amplitudes[l / 2].first : r2.amplitudes[l / 2].second,
              r2_amplitudes[l], "region-2 shielding amplitudes");
    }
    const float r2_scales[8] = {13.856505f, 14.905545f, 10.219144f, 10.090217f,
                                6.3403826f, 14.404326f, 12.710235f, 12.839666f};
    for (int i = 0; i < 2; ++i) {
        check(r2.p[i], r2_scales[i], "region-2 p");
        check(r2.r[i], r2_scales[2 + i], "region-2 r");
        check(r2.q[i], r2_scales[4 + i], "region-2 q");
        check(r2.s[i], r2_scales[6 + i], "region-2 s");
    }
}

// The region-2 sheet tables are double precision except entry a7.
TEST(T96Tables, RegionTwoSheetTablesAreDoubleExceptA7) {
    const double a[16] = {8.0719, -7.39582, -7.62341, 0.684671, -13.5672, 11.6681, 13.1154, -0.890217,
                          7.78726, -5.38346, -8.08738, 0.609385, -2.7041, 3.53741, 3.15549, -1.11069};
    const double b[16] = {-9.08427, 10.6777, 10.3288,  -0.969987, 6.45257,  -8.42508, -7.97464, 1.41996,
                          -1.9249,  3.93575, 2.83283,  -1.48621,  0.244033, -0.757941, -0.386557, 0.344566};
    const double c[16] = {1167.61, -917.782, -1253.2, -274.128, -1538.75, 1257.62, 1745.07, 113.479,
                          393.326, -426.858, -641.1,  190.833,  -29.9435, -1.04881, 117.125, -25.7663};
    const auto entry = [](const T96ProfileTerms* table, int n) {
        const T96ProfileTerms& row = table[n / 4];
        const double values[4] = {row.constant, row.t1, row.t2, row.t3};
        return values[n % 4];
    };
    for (int n = 0; n < 16; ++n) {
        if (n != 6) {
            EXPECT_EQ(entry(kT96Region2SheetA, n), a[n]) << "a" << n + 1;
        }
        EXPECT_EQ(entry(kT96Region2SheetB, n), b[n]) << "b" << n + 1;
        EXPECT_EQ(entry(kT96Region2SheetC, n), c[n]) << "c" << n + 1;
    }
    EXPECT_EQ(entry(kT96Region2SheetA, 6), 13.115400314331055);
    EXPECT_EQ(kT96Region2SheetProfileX.latitude_exponent[0], -19.0969);
    EXPECT_EQ(kT96Region2SheetProfileY.width[1], 0.036375);
    EXPECT_EQ(kT96Region2SheetProfileZ.width[2], 0.053875);
}

// ---------------------------------------------------------------- dipole shielding

TEST(T96DipoleShielding, MatchesReferenceValues) {
    const PointCase cases[] = {
        {0.0, -8.0, 2.0, 1.0, 0.73325403216163394, -0.033202648283749288, 7.8793908820717735},
        {0.35, -15.0, -4.0, 2.5, 2.7793002976616384, 0.43342317534467019, 3.5289054109997273},
        {-0.3, 5.0, 3.0, -2.0, -13.230458504622325, 1.0689980091934609, 22.259428272842606},
        {0.2, -3.0, 1.0, 4.0, 7.7640304480294975, -0.24288475702512092, 11.140812017009908},
        {0.3, 6.0, 0.0, 0.0, 10.632047292298514, 0.0, 24.576704055171718},  // on the x axis
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "tilt " << c.tilt << " at " << c.x << ", " << c.y << ", " << c.z);
        const T96Vector b = t96_dipole_shielding_field(standard_model(c.tilt), c.x, c.y, c.z);
        expect_field_near(b, c.bx, c.by, c.bz, kRelative);
    }
}

// On the x axis the perpendicular sum takes phi = 90 degrees and the parallel
// sum is purely along x, so by vanishes for every tilt.
TEST(T96DipoleShielding, OnTheXAxisThereIsNoYComponent) {
    for (double tilt : {0.0, 0.3, -0.4}) {
        for (double x : {-20.0, 0.5, 9.0}) {
            const T96Vector b = t96_dipole_shielding_field(standard_model(tilt), x, 0.0, 0.0);
            EXPECT_EQ(b.y, 0.0);
            EXPECT_TRUE(std::isfinite(b.x) && std::isfinite(b.z));
            EXPECT_GT(std::abs(b.z), 0.1);
        }
    }
}

// Without tilt only the perpendicular sum (the shielding of the z-directed
// dipole) is left, which is mirror-antisymmetric in z for bx and by; at a
// tilt of 90 degrees the parallel sum (of the x-directed dipole) is left,
// which is symmetric about the x axis. Swapping the sums' tilt weights, or a
// sign between their harmonics, breaks these.
TEST(T96DipoleShielding, TiltMixesTheTwoSumsByItsCosineAndSine) {
    const T96Prepared flat = standard_model(0.0);
    const T96Prepared upright = standard_model(std::acos(-1.0) / 2.0);
    const T96Vector points[] = {{-8.0, 2.0, 1.0}, {4.0, -3.0, 5.0}, {-25.0, 7.0, -2.0}};
    for (const auto& p : points) {
        const T96Vector up = t96_dipole_shielding_field(flat, p.x, p.y, p.z);
        const T96Vector down = t96_dipole_shielding_field(flat, p.x, p.y, -p.z);
        EXPECT_EQ(down.x, -up.x);
        EXPECT_EQ(down.y, -up.y);
        EXPECT_EQ(down.z, up.z);

        // Rotate the point about x by 50 degrees: the field turns with it.
        const double rho = std::hypot(p.y, p.z), phi = std::atan2(p.z, p.y), turn = 0.87266462599716477;
        const T96Vector b = t96_dipole_shielding_field(upright, p.x, p.y, p.z);
        const T96Vector r = t96_dipole_shielding_field(upright, p.x, rho * std::cos(phi + turn),
                                                       rho * std::sin(phi + turn));
        const double scale = 1e-9 * t96_test::magnitude(b);
        EXPECT_NEAR(r.x, b.x, scale);
        EXPECT_NEAR(r.y, b.y * std::cos(turn) - b.z * std::sin(turn), scale);
        EXPECT_NEAR(r.z, b.y * std::sin(turn) + b.z * std::cos(turn), scale);
    }
}

// ---------------------------------------------------------------- ring current and tail

TEST(T96RingCurrentTail, MatchesReferenceValues) {
    struct Case {
        double tilt, x, y, z;
        double ring[3], tail2[3], tail3[3];
    };
    const Case cases[] = {
        {0.0, -8.0, 2.0, 1.0,
         {0.29574905205144405, -0.072168740289256806, -0.15724016512713324},
         {0.36397413872749531, -0.054314868365969551, -1.2712071811325029},
         {0.030202915486637112, 2.2649024802786451e-4, -0.3183947999976175}},
        {0.35, -15.0, -4.0, 2.5,
         {-0.005246953110603845, -0.011931152034879122, 0.099381641840363419},
         {-0.25501650972920777, -0.069516393047167231, -0.38706339138558954},
         {-0.036772989837482605, 0.0021827574187974366, -0.45251880312272937}},
        {-0.3, 5.0, 3.0, -2.0,
         {0.357139124306945, 0.22355230580002771, -0.33591093922138558},
         {0.028195951701244659, 0.058504588904882526, -0.56346117172352073},
         {-0.011784664639207977, 0.0033484417590628553, -0.11352524142546332}},
        {0.2, -3.0, 1.0, 4.0,
         {0.19514576909763834, -0.077615352367860985, -0.72191816910019651},
         {0.15599308701220969, -0.028396474432290651, -0.98390053361525989},
         {0.051451526257044028, -1.6983133821373337e-4, -0.21091212580732962}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "tilt " << c.tilt << " at " << c.x << ", " << c.y << ", " << c.z);
        // The sheet geometry reads the epoch's stored sine of the tilt.
        const T96SheetFields f = t96_ring_current_tail_field(standard_model(c.tilt), c.x, c.y, c.z);
        expect_field_near(f.ring_current, c.ring[0], c.ring[1], c.ring[2], kRelative);
        expect_field_near(f.tail2, c.tail2[0], c.tail2[1], c.tail2[2], kRelative);
        expect_field_near(f.tail3, c.tail3[0], c.tail3[1], c.tail3[2], kRelative);
    }
}

// Zero tilt: a flat, unwarped sheet whose frame is GSM. On y = 0 the sheet
// has its midnight half-thickness 2 Re, no warp and no thickness gradient.
TEST(T96RingCurrentTail, SheetGeometryWithoutTiltAndOnTheNoonMidnightPlane) {
    const T96WarpedSheetGeometry flat = t96_warped_sheet_geometry(standard_model(0.0), -7.0, 3.0, 1.5);
    EXPECT_EQ(flat.sin_sheet_tilt, 0.0);
    EXPECT_EQ(flat.cos_sheet_tilt, 1.0);
    EXPECT_EQ(flat.tilt_derivative, 0.0);
    EXPECT_EQ(flat.hinge_shift, 0.0);
    EXPECT_EQ(flat.warp, 0.0);
    EXPECT_EQ(flat.xs, -7.0);
    EXPECT_EQ(flat.zs, 1.5);
    EXPECT_EQ(flat.zs_unwarped, 1.5);
    EXPECT_DOUBLE_EQ(flat.thickness, 2.0 + 10.0 * (3.0 / 20.0) * (3.0 / 20.0));

    const T96WarpedSheetGeometry noon_midnight =
        t96_warped_sheet_geometry(standard_model(0.3), -7.0, 0.0, 1.5);
    EXPECT_EQ(noon_midnight.thickness, 2.0);
    EXPECT_EQ(noon_midnight.warp, 0.0);
    EXPECT_EQ(noon_midnight.zs, noon_midnight.zs_unwarped);
    EXPECT_EQ(noon_midnight.dzeta_dy, 0.0);  // no warp and no slope across the noon-midnight plane
    // The sheet is hinged: at the Earth's surface it leans with the dipole's
    // tilt; far out it lies flat, shifted in z by the hinge shift 9.857 sin psi.
    const double s = std::sin(0.3);
    EXPECT_NEAR(t96_warped_sheet_geometry(standard_model(0.3), -1.0, 0.0, 0.0).sin_sheet_tilt, s, 1e-15);
    const T96WarpedSheetGeometry far = t96_warped_sheet_geometry(standard_model(0.3), -60.0, 0.0, 0.0);
    EXPECT_NEAR(60.0 * far.sin_sheet_tilt, far.hinge_shift, 0.01 * far.hinge_shift);
    EXPECT_DOUBLE_EQ(far.hinge_shift, 9.857300762134084 * s);
}

// On the axis of the ring current (xs = 0, y = 0) and of the tail disk
// (xs = 4.5, y = 0) the radial derivative is taken along +y; the field there
// is the limit of the field beside the axis.
TEST(T96RingCurrentTail, SheetAxisTakesTheLimitingField) {
    const T96Prepared model = standard_model(0.0);
    struct Case {
        double x;
        T96Vector (*source)(const T96WarpedSheetGeometry&, double, double, double);
    };
    const Case cases[] = {{0.0, t96_ring_current_source}, {4.5, t96_tail_disk_source}};
    for (const auto& c : cases) {
        for (double z : {1.0, -2.5}) {
            const T96Vector on = c.source(t96_warped_sheet_geometry(model, c.x, 0.0, z), c.x, 0.0, z);
            const T96Vector beside =
                c.source(t96_warped_sheet_geometry(model, c.x + 1e-7, 1e-7, z), c.x + 1e-7, 1e-7, z);
            EXPECT_EQ(on.x, 0.0);
            EXPECT_EQ(on.y, 0.0);
            EXPECT_NEAR(on.z, beside.z, 1e-6 * std::abs(on.z));
            EXPECT_NEAR(beside.x, 0.0, 1e-5 * std::abs(on.z));
            EXPECT_GT(std::abs(on.z), 1e-3);
        }
    }
}

// ---------------------------------------------------------------- loops and dipoles

TEST(T96Loops, CircularAndCrossedLoopsMatchReferenceValues) {
    struct LoopCase {
        double x, y, z, rl, bx, by, bz;
    };
    const LoopCase loops[] = {
        {1.0, 0.5, 0.3, 2.0, 0.31433350830882051, 0.15716675415441025, 1.9131083068155298},
        {0.0, 0.0, 1.5, 2.0, 0.0, 0.0, 0.80424771969408333},  // on the axis
        {3.0, -1.0, 2.0, 7.8, 0.065865468954432741, -0.021955156318144247, 0.39627157212264225},
        // within 1e-6 of the axis: the near-axis form of the radial field
        {4e-7, -3e-7, 0.8, 2.0, 8.6709139444495704e-8, -6.5031854583371778e-8, 1.257282565572486},
    };
    for (const auto& c : loops) {
        const T96Vector b = t96_circular_loop_field(c.x, c.y, c.z, c.rl);
        SCOPED_TRACE(testing::Message() << "loop at " << c.x << ", " << c.y << ", " << c.z);
        expect_field_near(b, c.bx, c.by, c.bz, kRelative);
        // The radial components are tiny near the axis: compare them relatively too.
        EXPECT_NEAR(b.x, c.bx, kRelative * std::abs(c.bx));
        EXPECT_NEAR(b.y, c.by, kRelative * std::abs(c.by));
    }
    const T96Vector axis = t96_circular_loop_field(0.0, 0.0, -0.7, 3.0);
    EXPECT_EQ(axis.x, 0.0);
    EXPECT_EQ(axis.y, 0.0);

    struct CrossedCase {
        double x, y, z, xc, rl, alpha, bx, by, bz;
    };
    const CrossedCase crossed[] = {
        {1.0, 0.5, 0.3, 0.55, 0.694, 0.0031, 3.8458374825731455, 4.2731650129259934, 3.1951934025133401},
        {-2.0, 1.0, 2.0, 2.28, 1.86, 1.0, -0.069178129902812614, 0.023557626790574844, -0.025196247384781056},
    };
    for (const auto& c : crossed) {
        const T96Vector b = t96_crossed_loops_field(c.x, c.y, c.z, c.xc, c.rl,
                                                    T96Angle{std::cos(c.alpha), std::sin(c.alpha)});
        expect_field_near(b, c.bx, c.by, c.bz, kRelative);
    }
}

// Dipoles of moment M = 30574 nT Re^3: B = M (3 (m.r) r - m r^2) / r^5.
TEST(T96Loops, DipoleTripletIsThreeUnitDipoles) {
    const double m = 30574.0;
    const T96DipoleTriplet on_x = t96_dipole_triplet_field(1.0, 0.0, 0.0);
    EXPECT_EQ(on_x.x_dipole.x, 2.0 * m);
    EXPECT_EQ(on_x.y_dipole.y, -m);
    EXPECT_EQ(on_x.z_dipole.z, -m);
    EXPECT_EQ(on_x.x_dipole.y, 0.0);
    const T96DipoleTriplet on_z = t96_dipole_triplet_field(0.0, 0.0, 2.0);
    EXPECT_DOUBLE_EQ(on_z.z_dipole.z, 2.0 * m / 8.0);
    EXPECT_DOUBLE_EQ(on_z.x_dipole.x, -m / 8.0);
    const T96DipoleTriplet diagonal = t96_dipole_triplet_field(1.0, 1.0, 1.0);
    const double k = m / (9.0 * std::sqrt(3.0));  // M / r^5 at r^2 = 3
    EXPECT_DOUBLE_EQ(diagonal.x_dipole.y, 3.0 * k);
    EXPECT_DOUBLE_EQ(diagonal.y_dipole.z, 3.0 * k);
    EXPECT_DOUBLE_EQ(diagonal.z_dipole.x, 3.0 * k);
    EXPECT_NEAR(diagonal.y_dipole.y, 0.0, 1e-9);
}

// ---------------------------------------------------------------- region 1

TEST(T96Region1, MatchesReferenceValuesInEveryRegion) {
    const PointCase cases[] = {
        {0.3, -6.0, 2.0, 3.0, 2.1133726296931624, -0.49490932840985057, 3.7161336420502804},  // plasma sheet
        {0.3, 3.0, -1.0, 5.0, 13.795217510326771, 2.87892617594906, -10.484539809493664},    // high latitude
        {-0.25, -10.0, 4.0, -1.0, -0.59155372873081886, -0.14403542397327066, 2.4805519042164966},
        {0.2, 2.5, 0.5, 2.0, 6.2058941624686175, 5.9263803337431881, -18.235760490419017},
        {-0.3, 1.2, 3.0, -1.5, 5.4464871971664017, -1.7404407652093672, -2.1355650367668157},
        {0.0, 0.0, 0.0, 5.0, 16.123659290889552, 0.0, -1.5778173389183735},  // azimuth 0 by rule
        {0.0, 1.5, 0.5, 3.5, 24.771875390515751, 4.2482625118255635, -19.053510334244657},  // north layer
        {0.1, 1.3, 0.5, -3.8, -24.175768184613227, -4.8571856549945264, -16.27108299177969},  // south layer
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "tilt " << c.tilt << " at " << c.x << ", " << c.y << ", " << c.z);
        expect_field_near(t96_region1_field(standard_model(c.tilt), c.x, c.y, c.z), c.bx, c.by, c.bz, kRelative);
    }
}

// The blending layers join the high-latitude and plasma-sheet representations
// without a jump: on a fine path through both ovals the source field changes
// by no more than its smooth variation between neighbouring points (a
// reversed blend, or a boundary point taken on the wrong side, jumps by the
// difference of the two representations, several nT here).
TEST(T96Region1, SourceIsContinuousAcrossTheOvals) {
    for (double tilt : {0.0, 0.2}) {
        const T96Prepared model = standard_model(tilt);
        for (double sign : {1.0, -1.0}) {
            const double x = 1.4, y = 0.5;
            double largest_step = 0.0, largest_field = 0.0;
            T96Vector previous = t96_region1_source(model, x, y, sign * 2.5);
            for (int n = 1; n <= 20000; ++n) {
                const double z = sign * (2.5 + n * 1e-4);  // mapped colatitude 0.29 to 0.15 rad
                const T96Vector b = t96_region1_source(model, x, y, z);
                const double step = std::sqrt((b.x - previous.x) * (b.x - previous.x) +
                                              (b.y - previous.y) * (b.y - previous.y) +
                                              (b.z - previous.z) * (b.z - previous.z));
                largest_step = std::max(largest_step, step);
                largest_field = std::max(largest_field, t96_test::magnitude(b));
                previous = b;
            }
            EXPECT_LT(largest_step, 2e-3 * largest_field) << "tilt " << tilt << ", side " << sign;
        }
    }
}

// ---------------------------------------------------------------- region 2

TEST(T96Region2, MatchesReferenceValuesInEveryBand) {
    struct Case {
        double tilt, x, y, z;
        double bx, by, bz, xi;
    };
    const Case cases[] = {
        {0.3, -6.0, 2.0, 3.0, 0.36238540643325093, -0.12354450510516346, -0.08662352630303832, -0.012105503047794697},
        {0.0, 3.0, -1.0, 1.0, -0.0093003606513157898, 0.023834302616905645, 0.083789341895485467, 0.14121905360744222},
        {-0.25, -3.5, 2.0, -0.8, 0.18525264459611735, 0.0057690635304984095, -0.69532047476470593, 0.081265339713493883},
        {0.2, 1.0, 2.5, 2.0, 0.22143345957966652, -0.12671762282898818, -0.06095855828491875, 0.020596779567124839},
        {0.0, -4.0, 8.0, 0.5, 0.0014017789464281223, -0.020903763761002067, 0.10145570741567538, -0.030840599855839171},
        {0.2, -7.0, 7.0, 1.0, 0.0090301310612983063, 0.0084475709219198837, 0.076584101760137169, -0.038611623277088816},
        {0.0, -8.0, 3.0, -6.0, -0.058202470756796131, 0.025876301545320134, -0.020092261855308116, -0.12309474837492067},
        {0.3, -2.0, 1.0, 6.0, -0.010410789053046712, -0.033579443158448197, -0.19433533049154378, -0.13911474716135752},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "tilt " << c.tilt << " at " << c.x << ", " << c.y << ", " << c.z);
        expect_field_near(t96_region2_field(standard_model(c.tilt), c.x, c.y, c.z), c.bx, c.by, c.bz, kRelative);
        const double ct = std::cos(c.tilt), st = std::sin(c.tilt);
        EXPECT_NEAR(t96_region2_stretched_coordinate(c.x * ct - c.z * st, c.y, c.z * ct + c.x * st), c.xi, 1e-13);
    }
}

// Each band edge belongs to the band above it: at -0.045 the outer
// representation still has the full weight (the step is 0 there), -0.015 is
// pure sheet, at 0.015 the inner weight starts from 0, 0.045 is pure inner.
TEST(T96Region2, BandEdgesBelongToTheBandAbove) {
    const double full = double(-0.02f);
    // The representations each band takes: outer, sheet, inner.
    struct Band {
        bool outer, sheet, inner;
    };
    const Band outer{true, false, false}, outer_and_sheet{true, true, false}, sheet{false, true, false},
        inner_and_sheet{false, true, true}, inner{false, false, true};
    struct Case {
        double xi;
        Band band;
        double outer, sheet, inner;
    };
    const Case cases[] = {
        {-1.0, outer, full, 0.0, 0.0},
        {std::nextafter(-0.045, -1.0), outer, full, 0.0, 0.0},
        {-0.045, outer_and_sheet, full, 0.0, 0.0},
        {-0.03, outer_and_sheet, 0.5 * full, 0.5 * full, 0.0},
        {std::nextafter(-0.015, -1.0), outer_and_sheet, 0.0, full, 0.0},
        {-0.015, sheet, 0.0, full, 0.0},
        {0.0, sheet, 0.0, full, 0.0},
        {0.015, inner_and_sheet, 0.0, full, 0.0},
        {0.03, inner_and_sheet, 0.0, 0.5 * full, 0.5 * full},
        {std::nextafter(0.045, 0.0), inner_and_sheet, 0.0, 0.0, full},
        {0.045, inner, 0.0, 0.0, full},
        {0.5, inner, 0.0, 0.0, full},
    };
    for (const auto& c : cases) {
        const T96Region2Weights w = t96_region2_weights(c.xi);
        SCOPED_TRACE(testing::Message() << "xi = " << c.xi);
        EXPECT_EQ(w.takes_outer, c.band.outer);
        EXPECT_EQ(w.takes_sheet, c.band.sheet);
        EXPECT_EQ(w.takes_inner, c.band.inner);
        EXPECT_NEAR(w.outer, c.outer, 1e-15);
        EXPECT_NEAR(w.sheet, c.sheet, 1e-15);
        EXPECT_NEAR(w.inner, c.inner, 1e-15);
        EXPECT_NEAR(w.outer + w.sheet + w.inner, full, 1e-17);
    }
}


// The step rises from 0 to 1 across [xi0 - w, xi0 + w) with the value
// 1.5 u / (2 w^3 + u), u = (xi - xi0 + w)^3, below xi0 and
// 1 + 1.5 u / (2 w^3 - u), u = (xi - xi0 - w)^3, above.
TEST(T96Region2, TransitionStep) {
    const double w = 0.015;
    for (double xi0 : {-0.03, 0.03}) {
        EXPECT_EQ(t96_region2_transition(xi0 - 2.0 * w, xi0, w), 0.0);
        EXPECT_EQ(t96_region2_transition(xi0 + w, xi0, w), 1.0);
        EXPECT_EQ(t96_region2_transition(xi0 + 0.1, xi0, w), 1.0);
        EXPECT_NEAR(t96_region2_transition(xi0, xi0, w), 0.5, 1e-15);
        // Half way into each half: u = +-(w/2)^3 gives 3/34 and 1 - 3/34.
        EXPECT_NEAR(t96_region2_transition(xi0 - 0.5 * w, xi0, w), 3.0 / 34.0, 1e-14);
        EXPECT_NEAR(t96_region2_transition(xi0 + 0.5 * w, xi0, w), 31.0 / 34.0, 1e-14);
        double last = -1.0;
        for (int n = 0; n <= 100; ++n) {
            const double t = t96_region2_transition(xi0 - w + n * (2.0 * w / 100.0), xi0, w);
            EXPECT_GE(t, last);
            last = t;
        }
    }
}

// Inside r0 = 1.21563 Re the position is not stretched; near the z axis of
// the stretched position (f^2 + g^2 < 1e-5) xi is -1 (outer representation).
TEST(T96Region2, StretchedCoordinateEdgeCases) {
    EXPECT_EQ(t96_region2_stretched_coordinate(0.0, 0.0, 1.0), -1.0);
    EXPECT_EQ(t96_region2_stretched_coordinate(2e-3, -2e-3, -1.1), -1.0);
    EXPECT_NE(t96_region2_stretched_coordinate(3e-3, -2e-3, -1.1), -1.0);
    const double x = 0.6, y = 0.5, z = 0.4;  // r = 0.877 Re
    const double q = x * x + y * y;
    const double alpha = q / std::pow(x * x + y * y + z * z, 1.5);
    const double theta = double(0.3665191f) + double(0.09599309f) / 2.0 * (1.0 - x / std::sqrt(q));
    EXPECT_NEAR(t96_region2_stretched_coordinate(x, y, z), alpha - std::sin(theta) * std::sin(theta), 1e-14);
}

// ---------------------------------------------------------------- lanes

// Each lane of a pack takes its own point's branch of a component: two points
// on either side of an edge, in one two-lane pack in both orders, give each
// lane the bits of its point evaluated alone. (The total field at every lane
// width is checked along paths across these edges in
// tests/tracing/lane_kernels_test.cpp; the edges here are those the paths
// cannot reach, and each component's own.)
using TwoLanes = Pack<2, Sse2>;

std::uint64_t bits(double value) { return std::bit_cast<std::uint64_t>(value); }

// f(x, y, z) returns a T96VectorOf of its number type.
template <class F>
void expect_each_lane_is_its_point(const F& f, const T96Vector& a, const T96Vector& b) {
    for (const auto& [first, second] : {std::pair{a, b}, std::pair{b, a}}) {
        const auto lanes = [&](double T96Vector::*c) {
            TwoLanes p;
            p.set(0, first.*c);
            p.set(1, second.*c);
            return p;
        };
        const T96VectorOf<TwoLanes> v = f(lanes(&T96Vector::x), lanes(&T96Vector::y), lanes(&T96Vector::z));
        int lane = 0;
        for (const T96Vector& point : {first, second}) {
            const T96Vector alone = f(point.x, point.y, point.z);
            EXPECT_TRUE(bits(v.x[lane]) == bits(alone.x) && bits(v.y[lane]) == bits(alone.y) &&
                        bits(v.z[lane]) == bits(alone.z))
                << "lane " << lane << " at (" << point.x << ", " << point.y << ", " << point.z << "): (" << v.x[lane]
                << ", " << v.y[lane] << ", " << v.z[lane] << ") against (" << alone.x << ", " << alone.y << ", "
                << alone.z << ")";
            ++lane;
        }
    }
}

TEST(T96Lanes, EachLaneTakesItsOwnBranchOfEveryComponent) {
    const auto below = [](double edge) { return std::nextafter(edge, -1e300); };
    const auto above = [](double edge) { return std::nextafter(edge, 1e300); };

    const T96Prepared model = standard_model(0.3);
    {
        SCOPED_TRACE("Bessel functions: power series below 3, asymptotic forms from 3");
        expect_each_lane_is_its_point(
            []<class Real>(Real u, Real, Real) {
                Real j0, j1;
                t96_bessel_j0_j1(u, j0, j1);
                return T96VectorOf<Real>{j0, j1, Real(0.0)};
            },
            {below(3.0), 0.0, 0.0}, {3.0, 0.0, 0.0});
    }
    {
        SCOPED_TRACE("circular loop: near-axis form up to 1e-6 from the axis");
        for (const double z : {0.3, -2.0}) {
            expect_each_lane_is_its_point(
                []<class Real>(Real x, Real y, Real z) { return t96_circular_loop_field(x, y, z, 2.0); },
                {1e-6, 0.0, z}, {above(1e-6), 0.0, z});
        }
    }
    {
        SCOPED_TRACE("region-2 weights: each band edge");
        for (const double edge : {-0.045, -0.015, 0.015, 0.045}) {
            expect_each_lane_is_its_point(
                []<class Real>(Real xi, Real, Real) {
                    const T96Region2WeightsOf<Real> w = t96_region2_weights(xi);
                    const Real taken = select(w.takes_outer, Real(1.0), Real(0.0)) +
                                       select(w.takes_sheet, Real(2.0), Real(0.0)) +
                                       select(w.takes_inner, Real(4.0), Real(0.0));
                    return T96VectorOf<Real>{w.outer + taken, w.sheet, w.inner};
                },
                {below(edge), 0.0, 0.0}, {edge, 0.0, 0.0});
        }
    }
    {
        SCOPED_TRACE("region-2 stretched coordinate: its axis and the stretching radius");
        const auto stretched = []<class Real>(Real x, Real y, Real z) {
            return T96VectorOf<Real>{t96_region2_stretched_coordinate(x, y, z), Real(0.0), Real(0.0)};
        };
        expect_each_lane_is_its_point(stretched, {2e-3, -2e-3, -1.1}, {3e-3, -2e-3, -1.1});
        const double r0 = double(1.21563f);
        expect_each_lane_is_its_point(stretched, {0.0, 0.0, below(r0)}, {0.0, 0.0, r0});
    }
    {
        SCOPED_TRACE("dipole shielding: the axes of its two sums (1e-8 and 1e-10)");
        for (const double edge : {1e-8, 1e-10}) {
            expect_each_lane_is_its_point(
                [&]<class Real>(Real x, Real y, Real z) { return t96_dipole_shielding_field(model, x, y, z); },
                {4.0, below(edge), 0.0}, {4.0, edge, 0.0});
        }
    }
}

// ---------------------------------------------------------------- interconnection

TEST(T96Interconnection, MatchesReferenceValues) {
    struct Case {
        double x, y, z, bx, by, bz;
    };
    const Case cases[] = {
        {-8.0, 2.0, 1.0, 0.01801678459699314, -0.0029183927443912923, 0.36497596494043777},
        {5.0, -10.0, 20.0, 0.50196304512683502, 1.1131181389593766, 0.5798785040556424},
        {-30.0, 4.0, -6.0, -0.034692750007627966, 0.0080308029349617463, 0.1295565387803975},
    };
    const T96Prepared model = standard_model(0.2);  // the field does not depend on the tilt
    for (const auto& c : cases) {
        expect_field_near(t96_interconnection_field(model, c.x, c.y, c.z), c.bx, c.by, c.bz, kRelative);
    }
}

}  // namespace
}  // namespace cones
