#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "kernel/console/commands.h"
#include "kernel/console/cvars.h"
#include "kernel/hw_devices.h"
#include "qrncore/system/dl_lib.h"
#include "kernel/sound/sound.h"
#include "kernel_fixture.h"
#include "program_run.h"
#include "support/test_paths.h"
#include "outside/qrnshared/qrnshared.h"
#include "outside/sonbase/snd_proc.h"
#include "outside/sonbase/sonbase.h"
#include "qrncore/units/unit_bank.h"
#include "qrncore/units/unit_system.h"
#include "recording_sound_device.h"
#include "support/message_capture.h"

namespace quarn::test {
namespace {

// The sound front-end started as at boot, over a unit system of its own, with the
// shared and sound layers bound to this program.
class sound_front_end : public kernel_fixture_t {
protected:
    void SetUp() override {
        kernel_fixture_t::SetUp();
        qrnshared_init(dl_lib_t::get_main_handle());
        sonbase_init(dl_lib_t::get_main_handle());
        snd_start(&bank, &system);
    }
    void TearDown() override {
        snd_shutdown_devices();
        snd_stop();
        while (hw_device_count() > 0) hw_device_remove(hw_device_get(0));
        unit_system_t::clean_garbage();
        EXPECT_EQ(unit_base_t::get_live_count(), 0u) << "a sound outlived the front-end";
        kernel_fixture_t::TearDown();
        sonbase_shutdown();
        qrnshared_shutdown();
    }

    // A device registered for the rest of the test.
    template <class D = recording_sound_device_t, class... A>
    D &add_device(A... args) {
        owned.push_back(std::make_unique<D>(args...));
        hw_device_insert(owned.back().get());
        return static_cast<D &>(*owned.back());
    }

    // A device named "snddev", registered and selected.
    recording_sound_device_t &select_default() {
        hw_device_insert(&device);
        EXPECT_TRUE(snd_init_devices());
        device.calls.clear();
        return device;
    }

    // A sound asked to play, held by the test.
    sound_u *playing(const char *name, uint32_t flags = 0, int32_t tag = -1) {
        sound_u *s = _snd_create(name, flags, tag);
        EXPECT_NE(s, nullptr);
        if (s) s->play();
        return s;
    }

    static void set(const char *variable, const char *value) { ASSERT_TRUE(cvar_get(variable)->set(value)); }

    unit_bank_t bank;
    unit_system_t system{bank};
    recording_sound_device_t device{"snddev"};
    std::vector<std::unique_ptr<hw_device_t>> owned;
    message_capture_t messages;
};

TEST_F(sound_front_end, start_registers_the_console_the_class_and_the_process) {
    for (const char *name : {"s_device", "s_reverse_stereo", "s_music_volume", "s_sfx_volume", "s_music_enabled",
                             "s_sfx_enabled", "s_mix_rate", "s_mix_depth", "s_mix_channels", "s_acceleration"})
        EXPECT_NE(cvar_get(name), nullptr) << name;
    EXPECT_STREQ(cvar_get("s_device")->get_text(), "snddev");
    EXPECT_STREQ(cvar_get("s_mix_rate")->get_text(), "44100");
    EXPECT_TRUE(cmd_execute("s_restart"));
    EXPECT_TRUE(cmd_execute("s_info"));
    EXPECT_EQ(bank.get_descriptor("sound"), &sound_u::unit_descriptor);
    EXPECT_EQ(process_get("__snd_proc"), snd_proc_get());
    EXPECT_NE(snd_proc_get(), nullptr);

    snd_stop();
    EXPECT_EQ(cvar_get("s_device"), nullptr);
    EXPECT_EQ(cmd_get("s_restart"), nullptr);
    EXPECT_EQ(cmd_get("s_info"), nullptr);
    snd_start(&bank, &system);
}

TEST_F(sound_front_end, the_device_is_the_first_present_sound_device_of_that_name_in_any_case) {
    hw_device_t &input = add_device<hw_device_t>(hw_device_t::INPUT, "snddev");
    recording_sound_device_t &other = add_device("other");
    recording_sound_device_t &absent = add_device("SndDev", false);
    recording_sound_device_t &chosen = add_device("SNDDEV");

    EXPECT_EQ(snd_device_count(), 3);
    EXPECT_TRUE(messages.contains("[snd] device count : 3"));
    EXPECT_EQ(snd_device_get(1), &absent);
    EXPECT_EQ(snd_device_get(3), nullptr);
    EXPECT_TRUE(messages.contains("[snd] get device = NULL"));

    ASSERT_TRUE(snd_init_devices());
    EXPECT_EQ(snd_device_current(), &chosen);
    EXPECT_EQ(chosen.count("init"), 1);
    EXPECT_EQ(absent.count("init"), 0) << "a device that was not detected is never chosen";
    EXPECT_TRUE(messages.contains("[snd] select device (SNDDEV)"));
    EXPECT_EQ(snd_eval_devicestring("OTHER"), &other);
    EXPECT_EQ(snd_eval_devicestring(nullptr), nullptr);

    set("s_device", "nothing");
    EXPECT_FALSE(snd_init_devices());
    EXPECT_EQ(snd_device_current(), nullptr);
    EXPECT_EQ(chosen.count("shutdown"), 1) << "the device selected before is shut down";
    EXPECT_EQ(chosen.state, hw_device_t::SHUT_DOWN);
    EXPECT_TRUE(messages.contains("[snd] select device = NULL"));

    set("s_device", "other");
    other.init_result = false;
    EXPECT_FALSE(snd_init_devices());
    EXPECT_EQ(snd_device_current(), nullptr) << "a device that fails to start is not current";

    EXPECT_EQ(snd_shutdown_devices(), 2) << "the two sound devices not yet shut down";
    EXPECT_EQ(absent.state, hw_device_t::SHUT_DOWN);
    EXPECT_EQ(input.state, hw_device_t::RUNNING) << "devices of other classes are left alone";
}

TEST_F(sound_front_end, restart_keeps_a_device_of_the_same_name_and_selects_anew_otherwise) {
    recording_sound_device_t &snddev = select_default();
    recording_sound_device_t &other = add_device("Other");
    sound_u *s = playing("a.wav");
    snd_update_state();
    ASSERT_NE(snddev.channel("a.wav"), nullptr);

    snddev.calls.clear();
    set("s_device", "SNDDEV");
    EXPECT_TRUE(snd_restart());
    EXPECT_EQ(snddev.calls, (std::vector<std::string>{"stop a.wav", "close a.wav", "restart"}));
    EXPECT_EQ(snd_device_current(), &snddev);
    EXPECT_FALSE(s->has_flag(sound_u::PLAYING | sound_u::CHANNEL_OPEN));
    EXPECT_TRUE(s->has_flag(sound_u::PLAY_REQUESTED)) << "the sound plays again at the next frame";
    snd_update_state();
    EXPECT_NE(snddev.channel("a.wav"), nullptr);

    set("s_device", "other");
    EXPECT_TRUE(snd_restart());
    EXPECT_EQ(snddev.count("shutdown"), 1);
    EXPECT_EQ(snd_device_current(), &other);
    EXPECT_EQ(other.count("init"), 1);

    other.restart_result = false;
    EXPECT_FALSE(snd_restart());
    EXPECT_EQ(snd_device_current(), nullptr);
    EXPECT_TRUE(messages.contains("[snd] restart of device (Other) failed"));
}

TEST_F(sound_front_end, suspend_and_revive_reach_the_current_device) {
    snd_device_suspend();  // no device: nothing
    select_default();
    snd_device_suspend();
    EXPECT_EQ(device.state, hw_device_t::SUSPENDED);
    snd_device_revive();
    EXPECT_EQ(device.state, hw_device_t::RUNNING);
    EXPECT_EQ(device.calls, (std::vector<std::string>{"suspend", "revive"}));
    EXPECT_EQ(snd_device_info(), -2);
}

TEST_F(sound_front_end, volume_variables_clamp_and_refuse_what_is_not_a_number) {
    struct case_t {
        const char *value;
        bool accepted;
        float volume;
        const char *text;
    } cases[] = {
        {"0.25", true, 0.25f, "0.25"}, {"2", true, 1.0f, "1.0"},   {"-1", true, 0.0f, "0.0"},
        {"1e9", true, 1.0f, "1.0"},    {"0", true, 0.0f, "0"},     {" 0.5 ", true, 0.5f, " 0.5 "},
        {"loud", false, 0.5f, " 0.5 "}, {"0.7x", false, 0.5f, " 0.5 "}, {"", false, 0.5f, " 0.5 "},
    };
    for (const char *name : {"s_music_volume", "s_sfx_volume"}) {
        cvar_t *v = cvar_get(name);
        for (const case_t &c : cases) {
            EXPECT_EQ(v->set(c.value), c.accepted) << name << " = '" << c.value << "'";
            EXPECT_STREQ(v->get_text(), c.text) << name << " = '" << c.value << "'";
            const float volume = v == cvar_get("s_music_volume") ? snd_get_music_volume() : snd_get_sfx_volume();
            EXPECT_EQ(volume, c.volume) << name << " = '" << c.value << "'";
        }
    }
    EXPECT_TRUE(messages.contains("[snd] s_sfx_volume: 'loud' is not a number"));
}

TEST_F(sound_front_end, volumes_given_before_the_start_are_adopted_through_the_same_rules) {
    snd_stop();
    cvar_set_or_create("s_music_volume", "3");
    cvar_set_or_create("s_sfx_volume", "quiet");
    snd_start(&bank, &system);
    EXPECT_EQ(snd_get_music_volume(), 1.0f);
    EXPECT_STREQ(cvar_get("s_music_volume")->get_text(), "1.0");
    EXPECT_EQ(snd_get_sfx_volume(), 1.0f);
    EXPECT_STREQ(cvar_get("s_sfx_volume")->get_text(), "1.0") << "refused: the default stays";
}

TEST_F(sound_front_end, attributes_go_out_once_per_change_with_the_volume_of_the_kind) {
    select_default();
    set("s_music_volume", "0.5");
    set("s_sfx_volume", "0.25");
    sound_u *music = playing("music.ogg", sound_u::MUSIC);
    sound_u *effect = playing("shot.wav");
    music->attributes.volume = 0.8f;
    music->set_rate(2.0f);
    snd_update_state();
    recording_channel_t *m = device.channel("music.ogg"), *e = device.channel("shot.wav");
    ASSERT_TRUE(m && e);
    ASSERT_EQ(m->sent.size(), 1u);
    EXPECT_FLOAT_EQ(m->sent[0].volume, 0.4f);
    EXPECT_EQ(m->sent[0].rate, 2.0f);
    EXPECT_FLOAT_EQ(e->sent.at(0).volume, 0.25f);
    EXPECT_FALSE(music->has_flag(sound_u::CHANGED));
    EXPECT_EQ(m->get_attributes().rate, 2.0f) << "the device applied them at the end of the frame";
    EXPECT_FALSE(m->has_pending_attributes());

    snd_update_state();
    EXPECT_EQ(m->sent.size(), 1u) << "nothing changed, nothing sent";

    effect->set_position(1.0f, 2.0f, 3.0f);
    set("s_music_volume", "1");
    snd_update_state();
    EXPECT_EQ(m->sent.size(), 2u) << "a new volume reaches every playing sound";
    EXPECT_FLOAT_EQ(m->sent[1].volume, 0.8f);
    EXPECT_EQ(e->sent.back().position.z, 3.0f);

    snd_enforce_attributes();
    snd_update_state();
    EXPECT_EQ(m->sent.size(), 3u);
    EXPECT_EQ(device.count("listener"), 4);
    EXPECT_EQ(device.count("finish"), 4);
}

TEST_F(sound_front_end, a_positional_sound_at_exactly_its_maximum_distance_is_silent) {
    struct case_t {
        vec3_t position;
        bool heard;
    } cases[] = {
        {{9.99f, 0.0f, 0.0f}, true}, {{10.0f, 0.0f, 0.0f}, false}, {{0.0f, 6.0f, 8.0f}, false},
        {{0.0f, 6.0f, 7.9f}, true},  {{0.0f, 0.0f, -11.0f}, false},
    };
    select_default();
    const placement_t at(vec3_t{100.0f, 0.0f, 0.0f}, quat_t());
    snd_listener(&at, nullptr);
    for (const case_t &c : cases) {
        sound_u *s = playing("near.wav", sound_u::POSITIONAL | sound_u::KEEP);
        s->attributes.max_distance = 10.0f;
        s->set_position(c.position.x + 100.0f, c.position.y, c.position.z);
        snd_update_state();
        EXPECT_EQ(s->has_flag(sound_u::PLAYING), c.heard) << c.position.x << " " << c.position.y << " " << c.position.z;
        owner_ptr_t<sound_u>(s).reset();
    }
    sound_u *far = playing("far.wav");
    far->set_position(5000.0f, 0.0f, 0.0f);
    snd_update_state();
    EXPECT_TRUE(far->has_flag(sound_u::PLAYING)) << "distance does not matter to a sound that is not positional";
}

TEST_F(sound_front_end, moving_the_listener_updates_playing_positional_sounds_only) {
    select_default();
    sound_u *positional = playing("p.wav", sound_u::POSITIONAL);
    sound_u *plain = playing("q.wav");
    snd_update_state();
    const vec3_t velocity{1.0f, 0.0f, 0.0f};
    const placement_t at(vec3_t{1.0f, 2.0f, 3.0f}, quat_t());
    snd_listener(&at, &velocity);
    EXPECT_TRUE(positional->has_flag(sound_u::CHANGED));
    EXPECT_FALSE(plain->has_flag(sound_u::CHANGED));
    snd_distance_factor(2.0f);
    EXPECT_EQ(snd_rolloff_factor(0.5f), 0.5f);
    snd_update_state();
    EXPECT_EQ(device.get_listener().placement.position.y, 2.0f);
    EXPECT_EQ(device.get_listener().velocity.x, 1.0f);
    EXPECT_EQ(device.get_listener().distance_factor, 2.0f);
    EXPECT_EQ(device.get_listener().rolloff_factor, 0.5f);
}

TEST_F(sound_front_end, sounds_of_another_tag_are_muted_and_lose_their_channel) {
    select_default();
    sound_u *three = playing("three.wav", 0, 3);
    EXPECT_TRUE(three->has_flag(sound_u::MUTED)) << "the current tag is -1 at start: a tagged sound is muted";
    sound_u *any = playing("any.wav", 0, -1);
    sound_u *five = playing("five.wav", sound_u::KEEP, 5);
    sound_u *looped = playing("loop.wav", sound_u::KEEP, 3);
    snd_set_current_tag(3);
    snd_update_state();
    EXPECT_EQ(device.open.size(), 3u);
    EXPECT_EQ(device.channel("five.wav"), nullptr);

    snd_set_current_tag(5);
    EXPECT_TRUE(three->has_flag(sound_u::MUTED));
    EXPECT_TRUE(looped->has_flag(sound_u::MUTED));
    EXPECT_FALSE(any->has_flag(sound_u::MUTED));
    EXPECT_FALSE(five->has_flag(sound_u::MUTED));
    snd_update_state();
    EXPECT_EQ(device.channel("three.wav"), nullptr);
    EXPECT_EQ(device.channel("loop.wav"), nullptr);
    EXPECT_FALSE(three->has_flag(sound_u::PLAY_REQUESTED));
    EXPECT_TRUE(looped->has_flag(sound_u::PLAY_REQUESTED)) << "a sound that keeps its request waits";
    EXPECT_NE(device.channel("any.wav"), nullptr);
    EXPECT_NE(device.channel("five.wav"), nullptr);
    EXPECT_TRUE(_snd_create("new.wav", 0, 3)->has_flag(sound_u::MUTED)) << "muted from its creation";
    EXPECT_FALSE(_snd_create("new.wav", 0, 5)->has_flag(sound_u::MUTED));

    snd_set_current_tag(3);
    snd_update_state();
    EXPECT_NE(device.channel("loop.wav"), nullptr);
    EXPECT_EQ(device.channel("three.wav"), nullptr);
    EXPECT_EQ(device.channel("five.wav"), nullptr);
}

TEST_F(sound_front_end, a_disabled_kind_drops_the_play_request_unless_it_is_kept) {
    struct case_t {
        uint32_t flags;
        const char *music_enabled, *sfx_enabled;
        bool requested, playing;
    } cases[] = {
        {0, "1", "0", false, false},
        {sound_u::KEEP, "1", "0", true, false},
        {sound_u::MUSIC, "1", "0", true, true},
        {sound_u::MUSIC, "0", "1", false, false},
        {sound_u::MUSIC | sound_u::KEEP, "0", "1", true, false},
        {0, "0", "1", true, true},
    };
    select_default();
    for (const case_t &c : cases) {
        set("s_music_enabled", c.music_enabled);
        set("s_sfx_enabled", c.sfx_enabled);
        sound_u *s = playing("x.wav", c.flags);
        snd_update_state();
        EXPECT_EQ(s->has_flag(sound_u::PLAY_REQUESTED), c.requested) << c.flags << c.music_enabled << c.sfx_enabled;
        EXPECT_EQ(s->has_flag(sound_u::PLAYING), c.playing) << c.flags << c.music_enabled << c.sfx_enabled;
        owner_ptr_t<sound_u>(s).reset();
    }
    // A playing effect stops when effects are switched off.
    set("s_sfx_enabled", "1");
    sound_u *s = playing("y.wav");
    snd_update_state();
    set("s_sfx_enabled", "0");
    snd_update_state();
    EXPECT_FALSE(s->has_flag(sound_u::PLAYING | sound_u::PLAY_REQUESTED | sound_u::CHANNEL_OPEN));
    EXPECT_EQ(device.channel("y.wav"), nullptr);
}

TEST_F(sound_front_end, a_one_shot_is_released_in_the_frame_it_stops) {
    select_default();
    sound_u *s = _snd_create_oneshot("bang.wav", 0, -1);
    ASSERT_NE(s, nullptr);
    EXPECT_TRUE(s->has_flag(sound_u::ONE_SHOT));
    EXPECT_TRUE(s->is_owned());
    s->play();
    ref_ptr_t<sound_u> watch(s);
    snd_update_state();
    ASSERT_NE(device.channel("bang.wav"), nullptr);
    snd_update_state();
    EXPECT_TRUE(s->is_alive()) << "playing on";

    device.channel("bang.wav")->finished = true;
    device.calls.clear();
    snd_update_state();
    EXPECT_FALSE(s->is_alive());
    EXPECT_EQ(snd_oneshot_count(), 0u);
    EXPECT_EQ(snd_live_count(), 0u);
    EXPECT_EQ(device.calls, (std::vector<std::string>{"listener", "stop bang.wav", "close bang.wav", "finish"}));
    watch.reset();
    unit_system_t::clean_garbage();
    EXPECT_EQ(unit_base_t::get_live_count(), 0u);
}

TEST_F(sound_front_end, a_one_shot_that_cannot_be_heard_is_released_at_once) {
    select_default();
    snd_set_current_tag(10);
    sound_u *s = _snd_create_oneshot("menu.wav", 0, 20);
    ASSERT_NE(s, nullptr);
    s->play();
    snd_update_state();
    EXPECT_FALSE(s->is_alive());
    EXPECT_EQ(device.count("open menu.wav"), 0);
}

TEST_F(sound_front_end, a_channel_that_does_not_open_is_tried_again_next_frame) {
    select_default();
    device.refuse_opens = 1;
    sound_u *s = playing("late.wav", sound_u::POSITIONAL);
    snd_update_state();
    EXPECT_TRUE(s->has_flag(sound_u::PLAY_REQUESTED));
    EXPECT_FALSE(s->has_flag(sound_u::PLAYING | sound_u::CHANNEL_OPEN));
    EXPECT_EQ(device.count("open late.wav"), 1);
    snd_update_state();
    EXPECT_EQ(device.count("open late.wav"), 2);
    EXPECT_TRUE(s->has_flag(sound_u::PLAYING | sound_u::CHANNEL_OPEN));
    EXPECT_EQ(device.opened_flags, sound_u::POSITIONAL) << "the device sees the creator's flags only";
    EXPECT_EQ(device.count("play late.wav"), 1);
}

TEST_F(sound_front_end, destroying_a_sound_closes_its_channel_and_leaves_the_list) {
    select_default();
    owner_ptr_t<sound_u> held(playing("held.wav"));
    snd_update_state();
    ASSERT_EQ(snd_live_count(), 1u);
    device.calls.clear();
    held.reset();
    EXPECT_EQ(device.calls, (std::vector<std::string>{"stop held.wav", "close held.wav"}));
    EXPECT_EQ(snd_live_count(), 0u);
    EXPECT_EQ(unit_system_t::get_garbage_count(), 1u);
}

TEST_F(sound_front_end, finish_releases_one_shots_and_reports_the_sounds_left) {
    select_default();
    sound_u *oneshot = _snd_create_oneshot("once.wav", 0, -1);
    ref_ptr_t<sound_u> watch(oneshot);
    sound_u *left = _snd_create("left.wav", 0, -1);
    owner_ptr_t<sound_u> destroyed(_snd_create("gone.wav", 0, -1));
    destroyed.reset();
    snd_finish();
    EXPECT_FALSE(oneshot->is_alive());
    EXPECT_TRUE(left->is_alive());
    int reports = 0;
    for (const auto &e : messages.entries()) reports += e.text == "undestroyed sound unit in snd_finish - BUG!";
    EXPECT_EQ(reports, 1);
}

TEST_F(sound_front_end, without_a_device_or_unit_system_nothing_happens) {
    sound_u *s = playing("quiet.wav");
    snd_update_state();
    EXPECT_FALSE(s->has_flag(sound_u::PLAYING));
    snd_enforce_attributes();
    EXPECT_TRUE(s->has_flag(sound_u::CHANGED)) << "set at creation, not sent";
    EXPECT_EQ(_snd_create(nullptr, 0, -1), nullptr);

    snd_stop();
    snd_start(&bank, nullptr);
    EXPECT_EQ(_snd_create("a.wav", 0, -1), nullptr);
    EXPECT_TRUE(messages.contains("[snd] No unit system for sounds - the sound 'a.wav' is not made"));
}

TEST_F(sound_front_end, new_sounds_take_the_default_distances) {
    sound_u *before = _snd_create("a.wav", 0, -1);
    EXPECT_EQ(before->attributes.max_distance, 100000.0f);
    snd_def_mm_distances(20.0f, 500.0f);
    sound_u *after = _snd_create("b.wav", sound_u::POSITIONAL, 7);
    EXPECT_EQ(after->attributes.min_distance, 20.0f);
    EXPECT_EQ(after->attributes.max_distance, 500.0f);
    EXPECT_EQ(after->attributes.rate, 1.0f);
    EXPECT_EQ(after->tag, 7);
    EXPECT_STREQ(after->resource_name.c_str(), "b.wav");
    EXPECT_EQ(after->flags, sound_u::POSITIONAL | sound_u::CHANGED | sound_u::MUTED);
    EXPECT_EQ(snd_get_length("b.wav"), 0.0f);
    for (sound_u *s : {before, after}) owner_ptr_t<sound_u>(s).reset();
    set("s_acceleration", "1");
    EXPECT_TRUE(snd_is_accelerated());
    EXPECT_FALSE(snd_is_stereo_reversed());
}

TEST(program_sound, a_headless_run_selects_no_device_and_ends_cleanly) {
    program_copy_t program;
    for (const char *name : {"loaders", "gl", "inpdev"}) program.add_plugin(name, test_bin_dir() + "/lib/" + name + ".so");
    program.set_home_config("quit\n");
    const program_result_t r = program.run({"-nocpu"});
    ASSERT_TRUE(r.started);
    EXPECT_EQ(r.exit_code, 0) << r.err;
    // Without the sound plug-in no device is registered under s_device's name.
    EXPECT_TRUE(lines_in_order(r.log, {"[sonbase] started", "[game] Fernwold init ver.1.52D",
                                       "[snd] select device = NULL", "quit", "[sonbase] stopped",
                                       "[sys] process shutdown"}));
}

}  // namespace
}  // namespace quarn::test
