#include "game/scene/species_curve.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <cstring>

#include "outside/qrnshared/def_obj.h"
#include "qrncore/system/messages.h"

namespace quarn {

// A whole number of decimal digits (the hour) and a real, each the whole token.
bool curve_read_hour(const char *text, size_t length, int32_t &out) {
    if (length == 0 || length > 9) return false;
    int32_t value = 0;
    for (size_t i = 0; i < length; ++i) {
        if (text[i] < '0' || text[i] > '9') return false;
        value = value * 10 + (text[i] - '0');
    }
    out = value;
    return true;
}

bool curve_read_real(const char *text, size_t length, float &out) {
    char token[64];
    if (length == 0 || length >= sizeof token) return false;
    memcpy(token, text, length);
    token[length] = '\0';
    char *end = nullptr;
    errno = 0;
    const float value = strtof(token, &end);
    if (end != token + length || errno == ERANGE || !std::isfinite(value)) return false;
    out = value;
    return true;
}

namespace {

// The pairs of a day curve; false for a list that does not read or does not rise.
struct curve_t {
    static constexpr uint32_t MAX_PAIRS = 64;
    int32_t hours[MAX_PAIRS];
    float values[MAX_PAIRS];
    uint32_t count = 0;
};

bool parse_curve(const char *text, curve_t &curve) {
    const char *p = text;
    bool want_hour = true;
    int32_t hour = 0;
    for (;;) {
        const char *colon = strchr(p, ':');
        const size_t length = colon ? size_t(colon - p) : strlen(p);
        if (want_hour) {
            if (!curve_read_hour(p, length, hour)) return false;
            const int32_t last = curve.count ? curve.hours[curve.count - 1] : 0;
            if (hour <= last) return false;
        } else {
            float value = 0.0f;
            if (!curve_read_real(p, length, value) || curve.count == curve_t::MAX_PAIRS) return false;
            curve.hours[curve.count] = hour;
            curve.values[curve.count] = value;
            ++curve.count;
        }
        want_hour = !want_hour;
        if (!colon) break;
        p = colon + 1;
    }
    return want_hour && curve.count > 0;
}

}  // namespace

float read_species_curve(const def_obj_t &species, const char *key, float x, float default_value) {
    const char *text = species.get_value(key);
    if (!text) {
        error("[game] cannot get (%s) value of species (%s)", key, species.get_name());
        return default_value;
    }
    curve_t curve;
    if (!parse_curve(text, curve)) {
        error("[game] invalid (%s) value of species (%s)", key, species.get_name());
        return default_value;
    }
    if (x <= float(curve.hours[0])) return curve.values[0];
    for (uint32_t i = 1; i < curve.count; ++i) {
        const float h0 = float(curve.hours[i - 1]);
        const float h1 = float(curve.hours[i]);
        if (x <= h1) return curve.values[i - 1] + (curve.values[i] - curve.values[i - 1]) * (x - h0) / (h1 - h0);
    }
    return curve.values[curve.count - 1];
}

}  // namespace quarn
