#pragma once
// dlguard_proc_t: the process of a plug-in, guarding its module. Like every process it
// is killed only once its holds are released; when it is destroyed it asks the kernel
// to unload its module, which the kernel does after the pass, when none of the
// module's code is running any more.
#include "outside/qrnshared/vprocess.h"

namespace quarn {

class QRNSHARED_API dlguard_proc_t : public vprocess_t {
public:
    // module: the plug-in's own module handle (the main program's for a module
    // compiled into it).
    explicit dlguard_proc_t(void *module, int priority = 0);
    ~dlguard_proc_t() override;

    void *get_module() const { return m_module; }

private:
    void *m_module;
};

}  // namespace quarn
