#include "game/ai/animals/species.h"

#include <cmath>
#include <cstdlib>
#include <cstring>

#include "kernel/sys.h"
#include "outside/qrnshared/def_obj.h"
#include "qrncore/numerics/randomizer.h"
#include "qrncore/system/messages.h"

namespace quarn {

namespace {

constexpr float PI = 3.14159265358979f;

// One field of a range: a decimal number, blanks around it allowed, finite.
bool read_bound(const char *begin, const char *end, float &out) {
    while (begin < end && (*begin == ' ' || *begin == '\t')) ++begin;
    while (end > begin && (end[-1] == ' ' || end[-1] == '\t')) --end;
    if (begin == end || end - begin > 63) return false;
    char field[64];
    memcpy(field, begin, size_t(end - begin));
    field[end - begin] = 0;
    char *stop = nullptr;
    const float v = strtof(field, &stop);
    if (stop != field + (end - begin) || !std::isfinite(v)) return false;
    out = v;
    return true;
}

// "lo:hi": exactly two numbers parted by one ':'.
bool read_range(const char *text, float &lo, float &hi) {
    const char *colon = strchr(text, ':');
    if (!colon || strchr(colon + 1, ':')) return false;
    return read_bound(text, colon, lo) && read_bound(colon + 1, text + strlen(text), hi);
}

// cos³(πr) with r from the source, or from the kernel without one: in [-1, 1].
float random_swing(randomizer_t *random) {
    const float r = random ? random->rand() : sys_rand();
    const float c = std::cos(PI * r);
    return c * c * c;
}

// lo to hi spread over the size's length (lo at L07, hi at L13), times the random
// factor 1 + swing cos³(πr); in double, so that a range near the float limits does not
// overflow on the way. False when the result is no finite float.
bool spread(float lo, float hi, double length, float swing, randomizer_t *random, float &out) {
    const double fraction = (length - ANIMAL_SIZE_L07) / (double(ANIMAL_SIZE_L13) - ANIMAL_SIZE_L07);
    const double value = (lo + fraction * (double(hi) - lo)) * (1.0 + swing * double(random_swing(random)));
    out = float(value);
    return std::isfinite(out);
}

}  // namespace

double animal_size_length(float size) { return double(size) * std::sqrt(3.0); }

float animal_compute_score(const def_obj_t &gender, float size, randomizer_t *random) {
    if (!std::isfinite(size)) {
        error("[animal] invalid animal size factor (%g) of (%s)", double(size), gender.get_name());
        return 0.0f;
    }
    const char *type = gender.get_dvalue("scoring_type", "");
    if (strcmp(type, "antlers") == 0 || strcmp(type, "none") == 0) return 0.0f;
    if (strcmp(type, "size") != 0) warning("[animal] invalid animal scoring type (%s) - falling back to size", type);
    const char *range = gender.get_value("score_range");
    if (!range) {
        error("[animal] cannot get animal scoring range !");
        return 0.0f;
    }
    float lo = 0.0f, hi = 0.0f;
    if (!read_range(range, lo, hi)) {
        error("[animal] invalid animal scoring range (%s)", range);
        return 0.0f;
    }
    const double length = animal_size_length(size);
    const double c = length < ANIMAL_SIZE_L07 ? ANIMAL_SIZE_L07 : length > ANIMAL_SIZE_L13 ? ANIMAL_SIZE_L13 : length;
    float score = 0.0f;
    if (!spread(lo, hi, c, 0.02f, random, score)) {
        error("[animal] invalid animal scoring range (%s)", range);
        return 0.0f;
    }
    return score;
}

float animal_compute_weight(const def_obj_t &gender, float size, randomizer_t *random) {
    if (!std::isfinite(size)) {
        error("[animal] invalid animal size factor (%g) of (%s)", double(size), gender.get_name());
        return 0.0f;
    }
    const char *range = gender.get_value("weight_range");
    if (!range) {
        error("[animal] Cannot get weight range for animal gender (%s)!", gender.get_name());
        return 0.0f;
    }
    float lo = 0.0f, hi = 0.0f;
    if (!read_range(range, lo, hi)) {
        error("[animal] invalid animal weight range (%s)", range);
        return 0.0f;
    }
    float weight = 0.0f;
    if (!spread(lo, hi, animal_size_length(size), 0.07f, random, weight)) {
        error("[animal] invalid animal weight range (%s)", range);
        return 0.0f;
    }
    return weight;
}

}  // namespace quarn
