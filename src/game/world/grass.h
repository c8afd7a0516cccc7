#pragma once
// grass_u ("grass", "/map/<map>/grass.unit", loaded by the environment): grass and
// small ground plants grown around the viewer (docs/world.md, "Grass").
//
// The ground is cut into 30 × 30 cells (grass_cell_u). The controllers hand the
// camera's position to update_cells (at their first frame and again wherever the
// camera moves; the hunt once, where the hunter stands), which generates the missing
// cells within 5 cells and 153 units of it (up to 242 are kept, the least recently used
// evicted); the scene's update list draws the cells in view. The console variable
// "g_grass_density" scales the plant counts; at 0 (or below) nothing is generated or
// drawn. The variable's hook calls grass_set_density_changed() on every assignment: the
// next draw throws every cell away and generates anew around the last viewer.
//
// The grass finds the terrain on the current controller's world (a test or a tool
// may give it one of its own with set_landscape) and draws with packets of the
// current scene: its first camera, its fog, its second light, and a model packet of
// its own.
#include <cstdint>

#include "game/scene/updatable.h"
#include "game/visuals/shaders/fw_packets.h"
#include "game/world/grass_cell.h"
#include "game/world/grass_set.h"
#include "outside/qrnshared/parameter_packet.h"
#include "qrncore/collections/arrays/array_dyn.h"
#include "qrncore/units/unit.h"
#include "qrncore/units/unit_class.h"
#include "qrncore/units/unit_ptr.h"

namespace quarn {

class landscape_u;

// The density setting changed: every grass throws its cells away at its next draw (one
// flag for the module: the setting is global, whichever scene draws).
void grass_set_density_changed();
// Whether it changed since the last draw that saw it (tests).
bool grass_density_change_pending();
// "g_grass_density" (0 when it is not registered; a value that is not a number is 0).
float grass_density();

class grass_u : public unit_t, public updatable_t {
    QRN_UNIT_CLASS(grass_u, unit_t);

public:
    // Substances the game knows (sets of other indices are ignored).
    static constexpr int32_t GAME_SUBSTANCE_COUNT = 18;
    static constexpr int32_t CELL_SIZE = 30;
    static constexpr int32_t CELL_HEIGHT = 9999;
    // Cells within this many of the viewer's cell on each axis, and within REACH of
    // the viewer, are generated and drawn.
    static constexpr int32_t CELL_RANGE = 5;
    static constexpr float REACH = 153.0f;
    static constexpr uint32_t MAX_CELLS = 242;

    ~grass_u() override;

    // The substance map, the scene's update list and the packets.
    bool _call_post_load() override;

    // Generates the missing cells around the viewer (nothing when the density is at
    // or below 0, or for a viewer whose cell cannot be told: not finite, or beyond
    // ±2^30).
    void update_cells(const vec3_t &viewer);
    void update(float dt) override;
    // Draws the cells in view around the current camera; after a density change
    // first throws every cell away and generates anew around the last viewer.
    void draw() override;

    // The cell index of a coordinate on one axis: (floor(c) + offset) / size,
    // truncated toward zero.
    static int32_t cell_index(float coordinate, int32_t size = CELL_SIZE, int32_t offset = 0);
    // The box of cell (x, z): centred on (x × 30, 0, z × 30), 30 × 9999 × 30.
    static aabox_t cell_box(int32_t x, int32_t z);
    // Whether a viewer's cell can be told (finite and within ±2^30).
    static bool viewer_usable(const vec3_t &viewer);

    // The cell (x, z) when it is kept (no change of the least-recently-used order).
    grass_cell_u *find_cell(int32_t x, int32_t z) const;
    uint32_t get_cell_count() const { return m_cells.get_count(); }
    // Cell i, least recently used first.
    grass_cell_u *get_cell(uint32_t i) const { return m_cells[i].get(); }
    void release_cells();

    uint32_t get_set_count() const { return m_sets.get_count(); }
    grass_set_u *get_set(uint32_t i) const;
    // The set of a substance, or null.
    grass_set_u *set_for(int32_t substance) const;
    // The position the cells last grew around, and whether they grew around any.
    const vec3_t &get_viewer() const { return m_viewer; }
    bool has_viewer() const { return m_has_viewer; }
    r_parameter_array_t &get_packets() { return m_packets; }
    fw4pp_model_u *get_own_packet() const { return m_own_packet.get(); }
    bool is_listed() const { return m_listed; }
    // The obstacles of the last cell generated.
    const grass_obstacles_t &get_obstacles() const { return m_obstacles; }

    // Storage the cells are generated in, kept from cell to cell so that a cell's
    // plants grow into memory that is already there (each cell then takes one copy
    // of exactly what it holds).
    array_dyn_t<grass_cell_u::vertex_t> &scratch_vertices() { return m_scratch_vertices; }
    array_dyn_t<uint16_t> &scratch_indices() { return m_scratch_indices; }

    // The terrain to grow on; null: the current controller's world's.
    void set_landscape(landscape_u *landscape) { m_landscape = landscape; }
    landscape_u *get_landscape() const;

    // Attributes.
    array_dyn_t<owner_ptr_t<unit_base_t>> m_sets;
    array_dyn_t<owner_ptr_t<unit_base_t>> m_models;

protected:
    void on_construct();
    void on_destroy();

private:
    void teardown();
    // The cell (x, z), generated when missing or dead; null when it cannot be made.
    grass_cell_u *obtain_cell(landscape_u &landscape, int32_t x, int32_t z);

    int32_t m_substance_to_set[GAME_SUBSTANCE_COUNT];
    // Least recently used first.
    array_dyn_t<owner_ptr_t<grass_cell_u>> m_cells;
    r_parameter_array_t m_packets;
    owner_ptr_t<fw4pp_model_u> m_own_packet;
    vec3_t m_viewer;
    bool m_has_viewer = false;
    bool m_listed = false;
    landscape_u *m_landscape = nullptr;
    grass_obstacles_t m_obstacles;
    array_dyn_t<grass_cell_u::vertex_t> m_scratch_vertices;
    array_dyn_t<uint16_t> m_scratch_indices;
};

}  // namespace quarn
