// The world's ground queries on a generated map of 8 × 8 chunks (512 × 512 units of
// rolling ground with a lake): find_ground and get_ground_probe per query, beside a
// bare ODE ray cast straight at the triangle meshes of the chunk under the point.
#include <benchmark/benchmark.h>
#include <ode/ode.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "bench_support.h"
#include "game/visuals/physics/ode_physics_shape.h"
#include "game/visuals/shaders/fw_families.h"
#include "game/visuals/shaders/shaderlib.h"
#include "game/world/landscape.h"
#include "game/world/world.h"
#include "kernel/gfx/gfx.h"
#include "kernel/memory/m_server.h"
#include "kernel/process_table.h"
#include "kernel/sys.h"
#include "map_description.h"
#include "map_writer.h"
#include "outside/qrnshared/qrnshared.h"
#include "qrncore/numerics/randomizer.h"
#include "qrncore/qrnutils/substance/substance_db.h"
#include "qrncore/qrnutils/ufs/fs.h"
#include "qrncore/system/dl_lib.h"

namespace {

using namespace quarn;

constexpr float HALF = 256.0f;
constexpr int POINTS = 1024;

const char *SUBSTANCES =
    "0: default\n1: flesh\n2: concrete\n3: snow\n4: meadow\n5: grass\n6: planks\n7: leaves\n8: wood\n9: dirt\n"
    "10: sand\n11: moss\n12: mud_dry\n13: gravel\n14: rock\n15: metal\n16: water\n17: ice\n";

const char *MAP = R"(
def textures {
    def grass { file: "/b/tex/grass.tga" substance: "grass" scale: "4" }
    def dirt { file: "/b/tex/dirt.tga" substance: "dirt" scale: "2" }
    def water { file: "/b/tex/water.tga" substance: "water" }
}
def materials {
    def meadow { layers: "grass dirt" }
    def lake { kind: "water" texture: "water" }
}
def landscape {
    area: "-256 -256 256 256"
    chunks: "8 8"
    spacing: "8"
    material: "meadow"
    def heights {
        def base { kind: "noise" seed: "5" amplitude: "6" wavelength: "96" octaves: "3" }
        def basin { kind: "hill" centre: "64 64" radius: "40" height: "-8" }
    }
    def water {
        def lake { area: "16 16 112 112" level: "-2" material: "lake" }
    }
}
)";

// The kernel's memory manager, the shader library and the game's effects, the
// substance list, and the map written to a folder mounted at "/map" and "/material".
struct range_t {
    range_t() {
        process_table_setup();
        sys_init();
        qrnshared_init(dl_lib_t::get_main_handle());
        fs_startup();
        bench::start_once(mm_init);
        qrnshared_startup();
        shaderlib_init_queues();
        shaderlib_register();
        fw_effects_register();
        bench::start_once(gfx_start);
        // Removed at exit: the range lives for the whole run.
        written = bench::scratch_folder("fernwold_world_bench");
        if (written.empty()) return;
        std::filesystem::create_directories(written + "/material");
        if (FILE *f = fopen((written + "/material/material.db").c_str(), "w")) {
            fputs(SUBSTANCES, f);
            fclose(f);
        }
        mapgen::map_source_t source;
        if (!mapgen::map_read_description_text(MAP, "bench", source) ||
            !mapgen::map_write_folder(source, written + "/map/bench") ||
            !mapgen::map_write_materials(source.map, written))
            return;
        ufs_mount(FS_DEVICE_DIRECTORY, (written + "/map").c_str(), "/map", false, 0);
        ufs_mount(FS_DEVICE_DIRECTORY, (written + "/material").c_str(), "/material", false, 0);
        set_substance_file("/material/material.db");
        substance_db_request();
        world = world_u::create();
        world->load("/map/bench/");
        randomizer_t random(7);
        for (int i = 0; i < POINTS; ++i)
            points.push_back({(random.rand() * 2 - 1) * (HALF - 1), 20.0f, (random.rand() * 2 - 1) * (HALF - 1)});
        // Every chunk's terrain collision built once, as the queries' first pass would.
        physics_ray_hit_t hit;
        for (const vec3_t &p : points) world->find_ground(hit, p, world_u::MASK_TERRAIN);
        ray = dCreateRay(nullptr, 100.0f);
    }
    ~range_t() {
        if (ray) dGeomDestroy(ray);
        world.reset();
    }
    // The chunk under a point.
    landscape_chunk_u *chunk_at(const vec3_t &p) {
        landscape_u *l = world->get_landscape();
        for (uint32_t i = 0; i < l->get_chunk_count(); ++i) {
            landscape_chunk_u *c = l->get_chunk(i);
            const aabox_t &b = c->get_box();
            if (p.x >= b.min.x && p.x <= b.max.x && p.z >= b.min.z && p.z <= b.max.z) return c;
        }
        return nullptr;
    }

    std::string written;
    owner_ptr_t<world_u> world;
    std::vector<vec3_t> points;
    dGeomID ray = nullptr;
};

range_t &range() {
    static range_t *r = new range_t;
    return *r;
}

void BM_world_find_ground(benchmark::State &state) {
    range_t &r = range();
    size_t i = 0, found = 0;
    physics_ray_hit_t hit;
    for (auto _ : state) {
        found += r.world->find_ground(hit, r.points[i++ % POINTS], world_u::MASK_TERRAIN) ? 1 : 0;
        benchmark::DoNotOptimize(hit);
    }
    state.counters["found"] = double(found) / double(state.iterations());
    state.SetItemsProcessed(int64_t(state.iterations()));
}
BENCHMARK(BM_world_find_ground);

void BM_world_ground_probe(benchmark::State &state) {
    range_t &r = range();
    size_t i = 0, water = 0;
    for (auto _ : state) {
        ground_probe_t probe;
        probe.water_height = -1e30f;
        r.world->get_ground_probe(probe, r.points[i++ % POINTS]);
        water += probe.water_height > -1e30f ? 1 : 0;
        benchmark::DoNotOptimize(probe);
    }
    state.counters["water"] = double(water) / double(state.iterations());
    state.SetItemsProcessed(int64_t(state.iterations()));
}
BENCHMARK(BM_world_ground_probe);

// One ray of the first try, straight at the terrain meshes of the chunk under the
// point (the chunk found by a loop over the boxes, as a caller without the spatial
// hash would).
void BM_bare_ode_ray(benchmark::State &state) {
    range_t &r = range();
    size_t i = 0, found = 0;
    dContactGeom contact;
    for (auto _ : state) {
        const vec3_t &p = r.points[i++ % POINTS];
        dGeomRaySet(r.ray, p.x, p.y + 50.0f, p.z, 0, -1, 0);
        dGeomRaySetLength(r.ray, 100.0f);
        if (landscape_chunk_u *c = r.chunk_at(p))
            for (uint32_t n = 0; n < c->get_shape_count(); ++n) {
                auto *shape = static_cast<ode_physics_shape_t *>(c->get_shape(n));
                if (shape->get_collision_group() != world_u::GROUP_TERRAIN) continue;
                found += dCollide(r.ray, shape->get_inner_geom(), 1, &contact, sizeof contact) > 0 ? 1 : 0;
            }
        benchmark::DoNotOptimize(contact);
    }
    state.counters["found"] = double(found) / double(state.iterations());
    state.SetItemsProcessed(int64_t(state.iterations()));
}
BENCHMARK(BM_bare_ode_ray);

}  // namespace
