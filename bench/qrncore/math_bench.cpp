// Vertex transforms and rotations: the work the renderer and the animation code do
// per frame. Rates are in vertices (items) per second; each group has its peer.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <vector>

#include "qrncore/math/matrix.h"
#include "qrncore/math/matrix_table.h"
#include "qrncore/math/quat.h"

namespace {

using namespace quarn;

constexpr unsigned STRIDE = sizeof(vec3_t);

std::vector<vec3_t> make_points(size_t n) {
    std::vector<vec3_t> p(n);
    for (size_t i = 0; i < n; ++i) p[i] = {float(i % 97) * 0.1f, float(i % 31) - 15.0f, float(i % 13) * 2.0f};
    return p;
}

mat4_t sample_matrix() {
    mat4_t m;
    fptr_matrix_set_rotate(&m, {30, 20, 10});
    matrix_translate_right(&m, {1, 2, 3});
    return m;
}

// Affine points × matrix through the table, against the projective form (its peer).
void bm_points_matrix_fast(benchmark::State &state) {
    const size_t n = size_t(state.range(0));
    const auto src = make_points(n);
    std::vector<vec3_t> dst(n);
    const mat4_t m = sample_matrix();
    for (auto _ : state) {
        fptr_mult_point_matrix_fast(dst.data(), src.data(), m, unsigned(n), STRIDE, STRIDE);
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(int64_t(state.iterations()) * int64_t(n));
}

void bm_points_matrix_projective(benchmark::State &state) {
    const size_t n = size_t(state.range(0));
    const auto src = make_points(n);
    std::vector<vec3_t> dst(n);
    mat4_t m = sample_matrix();
    m.m[14] = 0.001f;  // a real divide per point
    for (auto _ : state) {
        fptr_mult_point_matrix(dst.data(), src.data(), m, unsigned(n), STRIDE, STRIDE);
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(int64_t(state.iterations()) * int64_t(n));
}

// Weighted skinning with up to four bones per vertex (three used, the fourth weight
// 0 ends the list), against the plain transform above as its peer.
void bm_skinning_parray(benchmark::State &state) {
    const size_t n = size_t(state.range(0));
    constexpr unsigned PER_VERTEX = 4, BONES = 32;
    const auto src = make_points(n);
    std::vector<vec3_t> dst(n);
    std::vector<float> weights(n * PER_VERTEX);
    std::vector<uint8_t> indices(n * PER_VERTEX);
    for (size_t i = 0; i < n; ++i) {
        const float w[PER_VERTEX] = {0.5f, 0.3f, 0.2f, 0.0f};
        for (unsigned k = 0; k < PER_VERTEX; ++k) {
            weights[i * PER_VERTEX + k] = w[k];
            indices[i * PER_VERTEX + k] = uint8_t((i + k * 7) % BONES);
        }
    }
    std::vector<mat4_t> bones(BONES);
    for (unsigned b = 0; b < BONES; ++b) {
        fptr_matrix_set_rotate(&bones[b], {float(b) * 11, float(b) * 3, 0});
        matrix_translate_right(&bones[b], {float(b), 0, 0});
    }
    for (auto _ : state) {
        mult_weighted_parray(dst.data(), src.data(), weights.data(), indices.data(), bones.data(), PER_VERTEX,
                             unsigned(n));
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(int64_t(state.iterations()) * int64_t(n));
}

// Quaternion rotation by the closed form, against building the matrix per vector.
void bm_quat_rotate(benchmark::State &state) {
    const size_t n = 1024;
    const auto src = make_points(n);
    std::vector<vec3_t> dst(n);
    quat_t q;
    q.set(ypr_t{30, 20, 10});
    for (auto _ : state) {
        for (size_t i = 0; i < n; ++i) dst[i] = q.rotate(src[i]);
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(int64_t(state.iterations()) * int64_t(n));
}

void bm_quat_rotate_via_matrix(benchmark::State &state) {
    const size_t n = 1024;
    const auto src = make_points(n);
    std::vector<vec3_t> dst(n);
    quat_t q;
    q.set(ypr_t{30, 20, 10});
    for (auto _ : state) {
        for (size_t i = 0; i < n; ++i) {
            mat4_t m;
            q.get_matrix(&m);
            fptr_mult_normal_matrix_fast(&dst[i], &src[i], m, 1, STRIDE, STRIDE);
        }
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(int64_t(state.iterations()) * int64_t(n));
}

}  // namespace

BENCHMARK(bm_points_matrix_fast)->Arg(256)->Arg(16384);
BENCHMARK(bm_points_matrix_projective)->Arg(256)->Arg(16384);
BENCHMARK(bm_skinning_parray)->Arg(256)->Arg(16384);
BENCHMARK(bm_quat_rotate);
BENCHMARK(bm_quat_rotate_via_matrix);
