#include "kernel/gfx/gfx_cache.h"

#include <cstring>
#include <type_traits>

#include "kernel/gfx/gfx.h"
#include "kernel/memory/m_server.h"
#include "kernel/memory/mem_sys.h"
#include "outside/qrnshared/c_item.h"
#include "outside/visbase/render.h"
#include "qrncore/collections/arrays/array_dyn.h"
#include "qrncore/system/messages.h"
#include "qrncore/units/unit_system.h"

namespace quarn {

namespace {

constexpr size_t ALIGN = 16;

constexpr size_t aligned(size_t n) { return (n + ALIGN - 1) & ~(ALIGN - 1); }

struct cache_t {
    uint8_t *block = nullptr;
    size_t size = 0;
    size_t fill = 0;
    bool overflow = false;
    array_dyn_t<size_t> marks;
};

cache_t cache;

// Indexed by normals, colour kind, texture coordinates.
constexpr uint32_t VERTEX_FORMATS[2][3][2] = {
    {{R_PACKET_P, R_PACKET_PT}, {R_PACKET_PC, R_PACKET_PCT}, {R_PACKET_PS, R_PACKET_PST}},
    {{R_PACKET_PN, R_PACKET_PNT}, {R_PACKET_PNC, R_PACKET_PNCT}, {R_PACKET_PNS, R_PACKET_PNST}},
};

struct ui_packets_t {
    r_parameter_array_t array;
    ref_ptr_t<pp_camera_u> camera;
    ref_ptr_t<pp_model_identity_u> identity;
};

ui_packets_t ui;

// Hands out the next part of a block taken from the cache.
struct carve_t {
    uint8_t *at;
    template <class T>
    T *take(size_t bytes) {
        T *p = reinterpret_cast<T *>(at);
        at += aligned(bytes);
        return p;
    }
};

// A prototype over a geometry header: the packet of type as packet 0, an index packet
// when indexed; the prototype keeps both.
r_proto_t *make_proto(r_geometry_t *g, uint32_t type, bool indexed, c_item_t *material, uint32_t word,
                      uint32_t primitive) {
    r_packet_t *vertices = gfx_alloc_packet();
    vertices->type = type;
    vertices->data = g;
    r_packet_t *indices = nullptr;
    if (indexed) {
        indices = gfx_alloc_packet();
        indices->type = R_PACKET_INDEX16;
        indices->data = g;
    }
    r_proto_t *proto = gfx_alloc_proto();
    proto->packets[0] = vertices;
    proto->index_packet = indices;
    // The prototype counts the packets; the front-end drops its own references.
    vertices->add_ref();
    vertices->release();
    if (indices) {
        indices->add_ref();
        indices->release();
    }
    proto->material = material;
    proto->word = word;
    proto->primitive = primitive;
    proto->parameters = ui_get_parameter_packet_array();
    return proto;
}

}  // namespace

uint32_t gfx_vertex_format(bool normals, int colour, bool texcoords) {
    V_ASSERT(colour >= 0 && colour <= 2);
    return VERTEX_FORMATS[normals ? 1 : 0][colour][texcoords ? 1 : 0];
}

void gfx_cache_take() {
    if (!cache.block) {
        cache.block = static_cast<uint8_t *>(mem_sys_alloc(GFX_CACHE_INITIAL));
        cache.size = cache.block ? GFX_CACHE_INITIAL : 0;
        if (!cache.block) error("[r_cache] Out of memory for the immediate cache");
    }
    cache.fill = 0;
    cache.overflow = false;
    cache.marks.clear();
}

void gfx_cache_release() {
    mem_sys_free(cache.block);
    cache.block = nullptr;
    cache.size = cache.fill = 0;
    cache.overflow = false;
    cache.marks.clear();
    cache.marks.shrink();
}

size_t gfx_cache_size() { return cache.size; }
size_t gfx_cache_fill() { return cache.fill; }
bool gfx_cache_overflowed() { return cache.overflow; }

void gfx_release_ui_packets() {
    ui.array.clear();
    ui.camera = nullptr;
    ui.identity = nullptr;
}

}  // namespace quarn

using namespace quarn;

void *gfx_cache_alloc(size_t bytes) {
    // Every block keeps 16-byte alignment, also the ones after an odd size.
    const size_t n = bytes > SIZE_MAX - ALIGN ? SIZE_MAX : aligned(bytes);
    if (!cache.block || n > cache.size - cache.fill) {
        cache.overflow = true;
        return nullptr;
    }
    void *p = cache.block + cache.fill;
    cache.fill += n;
    return p;
}

void gfx_cache_push() {
    if (!cache.marks.append(cache.fill)) error("[r_cache] Out of memory for a cache mark");
}

void gfx_cache_pop() {
    V_ASSERT(cache.marks.get_count() > 0);
    cache.fill = cache.marks[cache.marks.get_count() - 1];
    cache.marks.remove(cache.marks.get_count() - 1);
}

void gfx_cache_sweep() {
    if (cache.overflow && cache.block) {
        const size_t size = cache.size * 3 / 2;
        uint8_t *block = static_cast<uint8_t *>(mem_sys_alloc(size));
        if (block) {
            mem_sys_free(cache.block);
            cache.block = block;
            cache.size = size;
            message("[r_cache] resizing immediate cache to %zu bytes", size);
        } else {
            error("[r_cache] Out of memory for an immediate cache of %zu bytes", size);
        }
    }
    cache.fill = 0;
    cache.overflow = false;
    cache.marks.clear();
}

r_proto_t *gfx_cache_data(const gfx_geometry_desc_t *desc) {
    const uint32_t f = desc->flags;
    const bool indexed = (f & GFX_GEOM_INDEXED) != 0;
    if (indexed && desc->index_count == 0) return nullptr;
    const uint32_t vc = desc->vertex_count;
    const int colour = (f & GFX_GEOM_COLOURS) ? 1 : (f & GFX_GEOM_SINGLE_COLOUR) ? 2 : 0;
    const bool copy = !(f & GFX_GEOM_IN_PLACE);

    // The header, then (unless used in place) each array, every part 16-byte aligned.
    size_t bytes = aligned(sizeof(r_geometry_t));
    if (copy) {
        if (f & GFX_GEOM_POSITIONS) bytes += aligned(size_t(vc) * 12);
        if (f & GFX_GEOM_NORMALS) bytes += aligned(size_t(vc) * 12);
        if (colour == 1) bytes += aligned(size_t(vc) * 4);
        if (colour == 2) bytes += aligned(4);
        if (f & GFX_GEOM_TEXCOORDS) bytes += aligned(size_t(vc) * 8);
        if (indexed) bytes += aligned(size_t(desc->index_count) * 2);
        if (f & GFX_GEOM_EXTRAS) bytes += aligned(size_t(desc->extra_count) * 16);
    }
    void *block = gfx_cache_alloc(bytes);
    if (!block) return nullptr;

    carve_t carve{static_cast<uint8_t *>(block)};
    r_geometry_t *g = carve.take<r_geometry_t>(sizeof(r_geometry_t));
    *g = r_geometry_t{};
    g->vertex_count = vc;
    g->index_count = indexed ? desc->index_count : 0;
    g->flags = f;
    auto place = [&](auto *source, size_t bytes_each, size_t count, auto **target) {
        using T = std::remove_const_t<std::remove_pointer_t<decltype(source)>>;
        if (!copy) {
            *target = const_cast<T *>(source);
            return;
        }
        *target = carve.take<T>(bytes_each * count);
        if (source && count) memcpy(*target, source, bytes_each * count);
    };
    if (f & GFX_GEOM_POSITIONS) place(desc->positions, 12, vc, &g->positions);
    if (f & GFX_GEOM_NORMALS) place(desc->normals, 12, vc, &g->normals);
    if (colour == 1) place(desc->colours, 4, vc, &g->colours);
    if (colour == 2) place(desc->colours, 4, 1, &g->colours);
    if (f & GFX_GEOM_TEXCOORDS) place(desc->texcoords, 8, vc, &g->texcoords);
    if (indexed) place(desc->indices, 2, desc->index_count, &g->indices);
    if (f & GFX_GEOM_EXTRAS) {
        const uint8_t *extras = static_cast<const uint8_t *>(desc->extras);
        uint8_t *target = nullptr;
        place(extras, 16, desc->extra_count, &target);
        g->extras = target;
        g->extra_count = desc->extra_count;
    }
    const uint32_t type = gfx_vertex_format((f & GFX_GEOM_NORMALS) != 0, colour, (f & GFX_GEOM_TEXCOORDS) != 0);
    return make_proto(g, type, indexed, desc->material, desc->word, desc->primitive);
}

r_proto_t *gfx_sub_bitmap(c_item_t *material, const gfx_rect_t *screen, const gfx_rect_t *texture, uint32_t colour) {
    // The material's data stays fixed while the quad is built.
    c_item_lock_t lock(material);
    if (!lock.get_data()) return nullptr;
    const size_t bytes = aligned(sizeof(r_geometry_t)) + aligned(4 * 12) + aligned(4 * 4) + aligned(4 * 8);
    void *block = gfx_cache_alloc(bytes);
    if (!block) return nullptr;
    carve_t carve{static_cast<uint8_t *>(block)};
    r_geometry_t *g = carve.take<r_geometry_t>(sizeof(r_geometry_t));
    *g = r_geometry_t{};
    g->positions = carve.take<float>(4 * 12);
    g->colours = carve.take<uint32_t>(4 * 4);
    g->texcoords = carve.take<float>(4 * 8);
    g->vertex_count = 4;
    g->flags = GFX_GEOM_POSITIONS | GFX_GEOM_COLOURS | GFX_GEOM_TEXCOORDS;
    const gfx_rect_t &s = *screen;
    const gfx_rect_t &t = *texture;
    const float positions[12] = {s.x0, s.y1, 0, s.x0, s.y0, 0, s.x1, s.y0, 0, s.x1, s.y1, 0};
    const float texcoords[8] = {t.x0, t.y1, t.x0, t.y0, t.x1, t.y0, t.x1, t.y1};
    memcpy(g->positions, positions, sizeof positions);
    memcpy(g->texcoords, texcoords, sizeof texcoords);
    for (int i = 0; i < 4; ++i) g->colours[i] = colour;
    return make_proto(g, R_PACKET_QUAD, false, material, 0, 2);
}

r_proto_t *gfx_bitmap(c_item_t *material, const gfx_rect_t *screen, uint32_t colour) {
    const gfx_rect_t whole{0.0f, 1.0f, 0.0f, 1.0f};
    return gfx_sub_bitmap(material, screen, &whole, colour);
}

r_parameter_array_t *ui_get_parameter_packet_array() {
    unit_system_t *system = get_engine_usystem();
    if (!ui.camera && system) {
        ui.camera = static_cast<pp_camera_u *>(unit_system_t::create_unit_in(system, pp_camera_u::unit_descriptor));
        if (ui.camera) ui.array.append(ui.camera.get());
    }
    if (!ui.identity && system) {
        ui.identity = static_cast<pp_model_identity_u *>(
            unit_system_t::create_unit_in(system, pp_model_identity_u::unit_descriptor));
        if (ui.identity) ui.array.append(ui.identity.get());
    }
    if (ui.camera) {
        // Screen coordinates: x to the right, y down from the view's top.
        const r_view_t &v = gfx_view_get();
        ui.camera->set_placement(placement_t());
        r_ortho_projection_matrix(ui.camera->projection.m, v.x, v.x + v.width, v.y + v.height, v.y, v.near_z, v.far_z);
    }
    return &ui.array;
}
