// The hookup descriptions: the shipped whitetail and squirrel load and resolve, the
// post-load refusals, and the runtime's sounds on an injected clock.
#include <gtest/gtest.h>

#include <string>

#include "animal_body_fixture.h"
#include "kernel/sound/sound.h"
#include "kernel/sound/sound_unit.h"
#include "kernel/sys.h"
#include "qrncore/qrnutils/ufs/fs.h"
#include "support/fake_clock.h"

namespace quarn::test {
namespace {

using animal_hookup = animal_body_fixture_t;

TEST_F(animal_hookup, the_shipped_descriptions_load_with_every_behaviour_part_and_antler_bone_resolved) {
    ASSERT_TRUE(load_hookups()) << (log.entries().empty() ? "" : log.entries().back().text);
    animal_model_desc_u *male = find<animal_model_desc_u>(MALE);
    animal_model_desc_u *female = find<animal_model_desc_u>(FEMALE);
    animal_model_desc_u *squirrel = find<animal_model_desc_u>("squirrel.male.animal.model.desc");
    ASSERT_TRUE(male && female && squirrel);
    for (animal_model_desc_u *desc : {male, female, squirrel}) {
        SCOPED_TRACE(desc->filename.c_str());
        for (uint32_t code = 0; code < ANIMAL_REQUIRED_BEHAVIORS; ++code) EXPECT_GE(desc->get_behavior_index(code), 0);
        ASSERT_NE(desc->get_runtime(), nullptr);
        for (uint32_t i = 0; i < desc->get_part_count(); ++i) {
            const animal_part_u *part = desc->get_part(i);
            ASSERT_NE(part, nullptr);
            EXPECT_GE(part->get_piece_index(), 0) << part->part_name.c_str();
            EXPECT_GE(part->get_bone_index(), 0) << part->bone_name.c_str();
            EXPECT_GE(part->get_behavior_code(), int32_t(ANIMAL_HEADSHOT)) << part->behavior_name.c_str();
        }
        EXPECT_EQ(desc->find_behavior("walk"), desc->get_behavior_index(ANIMAL_WALK));
        EXPECT_LT(desc->find_behavior("no_such_behaviour"), 0);
    }
    EXPECT_EQ(male->get_part(0)->get_behavior_code(), int32_t(ANIMAL_HEADSHOT));
    EXPECT_TRUE(male->has_antlers);
    ASSERT_EQ(male->get_antler_bone_count(), 2u);
    EXPECT_GE(male->get_antler_bone(0), 0);
    EXPECT_GE(male->get_antler_bone(1), 0);
    EXPECT_EQ(male->get_antler_count(), 4u);
    EXPECT_FALSE(female->has_antlers);
    EXPECT_EQ(female->gender, animal_model_desc_u::GENDER_FEMALE);
    EXPECT_TRUE(male->has_ragdoll());
    EXPECT_FALSE(squirrel->has_ragdoll());
    EXPECT_EQ(squirrel->type, animal_model_desc_u::TYPE_AMBIENT);
    // Every kind the rounds name is there.
    for (const char *name : {"moose.male.animal.model.desc", "moose.female.animal.model.desc",
                             "grizzly.male.animal.model.desc", "grizzly.female.animal.model.desc"})
        EXPECT_NE(find<animal_model_desc_u>(name), nullptr) << name;
    EXPECT_EQ(find<animal_model_desc_u>("grizzly.male.animal.model.desc")->type, animal_model_desc_u::TYPE_DANGEROUS);
    // The runtime's defaults stay where the description does not set them.
    EXPECT_STREQ(male->get_runtime()->drop_sound.c_str(), "/sound/animal/drop.ogg");
    EXPECT_STREQ(male->get_runtime()->run_sound.c_str(), "/sound/animal/loop_8hoofs.ogg");
}

// The squirrel's behaviour file with one behaviour renamed, written under "/t".
std::string squirrel_without(const std::string &behaviour) {
    auto_ptr_t<file_t> file(fs_open("/model/ambient/squirrel/ambient.zba", FS_REALM_VIRTUAL));
    if (!file) return {};
    std::string text(size_t(file->size()), char(0));
    file->read(text.data(), uint32_t(text.size()));
    // Relative model and animation names are made absolute, so the copy finds them.
    for (const char *ending : {".zmd\"", ".zma\""}) {
        for (size_t at = text.find(ending); at != std::string::npos; at = text.find(ending, at + 1)) {
            const size_t open = text.rfind('"', at);
            if (open != std::string::npos && text[open + 1] != '/') text.insert(open + 1, "/model/ambient/squirrel/");
            at = text.find(ending, open + 1);
        }
    }
    const std::string name = "\"" + behaviour + "\"";
    for (size_t at = text.find(name); at != std::string::npos; at = text.find(name, at + 1))
        text.replace(at, name.size(), "\"renamed_" + behaviour + "\"");
    return text;
}

TEST_F(animal_hookup, post_load_refusals_and_unknown_behaviour_names) {
    const std::string broken = squirrel_without("lungshot");
    ASSERT_FALSE(broken.empty());
    put("zba/broken.zba", broken);
    const std::string squirrel = "/model/ambient/squirrel/ambient.zba";
    struct row_t {
        const char *what;
        std::string body;  // the description's attributes
        const char *message;
    };
    const row_t rows[] = {
        {"a behaviour file without lungshot", "filename: \"/t/zba/broken.zba\"",
         "/t/zba/broken.zba: Missing required behaviors"},
        {"no behaviour file", "filename: \"/t/zba/none.zba\"", "Missing required behaviors"},
        {"antlers on one bone", "filename: \"" + squirrel + "\" has_antlers: true antler_bone_names: 1 "
                                "antler_bone_names[0]: \"head\" antlers: 1 antlers[0]: .antler",
         "No antler_bone_names found"},
        {"antlers without antler units", "filename: \"" + squirrel + "\" has_antlers: true antler_bone_names: 2 "
                                         "antler_bone_names[0]: \"head\" antler_bone_names[1]: \"head\"",
         "No linked animal_antler objects found"},
    };
    for (const row_t &row : rows) {
        SCOPED_TRACE(row.what);
        log.clear();
        const std::string text = "RozErere\n{\nanimal_model_desc : .desc\n{\n" + row.body +
                                 "\n}\nanimal_antler : .antler { model_desc: \"/model/animal/whitetail/antlers/"
                                 "spike.zmd\" }\n}\n";
        EXPECT_FALSE(load_text(text));
        EXPECT_TRUE(log.contains(row.message));
    }
    log.clear();
    EXPECT_FALSE(load_text("RozErere\n{\nanimal_antler : .antler { score_reward: 3 }\n}\n"));
    EXPECT_TRUE(log.contains("Failed to load model_desc"));

    // A hit zone that names no required behaviour keeps code -1; one that differs in
    // case only, too.
    ASSERT_TRUE(load_text("RozErere\n{\nanimal_model_desc : .desc\n{\nfilename: \"" + squirrel +
                          "\"\nparts: 3\nparts[0]: .a\nparts[1]: .b\nparts[2]: .c\n}\n"
                          "animal_part : .a { part_name: \"body\" behavior_name: \"kick\" }\n"
                          "animal_part : .b { part_name: \"head\" behavior_name: \"Headshot\" }\n"
                          "animal_part : .c { part_name: \"nope\" bone_name: \"nope\" behavior_name: \"hit\" }\n}\n"));
    animal_model_desc_u *desc = root<animal_model_desc_u>();
    ASSERT_NE(desc, nullptr);
    EXPECT_EQ(desc->get_part(0)->get_behavior_code(), -1);
    EXPECT_EQ(desc->get_part(1)->get_behavior_code(), -1);
    EXPECT_EQ(desc->get_part(2)->get_behavior_code(), int32_t(ANIMAL_HIT));
    EXPECT_EQ(desc->get_part(2)->get_piece_index(), -1);
    EXPECT_EQ(desc->get_part(2)->get_bone_index(), -1);
    EXPECT_EQ(animal_required_behavior_code("gallop_leap"), int32_t(ANIMAL_GALLOP_LEAP));
    EXPECT_EQ(animal_required_behavior_name(8), nullptr);
}

TEST_F(animal_hookup, animal_sounds_wait_three_seconds_and_run_sound_slots_are_taken_and_given_back) {
    fake_clock_t clock;
    snd_start(get_engine_ubank(), unit_system_t::get_default());
    {
        owner_ptr_t<animal_runtime_u> runtime(animal_runtime_u::create());
        runtime->animal_sound = "/sound/animal/whitetail/snort.ogg";
        const vec3_t at{1.0f, 2.0f, 3.0f};
        struct step_t {
            double at;
            bool plays;
        };
        // The kernel's system time moves with its frames (steps of at most 0.1 s).
        sys_frame();
        const double start = sys_get_time();
        for (const step_t &s : {step_t{0.0, true}, step_t{2.0, false}, step_t{3.5, true}, step_t{6.4, false}}) {
            while (sys_get_time() - start < s.at - 1e-9) {
                clock.usec += 50000;
                sys_frame();
            }
            EXPECT_EQ(runtime->play_oneshot(animal_runtime_u::SOUND_ANIMAL, at), s.plays) << s.at;
        }
        EXPECT_TRUE(runtime->play_oneshot(animal_runtime_u::SOUND_DROP, at));
        EXPECT_TRUE(runtime->play_oneshot(animal_runtime_u::SOUND_DROP, at));
        EXPECT_FALSE(runtime->play_oneshot(7, at));
        runtime->drop_sound = "";
        EXPECT_FALSE(runtime->play_oneshot(animal_runtime_u::SOUND_DROP, at));

        EXPECT_EQ(runtime->take_run_sound_slot(), 0);
        EXPECT_EQ(runtime->take_run_sound_slot(), 1);
        EXPECT_EQ(runtime->take_run_sound_slot(), 2);
        EXPECT_EQ(runtime->take_run_sound_slot(), -1);
        sound_u *second = runtime->get_run_sound(1);
        ASSERT_NE(second, nullptr);
        EXPECT_TRUE(second->has_flag(sound_u::KEEP));
        runtime->release_run_sound_slot(1);
        runtime->release_run_sound_slot(-1);
        EXPECT_EQ(runtime->get_run_sound(1), nullptr);
        EXPECT_EQ(runtime->get_run_sound(-1), nullptr);
        EXPECT_EQ(runtime->take_run_sound_slot(), 1);
    }
    unit_system_t::clean_garbage();
    snd_stop();
}

// An antler set makes drawable copies of itself (the annoy gift shows them too): the
// copy has its own model and packets and draws at the matrix with a uniform tint; a
// look its model lacks makes no copy, says so and leaves nothing behind.
TEST_F(animal_hookup, an_antler_makes_a_drawable_copy_or_says_why_not) {
    ASSERT_TRUE(load_hookups());
    animal_antler_u *set = find<animal_antler_u>("whitetail.antler.fork");
    ASSERT_NE(set, nullptr);
    owner_ptr_t<animal_antler_u> copy(set->create_model_instance());
    ASSERT_TRUE(copy);
    ASSERT_NE(copy->get_model(), nullptr);
    EXPECT_EQ(set->get_model(), nullptr) << "the set itself stays a template";
    EXPECT_EQ(copy->score_reward, set->score_reward);
    mat4_t at = mat4_t::identity();
    at.m[3] = 1.0f, at.m[7] = -0.5f, at.m[11] = 4.0f;
    EXPECT_GT(frame([&] { copy->draw_at(at, 0.25f); }).draw_count(), 0u);
    EXPECT_EQ(copy->get_tint_packet()->modulator, (vec4_t{0.25f, 0.25f, 0.25f, 1.0f}));
    EXPECT_EQ(copy->get_model_packet()->matrix.m[11], 4.0f);
    EXPECT_EQ(copy->get_model_packet()->matrix_inv.m[11], -4.0f);

    ASSERT_TRUE(load_text("RozErere\n{\nanimal_antler : .odd { model_desc: \"/model/animal/whitetail/antlers/"
                          "fork.zmd\" model_look: \"nope\" }\n}\n"));
    animal_antler_u *odd = root<animal_antler_u>();
    ASSERT_NE(odd, nullptr);
    unit_system_t::clean_garbage();
    const uint32_t live = unit_base_t::get_live_count();
    log.clear();
    EXPECT_FALSE(odd->create_model_instance());
    EXPECT_TRUE(log.contains("Failed to create model look (nope) variant (default)"));
    unit_system_t::clean_garbage();
    EXPECT_EQ(unit_base_t::get_live_count(), live);
}

// Without the sound front-end the kernel makes no sound: every request is skipped, and
// the slots stay free.
TEST_F(animal_hookup, sounds_the_kernel_cannot_make_are_skipped) {
    owner_ptr_t<animal_runtime_u> runtime(animal_runtime_u::create());
    runtime->animal_sound = "/sound/animal/whitetail/snort.ogg";
    const vec3_t at{1.0f, 2.0f, 3.0f};
    EXPECT_FALSE(runtime->play_oneshot(animal_runtime_u::SOUND_DROP, at));
    EXPECT_FALSE(runtime->play_oneshot(animal_runtime_u::SOUND_ANIMAL, at));
    for (uint32_t i = 0; i <= animal_runtime_u::RUN_SOUND_SLOTS; ++i) EXPECT_EQ(runtime->take_run_sound_slot(), -1);
    for (int32_t i = 0; i < int32_t(animal_runtime_u::RUN_SOUND_SLOTS); ++i) EXPECT_EQ(runtime->get_run_sound(i), nullptr);
    EXPECT_TRUE(log.contains("[snd] No unit system for sounds"));
}

}  // namespace
}  // namespace quarn::test
