#pragma once
// Effects and passes. Materials are drawn through effects: an effect is a unit class
// registered under an effect directory (effect_registry.h); a material names it as
// "<directory>/<effect type name>" and asks it for a pass by name. A pass binds its
// shader inputs by name once, in set_up (vertex attributes, vertex and fragment
// uniforms with their parameter sources, texture samplers), and chooses the render
// queue its prototypes go to; for every prototype drawn it then prepares the values
// it computes itself (prepare_parameters) and sets the context's state (the four
// parametrize operations). The layer keeps the bindings; the renderer reads them when
// it draws (gfx_queue_render) and records each bound input with its value.
//
// Binding is by name only: the layer has no shader programs to check names against,
// so a binding fails only for an empty name or a name the pass has bound already.
#include <cstdint>

#include "outside/qrnshared/api.h"
#include "outside/qrnshared/effect_param.h"
#include "qrncore/collections/arrays/array_dyn.h"
#include "qrncore/strings/string_dyn.h"
#include "qrncore/units/unit_class.h"

namespace quarn {

class effect_pass_u;
class material_t;
class r_context_t;
struct r_proto_t;
struct r_queue_t;

class QRNSHARED_API effect_u : public unit_base_t {
    QRN_UNIT_CLASS(effect_u, unit_base_t);

public:
    // A new pass of the named kind bound to this effect, or null when the effect has
    // no pass of that name (the base has none).
    virtual owner_ptr_ret_t<effect_pass_u> create_pass(const char *name);
    // A new pass unit of the class d (which must derive from effect_pass_u), in this
    // effect's unit system, bound to this effect; null (logged) otherwise.
    owner_ptr_ret_t<effect_pass_u> create_pass_unit(const unit_descriptor_t &d);
};

// The input kinds of a binding.
enum effect_input_t : uint32_t {
    EFFECT_INPUT_ATTRIBUTE = 0,
    EFFECT_INPUT_VERTEX_UNIFORM = 1,
    EFFECT_INPUT_FRAGMENT_UNIFORM = 2,
    EFFECT_INPUT_SAMPLER = 3,
};

// One bound input: its kind and name, the attribute slot (attributes) or the
// parameter source (uniforms).
struct effect_binding_t {
    effect_input_t kind = EFFECT_INPUT_ATTRIBUTE;
    mstring_dyn_t name;
    uint32_t attribute_slot = 0;
    effect_param_data_t source;
};

// What a pass's material gives it: the material's flags word and the record itself,
// and the queue the pass chose in set_up (null: its prototypes are not drawn).
struct effect_pass_config_t {
    uint32_t flags = 0;
    r_queue_t *queue = nullptr;
    const material_t *material = nullptr;
};

class QRNSHARED_API effect_pass_u : public unit_base_t {
    QRN_UNIT_CLASS(effect_pass_u, unit_base_t);

public:
    // The four bindings; each is recorded and gives true, or is refused (logged,
    // false) for an empty name or one the pass has bound already. The context is the
    // renderer's (the layer's binding does not use it; it may be null).
    bool vertex_attribute(r_context_t *context, const char *name, uint32_t slot);
    bool vertex_uniform(r_context_t *context, const char *name, const effect_param_data_t &source);
    bool fragment_uniform(r_context_t *context, const char *name, const effect_param_data_t &source);
    bool texture_sampler(r_context_t *context, const char *name);

    // The per-prototype operations, in slot order. The base versions set nothing.
    virtual void render_state_parametrize(r_context_t *context, r_proto_t *proto);
    virtual void texture_state_parametrize(r_context_t *context, r_proto_t *proto);
    virtual void vertex_state_parametrize(r_context_t *context, r_proto_t *proto);
    virtual void fragment_state_parametrize(r_context_t *context, r_proto_t *proto);
    // Computes the values of the pass's own sources (slot -1) for the prototype.
    virtual void prepare_parameters(r_proto_t *proto);
    // Binds every input and chooses the queue; false when the pass cannot be drawn.
    // The base binds nothing and gives true.
    virtual bool set_up(r_context_t *context);

    // Forgets every binding (before set_up runs again on another render path).
    void clear_bindings();
    // A number that names this pass's bindings as they stand: it changes with every
    // binding made and forgotten, and no other pass's bindings ever had it, so that a
    // renderer may keep what it built for them (a program) under it.
    uint64_t get_binding_serial() const { return m_binding_serial; }
    uint32_t get_binding_count() const { return m_bindings.get_count(); }
    const effect_binding_t &get_binding(uint32_t i) const { return m_bindings[i]; }
    // The binding of that kind and name, or null.
    const effect_binding_t *find_binding(effect_input_t kind, const char *name) const;

    effect_u *get_effect() const { return m_effect.get(); }
    // The name the material asked the effect for ("default").
    const char *get_pass_name() const { return m_pass_name.c_str(); }
    void set_pass_name(const char *name) { m_pass_name = name; }

    effect_pass_config_t config;

private:
    friend class effect_u;
    bool bind(effect_binding_t &&binding);

    ref_ptr_t<effect_u> m_effect;
    mstring_dyn_t m_pass_name;
    array_dyn_t<effect_binding_t> m_bindings;
    uint64_t m_binding_serial = 0;
};

// The names of the input kinds ("attribute", "vertex_uniform", "fragment_uniform",
// "sampler").
QRNSHARED_API const char *effect_input_name(effect_input_t kind);

}  // namespace quarn
