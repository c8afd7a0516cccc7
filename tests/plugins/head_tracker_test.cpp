#include <gtest/gtest.h>

#include <cstring>

#include "fixtures/plugins/npclient_fake.h"
#include "inpdev_fixture.h"
#include "platform/modules.h"
#include "platform/settings_store.h"
#include "support/env_guard.h"
#include "support/temp_dir.h"
#include "qrncore/spatial/le_bytes.h"
#include "tracker_client.h"

namespace quarn::test {
namespace {

using namespace inpdev;

// The window the kernel gives for a type, and the type asked for last.
oswindow_record_t tracker_window;
oswindow_record_t *window_given = &tracker_window;
int window_type_asked = 0;
oswindow_record_t *fake_get_window(int type) {
    window_type_asked = type;
    return window_given;
}

// The input device on the scripted layer, with the stand-in client found through the
// settings and its control block reset.
class head_tracker : public inpdev_fixture_t {
protected:
    void SetUp() override {
        inpdev_fixture_t::SetUp();
        m_client = platform::module_open(tracker_client().c_str());
        ASSERT_NE(m_client, nullptr) << platform::module_error();
        auto control =
            reinterpret_cast<npclient_fake_control_t>(platform::module_symbol(m_client, "npclient_fake_control"));
        ASSERT_NE(control, nullptr);
        fake = control();
        *fake = npclient_fake_t();
        tracker_window.handle = reinterpret_cast<platform::window_t>(uintptr_t(0x5eed));
        window_given = &tracker_window;
        plugin.kernel.set_call(plugin::CALL_OSWINDOW_GET_WINDOW, reinterpret_cast<void *>(&fake_get_window));
        settings.set(TRACKER_KEY, "Path", tracker_folder());
        start();
    }
    void TearDown() override {
        inpdev_fixture_t::TearDown();
        platform::module_close(m_client);
    }

    bool init(uint16_t profile = 2301) { return device->trackir_init(reinterpret_cast<void *>(uintptr_t(profile))); }
    // The client's next record: status, frame and raw roll, pitch, yaw, X, Y, Z.
    void next_record(uint16_t status, uint16_t frame, const float (&raw)[6]) {
        le_bytes::put_u16(fake->record, status);
        le_bytes::put_u16(fake->record + 2, frame);
        for (int i = 0; i < 6; ++i) le_bytes::put_f32(fake->record + 8 + 4 * i, raw[i]);
    }

    npclient_fake_t *fake = nullptr;

private:
    void *m_client = nullptr;
};

TEST_F(head_tracker, starts_with_the_client_found_in_the_settings) {
    log.clear();
    EXPECT_TRUE(init(2301));
    EXPECT_TRUE(device->trackir_is_present());
    EXPECT_TRUE(device->trackir_is_active());
    EXPECT_EQ(fake->profile, 2301);
    EXPECT_EQ(fake->mask, TRACKER_AXES_MASK);
    EXPECT_EQ(fake->window, tracker_window.handle);
    EXPECT_EQ(window_type_asked, 4) << "the application window";
    EXPECT_EQ(fake->starts, 1);
    EXPECT_TRUE(log.contains("[TrackIR] Device initialized. TrackIR software version 4.18."));
    device.reset();
    EXPECT_EQ(fake->cursor_stops, 1);
    EXPECT_EQ(fake->stops, 1);
    EXPECT_EQ(fake->unregisters, 1);
}

TEST_F(head_tracker, without_the_setting_there_is_none_and_nothing_is_said) {
    settings.has_value = false;
    log.clear();
    EXPECT_FALSE(init());
    EXPECT_FALSE(device->trackir_is_present());
    EXPECT_TRUE(log.entries().empty());
    EXPECT_EQ(settings.key_seen, TRACKER_KEY);
    EXPECT_EQ(device->trackir_get_axis_data(0), 0.0f);
    EXPECT_FALSE(device->trackir_enable());
    EXPECT_FALSE(device->trackir_disable());
}

TEST_F(head_tracker, each_failing_step_is_logged_and_leaves_no_tracker) {
    struct case_t {
        const char *step;
        int npclient_fake_t::*result;
        const char *logged;
    };
    const case_t cases[] = {
        {"window", nullptr, "[TrackIR] Unable to get the application window."},
        {"register window", &npclient_fake_t::register_window, "[TrackIR] Unable to register the window handle."},
        {"axes", &npclient_fake_t::request_data, "[TrackIR] Unable to specify the wanted axes."},
        {"profile", &npclient_fake_t::register_profile, "[TrackIR] Unable to register developer ID"},
        {"data", &npclient_fake_t::start_data, "[TrackIR] Unable to start data transfers from the device."},
        {"cursor", &npclient_fake_t::start_cursor, nullptr},
    };
    for (const case_t &c : cases) {
        *fake = npclient_fake_t();
        window_given = &tracker_window;
        ASSERT_TRUE(init()) << c.step;
        ASSERT_TRUE(device->trackir_is_present());
        if (c.result) {
            fake->*c.result = 1;
        } else {
            window_given = nullptr;
        }
        log.clear();
        EXPECT_FALSE(init()) << c.step;
        EXPECT_FALSE(device->trackir_is_present()) << "a failed start replaces the working tracker: " << c.step;
        if (c.logged) {
            EXPECT_TRUE(log.contains(c.logged)) << c.step;
        } else {
            EXPECT_TRUE(log.texts(message_t::ERROR).empty()) << c.step;
        }
    }
}

TEST_F(head_tracker, a_client_that_does_not_load_is_named_with_its_whole_path) {
    // A stored folder far longer than any fixed buffer.
    const std::string folder = "/nowhere/" + std::string(600, 'd') + "/";
    settings.set(TRACKER_KEY, "Path", folder);
    EXPECT_FALSE(init());
    EXPECT_TRUE(log.contains("[TrackIR] Unable to load dll from " + folder + "NPClient.so."));
}

TEST_F(head_tracker, a_version_it_cannot_read_is_logged_and_the_start_succeeds) {
    fake->query_version = 1;
    EXPECT_TRUE(init());
    EXPECT_TRUE(log.contains("[TrackIR] Unable to retrieve the software version."));
}

TEST_F(head_tracker, frames_set_the_axes_and_keep_it_active) {
    ASSERT_TRUE(init());
    next_record(0, 7, {-16383.0f, 8191.5f, 16383.0f, 1.0f, -2.0f, 3.0f});
    device->read_input();
    EXPECT_FLOAT_EQ(device->trackir_get_axis_data(0), 1.0f) << "yaw";
    EXPECT_FLOAT_EQ(device->trackir_get_axis_data(1), 0.5f) << "pitch";
    EXPECT_FLOAT_EQ(device->trackir_get_axis_data(2), -1.0f) << "roll";
    EXPECT_FLOAT_EQ(device->trackir_get_axis_data(4), -2.0f / 16383.0f);
    EXPECT_EQ(device->trackir_get_axis_data(6), 0.0f);
    EXPECT_EQ(device->trackir_get_axis_data(-1), 0.0f);

    // The same frame again changes nothing; 300 polls without a new one make it
    // inactive, and a new frame makes it active again.
    next_record(0, 7, {0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f});
    for (int i = 0; i < 299; ++i) device->read_input();
    EXPECT_TRUE(device->trackir_is_active());
    EXPECT_FLOAT_EQ(device->trackir_get_axis_data(0), 1.0f);
    device->read_input();
    EXPECT_FALSE(device->trackir_is_active());
    next_record(1, 8, {0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f});
    device->read_input();
    EXPECT_FALSE(device->trackir_is_active()) << "a record with a status is passed over";
    next_record(0, 8, {0.0f, 0.0f, 163.83f, 0.0f, 0.0f, 0.0f});
    device->read_input();
    EXPECT_TRUE(device->trackir_is_active());
    EXPECT_NEAR(device->trackir_get_axis_data(0), 0.01f, 1e-6f);
}

TEST_F(head_tracker, data_the_client_cannot_give_is_logged_every_poll) {
    ASSERT_TRUE(init());
    next_record(0, 3, {0.0f, 0.0f, 16383.0f, 0.0f, 0.0f, 0.0f});
    fake->get_data = 1;
    device->read_input();
    device->read_input();
    EXPECT_EQ(log.texts(message_t::ERROR).size(), 2u);
    EXPECT_TRUE(log.contains("[TrackIR] Unable to get data from the device."));
    EXPECT_EQ(device->trackir_get_axis_data(0), 0.0f);
}

TEST_F(head_tracker, enable_and_disable_keep_the_tracker_when_the_client_refuses) {
    ASSERT_TRUE(init());
    fake->start_data = 1;
    fake->stop_data = 1;
    log.clear();
    EXPECT_TRUE(device->trackir_enable());
    EXPECT_TRUE(log.contains("[TrackIR] Unable to start data transfers from the device."));
    EXPECT_TRUE(device->trackir_disable());
    EXPECT_TRUE(log.contains("[TrackIR] Unable to stop data transfers from the device."));
    EXPECT_TRUE(device->trackir_is_present());
}

TEST_F(head_tracker, the_program_s_settings_store_finds_the_client) {
    temp_dir_t config;
    env_guard_t guard("XDG_CONFIG_HOME");
    setenv("XDG_CONFIG_HOME", config.path().c_str(), 1);
    ASSERT_TRUE(platform::settings_write_string(TRACKER_KEY, "Path", tracker_folder().c_str()));
    device.reset(new input_device_t(plugin, nullptr, scripted_input_create, program_settings()));
    ASSERT_TRUE(device->init());
    EXPECT_TRUE(init());
    EXPECT_TRUE(device->trackir_is_present());
}

TEST(head_tracker_settings, the_program_s_store_gives_text_values_of_any_length) {
    temp_dir_t config;
    env_guard_t guard("XDG_CONFIG_HOME");
    setenv("XDG_CONFIG_HOME", config.path().c_str(), 1);
    const std::string folder = "/opt/" + std::string(700, 'n') + "/";
    ASSERT_TRUE(platform::settings_write_string(TRACKER_KEY, "Path", folder.c_str()));
    ASSERT_TRUE(platform::settings_write_number(TRACKER_KEY, "Count", 5));
    mstring_dyn_t out;
    EXPECT_TRUE(program_settings().read_text(TRACKER_KEY, "Path", out));
    EXPECT_EQ(std::string(out.c_str()), folder);
    out.copy("kept");
    EXPECT_FALSE(program_settings().read_text(TRACKER_KEY, "Count", out)) << "a number is no text";
    EXPECT_FALSE(program_settings().read_text(TRACKER_KEY, "Missing", out));
    EXPECT_FALSE(program_settings().read_text("Software\\Nobody", "Path", out));
    EXPECT_STREQ(out.c_str(), "kept");
}

}  // namespace
}  // namespace quarn::test
