#include "game/ai/animals/species_interaction.h"

#include <cmath>
#include <cstdlib>
#include <cstring>

namespace quarn {

void species_interaction_read(const char *text, array_dyn_t<float> &out) {
    out.clear();
    const char *p = text ? text : "";
    for (;;) {
        const char *end = strchr(p, ',');
        const size_t length = end ? size_t(end - p) : strlen(p);
        // A field longer than any number is not one: it reads 0.
        char field[64];
        float value = 0.0f;
        if (length < sizeof field) {
            memcpy(field, p, length);
            field[length] = '\0';
            char *stop = nullptr;
            const float v = strtof(field, &stop);
            // Blanks may follow the number; anything else makes the field no number.
            while (stop && (*stop == ' ' || *stop == '\t')) ++stop;
            if (stop != field && stop && *stop == '\0' && std::isfinite(v)) value = v;
        }
        out.append(value);
        if (!end) break;
        p = end + 1;
    }
}

float species_interaction_of(const array_dyn_t<float> &list, int32_t species_index) {
    if (species_index < 0 || uint32_t(species_index) >= list.get_count()) return 0.0f;
    return list[uint32_t(species_index)];
}

}  // namespace quarn
