#include "outside/qrnshared/def_pool.h"

#include <gtest/gtest.h>

#include <cstring>
#include <new>
#include <string>

#include "qrncore/qrnutils/ufs/fs.h"
#include "support/memory_file.h"
#include "support/message_capture.h"
#include "support/temp_dir.h"

namespace quarn::test {
namespace {

bool read(def_pool_t &pool, const std::string &text, const char *path = "/def/test.def") {
    return pool.read_text(text.data(), text.size(), path);
}

std::string write(const def_pool_t &pool) {
    memory_file_t file;
    EXPECT_TRUE(pool.write_to(file));
    return file.bytes;
}

// Everything a pool holds, one line per object and key, in tree order: the
// comparison of two pools.
void dump(const def_obj_t *o, int level, std::string &out) {
    for (; o; o = o->get_next()) {
        out += std::string(size_t(level) * 2, ' ') + o->get_name();
        if (o->get_base()) {
            char base[256];
            o->get_base()->get_path(base, sizeof base);
            out += std::string(" : ") + base;
        }
        out += "\n";
        for (const def_value_t *v = o->get_first_value(); v; v = v->get_next())
            out += std::string(size_t(level) * 2 + 2, ' ') + v->get_key() + "=[" + v->get_text() + "]\n";
        dump(o->get_first_child(), level + 1, out);
    }
}

std::string dump(const def_pool_t &pool) {
    std::string out;
    dump(pool.get_first_object(), 0, out);
    return out;
}

const char *const species_text = R"(# species as the animals read them
def species_kind {
    score_max: "100"
    trail_type: "deer_trail"
}
def species {
    def whitetail : species_kind {
        index: "3"
        trail_type: "wtail_trail"
        def male : species_type {
            model: "/model/animal/whitetail/animal.zba"
            score_range: "15:25"
        }
        def female : species_type {
            gender: "2"
        }
    }
    def moose : species_kind { index: "1" }
}
def species_type {
    scale: "1"
    type: "simple"
}
def template00 { name: "first" }
def template01 { name: "second" }
def template03 { name: "fourth" }
)";

TEST(def_pool, finds_objects_by_dotted_name_and_keeps_them_in_file_order) {
    def_pool_t pool;
    ASSERT_TRUE(read(pool, species_text));

    std::string top;
    for (const def_obj_t *o = pool.get_first_object(); o; o = o->get_next()) top += std::string(o->get_name()) + " ";
    EXPECT_EQ(top, "species_kind species species_type template00 template01 template03 ");
    EXPECT_EQ(pool.get_object_count(), 6u);

    def_obj_t *whitetail = pool.find("species.whitetail");
    ASSERT_NE(whitetail, nullptr);
    EXPECT_EQ(whitetail->get_child_count(), 2u);
    EXPECT_STREQ(whitetail->get_first_child()->get_name(), "male");
    EXPECT_STREQ(whitetail->get_first_child()->get_next()->get_name(), "female");
    EXPECT_EQ(pool.find("species.whitetail.male"), whitetail->find("male"));
    EXPECT_EQ(pool.find("whitetail.male", -1, pool.find("species")), whitetail->find("male"));
    EXPECT_STREQ(pool.find("species.whitetail")->get_parent()->get_name(), "species");
    EXPECT_EQ(pool.find("species")->get_parent(), nullptr);
    char path[64];
    EXPECT_TRUE(whitetail->find("female")->get_path(path, sizeof path));
    EXPECT_STREQ(path, "species.whitetail.female");
    EXPECT_EQ(whitetail->get_line(), 7u);

    // A number appended in two digits; counting stops at the first gap.
    EXPECT_STREQ(pool.find("template", 1)->get_value("name"), "second");
    EXPECT_EQ(pool.find("template", 2), nullptr);
    EXPECT_STREQ(pool.find("template", 3)->get_value("name"), "fourth");

    for (const char *missing : {"species.elk", "species.", ".species", "species..whitetail", "", "whitetail"})
        EXPECT_EQ(pool.find(missing), nullptr) << missing;
    EXPECT_EQ(pool.find(nullptr), nullptr);
}

TEST(def_pool, keys_are_inherited_along_the_base_chain) {
    def_pool_t pool;
    ASSERT_TRUE(read(pool, species_text));
    const def_obj_t *male = pool.find("species.whitetail.male");
    ASSERT_NE(male, nullptr);
    // Own key, key of the base (species_type, defined after the block naming it).
    EXPECT_STREQ(male->get_value("model"), "/model/animal/whitetail/animal.zba");
    EXPECT_STREQ(male->get_value("type"), "simple");
    EXPECT_EQ(male->get_base(), pool.find("species_type"));

    const def_obj_t *whitetail = pool.find("species.whitetail");
    EXPECT_STREQ(whitetail->get_value("score_max"), "100");            // inherited
    EXPECT_STREQ(whitetail->get_value("trail_type"), "wtail_trail");  // own wins
    EXPECT_STREQ(pool.find("species.moose")->get_value("trail_type"), "deer_trail");

    // A missing key is null everywhere; the default stands in for it, not for "".
    EXPECT_EQ(male->get_value("antlers"), nullptr);
    EXPECT_STREQ(male->get_dvalue("antlers", "none"), "none");
    EXPECT_EQ(male->get_value(nullptr), nullptr);
    def_pool_t other;
    ASSERT_TRUE(read(other, "def a { empty: \"\" }"));
    EXPECT_STREQ(other.find("a")->get_dvalue("empty", "x"), "");

    // Own lists hold only the object's own keys.
    std::string keys;
    for (const def_value_t *v = whitetail->get_first_value(); v; v = v->get_next()) keys += std::string(v->get_key()) + " ";
    EXPECT_EQ(keys, "index trail_type ");
}

TEST(def_pool, children_are_inherited_and_blocks_defined_again_go_on) {
    def_pool_t pool;
    ASSERT_TRUE(read(pool, R"(
def carcass_base { smell: "5" }
def kind_base { def carcass : carcass_base { range: "50" } }
def grizzly : kind_base { speed: "3" }
def grizzly { speed: "4"  def cub { } }
def grizzly : kind_base { size: "big" }
)"));
    const def_obj_t *grizzly = pool.find("grizzly");
    ASSERT_NE(grizzly, nullptr);
    EXPECT_EQ(pool.get_object_count(), 3u);
    // Later keys replace earlier ones in place; the block kept collecting.
    std::string keys;
    for (const def_value_t *v = grizzly->get_first_value(); v; v = v->get_next())
        keys += std::string(v->get_key()) + "=" + v->get_text() + " ";
    EXPECT_EQ(keys, "speed=4 size=big ");
    EXPECT_NE(pool.find("grizzly.cub"), nullptr);
    // "carcass" comes from the base's children and inherits through its own base.
    const def_obj_t *carcass = pool.find("grizzly.carcass");
    ASSERT_NE(carcass, nullptr);
    EXPECT_STREQ(carcass->get_value("smell"), "5");
    EXPECT_EQ(grizzly->get_child_count(), 1u);
}

TEST(def_pool, typed_getters_read_well_formed_values_and_refuse_the_rest) {
    def_pool_t pool;
    ASSERT_TRUE(read(pool, R"(def v {
    i_plain: "42"
    i_neg: " -7 "
    i_hex: "0x7700a2ff"
    i_big: "2147483648"
    i_text: "12abc"
    i_empty: ""
    r_plain: "0.33"
    r_exp: "-1.5e3"
    r_int: "+2"
    r_text: "1.0.0"
    r_inf: "inf"
    b_true: "TRUE"
    b_no: "no"
    b_one: "1"
    b_zero: "0"
    b_text: "maybe"
    p_three: "1 2.5 -3"
    p_commas: "0.2, 0.2,0.2"
    p_short: "1 2"
    p_long: "1 2 3 4"
    p_text: "1 x 3"
})"));
    const def_obj_t *v = pool.find("v");
    ASSERT_NE(v, nullptr);

    struct int_case_t {
        const char *key;
        bool ok;
        int32_t value;
    };
    for (const int_case_t &c : {int_case_t{"i_plain", true, 42}, {"i_neg", true, -7}, {"i_hex", true, int32_t(0x7700a2ff)},
                                {"i_big", false, 0}, {"i_text", false, 0}, {"i_empty", false, 0}, {"missing", false, 0}}) {
        int32_t out = 99;
        EXPECT_EQ(v->get_int(c.key, out), c.ok) << c.key;
        EXPECT_EQ(out, c.ok ? c.value : 99) << c.key;
    }
    struct real_case_t {
        const char *key;
        bool ok;
        float value;
    };
    for (const real_case_t &c : {real_case_t{"r_plain", true, 0.33f}, {"r_exp", true, -1500.0f}, {"r_int", true, 2.0f},
                                 {"r_text", false, 0}, {"r_inf", false, 0}, {"i_empty", false, 0}, {"missing", false, 0}}) {
        float out = 99.0f;
        EXPECT_EQ(v->get_real(c.key, out), c.ok) << c.key;
        EXPECT_EQ(out, c.ok ? c.value : 99.0f) << c.key;
    }
    struct bool_case_t {
        const char *key;
        bool ok;
        bool value;
    };
    for (const bool_case_t &c : {bool_case_t{"b_true", true, true}, {"b_no", true, false}, {"b_one", true, true},
                                 {"b_zero", true, false}, {"b_text", false, false}, {"missing", false, false}}) {
        bool out = true;
        EXPECT_EQ(v->get_bool(c.key, out), c.ok) << c.key;
        if (c.ok) EXPECT_EQ(out, c.value) << c.key;
        else EXPECT_TRUE(out) << c.key;
    }
    vec3_t p{9, 9, 9};
    EXPECT_TRUE(v->get_point("p_three", p));
    EXPECT_EQ(p.x, 1.0f);
    EXPECT_EQ(p.y, 2.5f);
    EXPECT_EQ(p.z, -3.0f);
    EXPECT_TRUE(v->get_point("p_commas", p));
    EXPECT_EQ(p.z, 0.2f);
    for (const char *bad : {"p_short", "p_long", "p_text", "missing"}) {
        vec3_t q{9, 9, 9};
        EXPECT_FALSE(v->get_point(bad, q)) << bad;
        EXPECT_EQ(q.x, 9.0f) << bad;
    }
    vec4_t rect;
    EXPECT_TRUE(v->get_point("p_long", rect));
    EXPECT_EQ(rect.w, 4.0f);
}

TEST(def_pool, malformed_values_are_logged_with_their_file_and_line_missing_ones_are_not) {
    def_pool_t pool;
    ASSERT_TRUE(read(pool, "def base {\n  scale: \"big\"\n}\ndef derived : base {\n}\n", "/def/game.def"));
    message_capture_t capture;
    float f = 0;
    int32_t i = 0;
    EXPECT_FALSE(pool.find("derived")->get_real("scale", f));  // inherited: logged where it was read
    EXPECT_FALSE(pool.find("derived")->get_int("weight", i));
    ASSERT_EQ(capture.entries().size(), 1u);
    EXPECT_EQ(capture.entries()[0].text, "[def] /def/game.def:2: 'scale' of 'derived' is not a number: \"big\"");
    EXPECT_EQ(capture.entries()[0].type, message_t::ERROR);
}

TEST(def_pool, setters_write_texts_that_read_back_exactly) {
    def_pool_t pool;
    def_obj_t *general = pool.create_object("general");
    ASSERT_NE(general, nullptr);
    EXPECT_TRUE(general->set_real("time", 0.33f));
    EXPECT_TRUE(general->set_real("tiny", 1.17549435e-38f));
    EXPECT_TRUE(general->set_int("start_id", -12));
    EXPECT_TRUE(general->set_bool("dangerous_animals", true));
    EXPECT_TRUE(general->set_point("wind_dir", vec3_t{0.1f, -0.2f, 3.0f}));
    EXPECT_TRUE(general->set_value("area", "valley"));
    EXPECT_TRUE(general->set_value("area", "peaks"));  // replaces in place
    EXPECT_STREQ(general->get_value("time"), "0.33");
    EXPECT_STREQ(general->get_value("wind_dir"), "0.1 -0.2 3");

    float f = 0;
    EXPECT_TRUE(general->get_real("time", f));
    EXPECT_EQ(f, 0.33f);
    EXPECT_TRUE(general->get_real("tiny", f));
    EXPECT_EQ(f, 1.17549435e-38f);
    int32_t i = 0;
    EXPECT_TRUE(general->get_int("start_id", i));
    EXPECT_EQ(i, -12);
    bool b = false;
    EXPECT_TRUE(general->get_bool("dangerous_animals", b));
    EXPECT_TRUE(b);
    vec3_t w;
    EXPECT_TRUE(general->get_point("wind_dir", w));
    EXPECT_EQ(w.y, -0.2f);
    EXPECT_EQ(general->get_first_value()->get_line(), 0u);
    EXPECT_EQ(general->get_first_value()->get_file(), nullptr);

    message_capture_t capture;
    for (const char *bad : {"", "two words", "a.b", "x-y"}) EXPECT_FALSE(general->set_value(bad, "1")) << bad;
    EXPECT_FALSE(general->set_value(nullptr, "1"));
    EXPECT_FALSE(general->set_value(std::string(256, 'k').c_str(), "1"));
    EXPECT_EQ(capture.texts(message_t::ERROR).size(), 6u);
    EXPECT_TRUE(general->set_value(std::string(255, 'k').c_str(), "1"));
}

TEST(def_pool, objects_made_by_code_join_the_tree_only_through_add_object) {
    def_pool_t pool, other;
    def_obj_t *animals = pool.create_object("animals");
    def_obj_t *base = pool.create_object("animal_base");
    ASSERT_TRUE(animals && base);
    def_obj_t *deer = pool.new_object("whitetail_male00", base);
    ASSERT_NE(deer, nullptr);
    EXPECT_EQ(pool.find("animals.whitetail_male00"), nullptr);
    EXPECT_TRUE(base->set_value("kind", "deer"));
    EXPECT_STREQ(deer->get_value("kind"), "deer");
    ASSERT_TRUE(pool.add_object(deer, animals));
    EXPECT_EQ(pool.find("animals.whitetail_male00"), deer);

    message_capture_t capture;
    EXPECT_EQ(pool.new_object("bad name"), nullptr);
    EXPECT_EQ(pool.new_object(nullptr), nullptr);
    EXPECT_EQ(other.new_object("x", base), nullptr);             // base of another pool
    EXPECT_FALSE(pool.add_object(deer, animals));                // added before
    def_obj_t *twin = pool.new_object("whitetail_male00");
    EXPECT_FALSE(pool.add_object(twin, animals));                // name taken
    EXPECT_TRUE(pool.add_object(twin));                          // free at the top level
    def_obj_t *outer = pool.new_object("outer");
    def_obj_t *inner = pool.create_object("inner", outer);      // below an unattached object
    ASSERT_NE(inner, nullptr);
    EXPECT_FALSE(pool.add_object(outer, inner));                 // inside itself
    EXPECT_FALSE(other.add_object(outer));                       // another pool
    EXPECT_FALSE(pool.add_object(nullptr));
    EXPECT_EQ(capture.texts(message_t::ERROR).size(), 8u);
    EXPECT_TRUE(pool.add_object(outer));
    EXPECT_EQ(pool.find("outer.inner"), inner);
}

TEST(def_pool, a_written_pool_reads_back_the_same) {
    def_pool_t pool;
    ASSERT_TRUE(read(pool, std::string(species_text) + R"(
def texts {
    tricky: "a \"quoted\" word\nline two \\ and # not a comment"
    blank: ""
    crlf: "ends"
}
def deep { def a { def b { def c { k: "v" } } } }
def derived : deep.a.b { }
)"));
    // Objects made by code, deriving from an object read from the text.
    def_obj_t *made = pool.create_object("made", pool.find("texts"), pool.find("species.whitetail"));
    ASSERT_NE(made, nullptr);
    made->set_real("weight", 81.25f);

    const std::string text = write(pool);
    def_pool_t again;
    ASSERT_TRUE(read(again, text, "/def/written.def")) << text;
    EXPECT_EQ(dump(again), dump(pool));
    EXPECT_EQ(write(again), text);
    EXPECT_STREQ(again.find("texts")->get_value("tricky"), "a \"quoted\" word\nline two \\ and # not a comment");
    EXPECT_STREQ(again.find("texts.made")->get_value("score_max"), "100");
    EXPECT_STREQ(again.find("derived.c")->get_value("k"), "v");
    EXPECT_NE(text.find("    def male : species_type {\n"), std::string::npos) << text;

    // An empty pool writes nothing and reads back empty.
    def_pool_t empty;
    EXPECT_EQ(write(empty), "");
    EXPECT_TRUE(read(empty, ""));
    EXPECT_TRUE(empty.is_empty());
}

TEST(def_pool, a_base_outside_the_tree_fails_the_write) {
    def_pool_t pool;
    def_obj_t *loose = pool.new_object("loose");
    ASSERT_NE(pool.create_object("user", nullptr, loose), nullptr);
    message_capture_t capture;
    memory_file_t file;
    EXPECT_FALSE(pool.write_to(file));
    EXPECT_EQ(file.bytes, "");
    EXPECT_TRUE(capture.contains("cannot write 'user': its base 'loose' is not in the pool"));

    memory_file_t full;
    full.write_limit = 10;
    def_pool_t ok;
    ASSERT_TRUE(read(ok, species_text));
    EXPECT_FALSE(ok.write_to(full));
}

TEST(def_pool, bad_input_fails_the_whole_load_with_file_and_line) {
    struct case_t {
        const char *text;
        const char *message;
    };
    const case_t cases[] = {
        {"def a {\n  k: \"never closed\n}\n", "/def/bad.def:2: unterminated value"},
        {"def a {\n  k: \"ends with a backslash\\", "/def/bad.def:2: unterminated value"},
        {"def a {\n k: \"x\\ty\" }", "/def/bad.def:2: unknown escape '\\t'"},
        {"def a {\n  k: v\n}", "/def/bad.def:2: the value of 'k' must be a double-quoted text"},
        {"def a {\n  k \"v\"\n}", "/def/bad.def:2: unexpected 'k'"},
        {"k: \"v\"", "/def/bad.def:1: the key 'k' stands outside any block"},
        {"def a {\n\n def b {\n }\n", "/def/bad.def:1: the block 'a' is not closed"},
        {"def a { }\n}", "/def/bad.def:2: '}' without an open block"},
        {"def { }", "/def/bad.def:1: 'def' needs an object name"},
        {"def a.b { }", "/def/bad.def:1: 'def' needs an object name"},
        {"def a : { }", "/def/bad.def:1: ':' after 'a' needs the name of a base"},
        {"def a : b.. { }", "/def/bad.def:1: 'b..' is no base name"},
        {"def a k: \"v\"", "/def/bad.def:1: '{' expected after 'def a'"},
        {"def a {\n\n  def b : missing { }\n}", "/def/bad.def:3: unknown base 'missing' of 'b'"},
        {"def a : c { }\ndef b : a { }\ndef c : b { }", "the bases of"},
        {"def a : a { }", "/def/bad.def:1: the bases of 'a' run in a circle"},
        {"def a { }\ndef b : a { }\ndef b : c { }\ndef c { }", "/def/bad.def:3: 'b' is defined again with another base"},
        {"def a { extdefs \"x.def\" }", "/def/bad.def:1: extdefs inside a block"},
        {"extdefs x.def", "/def/bad.def:1: extdefs needs a double-quoted file name"},
        {"def a { k: \"v\" } \"stray\"", "/def/bad.def:1: a quoted value without a key"},
        {"def a { k: \"v\" } ;", "/def/bad.def:1: unexpected character ';'"},
        {"def a { k: \"v\" }\n\x01", "/def/bad.def:2: unexpected byte 0x01"},
        {"def a { : \"v\" }", "/def/bad.def:1: ':' without a key"},
        {"{ }", "/def/bad.def:1: '{' without 'def name'"},
    };
    for (const case_t &c : cases) {
        def_pool_t pool;
        ASSERT_TRUE(read(pool, "def old { k: \"v\" }"));
        message_capture_t capture;
        EXPECT_FALSE(read(pool, c.text, "/def/bad.def")) << c.text;
        EXPECT_TRUE(pool.is_empty()) << c.text;
        EXPECT_EQ(pool.find("old"), nullptr) << c.text;
        EXPECT_TRUE(capture.contains(c.message)) << c.text << "\n  got: "
                                                 << (capture.entries().empty() ? "" : capture.entries()[0].text);
        const auto errors = capture.texts(message_t::ERROR);
        ASSERT_FALSE(errors.empty()) << c.text;
        EXPECT_EQ(errors[0].rfind("[def] ", 0), 0u) << errors[0];
    }

    // A zero byte inside a value and one outside are refused alike.
    def_pool_t pool;
    message_capture_t capture;
    EXPECT_FALSE(read(pool, std::string("def a { k: \"x\0y\" }", 18)));
    EXPECT_FALSE(read(pool, std::string("def a { }\0", 10)));
    // Blocks nested past the limit.
    std::string deep;
    for (int i = 0; i <= def_pool_t::MAX_NESTING; ++i) deep += "def a {";
    EXPECT_FALSE(read(pool, deep));
    EXPECT_TRUE(capture.contains("blocks nest deeper than 256 levels"));
}

TEST(def_pool, keys_and_names_may_be_the_words_of_the_syntax) {
    def_pool_t pool;
    ASSERT_TRUE(read(pool, "def def {\n def: \"1\"\n extdefs: \"2\" }\r\ndef x{y:\"z\"}"));
    EXPECT_STREQ(pool.find("def")->get_value("def"), "1");
    EXPECT_STREQ(pool.find("def")->get_value("extdefs"), "2");
    EXPECT_STREQ(pool.find("x")->get_value("y"), "z");
    def_pool_t again;
    ASSERT_TRUE(read(again, write(pool)));
    EXPECT_EQ(dump(again), dump(pool));
}

TEST(def_pool, a_pool_moved_with_memcpy_keeps_working) {
    // The resource manager moves item data, the pool among it, byte by byte.
    alignas(def_pool_t) unsigned char first[sizeof(def_pool_t)];
    alignas(def_pool_t) unsigned char second[sizeof(def_pool_t)];
    def_pool_t *pool = new (first) def_pool_t();
    ASSERT_TRUE(read(*pool, species_text));
    memcpy(second, first, sizeof first);
    memset(first, 0xcc, sizeof first);
    def_pool_t *moved = std::launder(reinterpret_cast<def_pool_t *>(second));
    EXPECT_STREQ(moved->find("species.whitetail.male")->get_value("type"), "simple");
    EXPECT_NE(moved->create_object("later"), nullptr);
    moved->~def_pool_t();
}

// Files in a folder mounted at "/def".
class def_files : public ::testing::Test {
protected:
    void SetUp() override {
        fs_startup();
        device = ufs_mount(FS_DEVICE_DIRECTORY, dir.path().c_str(), "/def", true, 10);
        ASSERT_NE(device, nullptr);
    }
    void TearDown() override {
        ufs_unmount(device);
        fs_shutdown();
    }
    void put(const std::string &name, const std::string &text) { ASSERT_TRUE(write_file(dir.file(name), text)); }

    temp_dir_t dir;
    fs_device_t *device = nullptr;
};

TEST_F(def_files, includes_are_read_relative_to_the_including_file) {
    put("game.def", "extdefs \"base/basedefs.def\"\ndef species { def moose : species_kind { index: \"1\" } }\n");
    put("base/basedefs.def", "extdefs \"../common.def\"\nextdefs \"/def/base/./kinds.def\"\n");
    put("base/kinds.def", "def species_kind { score_max: \"100\" }\n");
    put("common.def", "def common { version: \"2\" }\n");
    def_pool_t pool;
    ASSERT_TRUE(pool.read_from("/def/game.def"));
    EXPECT_STREQ(pool.find("species.moose")->get_value("score_max"), "100");
    EXPECT_STREQ(pool.find("common")->get_value("version"), "2");
    EXPECT_STREQ(pool.find("species_kind")->get_first_value()->get_file(), "/def/base/kinds.def");
    std::string top;
    for (const def_obj_t *o = pool.get_first_object(); o; o = o->get_next()) top += std::string(o->get_name()) + " ";
    EXPECT_EQ(top, "common species_kind species ");

    // The same through an open file and through the system's own paths.
    auto_ptr_t<file_t> file(fs_open("/def/game.def", FS_REALM_VIRTUAL));
    def_pool_t again;
    ASSERT_TRUE(again.read_from(*file, "/def/game.def"));
    EXPECT_EQ(dump(again), dump(pool));
    // Relative includes in the system's own paths stay in that realm.
    put("sys/main.def", "extdefs \"parts/part.def\"\n");
    put("sys/parts/part.def", "def part { k: \"v\" }\n");
    def_pool_t system;
    ASSERT_TRUE(system.read_from(dir.file("sys/main.def").c_str(), FS_REALM_SYSTEM));
    EXPECT_STREQ(system.find("part")->get_value("k"), "v");
}

TEST_F(def_files, include_errors_fail_the_load) {
    struct case_t {
        const char *main;
        const char *message;
    };
    put("a.def", "def a { }\nextdefs \"b.def\"\n");
    put("b.def", "\n\nextdefs \"./a.def\"\n");
    put("self.def", "extdefs \"self.def\"\n");
    put("up.def", "extdefs \"../../etc/passwd\"\n");
    put("broken.def", "def broken {\n");
    std::string chain;
    for (int i = 0; i < 20; ++i) put("n" + std::to_string(i) + ".def", "extdefs \"n" + std::to_string(i + 1) + ".def\"\n");
    put("n20.def", "");
    const case_t cases[] = {
        {"a.def", "/def/b.def:3: include cycle: '/def/a.def' is already being read"},
        {"self.def", "/def/self.def:1: include cycle: '/def/self.def'"},
        {"up.def", "/def/up.def:1: the include '../../etc/passwd' climbs above the root"},
        {"n0.def", "includes nest deeper than 16 files"},
    };
    for (const case_t &c : cases) {
        def_pool_t pool;
        message_capture_t capture;
        EXPECT_FALSE(pool.read_from(("/def/" + std::string(c.main)).c_str())) << c.main;
        EXPECT_TRUE(pool.is_empty());
        EXPECT_TRUE(capture.contains(c.message)) << c.main << "\n  got: "
                                                 << (capture.entries().empty() ? "" : capture.entries()[0].text);
    }

    def_pool_t pool;
    message_capture_t capture;
    EXPECT_FALSE(pool.read_text("extdefs \"missing.def\"", 21, "/def/main.def"));
    EXPECT_FALSE(pool.read_text("extdefs \"broken.def\"", 20, "/def/main.def"));
    EXPECT_FALSE(pool.read_from("/def/nothing.def"));
    EXPECT_TRUE(capture.contains("/def/main.def:1: cannot open the include '/def/missing.def'"));
    EXPECT_TRUE(capture.contains("/def/broken.def:1: the block 'broken' is not closed"));
    EXPECT_TRUE(capture.contains("[def] cannot open '/def/nothing.def'"));
}

}  // namespace
}  // namespace quarn::test
