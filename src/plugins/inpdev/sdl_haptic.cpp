#include "plugins/inpdev/sdl_haptic.h"

namespace quarn::inpdev {

namespace {

// -10000..10000 to SDL's -32767..32767.
Sint16 level(int32_t v) {
    if (v > 10000) v = 10000;
    if (v < -10000) v = -10000;
    return Sint16(v * 32767 / 10000);
}

// 0..10000 to SDL's 0..65535.
Uint16 fraction(int32_t v) {
    if (v > 10000) v = 10000;
    if (v < 0) v = 0;
    return Uint16(uint32_t(v) * 65535u / 10000u);
}

// Microseconds to SDL's 16-bit milliseconds.
Uint16 short_ms(uint32_t usec) {
    const uint32_t ms = usec / 1000u;
    return Uint16(ms > 65535u ? 65535u : ms);
}

Uint32 length_ms(uint32_t usec) { return usec == INFINITE_DURATION ? SDL_HAPTIC_INFINITY : Uint32(usec / 1000u); }

// Hundredths of a degree, within one turn.
Uint16 phase(int32_t v) {
    const int32_t p = v % 36000;
    return Uint16(p < 0 ? p + 36000 : p);
}

Uint16 sdl_type(effect_kind_t kind) {
    switch (kind) {
        case EFFECT_CONSTANT: return SDL_HAPTIC_CONSTANT;
        case EFFECT_RAMP: return SDL_HAPTIC_RAMP;
        case EFFECT_SINE: return SDL_HAPTIC_SINE;
        case EFFECT_TRIANGLE: return SDL_HAPTIC_TRIANGLE;
        case EFFECT_SAWTOOTH_UP: return SDL_HAPTIC_SAWTOOTHUP;
        case EFFECT_SAWTOOTH_DOWN: return SDL_HAPTIC_SAWTOOTHDOWN;
        case EFFECT_SPRING: return SDL_HAPTIC_SPRING;
        case EFFECT_DAMPER: return SDL_HAPTIC_DAMPER;
        case EFFECT_INERTIA: return SDL_HAPTIC_INERTIA;
        case EFFECT_FRICTION: return SDL_HAPTIC_FRICTION;
        case EFFECT_SQUARE: break;
    }
    return 0;
}

// What every kind's record begins with.
template <class T>
void set_common(T &e, Uint16 type, const effect_desc_t &desc) {
    e.type = type;
    e.direction.type = SDL_HAPTIC_CARTESIAN;
    e.direction.dir[0] = desc.directions[0];
    e.direction.dir[1] = desc.directions[1];
    e.length = length_ms(desc.duration);
    e.delay = short_ms(desc.start_delay);
    e.button = 0;
    e.interval = short_ms(desc.trigger_repeat);
}

result_t from_sdl(int r) { return r < 0 ? ERR_GENERIC : RESULT_OK; }

}  // namespace

bool sdl_haptic_has(unsigned query, effect_kind_t kind) {
    const Uint16 type = sdl_type(kind);
    return type && (query & type);
}

bool sdl_haptic_effect(effect_kind_t kind, const effect_desc_t &desc, SDL_HapticEffect *out) {
    const Uint16 type = sdl_type(kind);
    if (!type) return false;
    SDL_memset(out, 0, sizeof *out);
    const int32_t *b = desc.type_block;
    switch (kind) {
        case EFFECT_CONSTANT:
            set_common(out->constant, type, desc);
            out->constant.level = level(b[0]);
            break;
        case EFFECT_RAMP:
            set_common(out->ramp, type, desc);
            out->ramp.start = level(b[0]);
            out->ramp.end = level(b[1]);
            break;
        case EFFECT_SINE:
        case EFFECT_TRIANGLE:
        case EFFECT_SAWTOOTH_UP:
        case EFFECT_SAWTOOTH_DOWN:
            set_common(out->periodic, type, desc);
            out->periodic.magnitude = level(b[0]);
            out->periodic.offset = level(b[1]);
            out->periodic.phase = phase(b[2]);
            out->periodic.period = short_ms(uint32_t(b[3] < 0 ? 0 : b[3]));
            break;
        case EFFECT_SPRING:
        case EFFECT_DAMPER:
        case EFFECT_INERTIA:
        case EFFECT_FRICTION:
            set_common(out->condition, type, desc);
            // One condition block serves every axis.
            for (int axis = 0; axis < 3; ++axis) {
                out->condition.center[axis] = level(b[0]);
                out->condition.right_coeff[axis] = level(b[1]);
                out->condition.left_coeff[axis] = level(b[2]);
                out->condition.right_sat[axis] = fraction(b[3]);
                out->condition.left_sat[axis] = fraction(b[4]);
                out->condition.deadband[axis] = fraction(b[5]);
            }
            break;
        case EFFECT_SQUARE: return false;
    }
    return true;
}

sdl_effect_t::~sdl_effect_t() { SDL_HapticDestroyEffect(m_haptic, m_id); }

result_t sdl_effect_t::set_parameters(const effect_desc_t &desc, uint32_t) {
    // SDL takes the whole effect; the description is complete every time.
    SDL_HapticEffect effect;
    if (!sdl_haptic_effect(m_kind, desc, &effect)) return ERR_UNSUPPORTED;
    return from_sdl(SDL_HapticUpdateEffect(m_haptic, m_id, &effect));
}

result_t sdl_effect_t::start(uint32_t iterations, bool solo) {
    if (solo) SDL_HapticStopAll(m_haptic);
    const Uint32 runs = iterations == INFINITE_ITERATIONS ? SDL_HAPTIC_INFINITY : iterations;
    return from_sdl(SDL_HapticRunEffect(m_haptic, m_id, runs));
}

result_t sdl_effect_t::stop() { return from_sdl(SDL_HapticStopEffect(m_haptic, m_id)); }

}  // namespace quarn::inpdev
