#pragma once
// The sound front-end: between the game and the sound device that a plug-in puts into
// the device registry (a device of class 2). It selects the device named by the
// variable s_device (case does not matter), keeps every live sound as a unit of the
// class "sound", and once per frame (snd_update_state) decides for each sound whether
// it is heard: it opens and closes channels, sends changed attributes with the music
// or effect volume applied, silences positional sounds at or beyond their maximum
// distance and sounds of another tag, and releases one-shot sounds when they stop.
//
// Without a current device (none selected, or its initialisation failed) every
// per-frame function does nothing.
#include <cstdint>

#include "kernel/api.h"
#include "kernel/sound/sound_unit.h"
#include "outside/sonbase/device.h"
#include "qrncore/geometry/placement.h"

extern "C" {
// Selects the first present sound device whose name is s_device's value. False
// (logged "[snd] select device = NULL") when there is none or it fails to start.
KERNEL_API bool snd_init_devices();
// With the device of s_device's name current: stops every channel and restarts it;
// a failed restart leaves no current device. Otherwise shuts the current device down
// and selects anew. True when a device runs afterwards.
KERNEL_API bool snd_restart();
// Stops every channel, shuts the current device down (state 2) and forgets it.
// Returns the number of devices shut down (0 or 1).
KERNEL_API int snd_device_shutdown();
// Shuts down every registered sound device not shut down yet (the current one
// first, with its channels stopped); no device is current afterwards. Returns how
// many were shut down.
KERNEL_API int snd_shutdown_devices();
KERNEL_API quarn::sound::device_t *snd_device_current();
// The n-th registered sound device, or null (logged).
KERNEL_API quarn::sound::device_t *snd_device_get(int n);
// The number of registered sound devices (logged).
KERNEL_API int snd_device_count();
// The first present sound device of that name, case ignored; null for none.
KERNEL_API quarn::sound::device_t *snd_eval_devicestring(const char *name);
// The current device's suspend / revive; nothing without one.
KERNEL_API void snd_device_suspend();
KERNEL_API void snd_device_revive();
// Reports nothing; returns -2 (done).
KERNEL_API int snd_device_info();

KERNEL_API float snd_get_music_volume();
KERNEL_API float snd_get_sfx_volume();
// s_acceleration / s_reverse_stereo non-zero.
KERNEL_API bool snd_is_accelerated();
KERNEL_API bool snd_is_stereo_reversed();

// Places the listener (velocity null: at rest) and marks every playing positional
// sound changed.
KERNEL_API void snd_listener(const quarn::placement_t *placement, const quarn::vec3_t *velocity);
// Store the factor in the listener; return it.
KERNEL_API float snd_distance_factor(float factor);
KERNEL_API float snd_rolloff_factor(float factor);
// The distances new sounds start with.
KERNEL_API void snd_def_mm_distances(float min_distance, float max_distance);
// No length is known: 0.
KERNEL_API float snd_get_length(const char *resource_name);
// Makes tag current: every sound whose tag is neither tag nor -1 is muted, the
// others are not.
KERNEL_API void snd_set_current_tag(int tag);
// With a current device, marks every playing sound changed (new volumes reach them).
KERNEL_API void snd_enforce_attributes();

// A new sound of the resource with the creator's flags and tag, held by the list of
// live sounds only (the caller counts it if it keeps it). Null (logged) without a
// unit system or memory.
KERNEL_API quarn::sound_u *_snd_create(const char *resource_name, uint32_t flags, int32_t tag);
// The same, held by the front-end until it stops, so the caller may drop it once it
// asked it to play. Null when it could not be made.
KERNEL_API quarn::sound_u *_snd_create_oneshot(const char *resource_name, uint32_t flags, int32_t tag);
// The frame's update; called by the game once per frame.
KERNEL_API void snd_update_state();
// Releases the one-shot sounds; a sound still alive after that is reported (the
// game should have destroyed it).
KERNEL_API void snd_finish();
}

// The names by which other code calls these.
inline quarn::sound_u *snd_create(const char *resource_name, uint32_t flags, int32_t tag) {
    return _snd_create(resource_name, flags, tag);
}
inline quarn::sound_u *snd_create_oneshot(const char *resource_name, uint32_t flags, int32_t tag) {
    return _snd_create_oneshot(resource_name, flags, tag);
}

namespace quarn {

class unit_bank_t;
class unit_system_t;

// Boot step 12: registers the variables and the commands "s_restart" and "s_info",
// the unit class "sound" with bank, and starts the sound layer's process. Sounds are
// made in system; without one (null) _snd_create fails.
void snd_start(unit_bank_t *bank, unit_system_t *system);
// Boot step 15: unregisters the variables and commands. Sounds still held are
// released (and reported, as by snd_finish) and no device is current any more.
void snd_stop();

// A sound's destruction: stops and closes its channel and drops it from the lists.
void snd_forget_sound(sound_u *sound);
// Sounds in the list of live sounds / of one-shot sounds.
uint32_t snd_live_count();
uint32_t snd_oneshot_count();

}  // namespace quarn
