#pragma once
// model_coll_view_t: the reader of a collision model file (".zmc",
// docs/formats/model-collision.md) over its loaded image. A collision model holds
// primitive sets (chains of boxes, spheres, capsules, planes and triangle meshes) and
// a material map whose rows give each collision material a physics material; a walk
// hands one set's primitives, with their physics materials from one row, to a
// visitor.
//
// The file does not state how many sets and rows it has, so open() checks the header
// and each walk checks its own set and row before the visitor sees anything: a chain
// that would loop (a next-record distance of 0 or below its record's size), run past
// the file or hold an unknown type, a material outside the map or not a physics
// material (0..31), and a mesh outside the file fail the walk with a "[model]" error,
// and the visitor is not called at all.
#include <cstdint>

#include "game/visuals/models/model_image.h"
#include "qrncore/math/quat.h"
#include "qrncore/math/vec.h"

namespace quarn {

// One primitive as the visitor gets it. Sizes and positions are in model units.
struct model_coll_prim_t {
    uint32_t type = 0;                // 1 box, 2 sphere, 3 capsule, 4 plane, 5 mesh
    uint32_t material = 0;            // physics material (0..31), from the material map
    uint32_t collision_material = 0;  // the column of the material map
    float mass = 0.0f;                // share of the body's mass
    uint64_t name = 0;                // token (types 1-4)
    vec3_t position;                  // types 1-3
    quat_t rotation;                  // types 1 and 3; identity for the others
    vec3_t sizes;                     // box: full edge lengths
    float radius = 0.0f;              // sphere and capsule
    float length = 0.0f;              // capsule: between the centres of its caps
    vec4_t plane;                     // normal x, y, z and distance (type 4)
    // Type 5: index count indices (whole triangles, each below vertex count).
    uint32_t vertex_count = 0;
    uint32_t index_count = 0;
    const vec3_t *vertices = nullptr;
    const uint16_t *indices = nullptr;
};

// Gets the primitives of a walk, one operation per kind; each returns success.
class model_coll_visitor_t {
public:
    virtual ~model_coll_visitor_t() = default;
    virtual bool box(const model_coll_prim_t &prim) = 0;
    virtual bool capsule(const model_coll_prim_t &prim) = 0;
    virtual bool sphere(const model_coll_prim_t &prim) = 0;
    virtual bool plane(const model_coll_prim_t &prim) = 0;
    virtual bool mesh(const model_coll_prim_t &prim) = 0;
};

class model_coll_view_t {
public:
    // Checks the version and header and views the image; false (logged) when refused.
    bool open(const void *image, uint64_t size, const char *path);
    void close();
    bool is_open() const { return m_open; }
    void rebase(const void *image) { m_image.rebase(image); }
    const model_image_t &get_image() const { return m_image; }
    const char *get_path() const { return m_path.c_str(); }

    // Columns of the material map.
    uint32_t get_material_count() const { return m_material_count; }
    // The set table's entry for the set / the material map's row lies inside the
    // file (neither says the set or row is sound: a walk checks that).
    bool has_set(uint32_t set) const;
    bool has_row(uint32_t row) const;

    // Walks primitive set `set` with material map row `row`, calling the visitor for
    // every primitive in chain order. True when the set checks out and every visitor
    // call returned true (a false one does not stop the walk); false, with a
    // "[model]" error and no visitor call, when the set or row is broken.
    bool walk(uint32_t set, uint32_t row, model_coll_visitor_t &visitor) const;

private:
    // Checks the whole chain of the set and the row before a walk visits it.
    bool check_walk(uint32_t set, uint32_t row) const;
    model_coll_prim_t read_primitive(uint64_t record, uint32_t row) const;

    model_image_t m_image;
    mstring_dyn_t m_path;
    bool m_open = false;
    uint32_t m_material_count = 0;
};

}  // namespace quarn
