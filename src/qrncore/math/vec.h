#pragma once
// Small fixed vectors of 2, 3 or 4 components, named x, y, z, w in memory order.
// They are plain values (no padding, trivially copyable) so arrays of them can be
// handed to the strided matrix routines and stored field by field in files.
#include <cmath>

namespace quarn {

// Lengths and squared lengths below EPSILON count as zero throughout the math code.
template <class T>
struct vec_traits_t;
template <>
struct vec_traits_t<float> {
    static constexpr float EPSILON = 0.00001f;
};
template <>
struct vec_traits_t<double> {
    static constexpr double EPSILON = 0.00001;
};

template <class T, int N>
struct vec_t;

template <class T>
struct vec_t<T, 2> {
    static constexpr int SIZE = 2;
    constexpr T &operator[](int i) { return this->*members[i]; }
    constexpr const T &operator[](int i) const { return this->*members[i]; }

    T x{}, y{};

private:
    static constexpr T vec_t::*members[2] = {&vec_t::x, &vec_t::y};
};

template <class T>
struct vec_t<T, 3> {
    static constexpr int SIZE = 3;
    constexpr T &operator[](int i) { return this->*members[i]; }
    constexpr const T &operator[](int i) const { return this->*members[i]; }

    T x{}, y{}, z{};

private:
    static constexpr T vec_t::*members[3] = {&vec_t::x, &vec_t::y, &vec_t::z};
};

template <class T>
struct vec_t<T, 4> {
    static constexpr int SIZE = 4;
    constexpr T &operator[](int i) { return this->*members[i]; }
    constexpr const T &operator[](int i) const { return this->*members[i]; }

    T x{}, y{}, z{}, w{};

private:
    static constexpr T vec_t::*members[4] = {&vec_t::x, &vec_t::y, &vec_t::z, &vec_t::w};
};

using vec2_t = vec_t<float, 2>;
using vec3_t = vec_t<float, 3>;
using vec4_t = vec_t<float, 4>;

static_assert(sizeof(vec3_t) == 12 && sizeof(vec4_t) == 16, "vectors are packed floats");

namespace detail {
// Applies f component by component; spelled out so the compiler sees plain code.
template <class T, int N, class F>
constexpr vec_t<T, N> vec_zip(const vec_t<T, N> &a, const vec_t<T, N> &b, F f) {
    if constexpr (N == 2) return {f(a.x, b.x), f(a.y, b.y)};
    else if constexpr (N == 3) return {f(a.x, b.x), f(a.y, b.y), f(a.z, b.z)};
    else return {f(a.x, b.x), f(a.y, b.y), f(a.z, b.z), f(a.w, b.w)};
}
template <class T, int N, class F>
constexpr vec_t<T, N> vec_map(const vec_t<T, N> &a, F f) {
    if constexpr (N == 2) return {f(a.x), f(a.y)};
    else if constexpr (N == 3) return {f(a.x), f(a.y), f(a.z)};
    else return {f(a.x), f(a.y), f(a.z), f(a.w)};
}
}  // namespace detail

template <class T, int N>
constexpr vec_t<T, N> operator+(const vec_t<T, N> &a, const vec_t<T, N> &b) {
    return detail::vec_zip(a, b, [](T p, T q) { return p + q; });
}
template <class T, int N>
constexpr vec_t<T, N> operator-(const vec_t<T, N> &a, const vec_t<T, N> &b) {
    return detail::vec_zip(a, b, [](T p, T q) { return p - q; });
}
template <class T, int N>
constexpr vec_t<T, N> operator-(const vec_t<T, N> &a) {
    return detail::vec_map(a, [](T p) { return -p; });
}
template <class T, int N>
constexpr vec_t<T, N> operator*(const vec_t<T, N> &a, T s) {
    return detail::vec_map(a, [s](T p) { return p * s; });
}
template <class T, int N>
constexpr vec_t<T, N> operator*(T s, const vec_t<T, N> &a) {
    return detail::vec_map(a, [s](T p) { return s * p; });
}
// Divides each component (no multiplication by a reciprocal, so results match a
// per-component division exactly).
template <class T, int N>
constexpr vec_t<T, N> operator/(const vec_t<T, N> &a, T s) {
    return detail::vec_map(a, [s](T p) { return p / s; });
}
template <class T, int N>
constexpr vec_t<T, N> &operator+=(vec_t<T, N> &a, const vec_t<T, N> &b) {
    return a = a + b;
}
template <class T, int N>
constexpr vec_t<T, N> &operator-=(vec_t<T, N> &a, const vec_t<T, N> &b) {
    return a = a - b;
}
template <class T, int N>
constexpr vec_t<T, N> &operator*=(vec_t<T, N> &a, T s) {
    return a = a * s;
}
template <class T, int N>
constexpr vec_t<T, N> &operator/=(vec_t<T, N> &a, T s) {
    return a = a / s;
}
template <class T, int N>
constexpr bool operator==(const vec_t<T, N> &a, const vec_t<T, N> &b) {
    for (int i = 0; i < N; ++i)
        if (!(a[i] == b[i])) return false;
    return true;
}

// Component-wise product and quotient (non-uniform scales).
template <class T, int N>
constexpr vec_t<T, N> mul(const vec_t<T, N> &a, const vec_t<T, N> &b) {
    return detail::vec_zip(a, b, [](T p, T q) { return p * q; });
}
template <class T, int N>
constexpr vec_t<T, N> div(const vec_t<T, N> &a, const vec_t<T, N> &b) {
    return detail::vec_zip(a, b, [](T p, T q) { return p / q; });
}

template <class T, int N>
constexpr T dot(const vec_t<T, N> &a, const vec_t<T, N> &b) {
    if constexpr (N == 2) return a.x * b.x + a.y * b.y;
    else if constexpr (N == 3) return a.x * b.x + a.y * b.y + a.z * b.z;
    else return a.x * b.x + a.y * b.y + a.z * b.z + a.w * b.w;
}

template <class T>
constexpr vec_t<T, 3> cross(const vec_t<T, 3> &a, const vec_t<T, 3> &b) {
    return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}

template <class T, int N>
constexpr T length_squared(const vec_t<T, N> &a) {
    return dot(a, a);
}
template <class T, int N>
T length(const vec_t<T, N> &a) {
    return std::sqrt(dot(a, a));
}

// Scales v to unit length and returns its former length. A vector shorter than
// EPSILON is left unchanged (its length is still returned).
template <class T, int N>
T normalize(vec_t<T, N> &v) {
    const T len = length(v);
    if (len >= vec_traits_t<T>::EPSILON) v = v / len;
    return len;
}
// The unit vector of v; v itself when it is shorter than EPSILON.
template <class T, int N>
vec_t<T, N> normalized(vec_t<T, N> v) {
    normalize(v);
    return v;
}

// (1 - t)·a + t·b: exact at both ends.
template <class T, int N>
constexpr vec_t<T, N> lerp(const vec_t<T, N> &a, const vec_t<T, N> &b, T t) {
    return a * (T(1) - t) + b * t;
}

// Component-wise minimum and maximum: a component takes b's value only when b's is
// strictly smaller (larger), so a NaN in b never replaces a's value.
template <class T, int N>
constexpr vec_t<T, N> v_min(const vec_t<T, N> &a, const vec_t<T, N> &b) {
    return detail::vec_zip(a, b, [](T p, T q) { return q < p ? q : p; });
}
template <class T, int N>
constexpr vec_t<T, N> v_max(const vec_t<T, N> &a, const vec_t<T, N> &b) {
    return detail::vec_zip(a, b, [](T p, T q) { return q > p ? q : p; });
}

// Inclusive range test lo <= x <= hi on every component.
template <class T, int N>
constexpr bool in_range(const vec_t<T, N> &x, const vec_t<T, N> &lo, const vec_t<T, N> &hi) {
    for (int i = 0; i < N; ++i)
        if (!(lo[i] <= x[i] && x[i] <= hi[i])) return false;
    return true;
}
template <class T>
constexpr bool in_range(T x, T lo, T hi) {
    return lo <= x && x <= hi;
}

// Finds s, t with s·u + t·v = w by Cramer's rule. Returns false (s and t untouched)
// when u.x·v.y - u.y·v.x is exactly 0.
template <class T>
constexpr bool solve_2d(const vec_t<T, 2> &u, const vec_t<T, 2> &v, const vec_t<T, 2> &w, T *s, T *t) {
    const T det = u.x * v.y - u.y * v.x;
    if (det == T(0)) return false;
    *s = (w.x * v.y - w.y * v.x) / det;
    *t = (u.x * w.y - u.y * w.x) / det;
    return true;
}

}  // namespace quarn
