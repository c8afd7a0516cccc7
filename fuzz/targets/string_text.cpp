// Feeds arbitrary bytes to the readers of text forms: floats, name tokens, and a
// stored text read back from a file, into both a heap and a fixed text.
#include <cstdint>
#include <cstring>
#include <string>

#include "qrncore/qrnutils/ufs/file.h"
#include "qrncore/strings/name_token.h"
#include "qrncore/strings/number_text.h"
#include "qrncore/strings/paths.h"
#include "qrncore/strings/string_dyn.h"
#include "qrncore/strings/string_fixed.h"
#include "qrncore/strings/string_tokenizer.h"

namespace {

class bytes_file_t : public quarn::file_t {
public:
    bytes_file_t(const uint8_t *data, size_t size) : file_t("<fuzz>"), m_data(data), m_size(size) {}

protected:
    bool io_read(void *buf, uint32_t len, uint64_t offset) override {
        if (offset > m_size || len > m_size - offset) return false;
        memcpy(buf, m_data + offset, len);
        return true;
    }
    bool io_stat(quarn::fs_stat_t *out) override {
        out->size = m_size;
        return true;
    }

private:
    const uint8_t *m_data;
    size_t m_size;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    std::string text(reinterpret_cast<const char *>(data), size);
    const char *s = text.c_str();

    float f;
    if (quarn::string_to_float(f, s)) {
        quarn::mstring_dyn_t back;
        quarn::float_to_string(back, f);
    }
    uint64_t token;
    if (quarn::string_to_token(token, s)) {
        quarn::string_fixed_t<16> name;
        quarn::token_to_string(name, token);
    }
    quarn::mstring_dyn_t dir, name, ext, composed;
    quarn::v_fnsplit(s, &dir, &name, &ext);
    quarn::v_fncompose(composed, dir, name, ext);
    quarn::v_change_extension(composed, ".x");

    quarn::string_tokenizer_t tok(s, " ,;");
    quarn::string_fixed_t<8> piece;
    while (tok.get_next(&piece)) {
    }

    bytes_file_t heap_file(data, size), fixed_file(data, size);
    quarn::mstring_dyn_t heap;
    while (heap.read(heap_file)) {
    }
    quarn::string_fixed_t<32> fixed;
    while (fixed.read(fixed_file)) {
    }
    return 0;
}
