#pragma once
// A bank and a default unit system for each test. At the end the garbage is cleaned
// and every unit the test made must have been freed.
#include <gtest/gtest.h>

#include "../collections/abort_fixture.h"
#include "qrncore/units/unit_bank.h"
#include "qrncore/units/unit_system.h"
#include "recording_tie.h"
#include "support/message_capture.h"
#include "test_units.h"

namespace quarn::test {

class unit_fixture_t : public abort_fixture_t {
protected:
    void SetUp() override {
        abort_fixture_t::SetUp();
        m_live_before = unit_base_t::get_live_count();
        m_system = new unit_system_t(m_bank);
        m_system->set_default();
        register_test_units(m_bank);
    }
    void TearDown() override {
        unit_system_t::clean_garbage();
        delete m_system;
        EXPECT_EQ(unit_base_t::get_live_count(), m_live_before) << "units leaked";
        abort_fixture_t::TearDown();
    }

    unit_system_t &system() { return *m_system; }
    unit_bank_t &bank() { return m_bank; }
    uint32_t live() const { return unit_base_t::get_live_count() - m_live_before; }

    // Resource attributes need an installed tie even to be torn down.
    recording_tie_t m_tie;
    unit_bank_t m_bank;
    unit_system_t *m_system = nullptr;
    uint32_t m_live_before = 0;
};

}  // namespace quarn::test
