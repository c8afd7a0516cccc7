#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "unit_file_fixture.h"

namespace quarn::test {
namespace {

class unit_load : public unit_file_fixture_t {
protected:
    // Loads the text; expects failure, every unit released, and the message logged.
    void expect_failure(const std::string &text, const std::string &message) {
        message_capture_t log;
        m_loader.reset();  // what an earlier load kept goes first
        unit_system_t::clean_garbage();
        const uint32_t before = live();
        EXPECT_FALSE(load(text)) << text;
        unit_system_t::clean_garbage();
        EXPECT_EQ(live(), before) << text;
        EXPECT_TRUE(log.contains(message)) << "missing: " << message << "\nin: " << text << "\nlogged: " << all(log);
    }
    static std::string all(const message_capture_t &log) {
        std::string s;
        for (const auto &e : log.entries()) s += e.text + "\n";
        return s;
    }
    test_node_u *node(const char *name) { return static_cast<test_node_u *>(unit_system_t::find_unit(name)); }
};

TEST_F(unit_load, size_and_magic) {
    expect_failure("RozEre", "[unit] The file '/data/test.txt' does not contain serialised units. (reported size 6 < 8)");
    expect_failure("rozerere{}", "[unit] The file '/data/test.txt' does not contain serialised units - missing magic mark.");
    expect_failure("RozErere x", "[unit] The file '/data/test.txt' does not contain serialised units. (scan_open)");
    expect_failure("RozErere x", "Expecting '{', found 'x'");
}

TEST_F(unit_load, an_empty_file_loads_but_holds_no_tree) {
    EXPECT_TRUE(load("RozErere{}"));
    message_capture_t log;
    EXPECT_FALSE(loader("RozErere{}").load_tree_generic());
    EXPECT_TRUE(log.contains("[unit] There were no units in the file '/data/test.txt'."));
}

TEST_F(unit_load, every_expected_token) {
    struct {
        const char *body;
        const char *message;
        int line = 3;
    } const cases[] = {
        {"5", "Expecting unit type name or closing bracket, found '5'"},
        {"test_node x", "Expecting ':', found 'x'"},
        {"test_node : {", "Expecting unit name, found '{'"},
        {"test_node : \"a b\" {", "Expecting unit name, found '\"'"},
        {"test_node : a x", "Expecting '{', found 'x'"},
        {"test_node : a { 5", "Expecting attribute name or closing bracket, found '5'"},
        {"test_node : a { value x", "Expecting ':', found 'x'"},
        {"test_node : a { value: x }", "Expecting integral value, found 'x'"},
        {"test_node : a { value: 12ab }", "Expecting integral value, found '12ab'"},
        {"test_node : a { value: 99999999999999999999 }", "Expecting integer number, found '99999999999999999999'"},
        {"test_all : a { uint: -1 }", "Expecting unsigned value, found '-1'"},
        {"test_all : a { uint: 99999999999999999999 }", "Expecting positive integer number, found '99999999999999999999'"},
        {"test_all : a { bool: maybe }", "Expecting Boolean value, found 'maybe'"},
        {"test_all : a { float: x }", "Expecting real number, found 'x'"},
        {"test_all : a { float: $3f800000 }", "Expecting real number, found '$3f800000'"},
        {"test_all : a { float: 1f }", "Expecting real number, found '1f'"},
        {"test_all : a { float: &3f80 }", "Expecting real number, found '&3f80'"},
        {"test_all : a { vec2: (1 2) }", "Expecting 2D vector, found '2'"},
        {"test_all : a { vec3: (1, 2) }", "Expecting 3D vector, found ')'"},
        {"test_all : a { vec4: 1, 2, 3, 4 }", "Expecting 4D vector, found '1'"},
        {"test_all : a { quat: (1, 0, 0, 0) }", "Expecting quaternion, found ','"},
        {"test_all : a { ints x: 1 }", "Expecting index, found 'x'"},
        {"test_all : a { ints[a]: 1 }", "Expecting index, found 'a'"},
        {"test_all : a { string: \"a\\qb\" }", "Expecting string literal, found '\\'"},
        {"test_all : a { string: \"open }", "Expecting string literal, found '\"'"},
        {"test_all : a { string: -x }", "Expecting string value, found '-x'"},
        {"test_all : a { enum: -x }", "Expecting enum value, found '-x'"},
        {"test_node : a { link: @ }", "Expecting unit name, found '@'"},
        {"test_node : a { }\n} trailing", "Expecting end of file, found 'trailing'", 4},
        {"test_node : a {", "Unexpected end of file."},
        {"test_node : a { value", "Unexpected end of file."},
        {"test_node : a { value:", "Unexpected end of file."},
    };
    for (const auto &c : cases) {
        std::string text = std::string("RozErere\n{\n") + c.body;
        if (std::string(c.message).find("end of file") == std::string::npos) text += "\n}\n}\n";
        expect_failure(text, c.message);
        expect_failure(text, "[unit] File '/data/test.txt', line " + std::to_string(c.line) + ":");
    }
}

TEST_F(unit_load, values_and_comments) {
    ASSERT_TRUE(load(file_of("# a comment\n"
                             "test_all : all.one // the unit\n"
                             "{\n"
                             "  string: \"a\\nb \\X41\"\n"
                             "  token: Bare_Word\n"
                             "  float: +.5e+1\n"
                             "  vec3: ( 1 , 2.0f , 3. )\n"
                             "  /* a block\n comment */ quat: (1; 0, 0, 0)\n"
                             "  int: 0x5 uint: nil uint64: 0X10 int64: -012\n"
                             "  bool: YES enum: high\n"
                             "  ints: 2 ints[0]: 1 ints[ 1 ]: 2 ints[]: 3\n"
                             "}\n")));
    auto *u = static_cast<test_all_u *>(static_cast<unit_base_t *>(unit_system_t::find_unit("all.one")));
    ASSERT_NE(u, nullptr);
    EXPECT_EQ(u->m_string, "a\nb A");
    mstring_dyn_t token;
    EXPECT_TRUE(u->get_value(unit_system_t::get_attribute_descriptor(u->get_descriptor(), "token"), &token));
    EXPECT_EQ(token, "bare_word");
    EXPECT_EQ(u->m_float, 5.0f);
    EXPECT_EQ(u->m_vec3, (vec3_t{1, 2, 3}));
    EXPECT_EQ(u->m_int, 5);
    EXPECT_EQ(u->m_uint, 0xFFFFFFFFu);
    EXPECT_EQ(u->m_uint64, 16u);
    EXPECT_EQ(u->m_int64, -12);  // a leading zero is not octal
    EXPECT_TRUE(u->m_bool);
    EXPECT_EQ(u->m_enum, 7);
    ASSERT_EQ(u->m_ints.get_count(), 3u);
    EXPECT_EQ(u->m_ints[2], 3);
}

// The roots of a load can be taken over: the caller then owns them and the loader's
// reset releases nothing of theirs.
TEST_F(unit_load, the_roots_are_taken_over_in_file_order) {
    ASSERT_TRUE(load(file_of("test_node : kid { value: 3 }\n"
                             "test_node : a { child: kid }\n"
                             "test_node : b { }\n")));
    array_dyn_t<owner_ptr_t<unit_base_t>> kept;
    ASSERT_TRUE(m_loader->take_roots(kept));
    EXPECT_EQ(m_loader->get_root_count(), 0u);
    ASSERT_EQ(kept.get_count(), 2u);
    EXPECT_EQ(kept[0].get(), node("a"));
    EXPECT_EQ(kept[1].get(), node("b"));
    m_loader->reset();
    unit_system_t::clean_garbage();
    ASSERT_NE(node("kid"), nullptr) << "what the taken roots own stays";
    EXPECT_TRUE(node("kid")->is_alive());
    kept.clear();
    unit_system_t::clean_garbage();
    EXPECT_EQ(node("a"), nullptr);
}

TEST_F(unit_load, forward_references_both_ways_and_roots) {
    // The second pass reads the file again with the same loader, whose tables still
    // hold the first pass's names: the new units must be bound, not the released ones.
    loader(file_of("test_node : kid { value: 3 }\n"
                   "test_node : a { link: b child: kid }\n"
                   "test_node : b { link: a child: later }\n"
                   "test_node : later { }\n"));
    for (int pass = 0; pass < 2; ++pass) {
        SCOPED_TRACE(pass);
        ASSERT_TRUE(m_loader->load());
        EXPECT_EQ(m_loader->get_root_count(), 2u);
        test_node_u *a = node("a"), *b = node("b"), *kid = node("kid"), *later = node("later");
        ASSERT_TRUE(a && b && kid && later);
        EXPECT_EQ(a->m_link.get(), b);
        EXPECT_EQ(b->m_link.get(), a);
        EXPECT_EQ(a->m_child.get(), kid);
        EXPECT_EQ(b->m_child.get(), later);
        EXPECT_TRUE(kid->is_owned());
        EXPECT_EQ(kid->get_count(), 1);
        EXPECT_EQ(a->get_count(), 2);  // the root list and b's link
        EXPECT_EQ(m_loader->get_root(0), a);
        EXPECT_EQ(m_loader->get_root(1), b);
        if (pass == 0) {
            m_loader->reset();
            unit_system_t::clean_garbage();
        }
    }
    m_loader->reset();
    unit_system_t::clean_garbage();
    EXPECT_EQ(live(), 0u);
}

TEST_F(unit_load, pointer_failures) {
    expect_failure(file_of("test_node : a { link: nowhere }\n"),
                   "[unit] The pointer to 'nowhere' looks like dangling pointer.");
    expect_failure(file_of("test_node : a { link: nowhere }\n"),
                   "[unit] The unit 'a' of type 'test_node' has dangling pointer (to 'nowhere') in the attribute named "
                   "'link'.");
    expect_failure(file_of("test_node : a { child: c }\ntest_node : b { child: c }\ntest_node : c { }\n"),
                   "[unit] The unit 'c', referenced in the attribute 'child' of unit 'b' (of type 'test_node') is "
                   "already owned by something else.");
    expect_failure(file_of("test_node : a { child: b }\ntest_node : b { child: a }\n"),
                   "[unit] The unit 'a' (of type 'test_node') is owned through a cycle of owned pointers.");
    expect_failure(file_of("test_node : a { child: a }\n"), "is owned through a cycle of owned pointers.");
    expect_failure(file_of("test_node : a { }\ntest_node : a { }\n"),
                   "[unit] The unit name 'a' is already taken by an existing unit (of type 'test_node').");
    expect_failure(file_of("test_node : a-b { }\n"), "Expecting '{', found '-b'");
    expect_failure(file_of("test_node : abcdefghijklmn { }\n"), "[unit] The unit name 'abcdefghijklmn' is in wrong format.");
    // A unit outside the file may be referenced, not owned.
    owner_ptr_t<test_node_u> outside(test_node_u::create());
    ASSERT_TRUE(outside->set_name("outside"));
    expect_failure(file_of("test_node : a { child: outside }\n"),
                   "[unit] The unit name 'outside', referenced in the attribute 'child' of unit 'a' (of type "
                   "'test_node') is already taken.");
    expect_failure(file_of("test_all : a { owner: outside2 }\ntest_all : outside2 { }\n"),
                   "[unit] The requested value 'outside2' of the attribute 'owner' of unit 'a' (of type 'test_all') is "
                   "out of the attribute domain.");
    ASSERT_TRUE(load(file_of("test_node : a { link: outside }\ntest_node : b { link: outside }\n")));
    EXPECT_EQ(outside->get_count(), 3);
    m_loader->reset();
    expect_failure(file_of("no_such : a { }\n"), "[unit] The 'no_such' is not a unit type name.");
    expect_failure(file_of("test_abstract : a { }\n"), "[unit] The 'test_abstract' is not an abstract unit type name.");
    expect_failure(file_of("test_node : a { nothing: 1 }\n"),
                   "[unit] The unit 'a' of type 'test_node' has no attribute named 'nothing'.");
    expect_failure(file_of("test_node : a { values: 1 }\n"),
                   "[unit] The unit 'a' of type 'test_node' has no attribute named 'values'.");
    expect_failure(file_of("test_node : a { link: b.abcdefghijklm }\n"),
                   "[unit] The unit name 'b.abcdefghijklm' is in wrong format.");
}

TEST_F(unit_load, domains_and_enumerations) {
    expect_failure(file_of("test_all : a { int: 6 }\n"),
                   "[unit] The requested value 6 of the attribute 'int' of unit 'a' (of type 'test_all') is out of the "
                   "attribute domain.");
    expect_failure(file_of("test_all : a { string: too_long_text }\n"),
                   "[unit] The requested value 'too_long_text' of the attribute 'string' of unit 'a' (of type "
                   "'test_all') is out of the attribute domain.");
    expect_failure(file_of("test_all : a { float: 11 }\n"), "The requested value '11' of the attribute 'float'");
    expect_failure(file_of("test_all : a { vec3: (0, 9, 0) }\n"), "The requested value '(0, 9, 0)' of the attribute 'vec3'");
    expect_failure(file_of("test_all : a { uint_b: nil }\n"),
                   "The requested value 18446744073709551615 of the attribute 'uint_b'");
    expect_failure(file_of("test_all : a { enum: 4 }\n"),
                   "[unit] The requested value '4' is outside the domain of the attribute 'enum' of unit 'a' (of type "
                   "'test_all').");
    expect_failure(file_of("test_all : a { enum: Mid }\n"), "[unit] The requested value 'Mid' is outside the domain");
    expect_failure(file_of("test_all : a { enum: 2147483648 }\n"),
                   "[unit] The requested value 2147483648 of the attribute 'enum' of unit 'a' (of type 'test_all') is "
                   "too large.");
    expect_failure(file_of("test_all : a { enum: -2147483648 }\n"), "The requested value '-2147483648' is outside");
    ASSERT_TRUE(load(file_of("test_all : a { enum: 7 enums[]: \"low\" enums[]: 3 }\n")));
    auto *a = static_cast<test_all_u *>(static_cast<unit_base_t *>(unit_system_t::find_unit("a")));
    EXPECT_EQ(a->m_enum, 7);
    ASSERT_EQ(a->m_enums.get_count(), 2u);
    EXPECT_EQ(a->m_enums[0], -1);
}

TEST_F(unit_load, array_indices) {
    ASSERT_TRUE(load(file_of("test_all : a { refs: 2 refs[0]: a refs[1]: null owners[]: b }\ntest_node : b { }\n")));
    auto *a = static_cast<test_all_u *>(static_cast<unit_base_t *>(unit_system_t::find_unit("a")));
    ASSERT_EQ(a->m_refs.get_count(), 2u);
    EXPECT_EQ(a->m_refs[0].get(), a);
    EXPECT_FALSE(a->m_refs[1]);
    ASSERT_EQ(a->m_owners.get_count(), 1u);
    EXPECT_EQ(a->m_owners[0].get(), unit_system_t::find_unit("b"));
    expect_failure(file_of("test_all : x { ints[1]: 1 ints[0]: 0 }\n"),
                   "[unit] The values in array attribute 'ints' of unit 'x' (of type 'test_all') must be specified in "
                   "order - trying to set the element 1 of array of size 0.");
    expect_failure(file_of("test_all : x { ints: 4294967296 }\n"),
                   "[unit] The requested length of the array attribute 'ints' of unit 'x' (of type 'test_all') is too "
                   "large.");
    // A length only reserves, and no more than the text could fill.
    ASSERT_TRUE(load(file_of("test_all : y { vec4s: 4000000000 }\n")));
    auto *y = static_cast<test_all_u *>(static_cast<unit_base_t *>(unit_system_t::find_unit("y")));
    EXPECT_EQ(y->m_vec4s.get_count(), 0u);
    EXPECT_LT(y->m_vec4s.get_capacity(), 100u);
}

TEST_F(unit_load, file_local_names_stay_in_the_file) {
    ASSERT_TRUE(load(file_of("test_node : .sun { link: .moon }\ntest_node : \".moon\" { child: .star }\n"
                             "test_node : .star { }\n")));
    EXPECT_EQ(unit_system_t::find_unit("_nameless.sun"), nullptr);
    EXPECT_EQ(unit_system_t::find_unit("_nameless.moon"), nullptr);
    ASSERT_EQ(m_loader->get_root_count(), 2u);
    auto *sun = static_cast<test_node_u *>(m_loader->get_root(0));
    EXPECT_TRUE(sun->is_nameless());
    EXPECT_EQ(sun->m_link.get(), m_loader->get_root(1));
    EXPECT_TRUE(static_cast<test_node_u *>(m_loader->get_root(1))->m_child);
}

TEST_F(unit_load, trees) {
    const std::string two = file_of("test_node : a { }\ntest_leaf : b { }\n");
    message_capture_t log;
    EXPECT_FALSE(loader(two).load_tree_generic());
    EXPECT_TRUE(log.contains("[unit] There are multiple unit trees in the file '/data/test.txt'."));
    owner_ptr_t<unit_base_t> b(loader(two).load_named_tree_generic("B"));
    ASSERT_TRUE(b);
    EXPECT_EQ(b->get_descriptor(), &test_leaf_u::unit_descriptor);
    EXPECT_EQ(unit_system_t::find_unit("a"), nullptr);  // the other root went
    b.reset();
    EXPECT_FALSE(loader(two).load_named_tree_generic("c"));
    EXPECT_TRUE(log.contains("[unit] There was not a root unit 'c' in the file '/data/test.txt'."));
    EXPECT_FALSE(loader(two).load_named_tree_generic("_Nameless.x"));
    EXPECT_TRUE(log.contains("[unit] Can not filter nameless units based on name."));

    const std::string one = file_of("test_node : solo { child: kid }\ntest_node : kid { }\n");
    owner_ptr_t<test_node_u> solo(loader(one).load_tree<test_node_u>());
    ASSERT_TRUE(solo);
    EXPECT_EQ(solo->get_count(), 1);
    solo.reset();
    unit_system_t::clean_garbage();
    EXPECT_FALSE(loader(one).load_tree<test_leaf_u>());
    EXPECT_TRUE(log.contains("[unit] The unit 'solo' in file '/data/test.txt' has type 'test_node', but the code "
                             "expected 'test_leaf' type."));
    unit_system_t::clean_garbage();
    EXPECT_EQ(live(), 0u);
}

TEST_F(unit_load, hooks_run_in_file_order_and_a_refusal_fails_the_load) {
    test_hooked_u::log.clear();
    ASSERT_TRUE(load(file_of("test_hooked : h1 { next: h2 }\ntest_hooked : h2 { }\n")));
    ASSERT_EQ(test_hooked_u::log.size(), 4u);
    EXPECT_EQ(test_hooked_u::log[0].substr(0, 19), "pre_load _nameless.");  // before the name binds
    EXPECT_EQ(test_hooked_u::log[2], "post_load h1");
    EXPECT_EQ(test_hooked_u::log[3], "post_load h2");
    m_loader->reset();
    test_hooked_u::log.clear();
    expect_failure(file_of("test_hooked : h3 { }\ntest_hooked : h4 { refuse_post_load: true }\n"
                           "test_hooked : h5 { }\n"),
                   "[unit] The unit 'h4' of type 'test_hooked' failed in its post-load hook.");
    EXPECT_EQ(test_hooked_u::log.back(), "post_load h4");  // h5's hook is not called
}

TEST_F(unit_load, includes) {
    m_opener.files["/data/parts/inc.txt"] = "test_node : inner { value: 1 }\n@include \"deeper.txt\"\n";
    m_opener.files["/data/parts/deeper.txt"] = "test_node : deepest {\n\n value: x }\n";
    m_opener.files["/data/self.txt"] = "@include \"self.txt\"\n";
    m_opener.files["/data/attrs.txt"] = " value: 4\n";
    // Lines 1-7 of the top file; the include is on line 7.
    const std::string top = "RozErere\n{\n\n\n\n\n@include \"parts/inc.txt\"\n}\n";
    expect_failure(top, "[unit] File '/data/parts/deeper.txt', line 3:");
    expect_failure(top, "Included at '/data/parts/inc.txt', line 2:");
    expect_failure(top, "Included at '/data/test.txt', line 7:");
    expect_failure(top, "Expecting integral value, found 'x'");

    ASSERT_TRUE(load("RozErere\n{\ntest_node : a {\n@include \"attrs.txt\"\n}\n}\n"));
    EXPECT_EQ(node("a")->m_value, 4);
    m_loader->reset();

    expect_failure("RozErere\n{\n@include \"self.txt\"\n}\n", "[unit] The file '/data/self.txt' includes itself.");
    expect_failure("RozErere\n{\n@include \"missing.txt\"\n}\n", "Failed to open the file '/data/missing.txt'.");
    expect_failure("RozErere\n{\n@include missing.txt\n}\n", "Expecting include file name, found 'missing.txt'");
    expect_failure("RozErere\n{\n@include \"a.txt\" \"b.txt\"\n}\n", "Expecting include file name, found '\"'");
    expect_failure("RozErere\n{\n@include\n}\n", "Expecting include file name");
    expect_failure("RozErere\n{\n@include \"a.txt\"", "Expecting include file name");
    // Absolute names only in the virtual tree.
    m_opener.files["/abs.txt"] = "";
    EXPECT_TRUE(load("RozErere\n{\n@include \"/abs.txt\"\n}\n"));
    message_capture_t log;
    EXPECT_FALSE(loader("RozErere\n{\n@include \"/abs.txt\"\n}\n", "/data/test.txt", FS_REALM_SYSTEM).load());
    EXPECT_TRUE(log.contains("Could not include a file, absolute paths are forbidden: '/abs.txt'."));
}

TEST_F(unit_load, include_depth_is_capped) {
    for (int i = 0; i < 40; ++i)
        m_opener.files["/data/n" + std::to_string(i) + ".txt"] = "@include \"n" + std::to_string(i + 1) + ".txt\"\n";
    expect_failure("RozErere\n{\n@include \"n0.txt\"\n}\n", "[unit] Includes nest deeper than 16 files");
}

TEST_F(unit_load, a_refused_resource_is_unloaded) {
    owner_ptr_t<test_node_u> resource(test_node_u::create());
    m_tie.loaded = resource.get();
    m_tie.answer = false;  // the type check refuses it
    expect_failure(file_of("test_all : a { resource: \"models/x\" }\n"),
                   "[unit] The requested value 'models/x' of the attribute 'resource' of unit 'a' (of type "
                   "'test_all') is out of the attribute domain.");
    EXPECT_EQ(m_tie.calls[0], "load models/x resource");
    EXPECT_EQ(m_tie.calls[1], "check");
    EXPECT_EQ(m_tie.calls[2], "unload resource");
    m_tie.answer = true;
    m_tie.calls.clear();
    ASSERT_TRUE(load(file_of("test_all : a { resource: \"models/x\" }\n")));
    EXPECT_EQ(static_cast<test_all_u *>(m_loader->get_root(0))->m_resource.value, resource.get());
    m_loader->reset();
}

TEST_F(unit_load, a_failed_load_releases_every_unit) {
    test_hooked_u::log.clear();
    const std::string text = file_of("test_node : a { child: b link: c }\n"
                                     "test_node : b { child: d }\n"
                                     "test_node : c { }\n"
                                     "test_node : d { }\n"
                                     "test_hooked : e { next: a }\n"
                                     "test_node : f { child: b }\n");
    expect_failure(text, "already owned by something else");
    EXPECT_EQ(unit_system_t::find_unit("a"), nullptr);
}

// An owned pointer written twice lets go of the first name's proxy, which dies; when
// the proxy list grows after that (many names follow), the dead proxy's entry moves
// as null. Every pass over the list, the release of a failed load among them, must
// step over it, for both kinds of load.
TEST_F(unit_load, a_dead_proxy_in_the_grown_name_list) {
    std::string refs;
    for (char c = 'd'; c <= 'p'; ++c) refs += std::string(" ref: ") + c;
    const std::string head = "RozErere{test_all:a{owner:b owner:c" + refs;
    for (const std::string &text : {head, head + "}}", head + "}\n}\n"}) {
        expect_failure(text, "[unit]");
        message_capture_t log;
        EXPECT_FALSE(loader(text).load_tree_generic()) << text;
        m_loader.reset();
        unit_system_t::clean_garbage();
        EXPECT_EQ(live(), 0u) << text;
    }
    std::string defs;
    for (char c = 'b'; c <= 'p'; ++c) defs += std::string("test_leaf : ") + c + " { }\n";
    ASSERT_TRUE(load(file_of("test_all : a { owner: b owner: c" + refs + " }\n" + defs)));
    EXPECT_EQ(m_loader->get_root_count(), 15u);  // every unit but c, which a owns
    EXPECT_EQ(static_cast<test_all_u *>(unit_system_t::find_unit("a"))->m_owner.get(), unit_system_t::find_unit("c"));
    m_loader->reset();
    unit_system_t::clean_garbage();
    EXPECT_EQ(live(), 0u);
}

// More names than the load's index was sized for, so it grows while units are already
// defined under names in it; names of one, two and more tokens (the longer ones found
// through their entries), each pointing back at a unit made before it and forward at
// one made after it.
// Names are bound behind the scan; a name's failure is still the load's first error,
// told with the place of the name, and nothing found after it is reported.
TEST_F(unit_load, a_name_failure_comes_before_what_the_scan_finds_later) {
    std::string many;  // more names than one batch of the binding holds
    for (int i = 0; i < 400; ++i) many += "test_node : m" + std::to_string(i) + " { link: m0 }\n";
    m_opener.files["/data/dup.txt"] = "\ntest_node : a { }\n";
    struct {
        std::string body;
        std::vector<std::string> errors;
    } const cases[] = {
        {"test_node : a { }\ntest_node : a { }\ntest_node : b { value: x }\n",
         {"[unit] File '/data/test.txt', line 4:",
          "[unit] The unit name 'a' is already taken by an existing unit (of type 'test_node')."}},
        {many + "test_node : m7 { }\n}\n} trailing\n",
         {"[unit] File '/data/test.txt', line 403:",
          "[unit] The unit name 'm7' is already taken by an existing unit (of type 'test_node')."}},
        {"test_node : a { }\n@include \"dup.txt\"\ntest_node : b { nothing: 1 }\n",
         {"[unit] File '/data/dup.txt', line 2:", "Included at '/data/test.txt', line 4:",
          "[unit] The unit name 'a' is already taken by an existing unit (of type 'test_node')."}},
        {"test_node : a { child: c }\ntest_node : b {\n child: c\n}\nno_such : x { }\n",
         {"[unit] File '/data/test.txt', line 5:",
          "[unit] The unit 'c', referenced in the attribute 'child' of unit 'b' (of type 'test_node') is already "
          "owned by something else."}},
        {"test_all : e { }\ntest_all : e { }\ntest_all : f { enum: nine }\n",
         {"[unit] File '/data/test.txt', line 4:",
          "[unit] The unit name 'e' is already taken by an existing unit (of type 'test_all')."}},
    };
    for (const auto &c : cases) {
        message_capture_t log;
        m_loader.reset();
        unit_system_t::clean_garbage();
        const uint32_t before = live();
        EXPECT_FALSE(load(file_of(c.body)));
        unit_system_t::clean_garbage();
        EXPECT_EQ(live(), before);
        EXPECT_EQ(log.texts(message_t::ERROR), c.errors) << c.body.substr(0, 200);
    }
}

TEST_F(unit_load, many_names_of_every_length_bind_across_the_index_growing) {
    constexpr int UNITS = 400;
    auto name_of = [](int i) {
        const std::string n = std::to_string(i);
        return i % 3 == 0 ? "a" + n : i % 3 == 1 ? "a.b" + n : "a.b.c.d" + n;
    };
    std::string units;
    for (int i = 0; i < UNITS; ++i)
        units += "test_node : " + name_of(i) + " { link: " + name_of((i + UNITS - 7) % UNITS) + " }\n";
    ASSERT_TRUE(load(file_of(units)));
    for (int i = 0; i < UNITS; ++i) {
        test_node_u *u = node(name_of(i).c_str());
        ASSERT_TRUE(u) << name_of(i);
        EXPECT_EQ(u->m_link.get(), node(name_of((i + UNITS - 7) % UNITS).c_str())) << name_of(i);
    }
    m_loader->reset();
    unit_system_t::clean_garbage();
    EXPECT_EQ(live(), 0u);
    expect_failure(file_of(units + "test_node : A.B.C.D2 { }\n"),
                   "[unit] The unit name 'A.B.C.D2' is already taken by an existing unit (of type 'test_node').");
}

}  // namespace
}  // namespace quarn::test
