#pragma once
// A complex number as two values, real part then imaginary part.
namespace quarn {

template <typename T>
struct complex_t {
    constexpr complex_t() = default;
    constexpr complex_t(T real, T imag) : re(real), im(imag) {}

    constexpr complex_t operator+(const complex_t &o) const { return {re + o.re, im + o.im}; }
    constexpr complex_t operator-(const complex_t &o) const { return {re - o.re, im - o.im}; }
    constexpr complex_t operator*(const complex_t &o) const { return {re * o.re - im * o.im, re * o.im + im * o.re}; }
    constexpr complex_t operator*(T s) const { return {re * s, im * s}; }
    constexpr bool operator==(const complex_t &o) const = default;

    T re = T(0);
    T im = T(0);
};

}  // namespace quarn
