#include "game/visuals/effects/particle_gen.h"

#include <algorithm>
#include <cmath>

#include "game/visuals/effects/particle_set.h"
#include "game/visuals/models/model_template.h"
#include "kernel/gfx/gfx.h"
#include "outside/qrnshared/r_queue.h"
#include "outside/visbase/camera.h"
#include "qrncore/math/matrix.h"
#include "qrncore/system/messages.h"

namespace quarn {

QRN_UNIT_DEFINE(particle_gen_u, "particle_gen", QRN_ATTR(m_list_order_up, UNIT_ATTR_BOOL, "list_order_up"),
                QRN_ATTR(m_blend_alpha, UNIT_ATTR_BOOL, "blend_alpha"),
                QRN_ATTR(m_relative_space, UNIT_ATTR_BOOL, "relative_space"),
                QRN_ATTR(m_gen_pos, UNIT_ATTR_VEC3, "gen_pos"), QRN_ATTR(m_scale_acc, UNIT_ATTR_FLOAT, "scale_acc"),
                QRN_ATTR(m_rotation_speed, UNIT_ATTR_FLOAT, "rotation_speed"),
                QRN_ATTR(m_alpha_blend_coef, UNIT_ATTR_FLOAT, "alpha_blend_coef"),
                QRN_ATTR(m_base_alpha, UNIT_ATTR_FLOAT, "base_alpha"),
                QRN_ATTR(m_alpha_attack_time, UNIT_ATTR_FLOAT, "alpha_attack_time"),
                QRN_ATTR(m_flow_speed, UNIT_ATTR_VEC3, "flow_speed"),
                QRN_ATTR(m_flow_speed_acc, UNIT_ATTR_VEC3, "flow_speed_acc"),
                QRN_ATTR(m_particle_size, UNIT_ATTR_VEC2, "particle_size"),
                QRN_ATTR(m_particle_size_var, UNIT_ATTR_VEC2, "particle_size_var"),
                QRN_ATTR(m_particle_displacement, UNIT_ATTR_VEC3, "particle_displacement"),
                QRN_ATTR(m_color_multiplier, UNIT_ATTR_UINT32, "color_multiplier"),
                QRN_ATTR(m_key_pos, UNIT_ATTR_INT32_ARRAY, "key_pos"),
                QRN_ATTR(m_key_color, UNIT_ATTR_UINT32_ARRAY, "key_color"),
                QRN_ATTR(m_time_to_live, UNIT_ATTR_FLOAT, "time_to_live"),
                QRN_ATTR(m_particles_max_count, UNIT_ATTR_UINT32, "particles_max_count"),
                QRN_ATTR(m_model, UNIT_ATTR_OWNER, "model"));

namespace {

constexpr int32_t DEFAULT_KEY_POS[particle_gen_u::KEYS] = {0, 0, 0, 0, 255};
constexpr uint32_t DEFAULT_KEY_COLOR = 0xFFFFFF;

uint32_t alpha_byte(float alpha) {
    const float a = alpha * 255.0f;
    return a >= 255.0f ? 255u : a > 0.0f ? uint32_t(a) : 0u;
}

// Each byte of a times the same byte of b, over 255.
uint32_t multiply(uint32_t a, uint32_t b) {
    uint32_t out = 0;
    for (int shift = 0; shift < 32; shift += 8)
        out |= (((a >> shift) & 0xFFu) * ((b >> shift) & 0xFFu) / 255u) << shift;
    return out;
}

}  // namespace

void particle_gen_u::on_construct() {
    derive();
    m_vertex_packet = gfx_alloc_packet();
    m_index_packet = gfx_alloc_packet();
    m_proto = gfx_alloc_proto();
    if (m_vertex_packet) m_vertex_packet->set_buffer(R_PACKET_PCT, &m_geometry);
    if (m_index_packet) m_index_packet->set_buffer(R_PACKET_INDEX16, &m_geometry);
    if (m_proto) {
        m_proto->set_vpacket(0, m_vertex_packet);
        m_proto->set_ipacket(m_index_packet);
    }
}

particle_gen_u::~particle_gen_u() {
    if (m_proto) gfx_free_proto(m_proto);
    if (m_vertex_packet) m_vertex_packet->release();
    if (m_index_packet) m_index_packet->release();
}

bool particle_gen_u::_call_post_load() {
    if (!unit_t::_call_post_load()) return false;
    derive();
    return true;
}

bool particle_gen_u::_clone_finish(unit_base_t *target) {
    static_cast<particle_gen_u *>(target)->derive();
    return true;
}

void particle_gen_u::derive() {
    rebuild_colour_table();
    set_time_to_live(m_time_to_live);
}

model_template_u *particle_gen_u::get_model() const { return unit_cast<model_template_u>(m_model.get()); }

void particle_gen_u::set_time_to_live(float t) {
    if (!(t > 0.000001f)) t = 0.0001f;
    m_time_to_live = t;
    if (m_particles_max_count < 2) {
        m_interval = 1.0f;
    } else {
        m_interval = t / float(m_particles_max_count - 1);
        m_timer = 0.0f;
    }
    // A life so long that the interval is no step at all.
    if (!(m_interval > 0.0f) || !std::isfinite(m_interval)) m_interval = 1.0f;
    m_inverse_ttl = 1.0f / t;
}

void particle_gen_u::rebuild_colour_table() {
    int32_t pos[KEYS];
    uint32_t col[KEYS];
    if (m_key_pos.get_count() == KEYS && m_key_color.get_count() == KEYS) {
        for (uint32_t i = 0; i < KEYS; ++i) {
            pos[i] = std::clamp(m_key_pos[i], 0, 255);
            col[i] = m_key_color[i];
        }
    } else {
        // Lists not given at all take the default keys silently.
        if (!m_key_pos.is_empty() || !m_key_color.is_empty()) {
            mstring_dyn_t name;
            get_name(name);
            warning("[particle] The generator '%s' has %u colour key positions and %u colours, not %u of each: "
                    "the default keys are used",
                    name.c_str(), m_key_pos.get_count(), m_key_color.get_count(), KEYS);
        }
        for (uint32_t i = 0; i < KEYS; ++i) {
            pos[i] = DEFAULT_KEY_POS[i];
            col[i] = DEFAULT_KEY_COLOR;
        }
    }
    for (uint32_t &c : m_table) c = 0;
    for (uint32_t i = 0; i + 1 < KEYS; ++i) {
        const int32_t p0 = pos[i], p1 = pos[i + 1];
        if (p1 < p0) continue;  // runs backwards: nothing to fill
        const int32_t length = std::max(1, p1 - p0);
        for (int32_t j = p0; j <= p1; ++j) {
            uint32_t c = 0;
            for (int shift = 0; shift < 24; shift += 8) {
                const int32_t a = int32_t((col[i] >> shift) & 0xFFu), b = int32_t((col[i + 1] >> shift) & 0xFFu);
                c |= uint32_t(a + (b - a) * (j - p0) / length) << shift;
            }
            m_table[255 - j] = c;
        }
    }
}

void particle_gen_u::reset() {
    m_particles.clear();
    m_has_previous = false;
    m_timer = 0.0f;
}

void particle_gen_u::set_parameter_packets(r_parameter_array_t *array) {
    if (m_proto) m_proto->parameters = array;
}

placement_t particle_gen_u::emitter_placement() const {
    if (!m_set || m_relative_space) return placement_t();
    return m_set->get_node().get_absolute();
}

uint32_t particle_gen_u::colour_of(const particle_t &p) const {
    const float age = p.life * m_inverse_ttl * 255.0f;
    const uint32_t i = age >= 255.0f ? 255u : age > 0.0f ? uint32_t(age) : 0u;
    return (m_table[i] & 0xFFFFFFu) | alpha_byte(p.alpha) << 24;
}

void particle_gen_u::emit_one(const vec3_t &spawn, const quat_t &rotation) {
    particle_t p;
    const float sx = m_random.rand_f(), sy = m_random.rand_f();
    p.size = {m_particle_size.x * (1.0f + (2.0f * sx - 1.0f) * m_particle_size_var.x),
              m_particle_size.y * (1.0f + (2.0f * sy - 1.0f) * m_particle_size_var.y)};
    const float dx = m_random.rand_f(), dy = m_random.rand_f(), dz = m_random.rand_f();
    p.position = spawn + rotation.rotate({dx * m_particle_displacement.x, dy * m_particle_displacement.y,
                                          dz * m_particle_displacement.z});
    p.life = m_time_to_live * (1.0f + (2.0f * m_random.rand_f() - 1.0f) * 0.2f);
    p.velocity = rotation.rotate(m_flow_speed);
    p.acceleration = rotation.rotate(m_flow_speed_acc) * (0.6f + 0.4f * m_random.rand_f());
    p.attack = m_alpha_attack_time;
    p.alpha = p.attack > 0.0f ? 0.0f : m_base_alpha;
    p.colour = (m_table[255] & 0xFFFFFFu) | alpha_byte(p.alpha) << 24;
    p.rotation_speed = m_rotation_speed * (1.0f + (2.0f * m_random.rand_f() - 1.0f) * 0.1f);
    p.angle = 0.0f;
    if (m_list_order_up) m_particles.append(p);
    else m_particles.insert(m_particles.begin(), p);
}

void particle_gen_u::update(float seconds, bool emit, const vec3_t &wind) {
    model_template_u *model = get_model();
    if (!model || !model->is_loaded() || !(seconds >= 0.0f) || !std::isfinite(seconds)) return;
    const float fade = m_blend_alpha ? std::pow(m_alpha_blend_coef, seconds) : 1.0f;
    const vec2_t growth{m_scale_acc * seconds, m_scale_acc * seconds};
    for (auto it = m_particles.begin(); it != m_particles.end();) {
        particle_t &p = *it;
        p.life -= seconds;
        if (p.life <= 0.0f) {
            it = m_particles.erase(it);
            continue;
        }
        p.velocity += p.acceleration * seconds;
        p.position += p.velocity * seconds;
        if (!m_relative_space) p.position += wind * seconds;
        if (p.attack > 0.0f) {
            p.attack -= seconds;
            p.alpha = p.attack > 0.0f ? (1.0f - p.attack / m_alpha_attack_time) * m_base_alpha : m_base_alpha;
        } else {
            p.alpha *= fade;
        }
        p.size += growth;
        p.colour = colour_of(p);
        p.angle += seconds * p.rotation_speed;
        ++it;
    }

    // Emission: the particles due in this step, each from where the emitter was when
    // it became due, on the path from the previous position to this one.
    const placement_t e = emitter_placement();
    if (!m_has_previous) {
        m_previous = e.position;
        m_has_previous = true;
    }
    const float start = m_timer;  // time into the step of the first emission
    m_timer -= seconds;
    if (m_timer < 0.0f) {
        const double interval = m_interval;
        double due = std::ceil(-double(m_timer) / interval);
        double timer = double(m_timer) + due * interval;
        if (timer < 0.0) {
            due += 1.0;
            timer += interval;
        }
        m_timer = float(std::clamp(timer, 0.0, interval));
        // At most the live count's worth an update: the timer skips the rest.
        const uint32_t cap = m_particles_max_count;
        const uint32_t n = due > double(cap) ? cap : uint32_t(due);
        for (uint32_t k = 0; k < n; ++k) {
            if (!emit || m_particles.get_count() >= m_particles_max_count) continue;
            const double at = double(start) + double(k) * interval;
            const float f = seconds > 0.0f ? float(std::clamp(at / double(seconds), 0.0, 1.0)) : 1.0f;
            emit_one(m_previous + (e.position - m_previous) * f, e.rotation);
        }
    }
    m_previous = e.position;
}

void particle_gen_u::prepare() {
    m_positions.clear();
    m_colours.clear();
    m_uvs.clear();
    m_indices.clear();
    model_template_u *model = get_model();
    if (!m_proto || !model || !model->is_loaded() || model->get_piece_count() == 0) return;
    if (!m_proto->material) m_proto->set_material(model->get_piece_material(0));
    if (!m_proto->material) return;
    mat4_t to_camera = gfx_camera_matrix();
    if (m_relative_space && m_set) mult_matrix_matrix(&to_camera, m_set->get_node().get_matrix(), to_camera);
    uint32_t model_vertices = 0;
    for (uint32_t piece = 0; piece < model->get_piece_count(); ++piece)
        model_vertices += model->get_piece(piece).vertex_count;
    for (const particle_t &p : m_particles) {
        const uint32_t base = m_positions.get_count();
        if (base + model_vertices > MAX_VERTICES) break;
        const vec3_t &w = p.position;
        const vec3_t c{to_camera.at(0, 0) * w.x + to_camera.at(0, 1) * w.y + to_camera.at(0, 2) * w.z + to_camera.at(0, 3),
                       to_camera.at(1, 0) * w.x + to_camera.at(1, 1) * w.y + to_camera.at(1, 2) * w.z + to_camera.at(1, 3),
                       to_camera.at(2, 0) * w.x + to_camera.at(2, 1) * w.y + to_camera.at(2, 2) * w.z + to_camera.at(2, 3)};
        const float cs = std::cos(p.angle), sn = std::sin(p.angle);
        const uint32_t colour = multiply(p.colour, m_color_multiplier);
        uint32_t piece_base = base;
        for (uint32_t piece = 0; piece < model->get_piece_count(); ++piece) {
            const model_piece_t &mp = model->get_piece(piece);
            for (uint32_t v = 0; v < mp.vertex_count; ++v) {
                const vec3_t &m = mp.positions[v];
                const float x = m.x * p.size.x, y = m.y * p.size.y;
                m_positions.append({c.x + x * cs - y * sn, c.y + x * sn + y * cs, c.z + m.z});
                m_colours.append(colour);
                m_uvs.append(mp.texcoords ? mp.texcoords[v] : vec2_t{});
            }
            for (uint32_t i = 0; i < mp.index_count; ++i) m_indices.append(uint16_t(piece_base + mp.indices[i]));
            piece_base += mp.vertex_count;
        }
    }
}

void particle_gen_u::render() {
    if (!m_proto || m_positions.is_empty()) return;
    m_geometry.positions = &m_positions[0].x;
    m_geometry.colours = m_colours.get_data();
    m_geometry.texcoords = &m_uvs[0].x;
    m_geometry.indices = m_indices.get_data();
    m_geometry.vertex_count = m_positions.get_count();
    m_geometry.index_count = m_indices.get_count();
    gfx_queue_proto(m_proto);
}

}  // namespace quarn
