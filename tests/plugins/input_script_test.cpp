// The input script: what its reader takes and refuses, and how the input device plays
// it frame by frame (keys, buttons, movement and places of the pointer as the device's
// events), on the kernel calls the plug-in binds, replaced here.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "inpdev_fixture.h"
#include "kernel/input/input.h"
#include "plugins/inpdev/input_script.h"
#include "plugins/inpdev/script_input.h"
#include "support/temp_dir.h"

namespace quarn::test {
namespace {

using namespace inpdev;
// The test's scripted input layer has a script of its own by this name.
using script_t = inpdev::input_script_t;

// A few of the kernel's trigger names: keys below 256, mouse triggers above.
int32_t code_of(const char *name) {
    static const struct {
        const char *name;
        int32_t code;
    } names[] = {{"esc", 1}, {"h", 35}, {"lshift", 42}, {"space", 57}, {"pause", 69}, {"numlock", 197},
                 {"uarrow", 200}, {"mouse1", 262}};
    for (const auto &n : names)
        if (strcasecmp(n.name, name) == 0) return n.code;
    return -1;
}

int32_t table_code(const char *name, const void *) { return code_of(name); }

inp_trigger_t *kernel_trigger(const char *name) {
    static inp_trigger_t trigger;
    const int32_t code = name ? code_of(name) : -1;
    if (code < 0) return nullptr;
    trigger.code = code;
    return &trigger;
}

float cursor_x = 0.0f, cursor_y = 0.0f;
void kernel_cursor(float *x, float *y) {
    *x = cursor_x;
    *y = cursor_y;
}
void kernel_window_size(oswindow_record_t *, int *width, int *height) {
    *width = 800;
    *height = 600;
}

TEST(input_script, lines_give_frames_and_actions_with_comments_blank_lines_and_any_line_end) {
    const char text[] = "# boot and quit\r\n"
                        "\n"
                        "3 key Space down   # any case\r\n"
                        "3\tkey space up\n"
                        "  7 button 3 down\n"
                        "7 move -120 45\n"
                        "9 point 512.5 0\n"
                        "9 point 1024 768";
    script_t script;
    mstring_dyn_t error;
    ASSERT_TRUE(script.read(text, strlen(text), "run.script", table_code, nullptr, error)) << error.c_str();
    ASSERT_EQ(script.count(), 6u);
    const struct {
        uint32_t frame, line;
        script_action_t action;
        bool down;
        int32_t x, y;
        float ui_x, ui_y;
    } expected[] = {
        {3, 3, SCRIPT_KEY, true, 57, 0, 0, 0},        {3, 4, SCRIPT_KEY, false, 57, 0, 0, 0},
        {7, 5, SCRIPT_BUTTON, true, 3, 0, 0, 0},      {7, 6, SCRIPT_MOVE, false, -120, 45, 0, 0},
        {9, 7, SCRIPT_POINT, false, 0, 0, 512.5f, 0}, {9, 8, SCRIPT_POINT, false, 0, 0, 1024, 768},
    };
    for (uint32_t i = 0; i < script.count(); ++i) {
        const script_line_t &l = script.get(i);
        EXPECT_EQ(l.frame, expected[i].frame) << i;
        EXPECT_EQ(l.line, expected[i].line) << i;
        EXPECT_EQ(l.action, expected[i].action) << i;
        EXPECT_EQ(l.down, expected[i].down) << i;
        EXPECT_EQ(l.x, expected[i].x) << i;
        EXPECT_EQ(l.y, expected[i].y) << i;
        EXPECT_EQ(l.ui_x, expected[i].ui_x) << i;
        EXPECT_EQ(l.ui_y, expected[i].ui_y) << i;
    }
    EXPECT_TRUE(script.read("", 0, "empty.script", table_code, nullptr, error)) << "an empty script plays nothing";
    EXPECT_EQ(script.count(), 0u);
}

TEST(input_script, a_bad_line_says_file_line_and_what_is_wrong) {
    const struct {
        const char *text;
        const char *error;
        size_t size = 0;  // 0: the text's length
    } cases[] = {
        {"1 key space down\nx key space down", "s:2: 'x' is not a frame number"},
        {"-1 key space down", "s:1: '-1' is not a frame number"},
        {"99999999999 key space down", "s:1: '99999999999' is not a frame number"},
        {"0 key space down", "s:1: frames count from 1"},
        {"5 key space down\n4 key space up", "s:2: frame 4 comes after frame 5"},
        {"5", "s:1: a frame number without an action (key, button, move or point)"},
        {"5 jump", "s:1: 'jump' is no action (key, button, move or point)"},
        {"5 Key space down", "s:1: 'Key' is no action (key, button, move or point)"},
        {"5 key space", "s:1: key takes a key name and down or up"},
        {"5 key space down now", "s:1: key takes a key name and down or up"},
        {"5 key nosuchkey down", "s:1: 'nosuchkey' is no key"},
        {"5 key averyveryverylongname down", "s:1: 'averyveryverylongname' is no key"},
        {"5 key mouse1 down", "s:1: 'mouse1' is no key of the keyboard (buttons are 'button')"},
        {"5 key space pressed", "s:1: 'pressed' is neither down nor up"},
        {"5 button 0 down", "s:1: '0' is no mouse button (1 to 3)"},
        {"5 button 4 up", "s:1: '4' is no mouse button (1 to 3)"},
        {"5 button left up", "s:1: 'left' is no mouse button (1 to 3)"},
        {"5 button 1", "s:1: button takes a button (1 to 3) and down or up"},
        {"5 button 1 UP", "s:1: 'UP' is neither down nor up"},
        {"5 move 1", "s:1: move takes two whole numbers of counts, right and down"},
        {"5 move 1.5 0", "s:1: '1.5' is no movement (a whole number from -100000 to 100000)"},
        {"5 move 0 100001", "s:1: '100001' is no movement (a whole number from -100000 to 100000)"},
        {"5 move +3 0", "s:1: '+3' is no movement (a whole number from -100000 to 100000)"},
        {"5 point 10", "s:1: point takes a place in UI units, x and y"},
        {"5 point 1025 10", "s:1: '1025' is no place on the screen (x 0 to 1024, y 0 to 768)"},
        {"5 point 10 -1", "s:1: '-1' is no place on the screen (x 0 to 1024, y 0 to 768)"},
        {"5 point nan 10", "s:1: 'nan' is no place on the screen (x 0 to 1024, y 0 to 768)"},
        {"5 point 1e2 10", "s:1: '1e2' is no place on the screen (x 0 to 1024, y 0 to 768)"},
        {"5 point 0x10 10", "s:1: '0x10' is no place on the screen (x 0 to 1024, y 0 to 768)"},
        {"5 key sp\0ace down", "s:1: 'sp", 18},  // a zero byte inside a name
    };
    for (const auto &c : cases) {
        const size_t size = c.size ? c.size : strlen(c.text);
        script_t script;
        mstring_dyn_t error;
        EXPECT_FALSE(script.read(c.text, size, "s", table_code, nullptr, error)) << c.text;
        EXPECT_EQ(std::string(error.c_str()).rfind(c.error, 0), 0u) << c.text << " said: " << error.c_str();
        EXPECT_EQ(script.count(), 0u) << "a bad script keeps no line";
    }
    // Words are shown cut to 32 characters.
    script_t script;
    mstring_dyn_t error;
    const std::string long_word = "5 " + std::string(40, 'a');
    EXPECT_FALSE(script.read(long_word.c_str(), long_word.size(), "s", table_code, nullptr, error));
    EXPECT_STREQ(error.c_str(), ("s:1: '" + std::string(32, 'a') + "' is no action (key, button, move or point)").c_str());
}

// The device made on the script's input system, with the kernel's trigger names,
// cursor and window size replaced.
class script_input : public inpdev_fixture_t {
protected:
    void SetUp() override {
        inpdev_fixture_t::SetUp();
        plugin.kernel.set_call(plugin::CALL_INP_GET_TRIGGER_NAME, reinterpret_cast<void *>(&kernel_trigger));
        plugin.kernel.set_call(plugin::CALL_INP_CURSOR_INFO, reinterpret_cast<void *>(&kernel_cursor));
        plugin.kernel.set_call(plugin::CALL_OSWINDOW_GET_PROPERTIES, reinterpret_cast<void *>(&kernel_window_size));
        cursor_x = cursor_y = 0.0f;
    }
    void TearDown() override {
        device.reset();
        script_input_stop();
        inpdev_fixture_t::TearDown();
    }
    // The device on a script of that text.
    bool play(const std::string &text) {
        if (!write_file(dir.file("run.script"), text)) return false;
        if (!script_input_start(dir.file("run.script").c_str(), plugin.kernel)) return false;
        device.reset(new input_device_t(plugin, nullptr, script_input_system_create, settings));
        if (!device->init()) return false;
        posted().clear();
        return true;
    }
    // The events of the next input frame, one word each: "down 35 'H' 1" for a key
    // (code, character, modifiers), "button down 2", "move 7 -3".
    std::string frame() {
        posted().clear();
        device->read_input();
        std::string out;
        for (const inp_event_t &e : posted()) {
            std::string word;
            switch (e.type) {
                case inp_event_t::KEY_DOWN:
                case inp_event_t::KEY_UP:
                    word = std::string(e.type == inp_event_t::KEY_DOWN ? "down " : "up ") + std::to_string(e.data[0]);
                    if (e.data[2]) word += std::string(" '") + char(e.data[2]) + "'";
                    word += " " + std::to_string(e.modifiers);
                    break;
                case inp_event_t::BUTTON_DOWN:
                case inp_event_t::BUTTON_UP:
                    word = std::string("button ") + (e.type == inp_event_t::BUTTON_DOWN ? "down " : "up ") +
                           std::to_string(e.data[0]);
                    break;
                case inp_event_t::MOUSE_MOVE:
                    word = "move " + std::to_string(int(e.get_float(0))) + " " + std::to_string(int(e.get_float(1)));
                    break;
                default: word = "type " + std::to_string(e.type);
            }
            out += (out.empty() ? "" : ", ") + word;
        }
        return out;
    }

    temp_dir_t dir;
};

TEST_F(script_input, each_read_of_the_device_plays_the_next_frame_as_its_events) {
    ASSERT_TRUE(play("1 key lshift down\n"
                     "1 key h down\n"
                     "2 key h up\n"
                     "2 key lshift up\n"
                     "2 key pause down\n"
                     "2 key numlock down\n"
                     "2 key uarrow down\n"
                     "4 button 1 down\n"
                     "4 button 3 down\n"
                     "4 button 2 down\n"
                     "5 button 1 up\n"
                     "5 move 5 -3\n"
                     "5 move 2 0\n"));
    EXPECT_EQ(frame(), "down 42 1, down 35 'H' 1");
    EXPECT_EQ(frame(), "up 35 'H' 1, up 42 0, down 69 0, down 197 0, down 200 0");
    EXPECT_EQ(frame(), "") << "frame 3 has no line";
    EXPECT_EQ(frame(), "button down 0, button down 2, button down 1") << "button 3 is the right, the kernel's index 2";
    EXPECT_FALSE(script_input_playback()->finished());
    EXPECT_EQ(frame(), "button up 0, move 7 -3") << "movement goes out once a frame, summed";
    EXPECT_TRUE(script_input_playback()->finished());
    EXPECT_EQ(frame(), "");
}

// A place in UI units (y upward) is reached by movement from the kernel's cursor
// (-1..1, y upward) in the window's pixels, counting movement not yet taken.
TEST_F(script_input, a_place_of_the_pointer_becomes_the_movement_that_reaches_it) {
    ASSERT_TRUE(play("1 point 768 192\n"
                     "2 move 10 10\n"
                     "2 point 512 384\n"
                     "3 point 0 768\n"));
    EXPECT_EQ(frame(), "move 200 150") << "from the middle of 800 x 600 to three quarters right, a quarter up";
    cursor_x = 0.5f;
    cursor_y = -0.5f;
    EXPECT_EQ(frame(), "move -200 -150") << "back to the middle: the move of the same frame is counted";
    cursor_x = cursor_y = 0.0f;
    EXPECT_EQ(frame(), "move -400 -300");
}

// The keyboard buffer holds 20 items: the rest of a frame waits for the next read, and
// the frames go on counting reads. The script outlives a shutdown of the device.
TEST_F(script_input, a_crowded_frame_spills_over_and_a_restarted_device_goes_on) {
    std::string text;
    for (int i = 0; i < 12; ++i) text += "1 key space down\n1 key space up\n";
    text += "3 key esc down\n";
    ASSERT_TRUE(play(text));
    device->read_input();
    EXPECT_EQ(posted().size(), 20u);
    EXPECT_EQ(frame(), "down 57 ' ' 0, up 57 ' ' 0, down 57 ' ' 0, up 57 ' ' 0");
    device->shutdown();
    ASSERT_TRUE(device->init());
    EXPECT_EQ(frame(), "down 1 0") << "frame 3";
    EXPECT_EQ(script_input_playback()->frame(), 3u);
}

TEST_F(script_input, a_script_that_cannot_be_played_is_logged_and_not_kept) {
    EXPECT_FALSE(script_input_start(dir.file("none.script").c_str(), plugin.kernel));
    EXPECT_TRUE(log.contains("[inpdev] " + dir.file("none.script") + ": the input script cannot be opened"));
    ASSERT_TRUE(write_file(dir.file("bad.script"), "1 key space down\n\n2 key nosuchkey up\n"));
    EXPECT_FALSE(script_input_start(dir.file("bad.script").c_str(), plugin.kernel));
    EXPECT_TRUE(log.contains("[inpdev] " + dir.file("bad.script") + ":3: 'nosuchkey' is no key"));
    EXPECT_EQ(script_input_playback(), nullptr);
    auto_ptr_t<input_system_i> system;
    EXPECT_EQ(script_input_system_create(nullptr, system), ERR_GENERIC) << "no script, no system";
}

}  // namespace
}  // namespace quarn::test
