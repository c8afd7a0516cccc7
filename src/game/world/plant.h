#pragma once
// Plants: bodies with a blob shadow on the ground, a test against their model's part
// "DefaultPart" and a brighter lighting rule when tall.
//
// plant_desc_u (unit type "plant_desc", a body_desc_u): after the body's load it finds
// "DefaultPart" in the model, sizes its shadow from the model box's x extent e
// ((f e, 2 e, f e) with f 0.4 for an "acatia" model file, else 0.66; the half sizes
// of the shadow's box, times the instance's scale), gets the shadow material
// "/material/decal/simple.mat" and is tall when the model box reaches above 10.
// plant_inst_u (unit type "plant_inst", a body_inst_u) must point to a plant_desc_u.
#include <cstdint>

#include "game/world/body.h"
#include "outside/qrnshared/c_item.h"

namespace quarn {

class plant_desc_u : public body_desc_u {
    QRN_UNIT_CLASS(plant_desc_u, body_desc_u);

public:
    static constexpr const char *PART_NAME = "DefaultPart";
    static constexpr const char *SHADOW_MATERIAL = "/material/decal/simple.mat";
    static constexpr const char *ACATIA = "acatia";
    static constexpr float ACATIA_SHADOW_FACTOR = 0.4f;
    static constexpr float SHADOW_FACTOR = 0.66f;
    static constexpr float TALL_HEIGHT = 10.0f;

    ~plant_desc_u() override;

    const array_dyn_t<uint32_t> *get_part_indices() const override { return &m_part_indices; }
    // The landscape's triangles within the shadow's box × the placement's scale around
    // the placement's position (unrotated), drawn with the shadow material; null
    // without the material or when no ground lies there. The mesh points at the
    // description's material: it must not outlive the description.
    std::unique_ptr<decal_mesh_t> make_ground_shadow(landscape_u &landscape,
                                                     const placement_scale_t &placement) override;
    // Empties hits; the first instance's test of the "DefaultPart" pieces: one hit
    // appended and true when the segment meets them.
    bool test_segment_part(const vec3_t &p0, const vec3_t &p1, array_dyn_t<model_hit_t> &hits);

    const vec3_t &get_shadow_size() const { return m_shadow_size; }
    c_item_t *get_shadow_material() const { return m_shadow_material; }
    bool is_tall() const { return m_tall; }

    bool _call_post_load() override;

protected:
    void on_destroy();

private:
    void release_material();

    array_dyn_t<uint32_t> m_part_indices;
    vec3_t m_shadow_size;
    c_item_t *m_shadow_material = nullptr;  // counted
    bool m_tall = false;
};

class plant_inst_u : public body_inst_u {
    QRN_UNIT_CLASS(plant_inst_u, body_inst_u);

public:
    plant_desc_u *get_plant_desc() const { return unit_cast<plant_desc_u>(get_desc()); }

    // As the body's, and the description must be a plant's (logged).
    bool _call_post_load() override;
};

}  // namespace quarn
