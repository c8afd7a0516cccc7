// Reads arbitrary bytes (up to the first 0) as a "species_interaction" text: there is
// one value per field, every value is a finite number, and every species index, in
// the list or not, answers a finite number.
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "game/ai/animals/species_interaction.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    const std::string text(reinterpret_cast<const char *>(data), size);
    quarn::array_dyn_t<float> list;
    quarn::species_interaction_read(text.c_str(), list);
    size_t fields = 1;
    for (char c : std::string(text.c_str())) fields += c == ',' ? 1 : 0;
    if (list.get_count() != fields) abort();
    for (float v : list)
        if (!std::isfinite(v)) abort();
    for (int32_t i : {-1, 0, 1, 7, int32_t(fields), 1 << 30})
        if (!std::isfinite(quarn::species_interaction_of(list, i))) abort();
    return 0;
}
