// Binding behaviour names to an owner's slots, through both binders: by item names
// (without regard to case) and by behaviour names (exact).
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "game/ai/zba/zba_bind.h"
#include "game/ai/zba/zba_inst.h"
#include "zba_program_fixture.h"

namespace quarn::test {
namespace {

using table_t = std::vector<int32_t>;

class zba_bind : public zba_program_test {
protected:
    void SetUp() override {
        zba_program_test::SetUp();
        // 0 "fire", 1 "reload", 2 "fire" again, 3 "Raise".
        ASSERT_TRUE(load(file_text(R"("fire" { } "reload" { } "fire" { } "Raise" { })")));
        instance = zba_inst_t::create_on(file.get(), &channels, nullptr, 1);
        ASSERT_TRUE(instance);
    }
    void TearDown() override {
        instance.release();
        zba_program_test::TearDown();
    }

    // The table (one entry per request) and the result of each binder.
    bool by_items(const std::vector<zba_name_request_t> &requests, table_t &table) {
        table.assign(requests.size(), 7);
        return zba_bind_item_names(instance.get(), requests.data(), uint32_t(requests.size()), table.data(),
                                   uint32_t(table.size()));
    }
    bool by_behaviors(const std::vector<zba_name_request_t> &requests, table_t &table) {
        array_dyn_t<int32_t> out;
        const bool all = zba_bind_behavior_names(out, instance.get(), requests.data(), uint32_t(requests.size()));
        table.assign(out.get_data(), out.get_data() + out.get_count());
        return all;
    }

    zba_recorder_t channels;
    c_item_ptr_t instance;
};

TEST_F(zba_bind, both_binders) {
    struct case_t {
        const char *name;
        std::vector<zba_name_request_t> requests;
        table_t items;  // zba_bind_item_names
        bool items_all;
        table_t behaviors;  // zba_bind_behavior_names
        bool behaviors_all;
    };
    const case_t cases[] = {
        {"two behaviours of a name: the first binds", {{"fire", 0}}, {0}, true, {0}, true},
        {"case", {{"Fire", 0}, {"raise", 1}}, {0, 3}, true, {-1, -1}, false},
        {"a name the file lacks", {{"fire", 0}, {"missing", 1}, {"reload", 2}}, {0, -1, 1}, false, {0, -1, 1}, false},
        {"slots in any order", {{"reload", 1}, {"Raise", 0}}, {3, 1}, true, {3, 1}, true},
        // By items, the request moved into a bound one's place waits for the next
        // behaviour: the second "fire". By names, the first slot of a name wins.
        {"a name asked for twice", {{"fire", 0}, {"fire", 1}}, {0, 2}, true, {0, -1}, false},
    };
    for (const case_t &c : cases) {
        SCOPED_TRACE(c.name);
        table_t table;
        EXPECT_EQ(by_items(c.requests, table), c.items_all);
        EXPECT_EQ(table, c.items);
        EXPECT_EQ(by_behaviors(c.requests, table), c.behaviors_all);
        EXPECT_EQ(table, c.behaviors);
    }
}

TEST_F(zba_bind, nothing_to_bind_and_no_instance) {
    int32_t table[2] = {7, 7};
    EXPECT_TRUE(zba_bind_item_names(instance.get(), nullptr, 0, table, 2)) << "no requests: true at once";
    const zba_name_request_t fire[] = {{"fire", 0}};
    EXPECT_FALSE(zba_bind_item_names(nullptr, fire, 1, table, 2));
    EXPECT_FALSE(zba_bind_item_names(file.get(), fire, 1, table, 2)) << "a behaviour file is no instance";
    EXPECT_EQ(table[0], 7) << "untouched";
    array_dyn_t<int32_t> out;
    EXPECT_FALSE(zba_bind_behavior_names(out, file.get(), fire, 1));

    // A slot outside the table binds nothing and says so.
    const zba_name_request_t far[] = {{"fire", 5}, {"reload", 1}};
    EXPECT_FALSE(zba_bind_item_names(instance.get(), far, 2, table, 2));
    EXPECT_EQ(table[0], -1);
    EXPECT_EQ(table[1], 1);
    EXPECT_TRUE(log.contains("[zba_inst] zba_bind_item_names: slot 5 of 'fire' is outside the table of 2"));
    EXPECT_FALSE(zba_bind_behavior_names(out, instance.get(), far, 2));
    ASSERT_EQ(out.get_count(), 2u);
    EXPECT_EQ(out[1], 1);
}

}  // namespace
}  // namespace quarn::test
