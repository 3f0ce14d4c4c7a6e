// Packs of doubles, one value per vector lane, so that a field routine written
// once over its number type evaluates one point (double) or W points at once
// (Pack<W, Isa>) with exactly the same arithmetic in every lane.
//
// Why the lanes agree with the scalar code to the last bit: +, -, *, / and the
// square root are correctly rounded in IEEE arithmetic at every vector width,
// the build never contracts a product and a sum into a fused multiply-add,
// the transcendental functions (exp, pow, sin, atan2, ...) come from the math
// layer (numerics/math.hpp), which gives every lane the bits of one value, and
// a branch of the scalar code is a choice lane by lane (select) between values
// that each lane computes as the scalar code would.
#pragma once

#include <cstring>
#include <utility>

namespace cones {

// Instruction sets a pack is compiled for. A pack carries its instruction set
// in its type, so every routine instantiated for it has a name of its own and
// the linker never takes a copy compiled for one processor in place of another.
struct Sse2 {
    static constexpr const char* kName = "SSE2";
};
struct Avx2 {
    static constexpr const char* kName = "AVX2";
};
struct Avx512 {
    static constexpr const char* kName = "AVX-512";
};

template <int W, class Isa>
struct PackMask;

// The vector types of W doubles and of W 64-bit lane masks.
template <int W>
struct LaneVectors;
template <>
struct LaneVectors<2> {
    typedef double Values __attribute__((vector_size(16)));
    typedef long Masks __attribute__((vector_size(16)));
};
template <>
struct LaneVectors<4> {
    typedef double Values __attribute__((vector_size(32)));
    typedef long Masks __attribute__((vector_size(32)));
};
template <>
struct LaneVectors<8> {
    typedef double Values __attribute__((vector_size(64)));
    typedef long Masks __attribute__((vector_size(64)));
};

// W doubles, one per lane.
//
// Given: doubles per lane, or one double for every lane (a conversion that
// copies the value's bits: the broadcast of -0.0 is -0.0).
// Returned: +, -, * and / lane by lane, each correctly rounded as in scalar
// arithmetic; unary minus flips the sign bit; comparisons give a PackMask.
// Notes: lanes that compute on a harmless stand-in point and are discarded
// later cost nothing but their arithmetic; no operation traps.
template <int W, class Isa>
struct Pack {
    static constexpr int kLanes = W;
    using Vector = typename LaneVectors<W>::Values;
    Vector v;

    Pack() = default;  // lanes undefined until assigned, as for a double
    Pack(double value) : v(broadcast(value)) {}  // every lane gets the value
    static Pack of(Vector vector) {
        Pack p;
        p.v = vector;
        return p;
    }
    // One value in every lane: a vector literal, one broadcast instruction.
    static Vector broadcast(double s) {
        if constexpr (W == 2) {
            return Vector{s, s};
        } else if constexpr (W == 4) {
            return Vector{s, s, s, s};
        } else {
            static_assert(W == 8, "packs of 2, 4 or 8 lanes");
            return Vector{s, s, s, s, s, s, s, s};
        }
    }

    // Lane i from points[i][k], for i < W: a vector built from W loads.
    static Pack gather(const double* const* points, int k) {
        const double* const* p = points;
        if constexpr (W == 2) {
            return of(Vector{p[0][k], p[1][k]});
        } else if constexpr (W == 4) {
            return of(Vector{p[0][k], p[1][k], p[2][k], p[3][k]});
        } else {
            return of(Vector{p[0][k], p[1][k], p[2][k], p[3][k], p[4][k], p[5][k], p[6][k], p[7][k]});
        }
    }

    double operator[](int lane) const { return v[lane]; }
    void set(int lane, double value) { v[lane] = value; }
    // All lanes from / to W consecutive doubles (one vector load or store).
    static Pack load(const double* values) {
        Pack p;
        std::memcpy(&p.v, values, sizeof p.v);
        return p;
    }
    void store(double* values) const { std::memcpy(values, &v, sizeof v); }

    friend Pack operator+(Pack a, Pack b) { return of(a.v + b.v); }
    friend Pack operator-(Pack a, Pack b) { return of(a.v - b.v); }
    friend Pack operator*(Pack a, Pack b) { return of(a.v * b.v); }
    friend Pack operator/(Pack a, Pack b) { return of(a.v / b.v); }
    friend Pack operator-(Pack a) { return of(-a.v); }
    Pack& operator+=(Pack b) { return *this = *this + b; }
    Pack& operator-=(Pack b) { return *this = *this - b; }
    Pack& operator*=(Pack b) { return *this = *this * b; }

    friend PackMask<W, Isa> operator<(Pack a, Pack b) { return PackMask<W, Isa>::of(a.v < b.v); }
    friend PackMask<W, Isa> operator<=(Pack a, Pack b) { return PackMask<W, Isa>::of(a.v <= b.v); }
    friend PackMask<W, Isa> operator>(Pack a, Pack b) { return PackMask<W, Isa>::of(a.v > b.v); }
    friend PackMask<W, Isa> operator>=(Pack a, Pack b) { return PackMask<W, Isa>::of(a.v >= b.v); }
    friend PackMask<W, Isa> operator==(Pack a, Pack b) { return PackMask<W, Isa>::of(a.v == b.v); }
    friend PackMask<W, Isa> operator!=(Pack a, Pack b) { return PackMask<W, Isa>::of(a.v != b.v); }

    // The magnitude of every lane: its sign bit cleared.
    friend Pack fabs(Pack a) {
        Pack r;
        for (int i = 0; i < W; ++i) r.v[i] = __builtin_fabs(a.v[i]);
        return r;
    }

    // Correctly rounded square root of every lane (one vector instruction).
    friend Pack sqrt(Pack a) {
        Pack r;
        for (int i = 0; i < W; ++i) r.v[i] = __builtin_sqrt(a.v[i]);
        return r;
    }
};

// The truth of a comparison in each lane: all bits set (true) or clear.
template <int W, class Isa>
struct PackMask {
    using Vector = typename LaneVectors<W>::Masks;
    Vector v;

    static PackMask of(Vector vector) {
        PackMask m;
        m.v = vector;
        return m;
    }
    bool operator[](int lane) const { return v[lane] != 0; }
    friend PackMask operator&(PackMask a, PackMask b) { return of(a.v & b.v); }
    friend PackMask operator|(PackMask a, PackMask b) { return of(a.v | b.v); }
    friend PackMask operator!(PackMask a) { return of(~a.v); }
};

// Choice lane by lane.
// Given: a condition (bool for double, a PackMask for a pack) and two values.
// Returned: a where the condition holds, b elsewhere.
// Notes: a blend of the bits, never arithmetic, so a term masked out of a sum
// leaves the sum's bits (-0.0 included; adding the term as 0.0 would not).
inline double select(bool condition, double a, double b) { return condition ? a : b; }
template <int W, class Isa>
Pack<W, Isa> select(PackMask<W, Isa> condition, Pack<W, Isa> a, Pack<W, Isa> b) {
    return Pack<W, Isa>::of(condition.v ? a.v : b.v);
}

// Number of lanes of a number type: 1 for double.
template <class Real>
inline constexpr int kLanesOf = Real::kLanes;
template <>
inline constexpr int kLanesOf<double> = 1;

// The truth type of a comparison of two values of a number type: bool for
// double, the PackMask of a pack.
template <class Real>
using MaskOf = decltype(std::declval<Real>() < std::declval<Real>());

// Given: a condition (bool, or a PackMask).
// Returned: whether it holds in any lane (the condition itself for a bool).
// Notes: a routine over its number type evaluates a branch of the scalar code
// when any lane takes it, and picks each lane's value with select; for one
// point that is the scalar code's branch alone.
inline bool any_lane(bool condition) { return condition; }
template <int W, class Isa>
bool any_lane(PackMask<W, Isa> condition) {
    bool any = false;
    for (int i = 0; i < W; ++i) any = any || condition.v[i] != 0;
    return any;
}

// Given: x. Returned: its largest lane (x itself for a double).
inline double largest_lane(double x) { return x; }
template <int W, class Isa>
double largest_lane(Pack<W, Isa> x) {
    double m = x.v[0];
    for (int i = 1; i < W; ++i) m = x.v[i] > m ? x.v[i] : m;
    return m;
}

}  // namespace cones
