#pragma once
// Force-feedback effects over SDL's haptic devices. The device's units (magnitudes
// -10000..10000, saturations and dead bands 0..10000, times in microseconds, phases
// in hundredths of a degree) become SDL's (16-bit levels, milliseconds) in one
// function.
#include <SDL.h>

#include "plugins/inpdev/input_api.h"

namespace quarn::inpdev {

// SDL's effect for the kind and description; false for a kind SDL has no wave for
// (the square wave), which the device then lacks.
bool sdl_haptic_effect(effect_kind_t kind, const effect_desc_t &desc, SDL_HapticEffect *out);
// Whether a haptic device that answers query (SDL_HapticQuery) can play the kind.
bool sdl_haptic_has(unsigned query, effect_kind_t kind);

// One effect loaded on a haptic device; destroyed with the object.
class sdl_effect_t : public effect_i {
public:
    sdl_effect_t(SDL_Haptic *haptic, int id, effect_kind_t kind) : m_haptic(haptic), m_id(id), m_kind(kind) {}
    ~sdl_effect_t() override;

    result_t set_parameters(const effect_desc_t &desc, uint32_t what) override;
    result_t start(uint32_t iterations, bool solo) override;
    result_t stop() override;

private:
    SDL_Haptic *m_haptic;
    int m_id;
    effect_kind_t m_kind;
};

}  // namespace quarn::inpdev
