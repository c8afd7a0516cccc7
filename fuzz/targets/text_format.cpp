// Fills arbitrary texts, as translations from data are filled, with two texts and two
// integers. Every argument text must come out whole or not at all, and the result can
// only be as long as the format and the arguments allow.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "outside/qrnshared/text_format.h"
#include "qrncore/strings/string_dyn.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    const std::string format(reinterpret_cast<const char *>(data), size);
    quarn::mstring_dyn_t out;
    const quarn::format_arg_t args[] = {"Left Ctrl", -7, "Mouse 1", uint32_t(0xFFFFFFFFu)};
    if (!quarn::text_format(out, format.c_str(), args, 4)) abort();
    // Each conversion adds at most its width or its argument's text.
    const size_t bound = format.size() * (quarn::TEXT_FORMAT_MAX_WIDTH + 24);
    if (out.length() > bound) abort();
    return 0;
}
