#include "map_environment.h"

#include <cmath>
#include <cstdio>
#include <filesystem>

#include "map_section_util.h"
#include "qrncore/system/messages.h"
#include "zm_writer.h"

namespace mapgen {

using quarn::def_obj_t;

namespace {

// Text that a unit file can quote as it stands.
bool is_quotable(const std::string &s) {
    for (char c : s)
        if (c == '"' || c == '\\' || static_cast<unsigned char>(c) < 0x20) return false;
    return true;
}

std::string number(float v) {
    char text[32];
    snprintf(text, sizeof text, "%g", double(v));
    return text;
}

}  // namespace

bool map_read_weather(const map_t &map, const def_obj_t &block, zmgen::zm_def_reader_t &r, map_weather_t &out) {
    const def_obj_t *o = &block;
    if (!r.check(o, {"pretty_name", "sun", "weather_cond", "skybox", "fog_intensity", "fog_visibility", "fog_colour",
                     "fog_dims_sun", "temperature", "wind", "sun_name"}))
        return false;
    map_weather_t w;
    w.name = o->get_name();
    if (!map_is_word(w.name)) return r.fail(o, nullptr, "the preset '%s' needs a name of letters, digits and '_'", w.name.c_str());
    w.pretty_name = r.has(o, "pretty_name") ? r.text(o, "pretty_name") : "@@df_weather_" + w.name + "@@";
    if (!is_quotable(w.pretty_name)) return r.fail(o, "pretty_name", "'pretty_name' may not hold quotes, backslashes or control characters");
    w.sun_name = r.has(o, "sun_name") ? r.text(o, "sun_name") : map.name;
    if (!is_quotable(w.sun_name)) return r.fail(o, "sun_name", "'sun_name' may not hold quotes, backslashes or control characters");

    for (const char *key : {"sun", "skybox", "temperature", "wind"})
        if (!r.has(o, key)) return r.fail(o, nullptr, "the preset '%s' has no '%s'", w.name.c_str(), key);
    w.sun = r.text(o, "sun");
    const size_t dot = w.sun.rfind('.');
    if (dot == std::string::npos || w.sun.substr(dot) != ".sui" || !map_is_word(w.sun.substr(0, dot)))
        return r.fail(o, "sun", "'sun' names a sun table of \"/map/common/\" (\"sun.sui\"), not \"%s\"", w.sun.c_str());
    w.skybox = r.text(o, "skybox");
    if (!map_is_word(w.skybox)) return r.fail(o, "skybox", "'skybox' needs a look name of letters, digits and '_'");

    if (r.has(o, "weather_cond")) {
        if (!r.real(o, "weather_cond", w.cond)) return false;
        if (!(w.cond >= 0.0f && w.cond <= 1.0f)) return r.fail(o, "weather_cond", "'weather_cond' must lie in 0..1");
        w.has_cond = true;
    }

    const bool by_intensity = r.has(o, "fog_intensity"), by_visibility = r.has(o, "fog_visibility");
    if (by_intensity == by_visibility)
        return r.fail(o, nullptr, "the preset '%s' needs one of 'fog_intensity' and 'fog_visibility'", w.name.c_str());
    w.fog_by_visibility = by_visibility;
    if (!r.real(o, by_visibility ? "fog_visibility" : "fog_intensity", w.fog)) return false;
    if (by_visibility && !(w.fog > 0.0f && std::isfinite(w.fog)))
        return r.fail(o, "fog_visibility", "'fog_visibility' must be a distance above 0");
    if (by_intensity && !(w.fog > 0.0f && w.fog <= 1.0f))
        return r.fail(o, "fog_intensity", "'fog_intensity' must lie above 0 and at most 1");
    if (!r.vec3(o, "fog_colour", w.fog_colour)) return false;
    for (float c : {w.fog_colour.x, w.fog_colour.y, w.fog_colour.z})
        if (!(c >= 0.0f && c <= 1.0f)) return r.fail(o, "fog_colour", "'fog_colour' needs three values in 0..1");
    if (!r.boolean(o, "fog_dims_sun", w.fog_dims_sun)) return false;

    float t[2];
    if (!r.reals(o, "temperature", t, 2)) return false;
    if (!(std::isfinite(t[0]) && std::isfinite(t[1]) && t[0] <= t[1]))
        return r.fail(o, "temperature", "'temperature' needs the lowest and the highest degrees, lowest first");
    w.min_temperature = t[0];
    w.max_temperature = t[1];
    if (!r.real(o, "wind", w.wind)) return false;
    if (!(w.wind >= 0.0f && std::isfinite(w.wind))) return r.fail(o, "wind", "'wind' must be a speed of 0 or more");
    out = std::move(w);
    return true;
}

std::string map_weather_text(const map_weather_t &w) {
    std::string s = "RozErere\n{\n# Written by mapgen: the \"" + w.name + "\" weather of the map \"" + w.sun_name + "\".\n";
    s += "sun : .sun {\n@include \"/map/common/" + w.sun + "\"\n}\n";
    s += "fog : .fog {\n";
    s += std::string(w.fog_by_visibility ? " max_visibility: " : " max_intensity: ") + number(w.fog) + "\n";
    s += " color: (" + number(w.fog_colour.x) + ", " + number(w.fog_colour.y) + ", " + number(w.fog_colour.z) + ")\n";
    if (w.fog_dims_sun) s += " affects_sunlight: true\n";
    s += "}\n";
    s += "temperature : .temperature {\n@include \"/map/common/temperature.sui\"\n";
    s += " min_temperature: " + number(w.min_temperature) + "\n max_temperature: " + number(w.max_temperature) + "\n}\n";
    s += "wind : .wind {\n wind_speed: " + number(w.wind) + "\n}\n";
    s += "environment_preset : .preset {\n@include \"/map/common/environment_preset.sui\"\n";
    s += " pretty_name: \"" + w.pretty_name + "\"\n";
    s += " sun: .sun\n fog: .fog\n temperature: .temperature\n wind: .wind\n";
    s += " skybox_name: \"" + w.skybox + "\"\n sun_name: \"" + w.sun_name + "\"\n";
    if (w.has_cond) s += " weather_cond: " + number(w.cond) + "\n";
    s += "}\n}\n";
    return s;
}

bool map_check_environment(const map_t &map, const def_obj_t &block, zmgen::zm_def_reader_t &r) {
    if (!r.check(&block, {}, {}, true)) return false;
    for (const def_obj_t *c = block.get_first_child(); c; c = c->get_next()) {
        map_weather_t w;
        if (!map_read_weather(map, *c, r, w)) return false;
    }
    return true;
}

bool map_write_environment(const map_t &map, const def_obj_t &block, const std::string &folder,
                           zmgen::zm_def_reader_t &r) {
    const std::string out = folder + "/environment";
    std::error_code error;
    std::filesystem::create_directories(out, error);
    if (error) {
        quarn::error("[mapgen] Cannot make the folder '%s': %s", out.c_str(), error.message().c_str());
        return false;
    }
    for (const def_obj_t *c = block.get_first_child(); c; c = c->get_next()) {
        map_weather_t w;
        if (!map_read_weather(map, *c, r, w)) return false;
        const std::string text = map_weather_text(w);
        if (!zmgen::zm_write_file(out + "/" + w.name + ".unit", zmgen::bytes_t(text.begin(), text.end()))) return false;
    }
    return true;
}

}  // namespace mapgen
