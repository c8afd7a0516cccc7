#pragma once
// The shader library: the game's layer between its effects and the renderer. It owns
// the nine render queues into which the passes of the game's effects sort their
// prototypes, draws and empties them once per frame in index order, each sorted by
// its rule (queue_sort.h), keeps the dynamic textures it updates every frame, and
// registers the generic effect directory "/effect/generic" with its effect "dry".
//
// Queue indices (what passes choose with shaderlib_set_pass_queue): 0 and 1 hold
// opaque geometry grouped by material, 2 to 8 what must be drawn in draw order
// (layered and translucent geometry; the dry effect's flags choose among them).
//
// Lock hooks: the game module gives the library its guard's lock and unlock; every
// unit of the library's effects holds a lock while it lives (shaderlib_hold_t), so
// that the module outlives the effects that materials keep.
#include <cstdint>

#include "qrncore/collections/arrays/array_dyn.h"

namespace quarn {

class dynamic_texture_t;
class r_context_t;
struct effect_pass_config_t;
struct r_proto_t;
struct r_queue_t;

constexpr uint32_t SHADERLIB_QUEUES = 9;
constexpr uint32_t SHADERLIB_MAX_UPDATERS = 16;

using shaderlib_lock_t = void (*)();

// Stores the two hooks (either may be null).
void shaderlib_set_lock_callbacks(shaderlib_lock_t lock, shaderlib_lock_t unlock);

// Held by every unit of the library's effects: takes a lock through the hook set at
// its construction and gives it back through the unlock hook of that moment.
class shaderlib_hold_t {
public:
    shaderlib_hold_t();
    ~shaderlib_hold_t();
    shaderlib_hold_t(const shaderlib_hold_t &) = delete;
    shaderlib_hold_t &operator=(const shaderlib_hold_t &) = delete;

private:
    shaderlib_lock_t m_unlock;
};

// Makes the nine queues, in index order (queue i gets the renderer's number i when no
// other queue lives); true. Queues that exist already are kept.
bool shaderlib_init_queues();
// Frees every queue that exists; the count of queues is 0 afterwards. A second call
// finds none.
void shaderlib_free_queues();
// The number of queues that exist (9 or 0), and the queue at index (null past them).
uint32_t shaderlib_queue_count();
r_queue_t *shaderlib_get_queue(uint32_t index);
// Gives a pass the queue of that index; false (and no queue) for an index past 8 or
// while the queues do not exist.
bool shaderlib_set_pass_queue(effect_pass_config_t &config, uint32_t index);

// Registers the effect directory "/effect/generic" and the classes dry_u, dry_pass_u
// and drypp_texprojection_u with the engine's unit bank; false (logged) without the
// bank or when a class is refused.
bool shaderlib_register();
// Unregisters the directory (dropping the effects made under it) and the classes;
// nothing when the directory is not registered.
void shaderlib_unregister();

// Appends the updater: the new count; -1 (logged, nothing changed) when the table
// holds 16 already or for null.
int32_t shaderlib_add_updater(dynamic_texture_t *updater);
// Removes the updater (the last entry moves into its place): the index where it was,
// or the count when it was not there.
uint32_t shaderlib_remove_updater(dynamic_texture_t *updater);
uint32_t shaderlib_updater_count();
// Updates every updater in table order with the time in seconds.
void shaderlib_update(float time);

// Sorts, draws and flushes queues 0 to 8 into the context, then resets the context's
// bound pass (set_pass(nullptr)) and its texture stages (reset_texture_stages(0)).
void shaderlib_queue_render_and_flush(r_context_t *context);

}  // namespace quarn
