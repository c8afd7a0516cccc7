#pragma once
// A scene of the test's own: a unit system over a bank of its own (set as the default),
// a concrete controller, a stand-in for the world that the bank may register under its
// type name, and probes that record what the scene calls.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "game/scene/base_ctrl.h"
#include "game/scene/scene_object.h"
#include "game/scene/scene_view.h"
#include "game/scene/updatable.h"
#include "qrncore/units/unit_bank.h"
#include "qrncore/units/unit_system.h"

namespace quarn::test {

// Records every call in a shared journal ("<name>.attached", "<name>.update 0.5",
// "<name>.draw") and runs an optional action inside update.
class probe_t : public updatable_t {
public:
    probe_t(std::vector<std::string> &journal, std::string name) : m_journal(journal), m_name(std::move(name)) {}

    void on_attached() override;
    void update(float dt) override;
    void draw() override;

    int attached = 0;
    int updates = 0;
    float last_dt = 0.0f;
    std::function<void()> on_update;

private:
    std::vector<std::string> &m_journal;
    std::string m_name;
};

// A view and a player with the neutral defaults.
class still_view_t : public scene_view_t {
public:
    placement_t get_placement() const override { return placement; }
    placement_t placement;
};
class idle_player_t : public scene_object_t {
public:
    void update(float) override {}
};

class test_ctrl_u : public base_ctrl_u {
    QRN_UNIT_CLASS(test_ctrl_u, base_ctrl_u);

public:
    scene_view_t *get_view() override { return &view; }
    scene_object_t *get_player() override { return &player; }
    void close_windows() override;

    still_view_t view;
    idle_player_t player;
    // Set: closing the windows ends every effect that held the scene (the count goes
    // to 0), as it does when only the session's windows held it.
    bool frees_at_close = false;
    // Counts close_windows and notes whether the world was already gone then.
    static inline int windows_closed = 0;
    static inline bool world_gone_at_close = false;
};

// A stand-in registered as "world": a scene object that counts its calls.
// not_a_scene_object_u is a "world" that is no scene object.
class test_world_u : public unit_t, public updatable_t {
    QRN_UNIT_CLASS(test_world_u, unit_t);

public:
    void on_attached() override { ++attached; }
    void update(float dt) override { ++updates, last_dt = dt; }
    int attached = 0;
    int updates = 0;
    float last_dt = 0.0f;
};
class not_a_scene_object_u : public unit_t {
    QRN_UNIT_CLASS(not_a_scene_object_u, unit_t);
};

// A named unit of the hookup files (and of the herd writer's model descriptions): one
// attribute, "scale".
class hookup_thing_u : public unit_t {
    QRN_UNIT_CLASS(hookup_thing_u, unit_t);

public:
    float scale = 1.0f;
};

// A unit the scene may own; counts the live ones.
class owned_thing_u : public unit_base_t {
    QRN_UNIT_CLASS(owned_thing_u, unit_base_t);
};

class scene_fixture_t : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Registers the world's stand-in with the bank.
    void register_scene_units();
    // A new controller, owned by the test.
    owner_ptr_t<test_ctrl_u> make_ctrl();

    std::vector<std::string> journal;
    unit_bank_t bank;
    unit_system_t *system = nullptr;
    uint32_t live_before = 0;
    bool ui_was_running = false;
};

}  // namespace quarn::test
