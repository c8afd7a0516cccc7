#pragma once
// Materials: how a prototype is drawn. A material file (".mat", definition-file
// syntax, docs/formats/material.md) names an effect and one of its passes and holds
// the values the passes read: flags, draw order, textures by sampler, colours,
// reflection, tile sizes, the water colour, the substance and extra render state.
//
// Materials are resources of the class "material" (material_u): get_material(path)
// obtains the named item, loaded and counted. Loading reads the file, asks the effect
// for the pass and sets the pass up, so that the pass knows its queue before any
// prototype of the material is queued. An effect or pass that cannot be had is logged
// and leaves the material without a pass: its prototypes are never queued. A file
// that does not read, or holds a bad value, fails the load (get_material gives null).
//
// The item's data is one pointer to the material record on the host's heap, so that
// the memory manager may move it; loaded materials never enter the memory-LRU (their
// passes may sit in a queue), they go when their item is removed.
#include <cstdint>

#include "outside/qrnshared/api.h"
#include "outside/qrnshared/effect.h"
#include "outside/qrnshared/resource_unit.h"
#include "qrncore/collections/arrays/array_dyn.h"
#include "qrncore/math/vec.h"
#include "qrncore/strings/string_dyn.h"
#include "qrncore/system/host_object.h"

namespace quarn {

class def_pool_t;

struct material_texture_t {
    mstring_dyn_t sampler;  // the sampler's name in the pass ("texture_sampler[0]")
    mstring_dyn_t name;     // the texture's path; recorded, never loaded here
};

struct material_state_t {
    mstring_dyn_t key;
    mstring_dyn_t value;
};

class QRNSHARED_API material_t : public host_object_t {
public:
    // The texture named for the sampler, or null.
    const char *texture_for(const char *sampler) const;

    mstring_dyn_t path;         // the file the material was read from
    mstring_dyn_t effect_path;  // "<directory>/<effect type name>"
    mstring_dyn_t pass_name;    // "default" when the file names none
    uint32_t flags = 0;
    int32_t order = 0;          // draw order: smaller first
    vec4_t ambient{1, 1, 1, 1};
    vec4_t diffuse{1, 1, 1, 1};
    vec4_t specular{1, 1, 1, 1};
    float specular_exponent = 1.0f;
    vec2_t reflection{0, 0};
    vec2_t tile{1, 1};          // texture tile sizes in world x and z; above 0
    vec4_t water_colour{0, 0, 0, 1};
    vec2_t size{0, 0};          // the image size in UI reference units (width, height)
    // What the surface is made of: an index of the substance list
    // ("/material/material.db"); 16 (water) keeps terrain pieces out of ground queries.
    uint32_t substance = 0;
    array_dyn_t<material_texture_t> textures;
    array_dyn_t<material_state_t> render_state;  // applied under flag 0x20000

    // Made at load; the effect is shared, the pass the material's own.
    ref_ptr_t<effect_u> effect;
    owner_ptr_t<effect_pass_u> pass;
};

// Reads a material from a pool read from a ".mat" file: false, with the reason logged
// as "[material] file:line: what is wrong", when the pool has no "material" object or
// a value is malformed. Effect and pass are not looked up.
QRNSHARED_API bool material_parse(const def_pool_t &pool, const char *path, material_t *out);

class QRNSHARED_API material_u : public resource_unit_u {
    QRN_UNIT_CLASS(material_u, resource_unit_u);

public:
    // Reads the item's file, makes and sets up the pass, and puts the record's
    // address into item memory. False (logged) when the file does not read.
    bool load_memory() override;
    // Frees the record (pass and effect with it) and gives the memory back.
    void unload_memory() override;
    // Keeps a loaded item out of the memory-LRU.
    bool bind_item(c_item_t *item) override;
    void unbind_item(c_item_t *item) override;

    const material_t *get_material() const { return m_material; }

private:
    material_t *m_material = nullptr;
};

// The named material item, loaded and counted once for the caller (release with
// release_ref); null (logged) when it cannot be loaded or without the memory manager.
QRNSHARED_API c_item_t *get_material(const char *path);
// The record of a loaded material item; null for null, an item that is not a loaded
// material.
QRNSHARED_API material_t *material_of(const c_item_t *item);
// The pass of a loaded material item, or null.
QRNSHARED_API effect_pass_u *material_pass(const c_item_t *item);
// Makes the pass of a material record: asks its effect for the pass by name and sets
// it up. The material keeps no pass when the effect or the pass cannot be had
// (logged). Used at load and when the render path changes.
QRNSHARED_API void material_set_up(material_t &material);
// material_set_up for every loaded material (the render path changed).
QRNSHARED_API void material_set_up_all();

}  // namespace quarn
