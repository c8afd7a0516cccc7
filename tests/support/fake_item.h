#pragma once
// An owner of memory-manager blocks that the tests and benchmarks fill in by hand: no
// unit, no record pool, and every operation of the item does nothing. Header-only and
// free of gtest, so that the benchmarks use it too.
#include "outside/qrnshared/c_item.h"

namespace quarn::test {

class fake_item_t : public c_item_t {
public:
    const char *get_name() const override { return "fake"; }
    bool is_named() const override { return false; }
    void mlru_enter() override {}
    void mlru_leave() override {}
    void touch() override {}
    void last_reference_gone() override {}
    void destroy() override {}
    void set_alias_target(c_item_t *) override {}
    c_item_t *resolve() override { return this; }
    int refresh() override { return 1; }
    void reserved(void *) override {}
    void debug_break() override {}
};

}  // namespace quarn::test
