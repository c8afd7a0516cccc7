#include "outside/ctlbase/ctlbase.h"

#include "qrncore/system/messages.h"

namespace quarn {

void ctlbase_init(void *) { message("[ctlbase] started"); }

void ctlbase_shutdown() { message("[ctlbase] stopped"); }

}  // namespace quarn
