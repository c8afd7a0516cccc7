#include "outside/qrnshared/effect.h"

#include <utility>

#include "qrncore/system/messages.h"

namespace quarn {

QRN_UNIT_DEFINE(effect_u, "effect");
QRN_UNIT_DEFINE(effect_pass_u, "effect_pass");

namespace {

// The last serial a set of bindings was given (effect_pass_u::get_binding_serial).
uint64_t last_binding_serial = 0;

}  // namespace

owner_ptr_ret_t<effect_pass_u> effect_u::create_pass(const char *) { return {}; }

owner_ptr_ret_t<effect_pass_u> effect_u::create_pass_unit(const unit_descriptor_t &d) {
    if (!unit_system_t::inherits_from(&d, &effect_pass_u::unit_descriptor) || !d.create) {
        error("[effect] The class '%s' is no pass class", d.class_name ? d.class_name->c_str() : "");
        return {};
    }
    unit_system_t *system = get_system();
    if (!system) return {};
    owner_ptr_ret_t<effect_pass_u> pass(static_cast<effect_pass_u *>(unit_system_t::create_unit_in(system, d)));
    if (pass) pass->m_effect = this;
    return pass;
}

const char *effect_input_name(effect_input_t kind) {
    switch (kind) {
    case EFFECT_INPUT_ATTRIBUTE: return "attribute";
    case EFFECT_INPUT_VERTEX_UNIFORM: return "vertex_uniform";
    case EFFECT_INPUT_FRAGMENT_UNIFORM: return "fragment_uniform";
    case EFFECT_INPUT_SAMPLER: return "sampler";
    }
    return "?";
}

bool effect_pass_u::bind(effect_binding_t &&binding) {
    if (binding.name.is_empty()) {
        error("[effect] A pass of '%s' binds an input without a name", m_pass_name.c_str());
        return false;
    }
    if (find_binding(binding.kind, binding.name.c_str())) {
        error("[effect] The pass '%s' binds the %s '%s' twice", m_pass_name.c_str(), effect_input_name(binding.kind),
              binding.name.c_str());
        return false;
    }
    if (binding.kind == EFFECT_INPUT_VERTEX_UNIFORM || binding.kind == EFFECT_INPUT_FRAGMENT_UNIFORM) {
        const effect_param_data_t &s = binding.source;
        if (!s.locate || effect_param_float_count(s.kind) == 0 || s.slot < -1 || (s.slot >= 0 && !s.packet_class)) {
            error("[effect] The pass '%s' binds the %s '%s' to no usable source", m_pass_name.c_str(),
                  effect_input_name(binding.kind), binding.name.c_str());
            return false;
        }
    }
    if (!m_bindings.append(std::move(binding))) return false;
    m_binding_serial = ++last_binding_serial;
    return true;
}

void effect_pass_u::clear_bindings() {
    m_bindings.clear();
    m_binding_serial = ++last_binding_serial;
}

bool effect_pass_u::vertex_attribute(r_context_t *, const char *name, uint32_t slot) {
    effect_binding_t b;
    b.kind = EFFECT_INPUT_ATTRIBUTE;
    b.name = name;
    b.attribute_slot = slot;
    return bind(std::move(b));
}

bool effect_pass_u::vertex_uniform(r_context_t *, const char *name, const effect_param_data_t &source) {
    effect_binding_t b;
    b.kind = EFFECT_INPUT_VERTEX_UNIFORM;
    b.name = name;
    b.source = source;
    return bind(std::move(b));
}

bool effect_pass_u::fragment_uniform(r_context_t *, const char *name, const effect_param_data_t &source) {
    effect_binding_t b;
    b.kind = EFFECT_INPUT_FRAGMENT_UNIFORM;
    b.name = name;
    b.source = source;
    return bind(std::move(b));
}

bool effect_pass_u::texture_sampler(r_context_t *, const char *name) {
    effect_binding_t b;
    b.kind = EFFECT_INPUT_SAMPLER;
    b.name = name;
    return bind(std::move(b));
}

const effect_binding_t *effect_pass_u::find_binding(effect_input_t kind, const char *name) const {
    for (const effect_binding_t &b : m_bindings)
        if (b.kind == kind && b.name == name) return &b;
    return nullptr;
}

void effect_pass_u::render_state_parametrize(r_context_t *, r_proto_t *) {}
void effect_pass_u::texture_state_parametrize(r_context_t *, r_proto_t *) {}
void effect_pass_u::vertex_state_parametrize(r_context_t *, r_proto_t *) {}
void effect_pass_u::fragment_state_parametrize(r_context_t *, r_proto_t *) {}
void effect_pass_u::prepare_parameters(r_proto_t *) {}
bool effect_pass_u::set_up(r_context_t *) { return true; }

}  // namespace quarn
