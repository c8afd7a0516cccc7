#include <gtest/gtest.h>

#include <cinttypes>
#include <cstdio>
#include <string>

#include "qrncore/strings/name_token.h"
#include "qrncore/units/unit_proxy.h"
#include "unit_fixture.h"

namespace quarn::test {
namespace {

class unit_name : public unit_fixture_t {
protected:
    test_node_u *make(const char *name = nullptr) {
        m_owners.emplace_back(test_node_u::create());
        test_node_u *u = m_owners.back().get();
        if (name) {
            EXPECT_TRUE(u->set_name(name)) << name;
        }
        return u;
    }
    static std::string name_of(const unit_base_t *u) { return u->name_text().c_str(); }

    std::vector<owner_ptr_t<test_node_u>> m_owners;

    void TearDown() override {
        m_owners.clear();
        unit_fixture_t::TearDown();
    }
};

TEST_F(unit_name, lookup_ignores_case_and_leading_dots) {
    test_node_u *u = make("whitetail.male.animal");
    struct {
        const char *query;
        bool found;
    } const cases[] = {
        {"whitetail.male.animal", true}, {"WhiteTail.MALE.animal", true}, {".whitetail..male.animal", true},
        {"whitetail.male", false},       {"whitetail", false},            {"whitetail.male.animal.x", false},
        {"whitetail.male.an-imal", false}, {"", false},
    };
    for (const auto &c : cases) EXPECT_EQ(unit_system_t::find_unit(c.query), c.found ? u : nullptr) << c.query;
    EXPECT_EQ(name_of(u), "whitetail.male.animal");
    EXPECT_FALSE(u->is_nameless());
    EXPECT_FALSE(u->is_anonymous());
}

TEST_F(unit_name, name_forms) {
    struct {
        const char *name;
        bool accepted;
        const char *stored;
    } const cases[] = {
        {"abcdefghijkl", true, "abcdefghijkl"},   // 12 characters
        {"abcdefghijklm", false, nullptr},        // 13
        {"a.abcdefghijklm", false, nullptr},
        {"trail-use", false, nullptr},
        {"a.b-c", false, nullptr},
        {".a", true, "a"},
        {"a..b.", true, "a.b"},
        {"Trail_Use.Ultra.09.0", true, "trail_use.ultra.09.0"},
        {"", false, nullptr},
        {"...", false, nullptr},
        {"_nameless.x", false, nullptr},
        {"_NAMELESS.x", false, nullptr},
        {"x._nameless", true, "x._nameless"},
    };
    for (const auto &c : cases) {
        test_node_u *u = make("old.name");
        EXPECT_EQ(u->set_name(c.name), c.accepted) << c.name;
        EXPECT_EQ(name_of(u), c.accepted ? c.stored : "old.name") << c.name;
        m_owners.pop_back();
    }
}

TEST_F(unit_name, nameless_prefix_only_through_the_internal_setter) {
    test_node_u *u = make();
    EXPECT_FALSE(u->set_name("_NAMELESS.x"));
    EXPECT_TRUE(u->is_nameless());
    EXPECT_TRUE(u->set_name_internal("_NAMELESS.x"));
    EXPECT_EQ(unit_system_t::find_unit("_nameless.x"), u);
    EXPECT_TRUE(unit_name_t::is_nameless_name(".._Nameless.y"));
    EXPECT_FALSE(unit_name_t::is_nameless_name("x._nameless"));
}

TEST_F(unit_name, a_taken_name_is_refused_and_the_old_one_kept) {
    test_node_u *a = make("deer.a");
    test_node_u *b = make("deer.b");
    EXPECT_TRUE(a->set_name("DEER.A"));  // its own name
    EXPECT_FALSE(b->set_name("deer.a"));
    EXPECT_EQ(name_of(b), "deer.b");
    EXPECT_EQ(unit_system_t::find_unit("deer.a"), a);
    EXPECT_EQ(unit_system_t::find_unit("deer.b"), b);
}

TEST_F(unit_name, empty_prefix_nodes_are_pruned) {
    uint32_t nodes = unit_name_t::get_node_count();
    test_node_u *u = make("a.b.c");
    test_node_u *v = make("a.x");
    EXPECT_EQ(unit_name_t::get_node_count(), nodes + 2);  // a, a.b
    EXPECT_TRUE(u->set_name("c"));
    EXPECT_EQ(unit_name_t::get_node_count(), nodes + 1);  // a stays for a.x
    EXPECT_EQ(unit_system_t::find_unit("a.b.c"), nullptr);
    EXPECT_EQ(unit_system_t::find_unit("c"), u);
    m_owners.pop_back();  // v dies, but keeps its place until it is freed
    (void)v;
    EXPECT_EQ(unit_name_t::get_node_count(), nodes + 1);
    unit_system_t::clean_garbage();
    EXPECT_EQ(unit_name_t::get_node_count(), nodes);
}

TEST_F(unit_name, a_destroyed_units_name_is_free_at_once) {
    test_node_u *old = make("map.sun");
    m_owners.front().reset();  // destroyed, still linked until freed
    EXPECT_FALSE(old->is_alive());
    EXPECT_EQ(unit_system_t::find_unit("map.sun"), nullptr);
    EXPECT_FALSE(old->set_name("map.moon"));  // the dead take no names
    test_node_u *fresh = make("map.sun");
    EXPECT_EQ(unit_system_t::find_unit("map.sun"), fresh);
    unit_system_t::clean_garbage();  // freeing the dead one keeps the live name
    EXPECT_EQ(unit_system_t::find_unit("map.sun"), fresh);
}

TEST_F(unit_name, nameless_form_is_four_tokens_of_the_address) {
    test_node_u *u = make();
    owner_ptr_t<test_plain_u> plain(test_plain_u::create());
    for (const unit_base_t *x : {static_cast<const unit_base_t *>(u), static_cast<const unit_base_t *>(plain.get())}) {
        std::string name = name_of(x);
        char digits[17];
        snprintf(digits, sizeof(digits), "%016" PRIxPTR, reinterpret_cast<uintptr_t>(x));
        EXPECT_EQ(name.substr(10), std::string(digits, 4) + "." + std::string(digits + 4, 4) + "." +
                                       std::string(digits + 8, 4) + "." + std::string(digits + 12, 4));
        EXPECT_TRUE(unit_name_t::is_valid_name(name.c_str(), false));
        uint64_t suffix = 0;
        string_to_token(suffix, digits + 12);
        EXPECT_EQ(x->get_name_suffix(), suffix);
        EXPECT_TRUE(x->is_nameless());
    }
    EXPECT_TRUE(plain->is_anonymous());
}

TEST_F(unit_name, moving_a_name_keeps_its_place) {
    test_node_u *a = make("herd.one");
    test_node_u *b = make("herd.two");
    test_node_u *c = make("elsewhere");
    owner_ptr_t<unit_proxy_u> proxy(unit_proxy_u::create(&system()));
    EXPECT_TRUE(proxy->set_name_internal("herd.three"));
    proxy->move_name_to(*c);
    EXPECT_TRUE(proxy->is_nameless());
    EXPECT_EQ(unit_system_t::find_unit("herd.three"), c);
    EXPECT_EQ(unit_system_t::find_unit("elsewhere"), nullptr);
    EXPECT_EQ(unit_system_t::find_unit("herd.one"), a);
    EXPECT_EQ(unit_system_t::find_unit("herd.two"), b);
    EXPECT_EQ(name_of(c), "herd.three");
}

// Many names below one prefix: the lookups stay right when the index grows and
// entries are removed from the middle of probe runs.
TEST_F(unit_name, many_names_under_one_prefix) {
    for (int i = 0; i < 600; ++i) make(("flock.b" + std::to_string(i)).c_str());
    for (int i = 0; i < 600; i += 3) m_owners[size_t(i)].reset();
    unit_system_t::clean_garbage();
    for (int i = 0; i < 600; ++i) {
        unit_t *u = unit_system_t::find_unit(("flock.b" + std::to_string(i)).c_str());
        EXPECT_EQ(u, i % 3 ? m_owners[size_t(i)].get() : nullptr) << i;
    }
}

}  // namespace
}  // namespace quarn::test
