#pragma once
// The model library as the game runs it: the shader fixture's kernel, memory manager
// and effects, the graphics front-end (for prototypes, packets and buffers), the
// model classes in the engine's bank, lock hooks that count, and a folder of models
// written with the zmgen library, mounted at "/t".
//
// Fixture models:
// - rig ("/t/model/rig/rig.zmd"): bones "root" at (0, 1, 0) and "tip" at (0, 0, -1)
//   below it; part "body" of two skinned triangles (pieces 0, 1), part "head" of one
//   triangle bound to the tip (piece 2); tangents and the further stream; looks
//   "default" (slot 0 "skin.mat", relative; slot 1 "/t/mat/eye.mat") and "winter"
//   (slot 0 "winter.mat"); variants "default" and "hidden" (head "visible" 1 / 0).
// - rock ("/t/model/rock/rock.zmd"): no bones, one part "rock" of one unit quad in
//   z = 0 facing +z; look "default" (slot 0 "rock.mat"); variant "default".
// Every material is of "/effect/fw4/fw_dif".
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "../shaders/shader_fixture.h"
#include "game/visuals/models/model_anim.h"
#include "game/visuals/models/model_coll.h"
#include "game/visuals/models/model_desc.h"
#include "game/visuals/models/model_geom.h"
#include "game/visuals/models/model_lib.h"
#include "game/visuals/models/model_object.h"
#include "support/message_capture.h"
#include "zm_model.h"

namespace quarn::test {

zmgen::zm_model_t rig_model();
zmgen::zm_model_t rock_model();
// An animation of frames for the rig: frame f moves the tip by (0, 0, -f) and lasts
// 0.25 s; loop appends a copy of frame 0 (frames + 1 frames in all).
zmgen::zm_animation_t rig_animation(const char *name, uint32_t frames, bool loop);

class model_lib_fixture_t : public shader_fixture_t {
protected:
    void SetUp() override;
    void TearDown() override;

    // Writes the model's files as "/t/<folder>/<base>.*" (and its animations beside
    // them); the descriptor's path.
    std::string write_model(const zmgen::zm_model_t &model, const std::string &folder, const std::string &base);
    // Writes the rig and rock models and their materials.
    void write_fixture_models();
    // Writes an fw_dif material at "/t/<name>".
    void write_material(const std::string &name);

    // An obtained descriptor, released at the end of the test.
    model_desc_u *desc(const std::string &path);
    model_anim_u *anim(const std::string &path);

    // Draws what the objects queue into a new frame; the frame's log.
    const r_draw_log_t &render(std::initializer_list<model_hookup_u *> drawn);

    // Model items bound now (lock minus unlock calls).
    static int bound() { return locks - unlocks; }

    message_capture_t log;
    // camera, model, fog and light in slots 0-3; made in SetUp.
    std::unique_ptr<test_packets_t> packets;
    std::vector<resource_unit_u *> obtained;
    static inline int locks = 0;
    static inline int unlocks = 0;
};

}  // namespace quarn::test
