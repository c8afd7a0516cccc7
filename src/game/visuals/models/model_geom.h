#pragma once
// model_geom_u: a loaded model geometry (".zmg", docs/formats/model-geometry.md):
// bones, parts and pieces. Besides the reader it keeps the bones decoded and, for
// the static instances of the model, the two render buffers they share (the vertex
// block and the index block, made on first use and freed with their last user).
#include <cstdint>

#include "game/visuals/models/model_geom_view.h"
#include "outside/qrnshared/resource_unit.h"
#include "qrncore/collections/arrays/array_dyn.h"
#include "qrncore/geometry/aabox.h"
#include "qrncore/geometry/sphere.h"

namespace quarn {

struct r_buffer_t;

// Render buffer kinds of static model geometry.
constexpr int MODEL_VERTEX_BUFFER_KIND = 4;
constexpr int MODEL_INDEX_BUFFER_KIND = 8;

class model_geom_u : public resource_unit_u {
    QRN_UNIT_CLASS(model_geom_u, resource_unit_u);

public:
    ~model_geom_u() override;

    bool load_memory() override;
    void unload_memory() override;
    void post_move(void *old_data, void *new_data) override;
    bool bind_item(c_item_t *item) override;
    void unbind_item(c_item_t *item) override;

    // The reader; open while the data is loaded.
    const model_geom_view_t &view() const { return m_view; }
    bool is_ready() const { return m_view.is_open(); }
    const char *get_path() const { return m_view.get_path(); }

    uint32_t get_bone_count() const { return m_bones.get_count(); }
    // The bone records, decoded, in table order (parents first).
    const model_bone_t *get_bones() const { return m_bones.get_data(); }
    uint32_t get_piece_count() const { return m_view.is_open() ? m_view.get_piece_count() : 0; }
    uint32_t get_part_count() const { return m_view.is_open() ? m_view.get_part_count() : 0; }

    // Bounds of one piece, or of the whole model for -1.
    sphere_t get_bounding_sphere(int32_t piece) const { return m_view.get_bounding_sphere(piece); }
    aabox_t get_bounding_box(int32_t piece) const { return m_view.get_bounding_box(piece); }
    // The first part / bone with that name (or token); -1 when none.
    int32_t find_part(const char *name) const { return m_view.is_open() ? m_view.find_part(name) : -1; }
    int32_t find_part(uint64_t token) const { return m_view.is_open() ? m_view.find_part(token) : -1; }
    int32_t find_bone(const char *name) const { return m_view.is_open() ? m_view.find_bone(name) : -1; }
    int32_t find_bone(uint64_t token) const { return m_view.is_open() ? m_view.find_bone(token) : -1; }

    // The shared render buffers of static instances: made (and filled from the file)
    // by the first call, counted by each. False, with nothing counted, when the
    // geometry is not loaded or a buffer cannot be made.
    bool acquire_buffers(r_buffer_t **vertices, r_buffer_t **indices);
    // One user less; the last frees both buffers.
    void release_buffers();
    uint32_t get_buffer_users() const { return m_buffer_users; }

private:
    void free_buffers();

    model_geom_view_t m_view;
    array_dyn_t<model_bone_t> m_bones;
    r_buffer_t *m_vertex_buffer = nullptr;
    r_buffer_t *m_index_buffer = nullptr;
    uint32_t m_buffer_users = 0;
};

}  // namespace quarn
