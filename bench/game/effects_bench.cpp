// Visual effects: a projected decal cut out of a 50k-triangle heap by the tree walk,
// beside the same cut over a loop through every triangle; one update and draw of a
// particle generator holding 1000 particles.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "bench_support.h"
#include "game/visuals/effects/particle_gen.h"
#include "game/visuals/effects/particle_set.h"
#include "game/visuals/effects/projected_decal.h"
#include "game/visuals/models/model_desc.h"
#include "game/visuals/models/model_lib.h"
#include "game/visuals/shaders/shaderlib.h"
#include "kernel/gfx/gfx.h"
#include "kernel/memory/m_server.h"
#include "kernel/process_table.h"
#include "outside/qrnshared/qrnshared.h"
#include "outside/qrnshared/r_queue.h"
#include "qrncore/qrnutils/ufs/fs.h"
#include "qrncore/spatial/triangle_heap.h"
#include "qrncore/system/dl_lib.h"
#include "zm_shapes.h"
#include "zm_writer.h"

namespace {

using namespace quarn;

// A rolling grid of 160 x 160 cells, two triangles each: 51200 triangles.
constexpr int CELLS = 160;

struct terrain_t {
    terrain_t() {
        bench::start_once(gfx_start);
        for (int z = 0; z <= CELLS; ++z)
            for (int x = 0; x <= CELLS; ++x)
                vertices.push_back({float(x), 0.3f * float((x * 7 + z * 13) % 5), float(z)});
        for (int z = 0; z < CELLS; ++z)
            for (int x = 0; x < CELLS; ++x) {
                const uint16_t a = uint16_t(z * (CELLS + 1) + x), b = uint16_t(a + 1), c = uint16_t(a + CELLS + 1),
                               d = uint16_t(c + 1);
                for (uint16_t i : {a, c, b, b, c, d}) indices.push_back(i);
            }
        heap.append(uint32_t(vertices.size()), vertices.data(), uint32_t(indices.size()), indices.data(), 1,
                    sizeof(vec3_t), nullptr);
        heap.build_root_tree();
        decal_desc_t desc;
        desc.position = {80.5f, 1, 80.5f};
        desc.half_size = {2, 4, 2};
        builder.setup(desc, 0);
    }
    std::vector<vec3_t> vertices;
    std::vector<uint16_t> indices;
    triangle_heap_t heap;
    projected_decal_builder_t builder;
};

terrain_t &terrain() {
    static terrain_t *t = new terrain_t;
    return *t;
}

void BM_decal_tree_walk(benchmark::State &state) {
    terrain_t &t = terrain();
    decal_mesh_t mesh;
    for (auto _ : state) {
        mesh.clear();
        t.builder.build(mesh, t.heap);
        benchmark::DoNotOptimize(mesh.get_index_count());
    }
    state.counters["indices"] = double(mesh.get_index_count());
}
BENCHMARK(BM_decal_tree_walk);

void BM_decal_every_triangle(benchmark::State &state) {
    terrain_t &t = terrain();
    decal_mesh_t mesh;
    for (auto _ : state) {
        mesh.clear();
        for (size_t i = 0; i < t.indices.size(); i += 3) {
            const vec3_t corners[3] = {t.vertices[t.indices[i]], t.vertices[t.indices[i + 1]],
                                       t.vertices[t.indices[i + 2]]};
            t.builder.add_triangle(mesh, corners);
        }
        benchmark::DoNotOptimize(mesh.get_index_count());
    }
    state.counters["indices"] = double(mesh.get_index_count());
}
BENCHMARK(BM_decal_every_triangle);

// The memory manager, the shader library with its generic effect, a particle quad
// model and its material in a folder mounted at "/b", and a set of one generator
// holding 1000 particles.
struct particles_t {
    particles_t() {
        terrain();
        process_table_setup();
        bench::start_once(mm_init);
        qrnshared_init(dl_lib_t::get_main_handle());
        qrnshared_startup();
        fs_startup();
        if (!shaderlib_init_queues() || !shaderlib_register()) return;
        char folder[] = "/tmp/fernwold_effects_bench_XXXXXX";
        if (!mkdtemp(folder)) return;
        written = folder;
        zmgen::zm_model_t quad;
        zmgen::zm_piece_t piece;
        zmgen::zm_add_quad(piece, zmgen::zm_shape_t{}, {1, 1});
        quad.geometry.pieces.push_back(piece);
        quad.geometry.parts = {{"quad", 0, 1}};
        quad.descriptor.material_count = 1;
        quad.descriptor.looks = {{"default", {"puff.mat"}}};
        quad.descriptor.variants = {"default"};
        quad.descriptor.parts = {{}};
        zmgen::zm_write_model(quad, folder, "quad");
        FILE *f = fopen((written + "/puff.mat").c_str(), "w");
        if (!f) return;
        fputs("def material {\n    effect: \"/effect/generic/dry\"\n    flags: \"0x3\"\n}\n", f);
        fclose(f);
        ufs_mount(FS_DEVICE_DIRECTORY, folder, "/b", false, 0);
        desc = model_desc_u_obtain("/b/quad.zmd");
        if (!desc) return;
        set = particle_set_u::create();
        owner_ptr_t<particle_gen_u> g(particle_gen_u::create());
        g->m_particles_max_count = 1000;
        g->m_rotation_speed = 1.0f;
        g->m_model = desc->create_template(0, 0);
        g->set_time_to_live(1000.0f);
        gen = g.get();
        set->m_gen_array.append(owner_ptr_t<unit_base_t>(g.release()));
        set->attach_to(nullptr, placement_t(), true);
        // Fill it at once: a life of 1000 s and one particle a second, 1000 s due. The
        // benchmark's steps of 1/100 s then keep them all alive.
        set->update(1000.0f);
        ready = gen->get_particle_count() >= 990;
    }
    static inline std::string written;
    model_desc_u *desc = nullptr;
    owner_ptr_t<particle_set_u> set;
    particle_gen_u *gen = nullptr;
    bool ready = false;
};

particles_t &particles() {
    static particles_t *p = [] {
        particles_t *made = new particles_t;
        std::atexit([] {
            if (!particles_t::written.empty()) std::filesystem::remove_all(particles_t::written);
        });
        return made;
    }();
    return *p;
}

void BM_particles_update_and_draw(benchmark::State &state) {
    particles_t &p = particles();
    if (!p.ready) {
        state.SkipWithError("no particles");
        return;
    }
    for (auto _ : state) {
        p.set->update(0.01f);
        p.set->draw();
        for (uint32_t q = 0; q < SHADERLIB_QUEUES; ++q) gfx_queue_flush(shaderlib_get_queue(q));
    }
    state.counters["particles"] = double(p.gen->get_particle_count());
    state.counters["vertices"] = double(p.gen->get_vertex_count());
    state.SetItemsProcessed(state.iterations() * int64_t(p.gen->get_particle_count()));
}
BENCHMARK(BM_particles_update_and_draw);

}  // namespace
