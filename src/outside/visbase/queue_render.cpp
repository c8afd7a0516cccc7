#include "outside/visbase/queue_render.h"

#include <cstring>

#include "outside/qrnshared/c_item.h"
#include "outside/qrnshared/effect.h"
#include "outside/qrnshared/material.h"
#include "outside/qrnshared/parameter_packet.h"
#include "outside/qrnshared/r_proto.h"
#include "outside/qrnshared/r_queue.h"
#include "outside/visbase/render.h"

namespace quarn {

namespace {

uint32_t packet_count(const r_packet_t *packet) {
    if (r_packet_is_stream_source(packet->type)) {
        const r_stream_source_t *s = static_cast<const r_stream_source_t *>(packet->data);
        if (!s) return 0;
        auto count = packet->type == R_PACKET_MODEL_INDEX16 ? s->index_count : s->vertex_count;
        return count ? count(s) : 0;
    }
    const r_geometry_t *g = static_cast<const r_geometry_t *>(packet->data);
    if (!g) return 0;
    return packet->type == R_PACKET_INDEX16 ? g->index_count : g->vertex_count;
}

void record_packets(r_draw_record_t &r, const r_proto_t &proto) {
    for (const r_packet_t *p : proto.packets)
        if (p) r.packets.append(r_draw_packet_t{p->type, packet_count(p)});
    if (proto.index_packet) r.packets.append(r_draw_packet_t{proto.index_packet->type, packet_count(proto.index_packet)});
}

void record_slots(r_context_t &context, r_draw_record_t &r, const r_proto_t &proto) {
    if (!r.slots.set_size(r_parameter_array_t::SLOTS)) return;
    for (uint32_t i = 0; i < r_parameter_array_t::SLOTS; ++i) {
        const parameter_packet_u *p = proto.parameters ? proto.parameters->get(i) : nullptr;
        if (p) r.slots[i] = context.intern(p->get_descriptor()->class_name->c_str());
    }
}

// The value of a uniform's source for the prototype: in the packet of its slot (or
// the pass), or the source's stand-in.
void resolve(r_input_value_t &in, const effect_param_data_t &s, const effect_pass_u &pass, const r_proto_t &proto) {
    in.value_count = effect_param_float_count(s.kind);
    in.absent = false;
    in.value = nullptr;
    if (s.slot < 0) {
        in.value = s.locate(&pass);
    } else {
        const parameter_packet_u *packet = proto.parameters ? proto.parameters->get(uint32_t(s.slot)) : nullptr;
        if (packet && packet->is_kind_of(*s.packet_class)) in.value = s.locate(packet);
    }
    if (!in.value) {
        in.absent = true;
        in.value = s.absent;
    }
}

void resolve_inputs(r_input_value_t *values, const effect_pass_u &pass, const material_t &material,
                    const r_proto_t &proto) {
    for (uint32_t i = 0; i < pass.get_binding_count(); ++i) {
        const effect_binding_t &b = pass.get_binding(i);
        r_input_value_t &in = values[i];
        in = r_input_value_t();
        switch (b.kind) {
        case EFFECT_INPUT_ATTRIBUTE: break;
        case EFFECT_INPUT_SAMPLER: in.texture = material.texture_for(b.name.c_str()); break;
        default: resolve(in, b.source, pass, proto); break;
        }
    }
}

void record_inputs(r_context_t &context, r_draw_record_t &r, const effect_pass_u &pass,
                   const r_input_value_t *values) {
    if (!r.inputs.set_size(pass.get_binding_count())) return;
    for (uint32_t i = 0; i < pass.get_binding_count(); ++i) {
        const effect_binding_t &b = pass.get_binding(i);
        const r_input_value_t &v = values[i];
        r_draw_input_t &in = r.inputs[i];
        in.kind = b.kind;
        in.name = context.intern(b.name.c_str());
        switch (b.kind) {
        case EFFECT_INPUT_ATTRIBUTE: in.slot = int32_t(b.attribute_slot); break;
        case EFFECT_INPUT_SAMPLER: in.texture = context.intern(v.texture); break;
        default:
            in.slot = b.source.slot;
            in.absent = v.absent;
            in.value_count = v.value_count;
            memcpy(in.value, v.value, v.value_count * sizeof(float));
            break;
        }
    }
}

void context_size(r_context_t *context, int32_t *width, int32_t *height) {
    if (context) context->get_size(width, height);
}

const gfx_queue_renderer_t renderer = {&gfx_queue_render, &context_size};

}  // namespace

const gfx_queue_renderer_t *gfx_queue_renderer() { return &renderer; }

void gfx_queue_render(r_context_t *context, r_queue_t *queue) {
    if (!context || !queue) return;
    for (uint32_t i = 0; i < queue->protos.get_count(); ++i) {
        r_proto_t *proto = queue->protos[i];
        material_t *material = material_of(proto->material);
        effect_pass_u *pass = material ? material->pass.get() : nullptr;
        if (!pass) continue;
        // The log's record, when it has room; the drawing does without.
        r_draw_record_t *r = context->open_draw();
        if (r) {
            r->queue = queue->id;
            r->material = context->intern(material->path.c_str());
            if (effect_u *effect = pass->get_effect())
                r->effect = context->intern(effect->get_descriptor()->class_name->c_str());
            r->pass = context->intern(pass->get_pass_name());
            record_packets(*r, *proto);
            record_slots(*context, *r, *proto);
        }
        pass->prepare_parameters(proto);
        pass->render_state_parametrize(context, proto);
        pass->texture_state_parametrize(context, proto);
        pass->vertex_state_parametrize(context, proto);
        pass->fragment_state_parametrize(context, proto);
        const uint32_t count = pass->get_binding_count();
        r_input_value_t *values = context->input_values(count);
        if (values || count == 0) resolve_inputs(values, *pass, *material, *proto);
        // State lines went into the record itself: r is still the log's last record.
        if (r && (values || count == 0)) record_inputs(*context, *r, *pass, values);
        context->close_draw();
        if (values || count == 0) {
            r_draw_t d;
            d.queue = queue->id;
            d.proto = proto;
            d.material = material;
            d.pass = pass;
            d.inputs = values;
            d.input_count = count;
            context->draw(d);
        }
    }
    for (const r_ui_record_t &u : queue->ui_records) {
        if (r_draw_record_t *r = context->add_record(r_draw_record_t::UI)) {
            r->queue = queue->id;
            r->ui.kind = u.kind;
            r->ui.source = u.source;
            r->ui.left = u.left;
            r->ui.right = u.right;
            r->ui.top = u.top;
            r->ui.bottom = u.bottom;
            for (int k = 0; k < 4; ++k) r->ui.uv[k] = u.uv[k];
            r->ui.tint = u.tint;
            r->ui.text = u.text;
        }
        context->draw_ui(queue->id, u);
    }
}

}  // namespace quarn
