#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "unit_fixture.h"

namespace quarn::test {
namespace {

using unit_system_death = unit_fixture_t;
using unit_garbage = unit_fixture_t;

TEST_F(unit_system_death, ninth_system_aborts) {
    EXPECT_DEATH(
        {
            std::vector<unit_system_t *> more;
            for (int i = 0; i < 8; ++i) more.push_back(new unit_system_t(bank()));
        },
        "Can not create more unit systems - already UF_UNIT_SYTEMS_COUNT systems exist.");
}

TEST_F(unit_system_death, creation_without_system_or_of_an_abstract_class_aborts) {
    EXPECT_DEATH(unit_system_t::create_unit_in(nullptr, test_node_u::unit_descriptor), "There is no default unit system.");
    EXPECT_DEATH(unit_system_t::create_unit_in(nullptr, "test_node"), "There is no default unit system.");
    EXPECT_DEATH(system().create_unit("test_abstract"), "Attempt to instantiate abstract unit type.");
    EXPECT_DEATH(test_abstract_u::create(), "Attempt to instantiate abstract unit type.");
}

TEST_F(unit_system_death, count_overflow_aborts_instead_of_wrapping) {
    owner_ptr_t<test_node_u> node(test_node_u::create());
    for (uint32_t i = 1; i < unit_base_t::MAX_COUNT; ++i) node->add_ref();
    EXPECT_EQ(node->get_count(), 65535);
    EXPECT_DEATH(node->add_ref(), "Reference count overflow");
    for (uint32_t i = 1; i < unit_base_t::MAX_COUNT; ++i) node->release_ref();
}

TEST(unit_system, slots_and_default) {
    unit_bank_t bank;
    message_capture_t log;
    auto a = std::make_unique<unit_system_t>(bank);
    auto b = std::make_unique<unit_system_t>(bank);
    auto c = std::make_unique<unit_system_t>(bank);
    EXPECT_EQ(a->get_index(), 0u);
    EXPECT_EQ(c->get_index(), 2u);
    EXPECT_EQ(unit_system_t::get_system(1), b.get());
    b.reset();
    EXPECT_EQ(unit_system_t::get_system(1), nullptr);
    auto d = std::make_unique<unit_system_t>(bank);
    EXPECT_EQ(d->get_index(), 1u);  // the lowest free slot

    EXPECT_EQ(unit_system_t::get_default(), nullptr);
    d->set_default();
    EXPECT_EQ(unit_system_t::get_default(), d.get());
    EXPECT_TRUE(log.texts(message_t::WARNING).empty());
    d->set_default();
    EXPECT_EQ(log.texts(message_t::WARNING), std::vector<std::string>{"[unit] Stealing the default unit system."});
    d.reset();
    EXPECT_EQ(unit_system_t::get_default(), nullptr);
}

TEST_F(unit_garbage, creation_by_descriptor_and_type_name) {
    unit_base_t *u = system().create_unit("test_node");
    ASSERT_NE(u, nullptr);
    EXPECT_EQ(u->get_descriptor(), &test_node_u::unit_descriptor);
    EXPECT_EQ(u->get_count(), 0);
    EXPECT_EQ(u->get_flags(), unit_base_t::FLAG_ALIVE | system().get_index());
    u->dispose_unowned();
    EXPECT_EQ(system().create_unit("no_such_type"), nullptr);
    EXPECT_EQ(system().create_unit("TEST_NODE"), nullptr);
}

TEST_F(unit_garbage, released_unit_stays_readable_until_cleaned) {
    owner_ptr_t<test_node_u> owner(test_node_u::create());
    test_node_u *node = owner.get();
    node->m_value = 42;
    owner.reset();
    EXPECT_FALSE(node->is_alive());
    EXPECT_EQ(node->get_count(), 0);
    EXPECT_EQ(unit_system_t::get_garbage_count(), 1u);
    EXPECT_EQ(node->m_value, 42);
    EXPECT_EQ(live(), 1u);
    unit_system_t::clean_garbage();
    EXPECT_EQ(live(), 0u);
    EXPECT_EQ(unit_system_t::get_garbage_count(), 0u);
}

TEST_F(unit_garbage, cascading_releases_are_freed_in_the_same_pass) {
    // An owned attribute is released by destroy; a counted pointer outside the
    // attribute table only by the destructor that clean_garbage runs.
    owner_ptr_t<test_node_u> root(test_node_u::create());
    root->m_child = test_node_u::create();
    ref_ptr_t<unit_base_t> kept(static_cast<unit_base_t *>(test_plain_u::create().take()));
    root->m_keep = kept.get();
    kept.reset();
    EXPECT_EQ(live(), 3u);
    root.reset();
    EXPECT_EQ(unit_system_t::get_garbage_count(), 2u);
    unit_system_t::clean_garbage();
    EXPECT_EQ(live(), 0u);
    EXPECT_EQ(unit_system_t::get_garbage_count(), 0u);
}

TEST_F(unit_garbage, unit_counted_again_is_listed_once_and_not_freed) {
    unit_base_t *u = test_plain_u::create().take();
    ref_ptr_t<unit_base_t> r(u);
    r.reset();  // 1 -> 0: listed
    r = u;      // 0 -> 1
    ref_ptr_t<unit_base_t> other(u);
    other.reset();
    r.reset();  // 1 -> 0 again: already listed
    EXPECT_EQ(unit_system_t::get_garbage_count(), 1u);
    r = u;
    unit_system_t::clean_garbage();  // counted again: skipped, not freed
    EXPECT_EQ(live(), 1u);
    EXPECT_EQ(unit_system_t::get_garbage_count(), 0u);
    r.reset();  // listed anew
    EXPECT_EQ(unit_system_t::get_garbage_count(), 1u);
    unit_system_t::clean_garbage();
    EXPECT_EQ(live(), 0u);
}

TEST(unit_system, last_system_frees_what_waits_on_the_garbage_list) {
    uint32_t before = unit_base_t::get_live_count();
    unit_bank_t bank;
    {
        unit_system_t s(bank);
        test_plain_u::create(&s);  // the dropped carrier disposes of it
        EXPECT_EQ(unit_base_t::get_live_count(), before + 1);
        EXPECT_EQ(unit_system_t::get_garbage_count(), 1u);
    }
    EXPECT_EQ(unit_base_t::get_live_count(), before);
}

}  // namespace
}  // namespace quarn::test
