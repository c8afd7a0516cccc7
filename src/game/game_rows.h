#pragma once
// The game module's registration table. Whatever a subsystem needs the module to do
// when it registers, while its guard process is made, on every pass and in the three
// stages of the guard's shutdown, is a row of the table: a step (which fixes when and
// in what order it runs), a name and what it does. Unit classes are rows too; their
// order is the registration order of the game's unit types (game_unit_order.h), so a
// class row needs no place of its own. Factory rows are never run: other parts of the
// game look them up by name (a spawner the hunt asks for, say).
//
// Each subsystem keeps its rows in one list of its own, in a source file of its own
// folder:
//
//     GAME_MODULE_ROWS(shaders,
//         game_row(game_step_t::REGISTER_LOCK_SHADERS, "shaderlib_set_lock_callbacks", set_locks),
//         game_row(game_step_t::PASS_SHADERS, "shaderlib_update", update),
//         game_class_row(fw4pp_light_u::unit_descriptor));
//
// The list links itself to the module at start; nobody edits another subsystem's list
// or a central one. Within a step rows run by their order value, then by list name,
// then in list order, so the result never depends on link order. See
// docs/game-module.md.
#include <cstdint>

#include "qrncore/collections/arrays/array_dyn.h"
#include "qrncore/units/unit_structs.h"

namespace quarn {

class unit_bank_t;

// The steps, in the order the module runs them, grouped by phase.
enum class game_step_t : uint8_t {
    // register_game_classes (the module's dl_register).
    REGISTER_LOCK_GAMESUP,      // lock hooks of the game-support resources
    REGISTER_LOCK_SHADERS,      // ... of the shader library
    REGISTER_LOCK_BEHAVIOUR,    // ... of the behaviour-file loader
    REGISTER_LOCK_MODELS,       // ... of the model library
    REGISTER_UNIT_SYSTEM,       // the unit system
    REGISTER_UNIT_CLASSES,      // class rows, in the unit type order
    REGISTER_VISUAL_OBJECTS,    // the visual-object module
    REGISTER_MODEL_CLASSES,     // the model library's classes
    REGISTER_BEHAVIOUR_LOADER,  // the behaviour-file resource loader
    REGISTER_UI_HANDLERS,       // UI entity classes: handlers and effect texts
    REGISTER_UI_COMPONENTS,     // UI entity classes: windows and components
    REGISTER_SHADER_QUEUES,     // the shader library's render queues
    REGISTER_LOCK_MM,           // hold the memory manager's process
    // The guard process's construction.
    GUARD_LOCALISATION,  // localisation API and its callback
    GUARD_SHADERS,       // shader library effects
    GUARD_EFFECTS,       // the game's shader effects
    GUARD_WAVE_TEXTURE,  // procedural textures
    GUARD_MARKUP,        // text markup
    // Every pass of the guard while it runs (signal 0); args.seconds is its clock.
    PASS_SHADERS,     // shader library updaters
    PASS_UI_RECACHE,  // runs only while the module's UI recache request is set
    // Stage 1 of the guard's shutdown (one pass).
    STOP_HOOKUP,            // the UI effect hookup
    STOP_MARKUP,            // text markup
    STOP_LOCALISATION_API,  // localisation API
    STOP_LOCALISATION,      // the held translation table
    STOP_WAVE_TEXTURE,      // procedural textures
    STOP_SHADER_QUEUES,     // render queues
    // Stage 2: every pass while the guard waits for its holds, so rows must bear
    // running again.
    DRAIN_BEHAVIOUR,  // unreferenced behaviour files
    DRAIN_MODELS,     // unreferenced model resources (each holds the guard)
    DRAIN_SHADERS,    // effects and unreferenced materials (their passes hold the guard)
    DRAIN_GAMESUP,    // unreferenced game-support resources
    // Stage 3 (the last pass).
    KILL_UNLOCK_MM,          // let the memory manager's process go
    KILL_BEHAVIOUR_LOADER,   // the behaviour-file loader
    KILL_VISUAL_OBJECTS,     // the visual-object module
    // Never run: looked up by name.
    FACTORY,
    COUNT
};

enum class game_phase_t : uint8_t { REGISTER, GUARD, PASS, STOP, DRAIN, KILL, FACTORY };

constexpr game_phase_t game_step_phase(game_step_t s) {
    if (s <= game_step_t::REGISTER_LOCK_MM) return game_phase_t::REGISTER;
    if (s <= game_step_t::GUARD_MARKUP) return game_phase_t::GUARD;
    if (s <= game_step_t::PASS_UI_RECACHE) return game_phase_t::PASS;
    if (s <= game_step_t::STOP_SHADER_QUEUES) return game_phase_t::STOP;
    if (s <= game_step_t::DRAIN_GAMESUP) return game_phase_t::DRAIN;
    if (s <= game_step_t::KILL_VISUAL_OBJECTS) return game_phase_t::KILL;
    return game_phase_t::FACTORY;
}

// What a row's work gets.
struct game_row_args_t {
    unit_bank_t *bank = nullptr;  // REGISTER: the bank the classes go to
    double seconds = 0.0;         // PASS: the guard's clock
    // REGISTER: when given, every class row that registers appends its descriptor.
    array_dyn_t<const unit_descriptor_t *> *registered = nullptr;
};

using game_row_run_t = bool (*)(const game_row_args_t &args);
// Factories have signatures of their own; their users cast back (game_find_factory).
using game_factory_fn_t = void (*)();

struct game_row_t {
    game_step_t step;
    // The row's name: what the log and tests show; for factories the name asked for.
    // Class rows take their type name from the descriptor.
    const char *name;
    // The work; false is logged ("[game] step '%s' failed") and the phase goes on.
    game_row_run_t run;
    const unit_descriptor_t *unit_class;
    game_factory_fn_t factory;
    int32_t order;
};

constexpr game_row_t game_row(game_step_t step, const char *name, game_row_run_t run, int32_t order = 0) {
    return {step, name, run, nullptr, nullptr, order};
}
constexpr game_row_t game_class_row(const unit_descriptor_t &d) {
    return {game_step_t::REGISTER_UNIT_CLASSES, nullptr, nullptr, &d, nullptr, 0};
}
template <class F>
game_row_t game_factory_row(const char *name, F *function) {
    return {game_step_t::FACTORY, name, nullptr, nullptr, reinterpret_cast<game_factory_fn_t>(function), 0};
}

// One subsystem's rows.
struct game_row_list_t {
    const char *name;
    const game_row_t *rows;
    uint32_t count;
    game_row_list_t *next = nullptr;
};

// Adds a list to those the module runs (GAME_MODULE_ROWS does it at start). Returns
// true, so that it can initialise a flag.
bool game_rows_link(game_row_list_t *list);
// The lists linked so far, newest first.
game_row_list_t *game_rows_linked();

// The rows of a set of lists, sorted into the order they run.
class game_row_table_t {
public:
    game_row_table_t() = default;
    game_row_table_t(const game_row_table_t &) = delete;
    game_row_table_t &operator=(const game_row_table_t &) = delete;

    // Takes the rows of the lists chained from first (null: none). Class rows whose
    // type has no place in the unit type order, and abstract classes, are refused
    // with an error. False when memory runs out.
    bool build(const game_row_list_t *first);
    // The table of the linked lists, built on first use.
    static const game_row_table_t &linked();

    // Runs the rows of the phase in order; a step's rows run only when the step is
    // not skipped (skip_ui_recache: PASS_UI_RECACHE).
    void run(game_phase_t phase, const game_row_args_t &args, bool skip_ui_recache = true) const;
    // Runs the rows of one step only.
    void run_step(game_step_t step, const game_row_args_t &args) const;
    // The factory row of that name, or null.
    game_factory_fn_t find_factory(const char *name) const;

    uint32_t count() const { return m_rows.get_count(); }
    const game_row_t &get(uint32_t i) const { return *m_rows[i].row; }
    // The name the row is known by (the type name for a class row).
    static const char *row_name(const game_row_t &row);

private:
    void run_row(const game_row_t &row, const game_row_args_t &args) const;

    struct entry_t {
        const game_row_t *row;
        const game_row_list_t *list;
        uint32_t index;  // in its list
        int32_t order;   // the row's order, or the class's place in the type order
    };
    array_dyn_t<entry_t> m_rows;
};

// A factory by name, cast to its type; null when no row offers it.
template <class F>
F *game_find_factory(const game_row_table_t &table, const char *name) {
    return reinterpret_cast<F *>(table.find_factory(name));
}

}  // namespace quarn

#define GAME_MODULE_ROWS(list, ...)                                                                  \
    namespace {                                                                                      \
    const ::quarn::game_row_t list##_game_rows_[] = {__VA_ARGS__};                                   \
    ::quarn::game_row_list_t list##_game_row_list_{                                                  \
        #list, list##_game_rows_, uint32_t(sizeof list##_game_rows_ / sizeof list##_game_rows_[0])}; \
    [[maybe_unused]] const bool list##_game_rows_linked_ = ::quarn::game_rows_link(&list##_game_row_list_); \
    }                                                                                                \
    static_assert(true, "")
