#include "game/visuals/models/model_inst.h"

#include <cmath>
#include <cstring>

#include "game/visuals/models/model_anim.h"
#include "game/visuals/models/model_desc.h"
#include "game/visuals/models/model_geom.h"
#include "kernel/gfx/gfx.h"
#include "qrncore/geometry/intersection.h"
#include "qrncore/geometry/plane_equation.h"
#include "qrncore/math/matrix.h"
#include "qrncore/math/matrix_table.h"
#include "qrncore/strings/name_token.h"
#include "qrncore/system/messages.h"

namespace quarn {

QRN_UNIT_DEFINE(model_inst_u, "model_inst");

void (*model_inst_u::bone_build_hook)(const model_inst_u *inst) = nullptr;

model_inst_u::~model_inst_u() {
    free_all_channels();
    drop_render_data();
}

// ---- render data ----

void model_inst_u::drop_render_data() {
    for (render_piece_t &r : m_render) {
        if (r.vertex_packet) r.vertex_packet->release();
        if (r.index_packet) r.index_packet->release();
    }
    m_render.clear();
    if (m_vertex_buffer && get_geom()) get_geom()->release_buffers();
    m_vertex_buffer = m_index_buffer = nullptr;
    m_part_flags.clear();
    m_skin_matrices.clear();
    m_pose_matrices.clear();
    m_bone_count = 0;
    m_flags = 0;
}

bool model_inst_u::build_render_data() {
    drop_render_data();
    if (!is_loaded()) return false;
    model_geom_u *geom = get_geom();
    const uint32_t pieces = get_piece_count();
    m_bone_count = geom->get_bone_count();
    if (is_rigid() || m_bone_count == 0) m_flags |= MODEL_INST_STATIC;
    if (!m_part_flags.request_capacity(get_part_count()) || !m_render.request_capacity(pieces) ||
        !m_render.grow(pieces)) {
        error("[model] No memory for the render data of '%s'", get_desc_path());
        drop_render_data();
        return false;
    }
    for (uint32_t p = 0; p < get_part_count(); ++p) m_part_flags.append(MODEL_PART_VISIBLE | MODEL_PART_SKIN_DIRTY);

    if (is_static()) {
        if (!geom->acquire_buffers(&m_vertex_buffer, &m_index_buffer)) {
            error("[model] No render buffers for '%s'", get_desc_path());
            drop_render_data();
            return false;
        }
    } else {
        const mat4_t identity = mat4_t::identity();
        bool ok = m_skin_matrices.request_capacity(m_bone_count) && m_pose_matrices.request_capacity(m_bone_count);
        for (uint32_t b = 0; ok && b < m_bone_count; ++b) {
            m_skin_matrices.append(identity);
            m_pose_matrices.append(geom->get_bones()[b].bind);
        }
        for (uint32_t i = 0; ok && i < pieces; ++i) {
            const model_piece_t &piece = get_piece(i);
            render_piece_t &r = m_render[i];
            const uint32_t n = piece.vertex_count;
            ok = r.positions.request_capacity(n) && r.normals.request_capacity(n) &&
                 (!piece.tangents || r.tangents.request_capacity(n));
            if (!ok) break;
            for (uint32_t v = 0; v < n; ++v) {
                r.positions.append(piece.positions[v]);
                r.normals.append(piece.normals[v]);
                if (piece.tangents) r.tangents.append(piece.tangents[v]);
            }
        }
        if (!ok) {
            error("[model] No memory for the skinned vertices of '%s'", get_desc_path());
            drop_render_data();
            return false;
        }
        m_flags |= MODEL_INST_BONES_DIRTY;
    }

    for (uint32_t i = 0; i < pieces; ++i) {
        const model_piece_t &piece = get_piece(i);
        render_piece_t &r = m_render[i];
        r.source.locate = locate_stream;
        r.source.vertex_count = source_vertex_count;
        r.source.index_count = source_index_count;
        r.source.owner = this;
        r.source.piece = i;
        r.vertex_packet = gfx_alloc_packet();
        r.index_packet = gfx_alloc_packet();
        if (!r.vertex_packet || !r.index_packet) {
            error("[model] No render packets for '%s'", get_desc_path());
            drop_render_data();
            return false;
        }
        uint32_t type = R_PACKET_MODEL;
        if (piece.tangents && piece.further) type = R_PACKET_MODEL_TAN_FUR;
        else if (piece.tangents) type = R_PACKET_MODEL_TAN;
        else if (piece.further) type = R_PACKET_MODEL_FUR;
        r.vertex_packet->set_buffer(type, &r.source);
        r.index_packet->set_buffer(R_PACKET_MODEL_INDEX16, &r.source);
    }
    m_root_translation = {};
    m_root_rotation = quat_t();
    return true;
}

bool model_inst_u::locate_stream(const r_stream_source_t *source, uint32_t stream, r_stream_location_t *out) {
    const model_inst_u *inst = static_cast<const model_inst_u *>(source->owner);
    const model_piece_t &piece = inst->get_piece(source->piece);
    const render_piece_t &r = inst->m_render[source->piece];
    const void *address = nullptr;
    switch (stream) {
    case R_STREAM_POSITION: address = inst->is_static() ? piece.positions : r.positions.get_data(); break;
    case R_STREAM_NORMAL: address = inst->is_static() ? piece.normals : r.normals.get_data(); break;
    case R_STREAM_TEXCOORD: address = piece.texcoords; break;
    case R_STREAM_COLOUR: address = piece.colours; break;
    case R_STREAM_FURTHER: address = piece.further; break;
    case R_STREAM_TANGENT:
        address = !piece.tangents ? nullptr : inst->is_static() ? piece.tangents : r.tangents.get_data();
        break;
    case R_STREAM_INDEX: address = piece.indices; break;
    default: return false;
    }
    if (!address) return false;
    *out = r_stream_location_t{};
    if (inst->is_static()) {
        // Static geometry is drawn from the shared copies of the file's blocks.
        const model_geom_view_t &g = inst->get_geom()->view();
        const uint8_t *p = static_cast<const uint8_t *>(address);
        if (stream == R_STREAM_INDEX) {
            out->buffer = inst->m_index_buffer;
            out->offset = uint64_t(p - g.get_index_block());
        } else {
            out->buffer = inst->m_vertex_buffer;
            out->offset = uint64_t(p - g.get_vertex_block());
        }
    } else {
        out->address = address;
    }
    return true;
}

uint32_t model_inst_u::source_vertex_count(const r_stream_source_t *source) {
    return static_cast<const model_inst_u *>(source->owner)->get_piece(source->piece).vertex_count;
}

uint32_t model_inst_u::source_index_count(const r_stream_source_t *source) {
    return static_cast<const model_inst_u *>(source->owner)->get_piece(source->piece).index_count;
}

const vec3_t *model_inst_u::get_positions(uint32_t piece) const {
    return is_static() ? get_piece(piece).positions : m_render[piece].positions.get_data();
}

const vec3_t *model_inst_u::get_normals(uint32_t piece) const {
    return is_static() ? get_piece(piece).normals : m_render[piece].normals.get_data();
}

const vec4_t *model_inst_u::get_tangents(uint32_t piece) const {
    if (!get_piece(piece).tangents) return nullptr;
    return is_static() ? get_piece(piece).tangents : m_render[piece].tangents.get_data();
}

// ---- set-up ----

bool model_inst_u::set_model(model_desc_u *desc, model_geom_u *geom, bool rigid) {
    free_all_channels();
    drop_render_data();
    return template_set_model(desc, geom, rigid) && build_render_data();
}

bool model_inst_u::set_variant(uint32_t variant) {
    if (!template_set_variant(variant)) return false;
    apply_variant();
    return true;
}

void model_inst_u::apply_variant() {
    model_desc_u *desc = get_desc();
    if (!desc || !desc->is_ready()) return;
    for (uint32_t part = 0; part < m_part_flags.get_count(); ++part) {
        uint32_t visible = 0;
        if (!desc->view().get_attribute(part, "visible", get_variant(), visible)) continue;
        set_part_visible(part, visible != 0);
    }
}

bool model_inst_u::_call_post_load() {
    return model_template_u::_call_post_load() && build_render_data() && (apply_variant(), true);
}

bool model_inst_u::_clone_finish(unit_base_t *target) {
    model_inst_u *copy = static_cast<model_inst_u *>(target);
    if (!copy->build_render_data()) return false;
    copy->apply_variant();
    return true;
}

void model_inst_u::set_part_visible(uint32_t part, bool visible) {
    uint32_t &flags = m_part_flags[part];
    if (visible) flags |= MODEL_PART_VISIBLE;
    else flags &= ~MODEL_PART_VISIBLE;
}

// ---- bones ----

int32_t model_inst_u::find_bone(uint64_t token) const { return get_geom() ? get_geom()->find_bone(token) : -1; }

int32_t model_inst_u::find_bone_by_name(const char *name) const {
    return get_geom() ? get_geom()->find_bone(name) : -1;
}

void model_inst_u::mark_pose_dirty() {
    m_flags |= MODEL_INST_BONES_DIRTY;
    invalidate_skinning();
}

void model_inst_u::invalidate_skinning() {
    for (uint32_t &f : m_part_flags) f |= MODEL_PART_SKIN_DIRTY;
}

bool model_inst_u::get_bone_matrix(uint32_t bone, mat4_t *out) {
    V_ASSERT(bone < m_bone_count);
    if (is_static()) {
        *out = get_geom()->get_bones()[bone].bind;
        return true;
    }
    if (m_flags & MODEL_INST_BONES_DIRTY) build_bone_matrices();
    *out = m_pose_matrices[bone];
    return true;
}

bool model_inst_u::get_bone_matrix_inverse(uint32_t bone, mat4_t *out) {
    mat4_t m;
    get_bone_matrix(bone, &m);
    if (!fptr_matrix_get_inverse(out, &m)) *out = mat4_t::identity();
    return true;
}

const mat4_t *model_inst_u::get_skin_matrices() {
    if (is_static() || !is_loaded()) return nullptr;
    if (m_flags & MODEL_INST_BONES_DIRTY) build_bone_matrices();
    return m_skin_matrices.get_data();
}

void model_inst_u::update_bones() {
    if (is_static() || !is_loaded()) return;
    if (m_flags & MODEL_INST_BONES_DIRTY) build_bone_matrices();
    for (uint32_t part = 0; part < m_part_flags.get_count(); ++part) {
        const uint32_t f = m_part_flags[part];
        if ((f & MODEL_PART_VISIBLE) && (f & MODEL_PART_SKIN_DIRTY)) skin_part(part);
    }
}

namespace {

// One bone's pose while channels are blended.
struct pose_t {
    quat_t stretch;
    quat_t rotation;
    vec3_t translation;
    vec3_t scale;
};

pose_t rest_pose(const model_bone_t &b) { return {b.stretch, b.rotation, b.translation, b.scale}; }

pose_t key_pose(const float *k) {
    return {{k[0], k[1], k[2], k[3]}, {k[4], k[5], k[6], k[7]}, {k[8], k[9], k[10]}, {k[11], k[12], k[13]}};
}

vec3_t lerp(const vec3_t &a, const vec3_t &b, float t) { return a + (b - a) * t; }

// a towards b by t: quaternions by the short way, translation and scale linearly.
pose_t blend(const pose_t &a, const pose_t &b, float t) {
    pose_t r;
    r.stretch.slerp_generic(a.stretch, b.stretch, t);
    r.rotation.slerp_generic(a.rotation, b.rotation, t);
    r.translation = lerp(a.translation, b.translation, t);
    r.scale = lerp(a.scale, b.scale, t);
    return r;
}

// The scale along the stretch axes, then the rotation, then the translation; the
// same order as the bind matrices were made in.
void local_matrix(mat4_t *m, const pose_t &p, float scale_sign) {
    mat4_t axes, axes_inv, s, r, t;
    p.stretch.get_matrix_pair(&axes, &axes_inv);
    fptr_matrix_set_scale(&s, p.scale * scale_sign);
    p.rotation.get_matrix(&r);
    fptr_matrix_set_translate(&t, p.translation);
    mult_matrix_matrix(m, axes_inv, s);
    mult_matrix_matrix(m, *m, axes);
    mult_matrix_matrix(m, *m, r);
    mult_matrix_matrix(m, *m, t);
}

}  // namespace

void model_inst_u::build_bone_matrices() {
    const model_bone_t *bones = get_geom()->get_bones();
    const uint32_t n = m_bone_count;
    pose_t pose[256];
    for (uint32_t b = 0; b < n; ++b) pose[b] = rest_pose(bones[b]);

    for (uint32_t a = 0; a < m_active.get_count(); ++a) {
        const model_anim_channel_t &c = m_channels[m_active[a]];
        const model_anim_u *anim = c.animation;
        const uint32_t frames = anim->get_frame_count();
        const uint32_t tracks = anim->get_track_count();
        const float *keys = anim->get_keys();
        const uint8_t *map = anim->get_track_map();
        if (!keys || !map || frames == 0) continue;
        const uint32_t k = c.frame < frames ? c.frame : frames - 1;
        const uint32_t next = k + 1 >= frames ? 1 : k + 1;
        const float t = c.time_in_frame / anim->get_durations()[k];
        for (uint32_t track = 0; track < tracks; ++track) {
            const uint32_t b = map[track];
            pose_t sample = key_pose(keys + (size_t(k) * tracks + track) * MODEL_KEY_FLOATS);
            if (frames >= 2) sample = blend(sample, key_pose(keys + (size_t(next) * tracks + track) * MODEL_KEY_FLOATS), t);
            if (c.strength != 1.0f) sample = blend(rest_pose(bones[b]), sample, c.strength);
            pose[b] = blend(pose[b], sample, c.weight);
        }
    }

    for (uint32_t b = 0; b < n; ++b) {
        mat4_t &m = m_pose_matrices[b];
        local_matrix(&m, pose[b], bones[b].scale_sign);
        if (bones[b].parent != 255) mult_matrix_matrix(&m, m, m_pose_matrices[bones[b].parent]);
        mult_matrix_matrix(&m_skin_matrices[b], bones[b].bind_inverse, m);
    }
    m_flags &= ~MODEL_INST_BONES_DIRTY;
    if (bone_build_hook) bone_build_hook(this);
}

void model_inst_u::skin_part(uint32_t part) {
    if (m_flags & MODEL_INST_BONES_DIRTY) build_bone_matrices();
    const model_geom_view_t &g = get_geom()->view();
    const uint32_t first = g.get_part_first_piece(part);
    const uint32_t count = g.get_part_piece_count(part);
    for (uint32_t i = first; i < first + count; ++i) {
        const model_piece_t &piece = get_piece(i);
        render_piece_t &r = m_render[i];
        const uint32_t n = piece.vertex_count;
        const uint32_t size = g.get_skin_group_size(i);
        if (size == 0) {
            // A piece without skin data follows no bone: its rest vertices as they are.
            memcpy(static_cast<void *>(r.positions.get_data()), piece.positions, size_t(n) * sizeof(vec3_t));
            memcpy(static_cast<void *>(r.normals.get_data()), piece.normals, size_t(n) * sizeof(vec3_t));
            if (piece.tangents) memcpy(static_cast<void *>(r.tangents.get_data()), piece.tangents, size_t(n) * sizeof(vec4_t));
            continue;
        }
        const uint16_t *groups = g.get_skin_groups(i);
        const uint8_t *bones = g.get_skin_bones(i);
        const uint8_t *weights = g.get_skin_weights(i);
        for (uint32_t v = 0; v < n;) {
            // One blended matrix for a run of vertices of the same group.
            const uint32_t group = groups[v];
            uint32_t end = v + 1;
            while (end < n && groups[end] == group) ++end;
            mat4_t blend{};
            const size_t base = size_t(group) * size;
            for (uint32_t k = 0; k < size && weights[base + k] != 0; ++k)
                matrix_scaled_add(&blend, m_skin_matrices[bones[base + k]], float(weights[base + k]) / 255.0f);
            const uint32_t run = end - v;
            fptr_mult_point_matrix_fast(&r.positions[v], piece.positions + v, blend, run, sizeof(vec3_t),
                                        sizeof(vec3_t));
            fptr_mult_normal_matrix_fast(&r.normals[v], piece.normals + v, blend, run, sizeof(vec3_t),
                                         sizeof(vec3_t));
            if (piece.tangents) {
                // x, y and z turn like a normal; w (the handedness) is copied.
                fptr_mult_normal_matrix_fast(reinterpret_cast<vec3_t *>(&r.tangents[v]),
                                             reinterpret_cast<const vec3_t *>(piece.tangents + v), blend, run,
                                             sizeof(vec4_t), sizeof(vec4_t));
                for (uint32_t t = v; t < end; ++t) r.tangents[t].w = piece.tangents[t].w;
            }
            v = end;
        }
    }
    m_part_flags[part] &= ~MODEL_PART_SKIN_DIRTY;
}

// ---- segment tests ----

bool model_inst_u::nearest_in_piece(const vec3_t &start, const vec3_t &end, uint32_t piece, candidate_t &best) {
    const model_piece_t &p = get_piece(piece);
    const vec3_t *positions = get_positions(piece);
    const float length2 = length_squared(end - start);
    bool found = false;
    for (uint32_t i = 0; i + 2 < p.index_count; i += 3) {
        const vec3_t &a = positions[p.indices[i]];
        const vec3_t &b = positions[p.indices[i + 1]];
        const vec3_t &c = positions[p.indices[i + 2]];
        vec3_t at;
        if (!compute_triangle_intersection(a, b, c, start, end, &at)) continue;
        // The line's hit counts only between the segment's ends.
        const float from_start = length_squared(at - start);
        if (from_start > length2 || length_squared(at - end) > length2) continue;
        // A later triangle takes an equal distance over.
        if (from_start <= best.distance2) {
            best.distance2 = from_start;
            best.piece = piece;
            best.triangle = i / 3;
            best.point = at;
            best.corners[0] = a, best.corners[1] = b, best.corners[2] = c;
            found = true;
        }
    }
    return found;
}

void model_inst_u::record_hit(const candidate_t &best, model_hit_t &hit) const {
    const float distance = sqrtf(best.distance2);
    if (!(distance < hit.distance)) return;
    hit.part = int32_t(get_piece(best.piece).part);
    hit.piece = int32_t(best.piece);
    hit.triangle = int32_t(best.triangle);
    hit.point = best.point;
    hit.plane = {};
    points_compute_equation(best.corners[0], best.corners[1], best.corners[2], &hit.plane, 0.00001f);
    hit.distance = distance;
}

void model_inst_u::prepare_part_for_test(uint32_t part) {
    if (!is_static() && (m_part_flags[part] & MODEL_PART_SKIN_DIRTY)) skin_part(part);
}

bool model_inst_u::intersect_piece(const vec3_t &start, const vec3_t &end, uint32_t piece, model_hit_t &hit) {
    if (!is_loaded()) return false;
    prepare_part_for_test(get_piece(piece).part);
    candidate_t best;
    if (!nearest_in_piece(start, end, piece, best)) return false;
    record_hit(best, hit);
    return true;
}

bool model_inst_u::intersect_segment(const vec3_t &start, const vec3_t &end, model_hit_t &hit) {
    hit.reset();
    if (!is_loaded()) return false;
    const model_geom_view_t &g = get_geom()->view();
    bool any = false;
    for (uint32_t part = 0; part < get_part_count(); ++part) {
        prepare_part_for_test(part);
        // The part's nearest triangle over all its pieces, then against the others'.
        candidate_t best;
        bool found = false;
        const uint32_t first = g.get_part_first_piece(part);
        for (uint32_t i = first; i < first + g.get_part_piece_count(part); ++i)
            found = nearest_in_piece(start, end, i, best) || found;
        if (!found) continue;
        record_hit(best, hit);
        any = true;
    }
    return any;
}

}  // namespace quarn
