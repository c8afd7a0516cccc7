// Reads arbitrary bytes as the texture table ("/material/map/texture.db") against the
// game's substance list, then looks up every key it took: each must give the substance
// of the first entry of that key, and every entry's hash must be its key's.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "game/world/texture_substance.h"
#include "qrncore/qrnutils/substance/substance_db.h"
#include "qrncore/qrnutils/ufs/fs.h"
#include "qrncore/system/messages.h"

namespace {

class quiet_t : public quarn::message_handler_t {
public:
    void process_message(const quarn::string &, quarn::message_t::type_t) override {}
};

const char SUBSTANCES[] =
    "0 default 1 flesh 2 concrete 3 snow 4 meadow 5 grass 6 planks 7 leaves 8 wood 9 dirt 10 sand 11 moss "
    "12 mud_dry 13 gravel 14 rock 15 metal 16 water 17 ice";

bool set_up() {
    quarn::fs_startup();
    quarn::substance_db_load_text(SUBSTANCES, sizeof SUBSTANCES - 1, "<substances>");
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    static quiet_t quiet;
    static const bool ready = set_up();
    (void)ready;
    // No file is mounted: the request makes an empty table, which the input fills.
    quarn::texture_db_request();
    std::vector<char> text(data, data + size);
    quarn::texture_db_load_text(text.data(), text.size(), "<fuzz>");
    const uint32_t count = quarn::texture_db_entry_count();
    for (uint32_t i = 0; i < count; ++i) {
        const quarn::texture_substance_t &e = quarn::texture_db_entry(i);
        if (e.key_hash != quarn::texture_key_hash(e.key)) abort();
        if (e.substance > 17) abort();
        uint32_t first = i;
        for (uint32_t j = 0; j < i; ++j)
            if (quarn::texture_db_entry(j).key == e.key.c_str()) {
                first = j;
                break;
            }
        // The key is the path's folder and name: a key with a dot after its last
        // separator would be cut, and a key that does not begin with a separator
        // gets one; only keys that round-trip can be looked up.
        quarn::mstring_dyn_t key;
        quarn::texture_key(e.key, key);
        if (key == e.key.c_str() && quarn::substance_for_texture(e.key) != quarn::texture_db_entry(first).substance) abort();
    }
    quarn::texture_db_release();
    return 0;
}
