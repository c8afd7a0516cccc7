#pragma once
// A unit bank with the environment's classes, a default unit system, a clock that
// makes the kernel's random sequence repeatable, and unit text loaded from memory. At
// the end every unit the test made must have been freed.
#include <gtest/gtest.h>

#include <string>

#include "game/world/fog.h"
#include "game/world/sun.h"
#include "game/world/temperature.h"
#include "game/world/wind.h"
#include "kernel/sys.h"
#include "qrncore/units/unit_bank.h"
#include "qrncore/units/unit_load.h"
#include "qrncore/units/unit_system.h"
#include "support/fake_clock.h"
#include "support/memory_file.h"
#include "support/message_capture.h"

namespace quarn::test {

class env_fixture_t : public ::testing::Test {
protected:
    void SetUp() override {
        m_live_before = unit_base_t::get_live_count();
        m_system = new unit_system_t(m_bank);
        m_system->set_default();
        sun_u::register_class(m_bank);
        fog_u::register_class(m_bank);
        temperature_u::register_class(m_bank);
        wind_u::register_class(m_bank);
        m_clock.cycles = 12345;
        sys_reset_random();
    }
    void TearDown() override {
        unit_system_t::clean_garbage();
        delete m_system;
        EXPECT_EQ(unit_base_t::get_live_count(), m_live_before) << "units leaked";
    }

    // The single root of a unit file made of body (the text between the braces), as
    // a T; null when the load fails or the root is of another class.
    template <class T>
    owner_ptr_ret_t<T> load(const std::string &body) {
        memory_file_t file("RozErere\n{\n" + body + "\n}\n", "/test/env.unit");
        unit_load_t loader(file, *m_system);
        return unit_cast<T>(owner_ptr_ret_t<unit_base_t>(loader.load_tree_generic()));
    }

    fake_clock_t m_clock;
    unit_bank_t m_bank;
    unit_system_t *m_system = nullptr;
    uint32_t m_live_before = 0;
};

}  // namespace quarn::test
