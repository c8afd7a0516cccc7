#pragma once
// The map objects' classes in a unit bank of the test's own with a default unit
// system, the kernel's sound front-end started over them (sounds are made, no device
// plays them), and unit text loaded from memory. At the end every unit the test made
// must have been freed.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "game/world/attract_area.h"
#include "game/world/sound_loop.h"
#include "game/world/start_point.h"
#include "game/world/trail.h"
#include "game/world/trail_follower.h"
#include "kernel/kernel_fixture.h"
#include "kernel/sound/sound.h"
#include "outside/qrnshared/qrnshared.h"
#include "outside/sonbase/sonbase.h"
#include "qrncore/system/dl_lib.h"
#include "qrncore/units/unit_bank.h"
#include "qrncore/units/unit_load.h"
#include "qrncore/units/unit_system.h"
#include "support/memory_file.h"
#include "support/message_capture.h"

namespace quarn::test {

class map_units_fixture_t : public kernel_fixture_t {
protected:
    void SetUp() override {
        kernel_fixture_t::SetUp();
        qrnshared_init(dl_lib_t::get_main_handle());
        sonbase_init(dl_lib_t::get_main_handle());
        m_live_before = unit_base_t::get_live_count();
        m_system = new unit_system_t(m_bank);
        m_system->set_default();
        for (const unit_descriptor_t *d : {&trail_u::unit_descriptor, &start_point_u::unit_descriptor,
                                           &attract_area_u::unit_descriptor, &sound_loop_u::unit_descriptor})
            ASSERT_TRUE(m_bank.register_class(d));
        snd_start(&m_bank, m_system);
    }
    void TearDown() override {
        m_loader.reset();
        snd_stop();
        unit_system_t::clean_garbage();
        delete m_system;
        EXPECT_EQ(unit_base_t::get_live_count(), m_live_before) << "units leaked";
        kernel_fixture_t::TearDown();
        sonbase_shutdown();
        qrnshared_shutdown();
    }

    // Loads a unit file made of body (the text between the braces); the loader keeps
    // the roots until the next load or the end of the test. False when the load fails.
    bool load(const std::string &body) {
        m_loader.reset();
        m_file = std::make_unique<memory_file_t>("RozErere\n{\n" + body + "\n}\n", "/map/test/units.unit");
        m_loader = std::make_unique<unit_load_t>(*m_file, *m_system);
        return m_loader->load();
    }
    // Root i of the last load as a T (null for another class).
    template <class T>
    T *root(uint32_t i = 0) const {
        return i < m_loader->get_root_count() ? unit_cast<T>(m_loader->get_root(i)) : nullptr;
    }

    message_capture_t messages;
    unit_bank_t m_bank;
    unit_system_t *m_system = nullptr;
    uint32_t m_live_before = 0;
    std::unique_ptr<memory_file_t> m_file;
    std::unique_ptr<unit_load_t> m_loader;
};

}  // namespace quarn::test
