#pragma once
// Stand-ins for the machine the launcher probes, and a message host that records what
// it would have shown.
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "tools/kickup/src/device_specs.h"
#include "tools/kickup/src/message_host.h"
#include "tools/kickup/src/settings.h"

namespace quarn::kickup::fakes {

struct gl_driver_t {
    std::string vendor = "Fake Vendor", renderer = "Fake Renderer", version = "2.1 Fake";
    std::string extensions = "GL_ARB_multitexture GL_ARB_texture_cube_map";
    std::map<uint32_t, int32_t> integers;
};

class fake_gl_t : public gl_answers_t {
public:
    explicit fake_gl_t(const gl_driver_t &driver, int *open_count) : m_driver(driver), m_open(open_count) { ++*m_open; }
    ~fake_gl_t() override { --*m_open; }
    std::string vendor() const override { return m_driver.vendor; }
    std::string renderer() const override { return m_driver.renderer; }
    std::string version() const override { return m_driver.version; }
    std::string extensions() const override { return m_driver.extensions; }
    bool get_integer(uint32_t enumerant, int32_t *value) const override {
        const auto it = m_driver.integers.find(enumerant);
        if (it == m_driver.integers.end()) return false;
        *value = it->second;
        return true;
    }

private:
    const gl_driver_t &m_driver;
    int *m_open;
};

// Hands out contexts of the driver it holds and counts the open ones; fail, when set,
// runs first and may throw what a failing driver would.
class fake_gl_connector_t : public gl_connector_t {
public:
    gl_driver_t driver;
    int open_contexts = 0;
    std::function<void()> fail;
    std::unique_ptr<gl_answers_t> connect() override {
        if (fail) fail();
        return std::make_unique<fake_gl_t>(driver, &open_contexts);
    }
};

class fake_display_t : public display_answers_t {
public:
    std::vector<display_mode_t> listed;
    bool has_desktop = true;
    display_mode_t desktop{0, 1280, 1024, 32, 60, 0};

    std::vector<display_mode_t> modes() const override {
        std::vector<display_mode_t> out = listed;
        for (size_t i = 0; i < out.size(); ++i) out[i].number = int32_t(i);
        return out;
    }
    bool desktop_mode(display_mode_t *mode) const override {
        if (has_desktop) *mode = desktop;
        return has_desktop;
    }
};

// A mode of a display list: width, height, bits, refresh.
inline display_mode_t mode(int32_t w, int32_t h, int32_t bits, int32_t refresh) { return {0, w, h, bits, refresh, 0}; }

class fake_machine_t : public machine_t {
public:
    cpu_info_t processor{"GenuineIntel", "Fake CPU", 2000};
    uint64_t memory_bytes = 1024u << 20;
    fake_gl_connector_t gl_connector;
    fake_display_t screen;

    cpu_info_t cpu() const override { return processor; }
    memory_info_t memory() const override { return memory_info_t(memory_bytes); }
    gl_connector_t &gl() override { return gl_connector; }
    const display_answers_t &display() const override { return screen; }
};

// Records every message box and question; questions get the next queued answer
// (No when none is queued).
class recording_host_t : public message_host_t {
public:
    struct shown_t {
        std::string text, caption;
        message_icon_t icon;
    };
    std::vector<shown_t> shown;
    std::vector<bool> answers;

    recording_host_t() { set_message_host(this); }
    ~recording_host_t() override { set_message_host(nullptr); }

    void show_message(const std::string &text, const std::string &caption, message_icon_t icon) override {
        shown.push_back({text, caption, icon});
    }
    bool ask_yes_no(const std::string &text, const std::string &caption) override {
        shown.push_back({text, caption, MESSAGE_QUESTION});
        if (answers.empty()) return false;
        const bool a = answers.front();
        answers.erase(answers.begin());
        return a;
    }
};

}  // namespace quarn::kickup::fakes
