#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "unit_fixture.h"

namespace quarn::test {

namespace {

using unit_clone = unit_fixture_t;

TEST_F(unit_clone, three_levels_deep_with_shared_references) {
    owner_ptr_t<test_node_u> a(test_node_u::create());
    owner_ptr_t<test_node_u> d(test_node_u::create());
    a->m_value = 1;
    a->m_child = test_node_u::create();
    auto *b = static_cast<test_node_u *>(a->m_child.get());
    b->m_value = 2;
    b->m_child = test_node_u::create();
    static_cast<test_node_u *>(b->m_child.get())->m_value = 3;
    a->m_link = d.get();
    b->m_link = d.get();
    EXPECT_TRUE(a->set_name("origin"));
    EXPECT_EQ(d->get_count(), 3);

    owner_ptr_t<test_node_u> copy(unit_cast<test_node_u>(a->clone()));
    ASSERT_TRUE(copy);
    EXPECT_TRUE(copy->is_nameless());  // names are not copied
    EXPECT_EQ(copy->get_count(), 1);
    EXPECT_EQ(copy->m_value, 1);
    auto *b2 = unit_cast<test_node_u>(copy->m_child.get());
    ASSERT_NE(b2, nullptr);
    EXPECT_NE(b2, b);
    EXPECT_EQ(b2->m_value, 2);
    EXPECT_TRUE(b2->is_owned());
    auto *c2 = unit_cast<test_node_u>(b2->m_child.get());
    ASSERT_NE(c2, nullptr);
    EXPECT_NE(c2, b->m_child.get());
    EXPECT_EQ(c2->m_value, 3);
    EXPECT_EQ(copy->m_link.get(), d.get());
    EXPECT_EQ(b2->m_link.get(), d.get());
    EXPECT_EQ(d->get_count(), 5);  // one more per copied reference
    EXPECT_EQ(live(), 7u);

    // Destroying releases the owned units (destroyed too) and only drops references.
    copy.reset();
    EXPECT_FALSE(b2->is_alive());
    EXPECT_FALSE(c2->is_alive());
    EXPECT_TRUE(d->is_alive());
    EXPECT_EQ(d->get_count(), 3);
    unit_system_t::clean_garbage();
    EXPECT_EQ(live(), 4u);
}

// Each class's own finishing step runs once, after its attributes, base first; a
// refusal fails the whole clone and leaves no unit behind.
TEST_F(unit_clone, finishing_steps_run_once_per_declaring_class) {
    struct case_t {
        const unit_descriptor_t *d;
        bool refuse;
        std::vector<std::string> log;
        bool copied;
    } cases[] = {
        {&test_finishing_u::unit_descriptor, false, {"finish base 7"}, true},
        {&test_finishing_plain_u::unit_descriptor, false, {"finish base 7"}, true},
        {&test_finishing_leaf_u::unit_descriptor, false, {"finish base 7", "finish derived"}, true},
        {&test_finishing_leaf_u::unit_descriptor, true, {"finish base 7", "finish derived"}, false},
    };
    for (const case_t &c : cases) {
        SCOPED_TRACE(c.d->class_name->c_str());
        test_finishing_u::log.clear();
        const uint32_t before = live();
        owner_ptr_t<unit_base_t> source(owner_ptr_ret_t<unit_base_t>(unit_system_t::create_unit_in(&system(), *c.d)));
        ASSERT_TRUE(source);
        static_cast<test_finishing_u *>(source.get())->m_value = 7;
        if (c.refuse) static_cast<test_finishing_leaf_u *>(source.get())->m_refuse = true;
        owner_ptr_t<unit_base_t> copy(source->clone());
        EXPECT_EQ(bool(copy), c.copied);
        EXPECT_EQ(test_finishing_u::log, c.log);
        copy.reset();
        source.reset();
        unit_system_t::clean_garbage();
        EXPECT_EQ(live(), before);
    }
}

TEST_F(unit_clone, dead_units_are_copied_as_null) {
    owner_ptr_t<test_node_u> a(test_node_u::create());
    a->m_child = test_node_u::create();
    a->m_link = a->m_child.get();
    a->m_child->destroy();
    owner_ptr_t<unit_base_t> copy(a->clone());
    ASSERT_TRUE(copy);
    EXPECT_FALSE(static_cast<test_node_u *>(copy.get())->m_child);
    EXPECT_FALSE(static_cast<test_node_u *>(copy.get())->m_link);
}

TEST_F(unit_clone, arrays_are_copied_element_by_element) {
    owner_ptr_t<test_all_u> a(test_all_u::create());
    owner_ptr_t<test_node_u> shared(test_node_u::create());
    a->m_floats.append(1.5f);
    a->m_strings.append(mstring_dyn_t("x y"));
    a->m_owners.append(owner_ptr_t<unit_base_t>(test_node_u::create()));
    a->m_owners.append(owner_ptr_t<unit_base_t>(test_node_u::create()));
    a->m_owners[1]->destroy();
    a->m_refs.append(ref_ptr_t<unit_base_t>(shared.get()));
    a->m_refs.append(ref_ptr_t<unit_base_t>(a->m_owners[1].get()));
    owner_ptr_t<test_all_u> copy(unit_cast<test_all_u>(a->clone()));
    ASSERT_TRUE(copy);
    EXPECT_EQ(copy->m_floats.get_count(), 1u);
    EXPECT_EQ(copy->m_strings[0], "x y");
    ASSERT_EQ(copy->m_owners.get_count(), 2u);
    EXPECT_NE(copy->m_owners[0].get(), a->m_owners[0].get());
    EXPECT_TRUE(copy->m_owners[0]);
    EXPECT_FALSE(copy->m_owners[1]);  // the dead one
    ASSERT_EQ(copy->m_refs.get_count(), 2u);
    EXPECT_EQ(copy->m_refs[0].get(), shared.get());
    EXPECT_FALSE(copy->m_refs[1]);
    EXPECT_EQ(shared->get_count(), 3);
}

TEST_F(unit_clone, a_failed_clone_leaves_nothing_behind) {
    message_capture_t log;
    owner_ptr_t<test_node_u> a(test_node_u::create());
    a->m_child = test_all_u::create();  // its resource attribute refuses to clone
    static_cast<test_all_u *>(a->m_child.get())->m_int = 5;
    m_tie.answer = false;
    uint32_t before = live();
    EXPECT_FALSE(a->clone());
    m_tie.answer = true;
    unit_system_t::clean_garbage();
    EXPECT_EQ(live(), before);
    EXPECT_TRUE(log.contains("[unit] Failed to clone the the attribute 'resource' of unit '_nameless."));
    EXPECT_TRUE(log.contains("(type 'test_all')."));
    EXPECT_TRUE(log.contains("[unit] Failed to clone the the attribute 'child' of unit '_nameless."));
}

TEST_F(unit_clone, classes_without_attributes_clone_trivially) {
    owner_ptr_t<test_plain_u> plain(test_plain_u::create());
    owner_ptr_t<unit_base_t> copy(plain->clone());
    ASSERT_TRUE(copy);
    EXPECT_EQ(copy->get_descriptor(), &test_plain_u::unit_descriptor);
    EXPECT_EQ(copy->get_system_index(), system().get_index());
}

}  // namespace
}  // namespace quarn::test
