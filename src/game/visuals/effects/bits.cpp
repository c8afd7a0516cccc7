#include "game/visuals/effects/bits.h"

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "game/visuals/models/model_anim.h"
#include "game/visuals/models/model_desc.h"
#include "game/visuals/models/model_lib.h"
#include "game/visuals/models/model_object.h"
#include "game/visuals/shaders/fw_packets.h"
#include "kernel/gfx/gfx.h"
#include "kernel/sys.h"
#include "outside/qrnshared/c_item.h"
#include "outside/qrnshared/def_pool.h"
#include "outside/qrnshared/material.h"
#include "outside/qrnshared/r_queue.h"
#include "qrncore/system/messages.h"

namespace quarn {

namespace {

constexpr float TWO_PI = 6.2831853f;

// The template quad of half size s in the local xy plane, as two triangles, and the
// texture coordinates of its corners.
const vec2_t QUAD_CORNERS[bits_t::QUAD_VERTICES] = {{-1, -1}, {-1, 1}, {1, 1}, {-1, -1}, {1, 1}, {1, -1}};
const vec2_t QUAD_UVS[bits_t::QUAD_VERTICES] = {{0, 1}, {0, 0}, {1, 0}, {0, 1}, {1, 0}, {1, 1}};

float default_random() { return sys_rand(); }

// A limit as the file gives it: 0 counts as 1, negative and huge ones are cut to
// MAX_LIMIT with a warning.
uint32_t limit_of(long long value, const char *name) {
    if (value == 0) return 1;
    if (value < 0 || value > static_cast<long long>(bits_t::MAX_LIMIT)) {
        warning("[bits] The limit %lld of '%s' is cut to %u marks", value, name, bits_t::MAX_LIMIT);
        return bits_t::MAX_LIMIT;
    }
    return uint32_t(value);
}

// The integers of a text split at ':' (base prefixes allowed; what is no number
// reads as 0).
bool split_numbers(const char *text, array_dyn_t<long long> &out) {
    out.clear();
    if (!text) return true;
    const char *p = text;
    for (;;) {
        char *end = nullptr;
        errno = 0;
        long long v = strtoll(p, &end, 0);
        if (end == p) v = 0;
        if (!out.append(v)) return false;
        const char *colon = strchr(p, ':');
        if (!colon) return true;
        p = colon + 1;
    }
}

bool finite(const vec3_t &v) { return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z); }

}  // namespace

bits_t::decal_kind_t::~decal_kind_t() {
    placed.clear();
    instance = nullptr;
    if (desc) model_release(desc);
    if (proto) gfx_free_proto(proto);
    if (packet) packet->release();
    if (material) material->release_ref();
}

bits_t::bits_t(const char *path, random_t random)
    : m_random(random ? random : &default_random), m_identity(fw4pp_model_u::create()) {
    m_packets.set(FW_SLOT_MODEL, m_identity.get());
    if (path) build_kinds(path);
}

bits_t::~bits_t() {
    for (decal_kind_t *k : m_kinds) delete k;
    for (trail_kind_t *t : m_trails) delete t;
    m_packets.clear();
}

// ---- construction ----

void bits_t::build_kinds(const char *path) {
    // The front-end's packet and prototype records exist from its start, which makes
    // the default buffer.
    if (!gfx_get_default_buffer()) {
        error("[bits] The graphics front-end is not running: no decal or trail kinds from '%s'", path);
        return;
    }
    def_pool_t pool;
    if (!pool.read_from(path)) {
        error("[bits] No bits: the definition file '%s' does not read", path);
        return;
    }
    for (const def_obj_t *def = pool.get_first_object(); def; def = def->get_next()) {
        // Blocks of included files are bases, not kinds.
        const char *file = def->get_file();
        if (!file || strcmp(file, path) != 0) continue;
        const char *type = def->get_value("type");
        const char *name = def->get_name();
        if (!type) {
            warning("[bits] The bit '%s' has no type: skipped", name);
        } else if (strcmp(type, "model") == 0) {
            build_model_bit(*def);
        } else if (strcmp(type, "decal") == 0) {
            int32_t limit = 0;
            def->get_int("limit", limit);
            float size = 0.0f;
            def->get_real("size", size);
            add_decal_kind(name, limit_of(limit, name), def->get_value("material"), size);
        } else if (strcmp(type, "trail") == 0 || strcmp(type, "blood") == 0) {
            build_trail(*def);
        } else {
            warning("[bits] The bit '%s' has the unknown type '%s': skipped", name, type);
        }
    }
}

void bits_t::build_model_bit(const def_obj_t &def) {
    const char *name = def.get_name();
    model_desc_u *desc = model_desc_u_obtain(def.get_dvalue("model", ""));
    if (!desc) {
        error("error loading model description for bit '%s'", name);
        return;
    }
    owner_ptr_t<model_inst_u> inst(
        desc->create_inst_by_name(def.get_dvalue("look", "default"), def.get_dvalue("variant", "default")));
    if (!inst) {
        error("error loading model instance for bit '%s'", name);
        model_release(desc);
        return;
    }
    const char *animation = def.get_value("animation");
    if (animation && *animation) {
        model_anim_u *anim = model_anim_u_obtain(animation);
        // The channel holds the animation; the obtain's count goes back at once.
        if (anim) {
            inst->play_animation(anim, 0, 0, 0, 1.0f);
            model_release(anim);
        } else {
            error("[bits] The animation '%s' of the bit '%s' does not load", animation, name);
        }
    }
    decal_kind_t *k = new decal_kind_t;
    if (!k || !m_kinds.append(k)) {
        delete k;
        model_release(desc);
        return;
    }
    int32_t limit = 0;
    def.get_int("limit", limit);
    k->name = name;
    k->limit = limit_of(limit, name);
    k->model = true;
    k->desc = desc;
    k->instance = inst.get();
}

void bits_t::build_trail(const def_obj_t &def) {
    const char *name = def.get_name();
    array_dyn_t<long long> limits, pattern;
    if (!split_numbers(def.get_value("limits"), limits) || !split_numbers(def.get_value("pattern"), pattern)) return;
    if (limits.get_count() != pattern.get_count()) {
        error("patterns count doesn't match limits count (%s)", name);
        return;
    }
    trail_kind_t *t = new trail_kind_t;
    if (!t || !m_trails.append(t)) {
        delete t;
        return;
    }
    t->name = name;
    const bool indexed_material = def.get_value("material", 0) != nullptr;
    const bool indexed_size = def.get_value("size", 0) != nullptr;
    for (uint32_t i = 0; i < limits.get_count(); ++i) {
        const char *material = indexed_material ? def.get_value("material", int(i)) : nullptr;
        if (!material) material = def.get_value("material");
        float size = 0.0f;
        char size_key[16];
        snprintf(size_key, sizeof size_key, "size%02u", i);
        if (!indexed_size || !def.get_real(size_key, size)) def.get_real("size", size);
        mstring_dyn_t kind_name;
        kind_name.printf("%s%u", name, i);
        const int32_t kind = add_decal_kind(kind_name.c_str(), limit_of(limits[i], kind_name.c_str()), material, size);
        if (kind < 0) return;
        // Periods below 1 would divide by zero: they count as 1.
        const long long period = pattern[i] < 1 ? 1 : pattern[i];
        t->steps.append({uint32_t(kind), period > 0xFFFFFFFFll ? 0xFFFFFFFFu : uint32_t(period)});
    }
}

int32_t bits_t::add_decal_kind(const char *name, uint32_t limit, const char *material, float size) {
    if (limit == 0) limit = 1;
    if (limit > MAX_LIMIT) limit = limit_of(limit, name ? name : "");
    decal_kind_t *k = new decal_kind_t;
    if (!k) return -1;
    k->name = name ? name : "";
    k->limit = limit;
    k->size = size;
    if (!k->uvs.request_capacity(limit * QUAD_VERTICES)) {
        delete k;
        return -1;
    }
    for (uint32_t q = 0; q < limit; ++q)
        for (const vec2_t &uv : QUAD_UVS) k->uvs.append(uv);
    k->packet = gfx_alloc_packet();
    k->proto = gfx_alloc_proto();
    if (k->packet) k->packet->set_buffer(R_PACKET_PT, &k->geometry);
    if (k->proto) {
        k->proto->set_vpacket(0, k->packet);
        k->proto->parameters = &m_packets;
        if (material && *material) {
            k->material = get_material(material);
            k->proto->set_material(k->material);
        }
    }
    if (!m_kinds.append(k)) {
        delete k;
        return -1;
    }
    return int32_t(m_kinds.get_count() - 1);
}

// ---- marks ----

void bits_t::write_quad(decal_kind_t &kind, const vec3_t &position, const vec3_t &x, const vec3_t &y) {
    const uint32_t ring = kind.limit * QUAD_VERTICES;
    uint32_t at;
    if (kind.positions.get_count() >= ring) {
        at = uint32_t(kind.count % kind.limit) * QUAD_VERTICES;
    } else {
        at = kind.positions.get_count();
        if (!kind.positions.grow(QUAD_VERTICES)) return;
    }
    ++kind.count;
    for (uint32_t v = 0; v < QUAD_VERTICES; ++v) {
        const vec2_t &c = QUAD_CORNERS[v];
        kind.positions[at + v] = position + x * (c.x * kind.size) + y * (c.y * kind.size);
    }
}

bool bits_t::add_decal(int32_t kind, const vec3_t &position, const vec3_t &normal, const vec3_t *orientation,
                       float scale, bool mirrored) {
    if (kind < 0 || uint32_t(kind) >= m_kinds.get_count()) return false;
    decal_kind_t &k = *m_kinds[uint32_t(kind)];
    if (k.model) return false;
    if (!finite(normal) || !finite(position) || length_squared(normal) < vec_traits_t<float>::EPSILON) return false;
    vec3_t x, y;
    bool oriented = false;
    if (orientation && finite(*orientation)) {
        x = cross(*orientation, normal);
        // An orientation along the normal gives no axis: such marks turn at random.
        if (length_squared(x) > 1e-12f * length_squared(*orientation) * length_squared(normal)) {
            normalize(x);
            y = cross(normal, x);
            normalize(y);
            if (mirrored) x = -x;
            oriented = true;
        }
    }
    if (!oriented) {
        // The quad's +z turned onto the normal, spun about it by a random angle.
        quat_t q, spin;
        q.set_cartes(-normal);
        spin.set_axis_angle({0, 0, 1}, m_random() * TWO_PI);
        const quat_t r = q * spin;
        x = r.rotate({1, 0, 0});
        y = r.rotate({0, 1, 0});
    }
    write_quad(k, position, x * scale, y * scale);
    return true;
}

bool bits_t::add_trail_mark(int32_t trail, bool full_size, const vec3_t &position, const vec3_t &normal,
                            const vec3_t *orientation, float size, int32_t step) {
    if (trail < 0 || uint32_t(trail) >= m_trails.get_count()) return false;
    trail_kind_t &t = *m_trails[uint32_t(trail)];
    const uint32_t n = t.steps.get_count();
    if (n == 0) return false;
    uint32_t chosen = n;
    if (step >= 0 && uint32_t(step) < n) {
        chosen = uint32_t(step);
    } else {
        for (uint32_t i = n; i-- > 0;)
            if (t.count % t.steps[i].period == 0) {
                chosen = i;
                break;
            }
        if (chosen == n) return false;
    }
    ++t.count;
    return add_decal(int32_t(t.steps[chosen].kind), position, normal, orientation, full_size ? size : 0.8f * size,
                     !full_size);
}

bool bits_t::add_model_bit(int32_t kind, const placement_t &placement) {
    if (kind < 0 || uint32_t(kind) >= m_kinds.get_count()) return false;
    decal_kind_t &k = *m_kinds[uint32_t(kind)];
    if (!k.model || !k.instance) return false;
    model_duplicate_u *copy;
    if (k.placed.get_count() >= k.limit) {
        copy = k.placed[uint32_t(k.count % k.limit)].get();
    } else {
        owner_ptr_t<model_duplicate_u> made(model_duplicate_u::create());
        if (!made || !made->set_source(k.instance.get(), m_packets)) return false;
        copy = made.get();
        if (!k.placed.append(static_cast<owner_ptr_t<model_duplicate_u> &&>(made))) return false;
    }
    ++k.count;
    copy->set_placement(placement);
    return true;
}

int32_t bits_t::find_decal_kind(const char *name) const {
    for (uint32_t i = 0; name && i < m_kinds.get_count(); ++i)
        if (strcmp(m_kinds[i]->name.c_str(), name) == 0) return int32_t(i);
    return -1;
}

int32_t bits_t::find_trail(const char *name) const {
    for (uint32_t i = 0; name && i < m_trails.get_count(); ++i)
        if (strcmp(m_trails[i]->name.c_str(), name) == 0) return int32_t(i);
    return -1;
}

// ---- frames ----

void bits_t::prepare_parameters() {
    if (!m_scene) return;
    for (uint32_t slot : {FW_SLOT_CAMERA, FW_SLOT_FOG, FW_SLOT_LIGHT}) m_packets.set(slot, m_scene->get(slot));
}

void bits_t::update(float seconds) {
    for (decal_kind_t *k : m_kinds)
        if (k->model && k->instance) k->instance->advance_animations(seconds);
}

void bits_t::render() {
    for (decal_kind_t *k : m_kinds) {
        if (k->model) {
            for (owner_ptr_t<model_duplicate_u> &copy : k->placed) copy->draw();
            continue;
        }
        if (k->positions.is_empty() || !k->proto) continue;
        r_geometry_t &g = k->geometry;
        g.positions = &k->positions[0].x;
        g.texcoords = &k->uvs[0].x;
        g.vertex_count = k->positions.get_count();
        g.index_count = 0;
        gfx_queue_proto(k->proto);
    }
}

}  // namespace quarn
