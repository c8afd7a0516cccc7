#pragma once
// A model's animation channels as the behaviour machine sees them (zba_channels_t),
// kept by hand: every call is checked and, when `record` is set, written down as a
// line ("play walk_a 35 10 1 -> 0", "weight 0 0.5", "advance 0 0.25", "stop_frame 0
// -1", "stop 0", "resume 0", "free 0", "flags 0 0x800"). Header-only and free of
// gtest, so that the fuzz targets and benchmarks use it too.
#include <cmath>
#include <cstdarg>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "game/ai/zba/zba_channels.h"
#include "game/ai/zba/zba_info.h"

namespace quarn::test {

class zba_recorder_t : public zba_channels_t {
public:
    struct channel_t {
        bool in_use = false;
        std::string animation;
        int32_t priority = 0;
        float strength = 1.0f;
        float weight = 1.0f;  // the model's weight for a channel started without fade-in
        float time = 0.0f;
        bool stopped = false;
        int32_t stop_frame = 0;
        uint32_t flags = 0;
    };

    bool is_loaded() const override { return loaded; }

    int32_t play(const zba_animation_t &animation, uint32_t add, uint32_t clear, int32_t priority,
                 float strength) override {
        int32_t index = -1;
        if (refuse_play) {
            note("play %s refused", animation.name());
            return -1;
        }
        for (size_t i = 0; i < channels.size() && index < 0; ++i)
            if (!channels[i].in_use) index = int32_t(i);
        if (index < 0) {
            index = int32_t(channels.size());
            channels.emplace_back();
        }
        channel_t &c = channels[size_t(index)];
        c = channel_t();
        c.in_use = true;
        c.animation = animation.name();
        c.priority = priority;
        c.strength = strength;
        if (add != 0 || clear == 0) ++faults;
        ++plays;
        note("play %s %u %d %g -> %d", animation.name(), clear, priority, double(strength), index);
        return index;
    }
    void set_weight(int32_t channel, float weight) override {
        if (channel_t *c = use(channel)) c->weight = weight;
        if (!(weight >= 0.0f && weight <= 1.0f)) ++faults;
        note("weight %d %g", channel, double(weight));
    }
    void advance(int32_t channel, float seconds) override {
        if (channel_t *c = use(channel)) c->time += seconds;
        if (!(seconds >= 0.0f) || !std::isfinite(seconds)) ++faults;
        note("advance %d %g", channel, double(seconds));
    }
    void set_stop_frame(int32_t channel, int32_t frame) override {
        if (channel_t *c = use(channel)) c->stop_frame = frame;
        note("stop_frame %d %d", channel, frame);
    }
    void stop(int32_t channel) override {
        if (channel_t *c = use(channel)) c->stopped = true;
        note("stop %d", channel);
    }
    void resume(int32_t channel) override {
        if (channel_t *c = use(channel)) c->stopped = false;
        note("resume %d", channel);
    }
    void free(int32_t channel) override {
        if (channel_t *c = use(channel)) c->in_use = false;
        note("free %d", channel);
    }
    void set_flags(int32_t channel, uint32_t bits) override {
        if (channel_t *c = use(channel)) c->flags |= bits;
        note("flags %d 0x%x", channel, bits);
    }

    // Channels in use.
    uint32_t in_use() const {
        uint32_t n = 0;
        for (const channel_t &c : channels) n += c.in_use ? 1 : 0;
        return n;
    }
    // The calls written down since the last take, and forgets them.
    std::vector<std::string> take() {
        std::vector<std::string> out;
        out.swap(calls);
        return out;
    }

    bool loaded = true;
    bool record = true;
    bool refuse_play = false;
    std::vector<std::string> calls;
    std::vector<channel_t> channels;
    uint32_t plays = 0;
    // Calls on a channel that is not in use, weights outside 0..1, advances that are
    // negative or not finite, play flags other than the machine's.
    uint32_t faults = 0;

private:
    channel_t *use(int32_t channel) {
        if (channel < 0 || size_t(channel) >= channels.size() || !channels[size_t(channel)].in_use) {
            ++faults;
            return nullptr;
        }
        return &channels[size_t(channel)];
    }
    __attribute__((format(printf, 2, 3))) void note(const char *format, ...) {
        if (!record) return;
        char line[160];
        va_list args;
        va_start(args, format);
        vsnprintf(line, sizeof line, format, args);
        va_end(args);
        calls.push_back(line);
    }
};

}  // namespace quarn::test
