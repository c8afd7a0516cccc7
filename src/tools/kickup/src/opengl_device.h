#pragma once
// Render devices: what a graphics driver offers the game (render paths, display
// modes) and how the hardware database rates it. The OpenGL device, the one the
// launcher builds, is probed through a temporary context (opengl_context.h) and the
// display's mode list (display_modes.h).
#include <cstdint>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "display_modes.h"
#include "opengl_context.h"

namespace quarn::kickup {

class settings_t;

// A way of drawing the game; its id is what the game's r_path names.
struct render_path_t {
    int32_t id = 0;
    std::string name;         // its section in the database
    std::string description;  // a text of the string table
};

class render_device_t {
public:
    virtual ~render_device_t() = default;

    virtual bool is_available() const = 0;
    // The card level whose key is the longest that begins the renderer name, ignoring
    // letter case (earlier levels win ties); the middle level when no key matches.
    virtual int32_t rate(const settings_t &levels) const;
    virtual bool supports_fullscreen() const = 0;
    virtual std::string driver_version() const = 0;
    virtual std::string renderer_name() const = 0;
    // The name the game's r_device gives it.
    virtual std::string device_name() const = 0;
    // 1 OpenGL, 2 Direct3D.
    virtual int32_t device_type() const = 0;

    // The recommended mode of a card level; beyond the last level the last one, and
    // "800x600x32x0" when the database recommends none.
    display_mode_t recommended_mode(int32_t level) const;
    size_t recommended_mode_count() const { return m_recommended.size(); }
    // Bits, width and height each at least the minimum's.
    bool meets_minimum(const display_mode_t &mode) const;
    // The recommended mode of the card level when it is smaller than the desktop in
    // width, height or depth, else the desktop's own mode.
    display_mode_t default_mode(const display_answers_t &display, int32_t card_rating) const;

    const std::vector<display_mode_t> &modes() const { return m_modes; }
    // The sizes offered for a window, each once: those of the modes that fit the
    // desktop (narrower, at most as high), the first mode of each size; where none
    // fits (a desktop whose modes are all as wide as the screen), the common sizes
    // that fit and meet the minimum, at the desktop's depth and the default rate.
    // Without a desktop to ask, the size of every mode.
    const std::vector<display_mode_t> &window_sizes() const { return m_window_sizes; }
    const display_mode_t &minimum_mode() const { return m_minimum; }
    // The paths in the order the user sees them.
    std::vector<const render_path_t *> paths_by_priority() const;
    const render_path_t *find_path(int32_t id) const;
    const render_path_t *default_path() const { return m_default_path; }

protected:
    // Adds a path under its id and priority; false (nothing added) when the id or the
    // priority is taken.
    bool add_path(render_path_t path, uint32_t priority);
    // Fills the window sizes from the modes (read first) and the desktop.
    void read_window_sizes(const display_answers_t &display);

    std::map<int32_t, std::unique_ptr<render_path_t>> m_paths_by_id;
    std::map<uint32_t, const render_path_t *> m_paths_by_priority;
    const render_path_t *m_default_path = nullptr;
    std::vector<display_mode_t> m_modes;
    std::vector<display_mode_t> m_window_sizes;
    display_mode_t m_minimum;
    std::vector<display_mode_t> m_recommended;
};

class opengl_device_t : public render_device_t {
public:
    bool is_available() const override { return true; }
    bool supports_fullscreen() const override { return true; }
    std::string driver_version() const override { return m_version; }
    std::string renderer_name() const override { return m_renderer; }
    std::string device_name() const override { return "gl"; }
    int32_t device_type() const override { return 1; }

    const std::string &vendor() const { return m_vendor; }
    const std::set<std::string> &extensions() const { return m_extensions; }

    // Probes the driver and the display against the database's "opengl" section.
    // Throws opengl_context_exception_t when no context opens,
    // render_device_init_exception_t for an unknown query type, no display mode or no
    // render path, and settings_fetch_exception_t for a bad number in the database.
    static std::unique_ptr<opengl_device_t> probe(gl_connector_t &gl, const display_answers_t &display,
                                                  const settings_t &section);

private:
    void read_modes(const display_answers_t &display);
    void read_extensions(const std::string &text);
    void detect_render_paths(const gl_answers_t &gl, const settings_t &paths);
    bool path_qualifies(const gl_answers_t &gl, const settings_t &paths, const settings_t &path) const;

    std::string m_vendor, m_renderer, m_version;
    std::set<std::string> m_extensions;
};

}  // namespace quarn::kickup
