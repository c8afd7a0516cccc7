#include "qrncore/units/unit_class.h"

#include <cstdio>

#include "qrncore/system/messages.h"

namespace quarn {

void unit_abort_abstract_clone(const char *identifier) {
    char text[256];
    snprintf(text, sizeof(text), "Can not clone instance of abstract class %s.", identifier);
    V_ABORT(text);
}

}  // namespace quarn
