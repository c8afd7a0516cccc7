// Reads arbitrary bytes as the game's "config.cfg" the way the launcher does. A text
// either gives a model or the launcher's read error; a model's copy holds its "uset"
// lines in the launcher's own form, which must read back to the same names and values.
#include <cstdint>
#include <string>

#include "tools/kickup/src/config_file.h"
#include "tools/kickup/src/exceptions.h"

using quarn::kickup::config_file_t;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    const std::string text(reinterpret_cast<const char *>(data), size);
    config_file_t model;
    try {
        model = config_file_t::parse(text);
    } catch (const quarn::kickup::config_file_read_exception_t &) {
        return 0;
    }
    config_file_t copy;
    copy.merge(model);
    std::string written;
    for (const std::string &line : copy.lines()) written += line + "\r\n";
    const config_file_t again = config_file_t::parse(written);
    if (again.lines() != copy.lines()) __builtin_trap();
    for (const std::string &line : model.lines()) {
        std::string name, value;
        if (!quarn::kickup::parse_uset_line(line, &name, &value)) continue;
        // The later line of a name counts, in the model as in its copy.
        if (model.get_value(name) != copy.get_value(name) || copy.get_value(name) != again.get_value(name)) __builtin_trap();
        (void)model.get_int(name);
    }
    return 0;
}
