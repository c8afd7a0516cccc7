// Skinning 100 instances of a 5000-vertex, 30-bone model: the model library's runs of
// one skin group beside a plain blend of every vertex's bones, and the evaluation of
// the bone matrices of one instance.
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "bench_support.h"
#include "game/visuals/models/model_anim.h"
#include "game/visuals/models/model_desc.h"
#include "game/visuals/models/model_inst.h"
#include "game/visuals/models/model_lib.h"
#include "kernel/gfx/gfx.h"
#include "kernel/memory/m_server.h"
#include "kernel/process_table.h"
#include "outside/qrnshared/qrnshared.h"
#include "qrncore/math/matrix.h"
#include "qrncore/qrnutils/ufs/fs.h"
#include "qrncore/system/dl_lib.h"
#include "zm_shapes.h"
#include "zm_writer.h"

namespace {

using namespace quarn;

constexpr uint32_t INSTANCES = 100;
constexpr uint32_t BONES = 30;
constexpr uint32_t RINGS = 100;
constexpr uint32_t SEGMENTS = 50;  // RINGS x SEGMENTS = 5000 vertices

// A tube along -z over a chain of 30 bones; each vertex blends the two bones nearest
// it with weights in eighths, so that vertices sorted by skin group share a matrix in
// runs, as a modelling tool's output does.
zmgen::zm_model_t tube() {
    zmgen::zm_model_t m;
    const float step = 1.0f / float(BONES);
    for (uint32_t b = 0; b < BONES; ++b) {
        zmgen::zm_bone_t bone;
        char name[8];
        snprintf(name, sizeof name, "b%u", b);
        bone.name = name;
        bone.parent = b == 0 ? 255 : uint8_t(b - 1);
        bone.translation = {0, 0, b == 0 ? 0.0f : -step * 10.0f};
        m.geometry.bones.push_back(bone);
    }
    zmgen::zm_piece_t piece;
    piece.tangents = true;
    const float length = 10.0f;
    for (uint32_t r = 0; r < RINGS; ++r) {
        const float along = float(r) / float(RINGS - 1);
        const float at = along * float(BONES - 1);
        const uint32_t b = uint32_t(at) < BONES - 1 ? uint32_t(at) : BONES - 2;
        const uint8_t w = zmgen::zm_weight_byte(std::round((at - float(b)) * 8.0f) / 8.0f);
        for (uint32_t s = 0; s < SEGMENTS; ++s) {
            const float a = 6.2831853f * float(s) / float(SEGMENTS);
            zmgen::zm_vertex_t v;
            v.position = {std::cos(a), std::sin(a), -along * length};
            v.normal = {std::cos(a), std::sin(a), 0};
            v.uv = {float(s) / float(SEGMENTS), along};
            v.tangent = {-std::sin(a), std::cos(a), 0, 1};
            if (w == 0) v.influences = {{uint8_t(b), 255}};
            else if (w == 255) v.influences = {{uint8_t(b + 1), 255}};
            else v.influences = {{uint8_t(b), uint8_t(255 - w)}, {uint8_t(b + 1), w}};
            piece.vertices.push_back(v);
        }
    }
    for (uint32_t r = 0; r + 1 < RINGS; ++r) {
        for (uint32_t s = 0; s < SEGMENTS; ++s) {
            const uint16_t i0 = uint16_t(r * SEGMENTS + s), i1 = uint16_t(r * SEGMENTS + (s + 1) % SEGMENTS);
            const uint16_t i2 = uint16_t(i0 + SEGMENTS), i3 = uint16_t(i1 + SEGMENTS);
            piece.indices.insert(piece.indices.end(), {i0, i1, i2, i1, i3, i2});
        }
    }
    zmgen::zm_sort_by_skin_group(piece);
    m.geometry.pieces.push_back(piece);
    m.geometry.parts = {{"tube", 0, 1}};
    m.descriptor.material_count = 1;
    m.descriptor.looks = {{"default", {"tube.mat"}}};
    m.descriptor.variants = {"default"};
    m.descriptor.parts = {{}};
    return m;
}

// The kernel's memory manager, the shared layer, the graphics front-end and the tube
// written to a folder mounted at "/b"; 100 instances bent by a pose of every bone.
struct scene_t {
    scene_t() {
        process_table_setup();
        bench::start_once(mm_init);
        qrnshared_init(dl_lib_t::get_main_handle());
        qrnshared_startup();
        fs_startup();
        bench::start_once(gfx_start);
        char folder[] = "/tmp/fernwold_models_bench_XXXXXX";
        if (!mkdtemp(folder)) return;
        written = folder;
        zmgen::zm_write_model(tube(), folder, "tube");
        ufs_mount(FS_DEVICE_DIRECTORY, folder, "/b", false, 0);
        desc = model_desc_u_obtain("/b/tube.zmd");
        if (!desc) return;
        pose = model_anim_procedural_u::create();
        uint8_t map[BONES];
        for (uint32_t b = 0; b < BONES; ++b) map[b] = uint8_t(b);
        pose->set_tracks(BONES, map);
        for (uint32_t b = 0; b < BONES; ++b) {
            model_key_t key = pose->get_key(b);
            key.rotation.set_axis_angle({1, 0, 0}, 0.05f);
            key.translation = desc->get_geometry()->get_bones()[b].translation;
            pose->set_key(b, key);
        }
        for (uint32_t i = 0; i < INSTANCES; ++i) {
            insts.emplace_back(desc->create_inst(0, 0));
            if (!insts.back()) return;
            channel = insts.back()->play_animation(pose.get(), 0, 0x2, 0, 1.0f);
            insts.back()->update_bones();
        }
        // The plain blend's tables: every vertex's influences as floats and bytes.
        const model_geom_view_t &g = desc->get_geometry()->view();
        size = g.get_skin_group_size(0);
        const uint32_t n = g.get_vertex_count(0);
        for (uint32_t v = 0; v < n; ++v) {
            const uint32_t group = g.get_skin_groups(0)[v];
            for (uint32_t k = 0; k < size; ++k) {
                weights.push_back(float(g.get_skin_weights(0)[group * size + k]) / 255.0f);
                bones.push_back(g.get_skin_bones(0)[group * size + k]);
            }
        }
        positions.resize(n);
        normals.resize(n);
        tangents.resize(n);
        ready = true;
    }

    static inline std::string written;  // the folder, removed at exit
    model_desc_u *desc = nullptr;
    owner_ptr_t<model_anim_procedural_u> pose;
    std::vector<owner_ptr_t<model_inst_u>> insts;
    int32_t channel = -1;
    uint32_t size = 0;
    std::vector<float> weights;
    std::vector<uint8_t> bones;
    std::vector<vec3_t> positions, normals;
    std::vector<vec4_t> tangents;
    bool ready = false;
};

// Made once and never torn down: the kernel's statics may be gone at exit.
scene_t &scene() {
    static scene_t *s = [] {
        scene_t *made = new scene_t;
        std::atexit([] {
            if (!scene_t::written.empty()) std::filesystem::remove_all(scene_t::written);
        });
        return made;
    }();
    return *s;
}

void BM_model_skin_runs(benchmark::State &state) {
    scene_t &s = scene();
    if (!s.ready) {
        state.SkipWithError("no model");
        return;
    }
    for (auto _ : state) {
        for (owner_ptr_t<model_inst_u> &inst : s.insts) {
            inst->invalidate_skinning();
            inst->update_bones();
        }
        benchmark::DoNotOptimize(s.insts[0]->get_positions(0));
    }
    state.SetItemsProcessed(int64_t(state.iterations()) * INSTANCES * RINGS * SEGMENTS);
}
BENCHMARK(BM_model_skin_runs)->Unit(benchmark::kMillisecond);

// The same vertices, each blending its own bones (positions, normals, tangents).
void BM_model_skin_per_vertex(benchmark::State &state) {
    scene_t &s = scene();
    if (!s.ready) {
        state.SkipWithError("no model");
        return;
    }
    const model_geom_view_t &g = s.desc->get_geometry()->view();
    const uint32_t n = g.get_vertex_count(0);
    for (auto _ : state) {
        for (owner_ptr_t<model_inst_u> &inst : s.insts) {
            const mat4_t *matrices = inst->get_skin_matrices();
            mult_weighted_parray(s.positions.data(), g.get_positions(0), s.weights.data(), s.bones.data(), matrices,
                                 s.size, n);
            mult_weighted_narray(s.normals.data(), g.get_normals(0), s.weights.data(), s.bones.data(), matrices,
                                 s.size, n);
            mult_weighted_tarray(s.tangents.data(), g.get_tangents(0), s.weights.data(), s.bones.data(), matrices,
                                 s.size, n);
        }
        benchmark::DoNotOptimize(s.positions.data());
    }
    state.SetItemsProcessed(int64_t(state.iterations()) * INSTANCES * n);
}
BENCHMARK(BM_model_skin_per_vertex)->Unit(benchmark::kMillisecond);

// One instance's 30 bone matrices from the blended pose.
void BM_model_bone_matrices(benchmark::State &state) {
    scene_t &s = scene();
    if (!s.ready) {
        state.SkipWithError("no model");
        return;
    }
    model_inst_u *inst = s.insts[0].get();
    for (auto _ : state) {
        inst->set_channel_weight(uint32_t(s.channel), 1.0f);
        benchmark::DoNotOptimize(inst->get_skin_matrices());
    }
    state.SetItemsProcessed(int64_t(state.iterations()));
}
BENCHMARK(BM_model_bone_matrices);

}  // namespace
