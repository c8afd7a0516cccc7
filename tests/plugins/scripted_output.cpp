#include "scripted_output.h"

#include <algorithm>
#include <cstring>

namespace quarn::test {

namespace {

output_script_t script;

class fake_3d_t : public buffer_3d_i {
public:
    explicit fake_3d_t(size_t voice) : m_voice(voice) {}
    result_t set_all(const buffer_3d_params_t &params, bool) override {
        const result_t r = script.answer("3d.set_all");
        if (!failed(r)) script.voices[m_voice].params_3d.push_back(params);
        return r;
    }

private:
    size_t m_voice;
};

// A buffer the device made (voice -1) or one of its duplicates.
class fake_buffer_t : public sound_buffer_i {
public:
    fake_buffer_t(size_t buffer, int voice) : m_buffer(buffer), m_voice(voice) {}
    ~fake_buffer_t() override {
        if (m_voice >= 0) script.voices[size_t(m_voice)].alive = false;
        else script.buffers[m_buffer].alive = false;
    }

    result_t lock(uint32_t offset, uint32_t bytes, void **region, uint32_t *length) override {
        const result_t r = script.answer(name() + ".lock");
        if (failed(r)) return r;
        std::string &memory = script.buffers[m_buffer].memory;
        if (offset >= memory.size()) return DSERR_INVALIDPARAM;
        *region = memory.data() + offset;
        *length = std::min<uint32_t>(bytes, uint32_t(memory.size()) - offset);
        return r;
    }
    result_t unlock(void *region, uint32_t length) override {
        const result_t r = script.answer(name() + ".unlock");
        std::string &memory = script.buffers[m_buffer].memory;
        const auto offset = uint32_t(static_cast<char *>(region) - memory.data());
        script.buffers[m_buffer].written.push_back({offset, memory.substr(offset, length)});
        return r;
    }
    result_t restore() override { return script.answer(name() + ".restore"); }
    result_t play(bool looping) override {
        const result_t r = script.answer(name() + ".play");
        if (!failed(r)) {
            voice().playing = true;
            voice().looping = looping;
        }
        return r;
    }
    result_t stop() override {
        const result_t r = script.answer(name() + ".stop");
        if (!failed(r)) voice().playing = false;
        return r;
    }
    result_t get_status(uint32_t *status) override {
        const result_t r = script.answer(name() + ".get_status");
        *status = voice().playing ? STATUS_PLAYING : 0u;
        return r;
    }
    result_t get_current_position(uint32_t *play) override {
        const result_t r = script.answer(name() + ".get_current_position");
        *play = voice().cursor;
        return r;
    }
    result_t set_current_position(uint32_t play) override {
        const result_t r = script.answer(name() + ".set_current_position");
        if (!failed(r)) {
            voice().positions_set.push_back(play);
            voice().cursor = play;
        }
        return r;
    }
    result_t set_volume(int32_t millibels) override {
        const result_t r = script.answer(name() + ".set_volume");
        if (!failed(r)) voice().volume = millibels;
        return r;
    }
    result_t set_frequency(uint32_t hertz) override {
        const result_t r = script.answer(name() + ".set_frequency");
        if (!failed(r)) voice().frequency = hertz;
        return r;
    }
    result_t query_3d(auto_ptr_t<buffer_3d_i> &out) override {
        const result_t r = script.answer(name() + ".query_3d");
        if (failed(r)) return r;
        if (!(script.buffers[m_buffer].desc.caps & CAPS_3D)) return DSERR_CONTROLUNAVAIL;
        out.reset(new fake_3d_t(size_t(m_voice)));
        return r;
    }

    size_t buffer_index() const { return m_buffer; }

private:
    std::string name() const { return m_voice >= 0 ? "channel" : "buffer"; }
    scripted_voice_t &voice() {
        // The device plays duplicates only; a buffer played itself has a voice of its
        // own at the end of the list.
        if (m_voice < 0) {
            script.voices.push_back(scripted_voice_t{m_buffer});
            m_voice = int(script.voices.size() - 1);
        }
        return script.voices[size_t(m_voice)];
    }

    size_t m_buffer;
    int m_voice;
};

class fake_listener_t : public listener_3d_i {
public:
    result_t set_all(const listener_params_t &params, bool) override {
        const result_t r = script.answer("listener.set_all");
        if (!failed(r)) script.listeners.push_back(params);
        return r;
    }
    result_t commit_deferred() override { return script.answer("listener.commit"); }
};

class fake_primary_t : public primary_i {
public:
    result_t set_format(const wave_format_t &format) override {
        const result_t r = script.answer("primary.set_format");
        script.formats.push_back(format);
        return r;
    }
    result_t query_listener(auto_ptr_t<listener_3d_i> &out) override {
        const result_t r = script.answer("primary.query_listener");
        if (!failed(r)) out.reset(new fake_listener_t);
        return r;
    }
};

class fake_output_t : public output_i {
public:
    fake_output_t() { ++script.outputs_alive; }
    ~fake_output_t() override { --script.outputs_alive; }

    result_t set_cooperative_level(void *, cooperation_t) override {
        return script.answer("output.set_cooperative_level");
    }
    result_t create_primary(auto_ptr_t<primary_i> &out) override {
        const result_t r = script.answer("output.create_primary");
        if (!failed(r)) out.reset(new fake_primary_t);
        return r;
    }
    result_t create_buffer(const buffer_desc_t &desc, auto_ptr_t<sound_buffer_i> &out) override {
        const result_t r = script.answer("output.create_buffer");
        if (failed(r)) return r;
        scripted_sound_buffer_t b;
        b.desc = desc;
        b.memory.assign(desc.bytes, '\xEE');
        script.buffers.push_back(b);
        out.reset(new fake_buffer_t(script.buffers.size() - 1, -1));
        return r;
    }
    result_t duplicate(sound_buffer_i &original, auto_ptr_t<sound_buffer_i> &out) override {
        const result_t r = script.answer("output.duplicate");
        if (failed(r)) return r;
        const size_t buffer = static_cast<fake_buffer_t &>(original).buffer_index();
        script.voices.push_back(scripted_voice_t{buffer});
        out.reset(new fake_buffer_t(buffer, int(script.voices.size() - 1)));
        return r;
    }
    void advance(double seconds) override { script.advanced += seconds; }
    result_t render(void *, uint32_t) override { return DSERR_UNSUPPORTED; }
    const char *describe() const override { return "a scripted output"; }
};

}  // namespace

result_t output_script_t::answer(const std::string &operation) {
    calls.push_back(operation);
    auto n = next.find(operation);
    if (n != next.end() && !n->second.empty()) {
        const result_t r = n->second.front();
        n->second.pop_front();
        return r;
    }
    auto a = always.find(operation);
    return a != always.end() ? a->second : DS_OK;
}

int output_script_t::count(const std::string &operation) const {
    return int(std::count(calls.begin(), calls.end(), operation));
}

output_script_t &output_script() { return script; }

void reset_output_script() { script = output_script_t(); }

result_t scripted_output_create(output_ref_t &out) {
    const result_t r = script.answer("output.create");
    if (failed(r)) return r;
    out = output_ref_t::adopt(new fake_output_t);
    return r;
}

}  // namespace quarn::test
