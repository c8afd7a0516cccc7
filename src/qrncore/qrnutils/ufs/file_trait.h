#pragma once
// quarn::file_trait_t<T>: the binary layouts of the math types. Every number is a
// 4-byte little-endian IEEE-754 float; fields follow each other in member order
// without padding. read(T *, file) and write(const T &, file) move the whole record
// in one transfer, so a failed read leaves the target untouched and the position
// where it was.
#include <cstdint>

#include "qrncore/api.h"
#include "qrncore/geometry/aabox.h"
#include "qrncore/geometry/placement.h"
#include "qrncore/geometry/plane.h"
#include "qrncore/geometry/sphere.h"
#include "qrncore/math/mat_sq.h"
#include "qrncore/math/quat.h"
#include "qrncore/math/vec.h"
#include "qrncore/qrnutils/ufs/file.h"

namespace quarn {

// The most floats one record holds (a 4x4 matrix).
inline constexpr uint32_t FILE_TRAIT_MAX_FLOATS = 16;

// count floats (at most FILE_TRAIT_MAX_FLOATS) at the position, little-endian.
QRNCORE_API bool file_write_floats(file_t &file, const float *values, uint32_t count);
QRNCORE_API bool file_read_floats(file_t &file, float *values, uint32_t count);
// One float; 0 when the read fails.
QRNCORE_API float file_read_float(file_t &file);

template <class T>
struct file_trait_t;

template <int N>
struct file_trait_t<vec_t<float, N>> {
    static bool write(const vec_t<float, N> &v, file_t &file) {
        float f[N];
        for (int i = 0; i < N; ++i) f[i] = v[i];
        return file_write_floats(file, f, N);
    }
    static bool read(vec_t<float, N> *v, file_t &file) {
        float f[N];
        if (!file_read_floats(file, f, N)) return false;
        for (int i = 0; i < N; ++i) (*v)[i] = f[i];
        return true;
    }
};

template <int N>
struct file_trait_t<mat_sq_t<float, N>> {
    static bool write(const mat_sq_t<float, N> &m, file_t &file) { return file_write_floats(file, m.m, N * N); }
    static bool read(mat_sq_t<float, N> *m, file_t &file) {
        float f[N * N];
        if (!file_read_floats(file, f, N * N)) return false;
        for (int i = 0; i < N * N; ++i) m->m[i] = f[i];
        return true;
    }
};

template <>
struct file_trait_t<quat_t> {
    static bool write(const quat_t &q, file_t &file) {
        const float f[4] = {q.w, q.x, q.y, q.z};
        return file_write_floats(file, f, 4);
    }
    static bool read(quat_t *q, file_t &file) {
        float f[4];
        if (!file_read_floats(file, f, 4)) return false;
        *q = quat_t(f[0], f[1], f[2], f[3]);
        return true;
    }
};

template <>
struct file_trait_t<placement_t> {
    static bool write(const placement_t &p, file_t &file) {
        const float f[7] = {p.position.x, p.position.y, p.position.z, p.rotation.w,
                            p.rotation.x, p.rotation.y, p.rotation.z};
        return file_write_floats(file, f, 7);
    }
    static bool read(placement_t *p, file_t &file) {
        float f[7];
        if (!file_read_floats(file, f, 7)) return false;
        *p = placement_t({f[0], f[1], f[2]}, quat_t(f[3], f[4], f[5], f[6]));
        return true;
    }
};

template <>
struct file_trait_t<placement_scale_t> {
    static bool write(const placement_scale_t &p, file_t &file) {
        const float f[8] = {p.position.x, p.position.y, p.position.z, p.scale,
                            p.rotation.w, p.rotation.x, p.rotation.y, p.rotation.z};
        return file_write_floats(file, f, 8);
    }
    static bool read(placement_scale_t *p, file_t &file) {
        float f[8];
        if (!file_read_floats(file, f, 8)) return false;
        *p = placement_scale_t({f[0], f[1], f[2]}, f[3], quat_t(f[4], f[5], f[6], f[7]));
        return true;
    }
};

template <>
struct file_trait_t<placement_nonuniform_t> {
    static bool write(const placement_nonuniform_t &p, file_t &file) {
        const float f[10] = {p.position.x, p.position.y, p.position.z, p.scale.x,    p.scale.y,
                             p.scale.z,    p.rotation.w, p.rotation.x, p.rotation.y, p.rotation.z};
        return file_write_floats(file, f, 10);
    }
    static bool read(placement_nonuniform_t *p, file_t &file) {
        float f[10];
        if (!file_read_floats(file, f, 10)) return false;
        *p = placement_nonuniform_t({f[0], f[1], f[2]}, {f[3], f[4], f[5]}, quat_t(f[6], f[7], f[8], f[9]));
        return true;
    }
};

template <>
struct file_trait_t<sphere_t> {
    static bool write(const sphere_t &s, file_t &file) {
        const float f[4] = {s.center.x, s.center.y, s.center.z, s.radius};
        return file_write_floats(file, f, 4);
    }
    static bool read(sphere_t *s, file_t &file) {
        float f[4];
        if (!file_read_floats(file, f, 4)) return false;
        *s = sphere_t({f[0], f[1], f[2]}, f[3]);
        return true;
    }
};

// Normal, then distance. Reading normalises the plane (left as read when the normal
// is too short to divide by).
template <>
struct file_trait_t<plane_t> {
    static bool write(const plane_t &p, file_t &file) {
        const float f[4] = {p.a, p.b, p.c, p.d};
        return file_write_floats(file, f, 4);
    }
    static bool read(plane_t *p, file_t &file) {
        float f[4];
        if (!file_read_floats(file, f, 4)) return false;
        plane_t read(f[0], f[1], f[2], f[3]);
        read.renormalize();
        *p = read;
        return true;
    }
};

template <>
struct file_trait_t<aabox_t> {
    static bool write(const aabox_t &b, file_t &file) {
        const float f[6] = {b.min.x, b.min.y, b.min.z, b.max.x, b.max.y, b.max.z};
        return file_write_floats(file, f, 6);
    }
    static bool read(aabox_t *b, file_t &file) {
        float f[6];
        if (!file_read_floats(file, f, 6)) return false;
        *b = aabox_t({f[0], f[1], f[2]}, {f[3], f[4], f[5]});
        return true;
    }
};

}  // namespace quarn
