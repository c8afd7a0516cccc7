#include "animal_target_fixture.h"

#include "game/game_module.h"
#include "game/ui/ui_classes.h"
#include "game/visuals/effects/particle_gen.h"
#include "game/visuals/effects/particle_set.h"
#include "game/visuals/models/model_object.h"
#include "game/visuals/models/model_template.h"
#include "game/world/particle_emitter.h"
#include "outside/qrnshared/ui/ui.h"
#include "outside/qrnshared/ui/zml.h"
#include "game/hunt/hunter.h"
#include "game/round/target_spawners.h"
#include "game/scene/current_ctrl.h"
#include "game/world/trail.h"
#include "game/world/trail_follower.h"
#include "kernel/console/cvars.h"
#include "kernel/hw_devices.h"
#include "kernel/sound/sound.h"
#include "kernel/sys.h"
#include "outside/sonbase/sonbase.h"
#include "qrncore/qrnutils/substance/substance_db.h"
#include "qrncore/system/dl_lib.h"
#include "qrncore/units/unit_bank.h"

namespace quarn::test {

namespace {

recording_hunter_t *made_hunter = nullptr;

hunter_t *make_hunter(hunt_ctrl_u &) {
    made_hunter = new recording_hunter_t;
    return made_hunter;
}

}  // namespace

void animal_target_fixture_t::SetUp() {
    animal_body_fixture_t::SetUp();
    unit_bank_t &bank = *get_engine_ubank();
    // Every class of the module, as its registration makes them; those the bank did not
    // know go again at the end.
    const game_row_table_t &linked = game_row_table_t::linked();
    for (uint32_t i = 0; i < linked.count(); ++i) {
        const game_row_t &row = linked.get(i);
        if (row.step == game_step_t::REGISTER_UNIT_CLASSES && row.unit_class &&
            !bank.get_descriptor(row.unit_class->class_name->c_str()))
            registered_here.push_back(row.unit_class);
    }
    // The emitters' classes, which the model library's and the world's own steps
    // register in the game.
    for (const unit_descriptor_t *d : {&model_template_u::unit_descriptor, &model_object_u::unit_descriptor,
                                       &particle_gen_u::unit_descriptor, &particle_set_u::unit_descriptor,
                                       &particle_emitter_u::unit_descriptor})
        if (!bank.get_descriptor(d->class_name->c_str()) && bank.register_class(d)) registered_here.push_back(d);
    game_row_args_t args;
    args.bank = &bank;
    linked.run_step(game_step_t::REGISTER_UNIT_CLASSES, args);
    // The UI as the game runs it, for the markers.
    register_ui_handler_classes(linked);
    register_ui_component_classes(linked);
    ASSERT_TRUE(ui_init());
    ASSERT_TRUE(zml_init());

    sonbase_init(dl_lib_t::get_main_handle());
    snd_start(&bank, unit_system_t::get_default());
    hw_device_insert(&sound_device);
    ASSERT_TRUE(snd_init_devices());
    cvar_register_variable(&chunks_variable);
    set_substance_file("/material/material.db");
    substance_db_request();

    rows = {game_factory_row(HUNTER_FACTORY, &make_hunter),
            game_factory_row(ANIMAL_TARGET_SPAWNER, &animal_target_u::spawn_for_round)};
    rows_list = {"animal_target_test_rows", rows.data(), uint32_t(rows.size())};
    ASSERT_TRUE(rows_table.build(&rows_list));
    game_module_set_rows(&rows_table);
    data = std::make_unique<game_data_t>();
    data->reset_scores();
    set_game_data(data.get());
    made_hunter = nullptr;
}

void animal_target_fixture_t::TearDown() {
    targets.clear();
    made_trails.clear();
    set_current_ctrl(nullptr);
    hunt = nullptr;
    hunter = nullptr;
    unit_system_t::clean_garbage();
    ui_shutdown();
    zml_shutdown();
    set_game_data(nullptr);
    data.reset();
    game_module_set_rows(nullptr);
    substance_db_release();
    cvar_unregister_variable(&chunks_variable);
    snd_shutdown_devices();
    snd_stop();
    hw_device_remove(&sound_device);
    unit_system_t::clean_garbage();
    for (const unit_descriptor_t *d : registered_here) get_engine_ubank()->unregister_class(d);
    registered_here.clear();
    animal_body_fixture_t::TearDown();
    sonbase_shutdown();
}

hunt_ctrl_u *animal_target_fixture_t::start(const std::vector<std::string> &trails, uint32_t target_count,
                                            float time_limit) {
    set_current_ctrl(hunt_ctrl_u::create());
    hunt = unit_cast<hunt_ctrl_u>(get_current_ctrl());
    if (!hunt) return nullptr;
    hunter = made_hunter;
    EXPECT_NE(hunter, nullptr);
    owner_ptr_ret_t<round_logic_u> round = round_logic_u::create();
    round->map_name = "valley";
    round->weather_name = "clear";
    round->start_point_name = START;
    round->time_limit = uint32_t(time_limit);
    round->kill_limit = 20;
    round->target_count = target_count;
    for (const std::string &name : trails) {
        owner_ptr_t<trail_use_u> use(trail_use_u::create());
        use->trail_name = name.c_str();
        use->scorings_supported.append(ref_ptr_t<unit_base_t>(desc(MALE)));
        use->decoys_supported.append(ref_ptr_t<unit_base_t>(desc(FEMALE)));
        round->trails.append(owner_ptr_t<unit_base_t>(std::move(use)));
    }
    // The checks a loaded round passes build its spawn table.
    if (!trails.empty()) {
        EXPECT_TRUE(round->_call_post_load());
    }
    if (!hunt->load_round(static_cast<owner_ptr_ret_t<round_logic_u> &&>(round))) {
        ADD_FAILURE() << "the round on valley does not load";
        return nullptr;
    }
    hunt->activate();
    return hunt;
}

animal_target_u *animal_target_fixture_t::spawn(const char *desc_name, const char *trail_name, const char *label,
                                                uint32_t seed) {
    auto *trail = unit_cast<trail_u>(unit_system_t::find_unit(trail_name));
    EXPECT_NE(trail, nullptr) << trail_name;
    owner_ptr_t<animal_target_u> target(animal_target_u::spawn(desc(desc_name), trail, label, seed));
    animal_target_u *made = target.get();
    if (made) targets.push_back(std::move(target));
    return made;
}

void animal_target_fixture_t::frame(float dt) {
    clock.usec += uint64_t(double(dt) * 1e6 + 0.5);
    sys_frame();
    hunt->update(dt);
    for (owner_ptr_t<animal_target_u> &t : targets)
        if (t) t->update(dt);
    hunt->update_camera_and_lights();
    hunt->draw();
    for (owner_ptr_t<animal_target_u> &t : targets)
        if (t) t->draw();
}

void animal_target_fixture_t::look_at(const vec3_t &eye, const vec3_t &at) {
    quat_t facing;
    facing.set_cartes(normalized(at - eye));
    hunter->position = eye;
    hunter->rotation = facing;
    hunter->frustum = frustum_t(60.0f, 4.0f / 3.0f, 0.1f, 1000.0f);
    hunter->frustum.update(eye, facing);
    hunter->has_frustum = true;
}

hit_receiver_t *animal_target_fixture_t::shoot(const vec3_t &from, const vec3_t &to) {
    placement_t shot;
    shot.position = from;
    shot.rotation.set_cartes(normalized(to - from));
    vec3_t hit_point;
    return hunt->get_targets().shoot(hit_point, nullptr, shot, to);
}

animal_model_desc_u *animal_target_fixture_t::variant(const char *name, const std::string &lines,
                                                      const std::string &units) {
    const std::string text = std::string("RozErere\n{\nanimal_model_desc : ") + name +
                             "\n{\n"
                             "filename: \"/model/animal/whitetail/animal.zba\"\n"
                             "gender: GENDER_male\n"
                             "shadow_dimensions: (0.5, 1.1)\n" +
                             lines + "}\n" + units + "}\n";
    if (!load_text(text)) {
        ADD_FAILURE() << name << ": " << ::testing::PrintToString(log.texts(message_t::ERROR));
        return nullptr;
    }
    return desc(name);
}

}  // namespace quarn::test

namespace quarn::test {

hit_receiver_t *animal_target_fixture_t::shoot_local(const animal_target_u *target, const vec3_t &from,
                                                     const vec3_t &to) {
    const placement_t at = target->get_placement();
    const placement_scale_t place(at.position, target->get_model()->get_scale(), at.rotation);
    return shoot(place.from_local_space(from), place.from_local_space(to));
}

float animal_target_fixture_t::travelled(const animal_target_u *target) {
    const trail_follower_u *follower = target->get_follower();
    const trail_u *trail = follower->get_trail();
    float sum = follower->get_distance();
    for (uint32_t i = 0; i < follower->get_segment(); ++i) sum += trail->get_segment(i).length();
    return sum;
}

trail_u *animal_target_fixture_t::make_trail(const std::string &name, const std::vector<vec3_t> &nodes,
                                             const std::vector<int32_t> &gaits) {
    owner_ptr_t<trail_u> trail(trail_u::create());
    EXPECT_TRUE(trail->set_name(name.c_str())) << name;
    for (size_t i = 0; i < nodes.size(); ++i) {
        trail->m_position.append(nodes[i]);
        trail->m_rotation.append(quat_t());
        trail->m_speed.append(1.0f);
        trail->m_behavior.append(i < gaits.size() ? gaits[i] : int32_t(BEHAVIOR_walk));
    }
    EXPECT_TRUE(trail->prepare());
    trail_u *made = trail.get();
    made_trails.emplace_back(std::move(trail));
    return made;
}

}  // namespace quarn::test
