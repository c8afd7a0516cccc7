#pragma once
// A module compiled into the test program, found by the name "testmod" as the game
// module is found by "lib/game". Executing it runs one process for two passes; a
// test may look around from inside the boot at that moment.
#include "qrncore/system/dl_lib.h"

namespace quarn::test {

class test_module_t : public dl_ops_t {
public:
    bool dl_register(void *main_module, void *module) override;
    bool dl_execute(void *main_module, void *module, unsigned command, void *data) override;

    bool refuse_execute = false;
    // Called while the module registers / executes, with the kernel booted.
    void (*on_register)() = nullptr;
    void (*on_execute)() = nullptr;
};

extern test_module_t test_module;

}  // namespace quarn::test
