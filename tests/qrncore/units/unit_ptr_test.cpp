#include <gtest/gtest.h>

#include "qrncore/units/unit_proxy.h"
#include "unit_fixture.h"

namespace quarn::test {
namespace {

using unit_ptr = unit_fixture_t;
using unit_ptr_death = unit_fixture_t;

TEST_F(unit_ptr, carrier_into_owner_counts_and_owns) {
    owner_ptr_ret_t<test_node_u> carrier = test_node_u::create();
    EXPECT_EQ(carrier->get_count(), 0);
    owner_ptr_t<test_node_u> owner;
    owner = std::move(carrier);
    EXPECT_FALSE(carrier);
    EXPECT_EQ(owner->get_count(), 1);
    EXPECT_TRUE(owner->is_owned());

    owner_ptr_t<unit_base_t> other(std::move(owner));  // move keeps the count
    EXPECT_FALSE(owner);
    EXPECT_EQ(other->get_count(), 1);
    EXPECT_TRUE(other->is_owned());

    owner_ptr_ret_t<unit_base_t> out = other.release();  // handed on, not listed
    EXPECT_FALSE(other);
    EXPECT_EQ(out->get_count(), 0);
    EXPECT_FALSE(out->is_owned());
    EXPECT_TRUE(out->is_alive());
    EXPECT_EQ(unit_system_t::get_garbage_count(), 0u);
    owner_ptr_t<unit_base_t> last(std::move(out));
    EXPECT_EQ(last->get_count(), 1);
}

TEST_F(unit_ptr, owner_release_destroys_a_referenced_unit) {
    owner_ptr_t<test_node_u> owner(test_node_u::create());
    ref_ptr_t<test_node_u> ref(owner.get());
    test_node_u *u = owner.get();
    EXPECT_EQ(u->get_count(), 2);
    owner.reset();
    EXPECT_FALSE(u->is_alive());
    EXPECT_FALSE(u->is_owned());
    EXPECT_EQ(u->get_count(), 1);
    EXPECT_EQ(unit_system_t::get_garbage_count(), 0u);

    ref_ptr_t<test_node_u> copy;
    copy = ref;  // a dead unit is not handed on, and nothing is counted for it
    EXPECT_FALSE(copy);
    EXPECT_EQ(u->get_count(), 1);
    ref_ptr_t<test_node_u> constructed(ref);
    EXPECT_FALSE(constructed);
    EXPECT_EQ(u->get_count(), 1);

    ref.reset();
    EXPECT_EQ(unit_system_t::get_garbage_count(), 1u);
}

TEST_F(unit_ptr, moves_from_dead_units_keep_counts_balanced) {
    owner_ptr_t<test_node_u> owner(test_node_u::create());
    test_node_u *u = owner.get();
    ref_ptr_t<test_node_u> ref(u);
    u->destroy();  // killed behind the owner's back
    owner_ptr_t<test_node_u> moved(std::move(owner));
    EXPECT_FALSE(moved);
    EXPECT_EQ(u->get_count(), 1);  // the owner's count went with it

    ref_ptr_t<test_node_u> ref_moved(std::move(ref));
    EXPECT_FALSE(ref_moved);
    EXPECT_EQ(unit_system_t::get_garbage_count(), 1u);
    unit_system_t::clean_garbage();
    EXPECT_EQ(live(), 0u);
}

TEST_F(unit_ptr, release_of_a_dead_owner_gives_an_empty_carrier) {
    owner_ptr_t<test_node_u> owner(test_node_u::create());
    owner->destroy();
    owner_ptr_ret_t<test_node_u> out = owner.release();
    EXPECT_FALSE(out);
    EXPECT_EQ(unit_system_t::get_garbage_count(), 1u);
}

TEST_F(unit_ptr, a_dropped_carrier_disposes_of_its_unit) {
    test_node_u *u = test_node_u::create().get();  // the temporary carrier is gone
    EXPECT_FALSE(u->is_alive());
    EXPECT_EQ(unit_system_t::get_garbage_count(), 1u);
    unit_system_t::clean_garbage();
    EXPECT_EQ(live(), 0u);
}

TEST_F(unit_ptr, assigning_the_held_unit_again_changes_nothing) {
    owner_ptr_t<test_node_u> owner(test_node_u::create());
    ref_ptr_t<test_node_u> ref(owner.get());
    ref = owner.get();
    ref = ref;
    EXPECT_EQ(owner->get_count(), 2);
    owner.reset(owner.get());
    EXPECT_EQ(owner->get_count(), 2);
    EXPECT_TRUE(owner->is_alive());
    EXPECT_EQ(unit_system_t::get_garbage_count(), 0u);
}

TEST_F(unit_ptr, unit_cast_checks_the_class_and_refuses_proxies) {
    owner_ptr_t<test_leaf_u> leaf(test_leaf_u::create());
    owner_ptr_t<test_node_u> node(test_node_u::create());
    owner_ptr_t<unit_proxy_u> proxy(unit_proxy_u::create(&system()));
    EXPECT_EQ(unit_cast<test_node_u>(leaf.get()), leaf.get());
    EXPECT_EQ(unit_cast<test_leaf_u>(node.get()), nullptr);
    EXPECT_EQ(unit_cast<test_leaf_u>(proxy.get()), nullptr);
    EXPECT_TRUE(unit_system_t::inherits_from(proxy->get_descriptor(), &test_leaf_u::unit_descriptor));
    EXPECT_EQ(unit_cast<test_node_u>(nullptr), nullptr);

    owner_ptr_ret_t<test_leaf_u> wrong = unit_cast<test_leaf_u>(owner_ptr_ret_t<unit_base_t>(test_node_u::create()));
    EXPECT_FALSE(wrong);
    EXPECT_EQ(unit_system_t::get_garbage_count(), 1u);  // the refused unit was disposed of
}

TEST_F(unit_ptr, proxy_releases_what_it_holds) {
    owner_ptr_t<unit_proxy_u> proxy(unit_proxy_u::create(&system()));
    EXPECT_TRUE(proxy->is_proxy());
    EXPECT_FALSE(proxy->is_anonymous());
    test_node_u *u = test_node_u::create().take();
    proxy->hold(u);
    proxy->set_target(u);
    EXPECT_EQ(u->get_count(), 2);
    EXPECT_TRUE(u->is_owned());
    proxy.reset();
    EXPECT_FALSE(u->is_alive());
    EXPECT_EQ(u->get_count(), 0);
    unit_system_t::clean_garbage();
    EXPECT_EQ(live(), 0u);
}

TEST_F(unit_ptr_death, abstract_clone_and_underflow_abort) {
    owner_ptr_t<test_concrete_u> unit(test_concrete_u::create());
    EXPECT_DEATH(unit->test_abstract_u::clone(), "Can not clone instance of abstract class test_abstract_u.");
    test_plain_u *plain = test_plain_u::create().take();
    EXPECT_DEATH(plain->release_ref(), "reference count is 0");
    plain->dispose_unowned();
}

}  // namespace
}  // namespace quarn::test
