#include "game/ai/antlers/antler_piece.h"

#include "qrncore/geometry/placement.h"
#include "qrncore/math/matrix.h"
#include "qrncore/system/messages.h"

namespace quarn {

void antler_step_matrix_t::apply(antler_frame_t &frame) {
    // running · matrix: the stored transform acts first.
    mult_matrix_matrix(&frame.running, matrix, frame.running);
}

void antler_step_target_t::apply(antler_frame_t &frame) {
    if (part) part->draw_at(frame.running, frame.level);
}

void antler_piece_t::draw(const mat4_t &matrix, float level) {
    antler_frame_t frame;
    frame.running = matrix;
    frame.level = level;
    for (uint32_t i = 0; i < m_steps.get_count(); ++i) m_steps[i]->apply(frame);
}

bool antler_piece_t::set(antler_step_t *const *steps, uint32_t count, antler_part_simple_u *part,
                         antler_desc_u *desc) {
    reset();
    bool ok = m_steps.request_capacity(count);
    for (uint32_t i = 0; i < count; ++i) {
        if (ok && m_steps.append(steps[i])) continue;
        ok = false;
        delete steps[i];
    }
    if (!ok) {
        error("[animal] No memory for the steps of an antler");
        reset();
        return false;
    }
    m_part = part;
    if (desc) {
        owner_ptr_ret_t<unit_base_t> copy = desc->clone();
        m_desc = unit_cast<antler_desc_u>(copy.get());
        // The reference holds the copy from now on; the carrier lets go of it uncounted.
        if (m_desc) copy.take();
    }
    return true;
}

void antler_piece_t::reset() {
    for (uint32_t i = m_steps.get_count(); i-- > 0;) delete m_steps[i];
    m_steps.clear();
    m_part = nullptr;
    m_desc = nullptr;
}

bool antler_factory_u::build(antler_piece_t &piece, int32_t side, uint32_t index, float scale) const {
    owner_ptr_t<antler_desc_u> desc(antler_desc_u::create(get_system()));
    if (desc) {
        desc->side = side;
        desc->score_type = 0;
        desc->scale = scale;
        desc->main_beam_index = int32_t(index);
        desc->main_beam.printf("%s%u", "simple_beam_part", index);
    }
    antler_part_simple_u *part = nullptr;
    if (get_part_count() > 0) {
        part = get_part(index);
        if (!part) {
            // A hand-written mission may name a beam past the list: that animal gets
            // no antlers.
            error("[animal] Antler part %u of %u does not exist (%s)", index, get_part_count(),
                  desc ? desc->main_beam.c_str() : "");
        }
    }
    if (!part) {
        piece.set(nullptr, 0, nullptr, desc.get());
        return false;
    }
    const placement_scale_t sized(vec3_t{0, 0, 0}, scale, quat_t());
    antler_step_t *steps[2] = {new antler_step_matrix_t(sized.compute_matrix()), new antler_step_target_t(part)};
    if (!steps[0] || !steps[1]) {
        delete steps[0];
        delete steps[1];
        error("[animal] No memory for the steps of an antler");
        piece.set(nullptr, 0, nullptr, desc.get());
        return false;
    }
    return piece.set(steps, 2, part, desc.get());
}

}  // namespace quarn
