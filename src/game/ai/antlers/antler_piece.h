#pragma once
// antler_piece_t: one built antler, owned by the animal that carries it. It is a list
// of build steps applied in order to a draw frame, the part it draws and a clone of
// the description it was built from (antler_desc_u). A piece of an empty factory, or
// of a beam that names no part, has no steps and draws nothing.
//
// The steps: a matrix step multiplies the frame's running matrix by its own on the
// right (running = running · stored: the stored transform acts first, in the frame
// the running matrix gives; the piece's scale thus scales the model about its own
// origin); a target step draws its part at the running matrix with the frame's level.
#include <cstdint>

#include "game/ai/antlers/antler_units.h"
#include "game/game_alloc.h"
#include "qrncore/collections/arrays/array_dyn.h"
#include "qrncore/math/mat_sq.h"
#include "qrncore/units/unit_ptr.h"

namespace quarn {

// What one draw of a piece carries from step to step.
struct antler_frame_t {
    mat4_t running = mat4_t::identity();
    float level = 1.0f;
};

class antler_step_t : public game_alloc_t {
public:
    virtual ~antler_step_t() = default;
    virtual void apply(antler_frame_t &frame) = 0;
};

class antler_step_matrix_t : public antler_step_t {
public:
    explicit antler_step_matrix_t(const mat4_t &m) : matrix(m) {}
    void apply(antler_frame_t &frame) override;

    mat4_t matrix;
};

class antler_step_target_t : public antler_step_t {
public:
    explicit antler_step_target_t(antler_part_u *p) : part(p) {}
    void apply(antler_frame_t &frame) override;

    ref_ptr_t<antler_part_u> part;
};

class antler_piece_t : public game_alloc_t {
public:
    antler_piece_t() = default;
    ~antler_piece_t() { reset(); }
    antler_piece_t(const antler_piece_t &) = delete;
    antler_piece_t &operator=(const antler_piece_t &) = delete;

    // Draws the steps in order, the running matrix starting at matrix (the antler
    // bone's model-space matrix times the animal's) and the level the tint.
    void draw(const mat4_t &matrix, float level);

    // Takes over the steps (each owned from now on), the part the target step
    // draws and a clone of desc; whatever the piece held before goes. A step that
    // cannot be listed is deleted and the piece stays empty (false).
    bool set(antler_step_t *const *steps, uint32_t count, antler_part_simple_u *part, antler_desc_u *desc);
    // Deletes the steps and lets go of the description.
    void reset();

    bool is_empty() const { return m_steps.is_empty(); }
    uint32_t get_step_count() const { return m_steps.get_count(); }
    antler_step_t *get_step(uint32_t i) const { return m_steps[i]; }
    // The part drawn (null for an empty piece); held by the target step.
    antler_part_simple_u *get_part() const { return m_part; }
    // The clone of the description the piece was built from, or null.
    antler_desc_u *get_desc() const { return m_desc.get(); }

private:
    array_dyn_t<antler_step_t *> m_steps;
    antler_part_simple_u *m_part = nullptr;
    ref_ptr_t<antler_desc_u> m_desc;
};

}  // namespace quarn
