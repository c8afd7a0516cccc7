#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>

#include "qrncore/units/unit_text.h"
#include "unit_file_fixture.h"

namespace quarn::test {
namespace {

using unit_save = unit_file_fixture_t;
using unit_save_death = unit_file_fixture_t;

std::string float_text(float f) {
    char text[UNIT_FLOAT_TEXT_SIZE];
    unit_float_text(text, f);
    return text;
}

TEST(unit_text, float_forms) {
    struct {
        float value;
        const char *text;
    } const cases[] = {
        {3.0f, "3"},
        {0.0f, "0"},
        {-12.0f, "-12"},
        {999999.0f, "999999"},
        {1000000.0f, "1e+06"},      // reads back exactly
        {1234567.0f, "&4996b438"},  // "%g" would give 1.23457e+06
        {-8000000.0f, "-8e+06"},
        {8000001.0f, "&4af42402"},
        {0.3f, "&3e99999a"},
        {0.1f, "&3dcccccd"},
        {std::numeric_limits<float>::infinity(), "&7f800000"},
    };
    for (const auto &c : cases) EXPECT_EQ(float_text(c.value), c.text) << c.value;
    EXPECT_EQ(float_text(std::nanf("")).substr(0, 1), "&");
}

TEST_F(unit_save, empty_list_writes_sixteen_bytes) {
    bool ok = false;
    EXPECT_EQ(save({}, UNIT_TRAVERSE_NONE, &ok), "RozErere\r\n{\r\n}\r\n");
    EXPECT_TRUE(ok);
}

TEST_F(unit_save, values_of_every_scalar_kind) {
    owner_ptr_t<test_all_u> u(test_all_u::create());
    owner_ptr_t<test_node_u> target(test_node_u::create());
    ASSERT_TRUE(u->set_name("all.one"));
    ASSERT_TRUE(target->set_name("deer"));
    u->m_string = "a b";
    u->set_value(unit_system_t::get_attribute_descriptor(u->get_descriptor(), "token"), "Doe_2");
    u->m_float = 0.5f;
    u->m_vec2 = {1, 2};
    u->m_vec3 = {1, 2, 3};
    u->m_vec4 = {1, 2, 3, 4};
    u->m_matrix = mat4_t::identity();
    u->m_matrix.m[3] = 5;  // row 0, column 3: written as the fourth row's first value
    u->m_quat = quat_t(1, 0, 0, 0);
    u->m_placement.position = {1, 0, 0};
    u->m_placement_scale.scale = 2;
    u->m_placement_nonuniform.scale = {1, 2, 3};
    u->m_plane = plane_t(0, 1, 0, -4);
    u->m_sphere = sphere_t(vec3_t{0, 0, 0}, 2);
    u->m_aabox = aabox_t(vec3_t{-1, -1, -1}, vec3_t{1, 1, 1});
    u->m_int = -5;
    u->m_uint = 0xFFFFFFFFu;
    u->m_int_b = 7;
    u->m_uint_b = 9;
    u->m_int64 = -(int64_t(1) << 40);
    u->m_uint64 = UINT64_MAX;
    u->m_uint_plain = 0xFFFFFFFFu;
    u->m_bool = true;
    u->m_enum = 3;
    u->m_ref = target.get();
    u->m_ints.append(4);
    u->m_ints.append(-4);
    u->m_refs.append(ref_ptr_t<unit_base_t>(target.get()));
    u->m_refs.append(ref_ptr_t<unit_base_t>());
    const std::string text = save({u.get()});
    const std::string expected =
        "RozErere\r\n{\r\n"
        "test_all : all.one {\r\n"
        " string: \"a b\"\r\n"
        " token: doe_2\r\n"
        " float: &3f000000\r\n"
        " vec2: (1, 2)\r\n"
        " vec3: (1, 2, 3)\r\n"
        " vec4: (1, 2, 3, 4)\r\n"
        " matrix:\r\n"
        "  (1, 0, 0, 0)\r\n"
        "  (0, 1, 0, 0)\r\n"
        "  (0, 0, 1, 0)\r\n"
        "  (5, 0, 0, 1)\r\n"
        " quat: (1; 0, 0, 0)\r\n"
        " placement: (1, 0, 0) (1; 0, 0, 0)\r\n"
        " placement_scale: (0, 0, 0) 2 (1; 0, 0, 0)\r\n"
        " placement_nonuniform: (0, 0, 0) (1, 2, 3) (1; 0, 0, 0)\r\n"
        " plane: (0, 1, 0) -4\r\n"
        " sphere: (0, 0, 0) 2\r\n"
        " aabox: (-1, -1, -1) (1, 1, 1)\r\n"
        " int: -5\r\n"
        " uint: nil\r\n"
        " int_b: 7\r\n"
        " uint_b: 9\r\n"
        " int64: -1099511627776\r\n"
        " uint64: nil\r\n"
        " uint_plain: 4294967295\r\n"
        " bool: true\r\n"
        " enum: mid\r\n"
        " owner: null\r\n"
        " ref: deer\r\n"
        " resource: \"null\"\r\n";
    ASSERT_EQ(text.substr(0, expected.size()), expected);
    // The arrays follow: a length line, then each element by index.
    EXPECT_NE(text.find(" ints: 2\r\n ints[0]: 4\r\n ints[1]: -4\r\n"), std::string::npos);
    EXPECT_NE(text.find(" refs: 2\r\n refs[0]: deer\r\n refs[1]: null\r\n"), std::string::npos);
    EXPECT_NE(text.find(" strings: 0\r\n"), std::string::npos);
    EXPECT_EQ(text.substr(text.size() - 8), "}\r\n\r\n}\r\n");
}

TEST_F(unit_save, bare_and_quoted_texts) {
    struct {
        const char *value;
        const char *written;
    } const cases[] = {
        {"abc_1", "abc_1"},
        {"", "\"\""},
        {"a b", "\"a b\""},
        {"a.b", "\"a.b\""},
        {"tab\there", "\"tab\\x09here\""},
        {"line\nend\r", "\"line\\nend\\r\""},
        {"say \"hi\" \\o/", "\"say \\\"hi\\\" \\\\o/\""},
        {"caf\xe9", "\"caf\\xe9\""},
    };
    for (const auto &c : cases) {
        owner_ptr_t<test_all_u> u(test_all_u::create());
        u->m_string = c.value;
        const std::string text = save({u.get()});
        EXPECT_NE(text.find(std::string(" string: ") + c.written + "\r\n"), std::string::npos) << c.written;
    }
}

TEST_F(unit_save, resource_values_go_through_the_tie) {
    owner_ptr_t<test_all_u> u(test_all_u::create());
    owner_ptr_t<test_node_u> model(test_node_u::create());
    u->m_resource.value = model.get();
    m_tie.name = "models/deer.mdl";
    EXPECT_NE(save({u.get()}).find(" resource: \"models/deer.mdl\"\r\n"), std::string::npos);
}

TEST_F(unit_save, traversal_modes_and_the_system_filter) {
    unit_system_t other(bank());
    owner_ptr_t<test_node_u> root(test_node_u::create());
    root->set_name("root");
    root->m_child = test_node_u::create();
    auto *child = static_cast<test_node_u *>(root->m_child.get());
    child->set_name("root.child");
    owner_ptr_t<test_node_u> linked(test_node_u::create());
    linked->set_name("linked");
    root->m_link = linked.get();
    child->m_link = linked.get();  // reached twice: listed once
    owner_ptr_t<test_node_u> foreign(test_node_u::create(&other));
    foreign->set_name("foreign");
    child->m_child = test_node_u::create(&other);
    static_cast<test_node_u *>(child->m_child.get())->set_name("root.child.far");

    auto headers = [](const std::string &text) {
        std::string out;
        for (size_t p = text.find(" : "); p != std::string::npos; p = text.find(" : ", p + 1)) {
            size_t end = text.find(" {", p);
            out += text.substr(p + 3, end - p - 3) + ";";
        }
        return out;
    };
    struct {
        unit_traversal_mode_t mode;
        const char *units;
    } const cases[] = {
        {UNIT_TRAVERSE_NONE, "root;"},
        {UNIT_TRAVERSE_OWNED_SYSTEM, "root;root.child;"},
        {UNIT_TRAVERSE_ALL_SYSTEM, "root;root.child;linked;"},
        {UNIT_TRAVERSE_OWNED, "root;root.child;root.child.far;"},
        {UNIT_TRAVERSE_ALL, "root;root.child;root.child.far;linked;"},
    };
    for (const auto &c : cases) {
        const std::string text = save({root.get()}, c.mode);
        EXPECT_EQ(headers(text), c.units) << c.mode;
        // A unit of the other system that is not written is still named.
        if (c.mode != UNIT_TRAVERSE_NONE) {
            EXPECT_NE(text.find(" child: root.child.far\r\n"), std::string::npos) << c.mode;
        }
    }
    child->m_child.reset();
    unit_system_t::clean_garbage();
}

TEST_F(unit_save, pre_save_refusal_undoes_in_reverse_and_writes_nothing) {
    owner_ptr_t<test_hooked_u> a(test_hooked_u::create()), b(test_hooked_u::create()), c(test_hooked_u::create());
    a->set_name("a");
    b->set_name("b");
    c->set_name("c");
    b->m_refuse_pre_save = true;
    message_capture_t log;
    test_hooked_u::log.clear();
    bool ok = true;
    EXPECT_EQ(save({a.get(), b.get(), c.get()}, UNIT_TRAVERSE_NONE, &ok), "");
    EXPECT_FALSE(ok);
    EXPECT_EQ(test_hooked_u::log,
              (std::vector<std::string>{"pre_save a", "pre_save b", "post_save b", "post_save a"}));
    EXPECT_TRUE(log.contains("[unit] The unit 'b' (of type 'test_hooked') failed to prepare itself for saving."));

    b->m_refuse_pre_save = false;
    b->m_refuse_post_save = true;
    test_hooked_u::log.clear();
    EXPECT_NE(save({a.get(), b.get(), c.get()}, UNIT_TRAVERSE_NONE, &ok), "");
    EXPECT_FALSE(ok);
    EXPECT_EQ(test_hooked_u::log, (std::vector<std::string>{"pre_save a", "pre_save b", "pre_save c", "post_save a",
                                                            "post_save b", "post_save c"}));
    EXPECT_TRUE(log.contains("[unit] The unit 'b' (of type 'test_hooked') failed to recover itself for saving."));
}

TEST_F(unit_save, refusals_before_anything_is_written) {
    message_capture_t log;
    owner_ptr_t<test_node_u> holder(test_node_u::create());
    holder->set_name("holder");
    owner_ptr_t<test_node_u> nameless(test_node_u::create());
    holder->m_link = nameless.get();
    bool ok = true;
    EXPECT_EQ(save({holder.get()}, UNIT_TRAVERSE_NONE, &ok), "");
    EXPECT_FALSE(ok);
    EXPECT_TRUE(log.contains("[unit] Attempt to serialise nameless unit - attribute 'link' of unit 'holder'"));
    // Listed too, the nameless unit is written under its file-local number.
    const std::string text = save({holder.get(), nameless.get()}, UNIT_TRAVERSE_NONE, &ok);
    EXPECT_TRUE(ok);
    EXPECT_NE(text.find(" link: _nameless.1\r\n"), std::string::npos) << text;

    // An enumeration value without a symbol could never be read back.
    owner_ptr_t<test_all_u> u(test_all_u::create());
    u->set_name("u");
    u->m_enum = 4;
    EXPECT_EQ(save({u.get()}, UNIT_TRAVERSE_NONE, &ok), "");
    EXPECT_FALSE(ok);
    EXPECT_TRUE(log.contains("[unit] Unit 'u' (type 'test_all') attribute 'enum' value is outside its domain - 4!"));
}

// Nameless units are numbered by their place in the file, so equal trees give equal
// text wherever their units lie in memory, and the text reads back into the same tree.
TEST_F(unit_save, nameless_units_are_written_under_their_place_in_the_file) {
    auto tree = [](int32_t seed) {
        owner_ptr_t<test_node_u> root(test_node_u::create());
        root->m_value = seed;
        root->m_child = test_node_u::create();
        auto *child = static_cast<test_node_u *>(root->m_child.get());
        child->m_value = seed + 1;
        child->m_child = test_node_u::create();
        static_cast<test_node_u *>(child->m_child.get())->m_value = seed + 2;
        child->m_link = child->m_child.get();
        return root;
    };
    owner_ptr_t<test_node_u> first = tree(7);
    owner_ptr_t<test_node_u> spacer(test_node_u::create());  // the second tree lies elsewhere
    owner_ptr_t<test_node_u> second = tree(7);
    const std::string text = save({first.get()}, UNIT_TRAVERSE_OWNED_SYSTEM);
    EXPECT_EQ(text, save({second.get()}, UNIT_TRAVERSE_OWNED_SYSTEM));
    EXPECT_NE(text.find("test_node : _nameless.3 {"), std::string::npos) << text;
    EXPECT_NE(text.find(" link: _nameless.3\r\n"), std::string::npos) << text;
    EXPECT_EQ(text.find("_nameless.0000"), std::string::npos) << text;

    ASSERT_TRUE(load(text));
    auto *root = dynamic_cast<test_node_u *>(m_loader->get_root(0));
    ASSERT_NE(root, nullptr);
    auto *child = dynamic_cast<test_node_u *>(root->m_child.get());
    ASSERT_NE(child, nullptr);
    EXPECT_EQ(child->m_value, 8);
    ASSERT_NE(child->m_link.get(), nullptr);
    EXPECT_EQ(child->m_link.get(), child->m_child.get());
    EXPECT_EQ(static_cast<test_node_u *>(child->m_link.get())->m_value, 9);
    m_loader.reset();
    unit_system_t::clean_garbage();
}

TEST_F(unit_save, write_failure_is_reported_and_output_is_buffered) {
    owner_ptr_t<test_all_u> u(test_all_u::create());
    for (int i = 0; i < 3000; ++i) u->m_floats.append(float(i) + 0.5f);
    text_file_t file("/out.txt", "");
    {
        unit_save_t writer(file, UNIT_TRAVERSE_NONE);
        writer.add(u.get());
        EXPECT_TRUE(writer.save(UNIT_PAYLOAD_TEXT));
    }
    EXPECT_GT(file.bytes.size(), 60000u);
    EXPECT_LE(file.writes, 2u);  // not one write per line

    message_capture_t log;
    text_file_t full("/full.txt", "");
    full.write_limit = 100;
    unit_save_t writer(full, UNIT_TRAVERSE_NONE);
    writer.add(u.get());
    EXPECT_FALSE(writer.save(UNIT_PAYLOAD_TEXT));
    EXPECT_TRUE(log.contains("[unit] Error while writing units to file '/full.txt'"));
    EXPECT_FALSE(writer.save(unit_payload_format_t(1)));
}

TEST_F(unit_save, reset_unmarks_and_a_second_writer_skips_listed_units) {
    owner_ptr_t<test_node_u> u(test_node_u::create());
    text_file_t file("/out.txt", "");
    unit_save_t first(file, UNIT_TRAVERSE_NONE), second(file, UNIT_TRAVERSE_NONE);
    first.add(u.get());
    EXPECT_TRUE(u->is_save_marked());
    second.add(u.get());
    EXPECT_EQ(second.get_count(), 0u);
    first.reset();
    EXPECT_FALSE(u->is_save_marked());
    second.add(u.get());
    EXPECT_EQ(second.get_count(), 1u);
}

TEST_F(unit_save_death, unknown_traversal_mode_aborts) {
    owner_ptr_t<test_node_u> u(test_node_u::create());
    text_file_t file("/out.txt", "");
    unit_save_t writer(file, UNIT_TRAVERSE_NONE);
    EXPECT_DEATH(writer.add(u.get(), unit_traversal_mode_t(5)), "unit_save_t::add\\(\\): Unknown unit traversal mode.");
}

}  // namespace
}  // namespace quarn::test
