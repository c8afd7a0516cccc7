#include "qrncore/system/mem_info.h"

#include <gtest/gtest.h>

namespace quarn {
namespace {

TEST(mem_info, reports_32_bit_byte_counts) {
    unsigned tp = 0, fp = 0, tv = 0, fv = 0;
    mem_info(&tp, &fp, &tv, &fv);
    EXPECT_GT(tp, 0u);
    EXPECT_LE(fp, tp);
    EXPECT_GT(tv, 0u);
}

TEST(worklet, overriding_nothing_is_completed_at_once) {
    worklet_t w;
    w.start();
    w.on_tick();
    EXPECT_TRUE(w.is_completed());
    w.finish();
    w.cancel();
}

}  // namespace
}  // namespace quarn
