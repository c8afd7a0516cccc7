#pragma once
// What grows on one terrain substance (docs/world.md, "Grass").
//
// grass_set_u ("grass_set"): the substance by name and its plant kinds.
// grass_property_u ("grass_property"): one plant kind: one part (of exactly one piece)
// of a model template, how densely it grows on faces turned how far from seed_dir,
// and how its copies are sized, turned and aligned with the ground.
//
// Both check themselves after their load: an unknown substance, a template or part
// that is missing, or a part without a piece fail the load with their messages; a
// part of more than one piece warns and uses its first.
#include <cstdint>

#include "outside/qrnshared/c_item.h"
#include "qrncore/collections/arrays/array_dyn.h"
#include "qrncore/geometry/sphere.h"
#include "qrncore/math/vec.h"
#include "qrncore/strings/mstring.h"
#include "qrncore/units/unit.h"
#include "qrncore/units/unit_class.h"
#include "qrncore/units/unit_ptr.h"

namespace quarn {

class model_template_u;

class grass_property_u : public unit_t {
    QRN_UNIT_CLASS(grass_property_u, unit_t);

public:
    enum align_t : int32_t { ALIGN_vertical = 0, ALIGN_surface = 1, ALIGN_modulated_surface = 2 };
    // The density falls off over this distance (squared) from the viewer, and
    // doubles within NEAR (squared).
    static constexpr float FALLOFF_SQUARED = 22500.0f;
    static constexpr float NEAR_SQUARED = 225.0f;
    // A triangle's plant count never passes what one batch can take.
    static constexpr uint32_t MAX_PLANTS = 0xFFFE;

    ~grass_property_u() override;

    // The template, the part's first piece (and its material, counted), the
    // geometry's bounding sphere; seed_range turned into 1 - cos(seed_range°).
    bool _call_post_load() override;

    model_template_u *get_template() const;
    int32_t get_first_piece() const { return m_part_first_piece; }
    c_item_t *get_material() const { return m_material; }
    const sphere_t &get_part_sphere() const { return m_part_sphere; }
    // 1 - cos of the largest angle between a face's normal and seed_dir that still
    // gets plants (after the load; the attribute in degrees before it).
    float get_seed_range() const { return m_seed_range; }
    // The part below one of the plant counts, carried from triangle to triangle.
    float carry = 0.0f;

    // Plants a square unit on a face of the normal whose first corner lies at the
    // squared distance from the viewer, at the density setting: none when the face
    // turns further from seed_dir than seed_range; else the density, less
    // density_range over the seed range's tilt, times the falloff
    // ((1 - d² / 22500) × 0.8 + 0.2) × setting, doubled within 15 units.
    float density_at(const vec3_t &normal, float distance_squared, float setting) const;
    // The whole plants of density × area with the carried part, which it updates. At
    // most 65534 (what one batch can take), and then nothing is carried on.
    uint32_t take_count(float density, float area);

    // Attributes.
    ref_ptr_t<unit_base_t> m_model_template;
    mstring_dyn_t m_model_part_name;
    float m_density = 5.0f;
    float m_density_range = 5.0f;
    vec3_t m_seed_dir{0.0f, 1.0f, 0.0f};
    float m_seed_range = 90.0f;
    float m_yaw = 0.0f;
    float m_yaw_range = 180.0f;
    float m_scale = 1.0f;
    float m_scale_variability = 0.3f;
    int32_t m_align = ALIGN_surface;

protected:
    void on_destroy();

private:
    void release_material();

    int32_t m_part_first_piece = -1;
    c_item_t *m_material = nullptr;
    sphere_t m_part_sphere;
};

class grass_set_u : public unit_t {
    QRN_UNIT_CLASS(grass_set_u, unit_t);

public:
    // The substance's index in the game's list (-1 for a name it does not know);
    // the same answer every time, so the grass may ask before the set's own load
    // step has run.
    int32_t resolve_substance();
    int32_t get_substance_index() const { return m_substance_index; }
    uint32_t get_property_count() const { return m_properties.get_count(); }
    grass_property_u *get_property(uint32_t i) const;

    // "[grass_set_u] invalid substance '%s' referenced" and false for an unknown name.
    bool _call_post_load() override;

    // Attributes.
    mstring_dyn_t m_substance;
    array_dyn_t<owner_ptr_t<unit_base_t>> m_properties;

private:
    int32_t m_substance_index = -1;
};

}  // namespace quarn
