// The game as the run command plays it (scripts/run.sh): on the fixed clock
// (FERNWOLD_FIXED_STEP_US) with an input script that the build installs beside the
// program (FERNWOLD_INPUT_SCRIPT), in fresh home and settings folders. A run goes
// the road its script drives, quits through the game's own screens with exit code 0,
// logs no failure, leaves no temporary file, and runs the same way every time; the
// round's pictures repeat pixel for pixel and show what their frames drew
// (docs/pictures.md).
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <iterator>
#include <fstream>
#include <map>
#include <memory>
#include <ostream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "kernel/program_run.h"
#include "picture.h"
#include "picture_checks.h"
#include "support/test_paths.h"

namespace quarn::test {
namespace {

// The run command's step: 25 frames a second.
constexpr const char STEP_USEC[] = "40000";
// The runs draw every frame (the renderer off-screen, on the software rasteriser),
// whose work grows with the frame: those that read no pixels draw in a small mode,
// the round's pictures in the run command's mode, where a distant buck and the HUD's
// text have pixels enough. The game plays the same in any mode of the same shape.
const std::vector<std::string> SMALL_MODE = {"-env", "r_mode=320x240x32x0"};
constexpr uint32_t PICTURE_WIDTH = 1024, PICTURE_HEIGHT = 768;

std::string read_text(const std::string &path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

// The log with the memory the machine reports at boot ("[mm] physical memory detected
// (TOTAL/FREE)" and the virtual line) written as "(<machine>)": the free memory
// changes from one run to the next with whatever else the machine runs.
std::vector<std::string> without_machine_memory(std::vector<std::string> log) {
    for (std::string &line : log)
        if (line.rfind("[mm] ", 0) == 0 && line.find(" memory detected (") != std::string::npos)
            line.replace(line.find('('), std::string::npos, "(<machine>)");
    return log;
}

// One run of an input script, in fresh folders; script is a name of the program's
// folder or a path.
program_result_t run_script(program_copy_t &program, const std::string &script) {
    program.fresh_user_folders();
    scoped_env_t step("FERNWOLD_FIXED_STEP_US", STEP_USEC);
    scoped_env_t input("FERNWOLD_INPUT_SCRIPT", script.find('/') == std::string::npos ? test_bin_dir() + "/" + script
                                                                                       : script);
    return program.run(SMALL_MODE);
}

// The lines that tell of a failure: something the program needs that is not there or
// cannot be used.
std::vector<std::string> failure_lines(const std::vector<std::string> &log) {
    static const char *const words[] = {"error",         "fail",         "unable",   "cannot",  "can not",
                                        "can't",         "not found",    "does not exist", "missing", "invalid",
                                        "out of memory", "no memory",    "not created",    "is no "};
    std::vector<std::string> out;
    for (const std::string &line : log) {
        std::string lower = line;
        for (char &c : lower) c = char(tolower(static_cast<unsigned char>(c)));
        bool failure = false;
        for (const char *w : words) failure |= lower.find(w) != std::string::npos;
        if (failure) out.push_back(line);
    }
    return out;
}

// Files of the user's folders whose names end in ".tmp" (a store that did not finish).
std::vector<std::string> temporary_files(const program_copy_t &program) {
    std::vector<std::string> out;
    for (const char *folder : {"docs", "config"})
        for (const auto &e : std::filesystem::recursive_directory_iterator(program.file(folder)))
            if (e.path().extension() == ".tmp") out.push_back(e.path().string());
    return out;
}

// The number that follows the text on the first line of the log holding it; -1 when
// no line holds it.
double figure_after(const std::vector<std::string> &log, const std::string &text) {
    for (const std::string &line : log) {
        const size_t at = line.find(text);
        if (at != std::string::npos) return std::stod(line.substr(at + text.size()));
    }
    return -1.0;
}

// What every scripted run shows: exit code 0; the start-up, the input script, then the
// road in order, the quit and the shutdown last; no failure logged; no temporary file;
// nothing on standard error (a machine without a sound card falls back to a loopback
// that nobody hears, which is normal and which the log tells); the processor at the
// fixed clock's nominal speed, as real play takes it; sound mixed for the game's time,
// once a frame.
void expect_scripted_run(const program_copy_t &program, const program_result_t &r,
                         const std::vector<std::string> &road) {
    ASSERT_TRUE(r.started) << program_path();
    EXPECT_EQ(r.exit_code, 0) << r.err;
    std::vector<std::string> expected = {
        "[inpdev] Keyboard and mouse play the input script '",
        "[game] Fernwold init ver.1.52D\t(rev. \"32571\")",
        "[ufs] Home directory: '",
        "exec \"/default.cfg\"",
        "[game] language en_us",
        "[sys] windows on the '",
        "[snd] select device (snddev)",
        "[game] graphics up: ",
        "[game] session started",
        "[game] 30 rounds",
    };
    expected.insert(expected.end(), road.begin(), road.end());
    expected.insert(expected.end(), {"quit", "[sys] fixed clock: ", "[sys] process shutdown"});
    EXPECT_TRUE(lines_in_order(r.log, expected));
    EXPECT_FALSE(r.log.empty() || r.log.back() != "[sys] process shutdown");
    EXPECT_EQ(failure_lines(r.log), std::vector<std::string>());
    EXPECT_EQ(temporary_files(program), std::vector<std::string>());
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(figure_after(r.log, "] at ~"), 2000.0) << "the nominal speed of the fixed clock";
    // Where a sound card plays, nothing is mixed for nobody.
    const double game = figure_after(r.log, " us, "), mixed = figure_after(r.log, "[snddev] The loopback mixed ");
    EXPECT_GT(game, 0.0);
    if (mixed >= 0.0) {
        EXPECT_LE(mixed, game + 0.001) << "seconds of sound against seconds of game";
        EXPECT_GE(mixed, game - 1.0) << "seconds of sound against seconds of game";
    }
}

// Two runs of the menu's script: the same log line by line (frame times and the
// kernel's random draws included: the menu's background map is drawn from them, and
// the fixed clock's record gives the run's length), and the same random mission.
TEST(scripted_run, the_menu_script_boots_to_the_menu_and_quits_through_it_the_same_every_time) {
    program_copy_t program;
    program.add_build_plugins();
    program_result_t runs[2];
    std::string missions[2];
    for (int i = 0; i < 2; ++i) {
        runs[i] = run_script(program, "menu_quit.script");
        expect_scripted_run(program, runs[i], {"menu", "Loading landscape [/map/"});
        missions[i] = read_text(program.home_file("tmp_mission.def"));
    }
    EXPECT_FALSE(missions[0].empty());
    EXPECT_EQ(missions[0], missions[1]) << "the background mission is drawn from the kernel's random sequence";
    const std::vector<std::string> logs[2] = {without_machine_memory(runs[0].log), without_machine_memory(runs[1].log)};
    ASSERT_EQ(logs[0].size(), logs[1].size());
    for (size_t i = 1; i < logs[0].size(); ++i) EXPECT_EQ(logs[0][i], logs[1][i]) << "line " << i;
    bool clock_line = false;
    for (const std::string &line : runs[0].log)
        clock_line |= line.rfind("[sys] fixed clock: ", 0) == 0 && line.find(" passes of 40000 us, ") != std::string::npos;
    EXPECT_TRUE(clock_line);
}

std::string file_bytes(const std::string &path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// One entry of the high-score table as the file holds it.
struct score_entry_t {
    std::string player_name;  // as written: quoted when it holds blanks or markup
    unsigned score = 0;
    unsigned round = 0;
    bool operator==(const score_entry_t &o) const {
        return player_name == o.player_name && score == o.score && round == o.round;
    }
};

std::ostream &operator<<(std::ostream &out, const score_entry_t &e) {
    return out << e.player_name << " " << e.score << " round " << e.round;
}

// The entries of "/home/scores.unit" in the table's order (its root's "scores[i]"
// references), read from the text. The units' names are the writer's own
// ("_nameless.N", numbered within the file): only what the entries hold is compared.
std::vector<score_entry_t> score_table(const std::string &path) {
    std::istringstream in(read_text(path));
    std::vector<std::string> order;
    std::map<std::string, score_entry_t> units;
    std::string line, current;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        const auto field = [&](const char *key) -> const char * {
            const std::string head = std::string(" ") + key + ": ";
            return line.rfind(head, 0) == 0 ? line.c_str() + head.size() : nullptr;
        };
        if (line.rfind(" scores[", 0) == 0) {
            order.push_back(line.substr(line.find(": ") + 2));
        } else if (line.rfind("score : ", 0) == 0) {
            current = line.substr(8, line.find(' ', 8) - 8);
        } else if (const char *v = field("player_name")) {
            units[current].player_name = v;
        } else if (const char *v = field("score")) {
            units[current].score = unsigned(std::stoul(v));
        } else if (const char *v = field("round")) {
            units[current].round = unsigned(std::stoul(v));
        }
    }
    std::vector<score_entry_t> out;
    for (const std::string &name : order) out.push_back(units[name]);
    return out;
}

// The log with the folder of the program's copy written as "<dir>", so that runs of
// two copies compare.
std::vector<std::string> without_folder(std::vector<std::string> log, const std::string &folder) {
    for (std::string &line : log)
        for (size_t at; (at = line.find(folder)) != std::string::npos;) line.replace(at, folder.size(), "<dir>");
    return log;
}

// The pictures the round script takes with F10 ("screenshot"), in their order, and
// the renderer's read-back of the stand-in that draws nothing.
constexpr int PICTURES = 7;
enum moment_t { MAIN_MENU, ROUND_START, CLEARING, BUCK_IN_SIGHTS, AFTER_KILL, ROUND_RESULT, HIGH_SCORES };
const char *const MOMENTS[PICTURES] = {"the main menu", "the round's start screen", "the view along the clearing",
                                       "the buck in the sights", "the moment after the kill", "the round's result",
                                       "the high scores"};

std::string picture_name(int i, const char *extension) {
    char name[64];
    snprintf(name, sizeof name, "screenshots/fernwold_%05d.%s", i, extension);
    return name;
}

// The line of the fixed clock's record: the run's passes and game time.
std::string clock_record(const std::vector<std::string> &log) {
    for (const std::string &line : log)
        if (line.rfind("[sys] fixed clock: ", 0) == 0) return line;
    return "";
}

// The boot benchmark's script (bench/game/program_bench.cpp) ends its run right after
// the first frame of the main menu: the run starts the background map and quits.
// F10 pressed in an input frame pictures the frame of the next pass, so the script
// with F10 in its last input frame pictures the run's last frame, in a run of as many
// passes: the main menu over the drawn map. F10 a frame earlier pictures the start
// screen: the run's last frame is the menu's first.
TEST(scripted_run, the_boot_script_quits_right_after_the_first_frame_of_the_main_menu) {
    program_copy_t program;
    program.add_build_plugins();
    const program_result_t boot = run_script(program, "boot_menu.script");
    expect_scripted_run(program, boot, {"menu", "Loading landscape [/map/", "[game] ...load successful"});
    const std::string record = clock_record(boot.log);
    EXPECT_NE(record, "");

    // The script's lines, and where its last input frame's lines start.
    std::vector<std::string> lines;
    std::istringstream text(read_text(test_bin_dir() + "/boot_menu.script"));
    for (std::string line; std::getline(text, line);) lines.push_back(line);
    int last_frame = 0;
    size_t last_start = 0;
    for (size_t i = 0; i < lines.size(); ++i) {
        if (lines[i].empty() || lines[i][0] == '#') continue;
        const int frame = std::stoi(lines[i]);
        if (frame > last_frame) last_frame = frame, last_start = i;
    }
    ASSERT_GT(last_frame, 1);

    std::vector<std::string> args = {"-lenv", "g_screenshot_ui=1"};
    args.insert(args.end(), SMALL_MODE.begin(), SMALL_MODE.end());
    for (const int frame : {last_frame, last_frame - 1}) {
        std::vector<std::string> pictured = lines;
        pictured.insert(pictured.begin() + std::ptrdiff_t(last_start), std::to_string(frame) + " key f10 down");
        const std::string script = program.file("pictured.script");
        std::ofstream out(script, std::ios::binary | std::ios::trunc);
        for (const std::string &line : pictured) out << line << "\n";
        out.close();
        program.fresh_user_folders();
        const program_result_t shot = program.run_with({std::string("FERNWOLD_FIXED_STEP_US=") + STEP_USEC,
                                                        "FERNWOLD_INPUT_SCRIPT=" + script,
                                                        "FERNWOLD_SCREENSHOT_DRAW_LOGS=1"},
                                                       args);
        EXPECT_EQ(shot.exit_code, 0) << shot.err;
        EXPECT_EQ(clock_record(shot.log), record) << "F10 changes nothing of the run";
        const std::string draw_log = read_text(program.home_file(picture_name(0, "draw")));
        logged_frame_t drawn;
        std::string error;
        ASSERT_TRUE(read_logged_frame(draw_log, drawn, error)) << error;
        const bool menu = draw_log.find("\"/system/ui/menu/mainmenu.mat\"") != std::string::npos;
        if (frame == last_frame) {
            EXPECT_TRUE(menu) << "the run's last frame shows the main menu's rows";
            EXPECT_FALSE(drawn.draws.empty()) << "the run's last frame draws the background map";
        } else {
            EXPECT_FALSE(menu) << "the frame before the run's last is the start screen's";
            EXPECT_TRUE(drawn.draws.empty()) << "the frame before the run's last is the start screen's";
        }
    }
}

// Round 1 as the run command plays it (scripts/run.sh, with "g_screenshot_ui" so that
// the pictures show the UI, and the draw logs beside them), twice at once in two
// copies of the program; made once for the cases that read the runs.
struct round_runs_t {
    program_copy_t programs[2];
    program_result_t runs[2];
    contactsheet::picture_t pictures[2][PICTURES];
    logged_frame_t frames[2][PICTURES];
    std::string errors;  // pictures or draw logs that do not read

    round_runs_t() {
        std::thread second;
        for (int i = 0; i < 2; ++i) {
            programs[i].add_build_plugins();
            programs[i].fresh_user_folders();
        }
        const std::vector<std::string> variables = {std::string("FERNWOLD_FIXED_STEP_US=") + STEP_USEC,
                                                    "FERNWOLD_INPUT_SCRIPT=" + test_bin_dir() + "/round1.script",
                                                    "FERNWOLD_SCREENSHOT_DRAW_LOGS=1"};
        const std::vector<std::string> args = {"-lenv", "g_screenshot_ui=1", "-env",
                                               "r_mode=" + std::to_string(PICTURE_WIDTH) + "x" +
                                                   std::to_string(PICTURE_HEIGHT) + "x32x0"};
        second = std::thread([&] { runs[1] = programs[1].run_with(variables, args); });
        runs[0] = programs[0].run_with(variables, args);
        second.join();
        for (int r = 0; r < 2; ++r)
            for (int i = 0; i < PICTURES; ++i) {
                std::string error;
                if (!contactsheet::read_png(programs[r].home_file(picture_name(i, "png")), pictures[r][i], error) ||
                    !read_logged_frame(read_text(programs[r].home_file(picture_name(i, "draw"))), frames[r][i], error))
                    errors += error + "\n";
            }
    }
};

const round_runs_t &round_runs() {
    static const round_runs_t runs;
    return runs;
}

// Round 1 as the run command plays it: boot, the menu, the round on "valley" with the
// hunter's one shot at the first buck (a harmless kill of the crown buck, a vital hit:
// 1020 + 10 points), time over, the round and hub screens, "Hunter" typed and saved in
// the roster, the high scores, the quit, with a picture at each telling moment. Both
// runs log the same and save the same table.
TEST(scripted_run, the_round_script_plays_a_whole_hunt_and_saves_the_score_the_same_every_time) {
    const round_runs_t &r = round_runs();
    std::vector<score_entry_t> tables[2];
    const auto written = [](int i) { return "Screenshot written: '/home/" + picture_name(i, "png") + "'."; };
    for (int i = 0; i < 2; ++i) {
        SCOPED_TRACE(i == 0 ? "first run" : "second run");
        const program_copy_t &program = r.programs[i];
        expect_scripted_run(program, r.runs[i],
                            {"menu", written(MAIN_MENU), "init_round 1", "[game] Starting round '1'.",
                             "[game] Round 1 initialized", written(ROUND_START), written(CLEARING),
                             written(BUCK_IN_SIGHTS), written(AFTER_KILL), written(ROUND_RESULT), "menu highscore",
                             written(HIGH_SCORES)});
        tables[i] = score_table(program.home_file("scores.unit"));
        ASSERT_EQ(tables[i].size(), 15u);
        // The default table (40000 down to 1000) with its last entry gone: the kill's
        // score takes the fifteenth place.
        const unsigned defaults[] = {40000, 35000, 30000, 25000, 22000, 20000, 18000,
                                     16000, 14000, 12000, 10000, 8000,  5000,  3000};
        for (int k = 0; k < 14; ++k) {
            EXPECT_EQ(tables[i][k].score, defaults[k]) << k;
            EXPECT_EQ(tables[i][k].round, 0u) << k;
        }
        EXPECT_EQ(tables[i][14], (score_entry_t{"Hunter", 1030, 1}));
        const std::vector<std::string> config = log_lines(program.home_file("config.cfg"));
        EXPECT_NE(std::find(config.begin(), config.end(), "uset g_player_name \"Hunter\""), config.end());
    }
    EXPECT_EQ(tables[0], tables[1]);
    // The saved files repeat byte for byte (nothing in them follows memory layout).
    for (const char *file : {"scores.unit", "config.cfg"})
        EXPECT_EQ(file_bytes(r.programs[0].home_file(file)), file_bytes(r.programs[1].home_file(file))) << file;
    const std::vector<std::string> logs[2] = {
        without_folder(without_machine_memory(r.runs[0].log), r.programs[0].path()),
        without_folder(without_machine_memory(r.runs[1].log), r.programs[1].path())};
    ASSERT_EQ(logs[0].size(), logs[1].size());
    for (size_t i = 1; i < logs[0].size(); ++i) EXPECT_EQ(logs[0][i], logs[1][i]) << "line " << i;
}

// The seven pictures are PNG files of the run's mode (PICTURE_WIDTH x PICTURE_HEIGHT),
// pixel for pixel the same in both runs, as are their frames' draw logs; nothing else
// lies in the folder.
TEST(scripted_run, the_round_script_takes_the_same_seven_pictures_every_time) {
    const round_runs_t &r = round_runs();
    ASSERT_EQ(r.errors, "");
    for (int i = 0; i < PICTURES; ++i) {
        SCOPED_TRACE(MOMENTS[i]);
        for (int k = 0; k < 2; ++k) {
            EXPECT_EQ(r.pictures[k][i].width, PICTURE_WIDTH);
            EXPECT_EQ(r.pictures[k][i].height, PICTURE_HEIGHT);
        }
        EXPECT_TRUE(r.pictures[0][i] == r.pictures[1][i]) << "the pictures of the two runs differ";
        EXPECT_EQ(read_text(r.programs[0].home_file(picture_name(i, "draw"))),
                  read_text(r.programs[1].home_file(picture_name(i, "draw"))));
    }
    size_t files = 0;
    for ([[maybe_unused]] const auto &e : std::filesystem::directory_iterator(r.programs[0].home_file("screenshots")))
        ++files;
    EXPECT_EQ(files, size_t(2 * PICTURES));
}

// Why the pictures cannot show the round, or "" when they can: a renderer that draws
// nothing reads back its test pattern, or says in the log that it only records.
std::string renderer_draws_nothing(const round_runs_t &r) {
    for (const std::string &line : r.runs[0].log)
        if (line.rfind("[gl] ", 0) == 0 && line.find("not drawn") != std::string::npos)
            return "the renderer draws nothing here: \"" + line + "\"";
    for (const contactsheet::picture_t &p : r.pictures[0])
        if (is_test_pattern(p)) return "the renderer draws nothing: its read-back is the stand-in's test pattern";
    return "";
}

// The picture cases first find in the frame's draw log what the picture must show
// (that holds whatever the renderer), then skip when the renderer draws nothing.
#define SKIP_UNLESS_DRAWN(r)                                                 \
    do {                                                                     \
        if (const std::string why = renderer_draws_nothing(r); !why.empty()) \
            GTEST_SKIP() << why;                                             \
    } while (false)

// Every picture is a frame drawn (not black, not one colour) and no two are the same:
// a stale frame captured twice, or a frame of nothing, fails.
TEST(scripted_run, every_picture_is_a_frame_of_its_own) {
    const round_runs_t &r = round_runs();
    ASSERT_EQ(r.errors, "");
    SKIP_UNLESS_DRAWN(r);
    for (int i = 0; i < PICTURES; ++i) {
        EXPECT_TRUE(is_a_drawn_frame(r.pictures[0][i])) << MOMENTS[i];
        for (int k = 0; k < i; ++k)
            EXPECT_FALSE(r.pictures[0][i] == r.pictures[0][k]) << MOMENTS[k] << " and " << MOMENTS[i] << " are one frame";
    }
}

// Along the clearing: the sky above the horizon and the ground below it, both
// textured, where the terrain's transform puts the horizon.
TEST(scripted_run, the_clearing_shows_the_sky_over_the_ground) {
    const round_runs_t &r = round_runs();
    ASSERT_EQ(r.errors, "");
    const logged_frame_t &frame = r.frames[0][CLEARING];
    const logged_draw_t *world = nullptr;
    for (const logged_draw_t &d : frame.draws)
        if (!world && d.effect == "fw_terrain" && d.has_transform) world = &d;
    ASSERT_NE(world, nullptr) << "the frame draws no terrain";
    EXPECT_FALSE(frame.of_material("/material/skybox/flat.mat").empty()) << "the frame draws no sky";
    SKIP_UNLESS_DRAWN(r);
    EXPECT_TRUE(sky_over_ground(r.pictures[0][CLEARING], *world));
}

// Just before the shot, the whitetail under the crosshair (the centre of the scene's
// viewport) shows where the projection of its box puts it.
TEST(scripted_run, the_buck_in_the_sights_is_where_its_projection_says) {
    const round_runs_t &r = round_runs();
    ASSERT_EQ(r.errors, "");
    const contactsheet::picture_t &picture = r.pictures[0][BUCK_IN_SIGHTS];
    const pixel_rect_t view = scene_viewport(picture.width, picture.height);
    const float centre_x = float(view.left + view.right) / 2.0f, centre_y = float(view.top + view.bottom) / 2.0f;
    // The whitetail's hide (data/models/animal/quadruped.part): the animal faces -z
    // from hooves at y 0 to the ears; the model's scale is in its transform.
    model_look_t whitetail;
    const float low[3] = {-0.35f, 0.0f, -1.0f}, high[3] = {0.35f, 1.75f, 0.9f};
    std::copy(low, low + 3, whitetail.low);
    std::copy(high, high + 3, whitetail.high);
    const logged_draw_t *buck = nullptr;
    for (const logged_draw_t *d : r.frames[0][BUCK_IN_SIGHTS].of_material("/material/animal/whitetail/body.mat")) {
        pixel_rect_t box;
        if (!buck && project_box(*d, whitetail.low, whitetail.high, view, box) && box.contains(centre_x, centre_y))
            buck = d;
    }
    ASSERT_NE(buck, nullptr) << "no whitetail lies under the crosshair";
    SKIP_UNLESS_DRAWN(r);
    EXPECT_TRUE(model_seen(picture, *buck, whitetail));
}

// After the kill the HUD shows its score; the high scores show their rows, "Hunter"
// with 1030 in the fifteenth.
TEST(scripted_run, the_hud_and_the_high_scores_show_their_texts) {
    const round_runs_t &r = round_runs();
    ASSERT_EQ(r.errors, "");
    std::vector<std::pair<int, const logged_text_t *>> texts;
    texts.emplace_back(AFTER_KILL, r.frames[0][AFTER_KILL].text("1030"));
    for (const char *wanted : {"High Scores", "1.", "Master Hunter", "40000", "15.", "Hunter", "1030"})
        texts.emplace_back(HIGH_SCORES, r.frames[0][HIGH_SCORES].text(wanted));
    for (const auto &[moment, text] : texts) ASSERT_NE(text, nullptr) << MOMENTS[moment] << ": a text is missing";
    // "Hunter" and its score share the fifteenth row.
    EXPECT_EQ(texts[6].second->top, texts[7].second->top);
    EXPECT_EQ(texts[5].second->top, texts[6].second->top);
    SKIP_UNLESS_DRAWN(r);
    for (const auto &[moment, text] : texts) EXPECT_TRUE(text_drawn(r.pictures[0][moment], *text)) << MOMENTS[moment];
}

// ---- directed runs ----
// The game program with a director beside the game (tests/fixtures/director/), which
// plays a scenario through the game's own ways in (games started as the play menu
// starts them, the screens' buttons clicked, keys on the loading and start screens,
// a round's clock set near its end) and logs each step it sees done. It fails the run
// when a step does not come, or when the scene's busy count is ever above the number
// of UI effects running in shown windows (so it is 0 whenever none runs).

// The fixed clock's largest step: 10 frames a second, below the 19 under which the
// round screen offers the performance tip (once a run).
constexpr const char DIRECTED_STEP_USEC[] = "100000";

std::string director_program() { return test_plugins_dir() + "/fernwold_director"; }

// The number after head in every line that begins with head and ends with tail.
std::vector<int> numbers_between(const std::vector<std::string> &log, const std::string &head,
                                 const std::string &tail) {
    std::vector<int> out;
    for (const std::string &line : log)
        if (line.size() >= head.size() + tail.size() && line.rfind(head, 0) == 0 &&
            line.compare(line.size() - tail.size(), tail.size(), tail) == 0)
            out.push_back(atoi(line.c_str() + head.size()));
    return out;
}

// Every round of "/script/round/rounds.unit", each in a program of its own (two at a
// time): a new game at the round, played until an animal's marker holds the scene
// (from round 3 on, where animals carry bonuses) or a few seconds, then its clock runs
// out; the round screen's "ok" (and the performance tip's), the hub's "retry" starts the
// same round again; its clock runs out at once, and the hub's "ok" leads to the menu.
// Then the round anew, and a quit mid-round (by the quit question, SIGTERM, closing the
// window or the command, in turn) ends the program with exit code 0.
TEST(scripted_run, every_round_ends_by_its_clock_retries_returns_to_the_menu_and_quits_mid_round) {
    constexpr uint32_t ROUNDS = 30;
    const char *const quit_ways[] = {"the quit question", "SIGTERM", "closing the window", "the quit command"};
    std::vector<std::unique_ptr<program_copy_t>> programs;
    for (uint32_t n = 1; n <= ROUNDS; ++n) {
        programs.push_back(std::make_unique<program_copy_t>(director_program()));
        programs.back()->add_build_plugins();
        programs.back()->fresh_user_folders();
    }
    std::vector<program_result_t> runs(ROUNDS + 1);
    std::atomic<uint32_t> next{1};
    const auto work = [&] {
        for (uint32_t n; (n = next++) <= ROUNDS;)
            runs[n] = programs[n - 1]->run_with({std::string("FERNWOLD_FIXED_STEP_US=") + DIRECTED_STEP_USEC},
                                            {"-director", "round", std::to_string(n), SMALL_MODE[0], SMALL_MODE[1]});
    };
    std::thread second(work);
    work();
    second.join();

    for (uint32_t n = 1; n <= ROUNDS; ++n) {
        SCOPED_TRACE("round " + std::to_string(n));
        const program_result_t &r = runs[n];
        ASSERT_TRUE(r.started);
        EXPECT_EQ(r.exit_code, 0) << r.err;
        const std::string id = std::to_string(n), d = "[director] round " + id + ": ";
        const std::string init = "init_round " + id, start = "[game] Starting round '" + id + "'.";
        const std::vector<std::string> enter = {d + "loaded", d + "the loading screen closed", d + "the intro skipped"};
        std::vector<std::string> road = {"[game] 30 rounds", "[director] the menu", d + "a new game starts at it",
                                         init, start, "[game] Round " + id + " initialized"};
        const auto append = [&road](const std::vector<std::string> &more) {
            road.insert(road.end(), more.begin(), more.end());
        };
        append(enter);
        append({d + "played", d + "the clock ran out and the round screen shows", d + "the round screen's ok",
                "[director] the performance tip's ok", d + "the hub offers a retry", init, start,
                d + "the hub's retry"});
        append(enter);
        append({d + "the clock ran out and the round screen shows", d + "the round screen's ok", d + "the hub again",
                "menu", d + "the hub's ok leads to the menu", d + "a new game starts at it", init, start});
        append(enter);
        append({d + "played", std::string("[director] quit by ") + quit_ways[n % 4], "quit",
                "[sys] process shutdown"});
        EXPECT_TRUE(lines_in_order(r.log, road));
        EXPECT_EQ(failure_lines(r.log), std::vector<std::string>());
        // From round 3 on the round ends and the quit comes while markers of animals
        // that carry bonuses hold the scene with effects that never end.
        const std::vector<int> holds =
            numbers_between(r.log, d, " effects of the animals' markers hold the scene");
        ASSERT_EQ(holds.size(), 2u);
        for (int h : holds) EXPECT_EQ(h > 0, n >= 3) << h;
    }
}

// A single game whose first three rounds are won (the director shoots the scoring
// animals as they come, each shot delivered to the scene's targets as the rifle
// delivers its own), through the round screens, the performance tip and the bonus
// choice after round 2, reaches round 4; the quit question mid-round saves the game and
// ends the program.
TEST(scripted_run, a_directed_game_wins_three_rounds_in_a_row_and_reaches_round_4) {
    program_copy_t program(director_program());
    program.add_build_plugins();
    program.fresh_user_folders();
    const program_result_t r = program.run_with({std::string("FERNWOLD_FIXED_STEP_US=") + DIRECTED_STEP_USEC},
                                                {"-director", "game", SMALL_MODE[0], SMALL_MODE[1]});
    ASSERT_TRUE(r.started);
    EXPECT_EQ(r.exit_code, 0) << r.err;
    std::vector<std::string> road = {"[director] the menu"};
    for (int n = 1; n <= 3; ++n) {
        const std::string id = std::to_string(n), d = "[director] round " + id + ": ";
        // The round screen's "ok" starts the next round in the frame it is taken, so
        // the director's line for it may come after that round's first lines.
        road.insert(road.end(), {"init_round " + id, "[game] Starting round '" + id + "'.", d + "loaded",
                                 d + "the loading screen closed", d + "the intro skipped", d + "won"});
        if (n == 1) road.push_back("[director] the performance tip's ok");
        if (n == 2) road.push_back("[director] the bonus choice's ok");
    }
    road.insert(road.end(), {"init_round 4", "[game] Starting round '4'.", "[director] round 4: loaded",
                             "[director] the game reaches round 4 with ", "[director] the in-game menu",
                             "[director] the quit question", "[director] quit by the quit question", "quit",
                             "[sys] process shutdown"});
    EXPECT_TRUE(lines_in_order(r.log, road));
    EXPECT_EQ(failure_lines(r.log), std::vector<std::string>());
    const std::vector<int> points = numbers_between(r.log, "[director] the game reaches round 4 with ", " points");
    ASSERT_EQ(points.size(), 1u);
    EXPECT_GT(points[0], 0);
    EXPECT_TRUE(std::filesystem::exists(program.home_file("savegame"))) << "quitting from a hunt saves the game";
}

TEST(scripted_run, a_bad_script_line_says_file_line_and_what_is_wrong_and_fails_the_run) {
    const struct {
        const char *text;  // null: no such file
        const char *said;
    } cases[] = {
        {"10 key space down\n11 jump\n", ":2: 'jump' is no action (key, button, move or point)"},
        {"10 key space down\n\n5 key space up\n", ":3: frame 5 comes after frame 10"},
        {"# the kernel's trigger names\n10 key nosuchkey down\n", ":2: 'nosuchkey' is no key"},
        {"10 key mouse1 down\n", ":1: 'mouse1' is no key of the keyboard (buttons are 'button')"},
        {"10 point 512 800\n", ":1: '800' is no place on the screen (x 0 to 1024, y 0 to 768)"},
        {nullptr, ": the input script cannot be opened"},
    };
    program_copy_t program;
    program.add_build_plugins();
    for (const auto &c : cases) {
        const std::string script = program.file("bad.script");
        std::filesystem::remove(script);
        if (c.text) std::ofstream(script, std::ios::binary) << c.text;
        const program_result_t r = run_script(program, script);
        ASSERT_TRUE(r.started);
        EXPECT_EQ(r.exit_code, 1) << c.said;
        EXPECT_TRUE(lines_in_order(r.log, {"[inpdev] " + script + c.said,
                                           "[sys] The run failed while the plug-ins loaded - nothing is executed",
                                           "[sys] process shutdown"}));
        for (const std::string &line : r.log) EXPECT_EQ(line.find("[game] Fernwold init"), std::string::npos) << c.said;
    }
}

TEST(scripted_run, a_step_that_is_no_whole_number_of_microseconds_stops_the_program) {
    program_copy_t program;
    program.add_build_plugins();
    for (const char *step : {"abc", "0", "100001", "-40000"}) {
        scoped_env_t fixed("FERNWOLD_FIXED_STEP_US", step);
        const program_result_t r = program.run({});
        ASSERT_TRUE(r.started);
        EXPECT_EQ(r.exit_code, 1) << step;
        EXPECT_NE(r.err.find(std::string("FERNWOLD_FIXED_STEP_US: '") + step +
                             "' is not a step of 1 to 100000 microseconds"),
                  std::string::npos)
            << r.err;
    }
}

}  // namespace
}  // namespace quarn::test
