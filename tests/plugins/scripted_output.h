#pragma once
// A scripted sound output for the sound device's tests. The test scripts the result
// any operation gives next and moves play cursors; the fake records every operation
// as "object.operation" (objects "output", "primary", "listener", "buffer" for the
// buffers the device makes, "channel" for duplicates, "3d"), what the device handed
// over (formats, descriptions, listener and 3D parameters, volumes, frequencies) and
// every region written.
#include <deque>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "plugins/snddev/output_api.h"

namespace quarn::test {

using namespace quarn::snddev;

struct scripted_region_t {
    uint32_t offset;
    std::string bytes;
};

// One buffer the device made, and what was done with it.
struct scripted_sound_buffer_t {
    buffer_desc_t desc;
    std::string memory;
    std::vector<scripted_region_t> written;
    bool alive = true;
};

// One duplicate (a channel's voice).
struct scripted_voice_t {
    explicit scripted_voice_t(size_t of_buffer) : buffer(of_buffer) {}

    size_t buffer;  // index into buffers
    uint32_t cursor = 0;
    bool playing = false, looping = false;
    int32_t volume = 0;
    uint32_t frequency = 0;
    std::vector<uint32_t> positions_set;
    std::vector<buffer_3d_params_t> params_3d;
    bool alive = true;
};

struct output_script_t {
    std::map<std::string, std::deque<result_t>> next;
    std::map<std::string, result_t> always;
    std::vector<std::string> calls;

    int outputs_alive = 0;
    std::vector<wave_format_t> formats;
    std::vector<listener_params_t> listeners;
    std::vector<scripted_sound_buffer_t> buffers;
    std::vector<scripted_voice_t> voices;
    double advanced = 0.0;

    result_t answer(const std::string &operation);
    void fail(const std::string &operation, result_t code, int times = 1) {
        for (int i = 0; i < times; ++i) next[operation].push_back(code);
    }
    int count(const std::string &operation) const;
    // The calls recorded since the index, in order.
    std::vector<std::string> calls_from(size_t first) const {
        return std::vector<std::string>(calls.begin() + long(first), calls.end());
    }
};

output_script_t &output_script();
void reset_output_script();
// The factory the device is made with.
result_t scripted_output_create(output_ref_t &out);

}  // namespace quarn::test
