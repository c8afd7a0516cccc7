#pragma once
// Square float matrices stored row by row: element (r, c) at index N·r + c. The 4×4
// form acts on column vectors (p' = M·p) with the translation in elements 3, 7 and
// 11 and the projective row in 12-15. The 2×2 and 3×3 forms are storage only.
namespace quarn {

template <class T, int N>
struct mat_sq_t {
    static constexpr int SIZE = N;
    static constexpr int COUNT = N * N;

    // The identity matrix (a default-constructed matrix is all zeros).
    static constexpr mat_sq_t identity() {
        mat_sq_t r;
        for (int i = 0; i < N; ++i) r.m[i * N + i] = T(1);
        return r;
    }

    constexpr T &operator[](int i) { return m[i]; }
    constexpr const T &operator[](int i) const { return m[i]; }
    constexpr T &at(int row, int col) { return m[row * N + col]; }
    constexpr const T &at(int row, int col) const { return m[row * N + col]; }

    T m[N * N]{};
};

template <class T, int N>
constexpr bool operator==(const mat_sq_t<T, N> &a, const mat_sq_t<T, N> &b) {
    for (int i = 0; i < N * N; ++i)
        if (!(a.m[i] == b.m[i])) return false;
    return true;
}

using mat2_t = mat_sq_t<float, 2>;
using mat3_t = mat_sq_t<float, 3>;
using mat4_t = mat_sq_t<float, 4>;

static_assert(sizeof(mat4_t) == 64 && sizeof(mat3_t) == 36 && sizeof(mat2_t) == 16,
              "matrices are packed floats");

}  // namespace quarn
