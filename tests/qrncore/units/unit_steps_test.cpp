// A unit class's own construct and destroy steps: each runs once for the class that
// declares it, bases first on construction, before the attributes go on destroy.
#include <gtest/gtest.h>

#include "unit_fixture.h"

namespace quarn::test {
namespace {

using unit_steps = unit_fixture_t;

TEST_F(unit_steps, run_once_per_declaring_class_in_order) {
    struct case_t {
        const char *type;
        std::vector<std::string> made, destroyed;
    };
    const case_t cases[] = {
        {"test_stepped", {"construct base"}, {"destroy base"}},
        {"test_stepped_more", {"construct base", "construct more"}, {"destroy base"}},
        {"test_stepped_inherit", {"construct base"}, {"destroy base"}},
    };
    for (const case_t &c : cases) {
        SCOPED_TRACE(c.type);
        test_stepped_u::log.clear();
        owner_ptr_t<unit_base_t> unit(unit_system_t::get_default()->create_unit(c.type));
        ASSERT_TRUE(unit);
        EXPECT_EQ(test_stepped_u::log, c.made);
        EXPECT_EQ(static_cast<test_stepped_u *>(unit.get())->m_made_with, 7);

        test_stepped_u::log.clear();
        unit.reset();
        unit_system_t::clean_garbage();
        EXPECT_EQ(test_stepped_u::log, c.destroyed);
    }
}

TEST_F(unit_steps, a_clone_is_constructed_then_takes_the_attributes) {
    owner_ptr_t<test_stepped_u> unit(test_stepped_u::create());
    unit->m_made_with = 3;
    test_stepped_u::log.clear();
    owner_ptr_t<test_stepped_u> copy(unit_cast<test_stepped_u>(unit->clone()));
    ASSERT_TRUE(copy);
    EXPECT_EQ(test_stepped_u::log, std::vector<std::string>{"construct base"});
    EXPECT_EQ(copy->m_made_with, 3);
}

}  // namespace
}  // namespace quarn::test
