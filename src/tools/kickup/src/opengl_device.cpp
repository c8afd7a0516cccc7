#include "opengl_device.h"

#include "exceptions.h"
#include "settings.h"
#include "string_table.h"

namespace quarn::kickup {

namespace {

constexpr const char *SOURCE_UNIT = "opengl_device";
constexpr const char *FALLBACK_MODE = "800x600x32x0";

// Window sizes for a desktop that lists none smaller than itself, smallest first.
constexpr struct {
    int32_t width, height;
} COMMON_WINDOW_SIZES[] = {{640, 480},   {800, 600},   {1024, 768},  {1152, 864},  {1280, 720},
                           {1280, 800},  {1280, 960},  {1280, 1024}, {1366, 768},  {1440, 900},
                           {1600, 900},  {1600, 1200}, {1680, 1050}, {1920, 1080}, {1920, 1200},
                           {2560, 1440}, {2560, 1600}, {3840, 2160}};

char fold(char c) { return c >= 'A' && c <= 'Z' ? char(c + ('a' - 'A')) : c; }

bool starts_with_folded(const std::string &text, const std::string &prefix) {
    if (prefix.size() > text.size()) return false;
    for (size_t i = 0; i < prefix.size(); ++i)
        if (fold(text[i]) != fold(prefix[i])) return false;
    return true;
}

}  // namespace

int32_t render_device_t::rate(const settings_t &levels) const {
    const std::string renderer = renderer_name();
    size_t best = 0;
    int32_t result = int32_t(levels.child_count() / 2);
    for (size_t level = 0; level < levels.child_count(); ++level) {
        const settings_t &keys = levels.child_at(level);
        for (size_t k = 0; k < keys.key_count(); ++k) {
            const std::string &key = keys.key_at(k);
            if (key.size() > best && starts_with_folded(renderer, key)) {
                result = int32_t(level);
                best = key.size();
                break;
            }
        }
    }
    return result;
}

display_mode_t render_device_t::recommended_mode(int32_t level) const {
    if (m_recommended.empty()) return display_mode_from_text(FALLBACK_MODE);
    if (level < 0) level = 0;
    return m_recommended[std::min(size_t(level), m_recommended.size() - 1)];
}

bool render_device_t::meets_minimum(const display_mode_t &m) const {
    return m.bits >= m_minimum.bits && m.width >= m_minimum.width && m.height >= m_minimum.height;
}

display_mode_t render_device_t::default_mode(const display_answers_t &display, int32_t card_rating) const {
    const display_mode_t recommended = recommended_mode(card_rating);
    display_mode_t desktop;
    if (!display.desktop_mode(&desktop)) return recommended;
    if (recommended.width < desktop.width || recommended.height < desktop.height || recommended.bits < desktop.bits)
        return recommended;
    desktop.number = 0;
    desktop.flags = 0;
    return desktop;
}

void render_device_t::read_window_sizes(const display_answers_t &display) {
    m_window_sizes.clear();
    display_mode_t desktop;
    const bool bounded = display.desktop_mode(&desktop);
    const auto fits = [&](int32_t width, int32_t height) {
        return !bounded || (width < desktop.width && height <= desktop.height);
    };
    const auto add = [&](const display_mode_t &m) {
        for (const display_mode_t &e : m_window_sizes)
            if (e.width == m.width && e.height == m.height) return;
        m_window_sizes.push_back(m);
    };
    for (const display_mode_t &m : m_modes)
        if (fits(m.width, m.height)) add(m);
    if (!m_window_sizes.empty() || !bounded) return;
    // A window needs no mode of the display: any size that fits the desktop will do.
    const int32_t bits = desktop.bits >= m_minimum.bits ? desktop.bits : m_modes.empty() ? m_minimum.bits
                                                                                         : m_modes.front().bits;
    for (const auto &size : COMMON_WINDOW_SIZES) {
        const display_mode_t m{0, size.width, size.height, bits, 0, 0};
        if (fits(m.width, m.height) && meets_minimum(m)) add(m);
    }
}

std::vector<const render_path_t *> render_device_t::paths_by_priority() const {
    std::vector<const render_path_t *> out;
    for (const auto &[priority, path] : m_paths_by_priority) out.push_back(path);
    return out;
}

const render_path_t *render_device_t::find_path(int32_t id) const {
    const auto it = m_paths_by_id.find(id);
    return it == m_paths_by_id.end() ? nullptr : it->second.get();
}

bool render_device_t::add_path(render_path_t path, uint32_t priority) {
    if (m_paths_by_id.count(path.id) || m_paths_by_priority.count(priority)) return false;
    const int32_t id = path.id;
    auto owned = std::make_unique<render_path_t>(std::move(path));
    m_paths_by_priority[priority] = owned.get();
    m_paths_by_id[id] = std::move(owned);
    return true;
}

std::unique_ptr<opengl_device_t> opengl_device_t::probe(gl_connector_t &gl, const display_answers_t &display,
                                                        const settings_t &section) {
    auto device = std::make_unique<opengl_device_t>();
    // The context goes when this scope ends, thrown out of or not.
    const std::unique_ptr<gl_answers_t> context = gl.connect();
    device->m_vendor = context->vendor();
    device->m_renderer = context->renderer();
    device->m_version = context->version();
    device->m_minimum = display_mode_from_text(section.get_string("minimum_display_mode", ""));
    const settings_t &recommended = section.get_section("recommended_display_modes");
    for (size_t i = 0; i < recommended.key_count(); ++i)
        device->m_recommended.push_back(
            display_mode_from_text(recommended.get_string(std::to_string(i), FALLBACK_MODE)));
    device->read_modes(display);
    device->read_window_sizes(display);
    device->read_extensions(context->extensions());
    device->detect_render_paths(*context, section.get_section("path"));
    if (device->m_paths_by_id.empty()) KICKUP_THROW(render_device_init_exception_t, "No render paths detected.");
    return device;
}

void opengl_device_t::read_modes(const display_answers_t &display) {
    const display_mode_t *previous = nullptr;
    for (const display_mode_t &mode : display.modes()) {
        if (!meets_minimum(mode)) continue;
        // Each size and depth is offered once at the default rate, then at each rate
        // the display lists; a listed default rate is not offered twice.
        if (!previous || !mode.same_size_and_depth(*previous)) m_modes.push_back({0, mode.width, mode.height, mode.bits, 0, 0});
        bool listed = false;
        for (const display_mode_t &m : m_modes) listed |= m.same_as(mode);
        if (!listed) m_modes.push_back(mode);
        previous = &mode;
    }
    if (m_modes.empty()) KICKUP_THROW(render_device_init_exception_t, "No display modes detected.");
}

void opengl_device_t::read_extensions(const std::string &text) {
    size_t pos = 0;
    while (pos < text.size()) {
        const size_t start = text.find_first_not_of(" \t\n\r\f\v", pos);
        if (start == std::string::npos) break;
        size_t end = text.find_first_of(" \t\n\r\f\v", start);
        if (end == std::string::npos) end = text.size();
        m_extensions.insert(text.substr(start, end - start));
        pos = end;
    }
}

bool opengl_device_t::path_qualifies(const gl_answers_t &gl, const settings_t &paths, const settings_t &path) const {
    path.get_unsigned("path_id", 0);  // a bad id is an error even where no query runs
    const settings_t &queries = path.get_section("queries");
    const settings_t &definitions = paths.get_section("hw_queries");
    for (size_t i = 0; i < queries.key_count(); ++i) {
        const std::string &query = queries.key_at(i);
        const settings_t &definition = definitions.get_section(query);
        const std::string type = definition.get_string("type", "");
        if (type == "presence") {
            if (!m_extensions.count(definition.get_string("query_id", ""))) return false;
        } else if (type == "int") {
            const uint32_t enumerant =
                paths.get_section("hw_query_ids").get_hex(definition.get_string("query_id", ""), 0);
            int32_t value = 0;
            gl.get_integer(enumerant, &value);
            if (int64_t(value) < int64_t(queries.get_unsigned(query, 0))) return false;
        } else {
            KICKUP_THROW(render_device_init_exception_t, "Query type unknown [" + type + "]");
        }
    }
    return true;
}

void opengl_device_t::detect_render_paths(const gl_answers_t &gl, const settings_t &paths) {
    const std::string preselected = paths.get_section("preselections").get_string(m_renderer, "");
    const settings_t &candidates = paths.get_section("render_paths");
    const size_t n = candidates.child_count();
    std::vector<render_path_t> fallbacks;
    for (size_t i = 0; i < n; ++i) {
        const settings_t &candidate = candidates.child_at(i);
        if (!path_qualifies(gl, paths, candidate)) continue;
        render_path_t path;
        path.id = int32_t(candidate.get_unsigned("path_id", 0));
        path.name = candidate.name();
        path.description = load_resource_string(int(candidate.get_unsigned("description_id", 0)));
        if (candidate.get_unsigned("fallback", 0) != 0) {
            fallbacks.push_back(std::move(path));
            continue;
        }
        const bool chosen = preselected.empty() || preselected == path.name;
        if (add_path(std::move(path), uint32_t(n - i)) && chosen) m_default_path = m_paths_by_priority.begin()->second;
    }
    if (m_paths_by_id.empty()) {
        const size_t m = fallbacks.size();
        for (size_t j = 0; j < m; ++j) add_path(std::move(fallbacks[j]), uint32_t(m - j));
        if (!m_paths_by_priority.empty()) m_default_path = m_paths_by_priority.begin()->second;
    }
    // A preselected path that does not qualify chooses nothing: the default is then
    // the one chosen without a preselection.
    if (!m_default_path && !m_paths_by_priority.empty()) m_default_path = m_paths_by_priority.begin()->second;
}

}  // namespace quarn::kickup
