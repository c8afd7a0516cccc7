#pragma once
// Bits: the small marks the game leaves in the world (docs/effects.md). Decal kinds
// (bullet holes, bullet marks, each step of a trail) keep their marks as quads in
// world space in a ring of `limit` marks and draw them with one prototype a kind;
// trails (animal tracks, blood) are repeating patterns of decal kinds; model bits
// hold an animated model instance and draw placed copies of it.
//
// The kinds come from a definition file ("/def/bits.def", docs/formats/bits-def.md),
// read when the scene makes its bits_t. Only blocks of that file itself become kinds;
// blocks it includes ("trail_base" of "/def/basedefs.def") serve as bases.
//
// Every prototype draws with one shared packet array: slot 1 an identity model packet
// (marks are in world space), slots 0, 2 and 3 the scene's camera, fog and light
// packets, taken from the owner's array (set_scene_packets) by prepare_parameters.
#include <cstdint>

#include "game/game_alloc.h"
#include "outside/qrnshared/parameter_packet.h"
#include "outside/qrnshared/r_proto.h"
#include "qrncore/collections/arrays/array_dyn.h"
#include "qrncore/geometry/placement.h"
#include "qrncore/math/vec.h"
#include "qrncore/strings/string_dyn.h"
#include "qrncore/units/unit_ptr.h"

namespace quarn {

class c_item_t;
class def_obj_t;
class fw4pp_model_u;
class model_desc_u;
class model_duplicate_u;
class model_inst_u;

class bits_t : public game_alloc_t {
public:
    // The random source of the decals' spin: a value in [0, 1).
    using random_t = float (*)();
    // Marks a kind keeps at most; larger (or negative) limits are cut to it.
    static constexpr uint32_t MAX_LIMIT = 65536;
    static constexpr uint32_t QUAD_VERTICES = 6;

    // One decal kind or model bit.
    struct decal_kind_t : game_alloc_t {
        ~decal_kind_t();
        mstring_dyn_t name;
        uint32_t limit = 1;
        float size = 0.0f;
        bool model = false;
        uint64_t count = 0;  // marks added
        // Decal kinds: the ring of quads and the texture coordinates of limit quads.
        array_dyn_t<vec3_t> positions;
        array_dyn_t<vec2_t> uvs;
        r_geometry_t geometry{};
        r_packet_t *packet = nullptr;
        r_proto_t *proto = nullptr;
        c_item_t *material = nullptr;
        // Model bits: the description, the animated instance and its placed copies.
        model_desc_u *desc = nullptr;
        ref_ptr_t<model_inst_u> instance;
        array_dyn_t<owner_ptr_t<model_duplicate_u>> placed;
    };

    struct trail_step_t {
        uint32_t kind;    // decal kind index
        uint32_t period;  // at least 1
    };

    struct trail_kind_t : game_alloc_t {
        mstring_dyn_t name;
        uint64_t count = 0;
        array_dyn_t<trail_step_t> steps;
    };

    // Reads the definition file and builds its kinds in order; a definition that
    // cannot be built is logged and skipped alone. random defaults to sys_rand.
    explicit bits_t(const char *path = "/def/bits.def", random_t random = nullptr);
    virtual ~bits_t();
    bits_t(const bits_t &) = delete;
    bits_t &operator=(const bits_t &) = delete;

    // Takes the scene's camera, fog and light packets (slots 0, 2, 3) into the
    // shared array.
    virtual void prepare_parameters();
    // Advances the animation of every model bit's instance.
    virtual void update(float seconds);
    // Queues the prototype of every decal kind that holds a mark and draws the placed
    // copies of the model bits.
    virtual void render();

    // The owner's packet array whose slots 0, 2 and 3 prepare_parameters copies (null:
    // none; it must outlive the bits or the next call).
    void set_scene_packets(const r_parameter_array_t *scene) { m_scene = scene; }
    r_parameter_array_t &get_packets() { return m_packets; }

    // A new decal kind: limit 0 counts as 1, limits past MAX_LIMIT are cut (logged);
    // a material that cannot be had leaves the kind without one (nothing drawn).
    // The index, or -1 without memory.
    int32_t add_decal_kind(const char *name, uint32_t limit, const char *material, float size);
    // Adds one mark of a decal kind at position, facing along normal. With an
    // orientation the quad's x axis is orientation × normal (negated when mirrored);
    // without one, or with one parallel to the normal, it turns by a random angle.
    // scale multiplies the kind's size. False for a kind out of range, a model bit,
    // and a normal that is zero or not finite.
    bool add_decal(int32_t kind, const vec3_t &position, const vec3_t &normal, const vec3_t *orientation, float scale,
                   bool mirrored);
    // Adds the next mark of a trail: the step forced (0 .. steps - 1), or the last
    // step whose period divides the trail's count; full size: scale size, else
    // 0.8 × size, mirrored. False for a trail out of range (-1 for an unknown name),
    // a trail without steps, and a mark add_decal refuses.
    bool add_trail_mark(int32_t trail, bool full_size, const vec3_t &position, const vec3_t &normal,
                        const vec3_t *orientation, float size, int32_t step);
    // Places one more copy of a model bit (the oldest goes once limit are placed).
    // False for a kind out of range, one that is not a model bit, or without memory.
    bool add_model_bit(int32_t kind, const placement_t &placement);

    int32_t find_decal_kind(const char *name) const;
    int32_t find_trail(const char *name) const;
    uint32_t get_kind_count() const { return m_kinds.get_count(); }
    const decal_kind_t &get_kind(uint32_t i) const { return *m_kinds[i]; }
    uint32_t get_trail_count() const { return m_trails.get_count(); }
    const trail_kind_t &get_trail(uint32_t i) const { return *m_trails[i]; }

private:
    void build_kinds(const char *path);
    void build_model_bit(const def_obj_t &def);
    void build_trail(const def_obj_t &def);
    // Writes the kind's template quad, its x and y axes scaled, at position.
    void write_quad(decal_kind_t &kind, const vec3_t &position, const vec3_t &x, const vec3_t &y);

    random_t m_random;
    array_dyn_t<decal_kind_t *> m_kinds;
    array_dyn_t<trail_kind_t *> m_trails;
    owner_ptr_t<fw4pp_model_u> m_identity;
    r_parameter_array_t m_packets;
    const r_parameter_array_t *m_scene = nullptr;
};

}  // namespace quarn
