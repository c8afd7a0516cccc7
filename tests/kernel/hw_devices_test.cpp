#include <gtest/gtest.h>

#include <string>

#include "kernel/hw_devices.h"
#include "kernel_fixture.h"
#include "support/message_capture.h"

namespace quarn::test {
namespace {

class probe_device_t : public hw_device_t {
public:
    probe_device_t(const char *device_name, bool found = true) : hw_device_t(INPUT, device_name), m_found(found) {}
    bool detect() override {
        ++detects;
        return m_found;
    }
    bool init() override { return ++inits > 0; }
    void shutdown() override { ++shutdowns; }
    void suspend() override { ++suspends; }
    void revive() override { ++revives; }
    void poll() override { ++polls; }

    int detects = 0, inits = 0, shutdowns = 0, suspends = 0, revives = 0, polls = 0;

private:
    bool m_found;
};

class devices : public kernel_fixture_t {
protected:
    void TearDown() override {
        while (hw_device_count() > 0) hw_device_remove(hw_device_get(0));
        kernel_fixture_t::TearDown();
    }
    message_capture_t log;
};

TEST_F(devices, insert_detects_and_keeps_what_it_did_not_find) {
    probe_device_t here("here"), missing("missing", false);
    EXPECT_EQ(hw_device_insert(&here), 1);
    EXPECT_EQ(hw_device_insert(&missing), 2);
    EXPECT_EQ(here.detects, 1);
    EXPECT_EQ(here.present, 1);
    EXPECT_EQ(missing.present, 0);
    EXPECT_TRUE(log.contains("[hw] device missing not detected..."));
    EXPECT_FALSE(log.contains("device here"));
    kernel_step();
    EXPECT_EQ(missing.polls, 1) << "a device that was not detected is polled all the same";
}

TEST_F(devices, remove_moves_the_last_into_the_gap) {
    probe_device_t a("a"), b("b"), c("c"), stranger("stranger");
    hw_device_insert(&a);
    hw_device_insert(&b);
    hw_device_insert(&c);
    EXPECT_EQ(hw_device_remove(&a), 0);
    ASSERT_EQ(hw_device_count(), 2);
    EXPECT_EQ(hw_device_get(0), &c);
    EXPECT_EQ(hw_device_get(1), &b);
    EXPECT_EQ(hw_device_remove(&stranger), 2) << "not registered: the count, nothing changed";
    EXPECT_EQ(hw_device_count(), 2);
}

TEST_F(devices, only_running_devices_are_polled) {
    probe_device_t a("a"), b("b");
    hw_device_insert(&a);
    hw_device_insert(&b);
    hw_suspend(&a);
    EXPECT_EQ(a.suspends, 1);
    EXPECT_EQ(a.state, hw_device_t::SUSPENDED);
    kernel_step();
    kernel_step();
    EXPECT_EQ(a.polls, 0);
    EXPECT_EQ(b.polls, 2);
    hw_revive(&a);
    EXPECT_EQ(a.revives, 1);
    EXPECT_EQ(a.state, hw_device_t::RUNNING);
    b.state = hw_device_t::SHUT_DOWN;
    kernel_step();
    EXPECT_EQ(a.polls, 1);
    EXPECT_EQ(b.polls, 2) << "a shut-down device is never polled";
    EXPECT_TRUE(hw_init(&a));
    hw_shutdown(&a);
    EXPECT_EQ(a.inits, 1);
    EXPECT_EQ(a.shutdowns, 1);
}

TEST_F(devices, a_33rd_device_is_refused) {
    std::vector<std::unique_ptr<probe_device_t>> all;
    for (int i = 0; i < HW_MAX_DEVICES; ++i) {
        all.push_back(std::make_unique<probe_device_t>(("d" + std::to_string(i)).c_str()));
        ASSERT_EQ(hw_device_insert(all.back().get()), i + 1);
    }
    probe_device_t extra("extra");
    EXPECT_EQ(hw_device_insert(&extra), -1);
    EXPECT_EQ(extra.detects, 0);
    EXPECT_EQ(hw_device_count(), HW_MAX_DEVICES);
    EXPECT_TRUE(log.contains("[hw] Too many devices - can not add 'extra'"));
}

}  // namespace
}  // namespace quarn::test
