#include <gtest/gtest.h>

#include "outside/sonbase/device.h"
#include "support/message_capture.h"

namespace quarn::test {
namespace {

// A channel that counts how often it hands its attributes to the output.
class counting_channel_t : public sound::channel_t {
public:
    explicit counting_channel_t(uint32_t flags) : channel_t(flags) {}
    int applied = 0;

protected:
    void apply_attributes(const sound::listener_t &) override { ++applied; }
};

class plain_device_t : public sound::device_t {
public:
    plain_device_t() : device_t("plain") {}
    bool refuse = false;
    int commits = 0;

protected:
    sound::channel_t *create_channel(const char *, uint32_t flags) override {
        return refuse ? nullptr : new counting_channel_t(flags);
    }
    void commit_listener() override { ++commits; }
};

TEST(sound_device, keeps_the_channels_it_opened) {
    message_capture_t log;
    plain_device_t device, other;
    EXPECT_EQ(device.device_class, hw_device_t::SOUND);
    EXPECT_EQ(device.open_channel("", 0), nullptr);
    EXPECT_TRUE(log.contains("a channel needs a resource name"));
    device.refuse = true;
    EXPECT_EQ(device.open_channel("a.wav", 0), nullptr);
    device.refuse = false;
    EXPECT_EQ(device.get_channel_count(), 0u);

    sound::channel_t *a = device.open_channel("a.wav", sound::channel_t::LOOPING);
    sound::channel_t *b = device.open_channel("b.wav", 0);
    sound::channel_t *c = device.open_channel("c.wav", 0);
    ASSERT_TRUE(a && b && c);
    EXPECT_EQ(a->get_device(), &device);
    EXPECT_EQ(a->get_flags(), sound::channel_t::LOOPING);
    EXPECT_EQ(device.get_channel_count(), 3u);

    other.close_channel(b);
    EXPECT_TRUE(log.contains("close of a channel it does not hold"));
    EXPECT_EQ(device.get_channel_count(), 3u);
    device.close_channel(b);
    EXPECT_EQ(device.get_channel_count(), 2u);
    delete c;  // leaves the device's list by itself
    EXPECT_EQ(device.get_channel_count(), 1u);

    device.shutdown();
    EXPECT_EQ(device.get_channel_count(), 0u);
    EXPECT_TRUE(log.contains("[sonbase] device plain shut down with 1 channels open - closed"));
}

TEST(sound_device, a_frame_applies_attributes_that_changed_and_commits_the_listener) {
    plain_device_t device;
    auto *ch = static_cast<counting_channel_t *>(device.open_channel("a.wav", 0));
    ASSERT_NE(ch, nullptr);
    EXPECT_TRUE(ch->play());
    EXPECT_TRUE(ch->is_playing());
    EXPECT_FALSE(ch->has_finished());
    sound::channel_attributes_t attributes;
    attributes.volume = 0.5f;
    ch->set_attributes(attributes);
    ch->set_attributes(attributes);
    device.finish_frame();
    device.finish_frame();
    EXPECT_EQ(ch->applied, 1) << "two changes within a frame are applied once";
    EXPECT_EQ(ch->get_attributes().volume, 0.5f);
    EXPECT_EQ(device.commits, 2);
    sound::listener_t listener;
    listener.rolloff_factor = 3.0f;
    device.set_listener(listener);
    EXPECT_EQ(device.get_listener().rolloff_factor, 3.0f);
    ch->stop();
    EXPECT_FALSE(ch->is_playing());
}

}  // namespace
}  // namespace quarn::test
