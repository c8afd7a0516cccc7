#include "test_module.h"

#include "kernel/process_table.h"

namespace quarn::test {

namespace {

class short_run_t : public vprocess_t {
public:
    short_run_t() : vprocess_t(0) { set_name("short_run"); }
    void handler() override {
        if (++m_passes == 2) process_terminate_all();
    }

private:
    int m_passes = 0;
};

}  // namespace

test_module_t test_module;

bool test_module_t::dl_register(void *, void *) {
    if (on_register) on_register();
    return true;
}

bool test_module_t::dl_execute(void *, void *, unsigned, void *) {
    if (refuse_execute) return false;
    if (on_execute) on_execute();
    process_add(new short_run_t, 0);
    return true;
}

}  // namespace quarn::test

extern "C" __attribute__((visibility("default"))) quarn::dl_ops_t *testmod_get_dl_ops() {
    return &quarn::test::test_module;
}
