#include "zm_description.h"

#include <bit>
#include <cstring>
#include <set>

#include "qrncore/math/matrix.h"
#include "qrncore/math/matrix_table.h"
#include "qrncore/qrnutils/ufs/file.h"
#include "qrncore/strings/name_token.h"
#include "qrncore/system/messages.h"
#include "zm_builder.h"
#include "zm_writer.h"

namespace zmgen {

namespace zm = quarn::zm;

namespace {

// Indices are 16-bit.
constexpr uint32_t MAX_VERTICES = 65535;

}  // namespace

// ---- entry points ----

bool zm_build_model(const quarn::def_pool_t &pool, const char *name, zm_model_t &out) {
    out = zm_model_t();
    zm_builder_t builder(name ? name : "description", out);
    return builder.build(pool);
}

bool zm_read_description(const char *path, zm_model_t &out) {
    quarn::def_pool_t pool;
    if (!pool.read_from(path, quarn::FS_REALM_SYSTEM)) return false;
    return zm_build_model(pool, path, out);
}

bool zm_read_description_text(const std::string &text, const char *name, zm_model_t &out) {
    quarn::def_pool_t pool;
    if (!pool.read_text(text.data(), text.size(), name)) return false;
    return zm_build_model(pool, name, out);
}

// ---- the model ----

bool zm_builder_t::build(const quarn::def_pool_t &pool) {
    const def_obj_t *model = nullptr;
    for (const def_obj_t *o = pool.get_first_object(); o; o = o->get_next()) {
        if (strcmp(o->get_name(), "model") != 0) return r.fail(o, nullptr, "unknown block '%s'", o->get_name());
        model = o;
    }
    if (!model) {
        quarn::error("[zmgen] The description has no \"def model\" block.");
        return false;
    }
    return read_model(model);
}

bool zm_builder_t::read_model(const def_obj_t *model) {
    if (!r.check(model, {"scale", "tangents", "further", "materials"},
                 {"bones", "parts", "attributes", "looks", "variants", "collision", "animations"}))
        return false;
    if (!r.real(model, "scale", m_scale)) return false;
    if (!(m_scale > 0.0f)) return r.fail(model, "scale", "'scale' must be above 0");
    if (!r.boolean(model, "tangents", m_tangents) || !r.boolean(model, "further", m_further)) return false;
    r.words(model, "materials", m_slots);
    for (size_t i = 0; i < m_slots.size(); ++i)
        for (size_t j = 0; j < i; ++j)
            if (m_slots[i] == m_slots[j])
                return r.fail(model, "materials", "material slot '%s' is named twice", m_slots[i].c_str());
    m_out.descriptor.material_count = uint32_t(m_slots.size());

    if (const def_obj_t *bones = model->find("bones"); bones && !read_bones(bones)) return false;
    m_bind = zm_bind_matrices(m_out.geometry.bones);
    if (const def_obj_t *parts = model->find("parts"); parts && !read_parts(parts)) return false;
    if (!read_looks(model->find("looks"))) return false;
    if (!read_attributes(model->find("attributes"), model->find("variants"))) return false;
    if (const def_obj_t *c = model->find("collision"); c && !read_collision(c)) return false;
    if (const def_obj_t *a = model->find("animations"); a && !read_animations(a)) return false;
    return true;
}

bool zm_builder_t::token_name(const def_obj_t *o, const char *what) {
    if (quarn::is_valid_token(o->get_name())) return true;
    return r.fail(o, nullptr, "the %s name '%s' makes no name token (up to 12 of a-z, 0-9 and _)", what, o->get_name());
}

int zm_builder_t::bone_index(const def_obj_t *o, const char *key, const std::string &name) {
    const auto it = m_bones.find(name);
    if (it != m_bones.end()) return it->second;
    r.fail(o, key, "'%s' is not a bone of the model", name.c_str());
    return -1;
}

int zm_builder_t::slot_index(const std::string &name) const {
    for (size_t i = 0; i < m_slots.size(); ++i)
        if (m_slots[i] == name) return int(i);
    return -1;
}

// ---- bones ----

bool zm_builder_t::read_bones(const def_obj_t *bones) {
    if (!r.check(bones, {}, {}, true)) return false;
    std::set<uint64_t> tokens;
    for (const def_obj_t *b = bones->get_first_child(); b; b = b->get_next()) {
        if (!r.check(b, {"parent", "translation", "rotation", "ypr", "stretch", "scale", "scale_sign"})) return false;
        if (!token_name(b, "bone")) return false;
        uint64_t token = 0;
        quarn::string_to_token(token, b->get_name());
        if (!tokens.insert(token).second) return r.fail(b, nullptr, "bone '%s' is named twice", b->get_name());
        if (m_out.geometry.bones.size() == zm::MAX_BONES)
            return r.fail(b, nullptr, "a model has at most %u bones", zm::MAX_BONES);
        zm_bone_t bone;
        bone.name = b->get_name();
        if (const char *parent = r.text(b, "parent")) {
            const auto it = m_bones.find(parent);
            if (it == m_bones.end())
                return r.fail(b, "parent", "the parent '%s' is not a bone given before '%s'", parent, b->get_name());
            bone.parent = uint8_t(it->second);
        }
        if (!r.vec3(b, "translation", bone.translation) || !r.rotation(b, "rotation", "ypr", bone.rotation) ||
            !r.rotation(b, "stretch", "stretch", bone.stretch) || !r.vec3(b, "scale", bone.scale) ||
            !r.real(b, "scale_sign", bone.scale_sign))
            return false;
        if (bone.scale_sign != 1.0f && bone.scale_sign != -1.0f)
            return r.fail(b, "scale_sign", "'scale_sign' must be 1 or -1");
        bone.translation *= m_scale;
        m_bones[bone.name] = int(m_out.geometry.bones.size());
        m_out.geometry.bones.push_back(bone);
    }
    return true;
}

// ---- parts, pieces and shapes ----

bool zm_builder_t::read_parts(const def_obj_t *parts) {
    if (!r.check(parts, {}, {}, true)) return false;
    std::set<uint64_t> tokens;
    for (const def_obj_t *p = parts->get_first_child(); p; p = p->get_next()) {
        if (!r.check(p, {"bone", "weights", "color", "further"}, {}, true)) return false;
        if (!token_name(p, "part")) return false;
        uint64_t token = 0;
        quarn::string_to_token(token, p->get_name());
        if (!tokens.insert(token).second) return r.fail(p, nullptr, "part '%s' is named twice", p->get_name());
        zm_part_t part;
        part.name = p->get_name();
        part.first_piece = uint32_t(m_out.geometry.pieces.size());
        for (const def_obj_t *piece = p->get_first_child(); piece; piece = piece->get_next())
            if (!read_piece(p, piece)) return false;
        part.piece_count = uint32_t(m_out.geometry.pieces.size()) - part.first_piece;
        m_out.geometry.parts.push_back(part);
        m_parts.push_back(part.name);
    }
    return true;
}

bool zm_builder_t::read_piece(const def_obj_t *part, const def_obj_t *piece) {
    if (!r.check(piece, {"material", "bone", "weights", "color", "further"}, {}, true)) return false;
    zm_piece_t out;
    out.tangents = m_tangents;
    out.further = m_further;
    if (m_slots.empty()) return r.fail(piece, nullptr, "the model names no material slots ('materials')");
    if (const char *slot = r.text(piece, "material")) {
        const int index = slot_index(slot);
        if (index < 0) return r.fail(piece, "material", "'%s' is not one of the material slots", slot);
        out.material = uint32_t(index);
    } else if (m_slots.size() > 1) {
        return r.fail(piece, nullptr, "piece '%s' needs a 'material' (one of the slots)", piece->get_name());
    }
    for (const def_obj_t *shape = piece->get_first_child(); shape; shape = shape->get_next())
        if (!read_shape(part, piece, shape, out)) return false;
    if (out.vertices.size() > MAX_VERTICES)
        return r.fail(piece, nullptr, "piece '%s' has %zu vertices, more than %u", piece->get_name(),
                      out.vertices.size(), MAX_VERTICES);
    if (out.tangents) zm_compute_tangents(out);
    if (!m_out.geometry.bones.empty()) zm_sort_by_skin_group(out);
    m_out.geometry.pieces.push_back(std::move(out));
    return true;
}

bool zm_builder_t::placement(const def_obj_t *o, quarn::mat4_t &out) {
    vec3_t position;
    quat_t rotation;
    if (!r.vec3(o, "position", position) || !r.rotation(o, "rotation", "ypr", rotation)) return false;
    quarn::mat4_t rot, move;
    rotation.get_matrix(&rot);
    quarn::fptr_matrix_set_translate(&move, position * m_scale);
    quarn::mult_matrix_matrix(&out, rot, move);
    if (const char *space = r.text(o, "space")) {
        const int bone = bone_index(o, "space", space);
        if (bone < 0) return false;
        quarn::mult_matrix_matrix(&out, out, m_bind[size_t(bone)]);
    }
    return true;
}

bool zm_builder_t::parse_weights(const def_obj_t *o, const char *key, const std::string &text,
                                 std::vector<zm_influence_t> &out) {
    const std::vector<std::string> words = zm_split(text, true);
    if (words.empty() || words.size() % 2)
        return r.fail(o, key, "'%s' needs pairs of a bone and a weight, not \"%s\"", key, text.c_str());
    out.clear();
    for (size_t i = 0; i < words.size(); i += 2) {
        const int bone = bone_index(o, key, words[i]);
        if (bone < 0) return false;
        float w;
        if (!zm_parse_float(words[i + 1], w)) return r.fail(o, key, "'%s' is not a weight", words[i + 1].c_str());
        const uint8_t byte = zm_weight_byte(w);
        // A zero weight would end the skin group before the influences after it.
        if (byte == 0) return r.fail(o, key, "the weight of bone '%s' is 0 (weights are in 1/255)", words[i].c_str());
        out.push_back({uint8_t(bone), byte});
    }
    return true;
}

bool zm_builder_t::influences(std::initializer_list<const def_obj_t *> chain, std::vector<zm_influence_t> &out) {
    const bool skinned = !m_out.geometry.bones.empty();
    for (const def_obj_t *o : chain) {
        const char *bone = r.text(o, "bone"), *weights = r.text(o, "weights");
        if (!bone && !weights) continue;
        if (!skinned) return r.fail(o, bone ? "bone" : "weights", "the model has no bones to bind to");
        if (bone && weights) return r.fail(o, "weights", "'bone' and 'weights' both bind '%s'", o->get_name());
        if (weights) return parse_weights(o, "weights", weights, out);
        const int index = bone_index(o, "bone", bone);
        if (index < 0) return false;
        out = {{uint8_t(index), 255}};
        return true;
    }
    out.clear();
    if (skinned) out.push_back({0, 255});
    return true;
}

bool zm_builder_t::read_shape(const def_obj_t *part, const def_obj_t *piece, const def_obj_t *shape, zm_piece_t &out) {
    const char *kind = r.text(shape, "shape");
    if (!kind) return r.fail(shape, nullptr, "shape '%s' needs a 'shape' kind", shape->get_name());
    const std::string k = kind;
    bool ok;
    auto keys = [&](std::initializer_list<const char *> own) {
        std::vector<const char *> all = {"shape", "position", "rotation", "ypr",     "space", "bone",
                                         "weights", "color",  "further",  "inside",  "uv"};
        all.insert(all.end(), own);
        for (const quarn::def_value_t *v = shape->get_first_value(); v; v = v->get_next()) {
            bool known = false;
            for (const char *a : all) known = known || strcmp(a, v->get_key()) == 0;
            if (!known) return r.fail(shape, v->get_key(), "unknown key '%s' for a %s", v->get_key(), kind);
        }
        if (shape->get_first_child()) return r.fail(shape->get_first_child(), nullptr, "a shape holds no blocks");
        return true;
    };
    if (k == "box")
        ok = keys({"size"});
    else if (k == "sphere")
        ok = keys({"radius", "segments", "rings"});
    else if (k == "capsule")
        ok = keys({"radius", "length", "segments", "rings"});
    else if (k == "cylinder")
        ok = keys({"radius", "top", "length", "segments"});
    else if (k == "quad")
        ok = keys({"size"});
    else if (k == "vertices")
        ok = keys({"positions", "normals", "uvs", "colors", "further_colors", "triangles", "vertex_weights"});
    else
        return r.fail(shape, "shape", "unknown shape '%s' (box, sphere, capsule, cylinder, quad or vertices)", kind);
    if (!ok) return false;

    zm_shape_t s;
    if (!placement(shape, s.frame) || !influences({shape, piece, part}, s.base.influences) ||
        !r.boolean(shape, "inside", s.inside))
        return false;
    for (const def_obj_t *o : {part, piece, shape})
        if (!r.color(o, "color", s.base.color) || !r.color(o, "further", s.base.further)) return false;

    auto need = [&](const char *key) {
        return r.has(shape, key) || r.fail(shape, nullptr, "a %s needs '%s'", kind, key);
    };
    auto positive = [&](const char *key, float &out) {
        if (!need(key) || !r.real(shape, key, out)) return false;
        out *= m_scale;
        return out > 0.0f || r.fail(shape, key, "'%s' must be above 0", key);
    };
    // The texture rectangle "u0 v0 u1 v1" the shape's own coordinates (0..1) map into.
    float uv[4] = {0, 0, 1, 1};
    if (!r.reals(shape, "uv", uv, 4)) return false;
    const size_t first = out.vertices.size();
    uint32_t segments = 12, rings = k == "sphere" ? 8 : 4;
    if (!r.count(shape, "segments", segments, 3, 256) || !r.count(shape, "rings", rings, k == "sphere" ? 2 : 1, 128))
        return false;
    float radius = 0.0f, length = 0.0f;
    if (k == "box") {
        vec3_t size;
        if (!need("size") || !r.vec3(shape, "size", size)) return false;
        zm_add_box(out, s, size * m_scale);
    } else if (k == "sphere") {
        if (!positive("radius", radius)) return false;
        zm_add_sphere(out, s, radius, segments, rings);
    } else if (k == "capsule") {
        if (!positive("radius", radius) || !need("length") || !r.real(shape, "length", length)) return false;
        zm_add_capsule(out, s, radius, length * m_scale, segments, rings);
    } else if (k == "cylinder") {
        if (!positive("radius", radius) || !positive("length", length)) return false;
        // The radius at the high end: the same by default, 0 for a cone.
        float top = radius / m_scale;
        if (!r.real(shape, "top", top)) return false;
        if (!(top >= 0.0f)) return r.fail(shape, "top", "'top' must not be below 0");
        zm_add_frustum(out, s, radius, top * m_scale, length, segments);
    } else if (k == "quad") {
        vec2_t size;
        if (!need("size") || !r.vec2(shape, "size", size)) return false;
        zm_add_quad(out, s, size * m_scale);
    } else if (!read_vertex_list(shape, s, out)) {
        return false;
    }
    for (size_t i = first; i < out.vertices.size(); ++i) {
        vec2_t &t = out.vertices[i].uv;
        t = {uv[0] + (uv[2] - uv[0]) * t.x, uv[1] + (uv[3] - uv[1]) * t.y};
    }
    return true;
}

bool zm_builder_t::read_vertex_list(const def_obj_t *shape, const zm_shape_t &placed, zm_piece_t &out) {
    std::vector<float> positions, normals, uvs;
    if (!r.has(shape, "positions")) return r.fail(shape, nullptr, "a vertex list needs 'positions'");
    if (!r.numbers(shape, "positions", positions, 3) || !r.numbers(shape, "normals", normals, 3) ||
        !r.numbers(shape, "uvs", uvs, 2))
        return false;
    const size_t n = positions.size() / 3;
    if (!normals.empty() && normals.size() != 3 * n)
        return r.fail(shape, "normals", "%zu normals for %zu vertices", normals.size() / 3, n);
    if (!uvs.empty() && uvs.size() != 2 * n) return r.fail(shape, "uvs", "%zu uvs for %zu vertices", uvs.size() / 2, n);

    auto colors = [&](const char *key, std::vector<uint32_t> &list) {
        std::vector<std::string> words;
        r.words(shape, key, words);
        if (words.empty()) return true;
        if (words.size() != n) return r.fail(shape, key, "%zu colours for %zu vertices", words.size(), n);
        for (const std::string &w : words) {
            uint32_t c;
            if (!zm_parse_uint(w, c, 16)) return r.fail(shape, key, "'%s' is not a colour (AARRGGBB)", w.c_str());
            list.push_back(c);
        }
        return true;
    };
    std::vector<uint32_t> color_list, further_list;
    if (!colors("colors", color_list) || !colors("further_colors", further_list)) return false;

    std::vector<std::vector<zm_influence_t>> weights;
    if (const char *text = r.text(shape, "vertex_weights")) {
        if (m_out.geometry.bones.empty()) return r.fail(shape, "vertex_weights", "the model has no bones to bind to");
        std::string t = text;
        for (size_t start = 0;;) {
            const size_t bar = t.find('|', start);
            weights.emplace_back();
            if (!parse_weights(shape, "vertex_weights", t.substr(start, bar - start), weights.back())) return false;
            if (bar == std::string::npos) break;
            start = bar + 1;
        }
        if (weights.size() != n)
            return r.fail(shape, "vertex_weights", "%zu weight lists for %zu vertices", weights.size(), n);
    }

    std::vector<std::string> triangle_words;
    r.words(shape, "triangles", triangle_words);
    if (triangle_words.empty() || triangle_words.size() % 3)
        return r.fail(shape, "triangles", "a vertex list needs 'triangles', three vertex numbers each");
    const size_t first = out.vertices.size(), first_index = out.indices.size();
    if (first + n > MAX_VERTICES)
        return r.fail(shape, "positions", "the piece has more than %u vertices", MAX_VERTICES);
    std::vector<uint16_t> tri;
    for (const std::string &w : triangle_words) {
        uint32_t i;
        if (!zm_parse_uint(w, i) || i >= n)
            return r.fail(shape, "triangles", "'%s' is not a vertex number below %zu", w.c_str(), n);
        tri.push_back(uint16_t(first + i));
    }

    for (size_t i = 0; i < n; ++i) {
        zm_vertex_t v = placed.base;
        const vec3_t p = vec3_t{positions[3 * i], positions[3 * i + 1], positions[3 * i + 2]} * m_scale;
        quarn::fptr_mult_point_matrix_fast(&v.position, &p, placed.frame, 1, 12, 12);
        if (!normals.empty()) {
            const vec3_t nm{normals[3 * i], normals[3 * i + 1], normals[3 * i + 2]};
            quarn::fptr_mult_normal_matrix_fast(&v.normal, &nm, placed.frame, 1, 12, 12);
            quarn::normalize(v.normal);
            if (placed.inside) v.normal = -v.normal;
        }
        if (!uvs.empty()) v.uv = {uvs[2 * i], uvs[2 * i + 1]};
        if (!color_list.empty()) v.color = color_list[i];
        if (!further_list.empty()) v.further = further_list[i];
        if (!weights.empty()) v.influences = weights[i];
        out.vertices.push_back(std::move(v));
    }
    for (size_t i = 0; i < tri.size(); i += 3) {
        out.indices.push_back(tri[i]);
        out.indices.push_back(tri[placed.inside ? i + 2 : i + 1]);
        out.indices.push_back(tri[placed.inside ? i + 1 : i + 2]);
    }
    if (normals.empty()) zm_compute_normals(out, first, first_index);
    return true;
}

// ---- looks ----

bool zm_builder_t::read_looks(const def_obj_t *looks) {
    if (!looks) {
        if (!m_slots.empty()) {
            quarn::error("[zmgen] The model has material slots but no \"looks\" block to give their paths.");
            return false;
        }
        m_out.descriptor.looks.push_back({"default", {}});
        return true;
    }
    if (!r.check(looks, {}, {}, true)) return false;
    std::set<uint64_t> tokens;
    for (const def_obj_t *l = looks->get_first_child(); l; l = l->get_next()) {
        if (!token_name(l, "look")) return false;
        uint64_t token = 0;
        quarn::string_to_token(token, l->get_name());
        if (!tokens.insert(token).second) return r.fail(l, nullptr, "look '%s' is named twice", l->get_name());
        if (l->get_first_child()) return r.fail(l->get_first_child(), nullptr, "a look holds no blocks");
        for (const quarn::def_value_t *v = l->get_first_value(); v; v = v->get_next())
            if (slot_index(v->get_key()) < 0)
                return r.fail(l, v->get_key(), "'%s' is not one of the material slots", v->get_key());
        zm_look_t look;
        look.name = l->get_name();
        for (const std::string &slot : m_slots) {
            const char *path = r.text(l, slot.c_str());
            if (!path) return r.fail(l, nullptr, "look '%s' gives no path for slot '%s'", l->get_name(), slot.c_str());
            look.materials.push_back(path);
        }
        m_out.descriptor.looks.push_back(look);
    }
    if (m_out.descriptor.looks.empty()) return r.fail(looks, nullptr, "the model has no looks");
    return true;
}

// ---- attributes and variants ----

bool zm_builder_t::read_attributes(const def_obj_t *attributes, const def_obj_t *variants) {
    zm_descriptor_t &d = m_out.descriptor;
    if (variants) {
        if (!r.check(variants, {}, {}, true)) return false;
        std::set<uint64_t> tokens;
        for (const def_obj_t *v = variants->get_first_child(); v; v = v->get_next()) {
            if (!token_name(v, "variant")) return false;
            uint64_t token = 0;
            quarn::string_to_token(token, v->get_name());
            if (!tokens.insert(token).second) return r.fail(v, nullptr, "variant '%s' is named twice", v->get_name());
            d.variants.push_back(v->get_name());
        }
        if (d.variants.empty()) return r.fail(variants, nullptr, "the model has no variants");
    } else {
        d.variants.push_back("default");
    }
    d.parts.assign(m_parts.size(), {});

    // Reads a value of an attribute's type into its 32 bits.
    auto value = [&](const def_obj_t *o, const char *key, uint32_t type, const std::string &text, uint32_t &out) {
        if (type == zm::ATTR_REAL) {
            float f;
            if (!zm_parse_float(text, f)) return r.fail(o, key, "'%s' is not a real number", text.c_str());
            out = std::bit_cast<uint32_t>(f);
            return true;
        }
        if (!text.empty() && text[0] == '-') {
            uint32_t magnitude;
            if (!zm_parse_uint(text.substr(1), magnitude))
                return r.fail(o, key, "'%s' is not an integer", text.c_str());
            out = uint32_t(0) - magnitude;
            return true;
        }
        const bool hex = text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X');
        return zm_parse_uint(text, out, hex ? 16 : 10) || r.fail(o, key, "'%s' is not an integer", text.c_str());
    };

    if (attributes) {
        if (!r.check(attributes, {}, {}, true)) return false;
        for (const def_obj_t *p = attributes->get_first_child(); p; p = p->get_next()) {
            int part = -1;
            for (size_t i = 0; i < m_parts.size(); ++i)
                if (m_parts[i] == p->get_name()) part = int(i);
            if (part < 0) return r.fail(p, nullptr, "'%s' is not a part of the model", p->get_name());
            if (p->get_first_child()) return r.fail(p->get_first_child(), nullptr, "an attribute list holds no blocks");
            for (const quarn::def_value_t *v = p->get_first_value(); v; v = v->get_next()) {
                const char *key = v->get_key();
                if (!quarn::is_valid_token(key)) return r.fail(p, key, "the attribute name '%s' makes no token", key);
                const std::string text = v->get_text();
                const size_t blank = text.find_first_of(" \t");
                const std::string type = text.substr(0, blank);
                std::string rest = blank == std::string::npos ? "" : text.substr(text.find_first_not_of(" \t", blank));
                zm_attribute_t a;
                a.name = key;
                if (type == "int")
                    a.type = zm::ATTR_INT;
                else if (type == "real")
                    a.type = zm::ATTR_REAL;
                else if (type == "string")
                    a.type = zm::ATTR_STRING;
                else if (!zm_parse_uint(type, a.type))
                    return r.fail(p, key, "'%s' is no attribute type (int, real, string or a number)", type.c_str());
                if (a.type == zm::ATTR_STRING) {
                    a.text = rest;
                } else {
                    uint32_t initial = 0;
                    if (!rest.empty() && !value(p, key, a.type, rest, initial)) return false;
                    a.values.assign(d.variants.size(), initial);
                }
                d.parts[size_t(part)].push_back(a);
            }
        }
    }

    // Per-variant values: a block per part, a key per attribute.
    if (variants) {
        size_t index = 0;
        for (const def_obj_t *v = variants->get_first_child(); v; v = v->get_next(), ++index) {
            if (v->get_first_value())
                return r.fail(v, v->get_first_value()->get_key(), "a variant holds part blocks only");
            for (const def_obj_t *p = v->get_first_child(); p; p = p->get_next()) {
                int part = -1;
                for (size_t i = 0; i < m_parts.size(); ++i)
                    if (m_parts[i] == p->get_name()) part = int(i);
                if (part < 0) return r.fail(p, nullptr, "'%s' is not a part of the model", p->get_name());
                for (const quarn::def_value_t *kv = p->get_first_value(); kv; kv = kv->get_next()) {
                    zm_attribute_t *a = nullptr;
                    for (zm_attribute_t &x : d.parts[size_t(part)])
                        if (x.name == kv->get_key()) a = &x;
                    if (!a)
                        return r.fail(p, kv->get_key(), "part '%s' declares no attribute '%s'", p->get_name(),
                                      kv->get_key());
                    if (a->type == zm::ATTR_STRING)
                        return r.fail(p, kv->get_key(), "string attributes are the same for every variant");
                    if (!value(p, kv->get_key(), a->type, kv->get_text(), a->values[index])) return false;
                }
            }
        }
    }
    return true;
}

}  // namespace zmgen
