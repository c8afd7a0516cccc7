#include "game/scene/scene_fixture.h"

#include <cstdio>

#include "game/scene/scene_list.h"
#include "outside/qrnshared/ui/ui.h"

namespace quarn::test {

QRN_UNIT_DEFINE(test_ctrl_u, "test_ctrl");
QRN_UNIT_DEFINE(test_world_u, "world");
QRN_UNIT_DEFINE(not_a_scene_object_u, "world");
QRN_UNIT_DEFINE(owned_thing_u, "owned_thing");
QRN_UNIT_DEFINE(hookup_thing_u, "hookup_thing", QRN_ATTR(scale, UNIT_ATTR_FLOAT, "scale"));

namespace {

std::string with_dt(const std::string &what, float dt) {
    char text[64];
    snprintf(text, sizeof text, "%s %g", what.c_str(), double(dt));
    return text;
}

}  // namespace

void probe_t::on_attached() {
    ++attached;
    m_journal.push_back(m_name + ".attached");
}

void probe_t::update(float dt) {
    ++updates;
    last_dt = dt;
    m_journal.push_back(with_dt(m_name + ".update", dt));
    if (on_update) on_update();
}

void probe_t::draw() { m_journal.push_back(m_name + ".draw"); }

void test_ctrl_u::close_windows() {
    ++windows_closed;
    if (frees_at_close)
        while (get_busy_count() > 0) lower_busy_count();
    world_gone_at_close = get_world_unit() == nullptr;
}

void scene_fixture_t::SetUp() {
    ui_was_running = ui_is_running();
    live_before = unit_base_t::get_live_count();
    system = new unit_system_t(bank);
    system->set_default();
    test_ctrl_u::windows_closed = 0;
    test_ctrl_u::world_gone_at_close = false;
}

void scene_fixture_t::TearDown() {
    scene_list_set_node_budget(-1);
    unit_system_t::clean_garbage();
    delete system;
    // activate starts the UI layer for its pointer window.
    if (!ui_was_running && ui_is_running()) ui_shutdown();
    EXPECT_EQ(unit_base_t::get_live_count(), live_before) << "units leaked";
}

void scene_fixture_t::register_scene_units() {
    EXPECT_TRUE(test_world_u::register_class(bank));
}

owner_ptr_t<test_ctrl_u> scene_fixture_t::make_ctrl() { return owner_ptr_t<test_ctrl_u>(test_ctrl_u::create()); }

}  // namespace quarn::test
