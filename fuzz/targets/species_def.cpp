// Reads arbitrary bytes as a definition text and draws a score and a weight for every
// object of the pool, as if each were a species' gender, at sizes inside, below,
// above and outside the reference band (infinite and not a number among them). Every
// result must be a number; a malformed range gives 0. Each object's "thirst_pattern"
// and "rest_pattern" are read as day curves at hours inside, between, outside and
// beyond them: the value is the default or a finite number.
#include <cmath>
#include <cstdint>
#include <cstdlib>

#include "game/ai/animals/species.h"
#include "game/scene/species_curve.h"
#include "kernel/sys.h"
#include "outside/qrnshared/def_obj.h"
#include "outside/qrnshared/def_pool.h"
#include "qrncore/numerics/randomizer.h"
#include "qrncore/system/messages.h"

// The kernel's sequence is not linked into the target.
float sys_rand() { return 0.5f; }

namespace {

using namespace quarn;

// Silences the log: errors are the expected answer to most inputs.
class quiet_t : public message_handler_t {
public:
    void process_message(const string &, message_t::type_t) override {}
};

const float sizes[] = {0.0f, 0.8f, 1.0f, ANIMAL_SIZE_L07, 1.7f, ANIMAL_SIZE_L13, 3.0f, -2.0f, 1e30f, INFINITY, NAN};

void draw_all(const def_obj_t *o, randomizer_t &random, int depth) {
    for (; o && depth < 64; o = o->get_next()) {
        for (float s : sizes) {
            const float score = animal_compute_score(*o, s, (s > 1.0f) ? &random : nullptr);
            const float weight = animal_compute_weight(*o, s, &random);
            // Finite ranges over finite sizes give finite draws; nothing else may come out
            // as a number the writer would store as "nan".
            if (std::isfinite(s) && std::fabs(s) < 10.0f && (std::isnan(score) || std::isnan(weight))) abort();
        }
        for (const char *key : {"thirst_pattern", "rest_pattern"})
            for (float hour : {-1.0f, 0.0f, 6.5f, 12.0f, 24.0f, 1e9f, INFINITY, NAN}) {
                const float v = read_species_curve(*o, key, hour, 0.25f);
                if (!std::isfinite(v) && std::isfinite(hour)) abort();
            }
        draw_all(o->get_first_child(), random, depth + 1);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    static quiet_t quiet;
    def_pool_t pool;
    if (!pool.read_text(reinterpret_cast<const char *>(data), size, "/fuzz.def")) return 0;
    randomizer_t random{uint32_t(size)};
    draw_all(pool.get_first_object(), random, 0);
    return 0;
}
