#pragma once
// Writes unit files ("RozErere" text, docs/units.md) for the map's objects: one unit
// a line, attributes as the unit reader takes them. Reals are written with nine
// significant digits, so they read back as the same float.
#include <cstdint>
#include <string>

#include "qrncore/math/quat.h"
#include "qrncore/math/vec.h"

namespace mapgen {

class map_unit_text_t {
public:
    // The file's first comment line names where it came from.
    explicit map_unit_text_t(const std::string &source);

    // Opens a unit of the type under the name (a dotted unit name, or ".x" for a name
    // local to the file).
    void begin(const char *type, const std::string &name);
    void end();

    void text(const char *key, const std::string &value);  // a quoted text
    void word(const char *key, const std::string &value);  // an enumeration symbol, a unit name
    void real(const char *key, float value);
    void whole(const char *key, uint32_t value);
    void boolean(const char *key, bool value);
    void vec3(const char *key, const quarn::vec3_t &value);
    void quat(const char *key, const quarn::quat_t &value);
    void placement(const char *key, const quarn::vec3_t &position, float scale, const quarn::quat_t &rotation);

    // Closes the file's block; the whole text.
    std::string finish();

private:
    void put(const char *key, const std::string &value);

    std::string m_text;
};

// A real as the writer writes it.
std::string map_real_text(float value);
// Whether a unit name is a dotted name of name tokens (each 1 to 12 letters, digits
// or underscores).
bool map_is_unit_name(const std::string &name);
// Whether a text can stand in quotes in a unit file (no quote, backslash or control
// byte).
bool map_is_plain_text(const std::string &text);

}  // namespace mapgen
