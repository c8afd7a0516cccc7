#include "qrncore/strings/string.h"

namespace quarn {

const string string::EMPTY("");

}  // namespace quarn
