#include "outside/sonbase/sonbase.h"

#include "qrncore/system/messages.h"

namespace quarn {

void sonbase_init(void *) { message("[sonbase] started"); }

void sonbase_shutdown() { message("[sonbase] stopped"); }

}  // namespace quarn
