#include "outside/visbase/visbase.h"

#include "qrncore/system/messages.h"

namespace quarn {

void visbase_init(void *) { message("[visbase] started"); }

void visbase_shutdown() { message("[visbase] stopped"); }

}  // namespace quarn
