#pragma once
// A listener of animation instances that writes down what it is told
// ("<update> <kind> <value> ch<channel>") and may act on the instance from inside a
// notice.
#include <functional>
#include <string>
#include <vector>

#include "game/ai/zba/zba_inst.h"

namespace quarn::test {

class zba_recording_listener_t : public zba_listener_t {
public:
    void notify(uint32_t kind, zba_value_t value, uint32_t channel) override {
        std::string line = std::to_string(frame) + " " + std::to_string(kind) + " ";
        line += value.text ? std::string(value.text) : name_of(value.behavior);
        line += " ch" + std::to_string(channel);
        lines.push_back(line);
        if (on_notify) on_notify(kind, value, channel);
    }
    std::vector<std::string> take() {
        std::vector<std::string> out;
        out.swap(lines);
        return out;
    }

    // Names behaviour numbers in the lines (numbers when not set).
    std::function<std::string(int32_t)> name_of = [](int32_t b) { return std::to_string(b); };
    // Called after the line is written: the test acts on the instance here.
    std::function<void(uint32_t, zba_value_t, uint32_t)> on_notify;
    uint32_t frame = 0;
    std::vector<std::string> lines;
};

}  // namespace quarn::test
