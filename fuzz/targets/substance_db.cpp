// Reads arbitrary bytes as a substance file, then looks up every name the table holds
// and every index, so entries that the reading left inconsistent show.
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "qrncore/qrnutils/substance/substance_db.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    std::vector<char> text(data, data + size);
    quarn::substance_db_load_text(text.data(), text.size(), "<fuzz>");
    for (uint32_t i = 0; i < quarn::SUBSTANCE_COUNT + 2; ++i) {
        quarn::string name = quarn::substance_idx2name(i);
        if (!name.is_empty() && quarn::substance_name2idx(name) > i) abort();
    }
    quarn::get_used_substance_count();
    return 0;
}
