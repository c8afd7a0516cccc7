// Reads arbitrary bytes as a material file: the definition reader, then the material
// reader over the pool. A material that reads must hold what the format promises:
// tile sizes above 0, an effect path, one texture entry per sampler.
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "outside/qrnshared/def_pool.h"
#include "outside/qrnshared/material.h"
#include "qrncore/system/messages.h"

namespace {

// Silences the log: errors are the expected answer to most inputs.
class quiet_t : public quarn::message_handler_t {
public:
    void process_message(const quarn::string &, quarn::message_t::type_t) override {}
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    static quiet_t quiet;
    quarn::def_pool_t pool;
    if (!pool.read_text(reinterpret_cast<const char *>(data), size, "/fuzz/test.mat")) return 0;
    quarn::material_t material;
    if (!quarn::material_parse(pool, "/fuzz/test.mat", &material)) return 0;
    if (!(material.tile.x > 0.0f) || !(material.tile.y > 0.0f) || material.effect_path.is_empty()) abort();
    for (uint32_t i = 0; i < material.textures.get_count(); ++i) {
        const char *sampler = material.textures[i].sampler.c_str();
        if (material.texture_for(sampler) != material.textures[i].name.c_str()) abort();
    }
    return 0;
}
