#pragma once
// A sound device for the front-end's tests: it plays nothing and records every call
// made on it and on its channels, in order, as "op" or "op resource" lines. A test
// can make its initialisation or restart fail, refuse channel openings and end a
// channel's playback.
#include <algorithm>
#include <string>
#include <vector>

#include "outside/sonbase/device.h"

namespace quarn::test {

class recording_sound_device_t;

class recording_channel_t : public sound::channel_t {
public:
    recording_channel_t(recording_sound_device_t *device, const char *resource_name, uint32_t flags)
        : channel_t(flags), resource(resource_name), m_owner(device) {}

    bool play() override;
    void stop() override;
    bool has_finished() const override { return finished; }
    void set_attributes(const sound::channel_attributes_t &attributes) override;

    std::string resource;
    // Set by a test: playback came to its end.
    bool finished = false;
    // Every attribute block the channel was given, in order.
    std::vector<sound::channel_attributes_t> sent;

private:
    recording_sound_device_t *m_owner;
};

class recording_sound_device_t : public sound::device_t {
public:
    explicit recording_sound_device_t(const char *device_name, bool found = true) : device_t(device_name), m_found(found) {}
    ~recording_sound_device_t() override { device_t::shutdown(); }

    bool detect() override { return m_found; }
    bool init() override {
        record("init");
        return init_result;
    }
    void shutdown() override {
        record("shutdown");
        device_t::shutdown();
    }
    void suspend() override { record("suspend"); }
    void revive() override { record("revive"); }
    bool restart() override {
        record("restart");
        return restart_result;
    }
    void set_listener(const sound::listener_t &listener) override {
        record("listener");
        device_t::set_listener(listener);
    }
    void finish_frame() override {
        record("finish");
        device_t::finish_frame();
    }

    // The open channel of that resource, or null.
    recording_channel_t *channel(const std::string &resource) const {
        for (recording_channel_t *c : open)
            if (c->resource == resource) return c;
        return nullptr;
    }
    // How often a call was recorded (exactly that line).
    int count(const std::string &line) const { return int(std::count(calls.begin(), calls.end(), line)); }
    void record(const std::string &line) { calls.push_back(line); }

    std::vector<std::string> calls;
    bool init_result = true;
    bool restart_result = true;
    // Openings still to be refused.
    int refuse_opens = 0;
    std::vector<recording_channel_t *> open;
    // The flags of the last opening.
    uint32_t opened_flags = 0;

protected:
    sound::channel_t *create_channel(const char *resource_name, uint32_t flags) override {
        record(std::string("open ") + resource_name);
        if (refuse_opens > 0) {
            --refuse_opens;
            return nullptr;
        }
        opened_flags = flags;
        auto *c = new recording_channel_t(this, resource_name, flags);
        open.push_back(c);
        return c;
    }
    void destroy_channel(sound::channel_t *c) override {
        auto *rc = static_cast<recording_channel_t *>(c);
        record("close " + rc->resource);
        open.erase(std::find(open.begin(), open.end(), rc));
        device_t::destroy_channel(c);
    }

private:
    bool m_found;
};

inline bool recording_channel_t::play() {
    m_owner->record("play " + resource);
    return channel_t::play();
}

inline void recording_channel_t::stop() {
    m_owner->record("stop " + resource);
    channel_t::stop();
}

inline void recording_channel_t::set_attributes(const sound::channel_attributes_t &attributes) {
    m_owner->record("attributes " + resource);
    sent.push_back(attributes);
    channel_t::set_attributes(attributes);
}

}  // namespace quarn::test
