#pragma once
// Fixtures of the model file tests: images in allocations of exactly their size (so
// the sanitizers see a read past the end), opening them with the views, and small
// models made in code with the writer library.
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "zm_model.h"
#include "zm_writer.h"

namespace quarn::test {

// A copy of bytes in its own heap block of exactly their size.
class exact_image_t {
public:
    explicit exact_image_t(const std::vector<uint8_t> &bytes)
        : m_size(bytes.size()), m_data(new uint8_t[bytes.size() ? bytes.size() : 1]) {
        if (!bytes.empty()) memcpy(m_data.get(), bytes.data(), bytes.size());
    }
    const uint8_t *data() const { return m_data.get(); }
    size_t size() const { return m_size; }

private:
    size_t m_size;
    std::unique_ptr<uint8_t[]> m_data;
};

// Opens a view over an exact copy, which it keeps alive as long as the holder.
template <class V>
struct opened_t {
    explicit opened_t(const std::vector<uint8_t> &bytes, const char *path = "/model/test/fixture") : image(bytes) {
        ok = view.open(image.data(), image.size(), path);
    }
    exact_image_t image;
    V view;
    bool ok = false;
};

// A rotation-free bone at a translation.
inline zmgen::zm_bone_t fixture_bone(const char *name, uint8_t parent, const vec3_t &translation) {
    zmgen::zm_bone_t b;
    b.name = name;
    b.parent = parent;
    b.translation = translation;
    return b;
}

// A triangle of three vertices bound to bones: each vertex gets one influence list.
inline zmgen::zm_piece_t fixture_triangle(uint32_t material, std::vector<std::vector<zmgen::zm_influence_t>> skin) {
    zmgen::zm_piece_t p;
    p.material = material;
    const vec3_t corners[3] = {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}};
    for (int i = 0; i < 3; ++i) {
        zmgen::zm_vertex_t v;
        v.position = corners[i];
        v.normal = {0, 0, 1};
        v.uv = {corners[i].x, corners[i].y};
        v.color = 0xFF000000u | uint32_t(i);
        if (size_t(i) < skin.size()) v.influences = skin[size_t(i)];
        p.vertices.push_back(v);
        p.indices.push_back(uint16_t(i));
    }
    return p;
}

// Two bones ("root", "tip"), one part "body" of two skinned triangle pieces, with
// tangents and the further stream.
inline zmgen::zm_geometry_t fixture_geometry() {
    zmgen::zm_geometry_t g;
    g.bones = {fixture_bone("root", 255, {0, 1, 0}), fixture_bone("tip", 0, {0, 0, -1})};
    g.pieces.push_back(fixture_triangle(0, {{{0, 255}}, {{0, 128}, {1, 127}}, {{1, 255}}}));
    g.pieces.push_back(fixture_triangle(1, {{{1, 255}}, {{1, 255}}, {{0, 255}}}));
    for (auto &p : g.pieces) p.tangents = p.further = true;
    g.parts = {{"body", 0, 2}};
    return g;
}

// One part with an int, a real and a string attribute; two looks of two slots (one
// path relative, one absolute); two variants.
inline zmgen::zm_descriptor_t fixture_descriptor() {
    zmgen::zm_descriptor_t d;
    d.material_count = 2;
    d.looks = {{"default", {"hide.mat", "/material/eye.mat"}}, {"winter", {"winter.mat", "/material/eye.mat"}}};
    d.variants = {"default", "hidden"};
    zmgen::zm_attribute_t visible{"visible", 0, {1, 0}, ""};
    zmgen::zm_attribute_t weight{"weight", 1, {0x40200000u, 0xBFC00000u}, ""};  // 2.5, -1.5
    zmgen::zm_attribute_t sound{"sound", 5, {}, "hit_body"};
    d.parts = {{visible, weight, sound}};
    return d;
}

// Two collision materials, two rows, one set of every primitive kind and an empty set.
inline zmgen::zm_collision_t fixture_collision() {
    zmgen::zm_collision_t c;
    c.material_count = 2;
    c.material_map = {{1, 2}, {30, 31}};
    c.meshes = {{{{0, 0, 0}, {1, 0, 0}, {0, 0, -1}}, {0, 1, 2}}};
    zmgen::zm_primitive_t box, sphere, capsule, plane, mesh;
    box.type = 1, box.name = "trunk", box.sizes = {1, 2, 3}, box.position = {0, 1, 0}, box.mass = 0.5f;
    sphere.type = 2, sphere.name = "head", sphere.radius = 0.25f, sphere.material = 1;
    capsule.type = 3, capsule.name = "leg", capsule.radius = 0.1f, capsule.length = 0.8f;
    plane.type = 4, plane.name = "floor", plane.plane = {0, 1, 0, 0};
    mesh.type = 5, mesh.mesh = 0, mesh.material = 1;
    c.sets = {{box, sphere, capsule, plane, mesh}, {}};
    return c;
}

// Three frames of two tracks with root translation and rotation.
inline zmgen::zm_animation_t fixture_animation() {
    zmgen::zm_animation_t a;
    a.name = "walk";
    a.tracks = {0, 1};
    for (int f = 0; f < 3; ++f) {
        zmgen::zm_frame_t frame;
        frame.duration = 0.25f;
        frame.keys.resize(2);
        frame.keys[1].translation = {0, 0, float(f)};
        frame.move = {0, 0, -0.5f * float(f)};
        a.frames.push_back(frame);
    }
    a.root_translation = a.root_rotation = true;
    a.length = 0.5f;
    return a;
}

inline std::vector<uint8_t> write_geometry(const zmgen::zm_geometry_t &g) {
    std::vector<uint8_t> b;
    zmgen::zm_write_geometry(g, b);
    return b;
}
inline std::vector<uint8_t> write_descriptor(const zmgen::zm_descriptor_t &d) {
    std::vector<uint8_t> b;
    zmgen::zm_write_descriptor(d, b);
    return b;
}
inline std::vector<uint8_t> write_collision(const zmgen::zm_collision_t &c) {
    std::vector<uint8_t> b;
    zmgen::zm_write_collision(c, b);
    return b;
}
inline std::vector<uint8_t> write_animation(const zmgen::zm_animation_t &a) {
    std::vector<uint8_t> b;
    zmgen::zm_write_animation(a, b);
    return b;
}

}  // namespace quarn::test
