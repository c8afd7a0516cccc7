#pragma once
// deer_animal_t: a live animal with antlers (a gender of type "deer"). Set up, it
// builds the antlers its instance definition describes ("left_antler",
// "right_antler") through the scene's antler cache and hangs them on the bones "a_l"
// and "a_r"; they are drawn with the body (docs/animal-ai.md, "Live animals").
#include <memory>

#include "game/ai/antlers/antler_piece.h"
#include "game/ai/animals/simple_animal.h"

namespace quarn {

class deer_animal_t : public simple_animal_t {
public:
    static constexpr const char *BONES[2] = {"a_l", "a_r"};
    static constexpr const char *ANTLERS[2] = {"left_antler", "right_antler"};

    // The animal's set-up, then an antler for each side whose bone the model has and
    // whose object the instance has.
    bool setup(const ai_animal_setup_t &setup) override;
    // The body, then each antler at its bone, tinted as the body.
    void draw_body() override;

    // The antler of a side (0 left, 1 right), or null for none.
    const antler_piece_t *get_antler(uint32_t side) const { return side < 2 ? m_antlers[side].piece.get() : nullptr; }
    int32_t get_antler_bone(uint32_t side) const { return side < 2 ? m_antlers[side].bone : -1; }

private:
    struct slot_t {
        std::unique_ptr<antler_piece_t> piece;
        int32_t bone = -1;
    };
    slot_t m_antlers[2];
};

// The factory of the live animals (installed by the game module's rows): "deer" gives
// a deer_animal_t, any other type a simple_animal_t.
ai_animal_factory_t live_animal_factory();

}  // namespace quarn
