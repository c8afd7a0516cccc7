// The game on a desktop: the program runs under a virtual X server (Xvfb, which keeps
// its screen in a file: "-fbdir"), opens its window there and draws into it through
// an OpenGL context of the window. What the screen shows is read from the server's
// file while the main menu stands, so that the test sees what a player would; then a
// key and clicks take the player into a round and out of the program.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>
#include <vector>

#include "kernel/program_run.h"
#include "support/temp_dir.h"
#include "support/test_paths.h"

namespace quarn::test {
namespace {

constexpr int WIDTH = 1024, HEIGHT = 768;

// A screen as Xvfb writes it: an X window dump (big-endian header, 32-bit pixels).
struct screen_t {
    int width = 0, height = 0;
    std::vector<uint32_t> pixels;  // 0x00RRGGBB, rows from the top

    uint32_t at(int x, int y) const { return pixels[size_t(y) * size_t(width) + size_t(x)]; }
    // Distinct colours in the rectangle (x0 <= x < x1, y0 <= y < y1, from the top).
    size_t colours(int x0, int y0, int x1, int y1) const {
        std::vector<uint32_t> seen;
        for (int y = y0; y < y1; ++y)
            for (int x = x0; x < x1; ++x) {
                const uint32_t c = at(x, y);
                bool known = false;
                for (uint32_t s : seen) known |= s == c;
                if (!known) seen.push_back(c);
                if (seen.size() > 64) return seen.size();
            }
        return seen.size();
    }
};

uint32_t be32(const std::string &b, size_t at) {
    return uint32_t(uint8_t(b[at])) << 24 | uint32_t(uint8_t(b[at + 1])) << 16 | uint32_t(uint8_t(b[at + 2])) << 8 |
           uint32_t(uint8_t(b[at + 3]));
}

// The screen in Xvfb's file, or nothing while it is not (yet) one of 32-bit pixels.
bool read_screen(const std::string &path, screen_t &out) {
    std::ifstream in(path, std::ios::binary);
    const std::string b((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (b.size() < 100) return false;
    const uint32_t header = be32(b, 0), width = be32(b, 16), height = be32(b, 20), bits = be32(b, 44);
    const uint32_t line = be32(b, 48), colours = be32(b, 76), little = be32(b, 28) == 0;
    const size_t start = size_t(header) + size_t(colours) * 12;
    if (bits != 32 || width != WIDTH || height != HEIGHT || start + size_t(line) * height > b.size()) return false;
    out.width = int(width);
    out.height = int(height);
    out.pixels.resize(size_t(width) * height);
    for (uint32_t y = 0; y < height; ++y)
        for (uint32_t x = 0; x < width; ++x) {
            const size_t p = start + size_t(y) * line + size_t(x) * 4;
            const uint32_t v = little ? uint32_t(uint8_t(b[p])) | uint32_t(uint8_t(b[p + 1])) << 8 |
                                            uint32_t(uint8_t(b[p + 2])) << 16
                                      : be32(b, p);
            out.pixels[size_t(y) * width + x] = v & 0xFFFFFF;
        }
    return true;
}

// Pixels of the rectangle (x0 <= x < x1, y0 <= y < y1, from the top) that are not black.
size_t lit(const screen_t &s, int x0, int y0, int x1, int y1) {
    size_t n = 0;
    for (int y = y0; y < y1; ++y)
        for (int x = x0; x < x1; ++x) n += s.at(x, y) != 0;
    return n;
}

// The main menu stands over the scene behind it: the scene's view between the black
// bands at the top and the bottom of the window (0.07 of its height: the bottom band
// from 715 down), the entries' panels in their column (384 to 640 wide, from 288 to
// 568 down), and the texts where the layout puts them: the two links (left: 8 to 320
// wide, right: 704 to 1016, 704 to 728 down, reaching into the bottom band), the band
// black between them.
bool shows_main_menu(const screen_t &s) {
    const bool scene = s.colours(40, 200, 340, 500) > 8;
    const bool panels = s.colours(384, 288, 640, 568) > 2;
    const bool texts = lit(s, 8, 716, 320, 728) > 20 && lit(s, 704, 716, 1016, 728) > 20;
    const bool band = lit(s, 340, 716, 690, 740) == 0 && lit(s, 0, 0, WIDTH, 50) == 0;
    return scene && panels && texts && band;
}

bool have_xvfb() { return std::filesystem::exists("/usr/bin/Xvfb") && std::filesystem::exists("/usr/bin/xvfb-run"); }

TEST(desktop_window, the_window_shows_the_main_menu_and_clicks_lead_into_a_round) {
    if (!have_xvfb()) GTEST_SKIP() << "no Xvfb: scripts/setup.sh installs it";
    program_copy_t program;
    program.add_build_plugins();
    program.fresh_user_folders();
    temp_dir_t screen_dir;
    // A key ends the start screen at frame 10; the main menu stands until frame 600
    // (the fixed clock: 24 s of the game). Then clicks lead into round 1 as a new
    // player goes: "play", the help pages' "back", "normal"; a key closes the loading
    // screen and another skips the intro. Mid-round, Escape opens the in-game menu,
    // whose "exit to desktop" asks the quit question, and "yes" ends the program.
    const std::string script = program.file("menu.script");
    std::ofstream(script) << "10 key space down\n11 key space up\n"
                             "600 point 512 460\n601 button 1 down\n602 button 1 up\n"
                             "620 point 192 140\n621 button 1 down\n622 button 1 up\n"
                             "640 point 512 460\n641 button 1 down\n642 button 1 up\n"
                             "700 key space down\n701 key space up\n"
                             "730 key space down\n731 key space up\n"
                             "800 key esc down\n801 key esc up\n"
                             "830 point 512 292\n831 button 1 down\n832 button 1 up\n"
                             "860 point 407 340\n861 button 1 down\n862 button 1 up\n";
    const std::string server = "-screen 0 1024x768x24 -fbdir " + screen_dir.path() + " -nolisten tcp";
    program_result_t run;
    std::atomic<bool> done{false};
    std::thread game([&] {
        // The desktop's libraries (the X client, the driver the window's context loads
        // and unloads) keep memory to the end of the process, which the leak checker
        // would take for the program's: it is not asked here.
        const char *asan = getenv("ASAN_OPTIONS");
        const std::string no_leaks = "ASAN_OPTIONS=" + std::string(asan ? asan : "") + ":detect_leaks=0";
        run = program.run_with({"FERNWOLD_FIXED_STEP_US=40000", "FERNWOLD_INPUT_SCRIPT=" + script, no_leaks}, {},
                               {"xvfb-run", "-a", "-s", server});
        done = true;
    });
    // The screen is read while the game runs: the menu stands for hundreds of frames,
    // and the wait ends when it is seen, when the game ends, or after two minutes.
    screen_t screen;
    bool seen = false;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::minutes(2);
    while (!seen && !done && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        seen = read_screen(screen_dir.file("Xvfb_screen0"), screen) && shows_main_menu(screen);
    }
    game.join();
    std::string log;
    for (const std::string &l : run.log) log += l + "\n";
    EXPECT_EQ(run.exit_code, 0) << run.err << log;
    EXPECT_TRUE(lines_in_order(run.log, {"[gl] OpenGL ", "[game] graphics up: 1024x768x32 fullscreen"}));
    bool on_window = false;
    for (const std::string &l : run.log) on_window |= l.rfind("[gl] OpenGL ", 0) == 0 && l.find("on the window") != std::string::npos;
    EXPECT_TRUE(on_window) << "the context belongs to the window";
    EXPECT_TRUE(seen) << "the screen never showed the main menu";
    EXPECT_TRUE(lines_in_order(run.log, {"init_round 1", "[game] Starting round '1'.", "[game] Round 1 initialized",
                                         "quit", "[sys] process shutdown"}))
        << log;
    EXPECT_TRUE(std::filesystem::exists(program.home_file("savegame"))) << "quitting from a hunt saves the game";
}

}  // namespace
}  // namespace quarn::test
