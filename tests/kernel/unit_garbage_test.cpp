#include <gtest/gtest.h>

#include "kernel/process_table.h"
#include "kernel_fixture.h"
#include "qrncore/units/unit.h"
#include "qrncore/units/unit_bank.h"
#include "qrncore/units/unit_ptr.h"
#include "qrncore/units/unit_system.h"

namespace quarn::test {
namespace {

// Lets go of its unit in its first handler and looks at it again in the second call
// of the same pass (its system step).
class releasing_process_t : public vprocess_t {
public:
    releasing_process_t(unit_base_t *unit) : vprocess_t(0), m_unit(unit) { set_name("releaser"); }

    void handler() override {
        if (!m_unit) return;
        m_seen = m_unit.get();
        m_unit.reset();
    }
    void system() override {
        if (!m_seen) return;
        readable_in_pass = !m_seen->is_alive() && m_seen->get_count() == 0;
        m_seen = nullptr;  // freed at the end of this pass
    }

    bool readable_in_pass = false;

private:
    owner_ptr_t<unit_base_t> m_unit;
    unit_base_t *m_seen = nullptr;
};

using unit_garbage = kernel_fixture_t;

TEST_F(unit_garbage, units_released_in_a_pass_are_freed_after_it) {
    unit_bank_t bank;
    unit_system_t system(bank);
    const uint32_t before = unit_base_t::get_live_count();
    auto *p = new releasing_process_t(unit_system_t::create_unit_in(&system, unit_t::unit_descriptor));
    process_add(p, 0);
    EXPECT_EQ(unit_base_t::get_live_count(), before + 1);
    kernel_step();
    EXPECT_TRUE(p->readable_in_pass) << "the released unit stays readable until the pass ends";
    EXPECT_EQ(unit_base_t::get_live_count(), before);
    EXPECT_EQ(unit_system_t::get_garbage_count(), 0u);
}

}  // namespace
}  // namespace quarn::test
