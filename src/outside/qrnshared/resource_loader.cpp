#include "outside/qrnshared/resource_loader.h"

namespace quarn {

resource_loader_t::~resource_loader_t() = default;

}  // namespace quarn
